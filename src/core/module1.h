#pragma once
#include "platform/errors.h"

#include <QString>

// The shared procedures of the program.
namespace Module1 {

// The message reporter: a system-log line and, when allowed, the error dialog.
// felnummer: -1 log only, 0 message, positive a trapped error (its description is looked up
// from the number unless given).
void logga_meddelande(int felnummer, int visa, const QString& meddelande, const QString& plats,
                      const QString& beskrivning = {});
// The same for a caught platform error.
void logga_meddelande(const platform::RunError& fel, int visa, const QString& meddelande, const QString& plats);

} // namespace Module1
