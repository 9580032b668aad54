#include "core/operations.h"

#include "core/module1.h"
#include "core/program.h"

#include <QTimer>

bool OperationGate::tryBegin(const QString& name, std::function<void()> stop) {
    if (busy())
        return false;
    name_ = name.isEmpty() ? QStringLiteral("åtgärd") : name;
    stop_ = std::move(stop);
    if (stopRequested_ && stop_)
        stop_();
    return true;
}

void OperationGate::end() {
    name_.clear();
    stop_ = {};
    if (whenFree_.empty())
        return;
    // Run from the event loop, after the operation's own code has left the stack.
    auto waiting = std::move(whenFree_);
    whenFree_.clear();
    for (auto& f : waiting)
        if (f)
            QTimer::singleShot(0, f);
}

void OperationGate::requestStop(std::function<void()> then) {
    stopRequested_ = true;
    if (stop_)
        stop_();
    if (!then)
        return;
    if (busy())
        whenFree_.push_back(std::move(then));
    else
        then();
}

QString OperationGate::refusalText() const {
    return QStringLiteral("Det går inte just nu, eftersom en annan åtgärd pågår (") + current() +
           QStringLiteral("). Försök igen när den är klar.");
}

void OperationGate::refuse() const {
    Module1::logga_meddelande(0, -1, refusalText(), QString());
}

QString OperationGate::runLockFileName() {
    return QStringLiteral("tamrel-backup.lock");
}

Operation::Operation(const QString& name, std::function<void()> stop) {
    ok_ = program().operations().tryBegin(name, std::move(stop));
}

Operation::~Operation() {
    release();
}

void Operation::release() {
    if (!ok_)
        return;
    ok_ = false;
    if (Program* p = currentProgram())
        p->operations().end();
}

RunLock::RunLock() = default;

RunLock::~RunLock() {
    release();
}

bool RunLock::take(const QString& doing) {
    if (held())
        return true;
    lock_ =
        std::make_unique<platform::FolderLock>(program().programFolder(), OperationGate::runLockFileName());
    if (lock_->tryTake(doing) == platform::FolderLock::Result::Held) {
        holder_ = lock_->holderDoing();
        if (holder_.isEmpty())
            holder_ = QStringLiteral("en annan körning");
        lock_.reset();
        return false;
    }
    return true;
}

QString RunLock::refusal(const QString& notStarted) const {
    QString who = holder_;
    if (!who.isEmpty())
        who[0] = who[0].toUpper();
    return QStringLiteral("FEL! ") + who + QStringLiteral(" pågår redan från den här programmappen. ") +
           notStarted + QStringLiteral(" startades inte");
}

void RunLock::release() {
    if (lock_)
        lock_->release();
    lock_.reset();
}

bool RunLock::held() const {
    return lock_ && lock_->held();
}
