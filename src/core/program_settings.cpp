#include "core/program_settings.h"

#include "platform/textfile.h"
#include "platform/vb.h"

#include <cstring>

namespace {
using S = ProgramSettings;
constexpr std::array<S::Field, 21> kAll{{
    {"chkuppdateraauto", &S::chkuppdateraauto},
    {"chkstartaminimerad", &S::chkstartaminimerad},
    {"chkstartaaktiverad", &S::chkstartaaktiverad},
    {"chkljud1", &S::chkljud1},
    {"chkljud2", &S::chkljud2},
    {"chkjobbarkiv", &S::chkjobbarkiv},
    {"chkfilstorlek", &S::chkfilstorlek},
    {"chksnabbstart", &S::chksnabbstart},
    {"chkfilstorlek2", &S::chkfilstorlek2},
    {"chkvarnasync", &S::chkvarnasync},
    {"chktillåtschemasync", &S::chktillåtschemasync},
    {"chkpapperskorg_ersatta", &S::chkpapperskorg_ersatta},
    {"chkpapperskorg_synk", &S::chkpapperskorg_synk},
    {"chkignorerafel", &S::chkignorerafel},
    {"chkdöljfilterilogg", &S::chkdöljfilterilogg},
    {"chkvisafilecopy", &S::chkvisafilecopy},
    {"chkschemapåminnelse", &S::chkschemapåminnelse},
    {"chkschemapopupfel", &S::chkschemapopupfel},
    {"chkschemapopupok", &S::chkschemapopupok},
    {"chkaldrigapi", &S::chkaldrigapi},
    {"chkstartamedwindows", &S::chkstartamedwindows},
}};
} // namespace

const std::array<ProgramSettings::Field, 19>& ProgramSettings::fileFields() {
    static const std::array<Field, 19> fields = [] {
        std::array<Field, 19> f{};
        std::copy_n(kAll.begin(), 19, f.begin());
        return f;
    }();
    return fields;
}

bool ProgramSettings::value(const char* name) const {
    for (const Field& f : kAll)
        if (std::strcmp(f.name, name) == 0)
            return this->*f.value;
    return false;
}

namespace programsettings {

bool lineValue(const QString& line) {
    bool ok = false;
    const int v = line.trimmed().toInt(&ok);
    if (!ok)
        platform::throwError(13);
    if (v != 0 && v != 1)
        platform::throwError(5);
    return v == 1;
}

void readOptions(const QString& path, const std::function<void(int, bool)>& apply,
                 const std::function<void(const platform::RunError&)>& failed) {
    const QStringList l = platform::readLines(path);
    for (int i = 0; i < int(ProgramSettings::fileFields().size()) && i < l.size(); ++i) {
        bool v = false;
        try {
            v = lineValue(l[i]);
        } catch (const platform::RunError& e) {
            failed(e);
            continue;
        }
        apply(i, v);
    }
}

void writeOptions(const ProgramSettings& s, const QString& path) {
    QStringList lines;
    for (const ProgramSettings::Field& f : ProgramSettings::fileFields())
        lines << platform::printNumber(s.*f.value ? 1 : 0);
    platform::writeLines(path, lines);
}

bool readApi(const QString& path) {
    const QStringList l = platform::readLines(path);
    if (l.isEmpty())
        platform::throwError(62);
    return lineValue(l[0]);
}

void writeApi(const ProgramSettings& s, const QString& path) {
    platform::writeLines(path, {platform::printNumber(s.chkaldrigapi ? 1 : 0)});
}

} // namespace programsettings
