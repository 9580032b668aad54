#include "foldersync/sync_logic.h"
#include "support/fixture.h"

#include "platform/errors.h"

#include <QDir>
#include <QFile>
#include <cerrno>

using namespace synclogic;

namespace {

class SyncLogic : public ProgramTest {
  protected:
    QString ini() const { return path("setup_synkmappar.ini"); }
    QString text(const QString& p) const { return QString::fromUtf8(testutil::readBytes(p)); }
};

TEST_F(SyncLogic, HistoryLinesSkipEmptyPiecesAndASecondLineMayBeMissing) {
    testutil::writeLines(ini(), {"/a/x**/b/y*", "*/c*"});
    Histories h = readHistories(ini());
    EXPECT_EQ(h.mapp1, QStringList({"/a/x", "/b/y"}));
    EXPECT_EQ(h.mapp2, QStringList({"/c"}));

    testutil::writeLines(ini(), {"/a/x*"});
    h = readHistories(ini());
    EXPECT_EQ(h.mapp1, QStringList({"/a/x"}));
    EXPECT_TRUE(h.mapp2.isEmpty());
}

TEST_F(SyncLogic, ANewFolderGoesOnTopOnceAndTheFileKeepsTwentyOne) {
    const QStringList list{"/b", "/a"};
    EXPECT_EQ(withEntry(list, "/c"), QStringList({"/c", "/b", "/a"}));
    EXPECT_EQ(withEntry(list, "/a"), list);                            // no move to the top
    EXPECT_EQ(withEntry(list, "/A"), QStringList({"/A", "/b", "/a"})); // letter case counts
    EXPECT_EQ(withEntry(list, ""), QStringList({"", "/b", "/a"}));     // an empty text too

    QStringList many;
    for (int i = 0; i < 25; ++i)
        many << QStringLiteral("/m%1").arg(i);
    writeHistories(ini(), {withEntry(many, ""), {"/z"}});
    const QStringList lines = testutil::readLines(ini());
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith("*/m0*/m1*"));
    EXPECT_EQ(lines[0].count('*'), 21);
    EXPECT_EQ(lines[1], "/z*");
    // Reading skips the empty piece, so the window offers the 20 folders saved after it.
    EXPECT_EQ(readHistories(ini()).mapp1, many.mid(0, 20));
    EXPECT_EQ(text(ini()).right(2), "\r\n");
}

TEST_F(SyncLogic, ACounterpartLiesBelowTheOtherRootWhateverTheirEndings) {
    struct Case {
        QString folder, from, to, target;
    } cases[] = {
        {"/a", "/a", "/b", "/b/"},          {"/a/", "/a/", "/b/", "/b/"},
        {"/a/x/y", "/a", "/b", "/b/x/y/"},  {"/a/x", "/a/", "/mnt/B", "/mnt/B/x/"},
        {"/x", "/", "/mnt/B", "/mnt/B/x/"}, {"/b/x", "/b", "/", "/x/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pairTarget(c.folder, c.from, c.to), c.target) << c.folder.toStdString();
}

TEST_F(SyncLogic, RelativeNestedOrEqualFoldersAreRefusedAlsoThroughLinksAndBeforeTheyExist) {
    const QString a = work("A"), b = work("B");
    testutil::makeDir(a + "/inre");
    testutil::makeDir(b);
    testutil::makeDir(work("Ab"));
    ASSERT_TRUE(QFile::link(a + "/inre", work("länk")));

    EXPECT_EQ(pairProblem(a, b), "");
    EXPECT_EQ(pairProblem(a, work("Ab")), ""); // a common beginning is no nesting
    EXPECT_EQ(pairProblem(a, a + "/"), "Mapp 1 och Mapp 2 är samma mapp. Välj två olika mappar.");
    EXPECT_TRUE(pairProblem(a, a + "/inre").startsWith("Mapp 2 ligger i Mapp 1."));
    EXPECT_TRUE(pairProblem(a + "/ny/mapp", a).startsWith("Mapp 1 ligger i Mapp 2."));
    EXPECT_TRUE(pairProblem(work("länk/x"), a).startsWith("Mapp 1 ligger i Mapp 2."));
    EXPECT_TRUE(pairProblem(work("länk"), a + "/inre/").startsWith("Mapp 1 och Mapp 2 är samma mapp"));
    // "länk/.." is the folder above where the link leads, A, not the folder the link stands in.
    EXPECT_TRUE(pairProblem(work("länk/../inre"), a).startsWith("Mapp 1 ligger i Mapp 2."));
    EXPECT_EQ(pairProblem("", a), ""); // an empty field is the run's own check
    // A relative text would be made below whatever folder the program was started in.
    EXPECT_EQ(pairProblem("~/Dokument", a),
              "Mappen \"~/Dokument\" är ingen fullständig sökväg. Ange hela sökvägen, från /.");
}

// The whole block of a finished run is shown by the window's run test.
TEST_F(SyncLogic, TheSummaryBlockCountsFailuresAndACancel) {
    SyncCounts c;
    c.antal_kopierade = 5;
    c.antal_misslyckade = 2;
    c.antal_fel_filstorlek = 1;
    const QStringList cancelled = summaryBlock(c, true);
    EXPECT_EQ(cancelled[1], "Mappsynkronisering avbröts.");
    EXPECT_EQ(cancelled[9], "  3 filer misslyckades, varav 1 p.g.a fel filstorlek efter kopiering");

    EXPECT_EQ(endSystemLine(c, true, true),
              "Mappsynkronisering avbröts. 5 filer skulle kopieras. (simulerad)");
    EXPECT_EQ(endWindowLine(c, true, true), " Mappsynkroniseringen avbröts. (simulerad)");
    EXPECT_EQ(endWindowLine(c, false, false), " Mappsynkronisering klar. 5 filer kopierades.");
}

TEST_F(SyncLogic, TheSavedLogNameEndsInADotOnlyAfterAnError) {
    EXPECT_EQ(savedLogName(QDateTime(QDate(2024, 5, 1), QTime(14, 3, 27)), 0, 0, 2),
              "log 2024-05-01 14.03.27 Mappsynkronisering. 0 filer kopierades. 0,00 MB. Fel uppstod!.txt");
    // Midnight keeps its time, as every date and time of the program does.
    EXPECT_EQ(savedLogName(QDateTime(QDate(2024, 5, 2), QTime(0, 0)), 1, 0, 0),
              "log 2024-05-02 00.00.00 Mappsynkronisering. 1 fil kopierades. 0,00 MB.txt");
}

TEST_F(SyncLogic, TheLogStartsWithItsHeaderAndIsSavedUnderItsName) {
    testutil::writeLines(path("log.txt"), {"gammal körning"});
    testutil::writeLines(path("log_err.txt"), {"", "FEL: gammalt"});
    const QDateTime t(QDate(2024, 5, 1), QTime(9, 5, 7));
    startLog(programDir_.path(), t);
    EXPECT_EQ(text(path("log.txt")), "\r\nMappsynkronisering utförd 2024-05-01  09:05\r\n\r\n");
    EXPECT_EQ(text(path("log_err.txt")), "\r\n");

    const QString saved = saveLog(programDir_.path(), t, 1, 0.5, 0);
    EXPECT_EQ(saved, path("Sparade loggar/log 2024-05-01 09.05.07 Mappsynkronisering. 1 fil kopierades. "
                          "0,50 MB.txt"));
    EXPECT_EQ(testutil::readBytes(saved), testutil::readBytes(path("log.txt")));
    // A second run within the same second with the same counts keeps the first one's log.
    testutil::writeLines(path("log.txt"), {"andra"});
    const QString second = saveLog(programDir_.path(), t, 1, 0.5, 0);
    EXPECT_EQ(second, path("Sparade loggar/log 2024-05-01 09.05.07 Mappsynkronisering. 1 fil kopierades. "
                           "0,50 MB(2).txt"));
    EXPECT_EQ(text(second), "andra\r\n");
    EXPECT_EQ(QDir(path("Sparade loggar")).entryList(QDir::Files).size(), 2);

    platform::injectFault(path("Sparade loggar"), EIO);
    EXPECT_THROW(saveLog(programDir_.path(), t, 1, 0.5, 0), platform::RunError);
}

} // namespace
