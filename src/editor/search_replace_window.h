#pragma once
#include <QString>
#include <QWidget>
#include <functional>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

// "Sök & ersätt...": replaces a text by another in chosen kinds of job data of the job marked in
// the main window's job list or of every job of the current job group, then has the main window
// load the marked job again.
class frmsökersätt : public QWidget {
  public:
    frmsökersätt();

    // Loads a fresh window and shows it modal; returns when it is closed.
    static void open();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtsök1 = nullptr; // search for
    QLabel* Label3 = nullptr;
    QLineEdit* txtsök2 = nullptr; // replace with
    QGroupBox* Frame1 = nullptr;  // "Utför detta på..."
    QRadioButton* optjobb1 = nullptr;
    QRadioButton* optjobb2 = nullptr;
    QGroupBox* Frame3 = nullptr; // "Ändra i..."
    QListWidget* listfiler = nullptr;
    QPushButton* cmdkör = nullptr;
    QPushButton* cmdstopp = nullptr;
    QString cmdstopp_Tag; // "1": a stop was asked for
    QPushButton* cmdavbryt = nullptr;
    QGroupBox* Frame2 = nullptr; // "Förlopp"
    QFrame* Picture1 = nullptr;
    QLabel* lblprocent11 = nullptr; // progress over the jobs
    QFrame* picture2 = nullptr;
    QLabel* lblprocent22 = nullptr; // progress over the categories of the job
    QLabel* lblhjälp = nullptr;
    QLabel* help1 = nullptr;

    void Form_Load();
    void cmdkör_Click();
    void cmdstopp_Click();
    void cmdavbryt_Click();
    void help1_Click();
    void lblhjälp_Click();

    bool running() const { return running_; }
    // What the last run did: jobs and files written, lines changed.
    struct Counts {
        int jobs = 0;
        int files = 0;
        int lines = 0;
    };
    Counts lastRun() const { return counts_; }
    // Lets pending window events run between steps; tests replace it to act during a run.
    std::function<void()> doEvents;

  protected:
    void closeEvent(QCloseEvent* e) override;

  private:
    void endRun();
    bool running_ = false;
    Counts counts_;
};
