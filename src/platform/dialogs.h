#pragma once
#include <QPointer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

class QFileDialog;
class QWidget;

namespace platform {

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class MsgIcon { None, Information, Question, Exclamation, Critical };
enum class Answer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

// The only way the program shows a message box, an input box or a picker, opens an address or
// file, starts a program or shows one of its own windows modally. Tests switch it to scripted
// mode and queue the answers in advance; a dialog nobody expected is recorded as a failure.
class Dialogs {
  public:
    enum class Kind { Message, Input, Folder, File, OpenUrl, StartProgram, Window };

    struct Call {
        Kind kind;
        QString text; // message or prompt, picker title, address, program, window object name
        QString title;
        QString start; // pickers: the folder they open at
    };

    // Message box. An empty title is the program's title "Tamrel Backup".
    Answer msgBox(const QString& text, MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None,
                  const QString& title = {});
    // Input box: the typed text, or an empty text when cancelled.
    QString inputBox(const QString& prompt, const QString& title = {}, const QString& defaultText = {});
    // Folder and file pickers: the chosen path, or an empty text when cancelled. The folder picker
    // opens at pickerStartFolder(startFolder); callers pass the text of the field it fills.
    QString pickFolder(const QString& title, const QString& startFolder = {});
    QString pickFile(const QString& title, const QString& startFolder = {}, const QString& filter = {});
    // Opens a folder, file or web address with the desktop; false when that failed. When the
    // desktop has no program for it, the person is told (later, once the desktop's opener says so).
    bool openUrl(const QString& target);
    // Shows a folder in the file manager (the run-time's "explorer " + path). Scripted as an open.
    bool showInFileManager(const QString& folder);
    // Starts an entry of a program list (a command line, or a file that is opened); false on failure.
    bool startProgram(const QString& entry);
    // Shows one of the program's own windows modally and returns when the program hides it or it
    // is closed; a minimise by the window manager keeps it open and waiting. A window of fixed
    // size gets no minimise box.
    void showModal(QWidget* window);
    // The program is to end: every modal window and box that waits now is closed (hidden when it
    // refuses), so the procedures waiting on them go on. Set unattended first, so nothing new waits.
    void closeWaiting();

    // Unattended (a command-line run): nothing is shown; message boxes give their safe answer
    // (No, Cancel, Abort or OK), input boxes and pickers an empty text, own windows are not shown.
    // Opening addresses and starting programs still happen. The calls are recorded. A test script, when on,
    // takes precedence.
    void setUnattended(bool on) { unattended_ = on; }
    bool unattended() const { return unattended_; }

    // --- test script --------------------------------------------------------------------------
    // In scripted mode nothing is shown: every call takes the next queued answer, which must be
    // of the same kind and, when `contains` is not empty, have a text that contains it.
    void setScripted(bool on) { scripted_ = on; }
    bool scripted() const { return scripted_; }
    void expectMessage(const QString& contains, Answer answer = Answer::Ok);
    void expectInput(const QString& contains, const QString& answer);
    void expectFolder(const QString& answer, const QString& contains = {});
    void expectFile(const QString& answer, const QString& contains = {});
    void expectOpenUrl(const QString& contains = {}, bool result = true);
    void expectStartProgram(const QString& contains = {}, bool result = true);
    // `act` runs on the window instead of the user (press its buttons, read its controls).
    void expectWindow(const QString& objectName, std::function<void(QWidget*)> act = {});

    // Every call made so far, in order.
    const std::vector<Call>& calls() const { return calls_; }
    // Failures: unexpected calls, and (from verify) answers nobody used.
    QStringList failures() const { return failures_; }
    // Adds a failure for each unused answer and returns all failures; clears the script.
    QStringList verify();
    void reset();

    ~Dialogs();

  private:
    void cannotOpen(const QString& target);
    // The desktop's openers still deciding whether they can open what they were given.
    std::vector<QPointer<QProcess>> openers_;

    struct Expectation {
        Kind kind = Kind::Message;
        QString contains;
        Answer answer = Answer::Ok;
        QString text;
        bool result = true;
        std::function<void(QWidget*)> act;
    };
    bool take(Kind kind, const QString& text, const QString& title, Expectation& out,
              const QString& start = {});
    // Scripted: take(); unattended: only records the call. True when `out` holds an answer.
    bool intercept(Kind kind, const QString& text, const QString& title, Expectation& out,
                   const QString& start = {});
    bool quiet() const { return scripted_ || unattended_; }

    bool scripted_ = false;
    bool unattended_ = false;
    std::deque<Expectation> queue_;
    std::vector<Call> calls_;
    QStringList failures_;
};

QString kindName(Dialogs::Kind k);

// Qt's own texts (the file and folder pickers, standard buttons) in Swedish: the Qt translations
// the distribution installs, and the program's own for the texts they lack. Once per process;
// false when the distribution's translations are not installed.
bool installSwedishQtTexts();

// Qt's own picker (never the desktop's) with its dates in the program's form, not the system
// locale's month names, and a date column wide enough for them.
void useProgramDates(QFileDialog* picker);

// The folder a folder picker opens at for the folder a field names: that folder when it exists,
// else the nearest folder above it that exists (never the root for a missing folder), else the
// home folder.
QString pickerStartFolder(const QString& field);
// The caption of the folder picker's choose button; the pickers' titles name it.
QString folderPickerButton();

// The window a message or a dialog shown now belongs to: the modal window in front, else the
// active window; never `except` itself. Null when the program has no active window.
QWidget* ownerWindow(const QWidget* except);

} // namespace platform
