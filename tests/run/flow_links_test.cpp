// Links in a source that lead back to the backup folder or above the source: runs that rescan the
// folder structure, and one over a list made before such a link, copy neither the backup into
// itself nor what lies above the source, run after run.
#include "flow_support.h"
#include "support/qt_print.h"

#include <functional>

namespace {

class LinkFlow : public FlowTest {};

TEST_F(LinkFlow, NoRunCopiesTheBackupIntoItselfOrWalksAboveTheSource) {
    const QString loopLine = "Länk som inte följdes (den leder tillbaka till källmappen eller ovanför den, "
                             "eller in i backupmappen): ";
    struct Case {
        const char* what;
        QString main, backup;
        std::function<void(const QString& w)> make; // the tree under the case's own folder
        bool rescan;
        QStringList folders; // the job's list below its main folder, when it is not rescanned
        QStringList copied;  // below the backup folder, relative to the case's own folder
        QStringList loops;   // named in log.txt once per run, relative to the case's own folder
    };
    const auto link = [](const QString& to, const QString& at) { ASSERT_TRUE(QFile::link(to, at)); };
    const auto linkAbove = [&](const QString& w) {
        testutil::writeFile(w + "/Hem/Dokument/a.txt", "a");
        testutil::writeFile(w + "/Hem/ovan.txt", "ovan");
        testutil::makeDir(w + "/Backup");
        link(w + "/Hem", w + "/Hem/Dokument/upp");
    };
    const Case cases[] = {
        {"main folder given through a link, the backup folder inside it",
         "dl",
         "Dokument/Backup",
         [&](const QString& w) {
             testutil::writeFile(w + "/Dokument/a.txt", "a");
             testutil::makeDir(w + "/Dokument/Backup");
             link(w + "/Dokument", w + "/dl");
         },
         true,
         {},
         {"dl/a.txt"},
         {}},
        {"a link in the source to the drive holding the backup folder, and one to the backup folder",
         "Dokument",
         "USB/Backup",
         [&](const QString& w) {
             testutil::writeFile(w + "/Dokument/a.txt", "a");
             testutil::writeFile(w + "/USB/u.txt", "u");
             testutil::makeDir(w + "/USB/Backup");
             link(w + "/USB", w + "/Dokument/usb");
             link(w + "/USB/Backup", w + "/Dokument/bk");
         },
         true,
         {},
         {"Dokument/a.txt", "Dokument/usb/u.txt"},
         {"Dokument/bk"}},
        {"a link in the source to a folder above it",
         "Hem/Dokument",
         "Backup",
         linkAbove,
         true,
         {},
         {"Hem/Dokument/a.txt"},
         {"Hem/Dokument/upp"}},
        {"a list made before the link to a folder above the source, not rescanned",
         "Hem/Dokument",
         "Backup",
         linkAbove,
         false,
         {"Hem/Dokument/upp", "Hem/Dokument/upp/Dokument"},
         {"Hem/Dokument/a.txt"},
         {"Hem/Dokument/upp"}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString w = work("fall" + QString::number(++n));
        c.make(w);
        testutil::JobSpec j;
        j.name = "Jobb"; // one job at a time, so only it is marked
        j.mainFolders = {w + '/' + c.main};
        j.folders = {w + '/' + c.main};
        for (const QString& f : c.folders)
            j.folders << w + '/' + f;
        j.backupFolder = w + '/' + c.backup;
        if (c.rescan)
            j.options[0] = "JA";
        testutil::writeJob(path("Listor"), j);
        QStringList copied;
        for (const QString& rel : c.copied)
            copied << (w + '/' + rel).mid(1);

        for (int run = 1; run <= 3; ++run) {
            SCOPED_TRACE(run);
            frmutförbackup* win = openBackupWindow(j.name);
            dialogs().expectWindow("frmklarbackup");
            win->cmdkörbackup->click();
            EXPECT_EQ(testutil::treeFiles(j.backupFolder), copied);
            for (const QString& loop : c.loops)
                EXPECT_EQ(log().count(loopLine + w + '/' + loop + " (Jobb: " + j.name + ")"), 1)
                    << logText().toStdString();
            EXPECT_EQ(logText().count(loopLine), c.loops.size());
        }
    }
}

} // namespace
