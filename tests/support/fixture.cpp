#include "support/fixture.h"

#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/textfile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <utime.h>

void ProgramTest::SetUp() {
    ASSERT_TRUE(programDir_.isValid());
    ASSERT_TRUE(workDir_.isValid());
    program_ = std::make_unique<Program>(programDir_.path());
    setProgram(program_.get());
    program_->dialogs.setScripted(true);
}

void ProgramTest::TearDown() {
    const QStringList failures = program_->dialogs.verify();
    for (const QString& f : failures)
        ADD_FAILURE() << "dialog: " << f.toStdString();
    platform::clearFaults();
    platform::clearSystemFolderStandIns();
    program_.reset();
    setProgram(nullptr);
}

void ProgramTest::restartProgram() {
    for (const QString& f : program_->dialogs.verify())
        ADD_FAILURE() << "dialog: " << f.toStdString();
    program_.reset();
    program_ = std::make_unique<Program>(programDir_.path());
    setProgram(program_.get());
    program_->dialogs.setScripted(true);
}

QString ProgramTest::path(const QString& name) const {
    return programDir_.path() + '/' + name;
}

QString ProgramTest::work(const QString& name) const {
    return workDir_.path() + '/' + name;
}

namespace testutil {

void makeDir(const QString& path) {
    QDir().mkpath(path);
}

void setMTime(const QString& path, const QDateTime& mtime) {
    struct utimbuf t {};
    t.actime = mtime.toSecsSinceEpoch();
    t.modtime = mtime.toSecsSinceEpoch();
    ::utime(QFile::encodeName(path).constData(), &t);
}

void writeFile(const QString& path, const QByteArray& content, const QDateTime& mtime) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        ADD_FAILURE() << "cannot write " << path.toStdString();
    f.write(content);
    f.close();
    if (mtime.isValid())
        setMTime(path, mtime);
}

void writeLines(const QString& path, const QStringList& lines) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    platform::writeLines(path, lines);
}

QByteArray readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QStringList readLines(const QString& path) {
    try {
        return platform::readLines(path);
    } catch (...) {
        return {};
    }
}

qint64 mtimeOf(const QString& path) {
    return QFileInfo(path).lastModified().toSecsSinceEpoch();
}

QStringList treeFiles(const QString& root) {
    QStringList out;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(root).relativeFilePath(it.next());
    out.sort();
    return out;
}

void writeJob(const QString& g, const JobSpec& j) {
    const QString base = g + '/' + j.name;
    writeLines(base + ".000", j.folders);
    writeLines(base + ".001", j.mainFolders);
    writeLines(base + ".002", {j.backupFolder});
    writeLines(base + ".003", j.filters);
    writeLines(base + ".004", j.options);
    writeLines(base + ".005", j.excluded);
    writeLines(base + ".008", j.programs);
    writeLines(base + ".009", j.versioning);
}

QStringList foldersBelow(const QString& root) {
    QStringList out{root};
    for (const QString& d :
         QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name))
        out += foldersBelow(root + '/' + d);
    return out;
}

void writeScheduledJob(const QString& groupFolder, const QString& name) {
    JobSpec j;
    j.name = name;
    j.folders = {groupFolder};
    j.mainFolders = {groupFolder};
    j.backupFolder = groupFolder;
    writeJob(groupFolder, j);
    writeLines(groupFolder + '/' + name + ".006", {" 1 ", " 0 ", "12:00", "1234567", " 0 "});
}

JobSpec jobOver(const QString& name, const QString& main, const QString& backup) {
    JobSpec j;
    j.name = name;
    j.mainFolders = {main};
    j.folders = foldersBelow(main);
    j.backupFolder = backup;
    return j;
}

} // namespace testutil
