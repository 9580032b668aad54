#pragma once
#include "core/log_marks.h"

#include <QString>
#include <QWidget>
#include <array>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTimer;

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
    void showProgramLog(const QString& text);

    // The shown text, one line break per line end.
    QString shownText() const;
    // A long log goes into the box in steps, so the window answers while it loads.
    bool loading() const;
    void finishLoading();

  protected:
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    // Replaces the box's text by `text` (line breaks as '\n') with `marks` red and bold, and puts
    // the caret at `caret` once all of it is in.
    void showText(const QString& text, std::vector<logmarks::Range> marks, qsizetype caret);
    void setPlainMessage(const QString& text);
    void loadStep();
    void layoutView();

    struct Pending {
        QString text;
        std::vector<logmarks::Range> marks;
        qsizetype pos = 0;
        size_t nextMark = 0;
        qsizetype caret = 0;
    };
    Pending pending_;
    bool hasPending_ = false;
    QTimer* loader_ = nullptr;
    bool unloaded_ = false;
};

namespace logview {
// "Visa logg": the log viewer, modal; it shows the newest saved log, or log.txt.
void openLogViewer();
// The saved program log in the log viewer, modal, its errors marked.
void openProgramLog(const QString& text);
} // namespace logview
