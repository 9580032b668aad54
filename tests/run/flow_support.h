#pragma once
// Whole runs driven through the windows as a user drives them: the main window loads the jobs,
// its run command opens the backup window, the user marks a job and presses "Utför!".
#include "mainwindow/main_window.h"
#include "run/backup_window.h"
#include "support/fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QMap>
#include <QPushButton>

// The test's own home while this object lives, so that the trash lies inside the test's folder.
class TestHome {
  public:
    explicit TestHome(const QString& home) : home_(home) {
        testutil::makeDir(home + "/.local/share");
        for (const char* name : {"HOME", "XDG_DATA_HOME"})
            saved_[name] = qgetenv(name);
        qputenv("HOME", home.toUtf8());
        qputenv("XDG_DATA_HOME", (home + "/.local/share").toUtf8());
    }
    ~TestHome() {
        for (auto it = saved_.begin(); it != saved_.end(); ++it) {
            if (it.value().isEmpty())
                qunsetenv(it.key().toUtf8().constData());
            else
                qputenv(it.key().toUtf8().constData(), it.value());
        }
    }
    TestHome(const TestHome&) = delete;
    TestHome& operator=(const TestHome&) = delete;
    QString trash(const QString& name) const { return home_ + "/.local/share/Trash/files/" + name; }

  private:
    QString home_;
    QMap<QString, QByteArray> saved_;
};

class FlowTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        prog().jobbgruppmapp = path("Listor");
        testutil::makeDir(path("Listor"));
        src_ = work("Källa");
        dst_ = work("Backup");
        testutil::makeDir(dst_);
    }

    testutil::JobSpec job(const QString& name) const { return testutil::jobOver(name, src_, dst_); }

    // The main window's run command opens the backup window with every job; `name` is marked.
    frmutförbackup* openBackupWindow(const QString& name) {
        frmmain* m = prog().form<frmmain>();
        m->cmdload_Click();
        m->cmdkör_Click();
        frmutförbackup* w = prog().loaded<frmutförbackup>();
        EXPECT_NE(w, nullptr);
        // Entry i of the list is job i, also once a run has added its count to the entry.
        const int i = m->comboinställningar->findText(name);
        EXPECT_GE(i, 0) << name.toStdString();
        if (i >= 0 && i < w->List1->count())
            w->List1->item(i)->setSelected(true);
        return w;
    }

    // Runs the marked job by hand, mirroring or not, the mirror's warning and the result answered.
    frmutförbackup* run(const QString& name, bool mirror) {
        frmutförbackup* w = openBackupWindow(name);
        w->chksync->setChecked(mirror);
        if (mirror)
            dialogs().expectMessage("Du har valt att spegla", platform::Answer::Ok);
        dialogs().expectWindow("frmklarbackup");
        (mirror ? w->cmdkörbackup2 : w->cmdkörbackup)->click();
        return w;
    }

    // Where the relative path type puts a source file.
    QString target(const QString& rel) const { return dst_ + src_ + '/' + rel; }
    QStringList log() const { return testutil::readLines(path("log.txt")); }
    QString logText() const { return log().join('\n'); }
    QStringList savedLogs() const { return QDir(path("Sparade loggar")).entryList(QDir::Files, QDir::Name); }

    // Every file below a folder with its bytes and modification time.
    struct FileState {
        QByteArray bytes;
        qint64 mtime = 0;
        bool operator==(const FileState&) const = default;
    };
    static QMap<QString, FileState> snapshot(const QString& root) {
        QMap<QString, FileState> out;
        for (const QString& rel : testutil::treeFiles(root))
            out[rel] = {testutil::readBytes(root + '/' + rel), testutil::mtimeOf(root + '/' + rel)};
        return out;
    }

    QString src_, dst_;
    const QDateTime old_ = QDateTime(QDate(2022, 6, 1), QTime(12, 0, 0));
};
