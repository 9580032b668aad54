#pragma once
#include <QString>
#include <QStringList>
#include <optional>

// The files of one job: <group folder>/<name>.000 .. .011, plain text, one value per line.
// Every reader and writer of job files in the program goes through this class, so paths,
// tolerance of short files and defaults are decided in one place.
//
// Readers throw platform::RunError: 53 for a required file that is missing, 62 ("Inmatning
// efter filslut") for a required line that is not there, 75 for a line longer than any the
// program writes. Writers write each file whole through
// platform::writeLines (a failed write leaves the old file intact and throws).
class JobFiles {
  public:
    // The job `name` in the current job group (program().jobbgruppmapp).
    explicit JobFiles(const QString& name);
    // The job `name` in the group folder `folder` (no trailing '/').
    JobFiles(const QString& folder, const QString& name);

    const QString& folder() const { return folder_; }
    const QString& name() const { return name_; }

    // ".000" .. ".010" for 0 .. 10.
    static QString extension(int n);
    // folder + "/" + name + extension(n).
    QString path(int n) const;
    // A job exists exactly when its ".000" file exists.
    bool exists() const;
    bool hasFile(int n) const;

    // The job names of a group folder: every "*.000" file that is not hidden (a name beginning
    // with '.'), less its extension, in case-insensitive order. Throws when the folder cannot be
    // listed (missing folder: 76).
    static QStringList list(const QString& folder);

    // ---- the fields ---------------------------------------------------------------------------
    struct Filters {                           // .003
        QString types = QStringLiteral("*.*"); // line 1, ";"-separated
        QString excludedTypes;                 // line 2
        QString excludedNames;                 // line 3
        QString folderFilters;                 // line 4, " * "-separated
        QString maxMb;                         // line 5, as typed; empty for no limit
    };
    struct Options {                                      // .004, "JA"/"NEJ" unless said
        QString rescan;                                   // line 1: detect changes in the folder structure
        QString preventMirror = QStringLiteral("NEJ");    // line 2
        QString pathType = QStringLiteral("0");           // line 3: "0" relative, "1" absolute
        QString createMainFolder = QStringLiteral("NEJ"); // line 4
        QString ignoreMissingDrive; // line 5 (no default: empty when the line is missing)
    };
    struct Schedule {         // .006, written by the scheduler
        int active = 0;       // line 1, whole-number value
        int mirror = 0;       // line 2
        QString time;         // line 3 "hh:mm"
        QString days;         // line 4: digit i (1 = Sunday .. 7 = Saturday) when chosen
        int simulate = 0;     // line 5
        bool hasDays = false; // line 4 was present
        // Day i (1..7) is chosen when its digit occurs anywhere in the days line.
        bool day(int i) const;
    };
    struct LastRun {  // .007, written by the backup run
        QString when; // "yyyy-mm-dd hh:mm"
        QString kind; // "Schemalagd", "Startad med startkommando", "Manuell"
    };
    struct Programs {  // .008: two program lists (" ;; "-separated)
        QString stop;  // to close before the job
        QString start; // to start after the job
    };
    struct Versioning {                     // .009
        QString on = QStringLiteral("NEJ"); // "JA"/"NEJ"
        QString types;
        QString maxMb;
        QString maxVersions;
        QString folder;
    };

    // ---- readers (the tolerance of the current-job record) ------------------------------------
    // .000 and .001, required. A line that is empty (or only blanks) names no folder and is
    // passed over; `passedOver`, when given, is raised by the number of such lines.
    QStringList readFolders(int* passedOver = nullptr) const;
    QStringList readMainFolders(int* passedOver = nullptr) const;
    QString readBackupFolder() const; // .002 line 1, required
    // .003; a missing file is created with the one line "*.*" and the defaults are returned. The
    // three files that may be missing are created only where the folder can be written; the
    // defaults are returned either way.
    Filters readFilters() const;
    // .004; a missing file is created with "NEJ", "NEJ", "0", "NEJ" (four lines). Empty or missing
    // lines 2 to 4 read as "NEJ", "0", "NEJ"; line 1 and 5 stay empty.
    Options readOptions() const;
    // .005; a missing file is created empty.
    QStringList readExcluded() const;
    std::optional<Schedule> readSchedule() const;     // .006, nullopt when missing; lines 1-3 required
    std::optional<LastRun> readLastRun() const;       // .007, nullopt when missing; line 1 required
    std::optional<Programs> readPrograms() const;     // .008, nullopt when missing; both lines required
    std::optional<Versioning> readVersioning() const; // .009, nullopt when missing; all five required

    // The job as the rules about its folders see it (core/job_rules.h): the fields those rules
    // read, typed. The texts "JA"/"NEJ" and "0"/"1" are read here and nowhere else.
    struct Job {
        QString group; // the group folder, without a trailing '/'
        QString name;
        QStringList folders;     // .000
        QStringList mainFolders; // .001
        QString backupFolder;    // .002 line 1
        bool rescan = false;
        bool preventMirror = false;
        bool absolute = false;         // path type "1"
        bool createMainFolder = false; // the main folder's own name on top of an absolute job's copies
        bool ignoreMissingDrive = false;
        bool versioning = false;
        QString versionFolder;
    };
    // The typed value of fields as the files hold them.
    static Job job(const QString& group, const QString& name, const QStringList& folders,
                   const QStringList& mainFolders, const QString& backupFolder, const Options& options,
                   const Versioning& versioning);
    // .004 and .009 as their lines read (short files read as readOptions and readVersioning do).
    static Options options(const QStringList& lines);
    static Versioning versioning(const QStringList& lines);
    // .000, .001 and .002 (required), .004 and .009 when they are there; nothing is written.
    Job readJob() const;

    // Every file of the set, read in the order the current-job record reads them.
    struct Data {
        QStringList folders;
        QStringList mainFolders;
        QString backupFolder;
        Filters filters;
        Options options;
        QStringList excluded;
        std::optional<Schedule> schedule;
        std::optional<LastRun> lastRun;
        Programs programs;     // empty when .008 is missing
        Versioning versioning; // off when .009 is missing
    };
    Data read() const;

    // ---- writers (each file written whole) ----------------------------------------------------
    void writeFolders(const QStringList& folders) const;     // .000
    void writeMainFolders(const QStringList& folders) const; // .001
    void writeBackupFolder(const QString& folder) const;     // .002
    void writeFilters(const Filters& f) const;               // .003, five lines
    void writeOptions(const Options& o) const;               // .004, five lines
    void writeExcluded(const QStringList& folders) const;    // .005
    void writeSchedule(const Schedule& s) const;             // .006, five lines, numbers in print form
    void writeLastRun(const LastRun& r) const;               // .007, two lines
    void writePrograms(const Programs& p) const;             // .008, two lines
    void writeVersioning(const Versioning& v) const;         // .009, five lines
    // Opaque access to one file, for rewriting it without interpreting it.
    QStringList readFile(int n) const;
    void writeFile(int n, const QStringList& lines) const;

    // ---- the whole set, files treated as opaque -----------------------------------------------
    // Copies the files .000 .. `last` that exist to `target` (other folder and/or name), each
    // through a temporary file and keeping its time. Stops at the first failure (throws).
    void copyTo(const JobFiles& target, int last) const;
    // The same as one step: every file first goes to a hidden temporary beside the target, and
    // only when all have arrived do they replace the target's files. On any failure the target is
    // left as it was (a new target has no file at all) and the error is thrown. Files of the
    // target that the source does not have stay.
    void copyWholeTo(const JobFiles& target, int last) const;
    // Copies .000 .. .011 to `target`, then deletes this job's .000 .. .011. The old files are
    // deleted only after every copy succeeded.
    void renameTo(const JobFiles& target) const;
    // Deletes the files .000 .. `last` that exist, .000 first so the job is gone at once, and the
    // run memory, which a later job of the name must not take for its own.
    void remove(int last = 9) const;
    // What the backup run remembers of the job between runs (core/run_memory.h).
    static constexpr int kRunMemory = 11;

    // The longest line a job file may hold: the longest text a field of the editor takes.
    static constexpr qsizetype kLongestLine = 32767;
    // The longest job name, in UTF-8 bytes. Every file made from a job name has to fit in one file
    // name (255 bytes): the set's files (".000" .. ".020"), the hidden files that saving and
    // copying the set write beside them, and the temporary of a file written whole (its name and
    // 7 bytes) all stay within 15 bytes beyond the job name.
    static constexpr int kLongestNameBytes = 240;
    // The name is short enough for every file of its set.
    static bool nameFits(const QString& name);

  private:
    QStringList lines(int n) const; // throws 53 when missing, 75 for a line over kLongestLine
    void write(int n, const QStringList& lines) const;
    QString folder_;
    QString name_;
};
