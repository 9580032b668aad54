#include "core/close_programs.h"

#include "core/program.h"
#include "platform/clock.h"
#include "platform/processes.h"
#include "platform/textfile.h"

namespace {

// One report into the three places; each place that fails is passed over.
void report(const QString& text) {
    try {
        program().run().appendProgressText(QStringLiteral("\n") + platform::timeText(program().clock.now()) +
                                           QStringLiteral(" ") + text);
    } catch (...) {
    }
    try {
        program().systemLog().append(text);
    } catch (...) {
    }
    try {
        platform::appendLines(program().path(QStringLiteral("log.txt")), {text});
    } catch (...) {
    }
}

} // namespace

namespace Module3 {

void stäng_programfönster(const QString& titel) {
    // A window that is still there after the wait was not closed, and is not reported as closed.
    if (platform::closeWindowByTitle(titel).closed)
        report(QStringLiteral("Stängde programmet ") + titel);
}

} // namespace Module3

namespace ModKillApp {

bool KillApp(const QString& namn) {
    const platform::EndResult r = platform::endProcessesByName(namn);
    if (r.ended > 0)
        report(QStringLiteral("Stängde %1 instans(er) av programmet %2").arg(r.ended).arg(r.name));
    return r.matched > 0;
}

} // namespace ModKillApp
