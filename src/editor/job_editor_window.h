#pragma once
#include "core/job_files.h"

#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <map>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

// A combo box that is never shown: the stored line of a list setting (its text), its drop-down
// history and the change handler that fills the visible list. Setting the text always runs the
// handler, so a list emptied before the text is set is refilled even when the text is the same.
class HiddenText {
  public:
    const QString& text() const { return text_; }
    void setText(const QString& t) {
        text_ = t;
        if (onChange)
            onChange();
    }
    bool isEmpty() const { return text_.isEmpty(); }

    QStringList items;              // the drop-down history (only three of them have one)
    std::function<void()> onChange; // the text's change handler

  private:
    QString text_;
};

// The job editor: the editing copy of one job. Every opening (and every hidden use by another
// window) starts from a freshly loaded window: program().form<frmaddmapp>(), then
// program().unload<frmaddmapp>() when done.
//
// The class is implemented in several files, one per area:
//   job_editor_window.cpp    controls and pages, tabs, help icons, cancelling, geometry file
//   job_saving.cpp           OK, checks, backup folder, writing the job file set, name field
//   histories.cpp            the five drop-down history lists
//   job_editor_folders.cpp   main folders, folder list, folder scan, excluded folders
//   job_editor_lists.cpp     filter and program lists
//   job_editor_versions.cpp  versioning page
//   job_editor_rename.cpp    renaming a job
// Each area adds members only inside its own section below.
class frmaddmapp : public QWidget {
  public:
    frmaddmapp();
    ~frmaddmapp() override;

    // ---- window, tabs, help and closing -----------------------------------------------------
    // The caption is the mode: "Nytt jobb" or "Ändra jobb".
    QString caption() const { return windowTitle(); }
    void setCaption(const QString& c) { setWindowTitle(c); }

    void Form_Load();
    void Form_Unload();
    void open_windowsize();
    // Writes the geometry file and unloads the window (Form_Unload, then program().unload).
    void unloadWindow();

    std::array<QFrame*, 6> flik{};    // tab bodies, index as in visa_flik
    std::array<QLabel*, 6> imgflik{}; // tab icons
    std::array<QLabel*, 6> lblflik{}; // tab captions
    QFrame* Picture2 = nullptr;       // the tab column
    QFrame* Frame2 = nullptr;         // Källmappar
    QFrame* Frame3 = nullptr;         // Alternativ
    QFrame* Frame4 = nullptr;         // Filter
    QFrame* Frame5 = nullptr;         // Start/stopp
    QFrame* Frame6 = nullptr;         // Versions- hantering
    QFrame* Frame7 = nullptr;         // Lagringsplats
    // The page frame of a tab index (Frame3, Frame2, Frame4, Frame5, Frame6, Frame7).
    QFrame* page(int index) const;
    // The page frame that lies on top of the others (the selected tab's).
    QFrame* frontPage() const;
    int selectedTab() const { return selectedTab_; }

    void visa_flik(int index);
    void flik_Click(int index);
    void imgflik_Click(int index);

    QLabel* lbljobbnamn = nullptr;
    QFrame* picstänginfo = nullptr;
    QLabel* lblstänginfo = nullptr;
    QPushButton* cmdok = nullptr;
    QPushButton* cmdstäng = nullptr;
    QPushButton* Command1 = nullptr; // "?", hidden, does nothing
    QLabel* lblhjälp = nullptr;
    std::array<QLabel*, 12> help{};   // help[1] .. help[11] are help1 .. help11; help[0] unused
    QLabel* lblversioninfo = nullptr; // on Frame6

    // The explanation shown by help icon n (1..11).
    static QString helpText(int n);
    void help_Click(int n);
    void lblhjälp_Click();
    void cmdstäng_Click();
    void Command1_Click() {}

    // Makes `w` accept dropped files and folders; `handler` receives their paths in drop order.
    void acceptDrops(QWidget* w, std::function<void(const QStringList&)> handler);

    // ---- options page (Alternativ) -----------------------------------------------------------
    QComboBox* txtnamn = nullptr;      // job name, with history
    QPushButton* cmdbytnamn = nullptr; // rename, hidden in new mode
    QCheckBox* chkuppdateramappar = nullptr;
    QCheckBox* chksynkroniseraej = nullptr;
    QCheckBox* chkignorerasaknadenhet = nullptr;

    // ---- storage page (Lagringsplats) --------------------------------------------------------
    QComboBox* txtbackupmapp = nullptr;          // backup folder, with history
    QPushButton* cmdväljmapp = nullptr;          // "Välj backupmapp"
    std::array<QRadioButton*, 2> optsökvägtyp{}; // 0 "Relativ (utökad)", 1 "Absolut"
    QCheckBox* chkabsolutsökväg_huvudmapp = nullptr;

    // ---- saving (job_saving.cpp) ---------------------------------------------------------------
    void cmdok_Click();
    void ok_spara();
    void ok_spara_ordnafilterlistor();
    // Creates every missing folder of the path; not 0 when the folder exists afterwards.
    int skapa_backupmapp_om_saknas(const QString& backupmapp_saknas);
    void cmdväljmapp_Click();
    void txtbackupmapp_OLEDragDrop(const QStringList& paths);
    void optsökvägtyp_Click(int index);
    void txtnamn_Change();
    void txtnamn_Click();
    // New mode: visible, and the caption begins with "Ny".
    bool newMode() const;
    // The options and the versioning as saving writes them.
    JobFiles::Options options() const;
    JobFiles::Versioning versioning() const;
    // The rule book's refusal of the job as saving would write it with these folders (the message,
    // and the tab it concerns in `tab`), or an empty text.
    QString ruleRefusal(const QString& backup, const QStringList& mainFolders, const QStringList& folders,
                        int& tab) const;
    // True while ok_spara runs; OK, Avbryt and the close box then do nothing (as while a folder
    // scan runs).
    bool saving() const { return saving_; }
    // Shows a step text on the notice panel and lets the window repaint.
    void showNotice(const QString& step);

    // ---- drop-down histories (histories.cpp) --------------------------------------------------
    void öppna_listval();
    void spara_listval();

    // ---- folder picker (job_editor_window.cpp) -------------------------------------------------
    // The chosen folder's path, or an empty text when cancelled. The root and the flags of the
    // original dialog have no meaning here and are accepted for the callers' sake.
    QString bläddra_efter_mapp(int root, int flags, const QString& title, const QString& startFolder = {});

    // ---- main folders and folder list --------------------------------------------------------
    QListWidget* combomappar = nullptr;      // main folders (".001")
    QListWidget* lstFoundFiles = nullptr;    // every folder of the job (".000")
    QCheckBox* chksubmapp = nullptr;         // "Inkludera undermappar"
    QPushButton* cmdhämtamapp = nullptr;     // plus button
    QPushButton* cmduppdatera = nullptr;     // rescan the selected main folder
    QPushButton* cmdtabortmappar = nullptr;  // remove the selected main folder
    QPushButton* cmdmappfullskärm = nullptr; // larger folder list
    QPushButton* cmdexit = nullptr;          // "&Avbryt", shown while a folder is added
    QString cmdexit_Tag;                     // "avbryt": the scan's cancel signal
    QLabel* lblCount = nullptr;              // folders added by the latest add
    QLabel* lblCount2 = nullptr;             // entries of lstFoundFiles
    QLabel* Label22 = nullptr;
    QLabel* Label13 = nullptr;
    QString drvList; // hidden drive list: drive of the folder to add
    QString dirList; // hidden folder list: the folder to add
    QString lblmapp; // hidden text box: the folder to add
    // Connects this area's behaviour to the controls above; called by the constructor.
    void connectFolderControls();
    void cmdSearch_Click();
    void uppdatera_innehåll();
    // Scans lblmapp into lstFoundFiles (adding it as a main folder unless one covers it) or, while
    // frmmain.Tag is "sync", into the backup window's listsyncmappar. cmdexit_Tag "avbryt" cancels.
    void starta_sökning();
    void cmdexit_Click();
    void cmdhämtamapp_Click();
    void cmdtabortmappar_Click();
    void cmduppdatera_Click();
    void cmdmappfullskärm_Click();
    void combomappar_Click();
    void combomappar_OLEDragDrop(const QStringList& paths);
    void lstFoundFiles_OLEDragDrop(const QStringList& paths);
    void lstFoundFiles_KeyUp(int key);
    void dirList_Change();
    void drvList_Change();
    void lblCount_Change();
    // Sets the hidden drive and folder lists, and so lblmapp, to a folder (error 76 when it is none).
    void setDriveAndFolder(const QString& folder);
    // True while a folder is added or rescanned: adding, rescanning, removing, dropping, OK and
    // closing the window wait for it.
    bool folderScanBusy() const { return folderBusy_; }
    // A scan or a save is going on: the user's adds, drops, removals and rescans wait.
    bool folderInputBlocked() const;
    bool coveredByMainFolder(const QString& folder) const;
    void setLblCount(const QString& text);
    void showTotal();
    void beginFolderAdd();
    void endFolderAdd();
    void untickRescanOption();
    void addDroppedFolders(const QStringList& paths);
    bool folderBusy_ = false;
    bool editingFolderLists_ = false; // the lists are changed by code: no click procedure
    QObject* folderEscape_ = nullptr; // Esc presses cmdexit while a folder is added

    // ---- excluded folders --------------------------------------------------------------------
    QPushButton* cmdexmappar = nullptr; // "Exkludera mappar... (0 mappar)"
    QStringList listexmappar;           // hidden list of excluded folders (".005")
    void cmdexmappar_Click();
    void rensa_exmappar();
    void rensa_saknade_exmappar();

    // ---- filter and program lists ------------------------------------------------------------
    HiddenText txtpattern;          // ".003" line 1, ";"
    HiddenText txtexpattern;        // ".003" line 2, ";"
    HiddenText txtexfiler;          // ".003" line 3, ";"
    HiddenText txtmappfilter;       // ".003" line 4, " * "
    HiddenText txtstartstopp_stopp; // ".008" line 1, " ;; "
    HiddenText txtstartstopp_start; // ".008" line 2, " ;; "
    QListWidget* listpattern = nullptr;
    QListWidget* listexpattern = nullptr;
    QListWidget* listexfiler = nullptr;
    QListWidget* listmappfilter = nullptr;
    QListWidget* liststartstopp_stopp = nullptr;
    QListWidget* liststartstopp_start = nullptr;
    QPushButton* cmdpatternplus = nullptr;
    QPushButton* cmdpatternminus = nullptr;
    QPushButton* cmdexpatternplus = nullptr;
    QPushButton* cmdexpatternminus = nullptr;
    QPushButton* cmdexfilerplus = nullptr;
    QPushButton* cmdexfilerminus = nullptr;
    QPushButton* cmdmappfilterplus = nullptr;
    QPushButton* cmdmappfilterminus = nullptr;
    QPushButton* cmdstartstopp_stopp = nullptr;
    QPushButton* cmdstartstopp_stopp_minus = nullptr;
    QPushButton* cmdstartstopp_start = nullptr;
    QPushButton* cmdstartstopp_start_minus = nullptr;
    QPushButton* cmdstartstopp_teststopp = nullptr;
    QPushButton* cmdstartstopp_teststart = nullptr;
    QLineEdit* txtexmb = nullptr; // ".003" line 5
    // Connects this area's behaviour (change handlers, buttons, double clicks); called by the
    // constructor.
    void connectListControls();
    // The seven list pairs: each list, its hidden text and separator, in the order saving joins them.
    struct ListPair {
        QListWidget* list;
        HiddenText* text;
        QString separator;
    };
    std::array<ListPair, 7> listPairs();
    // List to text for all seven pairs: join, empty the list, set the text (which refills it).
    // Saving calls it before it checks and writes.
    void listsToTexts();
    // Plus buttons with an input box: the answer is appended exactly as typed, unless empty.
    void addEntryByInput(QListWidget* list, const QString& prompt, const QString& title);
    // Every minus button: removes the selected entry and selects the one that took its place.
    void removeSelectedEntry(QListWidget* list);
    // Every double click: changes the selected entry through an input box.
    void changeSelectedEntry(QListWidget* list);
    void cmdpatternplus_Click();
    void cmdexpatternplus_Click();
    void cmdexfilerplus_Click();
    void cmdmappfilterplus_Click();
    void cmdstartstopp_stopp_Click();
    void cmdstartstopp_start_Click();
    void cmdstartstopp_teststart_Click();
    void cmdstartstopp_teststopp_Click();
    void txtexmb_LostFocus();
    // Runs `handler` whenever `w` loses the focus.
    void onLostFocus(QWidget* w, std::function<void()> handler);

    // ---- versioning --------------------------------------------------------------------------
    QCheckBox* chkversionshantering = nullptr;
    QFrame* Frameversionshantering = nullptr; // hidden unless versioning is on
    HiddenText txtversionpattern;             // ".009" line 2, ";"
    QListWidget* listversionpattern = nullptr;
    QPushButton* cmdversionpatternplus = nullptr;
    QPushButton* cmdversionpatternminus = nullptr;
    QLineEdit* txtversion_mb = nullptr;
    QLineEdit* txtversionmax = nullptr; // initial text "10"
    QLineEdit* txtversionmapp = nullptr;
    QPushButton* cmdversionmapp = nullptr;
    void connectVersionControls();
    void chkversionshantering_Click();
    void cmdversionmapp_Click();
    void txtversionmapp_OLEDragDrop(const QStringList& paths);
    void cmdversionpatternplus_Click();
    void txtversion_mb_LostFocus();
    void txtversionmax_LostFocus();

    // ---- renaming ----------------------------------------------------------------------------
    QString cmdbytnamn_Tag; // "1": the job got a new name while open
    void connectRenameControls();
    void cmdbytnamn_Click();

  protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void createControls();
    // Tab and Shift+Tab in reading order: the tab column top to bottom, the shown page, then help,
    // OK and Avbryt.
    void orderTabs();
    // The name field, or (when it is disabled) the first control after it that Tab reaches.
    void focusFirstField();
    void createOptionsPage();
    void createFoldersPage();
    void createFilterPage();
    void createStartStopPage();
    void createVersionPage();
    void createStoragePage();
    void helpIcon(QWidget* parent, int n, int x, int y);

    int selectedTab_ = 0;
    bool saving_ = false;
    bool unloaded_ = false;
    std::map<QObject*, std::function<void(const QStringList&)>> dropHandlers_;
};
