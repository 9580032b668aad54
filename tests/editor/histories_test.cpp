// The five drop-down histories: loading at window load, saving at OK, newest first, at most 20.
#include "support/fixture.h"

#include "editor/editor_script.h"
#include "editor/histories.h"
#include "editor/job_editor_window.h"
#include "editor/reporter_script.h"
#include "mainwindow/main_window.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>

class HistoriesTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        testutil::makeDir(path("Listor"));
        reporter = reporter_script::probe(dialogs());
    }
    void writeAll(const QStringList& lines) {
        for (const QString& f : histories::fileNames())
            testutil::writeLines(path(f), lines);
    }
    reporter_script::Form reporter;
};

TEST_F(HistoriesTest, FirstStartOpensEmptyAndTheFirstOkCreatesAllFiveFiles) {
    frmaddmapp* e = prog().form<frmaddmapp>();
    EXPECT_EQ(e->txtnamn->count(), 0);
    EXPECT_EQ(e->txtbackupmapp->count(), 0);
    EXPECT_TRUE(e->txtpattern.items.isEmpty());
    e->txtnamn->setEditText(QStringLiteral("Foton"));
    e->txtbackupmapp->setEditText(work("Backup"));
    // Refused (no folders), yet the histories are written.
    reporter_script::expect(dialogs(), reporter, QStringLiteral("Du har inte valt några mappar"));
    e->cmdok_Click();
    EXPECT_EQ(testutil::readBytes(path("setup_namn.ini")), QByteArray("Foton\r\n"));
    EXPECT_EQ(testutil::readBytes(path("setup_backupmapp.ini")), (work("Backup") + "\r\n").toUtf8());
    for (const char* f : {"setup_pattern.ini", "setup_expattern.ini", "setup_exfiler.ini"}) {
        EXPECT_TRUE(QFile::exists(path(QString::fromUtf8(f)))) << f;
        EXPECT_EQ(testutil::readBytes(path(QString::fromUtf8(f))), QByteArray()) << f;
    }
}

TEST_F(HistoriesTest, NewestFirstAtMostTwentyAndKnownEntriesStayWhereTheyAre) {
    QStringList twenty;
    for (int i = 1; i <= 20; ++i)
        twenty << QStringLiteral("Jobb %1").arg(i);
    writeAll(twenty);

    frmaddmapp* e = prog().form<frmaddmapp>();
    EXPECT_EQ(histories::items(e->txtnamn), twenty);
    EXPECT_EQ(e->txtexfiler.items, twenty);
    e->txtnamn->setEditText(QStringLiteral("Nytt"));
    e->txtbackupmapp->setEditText(QStringLiteral("Jobb 7")); // already there: not moved
    e->txtexfiler.setText(QStringLiteral("jobb 7"));         // differs in case: added
    reporter_script::expect(dialogs(), reporter, QStringLiteral("Du har inte valt några mappar"));
    e->cmdok_Click();

    QStringList newest = QStringList{QStringLiteral("Nytt")} + twenty.mid(0, 19);
    EXPECT_EQ(testutil::readLines(path("setup_namn.ini")), newest);
    EXPECT_EQ(testutil::readLines(path("setup_backupmapp.ini")), twenty);
    EXPECT_EQ(testutil::readLines(path("setup_exfiler.ini")),
              QStringList{QStringLiteral("jobb 7")} + twenty.mid(0, 19));
    // In memory the list keeps all 21 while the window stays open.
    EXPECT_EQ(e->txtnamn->count(), 21);
}

TEST_F(HistoriesTest, FillingAHistoryNeverChangesTheEditedText) {
    writeAll({QStringLiteral("Gammalt"), QStringLiteral("Äldre")});
    frmaddmapp* e = prog().form<frmaddmapp>();
    EXPECT_EQ(e->txtnamn->currentText(), QString());
    EXPECT_EQ(e->txtbackupmapp->currentText(), QString());
    EXPECT_EQ(e->lbljobbnamn->text(), QString());

    e->txtnamn->setEditText(QStringLiteral("Mitt"));
    e->txtbackupmapp->setEditText(QString());
    e->öppna_listval(); // a second load appends and still leaves the texts alone
    EXPECT_EQ(e->txtnamn->currentText(), QStringLiteral("Mitt"));
    EXPECT_EQ(e->lbljobbnamn->text(), QStringLiteral("Mitt"));
    EXPECT_EQ(e->txtbackupmapp->currentText(), QString());

    // Adding the text at OK does not change it either, also into an empty list.
    prog().unload<frmaddmapp>();
    QFile::remove(path("setup_namn.ini"));
    e = prog().form<frmaddmapp>();
    e->txtnamn->setEditText(QStringLiteral("Först"));
    e->spara_listval();
    EXPECT_EQ(e->txtnamn->currentText(), QStringLiteral("Först"));
    EXPECT_EQ(histories::items(e->txtnamn), QStringList{QStringLiteral("Först")});
}

TEST_F(HistoriesTest, AMissingFirstFileLeavesEveryListEmpty) {
    writeAll({QStringLiteral("Något")});
    QFile::remove(path("setup_namn.ini"));
    frmaddmapp* e = prog().form<frmaddmapp>();
    EXPECT_EQ(e->txtnamn->count(), 0);
    EXPECT_EQ(e->txtbackupmapp->count(), 0);
    EXPECT_TRUE(e->txtpattern.items.isEmpty());
    EXPECT_TRUE(e->txtexpattern.items.isEmpty());
    EXPECT_TRUE(e->txtexfiler.items.isEmpty());
}

TEST_F(HistoriesTest, EmptyLinesAreKeptAsEntriesInFileOrder) {
    testutil::writeLines(path("setup_namn.ini"), {QStringLiteral("B"), QString(), QStringLiteral("A")});
    frmaddmapp* e = prog().form<frmaddmapp>();
    EXPECT_EQ(histories::items(e->txtnamn), QStringList({"B", "", "A"}));
}
