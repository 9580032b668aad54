#pragma once
#include "platform/vb.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTextEdit;
class SyncEngine;
class SyncView;
namespace platform {
class ClickLabel;
}

// "Mappkopiering": makes two folders equal, one way or both, or simulates it. The window shows
// and starts; the engine (sync_engine.h) holds the run's data and does the work.
//
// Implemented in two files: sync_window.cpp (controls, looks, histories, pickers, drops) and
// sync_window_run.cpp (the run driver and what the window shows of the engine).
class frmmappsync : public QWidget {
  public:
    frmmappsync();
    ~frmmappsync() override;

    QLabel* Label1 = nullptr;
    QLabel* imgsynk = nullptr;
    QFrame* Frame1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* txtmapp1 = nullptr;
    QComboBox* txtmapp2 = nullptr;
    QPushButton* cmdhämtamapp1 = nullptr;
    QPushButton* cmdhämtamapp2 = nullptr;
    QLabel* lblCount = nullptr;
    QLabel* lblCount2 = nullptr;

    QGroupBox* framesetup = nullptr;
    QLabel* Label4 = nullptr;
    QCheckBox* chkfrånsökväg1 = nullptr;
    QLabel* Label7 = nullptr;
    QCheckBox* chkfrånsökväg2 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QCheckBox* chksimulera = nullptr;
    QLabel* Label8 = nullptr;
    QLineEdit* txtpattern = nullptr;

    QGroupBox* Frame2 = nullptr;
    QLineEdit* txtmapp = nullptr;
    QLineEdit* txtfil = nullptr;
    QFrame* Picture1 = nullptr;
    QLabel* lblprocent1 = nullptr;
    QFrame* Picture2 = nullptr;
    QLabel* lblprocent2 = nullptr;
    QLabel* lbl2 = nullptr;
    QLabel* lblinfo = nullptr;

    QPushButton* cmdkör = nullptr;
    QPushButton* cmdavbryt = nullptr;
    QPushButton* cmdstäng = nullptr;
    QPlainTextEdit* txtloggtext = nullptr;
    platform::ClickLabel* lblhjälp = nullptr;
    QLabel* imgerr = nullptr;

    QFrame* Frame3 = nullptr; // the end-of-run log view
    QTextEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;

    QString cmdavbryt_Tag; // "1": the user asked to cancel the run

    // ---- the window (sync_window.cpp)
    void Form_Load();
    void load_sökvägar();
    // Puts the two folder texts into their histories and rewrites setup_synkmappar.ini; throws
    // RunError when the file cannot be written.
    void save_sökvägar();
    void cmdhämtamapp1_Click();
    void cmdhämtamapp2_Click();
    QString välj_mapp(int rootId, int flags, const QString& title, const QString& startFolder = {});
    // The folder the picker starts in: none (the top) below 1, else the user's home folder.
    QString hämta_specialmapp(int id);
    // A drop on a folder field: the dropped files' paths (an empty list for a drop without files).
    void txtmapp1_OLEDragDrop(const QStringList& files);
    void txtmapp2_OLEDragDrop(const QStringList& files);
    void cmdavbryt_Click();
    void cmdstäng_Click();
    void Command1_Click();
    void lblhjälp_Click();
    void txtloggtext_Change();
    static QStringList Split(const QString& text, const QString& delimiter = QStringLiteral(" ")) {
        return platform::Split(text, delimiter);
    }
    // A window-log line: line break, the time "hh:mm:ss" and the text.
    void addLogLine(const QString& text);

    // ---- the run (sync_window_run.cpp)
    // Holds the operation gate and the program folder's run lock while it works and writes its
    // logs; both are free again before the simulation's result window waits for the user.
    void cmdkör_Click();
    void tömlogfil();
    void spara_loggfil_i_loggmapp(const QDateTime& start, long copied, double megabytes, long errors);
    bool running() const { return running_; }
    // "Avbryt" was answered Yes, or the program is asked to end.
    bool cancelRequested() const;
    SyncEngine& engine();
    // Brings the progress controls up to date with the engine now.
    void applyProgress();

  protected:
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void createControls();
    void pickFolder(QComboBox* field);
    void dropOn(QComboBox* field, const QStringList& files, const QString& place);
    void setRunningLook();
    void setIdleLook();
    void showLogView();
    // True when the simulation's result window is to be shown.
    bool endOfRun();
    void showSimulation();

    std::unique_ptr<SyncView> view_;
    std::unique_ptr<SyncEngine> engine_;
    QDateTime start_;
    bool running_ = false;
};
