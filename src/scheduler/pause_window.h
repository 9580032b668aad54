#pragma once
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTimer;

// "Paus": holds a backup run while it is shown. It is shown modally from a pause button that
// runs while the run yields to the event loop, so the run goes on only when this window closes:
// after the chosen minutes, or when the user presses "Fortsätt".
class frmpaus : public QWidget {
  public:
    frmpaus();

    QRadioButton* Option1 = nullptr; // "Fortsätt om..."
    QRadioButton* Option2 = nullptr; // "Fortsätt när jag trycker på Fortsätt"
    QComboBox* Combo1 = nullptr;     // 5 .. 120 min
    QString lbltid;                  // minutes left
    QLabel* lbltidkvar = nullptr;    // "Fortsätter om n min"
    QPushButton* Command1 = nullptr; // "Fortsätt"
    QLabel* Image1 = nullptr;
    QTimer* Timer1 = nullptr; // one tick a minute

    void Combo1_Click();
    void Option1_Click();
    void Option2_Click();
    void Timer1_Timer();
    void Command1_Click();

    // Shows the window modally and returns when it is closed; both pause buttons call it.
    static void pausa();

  protected:
    void closeEvent(QCloseEvent* e) override;

  private:
    void Form_Unload();
    bool unloaded_ = false;
};
