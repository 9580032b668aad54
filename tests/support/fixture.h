#pragma once
#include "core/program.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// A Program over a temporary program folder, with scripted dialogs: a dialog nobody expected,
// or an expected one that never came, fails the test.
class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    Program& prog() { return *program_; }
    platform::Dialogs& dialogs() { return program_->dialogs; }
    // A new Program over the same program folder, as at a new start of the program; the dialogs
    // of the old one are checked first.
    void restartProgram();
    // A path in the program folder.
    QString path(const QString& name) const;
    // A path in a second temporary folder for source and backup trees.
    QString work(const QString& name) const;

    QTemporaryDir programDir_;
    QTemporaryDir workDir_;
    std::unique_ptr<Program> program_;
};

namespace testutil {
// Writes a file (creating its folder) with the given bytes and, when valid, modification time.
void writeFile(const QString& path, const QByteArray& content, const QDateTime& mtime = {});
// Writes text lines the way the program does (UTF-8, CR LF after every line).
void writeLines(const QString& path, const QStringList& lines);
QByteArray readBytes(const QString& path);
QStringList readLines(const QString& path);
void setMTime(const QString& path, const QDateTime& mtime);
qint64 mtimeOf(const QString& path);
void makeDir(const QString& path);
// Every file below a folder, relative paths, sorted.
QStringList treeFiles(const QString& root);
// Writes a job file set in the given group folder: ".000".."005", ".008", ".009" as saving does.
struct JobSpec {
    QString name;
    QStringList folders;                                                                       // .000
    QStringList mainFolders;                                                                   // .001
    QString backupFolder;                                                                      // .002
    QStringList filters = {QStringLiteral("*.*"), QString(), QString(), QString(), QString()}; // .003
    QStringList options = {QStringLiteral("NEJ"), QStringLiteral("NEJ"), QStringLiteral("0"),
                           QStringLiteral("NEJ"), QStringLiteral("NEJ")};                         // .004
    QStringList excluded;                                                                         // .005
    QStringList programs = {QString(), QString()};                                                // .008
    QStringList versioning = {QStringLiteral("NEJ"), QString(), QString(), QString(), QString()}; // .009
};
void writeJob(const QString& groupFolder, const JobSpec& job);
// A folder and every folder below it, each before the folders inside it (as a scan lists them).
QStringList foldersBelow(const QString& root);
// A job scheduled every day at 12:00 (its ".006" active), so that switching the scheduler on
// keeps it on; the main window must list it (cmdload_Click) before the switch.
void writeScheduledJob(const QString& groupFolder, const QString& name);
// A job over one main folder with every folder below it, backed up into `backup`.
JobSpec jobOver(const QString& name, const QString& main, const QString& backup);
} // namespace testutil
