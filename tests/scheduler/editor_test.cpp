// The schedule editor: what it reads, what it writes and when, the modes and the activation.
#include "editor/job_editor_window.h"
#include "mainwindow/settings_window.h"
#include "scheduler/schedule_editor.h"
#include "scheduler/schedule_files.h"
#include "scheduler_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {
// The texts of a list's entries, or of its selected ones only.
QStringList items(const QListWidget* l, bool selectedOnly = false) {
    QStringList out;
    for (int i = 0; i < l->count(); ++i)
        if (!selectedOnly || l->item(i)->isSelected())
            out << l->item(i)->text();
    return out;
}
} // namespace

class EditorTest : public SchedulerTest {
  protected:
    // Opens the editor as the main window does: the job list filled, the current job clicked.
    frmschema2* open() {
        frmschema2* e = prog().form<frmschema2>();
        e->fillJobList();
        e->show();
        e->Form_Activate();
        e->cmdstartställin_Click();
        return e;
    }
    const QString global = "setup_schema_global.ini";
    const QString lista = "setup_schema_lista.ini";
};

TEST_F(EditorTest, WithoutFilesTheEditorOpensPerJobAndTheCloseButtonWritesTheCommonSetting) {
    jobs({"Bilder", "Dokument"});
    frmschema2* e = open();
    EXPECT_TRUE(e->optunikglobal[0]->isChecked());
    EXPECT_TRUE(e->Frame1->isVisible());
    EXPECT_FALSE(e->frameglobal->isVisible());
    EXPECT_EQ(e->combotidglobal->currentText(), "10:00");
    for (int d = 1; d <= 7; ++d)
        EXPECT_TRUE(e->chkdag[d]->isChecked()) << d;
    // The current job is clicked: no ".006", so unticked everywhere, no days and 10:00.
    EXPECT_EQ(e->Frame1->title(), "Bilder");
    EXPECT_FALSE(e->chkaktiv->isChecked());
    EXPECT_EQ(e->combotid->currentText(), "10:00");
    for (int d = 1; d <= 7; ++d)
        EXPECT_FALSE(e->chkdag2[d]->isChecked()) << d;
    EXPECT_FALSE(QFile::exists(path("Listor/Bilder.006")));

    e->cmdavbryt_Click();
    EXPECT_EQ(bytes(global), QByteArray("False\r\n 0 \r\n10:00\r\n1111111\r\n 0 \r\n 0 \r\n"));
    EXPECT_FALSE(QFile::exists(path(lista)));
    EXPECT_FALSE(prog().isLoaded<frmschema2>());
    EXPECT_FALSE(scheduler().loaded());
}

TEST_F(EditorTest, ACommonSettingOfFourLinesOpensInCommonModeWithItsDaysAndSelection) {
    jobs({"Bilder", "Dokument", "Musik"});
    testutil::writeLines(path(global), {"True", "0", "22:00", "0111110"});
    frmschema2* e = open();
    EXPECT_TRUE(e->optunikglobal[1]->isChecked());
    EXPECT_TRUE(e->frameglobal->isVisible());
    EXPECT_FALSE(e->Frame1->isVisible());
    EXPECT_EQ(e->combotidglobal->currentText(), "22:00");
    EXPECT_EQ(schedule::commonDaysLine(scheduler().chkdag), "0111110");
    EXPECT_FALSE(e->chksyncglobal_simulera->isChecked());
    // No selection file: every job is chosen.
    EXPECT_EQ(items(e->listglobal), (QStringList{"Bilder", "Dokument", "Musik"}));
    EXPECT_EQ(items(e->listglobal, true), (QStringList{"Bilder", "Dokument", "Musik"}));

    // Choosing two jobs and saving writes the setting and the selection in the list's order.
    e->listglobal->item(0)->setSelected(false);
    e->cmdok_global_Click();
    EXPECT_EQ(bytes(global), QByteArray("True\r\n 0 \r\n22:00\r\n0111110\r\n 0 \r\n 0 \r\n"));
    EXPECT_EQ(bytes(lista), QByteArray("Dokument\r\nMusik\r\n"));
    EXPECT_TRUE(e->isVisible()); // the common save keeps the editor open
}

TEST_F(EditorTest, ASelectionNamingNoJobChoosesNoneAndAnEmptySelectionIsRefused) {
    jobs({"Bilder", "Dokument"});
    testutil::writeLines(path(global), {"True", "0", "22:00", "1111111", "0", "0"});
    testutil::writeLines(path(lista), {"Borttaget jobb"});
    frmschema2* e = open();
    EXPECT_TRUE(items(e->listglobal, true).isEmpty());
    expectReport("Du har inte valt något jobb för gemensam backup!");
    e->cmdavbryt_Click();
    expectReport("Du har inte valt något jobb för gemensam backup!");
    e->cmdok_global_Click();
    EXPECT_EQ(testutil::readLines(path(lista)), QStringList{"Borttaget jobb"});
    EXPECT_TRUE(prog().isLoaded<frmschema2>());
    // "Markera alla" chooses every job of the common list.
    e->cmdmarkera_Click(0);
    EXPECT_EQ(scheduler().selectedCount(), 2);
    e->cmdavbryt_Click();
    EXPECT_EQ(testutil::readLines(path(lista)), (QStringList{"Bilder", "Dokument"}));
}

TEST_F(EditorTest, CommonTimesAreCheckedOnSaveAndReplacedOnClose) {
    jobs({"Bilder"});
    testutil::writeLines(path(global), {"True", "0", "22:00", "1111111", "0", "0"});
    const struct {
        const char* typed;
        bool saved;         // the common "Spara" takes it
        const char* closed; // what the close button writes
    } cases[] = {{"07.30", true, "07.30"}, {"9:30", false, "12:00"}, {"1a:3b", false, "12:00"}};
    for (const auto& c : cases) {
        frmschema2* e = open();
        e->combotidglobal->setEditText(QString::fromUtf8(c.typed));
        if (!c.saved)
            expectReport("Du har inte angett tiden på rätt sätt.");
        e->cmdok_global_Click();
        if (c.saved) {
            EXPECT_EQ(testutil::readLines(path(global)).value(2), schedule::normalisedTime(c.typed))
                << c.typed;
        }
        e->combotidglobal->setEditText(QString::fromUtf8(c.typed));
        e->cmdavbryt_Click();
        EXPECT_EQ(testutil::readLines(path(global)).value(2), QString::fromUtf8(c.closed)) << c.typed;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(EditorTest, AnEmptyCommonWeekIsRefusedOnCloseOnlyInCommonMode) {
    jobs({"Bilder"});
    testutil::writeLines(path(global), {"True", "0", "22:00", "0111110", "0", "0"});
    const QByteArray before = bytes(global);
    frmschema2* e = open();
    for (int d = 1; d <= 7; ++d)
        e->chkdag[d]->setChecked(false);
    expectReport("Du har inte valt någon backup-dag för gemensam backup!");
    e->cmdavbryt_Click();
    EXPECT_EQ(bytes(global), before);
    EXPECT_TRUE(e->isVisible());
    // The common "Spara" writes the empty week.
    e->cmdok_global_Click();
    EXPECT_EQ(testutil::readLines(path(global)).value(3), "0000000");
    // In per-job mode the common days are not shown, so they do not stop the close.
    e->optunikglobal[0]->setChecked(true);
    e->cmdavbryt_Click();
    EXPECT_EQ(testutil::readLines(path(global)).value(0), "False");
    EXPECT_FALSE(prog().isLoaded<frmschema2>());
}

TEST_F(EditorTest, JobSchedulesAreSavedOnTheUsersClicksAndKeysOnly) {
    jobs({"Bilder", "Dokument", "Musik"});
    schedule("Dokument", {1, 0, "07:30", "0000060", 0});
    frmschema2* e = open();
    ASSERT_EQ(items(e->List1), (QStringList{"Bilder", "*AKTIV* Dokument", "Musik"}));

    // Clicking a job shows its schedule and writes nothing.
    e->List1->setCurrentRow(1, QItemSelectionModel::ClearAndSelect);
    e->List1_Click();
    EXPECT_EQ(e->Frame1->title(), "Dokument");
    EXPECT_TRUE(e->chkaktiv->isChecked());
    EXPECT_EQ(e->combotid->currentText(), "07:30");
    EXPECT_TRUE(e->chkdag2[6]->isChecked());
    EXPECT_FALSE(e->chkdag2[2]->isChecked());
    EXPECT_FALSE(QFile::exists(path("Listor/Bilder.006")));
    EXPECT_FALSE(QFile::exists(path("Listor/Musik.006")));
    // Values set by code save nothing either.
    e->chkdag2[2]->setChecked(true);
    e->chksync_simulera->setChecked(true);
    EXPECT_EQ(testutil::readLines(path("Listor/Dokument.006")).value(3), "0000060");

    // The user's click on a day saves every selected job with the days the boxes show.
    for (int i : {0, 2})
        e->List1->item(i)->setSelected(true);
    e->chkdag2[6]->click();
    for (const char* job : {"Bilder", "Dokument", "Musik"})
        EXPECT_EQ(testutil::readBytes(path(QString("Listor/") + job + ".006")),
                  QByteArray(" 1 \r\n 0 \r\n07:30\r\n0200000\r\n 1 \r\n"))
            << job;
    EXPECT_EQ(items(e->List1), (QStringList{"*AKTIV* Bilder", "*AKTIV* Dokument", "*AKTIV* Musik"}));
    EXPECT_EQ(e->cmdok_Tag, "1");

    // A typed time is saved with Enter, refused when it is no time.
    e->List1->item(0)->setSelected(false);
    e->List1->item(2)->setSelected(false);
    e->combotid->setEditText("1a:3b");
    expectReport("Du har inte angett tiden på rätt sätt.");
    QTest::keyClick(e->combotid->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(testutil::readLines(path("Listor/Dokument.006")).value(2), "07:30");
    e->combotid->setEditText("21.15");
    QTest::keyClick(e->combotid->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(testutil::readLines(path("Listor/Dokument.006")).value(2), "21:15");
    EXPECT_EQ(e->combotid->currentText(), "21:15");
    EXPECT_FALSE(e->lblenter->isVisible());
    // Unticking "Kör schemalagd backup" with the mouse.
    QTest::mouseClick(e->chkaktiv, Qt::LeftButton, {}, QPoint(8, e->chkaktiv->height() / 2));
    EXPECT_EQ(testutil::readLines(path("Listor/Dokument.006")).value(0), " 0 ");
    EXPECT_EQ(items(e->List1).value(1), "Dokument");

    // Closing asks the main window to reload the jobs it shows.
    e->cmdavbryt_Click();
    EXPECT_TRUE(prog().form<frmmain>()->chkload);
}

TEST_F(EditorTest, MirrorBoxesFollowTheSettingAndEachOther) {
    jobs({"Bilder"});
    frmschema2* e = open();
    EXPECT_FALSE(e->chksync->isEnabled());
    EXPECT_FALSE(e->chksyncglobal->isEnabled());
    // The setting is named by the settings window's page that holds it.
    expectReport("Välj ''Alternativ - Inställningar - Spegling - Tillåt att schemalägga med spegling''");
    e->help_Click(3);
    prog().form<frmsetup>()->chktillåtschemasync->setChecked(true);
    e->Form_Activate();
    EXPECT_TRUE(e->chksync->isEnabled());
    e->chksync->click();
    EXPECT_TRUE(e->chksync_simulera->isEnabled());
    e->chksync_simulera->click();
    EXPECT_EQ(testutil::readLines(path("Listor/Bilder.006")).value(4), " 1 ");
    // Unticking "Spegla" unticks and disables "Simulera spegling" before the save.
    e->chksync->click();
    EXPECT_FALSE(e->chksync_simulera->isChecked());
    EXPECT_FALSE(e->chksync_simulera->isEnabled());
    EXPECT_EQ(testutil::readLines(path("Listor/Bilder.006")),
              (QStringList{" 0 ", " 0 ", "10:00", "0000000", " 0 "}));
}

TEST_F(EditorTest, SwitchingModeAndClosingWithTheCloseBoxWritesNothing) {
    jobs({"Bilder"});
    frmschema2* e = open();
    e->optunikglobal[1]->setChecked(true);
    EXPECT_TRUE(scheduler().common);
    EXPECT_TRUE(e->frameglobal->isVisible());
    e->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(QFile::exists(path(global)));
    EXPECT_FALSE(QFile::exists(path(lista)));
    e = open();
    EXPECT_TRUE(e->optunikglobal[0]->isChecked());
}

TEST_F(EditorTest, ActivationLocksTheEditorAndKeepsItLoadedWhenClosed) {
    jobs({"Bilder"});
    frmschema2* e = open();
    e->chkaktivera->setChecked(true);
    EXPECT_EQ(prog().form<frmmain>()->cmdstartaschema_Tag, "1");
    EXPECT_FALSE(e->List1->isEnabled());
    EXPECT_FALSE(e->Frame1->isEnabled());
    EXPECT_TRUE(e->chkaktivera->isEnabled());
    e->close();
    EXPECT_TRUE(prog().isLoaded<frmschema2>());
    EXPECT_FALSE(e->isVisible());
    // Reopening shows the start page again, over the locked settings.
    e->show();
    e->Form_Activate();
    EXPECT_TRUE(e->framestart->isVisible());
    e->chkaktivera->setChecked(false);
    EXPECT_EQ(prog().form<frmmain>()->cmdstartaschema_Tag, "0");
    EXPECT_TRUE(e->List1->isEnabled());
    // The start page's "Aktivera schemakörning" ticks the box and hides the editor, writing nothing.
    e->cmdstartaktivera->click();
    EXPECT_FALSE(e->isVisible());
    EXPECT_TRUE(prog().isLoaded<frmschema2>());
    EXPECT_TRUE(scheduler().chkaktivera);
    EXPECT_EQ(prog().form<frmmain>()->cmdstartaschema_Tag, "1");
    EXPECT_FALSE(QFile::exists(path(global)));
}

TEST_F(EditorTest, ADamagedCommonSettingKeepsWhatWasReadAndReportsIt) {
    jobs({"Bilder"});
    testutil::writeLines(path(global), {"True", "1", "21:00", "0000011", "0", "x"});
    expectReport("Ett fel uppstod under inläsning av schemaläggningsmetod.");
    frmschema2* e = open();
    // Mirror and time were read before the fault; the days and the mode were not applied.
    EXPECT_TRUE(e->chksyncglobal->isChecked());
    EXPECT_EQ(e->combotidglobal->currentText(), "21:00");
    EXPECT_EQ(schedule::commonDaysLine(scheduler().chkdag), "1111111");
    EXPECT_FALSE(scheduler().common);
}

TEST_F(EditorTest, ARenamedJobStaysChosenForTheCommonSetting) {
    jobs({"Bilder", "Musik"});
    schedule::writeSelection(path(lista), {"Bilder", "Musik"});
    frmaddmapp* a = prog().form<frmaddmapp>();
    a->setCaption("Ändra jobb");
    a->txtnamn->setEditText("Bilder");
    dialogs().expectInput("Välj nytt namn", "Foton");
    a->cmdbytnamn_Click();
    EXPECT_TRUE(QFile::exists(path("Listor/Foton.000")));
    EXPECT_EQ(testutil::readBytes(path(lista)), QByteArray("Foton\r\nMusik\r\n"));
}

TEST_F(EditorTest, AJobSaveWithNoJobChosenSaysSo) {
    jobs({"Bilder", "Dokument"});
    frmschema2* e = open();
    QListWidgetItem* current = e->List1->item(0);
    ASSERT_TRUE(current->isSelected());
    // A click on the preselected job unselects it.
    QTest::mouseClick(e->List1->viewport(), Qt::LeftButton, {}, e->List1->visualItemRect(current).center());
    ASSERT_FALSE(current->isSelected());
    e->combotid->setEditText("21:15");
    // The per-job text, not the common setting's.
    expectReport("Du har inte valt något jobb!");
    QTest::keyClick(e->combotid->lineEdit(), Qt::Key_Return);
    e->cmdavbryt_Click();
    EXPECT_FALSE(QFile::exists(path("Listor/Bilder.006")));
    EXPECT_FALSE(QFile::exists(path("Listor/Dokument.006")));
}
