#include "core/copy_times.h"
#include "support/fixture.h"

#include <QFile>

class CopyTimesTest : public ProgramTest {};

// What a copy on the backup disk stands for: the source's time while it is still the copy whose
// time was not kept, its own time otherwise; kept across loads, replaced and dropped by later copies.
TEST_F(CopyTimesTest, TheTimeACopyStandsFor) {
    const QString a = "/bak/a.txt", b = "/bak/mapp\tmed tabb/b.txt", c = "/bak/c.txt";
    {
        CopyTimes t(prog().programFolder());
        t.load(); // no record yet
        t.copied(a, 5, 2000, 1000, false);
        t.copied(b, 7, 3000, 1500, false);
        t.copied(c, 9, 4000, 4000, true); // kept: nothing to note
        t.copied(c, 9, 4001, 4000, true);
        t.flush();
    }
    CopyTimes t(prog().programFolder());
    t.load();
    t.copied(b, 8, 3100, 3100, true);  // copied again, its time kept this time
    t.copied(a, 6, 2500, 1200, false); // copied again, its time lost again
    t.flush();
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "as noted" : "as loaded");
        const struct {
            QString path;
            qint64 size, mtime, standsFor;
        } rows[] = {
            {a, 6, 2500, 1200}, // the last copy of it
            {a, 5, 2000, 2000}, // the earlier copy is no longer the record's
            {a, 6, 2501, 2501}, // written to since: its time is its own
            {a, 7, 2500, 2500}, // another size: its own
            {b, 7, 3000, 3000}, // dropped by the copy that kept its time
            {c, 9, 4001, 4001}, // never noted
        };
        for (const auto& r : rows) {
            EXPECT_EQ(t.standsFor(r.path, r.size, r.mtime), r.standsFor)
                << r.path.toStdString() << " " << r.mtime;
            EXPECT_EQ(t.recordedSourceTime(r.path, r.size, r.mtime).has_value(), r.standsFor != r.mtime);
        }
        t = CopyTimes(prog().programFolder());
        t.load();
    }

    // A record of mostly replaced lines is written anew at the next load, holding what is left.
    for (int i = 0; i < 300; ++i)
        t.copied(a, 6, 2500 + i, 1200, false);
    t.flush();
    CopyTimes(prog().programFolder()).load();
    EXPECT_EQ(testutil::readLines(path(CopyTimes::fileName())).size(), 1);
    CopyTimes after(prog().programFolder());
    after.load();
    EXPECT_EQ(after.standsFor(a, 6, 2799), 1200);

    // Below a folder of its own the record lies in that folder, by the path below it; what the
    // program folder's record held for a copy there is still read until the copy is made again.
    const QString disk = work("disk"), old = disk + "/gammal.txt", fresh = disk + "/mapp/ny.txt";
    testutil::makeDir(disk + "/mapp");
    after.copied(old, 3, 900, 800, false);
    after.flush();
    CopyTimes onDisk(prog().programFolder());
    onDisk.load();
    onDisk.keepBelow(disk);
    EXPECT_EQ(onDisk.standsFor(old, 3, 900), 800);
    onDisk.copied(fresh, 4, 1000, 700, false);
    onDisk.copied(old, 3, 950, 850, false);
    onDisk.flush();
    EXPECT_EQ(testutil::readLines(disk + "/" + CopyTimes::recordName()),
              QStringList({"mapp/ny.txt\t4\t1000\t700", "gammal.txt\t3\t950\t850"}));
    CopyTimes elsewhere(work("annat_program"));
    elsewhere.load();
    elsewhere.keepAbove(disk + "/mapp");
    EXPECT_EQ(elsewhere.standsFor(fresh, 4, 1000), 700);
    EXPECT_EQ(elsewhere.standsFor(old, 3, 950), 850);
    CopyTimes programOnly(prog().programFolder());
    programOnly.load();
    EXPECT_EQ(programOnly.standsFor(old, 3, 900), 900); // dropped when copied again
}
