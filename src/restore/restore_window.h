#pragma once
#include "restore/restore_engine.h"

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTimer;
namespace platform {
class ClickLabel;
}

// Shows the engine's result entries in the file list; the engine keeps the data.
class RestoreResultModel : public QAbstractListModel {
  public:
    explicit RestoreResultModel(const std::vector<RestoreEntry>& entries, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // The whole result changed (a new scan).
    void reload();
    void beginRemove(int first, int last);
    void endRemove();

  private:
    const std::vector<RestoreEntry>& entries_;
    int shown_ = 0;
};

// The restore wizard "Återställ backup": five pages (index 0 to 4) chosen by comboframe. The
// user states where a backup lies and where its files came from (from a job, or by hand), loads
// the backup's folders, lets the program find the files the original place lacks or holds in an
// older form, and copies the chosen ones back.
//
// The class is implemented in several files:
//   restore_window.cpp          controls, layout, closing, the engine's view
//   restore_window_pages.cpp    pages and navigation, the restore paths, folder pickers
//   restore_window_folders.cpp  the folder listing, the folder list and the scan
//   restore_window_files.cpp    the file list, the copy back, search, opening and stopping
class frmåterställ : public QWidget, public RestoreView {
  public:
    frmåterställ();
    ~frmåterställ() override;

    RestoreEngine engine;

    // ---- navigation
    int comboframe = 0; // the page shown, 0..4
    static constexpr int kPages = 5;
    // Sets comboframe's list index, which shows that page.
    void setComboframe(int index);
    std::array<QFrame*, kPages> frame{};
    QLabel* lblrubrik = nullptr;
    QLabel* lblsida = nullptr;
    QPushButton* cmdförra = nullptr;
    QPushButton* cmdnästa = nullptr;
    platform::ClickLabel* lblhjälp = nullptr;
    QPushButton* cmdstäng = nullptr;
    QPushButton* cmdlogg = nullptr;
    QPushButton* cmdavbrytcopy = nullptr;
    QPushButton* cmdavbrytcopy2 = nullptr;
    QPushButton* cmdöppnamapp = nullptr;
    QPushButton* cmdöppnafil = nullptr;

    // ---- page 0: mode
    QRadioButton* optjobb1 = nullptr; // "Välj ett befintligt jobb"
    QRadioButton* optjobb2 = nullptr; // "Manuella inställningar"
    bool manualMode() const;

    // ---- page 1: paths
    QGroupBox* Frame111 = nullptr;
    QRadioButton* chkåterställ1 = nullptr; // missing files
    QRadioButton* chkåterställ2 = nullptr; // missing and newer files
    QFrame* framejobb = nullptr;
    QComboBox* combojobb = nullptr;
    QComboBox* combomappar = nullptr;
    QLineEdit* lblmapp = nullptr;  // the backup location (also the folder being listed)
    QLineEdit* lblmapp2 = nullptr; // the main folder: where files go back to
    QLineEdit* lblmapp3 = nullptr; // the job's backup folder
    QFrame* FrameAvancerad = nullptr;
    QLineEdit* txtbackupmapp = nullptr;
    QLineEdit* txtåterställfrån = nullptr;
    QLineEdit* txtåterställtill = nullptr;
    QLabel* lblvarning = nullptr;
    QPushButton* cmdöppnabackupmapp = nullptr;
    QPushButton* cmdöppnaåterställningsmapp = nullptr;
    QPushButton* cmdåterställtillmapp = nullptr;

    // ---- page 2: loading the folders
    QLabel* lblladdafrån = nullptr;
    QPushButton* cmdladdamålmappar = nullptr;
    QPushButton* cmdavbryt = nullptr;
    QLabel* lblmappantal = nullptr;
    QLabel* lblinlästamappar = nullptr;
    QLabel* imghdd1 = nullptr;
    QLabel* imghdd2 = nullptr;
    QTimer* timerhdd = nullptr;
    int mappinläsning_avbruten = 0;

    // ---- page 3: the folder list and the scan
    QListWidget* List1 = nullptr;
    QLineEdit* txtmarkerad = nullptr;
    QCheckBox* chkåterställmarkerad = nullptr;
    QPushButton* cmdmapplista = nullptr;
    QFrame* framesökmapp = nullptr;
    QLineEdit* txtsökmapplista = nullptr;
    QPushButton* cmdsökmapplistanästa = nullptr;
    QLabel* lblantalfiler = nullptr;
    QFrame* Picture1 = nullptr;
    QLabel* lblprocent11 = nullptr;
    QFrame* Picture5 = nullptr;
    QLabel* lblprocent12 = nullptr;

    // ---- page 4: the file list and the copy back
    QListView* Liståterställtill = nullptr;
    RestoreResultModel* resultModel = nullptr;
    QLineEdit* txtmarkerad2 = nullptr;
    QFrame* framesökfil = nullptr;
    QLineEdit* txtsökfillista = nullptr;
    QPushButton* cmdsökfillistanästa = nullptr;
    QCheckBox* chkåterställmarkerad2 = nullptr;
    QPushButton* cmdåterställfiler = nullptr;
    QPushButton* cmdåterställmarkeradefiler = nullptr;
    QLabel* lblantalfiler2 = nullptr;
    QFrame* Picture2 = nullptr;
    QLabel* lblprocent45 = nullptr;
    int avbrottsflagga = 0;

    // The parallel result lists, as texts (Liståterställtill shows "+ " before missing files).
    QStringList Liståterställtill_texts() const;
    QStringList Liståterställfrån() const;
    QStringList Liståterställmapp() const;

    // ---- event procedures
    void Form_Load();
    void comboframe_Click();
    void cmdnästa_Click();
    void cmdförra_Click();
    void combojobb_Click();
    void combomappar_Click();
    void txtbackupmapp_Change();
    void txtåterställfrån_Change();
    void txtåterställtill_Change();
    void cmdöppnabackupmapp_Click();
    void cmdöppnaåterställningsmapp_Click();
    void cmdåterställtillmapp_Click();
    void lblhjälp_Click();

    void cmdladdamålmappar_Click();
    void ladda_målmappar();
    void cmdavbryt_Click();
    void timerhdd_Timer();
    void List1_Click();
    void List1_DblClick();
    void List1_KeyUp(int keyCode);
    void cmdmapplista_Click();

    void cmdåterställ_Click();
    void cmdåterställmarkerade_Click();
    void cmdåterställfiler_Click();
    void cmdåterställmarkeradefiler_Click();

    void txtsökmapplista_Change();
    void txtsökmapplista_KeyPress(int keyAscii);
    void cmdsökmapplistanästa_Click();
    void txtsökfillista_Change();
    void txtsökfillista_KeyPress(int keyAscii);
    void cmdsökfillistanästa_Click();
    void Liståterställtill_Click();
    void Liståterställtill_DblClick();
    void Liståterställtill_KeyUp(int keyCode);
    void cmdöppnafil_Click();
    void cmdöppnamapp_Click();
    void chkåterställmarkerad2_Click();
    void cmdlogg_Click();
    void cmdlogg_MouseUp(Qt::MouseButton button);
    void cmdstäng_Click();
    void cmdavbrytcopy_Click();
    void cmdavbrytcopy2_Click();

    // The mapping of the backup's folders to their original folders, as the page of paths
    // states it now (the job's record, or the manual boxes).
    RestoreMapping currentMapping() const;
    // In job mode, a backup folder that may not be the job's is reported (with its reason) and
    // true returned: nothing is listed or copied from it.
    bool refusedBackupFolder();
    // Sets combojobb's list index (its Click runs even when the index stays).
    void selectJobEntry(int index);
    // A listing, scan or copy back is going on.
    bool busy() const { return busy_ != Busy::None; }

    // ---- RestoreView
    void yield() override;
    bool stopRequested() const override;
    void systemLog(const QString& text, bool error) override;
    void currentEntry(int row) override;
    void removingEntries(int first, int last) override;
    void entriesRemoved() override;

  protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    enum class Busy { None, Listing, Scan, Copy };
    void createControls();
    void createPathPage();
    void createFolderPages();
    void createFilePage();
    void layoutControls();
    void deriveRestoreTo();
    void pickFolder(QLineEdit* box, const QString& place);
    void setBar(QLabel* bar, const QFrame* box, double fraction);
    static void setTextColour(QLineEdit* box, const QColor& colour);
    void refreshProgress();
    void setScanBusy(bool on);
    void setCopyBusy(bool on);
    // The copy back of the whole list ("Återställ dessa filer") or of the marked rows only.
    void restoreFiles(bool wholeList);
    void setBusy(Busy busy);
    // Ends a pass: a close asked for while it ran is carried out now.
    void endBusy();
    void searchList(QLineEdit* box, int from, bool folders);
    void report(const QString& message);
    void setFolderList(const QStringList& folders);
    std::vector<char> folderMarks() const;
    std::vector<char> entryMarks() const;
    int currentResultRow() const;

    Busy busy_ = Busy::None;
    bool closeRequested_ = false;
    // The job and main folder chosen on the page of paths (job mode).
    struct JobChoice {
        QString name;
        QString backupFolder;
        QString mainFolder;
        bool absolute = false;
        bool withName = false;
        QStringList mainFolders; // all the job's main folders, in the job's order
    } job_;
    bool settingJobPaths_ = false;
    QString currentBackup_;   // the backup copy the copy back works on
    QElapsedTimer yielded_;   // messages last let through
    QElapsedTimer refreshed_; // the controls last brought up to date
};

// Opens the wizard modally, as the main window's restore commands do: `jobNames` fill the job
// choice; `jobIndex` selects a job. With `currentJob`, the main folder `mainFolderIndex` is chosen
// too and the wizard starts on its page of paths.
void showRestoreWizard(const QStringList& jobNames, int jobIndex, int mainFolderIndex, bool currentJob);
