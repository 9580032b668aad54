#include "run/job_programs.h"

#include "core/close_programs.h"
#include "core/program.h"
#include "platform/clock.h"
#include "platform/errors.h"
#include "platform/textfile.h"
#include "platform/vb.h"
#include "run/backup_window.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace JobPrograms {

namespace {
const QString kSeparator = QStringLiteral(" ;; ");

void failed(const QString& literal, const platform::RunError& e) {
    program().systemLog().append(literal + QString::number(e.number) + ' ' + e.description);
    program().systemLog().markError();
}

void windowLog(const QString& text) {
    QPlainTextEdit* box = program().form<frmutförbackup>()->txtloggtext;
    QTextCursor c(box->document());
    c.movePosition(QTextCursor::End);
    c.insertText(QStringLiteral("\n") + platform::timeText(program().clock.now()) + text);
}
} // namespace

QStringList entries(const QString& list) {
    // The splitter already drops an empty last piece; an empty list holds no entry at all.
    return list.isEmpty() ? QStringList() : platform::Split(list, kSeparator);
}

bool endsProcesses(const QString& entry) {
    return entry.toLower().contains(QLatin1String("exe")) || (!entry.isEmpty() && !entry.contains(' '));
}

void stäng_program_före_backup(const QString& list) {
    if (list.isEmpty())
        return;
    try {
        for (const QString& entry : entries(list)) {
            Module3::stäng_programfönster(entry);
            // An ".exe" entry also finds the same program under its Linux name.
            if (endsProcesses(entry) && !ModKillApp::KillApp(entry) &&
                entry.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
                ModKillApp::KillApp(entry.chopped(4));
        }
    } catch (const platform::RunError& e) {
        failed(QStringLiteral("FEL! Ett fel uppstod när program skulle stängas före backupkörning. Felkod "),
               e);
    }
}

void starta_program_efter_backup(const QString& list) {
    if (list.isEmpty())
        return;
    try {
        for (const QString& entry : entries(list)) {
            if (entry.isEmpty())
                continue;
            // A file that cannot be opened is still logged as started.
            program().dialogs.startProgram(entry);
            const QString text = QStringLiteral("Startade filen ") + entry;
            platform::appendLines(program().path(QStringLiteral("log.txt")), {text});
            windowLog(' ' + text);
            program().systemLog().append(text);
        }
    } catch (const platform::RunError& e) {
        failed(
            QStringLiteral(
                "FEL! Ett fel uppstod när program eller filer skulle startas efter backupkörning. Felkod "),
            e);
    }
}

} // namespace JobPrograms
