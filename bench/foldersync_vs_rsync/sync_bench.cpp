// Runs one two-way folder synchronisation through the Mappkopiering window, as a press on its
// run button does, and ends. For bench/foldersync_vs_rsync/run.sh.
//
// usage: foldersync_bench PROGRAM_FOLDER FOLDER1 FOLDER2
#include "core/program.h"
#include "foldersync/sync_engine.h"
#include "foldersync/sync_window.h"

#include <QApplication>
#include <QComboBox>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s PROGRAM_FOLDER FOLDER1 FOLDER2\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Program p(QString::fromLocal8Bit(argv[1]));
    setProgram(&p);
    p.dialogs.setUnattended(true);
    frmmappsync* w = p.form<frmmappsync>();
    w->txtmapp1->setEditText(QString::fromLocal8Bit(argv[2]));
    w->txtmapp2->setEditText(QString::fromLocal8Bit(argv[3]));
    w->cmdkör_Click();
    const SyncEngine& e = w->engine();
    std::printf("%ld copied, %ld failed\n", e.counts.antal_kopierade, e.counts.antal_misslyckade);
    p.unloadAll();
    return e.counts.antal_misslyckade == 0 ? 0 : 1;
}
