#pragma once
#include <QString>
#include <functional>

namespace platform {
class Clock;
}

// The system log: the text of this session's log lines, which the main window shows and saves
// into programlogg.txt. Lines end in CR LF; every line after the first begins with one.
class SystemLog {
  public:
    explicit SystemLog(const platform::Clock& clock) : clock_(clock) {}

    // Appends one line: line break, date and time, two blanks, the text.
    void append(const QString& text);
    // Appends text directly, with no line break and no time.
    void appendRaw(const QString& text);
    // Replaces the whole text.
    void setText(const QString& text);
    // The text, line ends as CR LF.
    const QString& text() const { return text_; }

    // An error line was written: the main window turns its program-log label red until the user
    // opens the log.
    void markError();
    void clearErrorMark();
    bool errorMarked() const { return errorMarked_; }

    // The window that shows the log follows it through these: the raw text of each append (CR LF
    // line ends), a new whole text, and the error mark.
    struct Observer {
        std::function<void(const QString& raw)> appended;
        std::function<void()> replaced;
        std::function<void(bool marked)> errorMarkChanged;
    };
    void setObserver(Observer o) { observer_ = std::move(o); }

  private:
    const platform::Clock& clock_;
    QString text_;
    bool errorMarked_ = false;
    Observer observer_;
};
