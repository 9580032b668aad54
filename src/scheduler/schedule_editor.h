#pragma once
#include <QString>
#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
namespace platform {
class ClickLabel;
}

// "Schemaläggning": the schedule editor of the current job group. Its common settings are a view
// of the program's Scheduler; its per-job frame shows the job last clicked and saves into the
// ".006" file of every selected job on the user's own clicks and keys.
// While the activation box is ticked, closing it only hides it.
class frmschema2 : public QWidget {
  public:
    frmschema2();

    // ---- start page ------------------------------------------------------------------------------
    QFrame* framestart = nullptr;
    QPushButton* cmdstartställin = nullptr;  // "Alternativ för schemakörning"
    QPushButton* cmdstartaktivera = nullptr; // "Aktivera schemakörning"

    // ---- top level -------------------------------------------------------------------------------
    QLabel* Label1 = nullptr;
    QListWidget* List1 = nullptr;             // per-job list: job names, "*AKTIV* " before active ones
    QListWidget* listglobal = nullptr;        // common list: the jobs chosen for the common setting
    std::array<QPushButton*, 2> cmdmarkera{}; // "Markera alla", "Avmarkera alla"
    QPushButton* cmdavbryt = nullptr;         // "Välj/Stäng"
    platform::ClickLabel* lblhjälp = nullptr;
    QCheckBox* chkignorerafel = nullptr; // hidden, never set
    QGroupBox* Frame4 = nullptr;
    QCheckBox* chkaktivera = nullptr;             // "Aktivera schemaläggning"
    QGroupBox* Frame3 = nullptr;                  // "Metod:"
    std::array<QRadioButton*, 2> optunikglobal{}; // 1 common, 0 per job

    // ---- per-job frame ---------------------------------------------------------------------------
    QGroupBox* Frame1 = nullptr; // caption: the job last clicked
    QCheckBox* chkaktiv = nullptr;
    platform::ClickLabel* help2 = nullptr;
    QComboBox* combotid = nullptr;
    QLabel* lblenter = nullptr;
    std::array<QCheckBox*, 8> chkdag2{}; // 1 = Sunday .. 7 = Saturday
    QCheckBox* chksync = nullptr;
    platform::ClickLabel* help3 = nullptr;
    QCheckBox* chksync_simulera = nullptr;
    QPushButton* cmdok = nullptr;
    QString cmdok_Tag; // "1": a job schedule was saved since the editor opened

    // ---- common frame ----------------------------------------------------------------------------
    QGroupBox* frameglobal = nullptr; // "Global inställning"
    QComboBox* combotidglobal = nullptr;
    std::array<QCheckBox*, 8> chkdag{};
    QCheckBox* chksyncglobal = nullptr;
    platform::ClickLabel* help1 = nullptr;
    QCheckBox* chksyncglobal_simulera = nullptr;
    QPushButton* cmdok_global = nullptr;
    QPushButton* Command1 = nullptr; // hidden test button

    // ---- procedures ------------------------------------------------------------------------------
    // Fills the per-job list from the main window's jobs, "*AKTIV* " for an active ".006", and
    // selects the current job (which runs the job click). Throws RunError.
    void fillJobList();
    void Form_Activate();
    // Returns true when the window may unload; while scheduling stays active it hides instead.
    bool Form_Unload();
    void låsallt();
    void låsuppallt();
    void spara_multi();
    void cmdavbryt_Click();
    void cmdok_global_Click();
    void cmdstartställin_Click();
    void cmdstartaktivera_Click();
    void chkaktivera_Click();
    void optunikglobal_Click(int index);
    void List1_Click();
    void cmdmarkera_Click(int index);
    void chksync_Click();
    void chksyncglobal_Click();
    void help_Click(int index);
    void Command1_Click();
    // The editor shows the scheduler's mode, common settings and activation.
    void showMode();
    void showCommonSettings();
    void showActivation();

  protected:
    void closeEvent(QCloseEvent* e) override;
    bool event(QEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

  private:
    // The start page, or the settings it covers.
    void showStartPage(bool on);
    QWidget* settingsPage_ = nullptr;
    void createControls();
    void connectControls();
    // The common frame's controls into the scheduler.
    void takeCommonSettings();
    bool startPageShown_ = false;
    bool showing_ = false; // the controls are being filled from the scheduler
};

// The entry of the per-job list for job `name` of the current job group.
QString scheduleListEntry(const QString& name);
