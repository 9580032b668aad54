#pragma once
#include "platform/download.h"
#include "platform/errors.h"

#include <QString>
#include <QWidget>
#include <functional>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;
namespace platform {
class ClickLabel;
}

// "Uppdatera Tamrel Backup": finds out whether the web site offers a newer version, shows its
// news, and on request downloads the setup program, starts it and ends the program. Loaded hidden
// at start-up for the automatic check (shown only when a newer version exists), or shown modally
// for a check the user asked for. Its timer, once given an interval, fires once and runs the check.
class frmuppdatera : public QWidget {
  public:
    frmuppdatera();

    QFrame* Frame1 = nullptr;
    QLabel* lblversion = nullptr;   // "Aktuell version: 7.0.0"
    QLabel* lblnyversion = nullptr; // newest version and the result
    platform::ClickLabel* lblchangelog = nullptr;
    platform::ClickLabel* lblhemsidan = nullptr;
    QPlainTextEdit* Text1 = nullptr;          // status messages and news
    QPushButton* cmdinstallera = nullptr;     // "Ladda ner/installera"
    QPushButton* cmdstäng = nullptr;          // "Stäng", also Esc
    QPushButton* cmdsökuppdatering = nullptr; // never shown; holds the check
    QString cmdsökuppdatering_Tag;            // "1": this window has started its check
    QTimer* Timer1 = nullptr;

    void Form_Load();
    void Timer1_Timer();
    void cmdsökuppdatering_Click();
    void cmdinstallera_Click();
    void lblchangelog_Click();
    void lblhemsidan_Click();
    void cmdstäng_Click();
    // Downloads `address` into `file`, https only; the limits of the file's kind.
    platform::DownloadResult DownloadFile(const QString& address, const QString& file,
                                          const platform::DownloadLimits& limits);

    // Ends the program at once after the setup program was started (tests replace it).
    std::function<void()> endProgram;
    // A check or an installation is going on; closing waits for its end.
    bool busy() const { return busy_; }
    // The temporary copy of the version file of the last check.
    QString temporaryFile() const { return temporaryFile_; }

  protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

  private:
    void checkFailed(bool logLine);
    // A run-time error of the check or the installation: the text box, and the reporter or,
    // while hidden, the system-log line `hiddenLine` followed by the number and description.
    void reportError(const platform::RunError& e, const QString& place, const QString& hiddenLine);
    void unloadWhenDone();
    bool busy_ = false;
    bool closeRequested_ = false;
    QString temporaryFile_;
};

namespace logview {
// The automatic check at start-up: the window loads hidden and checks after three seconds.
void startHiddenUpdateCheck();
// A check the user asked for: the window checks after one second, shown modally; when a hidden
// check already shows a newer version, that window comes to the front instead.
void startVisibleUpdateCheck();
} // namespace logview
