#include "restore/host.h"

#include "core/main_window.h"
#include "core/program.h"

#include <QComboBox>

namespace restorehost {

void selectJob(int index) {
    frmmain* m = program().form<frmmain>();
    if (m->comboinställningar->currentIndex() != index)
        m->comboinställningar->setCurrentIndex(index);
}

const CurrentJobRecord& currentJob() {
    return *program().form<frmmain>();
}

void systemLog(const QString& text) {
    program().form<frmmain>()->appendSystemLog(text);
}

void markProgramLogError() {
    program().form<frmmain>()->markProgramLogError();
}

} // namespace restorehost
