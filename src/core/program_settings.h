#pragma once
#include "platform/errors.h"

#include <QString>
#include <array>
#include <functional>

// The program settings: one value per check box of the settings window, which shows and edits
// them. Every other window reads the values here. Defaults are the boxes' design values.
struct ProgramSettings {
    // programalternativ.ini, lines 1 to 19 in this order
    bool chkuppdateraauto = false;
    bool chkstartaminimerad = false;
    bool chkstartaaktiverad = false;
    bool chkljud1 = false;
    bool chkljud2 = false;
    bool chkjobbarkiv = false;
    bool chkfilstorlek = true;
    bool chksnabbstart = true;
    bool chkfilstorlek2 = false;
    bool chkvarnasync = false;
    bool chktillåtschemasync = false;
    bool chkpapperskorg_ersatta = false;
    bool chkpapperskorg_synk = false;
    bool chkignorerafel = false;
    bool chkdöljfilterilogg = false;
    bool chkvisafilecopy = false;
    bool chkschemapåminnelse = true;
    bool chkschemapopupfel = true;
    bool chkschemapopupok = true;
    // setup_api.ini
    bool chkaldrigapi = false;
    // the autostart entry
    bool chkstartamedwindows = false;

    struct Field {
        const char* name; // the check box's name
        bool ProgramSettings::*value;
    };
    // The 19 values of programalternativ.ini in line order.
    static const std::array<Field, 19>& fileFields();
    // The value of the box named `name`; false for a name that is no setting.
    bool value(const char* name) const;
};

namespace programsettings {
// A check-box value of a settings file line: a whole number with blanks around it, 0 or 1.
// Throws 13 for no number and 5 for another number.
bool lineValue(const QString& line);
// Reads programalternativ.ini: each line on its own, a good one through `apply(index, value)`, a
// bad one through `failed`, so a bad value leaves only that setting as it was. Throws when the
// file cannot be read.
void readOptions(const QString& path, const std::function<void(int index, bool value)>& apply,
                 const std::function<void(const platform::RunError&)>& failed);
// Writes the 19 values of programalternativ.ini; throws platform::RunError.
void writeOptions(const ProgramSettings& s, const QString& path);
// setup_api.ini: its first line's value; throws 62 for an empty file and as lineValue.
bool readApi(const QString& path);
void writeApi(const ProgramSettings& s, const QString& path);
} // namespace programsettings
