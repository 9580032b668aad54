#pragma once
#include <QStringList>
#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

// The age rule: whole calendar days from the last run's date to today (times ignored);
// a job is old when this is more than 30.
int daysSinceLastRun(const QString& lastRunText, const QDate& today, bool* ok = nullptr);

// "Jobb som inte körts på länge": jobs not run for more than 30 days, to send to the backup window.
class frmgammalbackup : public QWidget {
  public:
    frmgammalbackup();

    QLabel* Label1 = nullptr;
    QListWidget* List1 = nullptr; // "45 dagar sedan (Dokument)"
    QStringList List2;            // the bare job names at the same index
    QPushButton* cmdkör = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command4 = nullptr;

    void cmdkör_Click();
    void Command1_Click();
    void Command2_Click();
    void Command4_Click();

  protected:
    // Opened over the main window.
    void showEvent(QShowEvent* e) override;
};
