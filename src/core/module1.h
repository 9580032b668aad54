#pragma once
#include "platform/errors.h"

#include <QString>
#include <QStringList>
#include <functional>

// The shared procedures of the program.
namespace Module1 {

// The message reporter: a system-log line and, when allowed, the error dialog.
// felnummer: -1 log only, 0 message, positive a trapped error (its description is looked up
// from the number unless given); other negative numbers are messages without a log line.
// visa: -1 shows the dialog (when allowed); other values only prepare it.
void logga_meddelande(int felnummer, int visa, const QString& meddelande, const QString& plats,
                      const QString& beskrivning = {});
// The same for a caught platform error.
void logga_meddelande(const platform::RunError& fel, int visa, const QString& meddelande,
                      const QString& plats);

// The program's own replace: from `start` (1-based), at most `count` replacements (-1 all, at
// least one when the text occurs); every new search starts at `start` again, so occurrences that
// replacements create are replaced too. compare 0 exact, 1 ignoring letter case.
// An empty search text returns the text unchanged; a replacement that contains the search text
// makes one pass from left to right, so the call always ends.
QString ersätt_text(const QString& text, const QString& sök, const QString& ersätt, int start = 1,
                    int count = -1, int compare = 0);
// Replaces only the first occurrence at or after `start`, whatever `count` says.
QString ersätt_text_första(const QString& text, const QString& sök, const QString& ersätt, int start = 1,
                           int count = -1, int compare = 0);

// Plays a sound file without waiting; silent when the path is empty, the file is missing or
// there is no sound device.
void spela_ljud(const QString& sökväg);

// The run log log.txt: 0 in the log viewer, 1 with the desktop's program for it.
void visa_logg(int läge);

// Opens the help file tamrel_backup.html of the program folder in the desktop's browser.
void öppna_hjälp();

// Windows of other areas that this module shows are reached through these hooks, which those
// windows set when they are built. Without one, nothing is shown.
struct WindowHooks {
    // The log viewer, modal: an empty text loads the run log; otherwise it shows the text of the
    // saved program log with its log choice hidden and its errors marked.
    std::function<void(const QString& text)> logViewer;
    // The list of saved mirror leftover lists (names without their extension), not modal.
    std::function<void(const QStringList& names)> schemasyncList;
};
WindowHooks& windowHooks();
void showLogViewer(const QString& text);
void showSchemasync(const QStringList& names);

} // namespace Module1
