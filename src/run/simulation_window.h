#pragma once
#include <QStringList>
#include <QWidget>

class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// "Simulerad backup": what a simulated run would have copied; the user copies all or the marked
// entries now. List1 holds the sources, List2 the targets at the same index; "+ " marks a file the
// target lacks.
class frmsimuleradbackup : public QWidget {
  public:
    frmsimuleradbackup();

    QListWidget* List1 = nullptr;
    QStringList List2;
    // The backup folders that List2's targets lie in, when a backup run filled it: below them no
    // folder is made or entered through a link.
    QStringList backupFolders;
    QLabel* lblantalnya = nullptr;
    QLabel* lblantaländrade = nullptr;
    QLabel* lblantalskyddade = nullptr;
    QLabel* lblantal_mb = nullptr;
    QLabel* lblantalfel = nullptr;
    QLabel* lblantalfelrätt = nullptr;
    QFrame* frameförlopp = nullptr;
    QFrame* Picture3 = nullptr;
    QLabel* lblprocent1 = nullptr;
    QPushButton* cmdavbryt = nullptr;
    QFrame* framelogg = nullptr;
    QPlainTextEdit* txtlogg = nullptr;
    QPlainTextEdit* txtlogg2 = nullptr;
    QPushButton* cmdloggtillbaka = nullptr;
    QLabel* imgerr = nullptr;
    QLabel* lblinfo = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* cmdkopieraalla = nullptr;
    QPushButton* cmdkopieramarkerad = nullptr;
    QPushButton* cmdöppna = nullptr;
    QPushButton* cmdstäng = nullptr;
    QCheckBox* chkpapperskorgen = nullptr;
    int avbryt_kopiering = 0;

    // Adds one pair: the source to List1 and the target to List2.
    void addEntry(const QString& source, const QString& target);

    // For other areas' simulations: replaces the lists with `sources` and `targets` (same index,
    // "+ " before new files), sets the window's texts and shows it modally.
    struct ResultTexts {
        QString caption;
        QString heading;    // Label1
        QString copyAll;    // cmdkopieraalla
        QString copyMarked; // cmdkopieramarkerad
        QString info;       // lblinfo
    };
    void showResult(const QStringList& sources, const QStringList& targets, const ResultTexts& texts);

    void cmdkopieraalla_Click();
    void cmdkopieramarkerad_Click();
    void cmdavbryt_Click();
    void cmdloggtillbaka_Click();
    void cmdöppna_Click();
    void cmdstäng_Click();
    bool copying() const { return copying_; }

  protected:
    // Opens over the backup window, or the main window, or the middle of the screen.
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

  private:
    void addLog(const QString& line);
    void setBusy(bool busy);
    void refreshProgressText(long copied);
    void countLeft();
    bool copying_ = false;
};
