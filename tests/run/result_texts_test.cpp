// What the windows say when a run is over: each tells what the run did.
#include "flow_support.h"

#include "mainwindow/main_window.h"
#include "platform/icons.h"
#include "run/result_dialogs.h"
#include "run/simulation_window.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTimer>

namespace {

class ResultTexts : public FlowTest {};

// Two jobs of three files each; the user cancels as the second job begins, so the first job's
// three files are all the run copied of the six it counted.
TEST_F(ResultTexts, ACancelledRunShowsNoTickAndTheShareItCopiedOfTheWholeRun) {
    const QString src2 = work("Källa2");
    for (const char* name : {"a", "b", "c"}) {
        testutil::writeFile(src_ + '/' + name + ".txt", "x", old_);
        testutil::writeFile(src2 + '/' + name + ".txt", "x", old_);
    }
    testutil::writeJob(path("Listor"), job("A"));
    testutil::writeJob(path("Listor"), testutil::jobOver("B", src2, dst_));
    frmutförbackup* w = openBackupWindow("A");
    w->List1->item(1)->setSelected(true);
    auto* t = new QTimer(w);
    QObject::connect(t, &QTimer::timeout, t, [t, w] {
        // Job A done, the pass at job B.
        if (w->lblsenastkördajobb_namn->text() == "A" && w->List1->currentRow() == 1) {
            t->stop();
            w->cmdavbryt->click();
        }
    });
    t->start(0);
    dialogs().expectMessage("Vill du avbryta?", platform::Answer::Yes);
    frmklarbackup* shown = nullptr;
    dialogs().expectWindow("frmklarbackup", [&](QWidget* k) { shown = static_cast<frmklarbackup*>(k); });
    w->cmdkörbackup->click();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(log().last(), "  Backupkörningen avbröts av användaren!");
    EXPECT_TRUE(log().contains("  3 filer kopierades totalt."));
    EXPECT_EQ(shown->imagesmiley->pixmap().toImage(),
              platform::picture(platform::Picture::Warning, 48).toImage());
    EXPECT_EQ(shown->lbltotalt->text() + shown->lbltotalt2->text(), "50,00% kopierade totalt");
}

TEST_F(ResultTexts, AfterASimulatedRunTheJobListSaysWhatWouldBeCopied) {
    for (const char* name : {"a", "b", "c"})
        testutil::writeFile(src_ + '/' + name + ".txt", "x", old_);
    testutil::writeJob(path("Listor"), job("Jobb"));
    frmutförbackup* w = openBackupWindow("Jobb");
    w->chkbackupsimulera->setChecked(true);
    dialogs().expectWindow("frmsimuleradbackup");
    dialogs().expectWindow("frmklarbackup");
    w->cmdkörbackup->click();
    EXPECT_FALSE(QFile::exists(target("a.txt")));
    EXPECT_EQ(w->List1->item(0)->text(), "Jobb (3 filer skulle kopieras)");
}

TEST_F(ResultTexts, AfterARunTheJobSummariesShowTheRunJustMade) {
    prog().clock.setNow(QDateTime(QDate(2024, 5, 1), QTime(14, 3, 27)));
    testutil::writeFile(src_ + "/a.txt", "x", old_);
    testutil::writeJob(path("Listor"), job("Jobb"));
    frmutförbackup* w = openBackupWindow("Jobb");
    w->List1->setCurrentRow(0, QItemSelectionModel::NoUpdate); // its summary shown, as after a click
    dialogs().expectWindow("frmklarbackup");
    w->cmdkörbackup->click();
    const QString last = "Senast körd: 0 dagar sedan (2024-05-01 14:03) Körning: Manuell";
    const QString inMain = prog().form<frmmain>()->txtsammanställning_text->toPlainText();
    EXPECT_TRUE(inMain.contains(last)) << inMain.toStdString();
    const QString inWindow = w->txtsammanställning->toPlainText();
    EXPECT_TRUE(inWindow.startsWith("Jobb\n\n")) << inWindow.toStdString();
    EXPECT_TRUE(inWindow.contains(last)) << inWindow.toStdString();
}

} // namespace
