#pragma once
#include "core/program_settings.h"

#include <QList>
#include <QWidget>
#include <array>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;

// The settings window. Its check boxes show and edit the program settings' values
// (program().settings()), which every other window reads.
// It is loaded at start-up and stays loaded, hidden, until the program ends.
class frmsetup : public QWidget {
  public:
    frmsetup();

    // programalternativ.ini, lines 1 to 19 in this order
    QCheckBox* chkuppdateraauto = nullptr;
    QCheckBox* chkstartaminimerad = nullptr;
    QCheckBox* chkstartaaktiverad = nullptr;
    QCheckBox* chkljud1 = nullptr;
    QCheckBox* chkljud2 = nullptr;
    QCheckBox* chkjobbarkiv = nullptr;
    QCheckBox* chkfilstorlek = nullptr;
    QCheckBox* chksnabbstart = nullptr;
    QCheckBox* chkfilstorlek2 = nullptr;
    QCheckBox* chkvarnasync = nullptr;
    QCheckBox* chktillåtschemasync = nullptr;
    QCheckBox* chkpapperskorg_ersatta = nullptr;
    QCheckBox* chkpapperskorg_synk = nullptr;
    QCheckBox* chkignorerafel = nullptr;
    QCheckBox* chkdöljfilterilogg = nullptr;
    QCheckBox* chkvisafilecopy = nullptr;
    QCheckBox* chkschemapåminnelse = nullptr;
    QCheckBox* chkschemapopupfel = nullptr;
    QCheckBox* chkschemapopupok = nullptr;
    // setup_api.ini
    QCheckBox* chkaldrigapi = nullptr;
    // the autostart entry
    QCheckBox* chkstartamedwindows = nullptr;
    QString chkstartaminimerad_Tag; // "1" after the main window's first activation

    // The 19 boxes of programalternativ.ini in line order.
    QList<QCheckBox*> fileBoxes() const;

    // Sections: List1 chooses which frame lies on top.
    QListWidget* List1 = nullptr;
    QGroupBox* Frame1 = nullptr;     // Uppstart
    QGroupBox* framelooks = nullptr; // Utseende
    QGroupBox* framepapperskorg = nullptr;
    QGroupBox* framespegling = nullptr;
    QGroupBox* frameschema = nullptr;
    QGroupBox* frameavancerat = nullptr;
    QGroupBox* frameexport = nullptr;
    QGroupBox* Frame2 = nullptr; // Ljud: never shown, its boxes change only through the file
    // The section frames in the order of List1.
    std::array<QGroupBox*, 7> sections() const;

    QPushButton* cmdok = nullptr;             // "&Stäng": save and hide
    QPushButton* cmdsökuppdatering = nullptr; // "Sök nu"
    QPushButton* cmdsökersätt = nullptr;      // "Sök && ersätt..."
    QPushButton* cmdexport = nullptr;         // "Exportera" (the export of the current group's jobs)
    QLabel* lblhjälp = nullptr;               // "Hjälp", a link
    QLineEdit* txtexportmapp = nullptr;       // the export folder

    // Pop-up menus of the main window; never shown in a menu bar.
    QMenu* mnualternativ = nullptr;
    QAction* mnuåterställ = nullptr;
    QAction* mnuom = nullptr;
    QAction* mnusökersätt = nullptr;
    QAction* mnuduplicera = nullptr;
    QMenu* mnukopierajobb = nullptr;
    std::array<QAction*, 4> mnugrupp{};
    QAction* mnuvisagammalbackup = nullptr;
    QAction* mnuuppdateraauto = nullptr; // check-mark entry: shows and changes chkuppdateraauto
    QAction* mnuuppdateranu = nullptr;
    QAction* mnusnabbstart = nullptr;
    QAction* mnuinställningar = nullptr;
    QMenu* mnuöppnamapp = nullptr;
    QAction* mnuöppnamapp_original = nullptr;
    QAction* mnuöppnamapp_backup = nullptr;
    QMenu* mnuöppnamapp2 = nullptr;
    QAction* mnukällmapparrubrik = nullptr;
    std::array<QAction*, 50> mnukällmapp{}; // 1..49 hidden at load
    QAction* mnumålmapparrubrik = nullptr;
    std::array<QAction*, 50> mnumålmapp{};

    void spara_setup();
    void List1_Click();
    void cmdok_Click();
    void cmdsökuppdatering_Click();
    void cmdsökersätt_Click();
    void lblhjälp_Click();
    // The menu entry "Sök programuppdateringar automatiskt" chosen: the setting follows and is saved.
    void mnuuppdateraauto_Click(bool on);
    void chkjobbarkiv_Click();

  protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;

  private:
    QCheckBox* box(QGroupBox* frame, const char* name, const QString& caption, bool ProgramSettings::*value,
                   const QString& explanation = {});
    QGroupBox* frame(const char* name, const QString& caption);
    void createMenus();
};
