// A run judges its job beside every other job: where its mirror or its copies would reach another
// job's files it copies and deletes nothing; a plain run of two jobs sharing a folder goes on and
// says so in log.txt.
#include "flow_support.h"

#include "platform/paths.h"

#include <QCoreApplication>

namespace {

class OtherJobsFlow : public FlowTest {
  protected:
    testutil::JobSpec over(const QString& name, const QString& main, const QString& backup,
                           bool absolute = false) const {
        testutil::JobSpec j = testutil::jobOver(name, main, backup);
        j.options[2] = absolute ? "1" : "0";
        return j;
    }
};

TEST_F(OtherJobsFlow, ARunThatWouldReachAnotherJobsFilesCopiesAndDeletesNothing) {
    const QString src = work("data/src"), usb = work("usb"), bak = work("bak");
    struct Case {
        const char* name;
        std::function<std::vector<testutil::JobSpec>()> jobs; // the first one runs
        bool mirror;
        QString why;  // empty: the job runs
        QString note; // what log.txt says of a run that goes on
        QString kept; // a file no backup of the running job holds, which must stay as it is
    };
    const std::vector<Case> cases = {
        {"a folder of its own list as the backup folder",
         [&] {
             testutil::JobSpec j = over("J", src, src + "/inner");
             j.folders = {src, src + "/inner"};
             return std::vector{j};
         },
         true,
         "backupmappen är källmappen " + src + "/inner",
         {},
         src + "/inner/s2.txt"},
        {"a backup folder holding another job's main folder",
         [&] {
             return std::vector{over("Dokument", src, usb), over("Foton", usb + "/Foton", usb + "/Backup")};
         },
         true,
         "backupmappen innehåller källmappen " + usb + "/Foton för jobbet ''Foton''",
         {},
         usb + "/Foton/semester.jpg"},
        {"two absolute jobs, one backup folder, mirrored",
         [&] {
             return std::vector{over("A", src, bak, true), over("B", work("b"), bak, true)};
         },
         true,
         "jobbets kopior hamnar där även jobbet ''B'' lägger sina",
         {},
         bak + "/b.txt"},
        {"two absolute jobs, one backup folder, not mirrored",
         [&] {
             return std::vector{over("A", src, bak, true), over("B", work("b"), bak, true)};
         },
         false,
         {},
         "OBS: Jobbet ''A'' delar backup med jobbet ''B''",
         bak + "/b.txt"},
        {"two relative jobs, one backup folder",
         [&] {
             return std::vector{over("A", src, bak), over("B", work("b"), bak)};
         },
         true,
         {},
         {},
         bak + work("b") + "/b.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(work("")).removeRecursively();
        QDir(path("Listor")).removeRecursively();
        QFile::remove(path("log.txt"));
        testutil::writeFile(src + "/a.txt", "a", old_);
        testutil::writeFile(src + "/inner/s2.txt", "s2", old_);
        testutil::writeFile(usb + "/Foton/semester.jpg", "foto", old_);
        testutil::writeFile(c.kept, "annat jobbs", old_);
        const std::vector<testutil::JobSpec> jobs = c.jobs();
        for (const testutil::JobSpec& j : jobs)
            testutil::writeJob(path("Listor"), j);
        const QString runs = jobs.front().name;
        const QString target = jobs.front().options[2] == "1" ? bak + "/a.txt" : bak + src + "/a.txt";

        frmutförbackup* w = openBackupWindow(runs);
        w->chksync->setChecked(c.mirror);
        if (c.mirror)
            dialogs().expectMessage("Du har valt att spegla", platform::Answer::Ok);
        if (c.why.isEmpty()) {
            dialogs().expectWindow("frmklarbackup");
        } else {
            dialogs().expectWindow("frmerror");
            dialogs().expectWindow("frmerror");
        }
        (c.mirror ? w->cmdkörbackup2 : w->cmdkörbackup)->click();

        EXPECT_EQ(testutil::readBytes(c.kept), "annat jobbs") << logText().toStdString();
        if (c.why.isEmpty()) {
            EXPECT_TRUE(QFile::exists(target)) << logText().toStdString();
            EXPECT_FALSE(logText().contains("kördes inte")) << logText().toStdString();
        } else {
            EXPECT_TRUE(logText().contains("FEL: Jobbet ''" + runs + "'' kördes inte, eftersom " + c.why))
                << logText().toStdString();
            EXPECT_TRUE(w->runHadErrors());
        }
        EXPECT_EQ(logText().contains("delar backup med"), !c.note.isEmpty()) << logText().toStdString();
        if (!c.note.isEmpty()) {
            EXPECT_TRUE(logText().contains(c.note)) << logText().toStdString();
        }
        prog().unload<frmutförbackup>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

} // namespace
