// Drives the restore wizard the way a user does, by hand: loads the backup's folders, scans them
// all, and in copy mode restores every file found. The platform is QT_QPA_PLATFORM's: offscreen for
// bench/restore_vs_rsync, X with an accessibility client for bench/restore_accessibility.
//
// usage: restore_bench copy|scan BACKUP_FOLDER ORIGINAL_FOLDER
//   copy: missing files only, then "Återställ dessa filer"
//   scan: missing and newer files, nothing copied
#include "core/program.h"
#include "restore/restore_window.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 4 || (qstrcmp(argv[1], "copy") != 0 && qstrcmp(argv[1], "scan") != 0)) {
        std::fprintf(stderr, "usage: restore_bench copy|scan BACKUP_FOLDER ORIGINAL_FOLDER\n");
        return 2;
    }
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
    const bool copy = qstrcmp(argv[1], "copy") == 0;
    QTemporaryDir programFolder;
    Program p(programFolder.path());
    setProgram(&p);
    p.dialogs.setUnattended(true);

    frmåterställ* w = p.form<frmåterställ>();
    w->show();
    w->optjobb2->setChecked(true);
    w->txtåterställfrån->setText(QString::fromLocal8Bit(argv[2]));
    w->txtåterställtill->setText(QString::fromLocal8Bit(argv[3]));
    w->chkåterställ2->setChecked(!copy);
    QElapsedTimer clock;
    clock.start();
    w->setComboframe(2);
    w->cmdladdamålmappar_Click();
    w->setComboframe(3);
    w->cmdåterställ_Click();
    const qint64 scanned = clock.elapsed();
    const long found = w->engine.filräknare, examined = w->engine.genomsökta_filer;
    long restored = 0;
    if (copy) {
        w->setComboframe(4);
        w->cmdåterställfiler_Click();
        restored = w->engine.filräknare;
    }
    const qint64 all = clock.elapsed();
    std::fprintf(stderr,
                 "%d folders, %ld files examined, %ld found, %ld restored; scan %.2f s, copy back %.2f s, "
                 "all %.2f s; accessibility %s\n",
                 int(w->engine.folders.size()), examined, found, restored, scanned / 1000.0,
                 (all - scanned) / 1000.0, all / 1000.0, QAccessible::isActive() ? "on" : "off");
    p.unloadAll();
    setProgram(nullptr);
    return copy && restored != found ? 1 : 0;
}
