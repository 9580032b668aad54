// The pause window held open by both pause buttons, and the saved leftover lists of unattended
// simulated mirror runs.
#include "platform/paths.h"
#include "run/backup_window.h"
#include "run/leftover_window.h"
#include "scheduler/pause_window.h"
#include "scheduler/saved_lists_window.h"
#include "scheduler_fixture.h"
#include "support/mounted.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

class PauseTest : public SchedulerTest {
  protected:
    int logged(const QString& line) {
        return int(systemLog().split('\n').filter(QRegularExpression("  " + line + "$")).size());
    }
};

TEST_F(PauseTest, UntouchedThePauseCountsDownFiveMinutesAndCloses) {
    bool shown = false;
    dialogs().expectWindow("frmpaus", [&](QWidget* w) {
        shown = true;
        auto* p = static_cast<frmpaus*>(w);
        EXPECT_EQ(logged("Pause"), 1);
        EXPECT_TRUE(p->Option1->isChecked());
        EXPECT_EQ(p->lbltidkvar->text(), "Fortsätter om 5 min");
        EXPECT_EQ(p->Timer1->interval(), 60000);
        EXPECT_TRUE(p->Timer1->isActive());
        for (const char* left : {"4", "3", "2", "1"}) {
            p->Timer1_Timer();
            EXPECT_EQ(p->lbltidkvar->text(), QString("Fortsätter om ") + left + " min");
            EXPECT_TRUE(prog().isLoaded<frmpaus>());
        }
        EXPECT_EQ(logged("Fortsätter"), 0);
        p->Timer1_Timer();
        EXPECT_FALSE(prog().isLoaded<frmpaus>());
        EXPECT_EQ(logged("Fortsätter"), 1);
    });
    // The backup window's pause button opens it and waits.
    prog().form<frmutförbackup>()->cmdpaus_Click();
    EXPECT_TRUE(shown);
}

TEST_F(PauseTest, ChoosingALengthOrTheOtherWayRestartsTheCountAndBothButtonsEndIt) {
    dialogs().expectWindow("frmpaus", [&](QWidget* w) {
        auto* p = static_cast<frmpaus*>(w);
        p->Timer1_Timer();
        p->Timer1_Timer();
        p->Combo1->setCurrentIndex(23);
        EXPECT_EQ(p->lbltid, "120");
        EXPECT_EQ(p->lbltidkvar->text(), "Fortsätter om 120 min");
        p->Timer1_Timer();
        EXPECT_EQ(p->lbltidkvar->text(), "Fortsätter om 119 min");
        // Waiting for the button: no countdown, ticks change nothing.
        p->Option2->setChecked(true);
        EXPECT_TRUE(p->lbltidkvar->isHidden());
        p->Combo1->setCurrentIndex(1);
        for (int i = 0; i < 12; ++i)
            p->Timer1_Timer();
        EXPECT_TRUE(prog().isLoaded<frmpaus>());
        EXPECT_EQ(p->lbltid, "119");
        // Back to counting: from the length the list shows.
        p->Option1->setChecked(true);
        EXPECT_FALSE(p->lbltidkvar->isHidden());
        EXPECT_EQ(p->lbltidkvar->text(), "Fortsätter om 10 min");
        p->close(); // the close box ends the pause like the button
        EXPECT_FALSE(prog().isLoaded<frmpaus>());
    });
    frmpaus::pausa();
    EXPECT_EQ(logged("Pause"), 1);
    EXPECT_EQ(logged("Fortsätter"), 1);
    // The continue button ends it too.
    dialogs().expectWindow("frmpaus", [](QWidget* w) { static_cast<frmpaus*>(w)->Command1->click(); });
    frmpaus::pausa();
    EXPECT_FALSE(prog().isLoaded<frmpaus>());
    EXPECT_EQ(logged("Fortsätter"), 2);
}

class SavedListsTest : public SchedulerTest {
  protected:
    QString saved(const QString& name) const { return path("Schemasync/" + name + ".schemasync"); }
    // A job whose backup folder, work("Backup"), holds what the saved lists name.
    void backupJob() {
        testutil::writeJob(group(), testutil::jobOver("Jobb", work("Källa"), work("Backup")));
        testutil::makeDir(work("Backup"));
    }
    frmschemasync* openFromLink() {
        frmmain* m = prog().form<frmmain>();
        m->lblstatus2->show();
        m->lblstatus2_Click();
        frmschemasync* w = prog().loaded<frmschemasync>();
        EXPECT_TRUE(w && w->isVisible());
        return w;
    }
};

TEST_F(SavedListsTest, TheLinkListsTheSavedListsAndOneOpensInTheLeftoverWindow) {
    backupJob();
    const QString gone = work("Backup/borta");
    const QString kvar = work("Backup/kvar");
    testutil::writeFile(kvar + "/fil.txt", "x");
    testutil::writeLines(saved("2024-06-05 22.00.10"),
                         {gone + "/", kvar + "/", gone + "/a.txt", kvar + "/fil.txt", "", gone + "/b.txt"});
    testutil::writeLines(saved("2024-06-04 22.00.07"), {kvar + "/fil.txt"});
    frmschemasync* w = openFromLink();
    ASSERT_EQ(w->List1->count(), 2);
    EXPECT_EQ(w->List1->item(0)->text(), "2024-06-04 22.00.07");
    EXPECT_EQ(w->List1->item(1)->text(), "2024-06-05 22.00.10");
    EXPECT_FALSE(w->chkkontroll->isChecked());

    // Unchecked, every entry counts as present.
    w->List1->setCurrentRow(1);
    dialogs().expectWindow("frmsyncfilermappar", [&](QWidget* x) {
        auto* l = static_cast<frmsyncfilermappar*>(x);
        EXPECT_EQ(l->List1->count(), 6);
        EXPECT_EQ(l->lblinfo->text(), "2 mapp(ar) och 3 fil(er) kan raderas.");
        EXPECT_TRUE(l->cmdsparalogg->isHidden());
        EXPECT_EQ(l->lblschemasync, "1");
        EXPECT_EQ(l->Label1->text(),
                  "En simulerad spegling ägde rum 2024-06-05 22.00.10. Nedan ser du filer och "
                  "mappar som inte längre finns på originalplatsen och därför kan raderas.");
        prog().unload<frmsyncfilermappar>();
    });
    w->cmdöppna->click();
    EXPECT_FALSE(systemLog().contains("Plockade bort"));

    // Checked, vanished entries are dropped and counted, neighbours included.
    w->chkkontroll->setChecked(true);
    dialogs().expectWindow("frmsyncfilermappar", [&](QWidget* x) {
        auto* l = static_cast<frmsyncfilermappar*>(x);
        EXPECT_EQ(l->entries(), (QStringList{kvar + "/", kvar + "/fil.txt", ""}));
        EXPECT_EQ(l->lblinfo->text(), "1 mapp(ar) och 1 fil(er) kan raderas.");
        // Closed with entries left, it keeps the saved file with those entries.
        l->cmdstäng_Click();
    });
    w->öppnasyncfilermappar();
    EXPECT_TRUE(systemLog().contains(
        "Plockade bort 1 mapp och 2 filer från speglingsloggen eftersom de inte längre finns."));
    EXPECT_EQ(testutil::readLines(saved("2024-06-05 22.00.10")),
              (QStringList{kvar + "/", kvar + "/fil.txt", ""}));
}

TEST_F(SavedListsTest, OnlyEntriesInsideABackupFolderReachTheLeftoverWindow) {
    backupJob();
    // A job whose backup folder may not be one (the home folder) makes nothing there deletable.
    testutil::writeJob(group(), testutil::jobOver("Hem", work("Hemma/Dokument"), work("Hemma")));
    platform::standInSystemFolders({}, work("Hemma"));
    testutil::writeFile(work("Hemma/viktigt.txt"), "x");
    testutil::writeFile(work("Backup/gammal.txt"), "x");
    testutil::writeFile(work("Utanför/fil.txt"), "x");
    testutil::writeFile(work("Arbetsmapp/rel/fil.txt"), "x");
    testutil::writeFile(work("Utanför/Bilder/b.jpg"), "x");
    // A job whose backup folder holds another job's source makes nothing there deletable.
    testutil::writeFile(work("usb/Foton/semester.jpg"), "x");
    testutil::writeJob(group(), testutil::jobOver("Foton", work("usb/Foton"), work("usb/Backup")));
    testutil::writeJob(group(), testutil::jobOver("Dokument", work("Dok"), work("usb")));
    // A link inside the backup folder leads to the user's own files.
    QFile::link(work("Utanför"), work("Backup/lnk"));
    // A relative entry would name a place below the working folder.
    struct WorkingFolder {
        QString before = QDir::currentPath();
        ~WorkingFolder() { QDir::setCurrent(before); }
    } restore;
    ASSERT_TRUE(QDir::setCurrent(work("Arbetsmapp")));
    const struct {
        QString entry;
        QString stays; // what must still exist afterwards; empty for the entry that may go
    } cases[] = {{"rel/", work("Arbetsmapp/rel/fil.txt")},
                 {work("Backup") + "/../Utanför/", work("Utanför/fil.txt")},
                 {work("Utanför") + "/", work("Utanför/fil.txt")},
                 {work("Hemma/viktigt.txt"), work("Hemma/viktigt.txt")},
                 {work("Backup/lnk/fil.txt"), work("Utanför/fil.txt")},
                 {work("Backup/lnk/Bilder/"), work("Utanför/Bilder/b.jpg")},
                 {work("usb/Foton/semester.jpg"), work("usb/Foton/semester.jpg")},
                 {work("usb/Foton/"), work("usb/Foton/semester.jpg")},
                 {work("Backup/gammal.txt"), ""}};
    QStringList lines;
    for (const auto& c : cases)
        lines << c.entry;
    testutil::writeLines(saved("2024-06-05 22.00.10"), lines);
    frmschemasync* w = openFromLink();
    w->List1->setCurrentRow(0);
    dialogs().expectWindow("frmsyncfilermappar", [&](QWidget* x) {
        auto* l = static_cast<frmsyncfilermappar*>(x);
        l->cmdraderaalla_Click();
        l->cmdstäng_Click();
    });
    w->öppnasyncfilermappar();
    for (const auto& c : cases) {
        if (c.stays.isEmpty()) {
            EXPECT_FALSE(QFile::exists(c.entry));
            continue;
        }
        EXPECT_TRUE(QFile::exists(c.stays)) << c.entry.toStdString();
        EXPECT_EQ(systemLog().count("FEL! " + c.entry +
                                    " i speglingsloggen från 2024-06-05 22.00.10 kan inte "
                                    "raderas: "),
                  1)
            << c.entry.toStdString();
    }
}

// A drive (or the home folder bind-mounted) inside the backup folder is the user's: "Radera alla"
// deletes nothing on it, whether the entries lie on it, are it, or hold it; they stay listed.
TEST_F(SavedListsTest, DeletingAllNeverReachesIntoAMountBelowTheBackupFolder) {
    backupJob();
    const QString home = work("Backup/gammal/home");
    testutil::makeDir(home);
    testutil::Mounted mount(home);
    testutil::writeFile(home + "/notes.txt", "n");
    testutil::writeFile(home + "/Bilder/b.jpg", "b");
    testutil::writeFile(work("Backup/gammal/a.txt"), "a");
    testutil::writeFile(work("Backup/kvar.txt"), "x");
    const QStringList entries = {home + "/notes.txt", home + "/Bilder/", home + "/", work("Backup/gammal/"),
                                 work("Backup/kvar.txt")};
    testutil::writeLines(saved("2024-06-05 22.00.10"), entries);
    frmschemasync* w = openFromLink();
    w->List1->setCurrentRow(0);
    dialogs().expectWindow("frmsyncfilermappar", [&](QWidget* x) {
        auto* l = static_cast<frmsyncfilermappar*>(x);
        l->cmdraderaalla_Click();
        EXPECT_EQ(l->entries(), entries.mid(0, 4));
        l->cmdstäng_Click();
    });
    w->öppnasyncfilermappar();
    EXPECT_EQ(testutil::treeFiles(home), QStringList({"Bilder/b.jpg", "notes.txt"}));
    EXPECT_FALSE(QFile::exists(work("Backup/gammal/a.txt")));
    EXPECT_FALSE(QFile::exists(work("Backup/kvar.txt")));
    EXPECT_TRUE(systemLog().contains(home + " är en annan enhet och lämnades orörd"));
}

TEST_F(SavedListsTest, AnEmptiedListIsDeletedAndClosingHidesTheLink) {
    testutil::writeLines(saved("2024-06-05 22.00.10"), {work("x.txt")});
    frmschemasync* w = openFromLink();
    w->List1->setCurrentRow(0);
    dialogs().expectWindow("frmsyncfilermappar", [&](QWidget* x) {
        auto* l = static_cast<frmsyncfilermappar*>(x);
        l->List1->clear();
        l->cmdstäng_Click();
    });
    w->öppnasyncfilermappar();
    EXPECT_FALSE(QFile::exists(saved("2024-06-05 22.00.10")));
    EXPECT_EQ(w->List1->count(), 0);
    EXPECT_TRUE(
        systemLog().contains("Raderade speglingsloggen från 2024-06-05 22.00.10 eftersom den inte längre "
                             "innehåller några mappar eller filer."));
    w->cmdexit->click();
    EXPECT_TRUE(prog().form<frmmain>()->lblstatus2->isHidden());
}

TEST_F(SavedListsTest, DeletingRemovesTheMarkedListsAndReportsAMissingOne) {
    for (const char* n : {"a", "b", "c"})
        testutil::writeLines(saved(n), {work(n)});
    frmschemasync* w = openFromLink();
    // Nothing current: nothing happens.
    w->cmdradera->click();
    EXPECT_EQ(w->List1->count(), 3);
    w->List1->setCurrentRow(0);
    w->List1->item(2)->setSelected(true);
    w->cmdradera->click();
    EXPECT_EQ(w->List1->count(), 1);
    EXPECT_EQ(w->List1->item(0)->text(), "b");
    EXPECT_FALSE(QFile::exists(saved("a")));
    EXPECT_TRUE(QFile::exists(saved("b")));
    EXPECT_FALSE(QFile::exists(saved("c")));
    // Removed outside the program: opening says so, deleting reports the error and keeps the entry.
    QFile::remove(saved("b"));
    w->List1->setCurrentRow(0);
    expectReport("Filen " + saved("b") + " finns inte.");
    w->cmdöppna->click();
    w->List1->item(0)->setSelected(true);
    expectReport("Ett fel uppstod när loggen skulle raderas.");
    w->cmdradera->click();
    EXPECT_EQ(w->List1->count(), 1);
    // Closing with an entry left leaves the link shown.
    w->close();
    EXPECT_FALSE(prog().form<frmmain>()->lblstatus2->isHidden());
}
