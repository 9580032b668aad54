#pragma once
#include "core/log_marks.h"

#include <QString>
#include <QWidget>
#include <array>
#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTextCursor;
class QTimer;
namespace platform {
class TextReader;
}

// "Logg": shows one log at a time, offers the saved logs of "Sparade loggar", marks the error
// marks "FEL:" red and bold, searches the shown text and marks the hits, and keeps its size and
// place in setup_windowsize_log.ini. Loaded anew at each opening.
class frmlog : public QWidget {
  public:
    frmlog();
    ~frmlog() override;

    QPushButton* Command1 = nullptr;         // "Stäng", also Esc
    QLabel* lbllog = nullptr;                // "Loggfil:"
    QComboBox* combolog = nullptr;           // small-list view chooser
    QListWidget* listlog = nullptr;          // large-list view chooser
    std::array<QRadioButton*, 2> optlista{}; // "Liten lista", "Stor lista"
    QLineEdit* txtsök = nullptr;             // search text
    QLabel* lblsökinfo = nullptr;            // hints and results
    QPlainTextEdit* Text1 = nullptr;         // the shown log

    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void combolog_Click();
    void listlog_Click();
    void optlista_Click(int index);
    void txtsök_GotFocus();
    void txtsök_Change();
    void txtsök_KeyPress(int key);
    void Command1_Click();

    // Shows log.txt, without marks.
    void öppna_logfil();
    // Marks every "FEL:" of the shown text.
    void färglägg_fel();
    void open_windowsize_log();

    // The program log view: `text` replaces the shown log, the log choice is hidden, and the
    // errors of the system log are marked and counted in lblsökinfo.
    void showProgramLog(QString text);

    // The shown text, one line break per line end; a copy of it all, so for checks, not for work.
    QString shownText() const;
    // A long log goes into the box, and a search through it runs, in steps, so the window answers
    // meanwhile; a close, another search or another log ends what runs.
    bool loading() const;
    bool searching() const;
    // Runs the loading and the search to their end at once.
    void finishLoading();

  protected:
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    enum class Caret { Start, LastMark, End };
    // Replaces the box's text by what `reader` reads (or, without one, by `text`, line breaks as
    // '\n', with `marks` red and bold), marking "FEL:" when `markErrors`; the caret goes to
    // `caret` once all of it is in.
    void showText(QString text, std::vector<logmarks::Range> marks, Caret caret,
                  std::unique_ptr<platform::TextReader> reader = {}, bool markErrors = false);
    void setPlainMessage(const QString& text);
    void stopWork();
    void work();
    void loadStep();
    void searchStep();
    void mark(QTextCursor& c, qsizetype start, qsizetype length);
    void layoutView();
    void fitChooser();

    struct Pending {
        std::unique_ptr<platform::TextReader> reader; // what is still to be read
        bool markErrors = false;
        QString text; // read, not yet all in the box
        std::vector<logmarks::Range> marks;
        qsizetype pos = 0;
        size_t nextMark = 0;
        Caret caret = Caret::Start;
        qsizetype lastMark = 0; // in the box
    };
    struct Search {
        QString word;
        std::vector<logmarks::Range> unmark; // earlier marks still to take off
        size_t unmarked = 0;
        int block = 0; // the next line to search
        int hits = 0;
        qsizetype lastHit = 0;
    };
    Pending pending_;
    bool hasPending_ = false;
    Search search_;
    bool searching_ = false;
    std::vector<logmarks::Range> marked_; // every mark in the box
    QTimer* loader_ = nullptr;
    bool unloaded_ = false;
    bool sized_ = false;
};

namespace logview {
// "Visa logg": the log viewer, modal; it shows the newest saved log, or log.txt.
void openLogViewer();
// The saved program log in the log viewer, modal, its errors marked.
void openProgramLog(QString text);
} // namespace logview
