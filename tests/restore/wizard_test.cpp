#include "wizard_support.h"

#include "foldersync/sync_window.h"
#include "platform/accessibility.h"
#include "platform/paths.h"
#include "support/accessible.h"

#include <QAccessible>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTimer>
#include <QtTest/QTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using testutil::readBytes;
using testutil::writeFile;

namespace {

// A job's backup restored from the job: exactly the missing files, and the newer ones when asked, come back.
// Absolute with the main folder's name here; paths_test maps every path type against the run's own folders.
TEST_F(WizardTest, AJobsBackupComesBackFromTheJob) {
    for (const char* f : {"a.txt", "ändras.txt", "sub/b.txt", "sub/djup/c.txt"})
        writeFile(src_ + '/' + f, f, t0_);
    writeJob("Jobb", true, true);
    backUp("Jobb");
    const QString location = dst_ + "/Källa";
    ASSERT_TRUE(QFile::exists(location + "/sub/djup/c.txt"));
    // Lost since: b and c with their folders; the backup holds a newer a.txt.
    QDir(src_ + "/sub").removeRecursively();
    writeFile(location + "/a.txt", "nyare a", t0_.addSecs(3600));

    openWizard(false, [&](frmåterställ* w) {
        w->cmdnästa->click();
        EXPECT_EQ(w->combojobb->currentText(), "Jobb");
        EXPECT_EQ(w->combomappar->currentText(), src_);
        EXPECT_EQ(w->lblmapp->text(), location);
        EXPECT_FALSE(w->chkåterställ2->isChecked()); // newer copies only when asked
        w->chkåterställ2->setChecked(true);
        w->cmdnästa->click();
        EXPECT_FALSE(w->cmdnästa->isEnabled());
        w->cmdladdamålmappar->click();
        EXPECT_EQ(w->lblmappantal->text(), "3");
        EXPECT_TRUE(w->cmdnästa->isEnabled());
        w->cmdnästa->click();
        expectReport("Genomsökningen av valda mappar är klar. Funna filer: 3 av 4. Klicka på OK för att "
                     "se filerna.");
        w->cmdnästa->click();
        EXPECT_EQ(w->comboframe, 4);
        EXPECT_EQ(w->Liståterställtill_texts(), QStringList({"+ " + src_ + "/sub/djup/c.txt",
                                                             "+ " + src_ + "/sub/b.txt", src_ + "/a.txt"}));
        EXPECT_EQ(w->Liståterställfrån(),
                  QStringList({location + "/sub/djup/c.txt", location + "/sub/b.txt", location + "/a.txt"}));
        EXPECT_EQ(w->Liståterställmapp(), QStringList({src_ + "/sub/djup/", src_ + "/sub/", src_ + "/"}));
        expectReport("Återställningen av filerna i listan lyckades. Återställda filer: 3 av 3. Se loggen för "
                     "information.");
        w->cmdåterställfiler->click();
        EXPECT_TRUE(w->Liståterställtill_texts().isEmpty());
        EXPECT_TRUE(w->cmdlogg->isVisibleTo(w));
        w->cmdnästa->click(); // Avsluta
    });
    EXPECT_EQ(prog().loaded<frmåterställ>(), nullptr);
    EXPECT_EQ(testutil::treeFiles(src_), QStringList({"a.txt", "sub/b.txt", "sub/djup/c.txt", "ändras.txt"}));
    EXPECT_EQ(readBytes(src_ + "/a.txt"), "nyare a");
    EXPECT_EQ(readBytes(src_ + "/sub/djup/c.txt"), "sub/djup/c.txt");
    EXPECT_EQ(readBytes(src_ + "/ändras.txt"), "ändras.txt");
    EXPECT_EQ(log().value(3), "Filer återställda från jobb JOBB");
    const QString syslog = prog().systemLog().text();
    EXPECT_TRUE(syslog.contains("Från jobb JOBB"));
    EXPECT_TRUE(syslog.contains("Återställningen av filerna i listan lyckades. Återställda filer: 3 av 3"));
}

TEST_F(WizardTest, TheCurrentJobOpensOnThePageOfPathsWithItsMainFolder) {
    testutil::JobSpec j = testutil::jobOver("Två", src_, dst_);
    j.mainFolders = {work("Första"), src_};
    testutil::writeJob(path("Listor"), testutil::jobOver("Ett", work("Annat"), dst_));
    testutil::writeJob(path("Listor"), j);
    frmmain* m = prog().form<frmmain>();
    m->cmdload_Click();
    m->comboinställningar->setCurrentIndex(1);
    m->setCombomapparIndex(1);
    openWizard(true, [&](frmåterställ* w) {
        EXPECT_EQ(w->comboframe, 1);
        EXPECT_EQ(w->combojobb->currentText(), "Två");
        EXPECT_EQ(w->combomappar->currentText(), src_);
        EXPECT_EQ(w->txtåterställfrån->text(), platform::withoutTrailingSeparator(copyOf("")));
        EXPECT_EQ(w->txtåterställtill->text(), src_);
        // Choosing another job loads it in the main window as well.
        w->combojobb->setCurrentIndex(0);
        EXPECT_EQ(prog().job().txtjobbnamn, "Ett");
        EXPECT_EQ(w->lblmapp2->text(), work("Annat"));
        w->cmdstäng->click();
    });
    EXPECT_EQ(prog().loaded<frmåterställ>(), nullptr);
}

TEST_F(WizardTest, WithoutJobsTheMainWindowSaysSoAndOpensNothing) {
    prog().form<frmmain>()->cmdload_Click();
    expectReport("Det finns inga jobb att återställa.");
    prog().form<frmmain>()->cmdåterställ_Click();
    EXPECT_EQ(prog().loaded<frmåterställ>(), nullptr);
}

TEST_F(WizardTest, EveryControlOfEveryPageHasAName) {
    platform::installAccessibility();
    openByHand([&](frmåterställ* w) {
        w->show();
        for (bool manual : {false, true})
            for (int p = 0; p < 5; ++p) {
                w->optjobb2->setChecked(manual);
                w->setComboframe(p);
                EXPECT_EQ(testutil::unnamedControls(w), QStringList())
                    << "page " << p << " manual " << manual;
            }
        frmåterställ2 d;
        d.show();
        EXPECT_EQ(testutil::unnamedControls(&d), QStringList());
        w->hide();
    });
}

TEST_F(WizardTest, TheManualPathsAreCheckedNotMadeUp) {
    QTemporaryDir volumes;
    platform::addVolumeParent(volumes.path());
    openByHand([&](frmåterställ* w) {
        w->optjobb2->setChecked(true);
        w->setComboframe(1);
        w->txtåterställtill->setText("x");
        EXPECT_EQ(w->lblvarning->text(), "Varning: x ser inte ut att vara en giltig återställningsenhet!");
        w->txtåterställtill->setText("/home");
        EXPECT_EQ(w->lblvarning->text(), "");
        w->txtbackupmapp->setText("/mnt/usb/Backup");
        // As long as the folder does not lie below the backup, nothing is made up.
        w->txtåterställfrån->setText("/other/place/x");
        EXPECT_EQ(w->txtåterställtill->text(), "/home");
        EXPECT_EQ(w->txtåterställtill->palette().color(QPalette::Text), QColor(192, 0, 0));
        w->txtåterställfrån->setText("/mnt/usb/Backup/home/anna");
        EXPECT_EQ(w->txtåterställtill->text(), "/home/anna");
        EXPECT_NE(w->txtåterställtill->palette().color(QPalette::Text), QColor(192, 0, 0));
        // The pickers take only folders that exist.
        dialogs().expectFolder(work("finns inte"));
        expectReport("Mappen \"" + work("finns inte") + "\" finns inte!");
        w->cmdöppnabackupmapp->click();
        EXPECT_EQ(w->txtbackupmapp->text(), "/mnt/usb/Backup");
        testutil::makeDir(work("finns"));
        dialogs().expectFolder(work("finns"));
        w->cmdöppnaåterställningsmapp->click();
        EXPECT_EQ(w->txtåterställfrån->text(), work("finns"));
        dialogs().expectFolder(QString());
        w->cmdåterställtillmapp->click();
    });
    platform::clearVolumeParents();
}

TEST_F(WizardTest, ALoadOfAFolderThatIsNotThereEmptiesTheList) {
    testutil::makeDir(work("b/x/y"));
    openByHand([&](frmåterställ* w) {
        byHand(w, work("b"), work("mål"));
        w->setComboframe(2);
        w->cmdladdamålmappar->click();
        EXPECT_EQ(w->List1->count(), 3);
        EXPECT_EQ(w->List1->item(0)->text(), work("b/"));
        EXPECT_TRUE(w->lblinlästamappar->text().startsWith("Mapparna är nu inlästa."));
        // The folder list shows where each folder goes back to, written as the entry is.
        w->List1->setCurrentRow(2);
        EXPECT_EQ(w->txtmarkerad->text(), work("mål/x/y"));
        w->List1->setCurrentRow(0);
        EXPECT_EQ(w->txtmarkerad->text(), work("mål/"));
        // Never into a folder relative to wherever the program runs.
        w->txtåterställtill->setText("relativ");
        w->List1->selectAll();
        expectReport("FEL! Det finns ingen giltig mapp att återställa till");
        w->cmdåterställmarkerade_Click();
        EXPECT_TRUE(w->Liståterställtill_texts().isEmpty());
        w->txtåterställfrån->setText(work("saknas"));
        w->cmdladdamålmappar->click();
        EXPECT_EQ(w->List1->count(), 0);
        EXPECT_EQ(w->lblmappantal->text(), "0");
        EXPECT_TRUE(w->lblinlästamappar->text().startsWith("Inga mappar funna."));
        EXPECT_FALSE(w->cmdnästa->isEnabled());
        EXPECT_TRUE(w->cmdförra->isEnabled());
        // Nothing to scan: the message, and no result.
        w->setComboframe(3);
        expectReport("Du har inte markerat någon mapp. Det finns inget att återställa.");
        w->cmdåterställmarkerade_Click();
        EXPECT_TRUE(w->Liståterställtill_texts().isEmpty());
    });
}

TEST_F(WizardTest, MarkedFoldersOutsideTheJobsBackupAreSkippedAndReported) {
    writeFile(work("främmande/z.txt"), "z", t0_);
    openByHand([&](frmåterställ* w) {
        // The list was loaded by hand elsewhere, then the job was chosen.
        byHand(w, work("främmande"));
        w->setComboframe(2);
        w->cmdladdamålmappar->click();
        w->optjobb1->setChecked(true);
        w->setComboframe(3);
        w->List1->selectAll();
        w->chkåterställmarkerad->setChecked(true);
        expectReport("FEL! 1 markerade mappar ligger utanför");
        expectReport("Genomsökningen av valda mappar är klar. Funna filer: 0 av 0");
        w->cmdnästa->click();
        EXPECT_TRUE(w->Liståterställtill_texts().isEmpty());
    });
    EXPECT_FALSE(QFile::exists(src_ + "/z.txt"));
    EXPECT_TRUE(prog().systemLog().text().contains("FEL! Mappen ligger utanför " + copyOf("") +
                                                   " och genomsöktes inte: " + work("främmande/")));
}

// A job whose backup folder may not be one (a mirror there deletes what is not the job's) is
// not restored from: the wizard says why and lists nothing.
TEST_F(WizardTest, AJobWhoseBackupFolderMayNotBeOneIsNotRestoredFrom) {
    const struct {
        QString job, root, home, backup, main, reason;
    } cases[] = {
        {"Rot", work("Rot"), {}, work("Rot"), src_, "backupmappen är rotmappen"},
        {"Hem", {}, work("Hem"), work("Hem"), src_, "backupmappen är hemmappen eller en mapp ovanför den"},
        {"Ovan",
         {},
         {},
         work("Ovan"),
         work("Ovan/Källa"),
         "backupmappen är källmappen " + work("Ovan/Källa") + " eller en mapp ovanför den"},
    };
    for (const auto& c : cases) {
        writeFile(c.main + "/a.txt", "a", t0_);
        writeFile(c.backup + c.main + "/b.txt", "b", t0_); // where the relative path type backs it up
        testutil::writeJob(path("Listor"), testutil::jobOver(c.job, c.main, c.backup));
    }
    openWizard(false, [&](frmåterställ* w) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.job.toStdString());
            platform::standInSystemFolders(c.root, c.home);
            w->setComboframe(1);
            w->selectJobEntry(w->combojobb->findText(c.job));
            ASSERT_EQ(w->txtåterställfrån->text(), c.backup + c.main);
            w->setComboframe(2);
            const QString refusal =
                "FEL! Jobbet " + c.job + " kan inte återställas: " + c.reason + " (" + c.backup + ")";
            expectReport(refusal);
            w->cmdladdamålmappar->click();
            EXPECT_TRUE(QString(prog().systemLog().text()).contains(refusal + ". Plats: Återställ backup"))
                << QString(prog().systemLog().text()).toStdString();
            EXPECT_TRUE(w->engine.folders.isEmpty());
            EXPECT_FALSE(w->cmdnästa->isEnabled());
        }
        w->cmdstäng->click();
    });
    EXPECT_FALSE(QFile::exists(src_ + "/b.txt"));
}

// The wizard with its file list filled from a scan of a backup with five missing files.
class FileListTest : public WizardTest {
  protected:
    void fill(frmåterställ* w) {
        for (const char* n : {"alfa.txt", "Beta.txt", "gamma.doc", "delta.txt", "epsilon.doc"})
            writeFile(work("b/") + n, n, t0_);
        byHand(w, work("b"), work("mål"));
        loadFolders(w);
        expectReport("Funna filer: 5 av 5");
        w->cmdnästa->click();
        ASSERT_EQ(w->comboframe, 4);
    }
    static QList<int> selectedRows(frmåterställ* w) {
        QList<int> rows;
        for (const QModelIndex& i : w->Liståterställtill->selectionModel()->selectedRows())
            rows << i.row();
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    static void select(frmåterställ* w, std::initializer_list<int> rows) {
        w->Liståterställtill->clearSelection();
        for (int r : rows)
            w->Liståterställtill->selectionModel()->select(w->resultModel->index(r),
                                                           QItemSelectionModel::Select);
    }
};

TEST_F(FileListTest, SearchSelectsTheFirstHitAndNextGoesOnWithoutWrapping) {
    openByHand([&](frmåterställ* w) {
        fill(w);
        const QColor green(0, 128, 0), red(128, 0, 0);
        select(w, {0, 1, 2});
        w->txtsökfillista->setText("");
        w->txtsökfillista_Change();
        EXPECT_EQ(selectedRows(w), QList<int>({0}));
        EXPECT_EQ(w->txtsökfillista->palette().color(QPalette::Text), green);
        QTest::keyClicks(w->txtsökfillista, ".DOC");
        EXPECT_EQ(w->Liståterställtill_texts().value(selectedRows(w).value(0)),
                  "+ " + work("mål/epsilon.doc"));
        QTest::keyClick(w->txtsökfillista, Qt::Key_Return);
        EXPECT_EQ(w->Liståterställtill_texts().value(selectedRows(w).value(0)), "+ " + work("mål/gamma.doc"));
        const QList<int> last = selectedRows(w);
        w->cmdsökfillistanästa->click();
        EXPECT_EQ(w->txtsökfillista->palette().color(QPalette::Text), red);
        EXPECT_EQ(selectedRows(w), last);
        w->txtsökfillista->clear();
        QTest::keyClicks(w->txtsökfillista, "+ /");
        EXPECT_EQ(w->txtsökfillista->palette().color(QPalette::Text), green);
        QTest::keyClicks(w->txtsökfillista, "ingenstans");
        EXPECT_EQ(w->txtsökfillista->palette().color(QPalette::Text), red);
        EXPECT_EQ(selectedRows(w), QList<int>({0}));

        // The folder list on the page before searches alike.
        w->setComboframe(3);
        QTest::keyClicks(w->txtsökmapplista, "B");
        EXPECT_EQ(w->List1->currentRow(), 0);
        EXPECT_EQ(w->txtsökmapplista->palette().color(QPalette::Text), green);
        QTest::keyClick(w->txtsökmapplista, Qt::Key_Return);
        EXPECT_EQ(w->txtsökmapplista->palette().color(QPalette::Text), red);
    });
}

TEST_F(FileListTest, DeleteKeepsTheListsInStepAndOpeningTakesTheBackupCopy) {
    openByHand([&](frmåterställ* w) {
        fill(w);
        const QStringList before = w->Liståterställfrån();
        select(w, {0, 2, 4});
        w->Liståterställtill->setFocus();
        QTest::keyClick(w->Liståterställtill, Qt::Key_Delete);
        ASSERT_EQ(w->Liståterställtill_texts().size(), 2);
        EXPECT_EQ(w->Liståterställfrån(), QStringList({before[1], before[3]}));
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ("+ " + platform::joinPath(w->Liståterställmapp()[i],
                                                platform::lastPiece(w->Liståterställfrån()[i])),
                      w->Liståterställtill_texts()[i]);
        // A "+ " entry opens its backup copy, never the missing original.
        w->Liståterställtill->setCurrentIndex(w->resultModel->index(1));
        EXPECT_EQ(w->txtmarkerad2->text(), before[3]);
        dialogs().expectOpenUrl(before[3]);
        w->cmdöppnafil->click();
        QFile::remove(before[3]);
        expectReport("Kunde inte hitta filen " + before[3] + ".");
        w->Liståterställtill_DblClick();
        // Only the marked ones, with the other button.
        w->chkåterställmarkerad2->setChecked(true);
        EXPECT_TRUE(w->cmdåterställmarkeradefiler->isVisibleTo(w));
        EXPECT_FALSE(w->cmdåterställfiler->isVisibleTo(w));
        w->Liståterställtill->clearSelection();
        expectReport("Du har inte markerat någon fil. Det finns inget att återställa.");
        w->cmdåterställmarkeradefiler->click();
        select(w, {0});
        expectReport("Återställningen av valda filer lyckades. Återställda filer: 1 av 1.");
        w->cmdåterställmarkeradefiler->click();
        EXPECT_EQ(w->Liståterställtill_texts(),
                  QStringList({"+ " + work("mål/") + platform::lastPiece(before[3])}));
        const QString back = platform::lastPiece(before[1]);
        EXPECT_EQ(readBytes(work("mål/") + back), back.toUtf8());
        // The log: the right button hands it to the desktop.
        ASSERT_TRUE(w->cmdlogg->isVisibleTo(w));
        dialogs().expectOpenUrl(path("log.txt"));
        QTest::mouseRelease(w->cmdlogg, Qt::RightButton);
    });
}

// "Återställ dessa filer" restores the whole list whatever rows are marked: its message and logs
// never call the unmarked files chosen. Only the marked-only restore speaks of chosen files.
TEST_F(FileListTest, TheResultSaysWhatEachRestoreButtonRestored) {
    const struct {
        bool markedOnly;
        QString message;
        int restored;
    } cases[] = {
        {false, "Återställningen av filerna i listan lyckades. Återställda filer: 5 av 5.", 5},
        {true, "Återställningen av valda filer lyckades. Återställda filer: 1 av 1.", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.markedOnly ? "only the marked files" : "these files");
        QDir(work("mål")).removeRecursively();
        const qsizetype systemLogBefore = prog().systemLog().text().size();
        openByHand([&](frmåterställ* w) {
            fill(w);
            select(w, {0});
            w->chkåterställmarkerad2->setChecked(c.markedOnly);
            expectReport(c.message);
            (c.markedOnly ? w->cmdåterställmarkeradefiler : w->cmdåterställfiler)->click();
            w->cmdstäng->click();
        });
        EXPECT_EQ(testutil::treeFiles(work("mål")).size(), c.restored);
        EXPECT_FALSE(log().join('\n').contains("valda")) << log().join('\n').toStdString();
        const QString newLines = prog().systemLog().text().mid(systemLogBefore);
        EXPECT_TRUE(newLines.contains(c.message.chopped(1))) << newLines.toStdString();
        EXPECT_EQ(newLines.contains("valda"), c.markedOnly) << newLines.toStdString();
    }
}

TEST_F(FileListTest, StopIsAskedForAndClosingDuringACopyStopsItAndKeepsTheLogWhole) {
    openByHand([&](frmåterställ* w) {
        fill(w);
        dialogs().expectMessage("Vill du avbryta?", platform::Answer::No);
        w->cmdavbrytcopy2_Click();
        EXPECT_EQ(w->avbrottsflagga, 0);
        dialogs().expectMessage("Vill du avbryta?", platform::Answer::Yes);
        w->cmdavbrytcopy_Click();
        EXPECT_EQ(w->avbrottsflagga, 1);
        // The user closes the window as soon as the copy lets messages through.
        QTimer::singleShot(0, w, [w] { w->close(); });
        w->cmdåterställfiler->click();
    });
    EXPECT_EQ(prog().loaded<frmåterställ>(), nullptr);
    ASSERT_FALSE(log().isEmpty());
    EXPECT_EQ(log().value(log().size() - 4), "  0 filer återställdes totalt");
    EXPECT_EQ(savedLogs().size(), 1);
    EXPECT_TRUE(testutil::treeFiles(work("mål")).isEmpty());
    EXPECT_TRUE(prog().systemLog().text().contains(
        "Återställningen av filerna i listan avbröts av användaren. Återställda filer: 0 av 5"));
}

TEST_F(WizardTest, ClosingDuringALoadOrAScanStopsItFirst) {
    for (int i = 0; i < 30; ++i)
        writeFile(work("b/m%1/s/f.txt").arg(i), "f", t0_);
    for (int page : {2, 3}) {
        SCOPED_TRACE(page);
        openByHand([&](frmåterställ* w) {
            byHand(w, work("b"), work("mål"));
            page == 3 ? loadFolders(w) : w->setComboframe(2);
            QTimer::singleShot(0, w, [w] { w->close(); });
            if (page == 2) {
                w->cmdladdamålmappar->click();
                EXPECT_LT(w->engine.folders.size(), 61); // the open level ends its own list
            } else {
                w->cmdnästa->click();
                EXPECT_LT(w->engine.genomsökta_filer, 30);
                EXPECT_EQ(w->comboframe, 3);
            }
            EXPECT_FALSE(w->busy());
        });
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(prog().loaded<frmåterställ>(), nullptr);
    }
    EXPECT_FALSE(QFile::exists(work("mål")));
}

TEST_F(FileListTest, TheFolderListEditorWorksOnACopy) {
    openByHand([&](frmåterställ* w) {
        for (const char* d : {"1", "2", "3", "4"})
            testutil::makeDir(work("b/") + d);
        byHand(w, work("b"));
        loadFolders(w);
        const QStringList all{work("b/"), work("b/1"), work("b/2"), work("b/3"), work("b/4")};
        ASSERT_EQ(w->engine.folders, all);
        // Two folders removed in the editor: cancelled, the list stays; with OK, they go.
        for (bool ok : {false, true}) {
            dialogs().expectWindow("frmåterställ2", [&](QWidget* win) {
                auto* d = static_cast<frmåterställ2*>(win);
                d->List1->setFocus();
                QTest::keyClick(d->List1, Qt::Key_Delete); // nothing selected
                EXPECT_EQ(d->List1->count(), 5);
                d->List1->item(1)->setSelected(true);
                d->List1->item(3)->setSelected(true);
                ok ? QTest::keyClick(d->List1, Qt::Key_Delete) : d->cmdtabort->click();
                EXPECT_EQ(d->List1->count(), 3);
                (ok ? d->cmdok : d->cmdavbryt)->click();
            });
            w->cmdmapplista->click();
            EXPECT_EQ(w->engine.folders, ok ? QStringList({work("b/"), work("b/2"), work("b/4")}) : all);
        }
        ASSERT_EQ(w->List1->count(), 3);
        EXPECT_EQ(w->List1->item(2)->text(), work("b/4"));
        // Delete in the wizard's own list leaves the count as it was.
        w->List1->item(0)->setSelected(true);
        w->List1->setFocus();
        QTest::keyClick(w->List1, Qt::Key_Delete);
        EXPECT_EQ(w->engine.folders, QStringList({work("b/2"), work("b/4")}));
        EXPECT_EQ(w->lblmappantal->text(), "5");
        // A double click opens a folder in the file manager, or says it is gone.
        w->List1->setCurrentRow(0);
        dialogs().expectOpenUrl(work("b/2"));
        w->cmdöppnamapp->click();
        QDir(work("b/4")).removeRecursively();
        w->List1->setCurrentRow(1);
        expectReport("Mappen existerar inte.\n" + work("b/4"));
        w->List1_DblClick();
    });
}

// Names on disk that cannot come back (QFile cannot even make them) are told, not passed over.
TEST_F(WizardTest, BackupCopiesWhoseNamesCannotBeRestoredAreCountedAndLogged) {
    writeFile(work("b/ok.txt"), "ok", t0_);
    const QByteArray b = QFile::encodeName(work("b/"));
    const struct {
        QByteArray name;
        bool folder;
        QString logged;
    } cases[] = {
        {"fel\xff.txt", false, "FEL! Filnamnet innehåller otillåtna tecken: " + work("b/fel?.txt")},
        {"styr\x01tecken.txt", false,
         "FEL! Filnamnet innehåller otillåtna tecken: " + work("b/styr?tecken.txt")},
        {"mapp\xfe", true, "FEL! Mappnamnet innehåller otillåtna tecken: " + work("b/mapp?")},
    };
    // The temporary folder cannot remove such names by itself.
    const auto cleanUp = qScopeGuard([&] {
        for (const auto& c : cases) {
            ::unlink((b + c.name + "/inne.txt").constData());
            c.folder ? ::rmdir((b + c.name).constData()) : ::unlink((b + c.name).constData());
        }
    });
    for (const auto& c : cases) {
        if (c.folder) {
            ASSERT_EQ(::mkdir((b + c.name).constData(), 0755), 0);
        }
        const QByteArray file = c.folder ? b + c.name + "/inne.txt" : b + c.name;
        const int fd = ::open(file.constData(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    openByHand([&](frmåterställ* w) {
        byHand(w, work("b"), work("mål"));
        loadFolders(w);
        expectReport("Genomsökningen av valda mappar är klar. Funna filer: 1 av 3. Namn med otillåtna "
                     "tecken: 3 (se programloggen). Klicka på OK för att se filerna.");
        w->cmdnästa->click();
        EXPECT_EQ(w->Liståterställtill_texts(), QStringList({"+ " + work("mål/ok.txt")}));
    });
    const QString syslog = prog().systemLog().text();
    for (const auto& c : cases)
        EXPECT_TRUE(syslog.contains(c.logged)) << c.logged.toStdString();
}

// Escape does what the shown cancel or close button does, asking where that button asks.
TEST_F(FileListTest, EscapeDoesWhatTheCancelOrCloseButtonDoes) {
    platform::installAccessibility();
    for (int i = 0; i < 30; ++i)
        testutil::makeDir(work("m/d%1/e").arg(i));
    const struct {
        const char* what;
        std::function<void(frmåterställ*)> act;
    } cases[] = {
        {"the wizard: Stäng",
         [&](frmåterställ* w) {
             w->optjobb2->setFocus();
             testutil::pressKey(w, Qt::Key_Escape);
             EXPECT_EQ(prog().loaded<frmåterställ>(), nullptr);
         }},
        {"during a load: its Avbryt, which does not ask",
         [&](frmåterställ* w) {
             byHand(w, work("m"), work("mål"));
             w->setComboframe(2);
             QTimer::singleShot(0, w, [&] { testutil::pressKey(w, Qt::Key_Escape); });
             w->cmdladdamålmappar->click();
             EXPECT_EQ(w->mappinläsning_avbruten, 1);
             EXPECT_LT(w->engine.folders.size(), 61);
             EXPECT_EQ(prog().loaded<frmåterställ>(), w);
         }},
        {"during a copy: its Avbryt, which asks",
         [&](frmåterställ* w) {
             fill(w);
             dialogs().expectMessage("Vill du avbryta?", platform::Answer::Yes);
             QTimer::singleShot(0, w, [&] { testutil::pressKey(w, Qt::Key_Escape); });
             expectReport("Återställningen av filerna i listan avbröts av användaren.");
             w->cmdåterställfiler->click();
             EXPECT_EQ(prog().loaded<frmåterställ>(), w);
             EXPECT_TRUE(testutil::treeFiles(work("mål")).isEmpty());
         }},
        {"the folder list editor: Avbryt, the wizard keeps its list",
         [&](frmåterställ* w) {
             byHand(w, work("m"), work("mål"));
             loadFolders(w);
             const QStringList all = w->engine.folders;
             dialogs().expectWindow("frmåterställ2", [&](QWidget* win) {
                 auto* d = static_cast<frmåterställ2*>(win);
                 testutil::showActive(d);
                 d->List1->item(1)->setSelected(true);
                 d->cmdtabort->click();
                 d->List1->setFocus();
                 testutil::pressKey(d, Qt::Key_Escape);
                 EXPECT_FALSE(d->isVisible());
             });
             w->cmdmapplista->click();
             EXPECT_EQ(w->engine.folders, all);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        openByHand([&](frmåterställ* w) {
            testutil::showActive(w);
            c.act(w);
            if (prog().loaded<frmåterställ>() == w)
                w->hide();
        });
    }
}

// What a user reads or hears in the wizard, its folder list editor and the folder synchronisation
// window: no other system's folders or file manager, and no name a screen reader would read with
// its markup.
TEST_F(WizardTest, TextsSpeakOfThisSystemAndNamesCarryNoMarkup) {
    platform::installAccessibility();
    const QRegularExpression foreign(QStringLiteral("Windows|Utforskare|[A-Za-z]:\\\\"));
    const QRegularExpression markup(QStringLiteral("<[/a-zA-Z][^>]*>"));
    frmåterställ wizard;
    frmåterställ2 folderList;
    frmmappsync sync;
    for (QWidget* window :
         {static_cast<QWidget*>(&wizard), static_cast<QWidget*>(&folderList), static_cast<QWidget*>(&sync)}) {
        SCOPED_TRACE(window->objectName().toStdString());
        QStringList texts{window->windowTitle()}, markedNames;
        QList<QWidget*> all = window->findChildren<QWidget*>();
        all.prepend(window);
        for (QWidget* c : all) {
            texts << c->toolTip();
            if (auto* l = qobject_cast<QLabel*>(c))
                texts << l->text();
            if (auto* b = qobject_cast<QAbstractButton*>(c))
                texts << b->text();
            if (auto* g = qobject_cast<QGroupBox*>(c))
                texts << g->title();
            if (QAccessibleInterface* i = QAccessible::queryAccessibleInterface(c)) {
                const QString name = i->text(QAccessible::Name);
                texts << name;
                if (name.contains(markup))
                    markedNames << c->objectName() + ": " + name;
            }
        }
        EXPECT_EQ(texts.filter(foreign), QStringList());
        EXPECT_EQ(markedNames, QStringList());
    }
}

} // namespace
