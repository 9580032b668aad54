#include "core/module1.h"

#include "core/main_window.h"
#include "core/program.h"

namespace Module1 {

void logga_meddelande(int felnummer, int visa, const QString& meddelande, const QString& plats,
                      const QString& beskrivning) {
    Q_UNUSED(visa);
    frmmain* m = program().form<frmmain>();
    if (felnummer == -1 || (felnummer == 0 && meddelande.startsWith(QLatin1String("FEL!"))))
        m->appendSystemLog(meddelande + QStringLiteral(". Plats: ") + plats);
    else if (felnummer > 0)
        m->appendSystemLog(meddelande + QStringLiteral(" [") + QString::number(felnummer) + QStringLiteral("] - ") +
                           (beskrivning.isEmpty() ? platform::errorDescription(felnummer) : beskrivning) +
                           QStringLiteral(". Plats: ") + plats);
}

void logga_meddelande(const platform::RunError& fel, int visa, const QString& meddelande, const QString& plats) {
    logga_meddelande(fel.number > 0 ? fel.number : 75, visa, meddelande, plats, fel.description);
}

} // namespace Module1
