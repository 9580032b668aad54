#pragma once
// Expecting the message reporter's information messages in scripted tests, whatever form the
// reporter gives them (a message box, its own error window, or nothing while it only logs).
#include "core/module1.h"
#include "platform/dialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>
#include <gtest/gtest.h>

namespace reporter_script {

struct Form {
    platform::Dialogs::Kind kind = platform::Dialogs::Kind::Message;
    bool shows = false;
    QString windowName;
};

// Asks the reporter once, with nothing queued, how it shows a message; clears the script.
inline Form probe(platform::Dialogs& d) {
    d.reset();
    Module1::logga_meddelande(0, -1, QStringLiteral("probe"), QString());
    Form f;
    if (!d.calls().empty()) {
        f.shows = true;
        f.kind = d.calls().back().kind;
        f.windowName = d.calls().back().text;
    }
    d.reset();
    return f;
}

inline bool windowShows(QWidget* w, const QString& wanted) {
    // A window shows line breaks as they are drawn, not as the message spells them.
    QString text = wanted;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (auto* l : w->findChildren<QLabel*>())
        if (l->text().contains(text))
            return true;
    for (auto* t : w->findChildren<QTextEdit*>())
        if (t->toPlainText().contains(text))
            return true;
    for (auto* t : w->findChildren<QPlainTextEdit*>())
        if (t->toPlainText().contains(text))
            return true;
    for (auto* t : w->findChildren<QLineEdit*>())
        if (t->text().contains(text))
            return true;
    return false;
}

// Queues the reporter's showing of a message that contains `text`.
inline void expect(platform::Dialogs& d, const Form& f, const QString& text) {
    if (!f.shows)
        return;
    if (f.kind == platform::Dialogs::Kind::Window)
        d.expectWindow(f.windowName, [text](QWidget* w) {
            EXPECT_TRUE(windowShows(w, text)) << text.toStdString();
            w->close();
        });
    else
        d.expectMessage(text);
}

} // namespace reporter_script
