#pragma once
#include <QGroupBox>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QCheckBox;
class QFrame;
class QLabel;
class QToolButton;

// The quick-start chooser: a welcome panel lying over the main window's contents, with six
// picture buttons for the commonest tasks. The main window places it.
class QuickStartPanel : public QGroupBox {
  public:
    // What the buttons do; set by the main window.
    struct Actions {
        std::function<void()> newJob;          // cmdny_Click
        std::function<void()> backup;          // cmdkör_Click
        std::function<void()> folderSync;      // cmdsynk_Click
        std::function<void()> restore;         // cmdåterställ_Click
        std::function<void()> schedule;        // cmdstartaschema_Click
        std::function<void()> settings;        // opens the settings window
        std::function<void(bool)> keepAtStart; // the box: the setting, saved at once
    };

    QuickStartPanel(QWidget* parent, Actions actions);

    QFrame* framesnabbstart2 = nullptr;
    QToolButton* cmdsnabbnytt = nullptr;
    QToolButton* cmdsnabbbackup = nullptr;
    QToolButton* cmdsnabbsynk = nullptr;
    QToolButton* cmdsnabbåterställ = nullptr;
    QToolButton* cmdsnabbschema = nullptr;
    QToolButton* cmdsnabbmain = nullptr;
    QLabel* Label18 = nullptr;
    QLabel* Label20 = nullptr;
    QLabel* Label21 = nullptr;
    QLabel* Label23 = nullptr;
    QLabel* Label24 = nullptr;
    QLabel* Label25 = nullptr;
    QCheckBox* chksnabbstart_nästauppstart = nullptr;
    QLabel* lblsnabbinställningar = nullptr;

    void cmdsnabbnytt_Click();
    void cmdsnabbbackup_Click();
    void cmdsnabbsynk_Click();
    void cmdsnabbåterställ_Click();
    void cmdsnabbschema_Click();
    void cmdsnabbmain_Click();
    void chksnabbstart_nästauppstart_Click();
    void lblsnabbinställningar_Click();

    // Its controls in reading order, for the window's Tab order.
    QList<QWidget*> readingOrder() const;

  protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;

  private:
    Actions actions_;
};

namespace quickstart {
// The quick-start line (line 8) of the settings file's lines: its value when the file has an
// eighth line, else nothing. Throws RunError 13 when the line holds no number.
std::optional<bool> settingFromLines(const QStringList& lines);
} // namespace quickstart
