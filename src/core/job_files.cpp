#include "core/job_files.h"

#include "core/program.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/textfile.h"
#include "platform/vb.h"

#include <vector>

namespace {

// Reading a line that is not there, as the run-time reported it.
[[noreturn]] void pastEnd() {
    platform::throwError(62);
}

const QString& required(const QStringList& l, int i) {
    if (i >= l.size())
        pastEnd();
    return l[i];
}

QString optionalLine(const QStringList& l, int i) {
    return i < l.size() ? l[i] : QString();
}

// A file that may be missing is made with its defaults; a folder that cannot be written (a
// program installed by root, a read-only disk) keeps it missing, and the defaults stand.
template <class Write> void makeQuietly(Write write) {
    try {
        write();
    } catch (const platform::RunError&) {
    }
}

} // namespace

JobFiles::JobFiles(const QString& name) : JobFiles(program().jobbgruppmapp, name) {}

JobFiles::JobFiles(const QString& folder, const QString& name)
    : folder_(platform::withoutTrailingSeparator(folder)), name_(name) {}

QString JobFiles::extension(int n) {
    return QStringLiteral(".%1").arg(n, 3, 10, QLatin1Char('0'));
}

QString JobFiles::path(int n) const {
    return folder_ + QLatin1Char('/') + name_ + extension(n);
}

bool JobFiles::nameFits(const QString& name) {
    return name.toUtf8().size() <= kLongestNameBytes;
}

bool JobFiles::exists() const {
    return hasFile(0);
}

bool JobFiles::hasFile(int n) const {
    return platform::fileExists(path(n));
}

QStringList JobFiles::list(const QString& folder) {
    if (!platform::folderExists(folder))
        platform::throwError(76);
    QStringList names;
    const QString ext = extension(0);
    // listFileNames gives the case-insensitive order of the file names themselves.
    for (const QString& f : platform::listFileNames(folder)) {
        if (f.startsWith(QLatin1Char('.')) || !f.endsWith(ext, Qt::CaseInsensitive))
            continue;
        names << f.left(f.size() - ext.size());
    }
    return names;
}

bool JobFiles::Schedule::day(int i) const {
    return days.contains(QChar(u'0' + i));
}

QStringList JobFiles::lines(int n) const {
    QStringList l = platform::readLines(path(n));
    // No path, list or filter the program writes comes near this; a longer line is a damaged
    // file, and showing it would hold the windows up.
    for (const QString& line : std::as_const(l))
        if (line.size() > kLongestLine)
            throw platform::RunError{
                75, QStringLiteral("En rad i filen är längre än %1 tecken").arg(kLongestLine)};
    return l;
}

void JobFiles::write(int n, const QStringList& l) const {
    platform::writeLines(path(n), l);
}

namespace {
// An empty line would stand for the root or the working folder wherever a path is made of it.
QStringList withoutEmptyLines(QStringList l, int* passedOver) {
    const qsizetype n = l.removeIf([](const QString& line) { return line.trimmed().isEmpty(); });
    if (passedOver)
        *passedOver += int(n);
    return l;
}
} // namespace

QStringList JobFiles::readFolders(int* passedOver) const {
    return withoutEmptyLines(lines(0), passedOver);
}

QStringList JobFiles::readMainFolders(int* passedOver) const {
    return withoutEmptyLines(lines(1), passedOver);
}

QString JobFiles::readBackupFolder() const {
    return required(lines(2), 0);
}

JobFiles::Filters JobFiles::readFilters() const {
    Filters f;
    if (!hasFile(3)) {
        makeQuietly([&] { write(3, {f.types}); });
        return f;
    }
    const QStringList l = lines(3);
    f.types = required(l, 0);
    f.excludedTypes = optionalLine(l, 1);
    f.excludedNames = optionalLine(l, 2);
    f.folderFilters = optionalLine(l, 3);
    f.maxMb = optionalLine(l, 4);
    return f;
}

JobFiles::Options JobFiles::readOptions() const {
    Options o;
    if (!hasFile(4)) {
        makeQuietly([&] {
            write(4,
                  {QStringLiteral("NEJ"), QStringLiteral("NEJ"), QStringLiteral("0"), QStringLiteral("NEJ")});
        });
        return o;
    }
    const QStringList l = lines(4);
    o.rescan = required(l, 0);
    auto orDefault = [](const QString& v, const QString& def) { return v.isEmpty() ? def : v; };
    o.preventMirror = orDefault(optionalLine(l, 1), o.preventMirror);
    o.pathType = orDefault(optionalLine(l, 2), o.pathType);
    o.createMainFolder = orDefault(optionalLine(l, 3), o.createMainFolder);
    o.ignoreMissingDrive = optionalLine(l, 4);
    return o;
}

QStringList JobFiles::readExcluded() const {
    if (!hasFile(5)) {
        makeQuietly([&] { write(5, {}); });
        return {};
    }
    return lines(5);
}

std::optional<JobFiles::Schedule> JobFiles::readSchedule() const {
    if (!hasFile(6))
        return std::nullopt;
    const QStringList l = lines(6);
    // An empty file (a write that an older version left unfinished) is a job without a schedule.
    if (l.isEmpty() || (l.size() == 1 && l[0].trimmed().isEmpty()))
        return std::nullopt;
    Schedule s;
    // The run-time refused a number line that held no number.
    auto whole = [](const QString& v) {
        const QString t = v.trimmed();
        bool ok = false;
        const int n = t.toInt(&ok);
        if (!ok)
            platform::throwError(13);
        return n;
    };
    s.active = whole(required(l, 0));
    s.mirror = whole(required(l, 1));
    s.time = required(l, 2);
    if (l.size() > 3) {
        s.days = l[3];
        s.hasDays = true;
        if (l.size() > 4)
            s.simulate = whole(l[4]);
    }
    return s;
}

std::optional<JobFiles::LastRun> JobFiles::readLastRun() const {
    if (!hasFile(7))
        return std::nullopt;
    const QStringList l = lines(7);
    return LastRun{required(l, 0), optionalLine(l, 1)};
}

std::optional<JobFiles::Programs> JobFiles::readPrograms() const {
    if (!hasFile(8))
        return std::nullopt;
    const QStringList l = lines(8);
    return Programs{required(l, 0), required(l, 1)};
}

std::optional<JobFiles::Versioning> JobFiles::readVersioning() const {
    if (!hasFile(9))
        return std::nullopt;
    const QStringList l = lines(9);
    return Versioning{required(l, 0), required(l, 1), required(l, 2), required(l, 3), required(l, 4)};
}

JobFiles::Options JobFiles::options(const QStringList& l) {
    Options o;
    auto orDefault = [](const QString& v, const QString& def) { return v.isEmpty() ? def : v; };
    o.rescan = optionalLine(l, 0);
    o.preventMirror = orDefault(optionalLine(l, 1), o.preventMirror);
    o.pathType = orDefault(optionalLine(l, 2), o.pathType);
    o.createMainFolder = orDefault(optionalLine(l, 3), o.createMainFolder);
    o.ignoreMissingDrive = optionalLine(l, 4);
    return o;
}

JobFiles::Versioning JobFiles::versioning(const QStringList& l) {
    Versioning v;
    if (l.isEmpty())
        return v;
    return Versioning{optionalLine(l, 0), optionalLine(l, 1), optionalLine(l, 2), optionalLine(l, 3),
                      optionalLine(l, 4)};
}

JobFiles::Job JobFiles::job(const QString& group, const QString& name, const QStringList& folders,
                            const QStringList& mainFolders, const QString& backupFolder, const Options& o,
                            const Versioning& v) {
    auto yes = [](const QString& t) { return t.trimmed() == QLatin1String("JA"); };
    Job j;
    j.group = platform::withoutTrailingSeparator(group);
    j.name = name;
    j.folders = folders;
    j.mainFolders = mainFolders;
    j.backupFolder = backupFolder;
    j.rescan = yes(o.rescan);
    j.preventMirror = yes(o.preventMirror);
    j.absolute = o.pathType.trimmed() == QLatin1String("1");
    j.createMainFolder = yes(o.createMainFolder);
    j.ignoreMissingDrive = yes(o.ignoreMissingDrive);
    j.versioning = yes(v.on);
    j.versionFolder = v.folder;
    return j;
}

JobFiles::Job JobFiles::readJob() const {
    const QStringList folders = readFolders(), mains = readMainFolders();
    const QString backup = readBackupFolder();
    return job(folder_, name_, folders, mains, backup, options(hasFile(4) ? lines(4) : QStringList()),
               versioning(hasFile(9) ? lines(9) : QStringList()));
}

JobFiles::Data JobFiles::read() const {
    Data d;
    d.folders = readFolders();
    d.mainFolders = readMainFolders();
    d.backupFolder = readBackupFolder();
    d.filters = readFilters();
    d.options = readOptions();
    d.excluded = readExcluded();
    d.schedule = readSchedule();
    d.lastRun = readLastRun();
    if (auto p = readPrograms())
        d.programs = *p;
    if (auto v = readVersioning())
        d.versioning = *v;
    return d;
}

void JobFiles::writeFolders(const QStringList& folders) const {
    write(0, folders);
}

void JobFiles::writeMainFolders(const QStringList& folders) const {
    write(1, folders);
}

void JobFiles::writeBackupFolder(const QString& folder) const {
    write(2, {folder});
}

void JobFiles::writeFilters(const Filters& f) const {
    write(3, {f.types, f.excludedTypes, f.excludedNames, f.folderFilters, f.maxMb});
}

void JobFiles::writeOptions(const Options& o) const {
    write(4, {o.rescan, o.preventMirror, o.pathType, o.createMainFolder, o.ignoreMissingDrive});
}

void JobFiles::writeExcluded(const QStringList& folders) const {
    write(5, folders);
}

void JobFiles::writeSchedule(const Schedule& s) const {
    write(6, {platform::printNumber(s.active), platform::printNumber(s.mirror), s.time, s.days,
              platform::printNumber(s.simulate)});
}

void JobFiles::writeLastRun(const LastRun& r) const {
    write(7, {r.when, r.kind});
}

void JobFiles::writePrograms(const Programs& p) const {
    write(8, {p.stop, p.start});
}

void JobFiles::writeVersioning(const Versioning& v) const {
    write(9, {v.on, v.types, v.maxMb, v.maxVersions, v.folder});
}

QStringList JobFiles::readFile(int n) const {
    return lines(n);
}

void JobFiles::writeFile(int n, const QStringList& l) const {
    write(n, l);
}

void JobFiles::copyTo(const JobFiles& target, int last) const {
    if (target.path(0) == path(0))
        return;
    for (int n = 0; n <= last; ++n)
        if (hasFile(n))
            platform::copyKeepTime(path(n), target.path(n));
}

void JobFiles::copyWholeTo(const JobFiles& target, int last) const {
    if (target.path(0) == path(0))
        return;
    auto beside = [&](int n, const QString& tag) {
        // One letter for the tag: the name stays within what kLongestNameBytes leaves room for.
        return target.folder() + QStringLiteral("/.tamrel-") + tag + QLatin1Char('-') + target.name() +
               extension(n);
    };
    auto quietly = [](auto&& f) {
        try {
            f();
        } catch (const platform::RunError&) {
        }
    };
    std::vector<int> files;
    for (int n = 0; n <= last; ++n)
        if (hasFile(n))
            files.push_back(n);
    // 1. Every file to its temporary; the target is not touched yet.
    size_t copied = 0;
    try {
        for (; copied < files.size(); ++copied)
            platform::copyKeepTime(path(files[copied]), beside(files[copied], QStringLiteral("n")));
    } catch (const platform::RunError&) {
        for (size_t i = 0; i < copied; ++i)
            quietly([&] { platform::removeFile(beside(files[i], QStringLiteral("n"))); });
        throw;
    }
    // 2. Each old target file aside, the new one in its place; undone in reverse on a failure.
    std::vector<bool> keptOld(files.size(), false);
    size_t placed = 0;
    try {
        for (; placed < files.size(); ++placed) {
            const int n = files[placed];
            if (platform::fileInfo(target.path(n)).exists) {
                platform::renamePath(target.path(n), beside(n, QStringLiteral("g")));
                keptOld[placed] = true;
            }
            platform::renamePath(beside(n, QStringLiteral("n")), target.path(n));
        }
    } catch (const platform::RunError&) {
        for (size_t i = files.size(); i-- > 0;) {
            const int n = files[i];
            if (i < placed)
                quietly([&] { platform::removeFile(target.path(n)); });
            else
                quietly([&] { platform::removeFile(beside(n, QStringLiteral("n"))); });
            if (keptOld[i])
                quietly([&] { platform::renamePath(beside(n, QStringLiteral("g")), target.path(n)); });
        }
        throw;
    }
    // 3. The old files are no longer needed.
    for (size_t i = 0; i < files.size(); ++i)
        if (keptOld[i])
            quietly([&] { platform::removeFile(beside(files[i], QStringLiteral("g"))); });
}

void JobFiles::renameTo(const JobFiles& target) const {
    if (target.path(0) == path(0))
        return; // the same files: copying and deleting would lose the job
    copyTo(target, kRunMemory);
    remove(kRunMemory);
}

void JobFiles::remove(int last) const {
    for (int n = 0; n <= last; ++n)
        if (hasFile(n))
            platform::removeFile(path(n));
    if (last < kRunMemory && hasFile(kRunMemory))
        platform::removeFile(path(kRunMemory));
}
