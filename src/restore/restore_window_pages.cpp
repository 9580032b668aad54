#include "core/job_record.h"
#include "core/job_rules.h"
#include "core/module1.h"
#include "core/program.h"
#include "core/window_geometry.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "restore/restore_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

void frmåterställ::Form_Load() {
    comboframe = 0;
    FrameAvancerad->setFrameShape(QFrame::NoFrame);
    lblvarning->clear();
    Picture1->hide();
    Picture5->hide();
    Picture2->hide();
    comboframe_Click();
    geometry::centreOverMainWindow(this);
}

bool frmåterställ::manualMode() const {
    return optjobb2->isChecked();
}

void frmåterställ::setComboframe(int index) {
    if (index < 0 || index >= kPages)
        return;
    comboframe = index;
    comboframe_Click();
}

void frmåterställ::comboframe_Click() {
    const int p = comboframe;
    FrameAvancerad->setVisible(manualMode());
    framejobb->setVisible(!manualMode());
    for (int i = 0; i < kPages; ++i)
        frame[size_t(i)]->setVisible(i == p);
    lblsida->setText(QStringLiteral("Sida %1 av %2").arg(p).arg(kPages - 1));
    lblsida->setVisible(p != 0);
    // "Nästa >>" pressed with the keyboard is disabled on the page it leads to: the focus goes to
    // that page's own button, not on to the help link.
    if (p == 2 && cmdnästa->hasFocus())
        cmdladdamålmappar->setFocus(Qt::TabFocusReason);
    cmdnästa->setEnabled(p != 2);
    cmdförra->setEnabled(p != 0);
    cmdnästa->setText(p == kPages - 1 ? QStringLiteral("Avsluta") : QStringLiteral("Nästa >>"));
    cmdöppnamapp->setVisible(p == 3);
    cmdöppnafil->setVisible(p == 4);
    static const char* const headings[kPages] = {"Här kan du återställa en backup du gjort.",
                                                 "Ställ in sökvägarna.", "Ladda in mappar.",
                                                 "Välj mappar att genomsöka.", "Välj filer att återställa."};
    lblrubrik->setText(QString::fromUtf8(headings[p]));
    if (p == 2)
        lblladdafrån->setText(QStringLiteral("Mappar läses in från: ") + txtåterställfrån->text());
}

void frmåterställ::cmdnästa_Click() {
    if (busy())
        return;
    if (comboframe == 3) {
        // Refused, the scan leaves the page as it is.
        if (program().operations().busy()) {
            program().operations().refuse();
            return;
        }
        if (chkåterställmarkerad->isChecked())
            cmdåterställmarkerade_Click();
        else
            cmdåterställ_Click();
        if (closeRequested_)
            return;
    }
    if (cmdnästa->text() != QLatin1String("Avsluta"))
        setComboframe(comboframe + 1);
    else
        close();
}

void frmåterställ::cmdförra_Click() {
    if (busy())
        return;
    setComboframe(comboframe - 1);
}

void frmåterställ::lblhjälp_Click() {
    Module1::öppna_hjälp();
}

// ---- job mode ---------------------------------------------------------------------------------

void frmåterställ::selectJobEntry(int index) {
    if (index < 0 || index >= combojobb->count())
        return;
    if (combojobb->currentIndex() != index)
        combojobb->setCurrentIndex(index); // runs combojobb_Click
    else
        combojobb_Click();
}

void frmåterställ::combojobb_Click() {
    const int index = combojobb->currentIndex();
    if (index < 0)
        return;
    // The main window loads the job into the current-job record.
    if (program().mainWindow().currentJobIndex() != index)
        program().mainWindow().selectJob(index);
    const CurrentJobRecord& r = program().job();
    combomappar->blockSignals(true);
    combomappar->clear();
    combomappar->addItems(r.combomappar);
    combomappar->blockSignals(false);
    if (combomappar->count() > 0) {
        combomappar->setCurrentIndex(0);
        combomappar_Click();
    }
}

void frmåterställ::combomappar_Click() {
    const QString main = combomappar->currentText();
    if (main.isEmpty())
        return;
    const CurrentJobRecord& r = program().job();
    job_ = JobChoice{combojobb->currentText(),
                     r.txtbackupmapp,
                     main,
                     r.txtsökvägtyp == QLatin1String("1"),
                     r.txtabsolutsökväg_huvudmapp == QLatin1String("JA"),
                     r.combomappar};
    const RestoreMapping m = currentMapping();
    const QString location = platform::withoutTrailingSeparator(m.location());
    lblmapp->setText(location);
    lblmapp2->setText(main);
    lblmapp3->setText(r.txtbackupmapp);
    // The job states all three paths: the manual rule must not derive them again.
    settingJobPaths_ = true;
    txtåterställfrån->setText(location);
    txtåterställtill->setText(main);
    txtbackupmapp->setText(r.txtbackupmapp);
    settingJobPaths_ = false;
    txtåterställtill_Change();
}

bool frmåterställ::refusedBackupFolder() {
    if (manualMode())
        return false;
    // Such a folder holds more than the job's copies (the source itself, the home folder):
    // restoring from it would copy that into the job's folders.
    const CurrentJobRecord& r = program().job();
    const QString problem = jobrules::jobProblem(r.job(program().jobbgruppmapp), jobrules::Purpose::Restore,
                                                 jobrules::JobSet(program().programFolder()))
                                .why;
    if (problem.isEmpty())
        return false;
    report(QStringLiteral("FEL! Jobbet %1 kan inte återställas: %2 (%3).")
               .arg(combojobb->currentText(), problem, r.txtbackupmapp));
    return true;
}

RestoreMapping frmåterställ::currentMapping() const {
    if (manualMode())
        return RestoreMapping::manual(txtåterställfrån->text(), txtåterställtill->text());
    return RestoreMapping::forJob(job_.backupFolder, job_.mainFolder, job_.absolute, job_.withName,
                                  job_.mainFolders);
}

// ---- manual mode ------------------------------------------------------------------------------

void frmåterställ::deriveRestoreTo() {
    if (settingJobPaths_)
        return;
    setTextColour(txtåterställtill, palette().color(QPalette::Text));
    const QString to = derivedRestoreTo(txtbackupmapp->text(), txtåterställfrån->text());
    if (to.isEmpty()) {
        // Only a folder below the backup's main folder has a place it came from.
        setTextColour(txtåterställtill, QColor(192, 0, 0));
        return;
    }
    txtåterställtill->setText(to);
}

void frmåterställ::txtbackupmapp_Change() {
    deriveRestoreTo();
}

void frmåterställ::txtåterställfrån_Change() {
    deriveRestoreTo();
}

void frmåterställ::txtåterställtill_Change() {
    if (settingJobPaths_)
        return;
    lblvarning->setText(restoreDriveWarning(txtåterställtill->text()));
}

void frmåterställ::pickFolder(QLineEdit* box, const QString& place) {
    try {
        const QString path = program().dialogs.pickFolder(
            QStringLiteral("Leta upp mappen du vill lägga till, och klicka på Välj"), box->text());
        if (path.isEmpty())
            return;
        if (platform::folderExists(path))
            box->setText(path);
        else
            Module1::logga_meddelande(
                0, -1, QStringLiteral("Mappen \"") + path + QStringLiteral("\" finns inte!"), QString());
    } catch (const platform::RunError& e) {
        Module1::logga_meddelande(e, -1, QStringLiteral("Ett fel uppstod."), place);
    }
}

void frmåterställ::cmdöppnabackupmapp_Click() {
    pickFolder(txtbackupmapp, QStringLiteral("Återställ backup, Öppna backupmapp"));
}

void frmåterställ::cmdöppnaåterställningsmapp_Click() {
    pickFolder(txtåterställfrån, QStringLiteral("Återställ backup, Öppna återställningsmapp"));
}

void frmåterställ::cmdåterställtillmapp_Click() {
    pickFolder(txtåterställtill, QStringLiteral("Återställ backup, Öppna återställ till-mapp"));
}

void frmåterställ::report(const QString& message) {
    // An error's program-log line goes on with ". Plats: " and the place: the message brings no
    // full stop of its own, and the place is named.
    QString text = message, place;
    if (text.startsWith(QLatin1String("FEL!"))) {
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
        place = QStringLiteral("Återställ backup");
    }
    // A window that is closing says what happened in the system log only.
    Module1::logga_meddelande(0, closeRequested_ ? 0 : -1, text, place);
}
