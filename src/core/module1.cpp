#include "core/module1.h"

#include "core/error_dialog.h"
#include "core/program.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/sound.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace Module1 {

void logga_meddelande(int felnummer, int visa, const QString& meddelande, const QString& plats,
                      const QString& beskrivning) {
    Program& p = program();
    MainWindowServices& m = p.mainWindow();
    SystemLog& log = p.systemLog();
    const bool felmeddelande = meddelande.startsWith(QLatin1String("FEL!"));
    const QString beskr = beskrivning.isEmpty() ? platform::errorDescription(felnummer) : beskrivning;

    // Stage 1: the system-log line.
    if (felnummer == -1 || (felnummer == 0 && felmeddelande)) {
        log.append(meddelande + QStringLiteral(". Plats: ") + plats);
        if (felmeddelande)
            log.markError();
    } else if (felnummer > 0) {
        log.append(meddelande + QStringLiteral(" [") + QString::number(felnummer) + QStringLiteral("] - ") +
                   beskr + QStringLiteral(". Plats: ") + plats);
        log.markError();
    }

    // Stage 2: the dialog, unless the way the program runs forbids it.
    RunServices& b = p.run();
    if (b.caption() == QLatin1String("commandline"))
        return;
    // Unattended is also a start with scheduling switched on, before the switch is set.
    if ((m.schedulerOn() || p.unattended()) && (felnummer > 0 || felmeddelande))
        m.markSchedulerLogError();
    // An unattended run must never stop at a dialog, from the moment it falls due until it has
    // ended. A person's own action while the scheduler only waits (a restore, a saved job) still
    // gets its answer.
    if (p.unattended()) {
        // A message that would have waited for a person is kept in the log for the person who comes.
        if (felnummer == 0 && !felmeddelande && visa == -1)
            log.append(meddelande + QStringLiteral(". Plats: ") + plats);
        return;
    }
    if (b.runGoingOn() && p.settings().chkignorerafel)
        return;
    if (felnummer == -1)
        return;
    frmerror* d = p.form<frmerror>();
    if (felnummer > 0) {
        d->setText(meddelande + QStringLiteral("\n\n[") + QString::number(felnummer) +
                   QStringLiteral("] - ") + beskr + QStringLiteral("\n\nPlats: ") + plats);
    } else {
        if (!felmeddelande)
            d->Image1->setPixmap(d->Image2->pixmap());
        d->setText(plats.isEmpty() ? meddelande : meddelande + QStringLiteral("\n\nPlats: ") + plats);
    }
    if (visa == -1)
        p.dialogs.showModal(d);
}

void logga_meddelande(const platform::RunError& fel, int visa, const QString& meddelande,
                      const QString& plats) {
    logga_meddelande(fel.number > 0 ? fel.number : 75, visa, meddelande, plats, fel.description);
}

namespace {
Qt::CaseSensitivity caseOf(int compare) {
    return compare == 1 ? Qt::CaseInsensitive : Qt::CaseSensitive;
}

int startIndex(int start) {
    if (start < 1)
        platform::throwError(5);
    return start - 1;
}
} // namespace

QString ersätt_text(const QString& text, const QString& sök, const QString& ersätt, int start, int count,
                    int compare) {
    const int from = startIndex(start);
    const Qt::CaseSensitivity cs = caseOf(compare);
    QString result = text;
    if (sök.isEmpty() || from > result.size())
        return result;
    int pos = result.indexOf(sök, from, cs);
    if (pos < 0)
        return result;
    const bool onePass = ersätt.contains(sök, cs);
    // A rewrite that does not shrink the text could go on for ever; this bound is far beyond any
    // real use.
    const qsizetype limit = ersätt.size() < sök.size() ? -1 : 16 * (text.size() + 64);
    qsizetype made = 0;
    while (pos >= 0) {
        result.replace(pos, sök.size(), ersätt);
        ++made;
        if (!(count == -1 || made < count) || made == limit)
            break;
        if (onePass) {
            pos = result.indexOf(sök, pos + ersätt.size(), cs);
        } else {
            // Searching from `start` again finds nothing before the point where the text changed:
            // that part had no occurrence and is untouched.
            const int again = std::max(from, pos - static_cast<int>(sök.size()) + 1);
            pos = result.indexOf(sök, again, cs);
        }
    }
    return result;
}

QString ersätt_text_första(const QString& text, const QString& sök, const QString& ersätt, int start,
                           int count, int compare) {
    Q_UNUSED(count);
    const int from = startIndex(start);
    QString result = text;
    if (sök.isEmpty() || from > result.size())
        return result;
    const int pos = result.indexOf(sök, from, caseOf(compare));
    if (pos >= 0)
        result.replace(pos, sök.size(), ersätt);
    return result;
}

void spela_ljud(const QString& sökväg) {
    if (!sökväg.isEmpty())
        platform::playSound(sökväg);
}

void visa_logg(int läge) {
    const QString path = program().path(QStringLiteral("log.txt"));
    if (!platform::fileExists(path)) {
        logga_meddelande(0, -1, QStringLiteral("Det finns ingen loggfil."),
                         QStringLiteral("Module1, Visa logg"));
        return;
    }
    if (läge == 1)
        program().dialogs.openUrl(path);
    else if (läge == 0)
        showLogViewer(QString());
}

void öppna_hjälp() {
    const QString path =
        platform::withTrailingSeparator(program().programFolder()) + QStringLiteral("tamrel_backup.html");
    if (!platform::fileExists(path)) {
        logga_meddelande(0, -1, QStringLiteral("Kunde inte hitta filen ") + path + QStringLiteral("."),
                         QString());
        return;
    }
    program().dialogs.openUrl(path);
}

WindowHooks& windowHooks() {
    static WindowHooks hooks;
    return hooks;
}

void showLogViewer(const QString& text) {
    if (windowHooks().logViewer)
        windowHooks().logViewer(text);
}

void showSchemasync(const QStringList& names) {
    if (windowHooks().schemasyncList)
        windowHooks().schemasyncList(names);
}

} // namespace Module1
