// The built program run from the command line the way a script or a scheduler starts it: whole
// backups, repeated runs, versioning and mirroring, checked on the files a user relies on.
#include "support/e2e.h"
#include "support/fixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

namespace {

// Every folder below `root` (hidden ones too), each before the folders inside it.

// Megabytes as the program prints them: in the decimal sign of the user's locale.
QString mb(QString text) {
    return text.replace(',', QLocale::system().decimalPoint());
}

QStringList prefixed(const QString& prefix, const QStringList& names) {
    QStringList out;
    for (const QString& n : names)
        out << prefix + n;
    out.sort();
    return out;
}

class CommandLineRun : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(program_.isValid());
        ASSERT_TRUE(work_.isValid());
        src_ = work_.path() + "/Källa";
        dst_ = work_.path() + "/Backup";
        old_ = QDateTime(QDate(2023, 11, 5), QTime(7, 8, 9));
        testutil::writeFile(src_ + "/brev.txt", "hej", old_);
        testutil::writeFile(src_ + "/.dold", "gömd", old_.addSecs(17));
        testutil::writeFile(src_ + "/bilder/sol.jpg", QByteArray(70000, 's'), old_.addDays(-400));
        testutil::writeFile(src_ + "/bilder/2023/jul.png", "jul", old_.addSecs(-3600));
        testutil::writeFile(src_ + "/.config/inst.ini", "x=1", old_);
        testutil::makeDir(src_ + "/tom");
        testutil::makeDir(dst_);
        files_ = {"brev.txt", ".dold", "bilder/sol.jpg", "bilder/2023/jul.png", ".config/inst.ini"};
    }

    testutil::JobSpec job(const QString& name) const { return testutil::jobOver(name, src_, dst_); }
    void write(const testutil::JobSpec& j) const { testutil::writeJob(program_.path() + "/Listor", j); }
    testutil::RunResult run(const QString& argument) const {
        return testutil::runProgram(program_.path(), {argument});
    }
    QStringList log() const { return testutil::readLines(program_.path() + "/log.txt"); }
    QString logText() const { return log().join('\n'); }
    QStringList savedLogs() const {
        return QDir(program_.path() + "/Sparade loggar").entryList(QDir::Files, QDir::Name);
    }
    // Where the relative path type puts a source file.
    QString target(const QString& rel) const { return dst_ + src_ + '/' + rel; }

    QTemporaryDir program_, work_;
    QString src_, dst_;
    QDateTime old_;
    QStringList files_;
};

TEST_F(CommandLineRun, ABackupCopiesTheWholeTreeExactlyAndARepeatCopiesNothing) {
    write(job("Jobb"));
    const auto r = run("Jobb");
    ASSERT_EQ(r.exitCode, 0) << r.output.toStdString() << logText().toStdString();

    // Exactly the source's files, nothing else (no test file, no half-written copy).
    EXPECT_EQ(testutil::treeFiles(dst_), prefixed(src_.mid(1) + '/', files_));
    EXPECT_TRUE(QFileInfo(target("tom")).isDir());
    for (const QString& f : files_) {
        EXPECT_EQ(testutil::readBytes(target(f)), testutil::readBytes(src_ + '/' + f)) << f.toStdString();
        EXPECT_EQ(testutil::mtimeOf(target(f)), testutil::mtimeOf(src_ + '/' + f)) << f.toStdString();
    }

    QStringList l = log();
    ASSERT_GE(l.size(), 3);
    EXPECT_EQ(l.at(0), "");
    EXPECT_TRUE(l.at(1).startsWith("Startkommando-startad Backup utförd ")) << l.at(1).toStdString();
    for (const QString& f : files_)
        EXPECT_TRUE(l.contains("+ " + target(f))) << f.toStdString() << '\n' << logText().toStdString();
    EXPECT_TRUE(l.contains("5 kopierade filer"));
    EXPECT_TRUE(l.contains("Spegling: NEJ"));
    EXPECT_EQ(l.last(), "  Backup slutfördes utan fel.");

    // The saved copy is the finished log under a name that sums up the run.
    QStringList saved = savedLogs();
    ASSERT_EQ(saved.size(), 1);
    EXPECT_TRUE(saved.at(0).startsWith("log ")) << saved.at(0).toStdString();
    EXPECT_TRUE(saved.at(0).endsWith(
        mb(" Startkommando-startad Backup av JOBB. 5 filer av 5 kopierades. 0,07 MB. Inga fel.txt")))
        << saved.at(0).toStdString();
    EXPECT_EQ(testutil::readBytes(program_.path() + "/Sparade loggar/" + saved.at(0)),
              testutil::readBytes(program_.path() + "/log.txt"));

    // Nothing changed: nothing is copied and the copies keep their times.
    const QDateTime before = QFileInfo(target("brev.txt")).lastModified();
    const auto r2 = run("Jobb");
    ASSERT_EQ(r2.exitCode, 0) << r2.output.toStdString() << logText().toStdString();
    l = log();
    EXPECT_TRUE(l.contains("0 kopierade filer")) << logText().toStdString();
    EXPECT_TRUE(l.contains("  5 filer genomsöktes totalt."));
    for (const QString& line : l)
        EXPECT_FALSE(line.startsWith("+ ") || line.startsWith("  /")) << line.toStdString();
    EXPECT_EQ(QFileInfo(target("brev.txt")).lastModified(), before);
    EXPECT_EQ(savedLogs().size(), 2);

    // An unknown job copies nothing and says so through its exit status.
    EXPECT_EQ(run("Jobb finns inte").exitCode, 1);
    EXPECT_EQ(run("jobb").exitCode, 1);
}

TEST_F(CommandLineRun, AChangedFileReplacesItsCopyAndTheOldCopyIsKeptAsAVersion) {
    testutil::JobSpec j = job("Jobb");
    const QString versions = work_.path() + "/Versioner";
    j.versioning = {"JA", "", "", "3", versions};
    write(j);
    ASSERT_EQ(run("Jobb").exitCode, 0) << logText().toStdString();
    EXPECT_FALSE(QDir(versions).exists()) << "nothing was replaced yet";

    const QDateTime changed = old_.addSecs(3600);
    testutil::writeFile(src_ + "/brev.txt", "hej igen", changed);
    const auto r = run("Jobb");
    ASSERT_EQ(r.exitCode, 0) << r.output.toStdString() << logText().toStdString();

    EXPECT_EQ(testutil::readBytes(target("brev.txt")), QByteArray("hej igen"));
    EXPECT_EQ(testutil::mtimeOf(target("brev.txt")), changed.toSecsSinceEpoch());
    const QString stamp = old_.toString("yyyy-MM-dd HH;mm;ss");
    const QString versionRel = src_.mid(1) + "/brev[" + stamp + "].txt";
    ASSERT_EQ(testutil::treeFiles(versions), QStringList{versionRel});
    EXPECT_EQ(testutil::readBytes(versions + '/' + versionRel), QByteArray("hej"));
    // Only the changed file was touched.
    EXPECT_EQ(testutil::treeFiles(dst_), prefixed(src_.mid(1) + '/', files_));
    EXPECT_EQ(testutil::readBytes(target("bilder/sol.jpg")).size(), 70000);

    const QStringList l = log();
    EXPECT_TRUE(l.contains("  " + target("brev.txt"))) << logText().toStdString();
    EXPECT_TRUE(l.contains("1 kopierad fil"));
    EXPECT_TRUE(l.contains("1 äldre fil sparad av versionshantering"));
    EXPECT_TRUE(l.contains("  1 äldre fil sparad av versionshantering."));
    EXPECT_TRUE(testutil::readLines(program_.path() + "/log_filversion.txt")
                    .contains("+ " + versions + '/' + versionRel));
}

TEST_F(CommandLineRun, NamesThatAreLegalOnLinuxAreCopiedAndMirroredLikeAnyOther) {
    const QStringList odd = {"a*b.txt",   "fråga?.txt",         "-rf",      " blanka .txt",  "semi;kolon.txt",
                             "[hak].txt", "stjärn*mapp/in.txt", "100%.txt", "kolon:namn.txt"};
    for (const QString& f : odd)
        testutil::writeFile(src_ + '/' + f, f.toUtf8(), old_);
    write(job("Jobb"));
    const auto r = run("Jobb");
    ASSERT_EQ(r.exitCode, 0) << r.output.toStdString() << logText().toStdString();
    for (const QString& f : odd)
        EXPECT_EQ(testutil::readBytes(target(f)), f.toUtf8()) << f.toStdString();

    // Nothing was removed at the source, so a mirror run deletes none of them.
    const QStringList before = testutil::treeFiles(dst_);
    const auto r2 = run("Jobb,1");
    ASSERT_EQ(r2.exitCode, 0) << r2.output.toStdString() << logText().toStdString();
    EXPECT_EQ(testutil::treeFiles(dst_), before);
    QFile::remove(src_ + "/a*b.txt");
    QDir(src_ + "/stjärn*mapp").removeRecursively();
    write(job("Jobb"));
    const auto r3 = run("Jobb,1");
    ASSERT_EQ(r3.exitCode, 0) << r3.output.toStdString() << logText().toStdString();
    EXPECT_FALSE(QFile::exists(target("a*b.txt")));
    EXPECT_FALSE(QFileInfo::exists(target("stjärn*mapp")));
    EXPECT_EQ(testutil::treeFiles(dst_).size(), before.size() - 2);
}

TEST_F(CommandLineRun, ProgramsAroundTheJobAreEndedBeforeAndStartedAfterIt) {
    const QString name = QStringLiteral("tamrele2e%1").arg(QCoreApplication::applicationPid());
    const QString holder = work_.path() + '/' + name;
    ASSERT_TRUE(QFile::copy("/bin/sleep", holder));
    QFile::setPermissions(holder, QFile::permissions(holder) | QFile::ExeOwner);
    qint64 pid = 0;
    ASSERT_TRUE(QProcess::startDetached(holder, {"600"}, QString(), &pid));
    const QString after = work_.path() + "/efter.sh";
    testutil::writeFile(after, "#!/bin/sh\necho klar > \"$(dirname \"$0\")/klar.txt\"\n");
    QFile::setPermissions(after, QFile::permissions(after) | QFile::ExeOwner);
    testutil::JobSpec j = job("Jobb");
    j.programs = {name, after};
    write(j);

    const auto r = run("Jobb");
    EXPECT_EQ(r.exitCode, 0) << r.output.toStdString() << logText().toStdString();
    const QStringList l = log();
    const qsizetype closed = l.indexOf("Stängde 1 instans(er) av programmet " + name);
    ASSERT_GE(closed, 0) << logText().toStdString();
    EXPECT_LT(closed, l.indexOf("+ " + target("brev.txt")));
    EXPECT_GT(l.indexOf("Startade filen " + after), l.indexOf("5 kopierade filer"));
    // The started program runs on its own; it is given ample time to leave its mark.
    for (int i = 0; i < 500 && !QFile::exists(work_.path() + "/klar.txt"); ++i)
        QThread::msleep(20);
    EXPECT_EQ(testutil::readBytes(work_.path() + "/klar.txt"), QByteArray("klar\n"));
    const QByteArray stat = testutil::readBytes(QStringLiteral("/proc/%1/stat").arg(pid));
    const bool alive = !stat.isEmpty() && stat.at(stat.lastIndexOf(')') + 2) != 'Z';
    EXPECT_FALSE(alive);
    if (alive)
        ::kill(pid_t(pid), SIGKILL);
}

TEST_F(CommandLineRun, ABackupFolderOnADiskThatIsNotThereIsNeverCreated) {
    const QString disk = QStringLiteral("/mnt/tamrel-saknas-%1").arg(QCoreApplication::applicationPid());
    ASSERT_FALSE(QFileInfo::exists(disk));
    testutil::JobSpec j = job("Jobb");
    j.backupFolder = disk + "/Backup";
    write(j);
    const auto r = run("Jobb");
    EXPECT_EQ(r.exitCode, 1) << r.output.toStdString();
    EXPECT_FALSE(QFileInfo::exists(disk));
    EXPECT_TRUE(log().contains("De jobb du valt gick inte att skriva till. Avslutar körningen."))
        << logText().toStdString();
}

// Mirroring a job whose main folder's content goes straight into the backup folder, with the
// job's version folder inside it and links to things outside it.
class MirrorRun : public CommandLineRun {
  protected:
    void SetUp() override {
        CommandLineRun::SetUp();
        versions_ = dst_ + "/Versioner";
        outside_ = work_.path() + "/Utanför";
        testutil::writeFile(outside_ + "/viktig.txt", "rör ej");
        testutil::writeFile(outside_ + "/annan.txt", "rör ej heller");
        testutil::writeFile(versions_ + "/brev[2020-01-01 10;00;00].txt", "gammal");
        write(mirrorJob());
        ASSERT_EQ(run("Spegel").exitCode, 0) << logText().toStdString();
        ASSERT_TRUE(QFile::exists(dst_ + "/bilder/2023/jul.png"));
        ASSERT_TRUE(QFile::link(outside_, dst_ + "/länk"));
        ASSERT_TRUE(QFile::link(outside_ + "/annan.txt", dst_ + "/bilder/fillänk.txt"));
        testutil::writeFile(dst_ + "/.skräp", "bort");
    }
    testutil::JobSpec mirrorJob() const {
        testutil::JobSpec j = job("Spegel");
        j.options = {"NEJ", "NEJ", "1", "NEJ", "NEJ"};
        j.versioning = {"JA", "", "", "5", versions_};
        return j;
    }
    // The user removes source folders and lets the job's folder list follow.
    void removeFromSource(const QStringList& rel) {
        for (const QString& r : rel) {
            const QString p = src_ + '/' + r;
            if (QFileInfo(p).isDir())
                QDir(p).removeRecursively();
            else
                QFile::remove(p);
        }
        write(mirrorJob());
    }
    QStringList schemasync() const {
        return QDir(program_.path() + "/Schemasync").entryList({"*.schemasync"}, QDir::Files);
    }

    QString versions_, outside_;
};

TEST_F(MirrorRun, MirroringDeletesExactlyWhatTheSourceNoLongerHas) {
    removeFromSource({"brev.txt", "bilder/2023"});
    const auto r = run("Spegel,1");
    ASSERT_EQ(r.exitCode, 0) << r.output.toStdString() << logText().toStdString();

    EXPECT_EQ(testutil::treeFiles(dst_),
              QStringList({".config/inst.ini", ".dold", "Versioner/brev[2020-01-01 10;00;00].txt",
                           "bilder/sol.jpg"}));
    EXPECT_FALSE(QFileInfo::exists(dst_ + "/bilder/2023"));
    EXPECT_TRUE(QFileInfo(dst_ + "/tom").isDir());
    // What the links pointed at is untouched; the links themselves are gone like any other leftover.
    EXPECT_EQ(testutil::readBytes(outside_ + "/viktig.txt"), QByteArray("rör ej"));
    EXPECT_EQ(testutil::readBytes(outside_ + "/annan.txt"), QByteArray("rör ej heller"));
    EXPECT_FALSE(QFileInfo(dst_ + "/länk").isSymLink());
    EXPECT_FALSE(QFileInfo(dst_ + "/bilder/fillänk.txt").isSymLink());
    // The source is as the user left it.
    EXPECT_EQ(testutil::treeFiles(src_), QStringList({".config/inst.ini", ".dold", "bilder/sol.jpg"}));

    const QStringList l = log();
    EXPECT_TRUE(l.contains("- Raderad fil för spegling: " + dst_ + "/brev.txt")) << logText().toStdString();
    EXPECT_TRUE(l.contains("- Raderad fil för spegling: " + dst_ + "/.skräp"));
    EXPECT_TRUE(l.contains("- Raderad mapp för spegling: " + dst_ + "/bilder/2023"));
    for (const QString& line : l)
        EXPECT_FALSE(line.contains("Versioner")) << line.toStdString();
    EXPECT_TRUE(l.contains("Spegling: JA"));
    const qsizetype section = l.indexOf("Spegling:");
    ASSERT_GE(section, 0) << logText().toStdString();
    EXPECT_EQ(l.mid(section + 1, 4),
              QStringList({"  2 mappar raderades, 1 fil.", "  3 enstaka filer raderades.",
                           "  Totalt 4 raderade filer.", mb("  0,00 MB raderat.")}));
    EXPECT_EQ(l.last(), "  Backup slutfördes utan fel.");
    EXPECT_TRUE(schemasync().isEmpty());
}

TEST_F(MirrorRun, ASimulatedMirrorDeletesNothingAndSavesTheLeftoverList) {
    removeFromSource({"bilder/sol.jpg", "tom"});
    const QStringList before = testutil::treeFiles(dst_);
    const auto r = run("Spegel,2");
    ASSERT_EQ(r.exitCode, 0) << r.output.toStdString() << logText().toStdString();

    EXPECT_EQ(testutil::treeFiles(dst_), before);
    EXPECT_TRUE(QFileInfo(dst_ + "/tom").isDir());
    EXPECT_TRUE(QFileInfo(dst_ + "/länk").isSymLink());

    const QStringList l = log();
    EXPECT_TRUE(l.contains("- Raderad fil för spegling:  (simulerad) " + dst_ + "/bilder/sol.jpg"))
        << logText().toStdString();
    EXPECT_TRUE(l.contains("- Raderad mapp för spegling:  (simulerad) " + dst_ + "/tom"));
    EXPECT_TRUE(l.contains("Spegling: JA (simulerad)"));
    EXPECT_TRUE(l.contains("Spegling (simulerad):"));
    EXPECT_TRUE(l.contains("Filer och mappar som raderats manuellt från speglingsloggen loggas inte i denna "
                           "loggfil."));

    const QStringList lists = schemasync();
    ASSERT_EQ(lists.size(), 1);
    const QStringList entries = testutil::readLines(program_.path() + "/Schemasync/" + lists.at(0));
    EXPECT_TRUE(entries.contains(dst_ + "/bilder/sol.jpg")) << entries.join('\n').toStdString();
    EXPECT_TRUE(entries.contains(dst_ + "/tom/"));
    EXPECT_TRUE(entries.contains(dst_ + "/länk/"));
    for (const QString& e : entries)
        EXPECT_FALSE(e.startsWith(versions_)) << e.toStdString();

    // A mirror run of a job that does not exist touches nothing.
    EXPECT_EQ(run("Finns inte,1").exitCode, 1);
    EXPECT_EQ(testutil::treeFiles(dst_), before);
}

TEST_F(MirrorRun, ASourceThatIsGoneAltogetherDeletesNothing) {
    const QStringList before = testutil::treeFiles(dst_);
    QDir(src_).removeRecursively();
    const auto r = run("Spegel,1");
    EXPECT_EQ(r.exitCode, 1) << r.output.toStdString() << logText().toStdString();
    EXPECT_EQ(testutil::treeFiles(dst_), before);
    for (const QString& line : log())
        EXPECT_FALSE(line.startsWith("- Raderad")) << line.toStdString();
    EXPECT_TRUE(log().contains(
        "FEL: Följande mappar (inkl. undermappar) kunde inte kopieras eftersom de inte existerar:"));
}

TEST_F(MirrorRun, WithTheMainFolderNameOnTopOnlyLeftoversGo) {
    testutil::JobSpec j = mirrorJob();
    j.name = "Topp";
    j.options = {"NEJ", "NEJ", "1", "JA", "NEJ"};
    // Spegel's copies stay beside it, but not its job: the two jobs' copies would share a folder.
    for (const QString& f : QDir(program_.path() + "/Listor").entryList({"Spegel.*"}, QDir::Files))
        QFile::remove(program_.path() + "/Listor/" + f);
    write(j);
    ASSERT_EQ(run("Topp").exitCode, 0) << logText().toStdString();
    const QString top = dst_ + "/Källa";
    ASSERT_EQ(testutil::readBytes(top + "/bilder/2023/jul.png"), QByteArray("jul"));
    testutil::writeFile(top + "/bilder/gammal.txt", "bort");
    const auto r = run("Topp,1");
    ASSERT_EQ(r.exitCode, 0) << r.output.toStdString() << logText().toStdString();
    EXPECT_FALSE(QFile::exists(top + "/bilder/gammal.txt"));
    EXPECT_EQ(testutil::treeFiles(top), QStringList({".config/inst.ini", ".dold", "bilder/2023/jul.png",
                                                     "bilder/sol.jpg", "brev.txt"}));
    // The other job's copies beside it are not this job's to mirror.
    EXPECT_TRUE(QFile::exists(dst_ + "/bilder/sol.jpg"));
}

} // namespace
