// Saving a job from the editor: the file set on disk, the checks and their order, the backup
// folder question, overwriting, and failures that must leave the old job whole.
#include "support/fixture.h"

#include "editor/editor_script.h"
#include "editor/job_editor_window.h"
#include "editor/job_set_writer.h"
#include "editor/reporter_script.h"
#include "platform/errors.h"
#include "platform/paths.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QTimer>
#include <cerrno>

using editor_script::bytes;
using editor_script::crlf;

class SavingTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        testutil::makeDir(path("Listor"));
        reporter = reporter_script::probe(dialogs());
        main = prog().form<frmmain>();
        src = work("Dokument");
        backup = work("Backup");
        testutil::makeDir(src + "/Brev");
        testutil::makeDir(backup);
    }
    void expectReport(const QString& text) { reporter_script::expect(dialogs(), reporter, text); }

    // A fresh, hidden editor holding a job that passes every check.
    frmaddmapp* validEditor(const QString& name) {
        frmaddmapp* e = prog().form<frmaddmapp>();
        e->txtnamn->setEditText(name);
        e->combomappar->addItem(src);
        e->lstFoundFiles->addItems({src, src + "/Brev"});
        e->txtbackupmapp->setEditText(backup);
        return e;
    }
    QStringList groupFiles() const {
        return QDir(path("Listor")).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    void writeJob(const QString& name) {
        testutil::JobSpec j;
        j.name = name;
        j.folders = {src, src + "/Brev"};
        j.mainFolders = {src};
        j.backupFolder = backup;
        testutil::writeJob(path("Listor"), j);
    }

    reporter_script::Form reporter;
    frmmain* main = nullptr;
    QString src;
    QString backup;
};

TEST_F(SavingTest, NewJobThroughTheWindowWritesTheFileSetLineByLine) {
    const QString pictures = work("Bilder");
    testutil::makeDir(pictures);
    dialogs().expectWindow(QStringLiteral("frmaddmapp"), [&](QWidget* w) {
        auto* e = static_cast<frmaddmapp*>(w);
        e->txtnamn->setEditText(QStringLiteral("Familj"));
        e->combomappar->addItems({src, pictures});
        e->lstFoundFiles->addItems({src, src + "/Brev", pictures});
        e->listpattern->addItems({QStringLiteral("*.doc"), QStringLiteral("*.xls")});
        e->listexpattern->addItem(QStringLiteral("*.tmp"));
        e->listmappfilter->addItems({QStringLiteral("Temp"), QStringLiteral("Cache")});
        e->txtexmb->setText(QStringLiteral("10"));
        e->liststartstopp_stopp->addItem(QStringLiteral("thunderbird"));
        e->liststartstopp_start->addItems(
            {QStringLiteral("\"/opt/my app/run\""), QStringLiteral("notes.txt")});
        e->txtbackupmapp->setEditText(backup + "/");
        e->chksynkroniseraej->setChecked(true);
        e->chkignorerasaknadenhet->setChecked(true);
        e->cmdok->click();
    });
    main->cmdny_Click();

    const JobFiles job(QStringLiteral("Familj"));
    EXPECT_EQ(bytes(job.path(0)), crlf({src, src + "/Brev", pictures}));
    EXPECT_EQ(bytes(job.path(1)), crlf({src, pictures}));
    EXPECT_EQ(bytes(job.path(2)), crlf({backup}));
    EXPECT_EQ(bytes(job.path(3)), crlf({"*.doc;*.xls", "*.tmp", "Thumbs.db", "Temp * Cache", "10"}));
    EXPECT_EQ(bytes(job.path(4)), crlf({"JA", "JA", "0", "NEJ", "JA"}));
    EXPECT_EQ(bytes(job.path(5)), QByteArray());
    EXPECT_TRUE(QFile::exists(job.path(5)));
    EXPECT_EQ(bytes(job.path(8)), crlf({"thunderbird", "\"/opt/my app/run\" ;; notes.txt"}));
    EXPECT_EQ(bytes(job.path(9)), crlf({"NEJ", "", "", "10", ""}));
    // Nothing else: no schedule, no last run, no temporary leftovers.
    EXPECT_EQ(groupFiles(), QStringList({"Familj.000", "Familj.001", "Familj.002", "Familj.003", "Familj.004",
                                         "Familj.005", "Familj.008", "Familj.009"}));
    EXPECT_TRUE(main->chkload);
    EXPECT_EQ(prog().loaded<frmaddmapp>(), nullptr);
}

TEST_F(SavingTest, EditingAndSavingAgainChangesOnlyWhatWasEdited) {
    const QString versions = work("Versioner");
    const QString other = work("Annan backup");
    testutil::makeDir(src + "/Gammal");
    testutil::makeDir(other);
    testutil::JobSpec j;
    j.name = QStringLiteral("Arbete");
    j.folders = {src, src + "/Brev"};
    j.mainFolders = {src};
    j.backupFolder = backup;
    j.options = {"JA", "NEJ", "1", "JA", "NEJ"};
    j.excluded = {src + "/Gammal"};
    j.versioning = {"JA", "jpg;png", "", "5", versions};
    j.filters = {"*.doc;*.xls", "*.tmp", "Thumbs.db", "Temp * Cache", "25"};
    j.programs = {"thunderbird", "\"/opt/my app/run\" ;; notes.txt"};
    testutil::writeJob(path("Listor"), j);
    const JobFiles job(j.name);
    testutil::writeLines(job.path(6), {" 1 ", " 0 ", "08:30", "0234560", " 0 "});
    testutil::writeLines(job.path(7), {"2026-12-01 08:30", "Schemalagd"});
    const QList<QByteArray> before = editor_script::jobBytes(j.name);

    editor_script::selectJob(j.name);
    dialogs().expectWindow(QStringLiteral("frmaddmapp"), [&](QWidget* w) {
        auto* e = static_cast<frmaddmapp*>(w);
        EXPECT_EQ(e->caption(), QStringLiteral("Ändra jobb"));
        e->txtbackupmapp->setEditText(other);
        e->cmdok->click();
    });
    main->cmdändra_Click();

    const QList<QByteArray> after = editor_script::jobBytes(j.name);
    for (int n = 0; n <= 10; ++n) {
        if (n == 2)
            EXPECT_EQ(after[n], crlf({other}));
        else
            EXPECT_EQ(after[n], before[n]) << "file " << n;
    }
}

TEST_F(SavingTest, MissingBackupFolderIsCreatedOnYesKeptMissingOnNoAndReportedWhenItCannotBe) {
    const QString deep = work("Ny/Djup/Backup");
    frmaddmapp* e = validEditor(QStringLiteral("Ja"));
    e->txtbackupmapp->setEditText(deep);
    dialogs().expectMessage(QStringLiteral("Backupmappen du valt finns inte.\r\n") + deep +
                                QStringLiteral("\r\n\r\nVill du skapa den nu?"),
                            platform::Answer::Yes);
    e->cmdok_Click();
    EXPECT_TRUE(QFileInfo(deep).isDir());
    EXPECT_EQ(bytes(JobFiles(QStringLiteral("Ja")).path(2)), crlf({deep}));

    const QString never = work("Aldrig");
    e = validEditor(QStringLiteral("Nej"));
    e->txtbackupmapp->setEditText(never);
    dialogs().expectMessage(QStringLiteral("Vill du skapa den nu?"), platform::Answer::No);
    e->cmdok_Click();
    EXPECT_FALSE(QFileInfo::exists(never));
    EXPECT_TRUE(JobFiles(QStringLiteral("Nej")).exists());

    // A folder that cannot be created: the message, the storage tab, nothing written.
    platform::injectFault(work("Spärrad"), EACCES);
    e = validEditor(QStringLiteral("Spärr"));
    e->txtbackupmapp->setEditText(work("Spärrad/Backup"));
    dialogs().expectMessage(QStringLiteral("Vill du skapa den nu?"), platform::Answer::Yes);
    expectReport(QStringLiteral("Backupmappen kunde inte skapas!"));
    e->cmdok_Click();
    EXPECT_EQ(e->selectedTab(), 5);
    EXPECT_EQ(e->frontPage(), e->Frame7);
    EXPECT_FALSE(JobFiles(QStringLiteral("Spärr")).exists());
    EXPECT_EQ(prog().loaded<frmaddmapp>(), e);
}

TEST_F(SavingTest, NamesThatCannotBeAJobFileNameAreRefusedBeforeAnyOtherCheck) {
    const QString message =
        QStringLiteral("Namnet för det här jobbet innehåller ett otillåtet tecken. Följande "
                       "tecken är otillåtna:\r\n\r\n\\ / : * ? \" < > |");
    const QString hidden = QStringLiteral("Namnet för det här jobbet får inte börja med en punkt (.), "
                                          "eftersom jobbet då inte skulle visas i jobblistan.");
    const QStringList names = {"a:b", "a/b", "a\\b", "a*b", "a?b", "a\"b", "a|b", ".:", ".", "..", ".dold"};
    for (const QString& name : names) {
        frmaddmapp* e = prog().form<frmaddmapp>();
        e->txtnamn->setEditText(name); // folder list and backup folder left empty
        e->visa_flik(3);
        // A name beginning with a dot says so, not that it holds one of nine characters it lacks.
        expectReport(name.startsWith('.') && name != ".:" ? hidden : message);
        e->cmdok_Click();
        EXPECT_EQ(e->selectedTab(), 0) << name.toStdString();
        EXPECT_EQ(prog().loaded<frmaddmapp>(), e);
        prog().unload<frmaddmapp>();
    }
    EXPECT_EQ(groupFiles(), QStringList());

    // Angle brackets never reach saving: the name field turns them into « and ».
    frmaddmapp* e = validEditor(QStringLiteral("a<b>"));
    EXPECT_EQ(e->txtnamn->currentText(), QStringLiteral("a«b»"));
    e->cmdok_Click();
    EXPECT_TRUE(JobFiles(QStringLiteral("a«b»")).exists());
}

// The command line reads ",1" and ",2" at the end as mirroring: no job of such a name could be run
// from it alone. A job saved under one before keeps its name.
TEST_F(SavingTest, ANewNameEndingLikeTheCommandLinesMirroringIsRefusedWhenSavedOrRenamed) {
    const QString why = QStringLiteral("Namnet för det här jobbet får inte sluta med \",1\" eller \",2\", "
                                       "eftersom startkommandot läser \",1\" i slutet som spegling");
    for (const QString& name : {QStringLiteral("Rapport,1"), QStringLiteral("Rapport,2")}) {
        expectReport(why);
        validEditor(name)->cmdok_Click();
        prog().unload<frmaddmapp>();
    }
    EXPECT_EQ(groupFiles(), QStringList());

    writeJob(QStringLiteral("Gammal,1"));
    frmaddmapp* e = validEditor(QStringLiteral("Gammal,1"));
    testutil::makeDir(work("Ny"));
    e->txtbackupmapp->setEditText(work("Ny"));
    e->cmdok_Click();
    EXPECT_EQ(JobFiles(QStringLiteral("Gammal,1")).readBackupFolder(), work("Ny"));

    e = validEditor(QStringLiteral("Gammal,1"));
    const QStringList before = groupFiles();
    dialogs().expectInput(QStringLiteral("Välj nytt namn"), QStringLiteral("Rapport,2"));
    expectReport(why);
    e->cmdbytnamn->click();
    EXPECT_EQ(groupFiles(), before);
}

// Every file of a job's set, the hidden ones saving writes beside it included, must fit in a file
// name; a name too long for that is refused, with the reason, and the longest allowed one saves.
TEST_F(SavingTest, ANameTooLongForTheFilesOfItsSetIsRefusedAndTheLongestOneSaves) {
    const QString longest = QString(120, QChar(0x00D6)); // "Ö": 240 bytes
    const QString tooLong = longest + QLatin1Char('M');
    const QString why =
        QStringLiteral("Namnet för det här jobbet är för långt: det är 241 byte, och högst 240 "
                       "byte får plats i jobbets filnamn");
    expectReport(why);
    validEditor(tooLong)->cmdok_Click();
    EXPECT_EQ(groupFiles(), QStringList());
    prog().unload<frmaddmapp>();

    // Saved new, then again over its own files.
    for (int i = 0; i < 2; ++i)
        validEditor(longest)->cmdok_Click();
    EXPECT_TRUE(JobFiles(longest).exists());
    EXPECT_EQ(groupFiles().filter(QStringLiteral(".~")), QStringList());

    frmaddmapp* e = validEditor(longest);
    const QStringList before = groupFiles();
    dialogs().expectInput(QStringLiteral("Välj nytt namn"), tooLong);
    expectReport(why);
    e->cmdbytnamn->click();
    EXPECT_EQ(groupFiles(), before);
}

// One rule for a job's name, whether it is saved from the editor or given with "Ändra namn": each
// refusal says which part of the rule the name breaks, and nothing is written or moved.
TEST_F(SavingTest, SavingAndRenamingRefuseTheSameNamesAndSayWhy) {
    const struct {
        const char* what;
        QString name;
        QString why; // empty: the name is taken
    } cases[] = {
        {"a tab", QStringLiteral("a\tb"), QStringLiteral("innehåller ett styrtecken")},
        {"a trailing blank", QStringLiteral("a,1 "),
         QStringLiteral("får inte börja eller sluta med ett blanksteg")},
        {"a backslash", QStringLiteral("a\\b"), QStringLiteral("innehåller ett otillåtet tecken")},
        {"a colon", QStringLiteral("a:b"), QStringLiteral("innehåller ett otillåtet tecken")},
        {"the mirror ending", QStringLiteral("a,1"),
         QStringLiteral("får inte sluta med \",1\" eller \",2\"")},
        {"241 bytes", QString(120, QChar(0x00D6)) + QLatin1Char('M'),
         QStringLiteral("är för långt: det är 241 byte")},
        {"a good name", QStringLiteral("Semester 2024"), QString()},
    };
    writeJob(QStringLiteral("Gammal"));
    // Its own backup folder: two jobs whose copies land in one folder are not saved.
    JobFiles(QStringLiteral("Gammal")).writeBackupFolder(work("Gammal"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const bool taken = c.why.isEmpty();
        if (!taken)
            expectReport(c.why);
        validEditor(c.name)->cmdok_Click();
        EXPECT_EQ(JobFiles(c.name).exists(), taken);
        prog().unload<frmaddmapp>();
        if (taken)
            JobFiles(c.name).remove(10);

        frmaddmapp* e = validEditor(QStringLiteral("Gammal"));
        dialogs().expectInput(QStringLiteral("Välj nytt namn"), c.name);
        if (!taken)
            expectReport(c.why);
        e->cmdbytnamn->click();
        EXPECT_EQ(JobFiles(c.name).exists(), taken);
        EXPECT_EQ(JobFiles(QStringLiteral("Gammal")).exists(), !taken);
        prog().unload<frmaddmapp>();
    }
}

TEST_F(SavingTest, RefusedChecksComeInOrderShowTheirTabAndWriteNoJobFile) {
    struct Case {
        const char* what;
        std::function<void(frmaddmapp*)> change;
        const char* message;
        int tab;
    };
    const std::vector<Case> cases = {
        {"empty name and no folders: folders first",
         [](frmaddmapp* e) {
             e->txtnamn->setEditText(QString());
             e->lstFoundFiles->clear();
         },
         "Du har inte valt några mappar för det här jobbet!", 1},
        {"empty name", [](frmaddmapp* e) { e->txtnamn->setEditText(QString()); },
         "Du måste ange ett namn för det här jobbet!", 0},
        {"empty backup folder", [](frmaddmapp* e) { e->txtbackupmapp->setEditText(QString()); },
         "Du måste ange en backupmapp för det här jobbet!", 5},
        {"file type with a blank",
         [](frmaddmapp* e) { e->listpattern->addItem(QStringLiteral("*.doc *.xls")); },
         "De angivna filtyperna för det här jobbet verkar inte vara korrekt.", 0},
        {"excluded type without a star",
         [](frmaddmapp* e) { e->listexpattern->addItem(QStringLiteral(".tmp")); },
         "De angivna exkluderade filtyperna för det här jobbet verkar inte vara korrekt.", 2},
        {"size that is no number", [](frmaddmapp* e) { e->txtexmb->setText(QStringLiteral("abc")); },
         "Du måste ange en giltig maxstorlek för filer!", 2},
        {"negative size", [](frmaddmapp* e) { e->txtexmb->setText(QStringLiteral("-5")); },
         "Du måste ange en giltig maxstorlek för filer!", 2},
        {"negative number of versions",
         [](frmaddmapp* e) {
             e->chkversionshantering->setChecked(true);
             e->txtversionmax->setText(QStringLiteral("-3"));
         },
         "Du måste ange hur många filversioner du vill spara för versionshanteringen, 1-999.!", 4},
        {"versioning with a size of nothing",
         [](frmaddmapp* e) {
             e->chkversionshantering->setChecked(true);
             e->txtversion_mb->setText(QStringLiteral("x"));
         },
         "Du måste ange en giltig maxstorlek för filer i versionshanteringen!", 4},
        {"versioning without a number of versions",
         [](frmaddmapp* e) {
             e->chkversionshantering->setChecked(true);
             e->txtversionmax->setText(QString());
         },
         "Du måste ange hur många filversioner du vill spara för versionshanteringen, 1-999.!", 4},
        {"versioning without a folder",
         [](frmaddmapp* e) {
             e->chkversionshantering->setChecked(true);
             e->txtversionmapp->setText(QString());
         },
         "Du måste ange en mapp för sparade filer för versionshanteringen!", 4},
        // The run takes a folder as written: white space at either end names another folder.
        {"a backup folder ending in a blank",
         [this](frmaddmapp* e) { e->txtbackupmapp->setEditText(backup + " "); }, "Backupmappen \"", 5},
        {"a version folder beginning with a tab",
         [this](frmaddmapp* e) { e->txtversionmapp->setText("\t" + work("Versioner")); },
         "Mappen för sparade filer \"\t", 4},
        {"a main folder ending in a no-break space",
         [this](frmaddmapp* e) { e->combomappar->addItem(work("Annan") + QChar(0x00A0)); }, "Källmappen \"",
         1},
        {"a folder of the list ending in a blank that is not there so",
         [this](frmaddmapp* e) { e->lstFoundFiles->addItem(src + "/Brev "); }, "Mappen \"", 1},
    };
    for (const Case& c : cases) {
        frmaddmapp* e = validEditor(QStringLiteral("Nekad"));
        c.change(e);
        expectReport(QString::fromUtf8(c.message));
        e->cmdok_Click();
        EXPECT_EQ(e->selectedTab(), c.tab) << c.what;
        EXPECT_EQ(prog().loaded<frmaddmapp>(), e) << c.what;
        EXPECT_FALSE(main->chkload) << c.what;
        prog().unload<frmaddmapp>();
    }
    EXPECT_EQ(groupFiles(), QStringList());
}

// A backup folder is the program's own (a mirror deletes there what the sources lack): one that is
// the root, the home folder, the program folder, or a source folder or above one is refused on the
// storage tab and nothing is written. The root and the home folder are folders standing in for them.
TEST_F(SavingTest, ABackupFolderThatMayNotBeOneIsRefusedAndNothingIsWritten) {
    const QString root = work("rot");
    const QString home = work("Användare/anna");
    testutil::makeDir(root);
    testutil::makeDir(home);
    const struct {
        const char* what;
        QString backup;
        QString why;
        QString rootStandIn, homeStandIn;
    } cases[] = {
        {"the folder above the source",
         workDir_.path(),
         "är källmappen " + src + " eller en mapp ovanför den",
         {},
         {}},
        {"above a folder of the list that lies in no main folder",
         work("Annan"),
         "är källmappen " + work("Annan/Del") + " eller en mapp ovanför den",
         {},
         {}},
        {"the root", root, "är rotmappen", root, {}},
        {"above the home folder", work("Användare"), "är hemmappen eller en mapp ovanför den", {}, home},
        {"the program folder", programDir_.path(), "innehåller programmappen", {}, {}},
        {"the saved logs in the program folder", path("Sparade loggar"), "ligger i programmappen", {}, {}},
        {"holding another group's job's main folder",
         work("usb"),
         "innehåller källmappen " + work("usb/Foton") + " för jobbet ''Foton''",
         {},
         {}},
    };
    testutil::JobSpec foton;
    foton.name = QStringLiteral("Foton");
    foton.folders = foton.mainFolders = {work("usb/Foton")};
    foton.backupFolder = work("usb/Backup");
    testutil::writeJob(path("Listor2"), foton);
    for (const auto& c : cases) {
        platform::standInSystemFolders(c.rootStandIn, c.homeStandIn);
        frmaddmapp* e = validEditor(QStringLiteral("Nekad"));
        e->lstFoundFiles->addItem(work("Annan/Del"));
        e->txtbackupmapp->setEditText(c.backup);
        expectReport(QStringLiteral("Backupmappen kan inte användas: backupmappen ") + c.why);
        e->cmdok_Click();
        EXPECT_EQ(e->selectedTab(), 5) << c.what;
        EXPECT_EQ(prog().loaded<frmaddmapp>(), e) << c.what;
        prog().unload<frmaddmapp>();
    }
    EXPECT_EQ(groupFiles(), QStringList());
    EXPECT_FALSE(main->chkload);

    // A backup folder kept inside a main folder, which a scan lists with the copies it holds, is
    // the backup's own and no source (the run and the mirror take it so); the backup folder itself
    // is no folder of the list (a scan leaves it out).
    frmaddmapp* e = validEditor(QStringLiteral("Inuti"));
    delete e->lstFoundFiles->takeItem(1);
    const QString copy = src + "/Brev" + src;
    e->lstFoundFiles->addItem(copy);
    e->txtbackupmapp->setEditText(src + "/Brev");
    e->cmdok_Click();
    EXPECT_EQ(bytes(JobFiles(QStringLiteral("Inuti")).path(0)), crlf({src, copy}));

    // A job saved before with such a folder still opens, and stays as it was.
    platform::standInSystemFolders({}, home);
    testutil::JobSpec old;
    old.name = QStringLiteral("Gammal");
    old.folders = {src};
    old.mainFolders = {src};
    old.backupFolder = home;
    testutil::writeJob(path("Listor"), old);
    const QList<QByteArray> before = editor_script::jobBytes(old.name);
    editor_script::selectJob(old.name);
    dialogs().expectWindow(QStringLiteral("frmaddmapp"), [&](QWidget* w) {
        auto* opened = static_cast<frmaddmapp*>(w);
        EXPECT_EQ(opened->txtbackupmapp->currentText(), home);
        expectReport(QStringLiteral("hemmappen"));
        opened->cmdok->click();
        opened->cmdstäng->click();
    });
    main->cmdändra_Click();
    EXPECT_EQ(editor_script::jobBytes(old.name), before);
}

TEST_F(SavingTest, AcceptedValuesAreNormalisedAsTheyAreSaved) {
    frmaddmapp* e = validEditor(QStringLiteral("Normal"));
    // A folder whose name on disk ends in a blank is what a scan lists: it names what it says.
    testutil::makeDir(src + "/Utkast ");
    e->lstFoundFiles->addItem(src + "/Utkast ");
    e->txtexmb->setText(QStringLiteral("10 MB"));
    e->txtbackupmapp->setEditText(backup + "//");
    e->chkversionshantering->setChecked(true);
    e->txtversionmax->setText(QStringLiteral("1000"));
    e->txtversionmapp->setText(work("Versioner/"));
    e->cmdok_Click();
    const JobFiles job(QStringLiteral("Normal"));
    // An empty type field is "*.*"; one trailing separator goes from each folder.
    EXPECT_EQ(testutil::readLines(job.path(3)).value(0), QStringLiteral("*.*"));
    EXPECT_EQ(testutil::readLines(job.path(3)).value(4), QStringLiteral("10 MB"));
    EXPECT_EQ(bytes(job.path(2)), crlf({backup + "/"}));
    EXPECT_EQ(bytes(job.path(9)), crlf({"JA", "", "", "1000", work("Versioner")}));
    EXPECT_EQ(bytes(job.path(0)), crlf({src, src + "/Brev", src + "/Utkast "}));
}

TEST_F(SavingTest, AbsolutePathWithTwoMainFoldersOnlyReports) {
    frmaddmapp* e = validEditor(QStringLiteral("Absolut"));
    e->optsökvägtyp[1]->setChecked(true);
    e->combomappar->addItem(work("Annan"));
    expectReport(
        QStringLiteral("Du kan inte ha mer än en (1) källmapp om du vill ha absolut sökväg i backupmappen!"));
    e->visa_flik(3);
    e->cmdok_Click();
    EXPECT_EQ(e->selectedTab(), 3);
    EXPECT_FALSE(QFile::exists(path("setup_namn.ini")));
    EXPECT_EQ(groupFiles(), QStringList());
}

TEST_F(SavingTest, NewJobWithATakenNameAsksBeforeOverwritingAndKeepsScheduleAndLastRun) {
    writeJob(QStringLiteral("Backup 1"));
    const JobFiles old(QStringLiteral("Backup 1"));
    testutil::writeLines(old.path(6), {" 1 ", " 0 ", "08:30", "0234560", " 0 "});
    testutil::writeLines(old.path(7), {"2026-12-01 08:30", "Manuell"});
    const QList<QByteArray> before = editor_script::jobBytes(old.name());
    const QString question =
        QStringLiteral("Detta namn finns redan för ett annan jobb! (Backup 1)\r\n\r\nVill du "
                       "skriva över den?");
    const QString other = work("Annan");
    testutil::makeDir(other);

    auto fill = [&](frmaddmapp* e) {
        e->show(); // new mode needs a visible window
        EXPECT_EQ(e->txtnamn->currentText(), QStringLiteral("Backup 2"));
        e->txtnamn->setEditText(QStringLiteral("Backup 1"));
        e->combomappar->addItem(other);
        e->lstFoundFiles->addItem(other);
        e->txtbackupmapp->setEditText(backup);
    };
    dialogs().expectWindow(QStringLiteral("frmaddmapp"), [&](QWidget* w) {
        auto* e = static_cast<frmaddmapp*>(w);
        fill(e);
        dialogs().expectMessage(question, platform::Answer::Cancel);
        e->cmdok->click();
        EXPECT_EQ(e->selectedTab(), 1);
        EXPECT_EQ(prog().loaded<frmaddmapp>(), e);
    });
    main->cmdny_Click();
    EXPECT_EQ(editor_script::jobBytes(old.name()), before);

    dialogs().expectWindow(QStringLiteral("frmaddmapp"), [&](QWidget* w) {
        auto* e = static_cast<frmaddmapp*>(w);
        fill(e);
        dialogs().expectMessage(question, platform::Answer::Ok);
        e->cmdok->click();
    });
    main->cmdny_Click();
    const QList<QByteArray> after = editor_script::jobBytes(old.name());
    EXPECT_EQ(after[0], crlf({other}));
    EXPECT_EQ(after[6], before[6]);
    EXPECT_EQ(after[7], before[7]);
}

TEST_F(SavingTest, AFailedSaveLeavesTheOldJobWholeAndIsReported) {
    writeJob(QStringLiteral("Hel"));
    const QList<QByteArray> before = editor_script::jobBytes(QStringLiteral("Hel"));
    const QString other = work("Annan");
    testutil::makeDir(other);

    // Writing a new file fails (full disk).
    platform::injectFault(savingTemporary(JobFiles(QStringLiteral("Hel"))).path(4), ENOSPC);
    frmaddmapp* e = validEditor(QStringLiteral("Hel"));
    e->txtbackupmapp->setEditText(other);
    expectReport(QStringLiteral("Ett fel uppstod när jobbet skulle sparas."));
    e->cmdok_Click();
    EXPECT_EQ(editor_script::jobBytes(QStringLiteral("Hel")), before);
    EXPECT_EQ(groupFiles().filter(QStringLiteral(".~")), QStringList());
    EXPECT_TRUE(main->txtsyslogg->toPlainText().contains(
        QStringLiteral("Ett fel uppstod när jobbet skulle sparas.")));
    EXPECT_TRUE(main->txtsyslogg->toPlainText().contains(QStringLiteral("Jobb, ok/spara")));
    EXPECT_EQ(prog().loaded<frmaddmapp>(), e);
    EXPECT_FALSE(e->picstänginfo->isVisibleTo(e));
    EXPECT_FALSE(main->chkload);
    prog().unload<frmaddmapp>();
    platform::clearFaults();

    // Putting a file into place fails after others were replaced: those get their old contents.
    platform::injectFault(JobFiles(QStringLiteral("Hel")).path(9), EIO);
    e = validEditor(QStringLiteral("Hel"));
    e->txtbackupmapp->setEditText(other);
    expectReport(QStringLiteral("Ett fel uppstod när jobbet skulle sparas."));
    e->cmdok_Click();
    platform::clearFaults();
    EXPECT_EQ(editor_script::jobBytes(QStringLiteral("Hel")), before);
    EXPECT_EQ(groupFiles().filter(QStringLiteral(".~")), QStringList());
    prog().unload<frmaddmapp>();

    // A new job whose last file cannot be put into place does not appear at all.
    platform::injectFault(JobFiles(QStringLiteral("Halv")).path(0), EIO);
    e = validEditor(QStringLiteral("Halv"));
    e->txtbackupmapp->setEditText(other);
    expectReport(QStringLiteral("Plats: Jobb, ok/spara"));
    e->cmdok_Click();
    platform::clearFaults();
    EXPECT_EQ(groupFiles().filter(QStringLiteral("Halv")), QStringList());
}

// A job of 5,000 folders, some excluded and one excluded folder gone: what is saved.
TEST_F(SavingTest, AJobOfFiveThousandFoldersIsSavedWithItsExclusions) {
    frmaddmapp* e = validEditor(QStringLiteral("Stor"));
    QStringList folders{src};
    for (int i = 0; i < 5000; ++i)
        folders << src + QStringLiteral("/mapp %1").arg(i, 4, 10, QLatin1Char('0'));
    QStringList excluded;
    for (int i = 0; i < 50; ++i) {
        excluded << folders[i * 100 + 1];
        testutil::makeDir(excluded.last());
    }
    e->lstFoundFiles->clear();
    e->lstFoundFiles->addItems(folders);
    e->listexmappar = excluded + QStringList{work("borta")};
    e->cmdok_Click();
    QStringList kept = folders;
    for (const QString& x : excluded)
        kept.removeOne(x);
    EXPECT_EQ(editor_script::bytes(JobFiles(QStringLiteral("Stor")).path(0)), crlf(kept));
    EXPECT_EQ(editor_script::bytes(JobFiles(QStringLiteral("Stor")).path(5)), crlf(excluded));
}

// A save killed at any point: the next start finds the old job or the new one whole, and no
// hidden leftovers.
TEST_F(SavingTest, ASaveStoppedAtAnyPointLeavesTheOldOrTheNewJobWholeAtTheNextStart) {
    const QString other = work("Annan");
    testutil::makeDir(other);
    auto save = [&] {
        frmaddmapp* e = validEditor(QStringLiteral("Hel"));
        e->txtbackupmapp->setEditText(other);
        e->listpattern->addItem(QStringLiteral("*.doc"));
        e->chksynkroniseraej->setChecked(true);
        e->liststartstopp_stopp->addItem(QStringLiteral("thunderbird"));
        e->cmdok_Click();
    };
    save();
    const QList<QByteArray> saved = editor_script::jobBytes(QStringLiteral("Hel"));
    for (int stop = -1; stop <= 8; ++stop) {
        writeJob(QStringLiteral("Hel"));
        const QList<QByteArray> old = editor_script::jobBytes(QStringLiteral("Hel"));
        ASSERT_NE(old, saved);
        setSaveInterruptHook([stop](int placed) { return placed == stop; });
        save();
        setSaveInterruptHook({});
        finishInterruptedSaves(path("Listor"));
        EXPECT_EQ(editor_script::jobBytes(QStringLiteral("Hel")), stop < 0 ? old : saved) << stop;
        EXPECT_EQ(groupFiles().filter(QStringLiteral(".~")), QStringList()) << stop;
    }
}

TEST_F(SavingTest, OkAndClosingCannotReenterARunningSave) {
    frmaddmapp* e = validEditor(QStringLiteral("Upptagen"));
    e->show();
    int reentries = 0;
    QTimer::singleShot(0, e, [&] {
        // Runs inside one of saving's yields.
        EXPECT_TRUE(e->saving());
        ++reentries;
        e->cmdok->click();
        e->cmdstäng->click();
        EXPECT_FALSE(e->close());
        EXPECT_TRUE(e->isVisible());
    });
    e->cmdok->click();
    EXPECT_EQ(reentries, 1);
    EXPECT_TRUE(JobFiles(QStringLiteral("Upptagen")).exists());
    EXPECT_TRUE(main->chkload);
    EXPECT_EQ(prog().loaded<frmaddmapp>(), nullptr);

    // Nor can they interrupt a folder scan that is still filling the lists.
    main->chkload = false;
    e = validEditor(QStringLiteral("Skannar"));
    testutil::makeDir(work("Skannar"));
    e->txtbackupmapp->setEditText(work("Skannar"));
    e->show();
    e->folderBusy_ = true;
    e->cmdok_Click();
    e->cmdstäng_Click();
    EXPECT_FALSE(e->close());
    EXPECT_FALSE(JobFiles(QStringLiteral("Skannar")).exists());
    EXPECT_EQ(prog().loaded<frmaddmapp>(), e);
    e->folderBusy_ = false;
    e->cmdok_Click();
    EXPECT_TRUE(JobFiles(QStringLiteral("Skannar")).exists());
    EXPECT_TRUE(main->chkload);
    EXPECT_EQ(prog().loaded<frmaddmapp>(), nullptr);
}

TEST_F(SavingTest, NetworkPathsAndSavesDrivenByTheMainWindowNeverTestTheBackupFolder) {
    frmaddmapp* e = validEditor(QStringLiteral("Nät"));
    e->txtbackupmapp->setEditText(QStringLiteral("//server/delning/Backup"));
    e->cmdok_Click();
    EXPECT_EQ(bytes(JobFiles(QStringLiteral("Nät")).path(2)), crlf({"//server/delning/Backup"}));

    main->Tag = QStringLiteral("1");
    e = validEditor(QStringLiteral("Dold"));
    e->txtbackupmapp->setEditText(work("Saknas"));
    e->ok_spara();
    main->Tag.clear();
    EXPECT_TRUE(JobFiles(QStringLiteral("Dold")).exists());
    EXPECT_FALSE(QFileInfo::exists(work("Saknas")));
}
