#include "core/settings_window.h"

#include "core/main_window.h"
#include "core/program.h"
#include "platform/textfile.h"
#include "platform/vb.h"

#include <QCheckBox>
#include <QVBoxLayout>

frmsetup::frmsetup() {
    setObjectName(QStringLiteral("frmsetup"));
    setWindowTitle(QStringLiteral("Alternativ"));
    auto* lay = new QVBoxLayout(this);
    chkuppdateraauto = box("chkuppdateraauto", QStringLiteral("Sök programuppdateringar automatiskt"), false);
    chkstartaminimerad = box("chkstartaminimerad", QStringLiteral("Starta minimerad"), false);
    chkstartaaktiverad = box("chkstartaaktiverad", QStringLiteral("Starta aktiverad"), false);
    chkljud1 = box("chkljud1", QStringLiteral("Spela upp ljud när kopiering är klar"), false);
    chkljud2 = box("chkljud2", QStringLiteral("Spela upp ljud när fel uppstår under kopiering"), false);
    chkjobbarkiv = box("chkjobbarkiv", QStringLiteral("Aktivera ytterligare tre jobbgrupper"), false);
    chkfilstorlek = box("chkfilstorlek", QStringLiteral("Jämför filstorlek efter kopiering"), true);
    chksnabbstart = box("chksnabbstart", QStringLiteral("Starta med snabbstartsväljaren"), true);
    chkfilstorlek2 = box("chkfilstorlek2", QStringLiteral("Jämför även filstorlek på aktuella filer"), false);
    chkvarnasync = box("chkvarnasync", QStringLiteral("Stäng av varning för spegling"), false);
    chktillåtschemasync = box("chktillåtschemasync", QStringLiteral("Tillåt att schemalägga med spegling"), false);
    chkpapperskorg_ersatta = box("chkpapperskorg_ersatta",
                                 QStringLiteral("Vid backup, skicka överskrivna (äldre) filer till papperskorgen"), false);
    chkpapperskorg_synk = box("chkpapperskorg_synk",
                              QStringLiteral("Vid spegling, skicka raderade filer och mappar till papperskorgen"), false);
    chkignorerafel = box("chkignorerafel", QStringLiteral("Ignorera fel och meddelanden under backupkörning"), false);
    chkdöljfilterilogg = box("chkdöljfilterilogg", QStringLiteral("Visa inte filtrerade mappar och filer i loggen"), false);
    chkvisafilecopy = box("chkvisafilecopy", QStringLiteral("Visa kopieringsdialogruta för filer större än 50 MB"), false);
    chkschemapåminnelse = box("chkschemapåminnelse", QStringLiteral("Visa påminnelse-popup 15 minuter före backup"), true);
    chkschemapopupfel = box("chkschemapopupfel", QStringLiteral("Visa popup efter körning som innehåller fel"), true);
    chkschemapopupok = box("chkschemapopupok", QStringLiteral("Visa popup efter lyckad körning"), true);
    chkaldrigapi = box("chkaldrigapi", QStringLiteral("Använd aldrig Windows API för filkopiering"), false);
    chkstartamedwindows = box("chkstartamedwindows", QStringLiteral("Starta tillsammans med Windows"), false);
    for (QCheckBox* b : findChildren<QCheckBox*>())
        lay->addWidget(b);
}

QCheckBox* frmsetup::box(const char* name, const QString& caption, bool design) {
    auto* b = new QCheckBox(caption, this);
    b->setObjectName(QString::fromUtf8(name));
    b->setChecked(design);
    return b;
}

QList<QCheckBox*> frmsetup::fileBoxes() const {
    return {chkuppdateraauto, chkstartaminimerad, chkstartaaktiverad, chkljud1,           chkljud2,
            chkjobbarkiv,     chkfilstorlek,      chksnabbstart,      chkfilstorlek2,     chkvarnasync,
            chktillåtschemasync, chkpapperskorg_ersatta, chkpapperskorg_synk, chkignorerafel, chkdöljfilterilogg,
            chkvisafilecopy,  chkschemapåminnelse, chkschemapopupfel, chkschemapopupok};
}

void frmsetup::spara_setup() {}
