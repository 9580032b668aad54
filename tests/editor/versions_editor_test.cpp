#include "core/error_dialog.h"
#include "editor/job_editor_window.h"
#include "support/fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QFrame>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
void loseFocus(QWidget* w) {
    QFocusEvent e(QEvent::FocusOut);
    QCoreApplication::sendEvent(w, &e);
}
} // namespace

class VersionsEditor : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        prog().jobbgruppmapp = path("Listor");
        e = prog().form<frmaddmapp>();
    }
    // The reporter's information window, with its text checked.
    void expectReport(const QString& text) {
        dialogs().expectWindow("frmerror", [text](QWidget* w) {
            EXPECT_EQ(static_cast<frmerror*>(w)->lblfel->toPlainText(), text);
        });
    }
    frmaddmapp* e = nullptr;
};

TEST_F(VersionsEditor, TickingProposesAFolderBelowTheBackupFolderOnlyWhenNoneIsSet) {
    EXPECT_TRUE(e->Frameversionshantering->isHidden());
    EXPECT_EQ(e->txtversionmax->text(), "10");
    e->txtbackupmapp->setEditText("/mnt/usb/Backup");
    e->chkversionshantering->setChecked(true);
    EXPECT_FALSE(e->Frameversionshantering->isHidden());
    EXPECT_EQ(e->txtversionmapp->text(), "/mnt/usb/Backup/versioner");

    // Clearing hides the frame and keeps the values; ticking again leaves the folder alone.
    e->txtbackupmapp->setEditText("/mnt/annan");
    e->chkversionshantering->setChecked(false);
    EXPECT_TRUE(e->Frameversionshantering->isHidden());
    EXPECT_EQ(e->txtversionmapp->text(), "/mnt/usb/Backup/versioner");
    e->chkversionshantering->setChecked(true);
    EXPECT_EQ(e->txtversionmapp->text(), "/mnt/usb/Backup/versioner");

    // A backup folder ending in a separator is taken as it is; an empty one proposes nothing.
    e->txtversionmapp->clear();
    e->chkversionshantering->setChecked(false);
    e->txtbackupmapp->setEditText("/media/anna/USB/");
    e->chkversionshantering->setChecked(true);
    EXPECT_EQ(e->txtversionmapp->text(), "/media/anna/USB/");
    e->txtversionmapp->clear();
    e->chkversionshantering->setChecked(false);
    e->txtbackupmapp->setEditText("");
    e->chkversionshantering->setChecked(true);
    EXPECT_EQ(e->txtversionmapp->text(), "");
}

TEST_F(VersionsEditor, TypesAreRefusedWithTheirOwnMessagesInOrder) {
    const QString prompt = "Fyll i filtypen du vill inkludera";
    dialogs().expectInput(prompt, "jpg");
    e->cmdversionpatternplus->click();
    dialogs().expectInput(prompt, "*.*");
    expectReport("Du behöver inte ange \"*.*\" för att få med alla filer. Använd bara fältet om det är vissa "
                 "filtyper du vill inkludera.");
    e->cmdversionpatternplus->click();
    dialogs().expectInput(prompt, "*.jpg");
    expectReport("Filtypen får inte innehålla punkter.");
    e->cmdversionpatternplus->click();
    dialogs().expectInput(prompt, ".png");
    expectReport("Filtypen får inte innehålla punkter.");
    e->cmdversionpatternplus->click();
    dialogs().expectInput(prompt, "jp*");
    expectReport("Filtypen får inte innehålla stjärnor.");
    e->cmdversionpatternplus->click();
    dialogs().expectInput(prompt, "");
    e->cmdversionpatternplus->click();
    ASSERT_EQ(e->listversionpattern->count(), 1);
    EXPECT_EQ(e->listversionpattern->item(0)->text(), "jpg");
}

TEST_F(VersionsEditor, FolderComesFromThePickerOrADrop) {
    dialogs().expectFolder(work("versioner"), "filversioner");
    e->cmdversionmapp->click();
    EXPECT_EQ(e->txtversionmapp->text(), work("versioner"));
    // Cancelling the picker empties the field, as the picker's answer is taken whole.
    dialogs().expectFolder("");
    e->cmdversionmapp->click();
    EXPECT_EQ(e->txtversionmapp->text(), "");
    e->txtversionmapp_OLEDragDrop({work("fil.txt"), work("annan")});
    EXPECT_EQ(e->txtversionmapp->text(), work("fil.txt"));
}

TEST_F(VersionsEditor, NumberFieldsKeepTheirNumberAndAnEmptySizeMeansNoLimit) {
    e->txtversionmax->clear();
    loseFocus(e->txtversionmax);
    EXPECT_EQ(e->txtversionmax->text(), "0");
    e->txtversionmax->setText("  20 st");
    loseFocus(e->txtversionmax);
    EXPECT_EQ(e->txtversionmax->text(), "20");
    loseFocus(e->txtversion_mb);
    EXPECT_EQ(e->txtversion_mb->text(), "");
    e->txtversion_mb->setText("2.5 MB");
    loseFocus(e->txtversion_mb);
    EXPECT_EQ(e->txtversion_mb->text(), "2.5");
}
