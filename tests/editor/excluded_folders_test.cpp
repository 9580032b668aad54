#include "editor/excluded_folders.h"
#include "mainwindow/main_window.h"
#include "platform/errors.h"
#include "support/fixture.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextEdit>
#include <cerrno>

class ExcludedFoldersTest : public ProgramTest {
  protected:
    QString syslog() { return prog().form<frmmain>()->txtsyslogg->toPlainText(); }
    QColor logLabelColour() {
        return prog().form<frmmain>()->lblprogramlogg->palette().color(QPalette::WindowText);
    }
    frmexmappar* openDialog(const QStringList& all, const QStringList& excluded) {
        frmexmappar* d = prog().form<frmexmappar>();
        d->List1->addItems(all);
        d->List2->addItems(excluded);
        return d;
    }
    static void select(QListWidget* l, const QStringList& texts) {
        for (const QString& t : texts) {
            const auto found = l->findItems(t, Qt::MatchExactly);
            ASSERT_FALSE(found.isEmpty()) << t.toStdString();
            found.first()->setSelected(true);
        }
    }
};

TEST_F(ExcludedFoldersTest, RemovesOnlyExactEntriesLetterCaseIncluded) {
    QStringList folders{"/data",       "/data/Foton", "/data/Foton/2024",
                        "/data/foton", "/data/Foton", "/data/Fotonalbum"};
    EXPECT_EQ(removeExcludedFolders(folders, {"/data/Foton", "/inte/alls"}), 2);
    EXPECT_EQ(folders, QStringList({"/data", "/data/Foton/2024", "/data/foton", "/data/Fotonalbum"}));
    EXPECT_EQ(removeExcludedFolders(folders, {}), 0);
}

TEST_F(ExcludedFoldersTest, PruningDropsDeletedFoldersWithOneCountingLineAndKeepsTheRest) {
    testutil::makeDir(work("kvar/tom"));
    testutil::makeDir(work("borta1"));
    testutil::makeDir(work("borta2/under"));
    QStringList excluded{work("kvar/tom"),
                         work("borta1"),
                         work("borta2/under"),
                         work("borta2"),
                         "/mnt/tamrel-urkopplad-disk/Data",
                         "/media/nobody/SAKNAS/Bilder"};
    QDir(work("borta1")).removeRecursively();
    QDir(work("borta2")).removeRecursively();
    EXPECT_EQ(pruneMissingExcludedFolders(excluded), 3);
    // Folders on volumes that are not there are kept: they may exist on the unplugged disk.
    EXPECT_EQ(excluded, QStringList({work("kvar/tom"), "/mnt/tamrel-urkopplad-disk/Data",
                                     "/media/nobody/SAKNAS/Bilder"}));
    EXPECT_EQ(
        syslog().count("3 mappar har rensats bort från din lista över exkluderade mappar, eftersom de inte "
                       "längre existerar."),
        1);
    EXPECT_NE(logLabelColour(), QColor(255, 0, 0));

    // Nothing gone, nothing logged.
    const QString before = syslog();
    EXPECT_EQ(pruneMissingExcludedFolders(excluded), 0);
    EXPECT_EQ(syslog(), before);
}

TEST_F(ExcludedFoldersTest, AFolderThatCannotBeExaminedStopsPruningAndKeepsTheEarlierEntries) {
    testutil::makeDir(work("trasig"));
    QStringList excluded{work("borta_först"), work("trasig"), work("borta_sist")};
    platform::injectFault(work("trasig"), EIO);
    EXPECT_EQ(pruneMissingExcludedFolders(excluded), 1);
    EXPECT_EQ(excluded, QStringList({work("borta_först"), work("trasig")}));
    EXPECT_TRUE(
        syslog().contains("Ett fel uppstod när exkluderade mappar skulle genomsökas för eventuellt saknade "
                          "mappar. Plats: Jobb, rensa ut exkluderade mappar. Felkod 57"));
    EXPECT_FALSE(syslog().contains("har rensats bort"));
    EXPECT_EQ(logLabelColour(), QColor(255, 0, 0));
}

TEST_F(ExcludedFoldersTest, MovingSeveralEntriesKeepsBothListsSortedAndOkHandsThemOver) {
    frmexmappar* d = openDialog({"/d/b", "/d/a", "/d/a/x", "/d/c"}, {"/d/z"});
    EXPECT_EQ(d->windowTitle(), "Exkludera mappar");
    EXPECT_TRUE(d->Label3->text().startsWith("Här väljer du bort mappar som du inte vill ska ingå."));
    EXPECT_EQ(frmexmappar::items(d->List1), QStringList({"/d/a", "/d/a/x", "/d/b", "/d/c"}));

    select(d->List1, {"/d/a", "/d/c"});
    d->cmdläggtill->click();
    EXPECT_EQ(frmexmappar::items(d->List1), QStringList({"/d/a/x", "/d/b"}));
    EXPECT_EQ(frmexmappar::items(d->List2), QStringList({"/d/a", "/d/c", "/d/z"}));

    select(d->List2, {"/d/z"});
    d->cmdtabort->click();
    EXPECT_EQ(frmexmappar::items(d->List1), QStringList({"/d/a/x", "/d/b", "/d/z"}));

    d->List2->setCurrentRow(1);
    d->List2_Click();
    EXPECT_EQ(d->txtmarkerad->text(), "/d/c");

    QStringList gotFolders, gotExcluded;
    d->takeOver = [&](const QStringList& f, const QStringList& e) {
        gotFolders = f;
        gotExcluded = e;
    };
    d->cmdok->click();
    EXPECT_EQ(gotFolders, QStringList({"/d/a/x", "/d/b", "/d/z"}));
    EXPECT_EQ(gotExcluded, QStringList({"/d/a", "/d/c"}));
    EXPECT_EQ(excludedFoldersCaption(gotExcluded.size()), "Exkludera mappar... (2 mappar)");
    EXPECT_EQ(prog().loaded<frmexmappar>(), nullptr);
}

TEST_F(ExcludedFoldersTest, CancelHandsNothingOver) {
    frmexmappar* d = openDialog({"/d/a"}, {});
    bool called = false;
    d->takeOver = [&](const QStringList&, const QStringList&) { called = true; };
    select(d->List1, {"/d/a"});
    d->cmdläggtill->click();
    d->cmdavbryt->click();
    EXPECT_FALSE(called);
    EXPECT_EQ(prog().loaded<frmexmappar>(), nullptr);
}

TEST_F(ExcludedFoldersTest, LayoutSnapsBackToItsSmallestSizeAndSingleListFillsTheWidth) {
    frmexmappar* d = openDialog({"/d/a"}, {});
    d->show();
    d->resize(200, 150);
    EXPECT_EQ(d->size(), QSize(626, 447));
    d->resize(900, 600);
    // Positions follow the twips: List1 half the width less 400, List2 beside it at +730.
    EXPECT_EQ(d->List1->x(), 8);
    EXPECT_EQ(d->List1->width(), (900 * 15 / 2 - 400) / 15);
    EXPECT_EQ(d->List2->x(), ((900 * 15 / 2 - 400) + 730) / 15);
    EXPECT_EQ(d->cmdok->x(), (900 * 15 - 1440) / 15);
    EXPECT_EQ(d->cmdavbryt->y(), (600 * 15 - 480) / 15);

    d->showSingleList();
    EXPECT_EQ(d->windowTitle(), "Mappar");
    EXPECT_TRUE(d->Label3->text().isEmpty());
    EXPECT_FALSE(d->cmdok->isVisible());
    EXPECT_FALSE(d->cmdläggtill->isVisible());
    EXPECT_FALSE(d->Label2->isVisible());
    EXPECT_FALSE(d->List2->isVisible());
    EXPECT_TRUE(d->cmdavbryt->isVisible());
    EXPECT_EQ(d->List1->width(), (900 * 15 - 240) / 15);
}
