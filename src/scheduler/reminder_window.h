#pragma once
#include <QWidget>

class QLabel;
class QPushButton;

// "Påminnelse om schemalagd backup": a small window on top of the others that counts down to a
// scheduled run and closes itself one minute before it.
class frmbackuppåminnelse : public QWidget {
  public:
    frmbackuppåminnelse();

    QLabel* Picture1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lbltid = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* Command1 = nullptr;

    // Writes the countdown; a change runs lbltid_Change.
    void setLbltid(const QString& text);
    void lbltid_Change();
    void Command1_Click();

    // The countdown written from outside: loads the window (hidden) when it is not loaded.
    static void setCountdown(const QString& text);
    // Shows the window without waiting.
    static void showReminder();
    // Unloads the window when it is loaded (a run starts, scheduling is switched off).
    static void closeReminder();
};
