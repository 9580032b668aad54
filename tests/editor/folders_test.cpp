#include "core/error_dialog.h"
#include "editor/excluded_folders.h"
#include "editor/job_editor_window.h"
#include "mainwindow/main_window.h"
#include "platform/errors.h"
#include "run/backup_window.h"
#include "support/fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>
#include <cerrno>

class FoldersTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        prog().jobbgruppmapp = path("Listor");
        for (const char* d : {"Data/a/a1", "Data/b/b1", "Data/Old/o1", "Database/x"})
            testutil::makeDir(work(d));
    }
    frmaddmapp* editor() { return prog().form<frmaddmapp>(); }
    static QStringList items(const QListWidget* l) {
        QStringList out;
        for (int i = 0; i < l->count(); ++i)
            out << l->item(i)->text();
        return out;
    }
    // Relative to the work folder, for readable expectations.
    QStringList rel(const QListWidget* l) const {
        QStringList out;
        for (QString t : items(l))
            out << t.remove(0, workDir_.path().length() + 1);
        return out;
    }
    // A report of the message reporter: its dialog must show a text containing `contains`.
    void expectReport(const QString& contains) {
        dialogs().expectWindow("frmerror", [contains](QWidget* w) {
            auto* d = static_cast<frmerror*>(w);
            EXPECT_TRUE(d->lblfel->toPlainText().contains(contains))
                << d->lblfel->toPlainText().toStdString();
            d->cmdok->click();
        });
    }
    // Adds a folder through the plus button's picker; `report` is a message the add must show.
    void add(const QString& rel, const QString& report = {}) {
        dialogs().expectFolder(work(rel), "Leta upp mappen du vill lägga till");
        if (!report.isEmpty())
            expectReport(report);
        editor()->cmdhämtamapp->click();
    }
    void selectMain(const QString& rel) {
        const auto found = editor()->combomappar->findItems(work(rel), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        editor()->combomappar->setCurrentItem(found.first());
    }
    QString syslog() { return prog().form<frmmain>()->txtsyslogg->toPlainText(); }
    void dropOn(QListWidget* list, const QStringList& paths) {
        auto* mime = new QMimeData;
        QList<QUrl> urls;
        for (const QString& p : paths)
            urls << QUrl::fromLocalFile(p);
        mime->setUrls(urls);
        // As the desktop delivers it: the drag enters the list, then the drop follows.
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &drop);
        delete mime;
    }
};

TEST_F(FoldersTest, AddingWithSubfoldersListsTheTreeAndCoverageGoesByWholePathPieces) {
    add("Data");
    EXPECT_EQ(rel(editor()->combomappar), QStringList({"Data"}));
    EXPECT_EQ(rel(editor()->lstFoundFiles),
              QStringList({"Data", "Data/a", "Data/a/a1", "Data/b", "Data/b/b1", "Data/Old", "Data/Old/o1"}));
    EXPECT_EQ(editor()->lblCount->text(), "7");
    EXPECT_EQ(editor()->lblCount2->text(), "7");
    EXPECT_FALSE(editor()->cmdexit->isVisible());
    EXPECT_TRUE(editor()->cmdok->isEnabled());

    // A folder below a main folder adds no main folder; its entries stand twice.
    add("Data/b");
    EXPECT_EQ(rel(editor()->combomappar), QStringList({"Data"}));
    EXPECT_EQ(editor()->lblCount->text(), "2");
    EXPECT_EQ(editor()->lblCount2->text(), "9");

    // A name that merely begins like a main folder is a main folder of its own.
    add("Database");
    EXPECT_EQ(rel(editor()->combomappar), QStringList({"Data", "Database"}));

    // A folder whose path holds the main folder's whole path further in is not below it.
    testutil::makeDir(work("kopia") + work("Data"));
    dialogs().expectFolder(work("kopia") + work("Data"));
    editor()->cmdhämtamapp->click();
    EXPECT_EQ(editor()->combomappar->count(), 3);

    // A browsed folder that is gone is reported, nothing added.
    add("borta", "Mappen \"" + work("borta") + "\" finns inte!");
    EXPECT_EQ(editor()->combomappar->count(), 3);
}

TEST_F(FoldersTest, AddingAloneUnticksTheRescanOptionOnceWithAMessage) {
    editor()->chksubmapp->setChecked(false);
    ASSERT_TRUE(editor()->chkuppdateramappar->isChecked());
    add("Data", "Du har valt att lägga till en mapp utan att inkludera dess undermappar.");
    EXPECT_EQ(rel(editor()->lstFoundFiles), QStringList({"Data"}));
    EXPECT_FALSE(editor()->chkuppdateramappar->isChecked());
    EXPECT_FALSE(editor()->chkuppdateramappar->isEnabled());

    add("Data/a"); // no second message
    EXPECT_EQ(rel(editor()->combomappar), QStringList({"Data"}));
    EXPECT_EQ(rel(editor()->lstFoundFiles), QStringList({"Data", "Data/a"}));
    EXPECT_EQ(editor()->lblCount->text(), "1");
    EXPECT_FALSE(editor()->chkuppdateramappar->isEnabled()); // stays off after the add re-enables its page
}

TEST_F(FoldersTest, RemovingAMainFolderTakesEverythingBelowItAndNothingElse) {
    add("Data/Old");
    add("Data");
    add("Database");
    testutil::makeDir(work("Data") + "Old"); // a sibling whose name starts like the main folder
    selectMain("Data");
    editor()->cmdtabortmappar->click();
    EXPECT_EQ(rel(editor()->combomappar), QStringList({"Data/Old", "Database"}));
    EXPECT_EQ(rel(editor()->lstFoundFiles), QStringList({"Database", "Database/x"}));
    EXPECT_EQ(editor()->lblCount2->text(), "2");

    // Delete removes exactly the selected entries; other keys only recount.
    add("Data");
    for (int row : {0, 2, 4})
        editor()->lstFoundFiles->item(row)->setSelected(true);
    const QStringList before = items(editor()->lstFoundFiles);
    QKeyEvent other(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier);
    QApplication::sendEvent(editor()->lstFoundFiles, &other);
    EXPECT_EQ(items(editor()->lstFoundFiles), before);
    QKeyEvent del(QEvent::KeyRelease, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(editor()->lstFoundFiles, &del);
    QStringList expected = before;
    for (int row : {4, 2, 0})
        expected.removeAt(row);
    EXPECT_EQ(items(editor()->lstFoundFiles), expected);
    EXPECT_EQ(editor()->lblCount2->text(), QString::number(expected.size()));
    EXPECT_EQ(editor()->combomappar->count(), 3);
}

TEST_F(FoldersTest, RescanCountsBeforeAndAfterMovesTheMainFolderLastAndDropsExcludedFolders) {
    add("Data");
    add("Database");
    editor()->listexmappar = QStringList{work("Data/a/a1")};
    testutil::makeDir(work("Data/ny"));
    QDir(work("Data/b")).removeRecursively();
    selectMain("Data");
    // Before: 7 entries under Data. After: the whole list (Data 6 + Database 2) less the excluded one.
    expectReport("Mappstrukturen har uppdaterats.\n" + work("Data") + "\n\nFöre: 7 mappar\nEfter: 7 mappar");
    editor()->cmduppdatera->click();
    EXPECT_EQ(rel(editor()->combomappar), QStringList({"Database", "Data"}));
    EXPECT_EQ(rel(editor()->lstFoundFiles), QStringList({"Database", "Database/x", "Data", "Data/a",
                                                         "Data/ny", "Data/Old", "Data/Old/o1"}));
    EXPECT_TRUE(syslog().contains("Uppdaterar mappstruktur för mappen \"" + work("Data") + "\"."));
    EXPECT_TRUE(syslog().contains("Mappstrukturen har uppdaterats för mappen \"" + work("Data") +
                                  "\". Före: 7 mappar. Efter: 7 mappar"));

    // A main folder that another one covers is dropped from the main folders by its rescan.
    editor()->combomappar->addItem(work("Data/Old")); // as a job saved with it as a main folder
    selectMain("Data/Old");
    expectReport("Före: 2 mappar");
    editor()->cmduppdatera->click();
    EXPECT_EQ(rel(editor()->combomappar), QStringList({"Database", "Data"}));

    // No main folder selected: only the request to choose one.
    editor()->combomappar->setCurrentRow(-1);
    expectReport("Du måste markera en huvudmapp för att uppdatera dess undermappar.");
    editor()->uppdatera_innehåll();
}

TEST_F(FoldersTest, RescanDrivenByTheMainWindowIsSilentAndKeepsExcludedFolders) {
    add("Data");
    editor()->listexmappar = QStringList{work("Data/a")};
    const QString before = syslog();
    prog().form<frmmain>()->Tag = "1";
    selectMain("Data");
    editor()->uppdatera_innehåll();
    prog().form<frmmain>()->Tag.clear();
    EXPECT_EQ(syslog(), before);
    EXPECT_TRUE(items(editor()->lstFoundFiles).contains(work("Data/a")));
    EXPECT_EQ(editor()->lblCount->text(), "7");
}

TEST_F(FoldersTest, ACancelledOrPartlyUnreadableRescanNeverDropsKnownFolders) {
    add("Data");
    add("Database");
    const QStringList main = items(editor()->combomappar);
    const QStringList all = items(editor()->lstFoundFiles);
    QDir(work("Data/Old")).removeRecursively(); // would be dropped by a completed rescan

    selectMain("Data");
    QTimer::singleShot(0, editor(), [this] {
        ASSERT_TRUE(editor()->folderScanBusy());
        ASSERT_TRUE(editor()->cmdexit->isEnabled());
        dialogs().expectMessage("Vill du avbryta?", platform::Answer::Yes);
        editor()->cmdexit->click();
    });
    editor()->cmduppdatera->click();
    EXPECT_EQ(items(editor()->combomappar), main);
    EXPECT_EQ(items(editor()->lstFoundFiles), all);
    EXPECT_FALSE(editor()->folderScanBusy());
    EXPECT_FALSE(editor()->cmdexit->isVisible());

    // A folder that cannot be read this time keeps the folders known below it.
    platform::injectFault(work("Data/a"), EIO);
    selectMain("Data");
    expectReport("Mappstrukturen har uppdaterats.");
    editor()->cmduppdatera->click();
    EXPECT_EQ(rel(editor()->combomappar), QStringList({"Database", "Data"}));
    EXPECT_EQ(rel(editor()->lstFoundFiles),
              QStringList({"Database", "Database/x", "Data", "Data/a", "Data/b", "Data/b/b1", "Data/a/a1"}));
}

TEST_F(FoldersTest, RescanningAGoneFolderChangesNothingAndDuringARunWritesTheRunLog) {
    add("Data");
    add("Database");
    const QStringList all = items(editor()->lstFoundFiles);
    QDir(work("Database")).removeRecursively();
    selectMain("Database");
    expectReport("FEL! Mappen finns inte på den här datorn, och kan inte uppdateras.");
    editor()->uppdatera_innehåll();
    EXPECT_EQ(items(editor()->lstFoundFiles), all);
    EXPECT_EQ(editor()->combomappar->count(), 2);

    frmutförbackup* b = prog().form<frmutförbackup>();
    b->cmdkörbackup->setEnabled(false); // a run is going on
    prog().clock.setNow(QDateTime(QDate(2026, 5, 6), QTime(7, 8, 9)));
    prog().form<frmmain>()->Tag = "1";
    editor()->uppdatera_innehåll();
    prog().form<frmmain>()->Tag.clear();
    EXPECT_TRUE(b->txtloggtext->toPlainText().endsWith(
        "\n07:08:09 FEL: Mappen finns inte på den här datorn och kan inte uppdateras (" + work("Database") +
        ")"));
    EXPECT_TRUE(b->txtbackup->text().isEmpty());
    EXPECT_TRUE(syslog().contains("FEL! Mappen finns inte på den här datorn, och kan inte uppdateras. " +
                                  work("Database") + ". Plats: Uppdatera mappstruktur"));
    EXPECT_EQ(items(editor()->lstFoundFiles), all);
}

TEST_F(FoldersTest, SelectingAMainFolderReportsAGoneFolderButNeverANetworkPath) {
    editor()->combomappar->addItem("//server/delad/mapp");
    editor()->combomappar->addItem(work("finns_ej"));
    editor()->combomappar->setCurrentRow(0); // nothing
    expectReport("FEL! Mappen \"" + work("finns_ej") + "\" finns inte!");
    editor()->show();
    editor()->combomappar->setCurrentRow(1);
    editor()->hide();
    editor()->combomappar->addItem(work("Data"));
    editor()->combomappar->setCurrentRow(2);
    EXPECT_EQ(editor()->lblmapp, work("Data"));
}

TEST_F(FoldersTest, DroppedFoldersAreAddedInDropOrderAndADroppedFileStopsTheRest) {
    dropOn(editor()->combomappar, {work("Database"), work("Data/a"), work("Data")});
    EXPECT_EQ(rel(editor()->combomappar), QStringList({"Database", "Data/a", "Data"}));
    EXPECT_EQ(editor()->lstFoundFiles->count(), 2 + 2 + 7);

    testutil::writeFile(work("fil.txt"), "x");
    testutil::makeDir(work("Sist"));
    expectReport("Ett fel uppstod.");
    dropOn(editor()->lstFoundFiles, {work("fil.txt"), work("Sist")});
    EXPECT_EQ(editor()->combomappar->count(), 3);
    EXPECT_TRUE(syslog().contains("Plats: Mapp, drag n drop, mapplista"));
}

TEST_F(FoldersTest, WhileAFolderIsScannedDropsOkAndClosingAreRefused) {
    editor()->show();
    QTimer::singleShot(0, editor(), [this] {
        ASSERT_TRUE(editor()->folderScanBusy());
        EXPECT_FALSE(editor()->cmdok->isEnabled());
        EXPECT_FALSE(editor()->cmdstäng->isEnabled());
        dropOn(editor()->combomappar, {work("Database")});
        EXPECT_FALSE(editor()->close());
        EXPECT_TRUE(editor()->isVisible());
    });
    add("Data");
    EXPECT_EQ(rel(editor()->combomappar), QStringList({"Data"}));
    EXPECT_EQ(editor()->lstFoundFiles->count(), 7);
    EXPECT_TRUE(editor()->cmdok->isEnabled());
    EXPECT_FALSE(editor()->cmdexit->isVisible());
}

TEST_F(FoldersTest, ACancelledAddKeepsWhatWasFoundAndTheNextAddStartsAfresh) {
    QTimer::singleShot(0, editor(), [this] {
        dialogs().expectMessage("Vill du avbryta?", platform::Answer::Yes);
        editor()->cmdexit_Click();
    });
    add("Data");
    // The listing already begun finishes its direct subfolders; nothing deeper.
    EXPECT_EQ(rel(editor()->lstFoundFiles), QStringList({"Data", "Data/a", "Data/b", "Data/Old"}));
    EXPECT_EQ(editor()->cmdexit_Tag, "avbryt");
    add("Database");
    EXPECT_EQ(editor()->lstFoundFiles->count(), 6);
}

TEST_F(FoldersTest, TheMirrorStepScanGoesToTheBackupWindowOnly) {
    add("Database");
    frmutförbackup* b = prog().form<frmutförbackup>();
    prog().form<frmmain>()->Tag = "sync";
    editor()->setDriveAndFolder(work("Data"));
    editor()->starta_sökning();
    EXPECT_EQ(b->listsyncmappar.size(), 7);
    EXPECT_EQ(b->listsyncmappar.first(), work("Data"));
    EXPECT_EQ(b->lblantalmappar->text(), "Antal inlästa mappar: 7");
    EXPECT_EQ(rel(editor()->combomappar), QStringList({"Database"}));
    EXPECT_EQ(editor()->lstFoundFiles->count(), 2);

    // A cancelled backup starts no scan.
    b->lblavbryt = "1";
    editor()->starta_sökning();
    EXPECT_EQ(b->listsyncmappar.size(), 7);
    prog().form<frmmain>()->Tag.clear();
}

TEST_F(FoldersTest, TheExcludedFoldersDialogChangesTheEditorOnlyOnOk) {
    add("Data");
    dialogs().expectWindow("frmexmappar", [this](QWidget* w) {
        auto* d = static_cast<frmexmappar*>(w);
        for (const char* r : {"Data/a", "Data/b", "Data/Old"})
            d->List1->findItems(work(r), Qt::MatchExactly).first()->setSelected(true);
        d->cmdläggtill->click();
        d->cmdavbryt->click();
    });
    editor()->cmdexmappar->click();
    EXPECT_EQ(editor()->listexmappar.size(), 0);
    EXPECT_EQ(editor()->lstFoundFiles->count(), 7);
    EXPECT_EQ(editor()->cmdexmappar->text(), "Exkludera mappar... (0 mappar)");

    dialogs().expectWindow("frmexmappar", [this](QWidget* w) {
        auto* d = static_cast<frmexmappar*>(w);
        for (const char* r : {"Data/a", "Data/b", "Data/Old"})
            d->List1->findItems(work(r), Qt::MatchExactly).first()->setSelected(true);
        d->cmdläggtill->click();
        d->cmdok->click();
    });
    editor()->cmdexmappar->click();
    EXPECT_EQ(editor()->listexmappar, QStringList({work("Data/a"), work("Data/b"), work("Data/Old")}));
    // Subfolders of the excluded folders stay until moved as well.
    EXPECT_EQ(rel(editor()->lstFoundFiles), QStringList({"Data", "Data/a/a1", "Data/b/b1", "Data/Old/o1"}));
    EXPECT_EQ(editor()->cmdexmappar->text(), "Exkludera mappar... (3 mappar)");

    dialogs().expectWindow("frmexmappar", [](QWidget* w) {
        auto* d = static_cast<frmexmappar*>(w);
        EXPECT_EQ(d->windowTitle(), "Mappar");
        EXPECT_EQ(d->List1->count(), 4);
        EXPECT_FALSE(d->cmdok->isVisibleTo(d));
    });
    editor()->cmdmappfullskärm->click();
    EXPECT_EQ(prog().loaded<frmexmappar>(), nullptr);
}
