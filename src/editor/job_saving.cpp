// Saving a job from the editor: the checks, the backup folder, the job file set, and the small
// procedures that keep the name and backup-folder fields right while the user edits.
#include "core/backup_folders.h"
#include "core/job_files.h"
#include "core/job_name.h"
#include "core/job_rules.h"
#include "core/module1.h"
#include "core/program.h"
#include "editor/excluded_folders.h"
#include "editor/job_editor_window.h"
#include "editor/job_lists.h"
#include "editor/job_set_writer.h"
#include "platform/errors.h"
#include "platform/events.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/vb.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

void report(const QString& message) {
    Module1::logga_meddelande(0, -1, message, QString());
}

QStringList entries(const QListWidget* list) {
    QStringList out;
    out.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

QString yesNo(const QCheckBox* box) {
    return box->isChecked() ? QStringLiteral("JA") : QStringLiteral("NEJ");
}

// The run takes a folder as written: one that begins or ends with white space names another folder
// than the one the user sees. The refusal of such a text (`what` says whose it is), or an empty text.
// A folder that is there on disk just so (a scan found it) names what it says.
QString edgeSpaceRefusal(const QString& what, const QString& folder, bool foundOnDisk = false) {
    if (!backupfolders::edgeWhiteSpace(folder) || (foundOnDisk && platform::folderExists(folder)))
        return {};
    return what + QStringLiteral(" \"") + folder +
           QStringLiteral(
               "\" börjar eller slutar med ett blanktecken (ett mellanslag, en tabb eller liknande). "
               "Ta bort det och försök igen.");
}

// Keeps the busy flag up for the whole procedure, also when it leaves early.
class BusyFlag {
  public:
    explicit BusyFlag(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
    ~BusyFlag() { flag_ = was_; }
    BusyFlag(const BusyFlag&) = delete;
    BusyFlag& operator=(const BusyFlag&) = delete;

  private:
    bool& flag_;
    bool was_;
};

} // namespace

JobFiles::Options frmaddmapp::options() const {
    return {yesNo(chkuppdateramappar), yesNo(chksynkroniseraej),
            optsökvägtyp[0]->isChecked() ? QStringLiteral("0") : QStringLiteral("1"),
            yesNo(chkabsolutsökväg_huvudmapp), yesNo(chkignorerasaknadenhet)};
}

JobFiles::Versioning frmaddmapp::versioning() const {
    return {yesNo(chkversionshantering), txtversionpattern.text(), txtversion_mb->text(),
            txtversionmax->text(), txtversionmapp->text()};
}

QString frmaddmapp::ruleRefusal(const QString& backup, const QStringList& mainFolders,
                                const QStringList& folders, int& tab) const {
    using Kind = jobrules::Problem::Kind;
    const JobFiles::Job job = JobFiles::job(program().jobbgruppmapp, txtnamn->currentText(), folders,
                                            mainFolders, backup, options(), versioning());
    const jobrules::Problem p =
        jobrules::jobProblem(job, jobrules::Purpose::Save, jobrules::JobSet(program().programFolder()));
    switch (p.kind) {
    case Kind::None:
        return {};
    case Kind::VersionFolder:
        tab = 4;
        return QStringLiteral("Mappen för sparade filer kan inte användas: ") + p.why + QLatin1Char('.');
    case Kind::AbsolutePath:
        tab = 1;
        return QStringLiteral("Jobbet kan inte sparas: ") + p.why + QLatin1Char('.');
    case Kind::BackupFolder:
    case Kind::SharedTarget:
        break;
    }
    tab = 5;
    return QStringLiteral("Backupmappen kan inte användas: ") + p.why + QLatin1Char('.');
}

bool frmaddmapp::newMode() const {
    return isVisible() && caption().startsWith(QLatin1String("Ny"));
}

void frmaddmapp::showNotice(const QString& step) {
    lblstänginfo->setText(step + kCrLf + kCrLf + QStringLiteral("Ett ögonblick..."));
    platform::doEvents();
}

void frmaddmapp::cmdok_Click() {
    if (saving_ || folderScanBusy())
        return;
    if (combomappar->count() > 1 && optsökvägtyp[1]->isChecked()) {
        report(QStringLiteral(
            "Du kan inte ha mer än en (1) källmapp om du vill ha absolut sökväg i backupmappen!"));
        return;
    }
    {
        BusyFlag busy(saving_);
        picstänginfo->show();
        picstänginfo->raise();
        spara_listval();
        ok_spara_ordnafilterlistor();
    }
    ok_spara();
}

void frmaddmapp::ok_spara_ordnafilterlistor() {
    showNotice(QStringLiteral("Ordnar filterlistor..."));
    listsToTexts();
    lblstänginfo->clear();
    platform::doEvents();
}

void frmaddmapp::ok_spara() {
    if (saving_ || folderScanBusy())
        return;
    BusyFlag busy(saving_);
    // A refused check: its message and its tab; the editor stays open as it is.
    auto refuse = [this](const QString& message, int tab) {
        report(message);
        visa_flik(tab);
    };
    try {
        const QString name = txtnamn->currentText();
        // A job saved under its name before keeps it where a rule came after it: it still runs from
        // the backup window, and the folder-structure refresh saves it too.
        if (const jobname::Rule rule = jobname::brokenRule(name);
            rule != jobname::Rule::None &&
            !(jobname::keptBySavedJob(rule) && !newMode() && JobFiles(name).exists())) {
            refuse(jobname::refusal(rule, name), 0);
            return;
        }
        if (txtpattern.text().contains(QLatin1Char(' ')) || txtpattern.text().contains(QLatin1Char('"'))) {
            refuse(
                QStringLiteral("De angivna filtyperna för det här jobbet verkar inte vara korrekt. Kolla "
                               "\"?\"-knappen bredvid fältet för att se hur du fyller i det fältet korrekt."),
                0);
            return;
        }
        if (!txtexpattern.isEmpty() && !txtexpattern.text().contains(QLatin1Char('*'))) {
            refuse(QStringLiteral(
                       "De angivna exkluderade filtyperna för det här jobbet verkar inte vara korrekt. "
                       "Kolla \"?\"-knappen bredvid fältet för att se hur du fyller i det fältet "
                       "korrekt."),
                   2);
            return;
        }

        showNotice(QStringLiteral("Kontrollerar jobbnamnet..."));
        if (newMode() && !name.isEmpty() && JobFiles(name).exists()) {
            const platform::Answer a = program().dialogs.msgBox(
                QStringLiteral("Detta namn finns redan för ett annan jobb! (") + name + QStringLiteral(")") +
                    kCrLf + kCrLf + QStringLiteral("Vill du skriva över den?"),
                platform::MsgButtons::OkCancel, platform::MsgIcon::Question, QStringLiteral("Skriv över?"));
            if (a != platform::Answer::Ok) {
                visa_flik(1);
                return;
            }
        }
        if (lstFoundFiles->count() == 0) {
            refuse(QStringLiteral("Du har inte valt några mappar för det här jobbet!"), 1);
            return;
        }
        if (name.isEmpty()) {
            refuse(QStringLiteral("Du måste ange ett namn för det här jobbet!"), 0);
            return;
        }
        if (txtbackupmapp->currentText().isEmpty()) {
            refuse(QStringLiteral("Du måste ange en backupmapp för det här jobbet!"), 5);
            return;
        }
        if (txtpattern.isEmpty())
            txtpattern.setText(QStringLiteral("*.*"));
        if (!joblists::sizeLimitAccepted(txtexmb->text())) {
            refuse(QStringLiteral("Du måste ange en giltig maxstorlek för filer!"), 2);
            return;
        }

        if (const QString why =
                edgeSpaceRefusal(QStringLiteral("Backupmappen"), txtbackupmapp->currentText());
            !why.isEmpty()) {
            refuse(why, 5);
            return;
        }
        if (const QString why =
                edgeSpaceRefusal(QStringLiteral("Mappen för sparade filer"), txtversionmapp->text());
            !why.isEmpty()) {
            refuse(why, 4);
            return;
        }
        for (const QListWidget* list : {combomappar, lstFoundFiles}) {
            const QString what =
                list == combomappar ? QStringLiteral("Källmappen") : QStringLiteral("Mappen");
            for (int i = 0; i < list->count(); ++i)
                if (const QString why = edgeSpaceRefusal(what, list->item(i)->text(), true); !why.isEmpty()) {
                    refuse(why, 1);
                    return;
                }
        }

        const QString backup = txtbackupmapp->currentText();
        // Before anything is made or written; again just before writing, since the fields stay
        // editable through the yields between.
        QStringList folders = entries(lstFoundFiles);
        removeExcludedFolders(folders, listexmappar);
        int tab = 5;
        if (const QString why = ruleRefusal(backup, entries(combomappar), folders, tab); !why.isEmpty()) {
            refuse(why, tab);
            return;
        }
        if (!backup.startsWith(QLatin1String("//")) && program().mainWindow().tag().isEmpty()) {
            showNotice(QStringLiteral("Kontrollerar backupmappen..."));
            bool present = false;
            try {
                present = platform::folderExists(backup);
            } catch (const platform::RunError&) {
                // A failing query counts as a missing folder.
            }
            if (!present) {
                const platform::Answer a = program().dialogs.msgBox(
                    QStringLiteral("Backupmappen du valt finns inte.") + kCrLf + backup + kCrLf + kCrLf +
                        QStringLiteral("Vill du skapa den nu?"),
                    platform::MsgButtons::YesNo, platform::MsgIcon::Question);
                if (a == platform::Answer::Yes &&
                    skapa_backupmapp_om_saknas(platform::withTrailingSeparator(backup)) == 0) {
                    refuse(QStringLiteral("Backupmappen kunde inte skapas!"), 5);
                    return;
                }
            }
        }
        if (txtbackupmapp->currentText().endsWith(QLatin1Char('/')))
            txtbackupmapp->setEditText(platform::withoutTrailingSeparator(txtbackupmapp->currentText()));
        if (txtversionmapp->text().endsWith(QLatin1Char('/')))
            txtversionmapp->setText(platform::withoutTrailingSeparator(txtversionmapp->text()));

        if (chkversionshantering->isChecked()) {
            if (!joblists::sizeLimitAccepted(txtversion_mb->text())) {
                refuse(QStringLiteral("Du måste ange en giltig maxstorlek för filer i versionshanteringen!"),
                       4);
                return;
            }
            if (!joblists::versionCountAccepted(txtversionmax->text())) {
                refuse(QStringLiteral(
                           "Du måste ange hur många filversioner du vill spara för versionshanteringen, "
                           "1-999.!"),
                       4);
                return;
            }
            if (txtversionmapp->text().isEmpty()) {
                refuse(QStringLiteral("Du måste ange en mapp för sparade filer för versionshanteringen!"), 4);
                return;
            }
        }

        showNotice(QStringLiteral("Tar bort exkluderade mappar från mapplistan..."));
        rensa_exmappar();
        showNotice(
            QStringLiteral("Kontrollerar existensen av exkluderade mappar, och plockar bort saknade mappar "
                           "från listan..."));
        rensa_saknade_exmappar();
        showNotice(QStringLiteral("Sparar jobbet..."));

        SavedJob job;
        job.folders = entries(lstFoundFiles);
        job.mainFolders = entries(combomappar);
        job.backupFolder = txtbackupmapp->currentText();
        job.filters = {txtpattern.text(), txtexpattern.text(), txtexfiler.text(), txtmappfilter.text(),
                       txtexmb->text()};
        job.options = options();
        job.excluded = listexmappar;
        job.programs = {txtstartstopp_stopp.text(), txtstartstopp_start.text()};
        job.versioning = versioning();
        if (const QString why = ruleRefusal(job.backupFolder, job.mainFolders, job.folders, tab);
            !why.isEmpty()) {
            refuse(why, tab);
            return;
        }
        writeSavedJob(JobFiles(name), job);

        program().mainWindow().requestReload();
        lblstänginfo->clear();
        platform::doEvents();
        picstänginfo->hide();
        saving_ = false;
        unloadWindow();
    } catch (const platform::RunError& e) {
        lblstänginfo->clear();
        picstänginfo->hide();
        Module1::logga_meddelande(e, -1, QStringLiteral("Ett fel uppstod när jobbet skulle sparas."),
                                  QStringLiteral("Jobb, ok/spara"));
    }
}

int frmaddmapp::skapa_backupmapp_om_saknas(const QString& backupmapp_saknas) {
    try {
        platform::makePath(backupmapp_saknas);
        return platform::folderExists(platform::withoutTrailingSeparator(backupmapp_saknas)) ? 1 : 0;
    } catch (const platform::RunError&) {
        return 0;
    }
}

void frmaddmapp::cmdväljmapp_Click() {
    txtbackupmapp->setEditText(bläddra_efter_mapp(
        0, 0x150, QStringLiteral("Leta upp mappen du vill ha backupen i, och klicka på Välj"),
        txtbackupmapp->currentText()));
}

void frmaddmapp::txtbackupmapp_OLEDragDrop(const QStringList& paths) {
    if (paths.isEmpty()) {
        Module1::logga_meddelande(5, -1, QStringLiteral("Ett fel uppstod."),
                                  QStringLiteral("Backupmapp, drag n drop"));
        return;
    }
    txtbackupmapp->setEditText(paths.first());
}

void frmaddmapp::optsökvägtyp_Click(int index) {
    if (index == 1) {
        if (combomappar->count() > 1) {
            optsökvägtyp[0]->setChecked(true);
            report(QStringLiteral(
                "Du kan inte ha mer än en (1) källmapp om du vill ha absolut sökväg i backupmappen!"));
            return;
        }
        chkabsolutsökväg_huvudmapp->setEnabled(true);
        return;
    }
    chkabsolutsökväg_huvudmapp->setEnabled(false);
    chkabsolutsökväg_huvudmapp->setChecked(false);
}

void frmaddmapp::txtnamn_Change() {
    QString text = txtnamn->currentText();
    lbljobbnamn->setText(text);
    if (!text.contains(QLatin1Char('<')) && !text.contains(QLatin1Char('>')))
        return;
    // One character for one, so the caret stays where the user typed.
    QLineEdit* edit = txtnamn->lineEdit();
    const int caret = edit ? edit->cursorPosition() : text.size();
    text = Module1::ersätt_text(text, QStringLiteral("<"), QStringLiteral("«"));
    text = Module1::ersätt_text(text, QStringLiteral(">"), QStringLiteral("»"));
    txtnamn->setEditText(text);
    if (edit)
        edit->setCursorPosition(caret);
}

void frmaddmapp::txtnamn_Click() {
    lbljobbnamn->setText(txtnamn->currentText());
}
