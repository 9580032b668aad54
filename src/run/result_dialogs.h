#pragma once
#include <QString>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QFrame;

// The figures the result bars show.
struct ResultCounts {
    long errors = 0;     // the run's error count
    long nya = 0;        // nya_totalt
    long ändrade = 0;    // ändrade_totalt
    long skyddade = 0;   // skyddade_totalt
    long kopierade = 0;  // kopierade_totalt
    long genomsökta = 0; // genomsökta_totalt
    // A cancelled run shows its copied files as a share of all the files it set out to look at
    // (the counted total), not of those it reached.
    bool cancelled = false;
    long total = 0; // the run's counted files
    // A simulation copied nothing: its files are those that would be copied.
    bool simulated = false;
};

// One result bar: its width in pixels and its percent text; the text goes into the bar itself when
// the bar is at least as wide as the text label beside it.
struct ResultBar {
    int width = 0;
    QString text;
    bool textInBar = false;
};
ResultBar resultBar(double count, double base, int pictureWidth, const QString& suffix,
                    const QString& emptyText);

// "Backup klar": the result text, the summary block and five result bars of a manual run.
class frmklarbackup : public QWidget {
  public:
    frmklarbackup();
    QLabel* lblinfo = nullptr;
    QPlainTextEdit* Text1 = nullptr;
    QFrame* Picture1 = nullptr;
    QLabel* lblfel = nullptr;
    QLabel* lblfel2 = nullptr;
    QLabel* lblnya = nullptr;
    QLabel* lblnya2 = nullptr;
    QLabel* lbländrade = nullptr;
    QLabel* lbländrade2 = nullptr;
    QLabel* lblskyddade = nullptr;
    QLabel* lblskyddade2 = nullptr;
    QLabel* lbltotalt = nullptr;
    QLabel* lbltotalt2 = nullptr;
    QLabel* imgerr = nullptr;
    QLabel* imagesmiley = nullptr;
    QPushButton* cmdvisalogg = nullptr;
    QPushButton* Command1 = nullptr;

    // Takes the run's error marker and plays the finished or error sound when asked for. A
    // cancelled run without errors shows a warning, not the tick of a finished one, and its
    // title says it was stopped.
    void Form_Load(bool runHadErrors, bool cancelled = false);
    void fillBars(const ResultCounts& c);
    void cmdvisalogg_Click();
    void Command1_Click();

  protected:
    // Grows to show the summary's rows whole, then opens over the backup window, or the main
    // window, or the middle of the screen.
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

  private:
    void placeControls();
    void fitToContents();
};

// "Schemalagd backup": the popup after a scheduled run, kept on top.
class frmbackupfel : public QWidget {
  public:
    frmbackupfel();
    QLabel* Picture1 = nullptr;
    QLabel* Picture2 = nullptr;
    QLabel* lbltid = nullptr;
    QLabel* lblantalfel = nullptr;
    QLabel* lblorsak = nullptr; // what went wrong, when the run can say it
    QLabel* Label1 = nullptr;
    QFrame* frameok = nullptr;
    QLabel* lblkopieradefiler = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* cmdvisalogg = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;
    // `detail` names what failed; a stopped run says it was stopped, not that it was done.
    void showErrors(const QString& errorCount, const QString& detail = {}, bool stopped = false);
    // A simulated run tells how many files it would have copied.
    void showSuccess(long copied, bool simulated);
    void cmdvisalogg_Click();
    void Command2_Click();

  protected:
    // Opens over the main window, or the middle of the screen when that is hidden.
    void showEvent(QShowEvent* e) override;

  private:
    // Shows the texts and picture of one outcome and hides the other's.
    void showOutcome(bool errors);
};

// The minimised progress window shown while the backup window is hidden.
class frmprocent : public QWidget {
  public:
    frmprocent();
    QLabel* lblprocent = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* Command1 = nullptr;
    // The caption rule, run on every change of the progress text.
    void setProgressText(const QString& text, bool runHadErrors);
};
