#include "core/job_files.h"
#include "editor/job_editor_window.h"
#include "mainwindow/main_window.h"
#include "support/fixture.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFocusEvent>
#include <QFrame>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>

namespace {

QStringList entries(const QListWidget* l) {
    QStringList out;
    for (int i = 0; i < l->count(); ++i)
        out << l->item(i)->text();
    return out;
}

void loseFocus(QWidget* w) {
    QFocusEvent e(QEvent::FocusOut);
    QCoreApplication::sendEvent(w, &e);
}

} // namespace

class ListsEditor : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        prog().jobbgruppmapp = path("Listor");
        testutil::makeDir(prog().jobbgruppmapp);
    }
    // Opens the editor for a stored job the way the main window fills it: the hidden texts are
    // set on a freshly loaded window.
    frmaddmapp* openJob(const testutil::JobSpec& job) {
        testutil::writeJob(prog().jobbgruppmapp, job);
        const JobFiles::Data d = JobFiles(job.name).read();
        frmaddmapp* e = prog().form<frmaddmapp>();
        e->setCaption("Ändra jobb");
        e->txtpattern.setText(d.filters.types);
        e->txtexpattern.setText(d.filters.excludedTypes);
        e->txtexfiler.setText(d.filters.excludedNames);
        e->txtmappfilter.setText(d.filters.folderFilters);
        e->txtexmb->setText(d.filters.maxMb);
        e->txtstartstopp_stopp.setText(d.programs.stop);
        e->txtstartstopp_start.setText(d.programs.start);
        e->txtversionpattern.setText(d.versioning.types);
        return e;
    }
    testutil::JobSpec sampleJob() {
        testutil::JobSpec s;
        s.name = "Dokument";
        s.folders = s.mainFolders = QStringList{work("src")};
        s.backupFolder = work("backup");
        s.filters = {"*.doc;;*.xls;", "*.tmp", "Thumbs.db", "Temp * Cache", "25"};
        s.programs = {"tamrelskrivare ;; Rapport - Redigerare", "\"/opt/Mitt Program/kör\""};
        s.versioning = {"JA", "doc;xls", "5", "3", work("backup/versioner")};
        return s;
    }
};

TEST_F(ListsEditor, StoredLinesOpenAsEntriesAndEditedListsJoinAsTheFileSetExpects) {
    frmaddmapp* e = openJob(sampleJob());
    EXPECT_EQ(entries(e->listpattern), QStringList({"*.doc", "*.xls"}));
    EXPECT_EQ(entries(e->listmappfilter), QStringList({"Temp", "Cache"}));
    EXPECT_EQ(entries(e->liststartstopp_stopp), QStringList({"tamrelskrivare", "Rapport - Redigerare"}));
    EXPECT_EQ(entries(e->liststartstopp_start), QStringList({"\"/opt/Mitt Program/kör\""}));
    EXPECT_EQ(entries(e->listversionpattern), QStringList({"doc", "xls"}));

    // One edit through every add button, typed exactly as it stands (blanks kept).
    dialogs().expectInput("filtypen du vill ska kopieras", "*.txt");
    dialogs().expectInput("filtypen du vill ska exkluderas", "*.bak;*.old");
    dialogs().expectInput("filnamnet du vill ska exkluderas", " desktop.ini");
    dialogs().expectInput("del av mappnamnet", "Skräp");
    dialogs().expectInput("stänga av", "Inkorg - Post");
    dialogs().expectInput("Fyll i filtypen du vill inkludera", "pdf");
    e->cmdpatternplus->click();
    e->cmdexpatternplus->click();
    e->cmdexfilerplus->click();
    e->cmdmappfilterplus->click();
    e->cmdstartstopp_stopp->click();
    e->cmdversionpatternplus->click();
    dialogs().expectFile("/usr/bin/gedit", "Hämta program eller fil");
    e->cmdstartstopp_start->click();
    // A cancelled input box or picker adds nothing.
    dialogs().expectInput("filtypen du vill ska kopieras", "");
    e->cmdpatternplus->click();
    dialogs().expectFile("");
    e->cmdstartstopp_start->click();

    e->listsToTexts();
    EXPECT_EQ(e->txtpattern.text(), "*.doc;*.xls;*.txt");
    EXPECT_EQ(e->txtexpattern.text(), "*.tmp;*.bak;*.old");
    EXPECT_EQ(e->txtexfiler.text(), "Thumbs.db; desktop.ini");
    EXPECT_EQ(e->txtmappfilter.text(), "Temp * Cache * Skräp");
    EXPECT_EQ(e->txtstartstopp_stopp.text(), "tamrelskrivare ;; Rapport - Redigerare ;; Inkorg - Post");
    EXPECT_EQ(e->txtstartstopp_start.text(), "\"/opt/Mitt Program/kör\" ;; /usr/bin/gedit");
    EXPECT_EQ(e->txtversionpattern.text(), "doc;xls;pdf");
    // The entry typed with its separator comes back as two entries.
    EXPECT_EQ(entries(e->listexpattern), QStringList({"*.tmp", "*.bak", "*.old"}));

    // A refused save joins again: the lists stay as they were, without doubled entries.
    e->listsToTexts();
    EXPECT_EQ(entries(e->listpattern), QStringList({"*.doc", "*.xls", "*.txt"}));
    EXPECT_EQ(e->txtpattern.text(), "*.doc;*.xls;*.txt");

    // Written through the job file set and read back, the lines are these texts.
    const JobFiles job("Dokument");
    job.writeFilters({e->txtpattern.text(), e->txtexpattern.text(), e->txtexfiler.text(),
                      e->txtmappfilter.text(), e->txtexmb->text()});
    job.writePrograms({e->txtstartstopp_stopp.text(), e->txtstartstopp_start.text()});
    EXPECT_EQ(testutil::readLines(job.path(3)),
              QStringList({"*.doc;*.xls;*.txt", "*.tmp;*.bak;*.old", "Thumbs.db; desktop.ini",
                           "Temp * Cache * Skräp", "25"}));
    EXPECT_EQ(testutil::readLines(job.path(8)),
              QStringList({"tamrelskrivare ;; Rapport - Redigerare ;; Inkorg - Post",
                           "\"/opt/Mitt Program/kör\" ;; /usr/bin/gedit"}));
}

TEST_F(ListsEditor, RemovingAndChangingFollowTheSelection) {
    frmaddmapp* e = prog().form<frmaddmapp>();
    e->txtexfiler.setText("a;b;c");
    QListWidget* l = e->listexfiler;
    // Nothing selected: minus and double click do nothing.
    e->cmdexfilerminus->click();
    EXPECT_EQ(l->count(), 3);

    l->setCurrentRow(1);
    e->cmdexfilerminus->click();
    EXPECT_EQ(entries(l), QStringList({"a", "c"}));
    EXPECT_EQ(l->currentRow(), 1);
    e->cmdexfilerminus->click();
    EXPECT_EQ(entries(l), QStringList({"a"}));
    EXPECT_EQ(l->currentRow(), 0);

    // Unchanged or emptied answers leave the entry; another answer replaces it as typed.
    dialogs().expectInput("Ändra värdet:", "a");
    emit l->itemDoubleClicked(l->currentItem());
    dialogs().expectInput("Ändra värdet:", "");
    emit l->itemDoubleClicked(l->currentItem());
    EXPECT_EQ(entries(l), QStringList({"a"}));
    dialogs().expectInput("Ändra värdet:", "*.jpg");
    emit e->listversionpattern->itemDoubleClicked(nullptr); // nothing selected there: no question
    emit l->itemDoubleClicked(l->currentItem());
    EXPECT_EQ(entries(l), QStringList({"*.jpg"}));

    e->cmdexfilerminus->click();
    EXPECT_EQ(l->count(), 0);
    EXPECT_EQ(l->currentRow(), -1);
}

TEST_F(ListsEditor, SizeFieldStaysEmptyWhenLeftEmptyAndKeepsOnlyTheNumber) {
    frmaddmapp* e = prog().form<frmaddmapp>();
    loseFocus(e->txtexmb);
    EXPECT_EQ(e->txtexmb->text(), "");
    e->txtexmb->setText("10 MB");
    loseFocus(e->txtexmb);
    EXPECT_EQ(e->txtexmb->text(), "10");
    e->txtexmb->setText("mycket");
    loseFocus(e->txtexmb);
    EXPECT_EQ(e->txtexmb->text(), "0");
}

TEST_F(ListsEditor, TestButtonsStartTheEntryAndEndTheNamedProgram) {
    frmaddmapp* e = openJob(sampleJob());
    // Nothing selected: nothing is started or ended.
    e->cmdstartstopp_teststart->click();
    e->cmdstartstopp_teststopp->click();

    e->liststartstopp_start->setCurrentRow(0);
    dialogs().expectStartProgram("\"/opt/Mitt Program/kör\"");
    e->cmdstartstopp_teststart->click();

    // A name of this run's own, so runs elsewhere on the machine never meet.
    const QString name = "tamrelskrivare" + QString::number(QCoreApplication::applicationPid());
    e->liststartstopp_stopp->clear();
    e->txtstartstopp_stopp.setText(name + " ;; Rapport - Redigerare");
    const QString exe = work(name);
    ASSERT_TRUE(QFile::copy("/bin/sleep", exe));
    QProcess child;
    child.start(exe, {"300"});
    ASSERT_TRUE(child.waitForStarted(5000));
    e->liststartstopp_stopp->setCurrentRow(0);
    e->cmdstartstopp_teststopp->click();
    // The wait for the end runs events, so the child may already be reaped and marked finished.
    EXPECT_TRUE(child.state() == QProcess::NotRunning || child.waitForFinished(5000));
    EXPECT_EQ(testutil::readLines(path("log.txt")),
              QStringList{"Stängde 1 instans(er) av programmet " + name});
    child.kill();
    child.waitForFinished(1000);
}

TEST_F(ListsEditor, EditedThroughTheEditCommandAndSavedTheLinesAreWritten) {
    testutil::makeDir(work("src"));
    testutil::makeDir(work("backup"));
    testutil::JobSpec j = sampleJob();
    testutil::writeJob(prog().jobbgruppmapp, j);
    frmmain* m = prog().form<frmmain>();
    m->cmdload_Click();
    m->comboinställningar->setCurrentIndex(m->comboinställningar->findText("Dokument"));

    dialogs().expectWindow("frmaddmapp", [&](QWidget* w) {
        auto* e = static_cast<frmaddmapp*>(w);
        EXPECT_EQ(entries(e->listpattern), QStringList({"*.doc", "*.xls"}));
        EXPECT_FALSE(e->Frameversionshantering->isHidden());
        EXPECT_EQ(e->txtversionmapp->text(), work("backup/versioner"));
        e->listpattern->setCurrentRow(0);
        e->cmdpatternminus->click();
        e->liststartstopp_stopp->setCurrentRow(1);
        dialogs().expectInput("Ändra värdet:", "Inkorg - Post");
        emit e->liststartstopp_stopp->itemDoubleClicked(e->liststartstopp_stopp->currentItem());
        dialogs().expectFile("/opt/Ett program/kör", "Hämta program eller fil");
        e->cmdstartstopp_start->click();
        dialogs().expectInput("Fyll i filtypen du vill inkludera", "pdf");
        e->cmdversionpatternplus->click();
        e->txtexmb->clear();
        loseFocus(e->txtexmb);
        e->txtversionmax->setText("7 st");
        loseFocus(e->txtversionmax);
        e->cmdok->click();
    });
    m->cmdändra_Click();

    const JobFiles job("Dokument");
    EXPECT_EQ(testutil::readLines(job.path(3)),
              QStringList({"*.xls", "*.tmp", "Thumbs.db", "Temp * Cache", ""}));
    EXPECT_EQ(testutil::readLines(job.path(8)),
              QStringList({"tamrelskrivare ;; Inkorg - Post",
                           "\"/opt/Mitt Program/kör\" ;; \"/opt/Ett program/kör\""}));
    EXPECT_EQ(testutil::readLines(job.path(9)),
              QStringList({"JA", "doc;xls;pdf", "5", "7", work("backup/versioner")}));
}
