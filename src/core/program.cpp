#include "core/program.h"

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <cerrno>
#include <vector>

namespace {
Program* current = nullptr;
}

Program& program() {
    Q_ASSERT(current);
    return *current;
}

Program* currentProgram() {
    return current;
}

void setProgram(Program* p) {
    current = p;
}

Program::Program(const QString& programFolder)
    : programFolder_(platform::withoutTrailingSeparator(programFolder)) {
    jobbgruppmapp = path(QStringLiteral("Listor"));
}

Program::~Program() {
    services_.clear();
    std::vector<QPointer<QWidget>> all;
    for (auto& [k, w] : forms_)
        all.push_back(w);
    forms_.clear();
    for (auto& w : all)
        delete w.data();
    if (current == this)
        current = nullptr;
}

QString Program::path(const QString& name) const {
    return platform::joinPath(programFolder_, name);
}

QString Program::unwritableFolderMessage() const {
    const int err = platform::folderWriteError(programFolder_);
    if (err == 0)
        return {};
    const QString rest =
        QStringLiteral(". Jobb, inställningar och loggar kan inte sparas; lägg programmet i en "
                       "mapp som du kan skriva i");
    // A read-only disk or folder is the common case, and its error number tells a user nothing.
    if (err == EROFS || err == EACCES || err == EPERM)
        return QStringLiteral("FEL! Programmappen ") + programFolder_ + QStringLiteral(" är skrivskyddad") +
               rest;
    const platform::RunError e = platform::runErrorFromErrno(err);
    return QStringLiteral("FEL! Det går inte att skriva i programmappen ") + programFolder_ +
           QStringLiteral(" [") + QString::number(e.number) + QStringLiteral("] - ") + e.description + rest;
}

void Program::forget(const void* services) {
    if (mainWindow_ && static_cast<const void*>(mainWindow_) == services)
        mainWindow_ = nullptr;
    if (run_ && static_cast<const void*>(run_) == services)
        run_ = nullptr;
}

void Program::dispose(QPointer<QWidget> w) {
    if (!w)
        return;
    // An unloaded window answers no more, though it lives until it is deleted.
    forget(dynamic_cast<MainWindowServices*>(w.data()));
    forget(dynamic_cast<RunServices*>(w.data()));
    w->hide();
    w->deleteLater();
}

void Program::unloadAll() {
    std::vector<QPointer<QWidget>> all;
    for (auto& [k, w] : forms_)
        all.push_back(w);
    forms_.clear();
    for (auto& w : all)
        dispose(w);
}

UnattendedRun::UnattendedRun() : program_(&program()) {
    ++program_->unattended_;
}

UnattendedRun::~UnattendedRun() {
    // The program it began in may be gone already (the end of a test).
    if (currentProgram() == program_)
        --program_->unattended_;
}
