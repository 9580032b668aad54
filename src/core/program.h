#pragma once
#include "core/job_record.h"
#include "core/main_window_services.h"
#include "core/operations.h"
#include "core/program_settings.h"
#include "core/run_services.h"
#include "core/system_log.h"
#include "platform/clock.h"
#include "platform/dialogs.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <map>
#include <memory>
#include <typeindex>

// What the program keeps at module level, and its windows. One per process (program()); each
// test makes its own over a temporary program folder.
class Program {
  public:
    explicit Program(const QString& programFolder);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The folder of the executable, without a trailing '/' (except "/").
    QString programFolder() const { return programFolder_; }
    // A file or folder in the program folder.
    QString path(const QString& name) const;
    // What the start says once when the program folder cannot be written (a program installed by
    // root, a read-only disk), naming the folder and why, without a closing full stop; empty when
    // it can be written.
    QString unwritableFolderMessage() const;

    QString jobbgruppmapp;   // folder of the current job group, no trailing '/'
    int schema_avstängt = 0; // 1 after the user switched the scheduler off
    QString commandLine;     // the program's arguments joined by one blank
    int exitStatus = 0;      // of a command-line run: 1 when no job matched or the run had an error

    platform::Clock clock;
    platform::Dialogs dialogs;

    // An unattended run goes on: a scheduled one from the moment it falls due, or one from the
    // command line (UnattendedRun). Its messages go to the logs; none waits for a person.
    bool unattended() const { return unattended_ > 0; }

    // The current-job record: the fields of the job selected in the main window's job list.
    CurrentJobRecord& job() { return job_; }
    // The program settings' values.
    ProgramSettings& settings() { return settings_; }
    // The system log's text.
    SystemLog& systemLog() { return systemLog_; }
    // The gate every operation on the user's files, the job files or the run log holds.
    OperationGate& operations() { return operations_; }

    // The main window's services; a quiet default when no main window is installed.
    MainWindowServices& mainWindow() { return mainWindow_ ? *mainWindow_ : quietMainWindow_; }
    void setMainWindow(MainWindowServices* m) { mainWindow_ = m; }
    // The backup window's services; a quiet default while it is not loaded.
    RunServices& run() { return run_ ? *run_ : quietRun_; }
    void setRun(RunServices* r) { run_ = r; }
    // A window being destroyed stops serving (only when it is the one installed).
    void forget(const void* services);

    // A long-lived object of a higher floor (the scheduler's state): made on first use, deleted
    // with the program, before its windows.
    template <class T> T& service() {
        std::shared_ptr<void>& p = services_[std::type_index(typeid(T))];
        if (!p)
            p = std::shared_ptr<void>(new T, [](void* t) { delete static_cast<T*>(t); });
        return *static_cast<T*>(p.get());
    }

    // A window, created on first use (as touching a form loads it). The main window and the
    // settings window live until the program ends.
    template <class W> W* form() {
        QPointer<QWidget>& p = forms_[std::type_index(typeid(W))];
        if (!p)
            p = new W;
        return static_cast<W*>(p.data());
    }
    // The window when it is loaded, else nullptr (does not load it).
    template <class W> W* loaded() const {
        auto it = forms_.find(std::type_index(typeid(W)));
        return it == forms_.end() ? nullptr : static_cast<W*>(it->second.data());
    }
    template <class W> bool isLoaded() const { return loaded<W>() != nullptr; }
    // Hides the window and deletes it later, never while its own code is on the stack; the next
    // form<W>() makes a fresh one.
    template <class W> void unload() {
        auto it = forms_.find(std::type_index(typeid(W)));
        if (it != forms_.end()) {
            QPointer<QWidget> w = it->second;
            forms_.erase(it);
            dispose(w);
        }
    }
    // Unloads every window still loaded.
    void unloadAll();

  private:
    friend class UnattendedRun;
    void dispose(QPointer<QWidget> w);

    QString programFolder_;
    int unattended_ = 0;
    CurrentJobRecord job_;
    ProgramSettings settings_;
    SystemLog systemLog_{clock};
    OperationGate operations_;
    MainWindowServices quietMainWindow_;
    MainWindowServices* mainWindow_ = nullptr;
    RunServices quietRun_;
    RunServices* run_ = nullptr;
    std::map<std::type_index, QPointer<QWidget>> forms_;
    std::map<std::type_index, std::shared_ptr<void>> services_;
};

// Marks an unattended run for as long as this object lives (nested ones count).
class UnattendedRun {
  public:
    UnattendedRun();
    ~UnattendedRun();
    UnattendedRun(const UnattendedRun&) = delete;
    UnattendedRun& operator=(const UnattendedRun&) = delete;

  private:
    Program* program_;
};

// The process-wide context.
Program& program();
// The process-wide context, or nullptr when there is none (a window deleted after its program).
Program* currentProgram();
// Installs `p` as the process-wide context (the previous one is not deleted).
void setProgram(Program* p);
