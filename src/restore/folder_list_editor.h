#pragma once
#include <QStringList>
#include <QWidget>
#include <functional>

class QLabel;
class QListWidget;
class QPushButton;

// The folder list editor "Redigera mapplista": the user removes folders from a copy of the
// wizard's folder list; "OK" hands the rest back, "Avbryt" and the frame's close box do not.
class frmåterställ2 : public QWidget {
  public:
    frmåterställ2();

    QLabel* Label7 = nullptr;
    QListWidget* List1 = nullptr;
    QPushButton* cmdtabort = nullptr;
    QPushButton* cmdavbryt = nullptr;
    QPushButton* cmdok = nullptr;
    // Receives the entries left when "OK" is pressed.
    std::function<void(const QStringList&)> takeOver;

    void Form_Load();
    void Form_Resize();
    void cmdtabort_Click();
    void List1_KeyUp(int keyCode);
    void cmdok_Click();
    void cmdavbryt_Click();

  protected:
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void removeSelected();
};
