#pragma once
#include "scheduler/next_run.h"
#include "scheduler/schedule_files.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

class frmutförbackup;

// The scheduler's state: the settings the schedule editor shows and edits, the per-job entries
// and the queue, the two due-time timers and what they remember between ticks. One object per
// program; the editor, the main window's panel, the reminder and the pause window are views of it.
// "Loaded" is the state of the editor's settings: read from the files of the job group when first
// needed, forgotten when the editor unloads.
class Scheduler : public QObject {
  public:
    Scheduler();
    ~Scheduler() override;

    // ---- the editor's settings -------------------------------------------------------------------
    struct ListEntry {
        QString text;
        bool selected = false;
    };
    bool common = false;            // optunikglobal(1): the common setting is the mode
    QString combotidglobal;         // the common time as typed
    schedule::Days chkdag{};        // the common days
    int chksyncglobal = 0;          // mirror in the common run
    int chksyncglobal_simulera = 0; // only simulate that mirroring
    int chkignorerafel = 0;         // never set; line 5 of the common-setting file
    QList<ListEntry> listglobal;    // the common job list and the jobs chosen for it
    bool chkaktivera = false;       // the editor's "Aktivera schemaläggning"

    bool loaded() const { return loaded_; }
    // Reads the common setting of the current job group unless already loaded (the editor's load).
    void ensureLoaded();
    // Reads the common setting and the common job list afresh from the job group and its files, and
    // shows them in the editor when it is loaded: the jobs may have changed since the last reading.
    void reload();
    // Forgets the settings, stops the timers and empties the work lists; while the editor's
    // activation box is ticked it only hides the editor.
    void unload();
    // The mode switch: the common setting refills and selects the common job list.
    void setCommon(bool on);
    // Ticking or unticking the editor's activation box: the request to the main window and the
    // editor's lock.
    void setChkaktivera(bool on);
    QStringList selectedJobs() const;
    int selectedCount() const;
    schedule::CommonSetting commonSetting() const;

    // ---- work lists and timers ---------------------------------------------------------------------
    QStringList List2; // per-job schedule entries (schedule::Entry::text)
    // The job list the entries' job indexes count in: the list as it was when scheduling was
    // switched on. A run finds its job by name in the list as it is then.
    QStringList List2_jobs;
    int List2_ListIndex = -1;
    QStringList listkö; // due entries waiting to run
    QStringList listsortering;
    QTimer Timer1;
    QTimer Timer3;
    int interval = 5000; // of both timers while scheduling is on

    // The main window's switch turned on: the panel, the list of scheduled jobs, the per-job
    // entries, the timers and the first next-run computation. An active job without a day switches
    // off again with a message; a job whose stored time cannot be read is left out with a log line.
    void switchOn();
    // The switch turned off: the panel hidden, the work lists emptied, the timers stopped, the
    // commands unlocked; a run going on ends at its next check.
    void switchOff();
    // Empties the work lists and stops both timers; a shown reminder closes.
    void stop();

    // The next run: fills the panel's waiting view and sets the due moment; with nothing to run it
    // switches scheduling off and says so.
    void visaväntarnästakörning();
    QDateTime dueMoment() const { return due_; }

    void Timer1_Timer();
    void Timer3_Timer();

    // The countdown text of the panel for a due moment.
    static QString countdownText(const QDateTime& now, const QDateTime& due, int* hours = nullptr,
                                 int* minutes = nullptr);

    // Runs one scheduled run through the backup window whose job list and mirror boxes the
    // scheduler has filled; returns when the run is over. Tests replace it.
    std::function<void(frmutförbackup&)> runner;
    // A scheduled run is going on (a common run or a queue pass).
    bool running() const { return running_; }

  private:
    void readCommonSetting();
    void keepActivationBoxEqual();
    void fillCommonList();
    void commonRun(const QString& key);
    void queueRun();
    void runOne(const QStringList& jobs, const QList<bool>& selected, bool mirror, bool simulate,
                bool common);
    void runningView(const QString& status);
    void afterRuns();
    bool stillOn() const;
    bool commonDue(const QDateTime& now, QString& key) const;
    bool otherRunGoingOn() const;
    void tickError(const char* timer, int number, const QString& description);

    bool loaded_ = false;
    bool running_ = false;
    bool unloadPending_ = false;
    QDateTime due_;
    // What the timers remember between ticks.
    bool påminnelse_visad = false;
    QString senaste_minut;
    int senaste_dag = 0;
    QString senaste_minut_kö;
    // The date and minute of the last run of the common schedule, and of each per-job entry, so a
    // minute the wall clock shows twice starts no second run.
    QString lastCommonRun_;
    QString commonPending_;
    QHash<QString, QString> lastQueued_;
    QString failingEntry_;
};

// The program's scheduler.
Scheduler& scheduler();
