// A job is judged beside every job of the four groups: a backup folder that holds or lies in
// another job's source, copies of two jobs landing in one folder, the program's own folders, a
// version folder among the user's files.
#include "core/job_rules.h"
#include "platform/paths.h"
#include "support/fixture.h"

#include <QDir>

namespace {

using Kind = jobrules::Problem::Kind;
using jobrules::Purpose;

class JobRules : public ProgramTest {
  protected:
    void TearDown() override {
        platform::clearSystemFolderStandIns();
        ProgramTest::TearDown();
    }
    testutil::JobSpec jobOf(const QString& name, const QString& main, const QString& backup,
                            bool absolute = false, bool createMain = false) const {
        testutil::JobSpec j;
        j.name = name;
        j.mainFolders = {main};
        j.folders = {main};
        j.backupFolder = backup;
        j.options = {"NEJ", "NEJ", absolute ? "1" : "0", createMain ? "JA" : "NEJ", "NEJ"};
        return j;
    }
};

TEST_F(JobRules, AJobIsRefusedWhereItsMirrorOrCopiesWouldReachAnotherJobsFiles) {
    const QString usb = work("usb"), bak = work("bak"), home = work("hem");
    for (const QString& d : {usb + "/Foton", usb + "/Backup", bak, home + "/Dokument", work("nas/Dokument"),
                             work("data/src/inner"), work("a"), work("b"), work("versioner")})
        testutil::makeDir(d);
    platform::standInSystemFolders({}, home);
    struct Case {
        const char* name;
        std::vector<testutil::JobSpec> others; // in Listor, but a name ending in "3" in Listor3
        testutil::JobSpec job;                 // judged as if it were saved in Listor
        Kind kind;                             // for a save
        QString why;                           // a part of the refusal
        bool plainRunNotes = false;            // a run that does not mirror goes on and says so
    };
    testutil::JobSpec ownList = jobOf("J", work("data/src"), work("data/src/inner"));
    ownList.folders << work("data/src/inner");
    testutil::JobSpec homeVersions = jobOf("J", work("a"), bak);
    homeVersions.versioning = {"JA", "", "", "3", home};
    testutil::JobSpec keptVersions = jobOf("J", work("a"), bak);
    keptVersions.versioning = {"JA", "", "", "3", work("versioner")};
    testutil::JobSpec insideOwn = jobOf("J", work("data/src"), work("data/src/inner"));
    const std::vector<Case> cases = {
        {"a folder of its own list", {}, ownList, Kind::BackupFolder, "källmappen " + work("data/src/inner")},
        {"holding another job's main folder",
         {jobOf("Foton", usb + "/Foton", usb + "/Backup")},
         jobOf("Dokument", home + "/Dokument", usb),
         Kind::BackupFolder,
         "backupmappen innehåller källmappen " + usb + "/Foton för jobbet ''Foton''"},
        {"inside another job's main folder, of another group",
         {jobOf("Allt3", work("data"), bak)},
         jobOf("J", work("a"), work("data/src/bk")),
         Kind::BackupFolder,
         "backupmappen ligger i källmappen " + work("data") + " för jobbet ''Allt3''"},
        {"two absolute jobs, one backup folder",
         {jobOf("B", work("b"), bak, true)},
         jobOf("A", work("a"), bak, true),
         Kind::SharedTarget,
         "jobbets kopior hamnar där även jobbet ''B'' lägger sina",
         true},
        {"two main folders of one name, each on top of its copies",
         {jobOf("B", work("nas/Dokument"), bak, true, true)},
         jobOf("A", home + "/Dokument", bak, true, true),
         Kind::SharedTarget,
         "jobbet ''B''",
         true},
        {"the job groups",
         {},
         jobOf("J", work("a"), path("Listor")),
         Kind::BackupFolder,
         "ligger i programmappen"},
        {"the saved logs",
         {},
         jobOf("J", work("a"), path("Sparade loggar")),
         Kind::BackupFolder,
         "ligger i programmappen"},
        {"the home folder as version folder", {}, homeVersions, Kind::VersionFolder, "hemmappen"},
        // What runs today and reaches no other job's files.
        {"each job its own backup folder on one disk",
         {jobOf("Foton", usb + "/Foton", usb + "/Backup/Foton")},
         jobOf("Dokument", home + "/Dokument", usb + "/Backup/Dokument"),
         Kind::None,
         {}},
        {"two relative jobs, one backup folder",
         {jobOf("B", work("b"), bak)},
         jobOf("A", work("a"), bak),
         Kind::None,
         {}},
        {"two main folders of other names on top of their copies",
         {jobOf("B", work("b"), bak, true, true)},
         jobOf("A", work("a"), bak, true, true),
         Kind::None,
         {}},
        {"inside its own main folder", {}, insideOwn, Kind::None, {}},
        {"in another job's backup folder inside that job's main folder",
         {jobOf("Allt", work("data"), work("data/src/inner"))},
         jobOf("J", work("a"), work("data/src/inner")),
         Kind::None,
         {}},
        {"a version folder of its own", {}, keptVersions, Kind::None, {}},
        {"its own earlier save",
         {jobOf("A", work("a"), bak, true)},
         jobOf("A", work("a"), bak, true),
         Kind::None,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* g : {"Listor", "Listor3"})
            QDir(path(g)).removeRecursively();
        for (const testutil::JobSpec& o : c.others)
            testutil::writeJob(path(o.name.endsWith('3') ? "Listor3" : "Listor"), o);
        const jobrules::JobSet all(path(""));
        const JobFiles::Job job =
            JobFiles::job(path("Listor"), c.job.name, c.job.folders, c.job.mainFolders, c.job.backupFolder,
                          JobFiles::options(c.job.options), JobFiles::versioning(c.job.versioning));
        for (Purpose p : {Purpose::Save, Purpose::Replace, Purpose::SavedList, Purpose::Restore}) {
            const jobrules::Problem problem = jobrules::jobProblem(job, p, all);
            EXPECT_EQ(problem.kind, c.kind) << problem.why.toStdString();
            EXPECT_TRUE(problem.why.contains(c.why)) << problem.why.toStdString();
        }
        // A mirroring run is refused as a save is; a plain run of two jobs sharing a folder goes on.
        const jobrules::Problem mirrored = jobrules::jobProblem(job, Purpose::Scheduled, all, true);
        EXPECT_EQ(mirrored.kind, c.kind);
        const jobrules::Problem plain = jobrules::jobProblem(job, Purpose::CommandLine, all, false);
        EXPECT_EQ(plain.refused(), c.kind != Kind::None && !c.plainRunNotes);
        EXPECT_EQ(!plain.note.isEmpty(), c.plainRunNotes) << plain.note.toStdString();
        if (c.plainRunNotes) {
            EXPECT_TRUE(plain.note.contains("delar backup med jobbet ''B''")) << plain.note.toStdString();
        }
    }
}

} // namespace
