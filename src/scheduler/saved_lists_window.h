#pragma once
#include <QStringList>
#include <QWidget>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

// "Loggar över överblivna filer och mappar": the saved leftover lists of unattended simulated
// mirror runs (the folder Schemasync), opened in the leftover-files window or deleted.
class frmschemasync : public QWidget {
  public:
    frmschemasync();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;     // "Datum och tid:"
    QListWidget* List1 = nullptr; // the saved lists' names without ".schemasync"
    QCheckBox* chkkontroll = nullptr;
    QLabel* lblinfo = nullptr; // "Laddar lista..."
    QPushButton* cmdöppna = nullptr;
    QPushButton* cmdradera = nullptr;
    QPushButton* cmdexit = nullptr;

    void öppnasyncfilermappar();
    void cmdradera_Click();
    void cmdexit_Click();

    // The main window's link: fills the list and shows the window without waiting.
    static void visa(const QStringList& names);

  protected:
    void closeEvent(QCloseEvent* e) override;

  private:
    void Form_Unload();
    QString savedFile(const QString& name) const;
};
