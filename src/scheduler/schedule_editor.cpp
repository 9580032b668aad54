#include "scheduler/schedule_editor.h"

#include "core/job_files.h"
#include "core/module1.h"
#include "core/program.h"
#include "platform/click_label.h"
#include "platform/errors.h"
#include "scheduler/host.h"
#include "scheduler/schedule_files.h"
#include "scheduler/scheduler.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace host = schedulerhost;

namespace {
const QString kActive = QStringLiteral("*AKTIV* ");
const QString kNoJob = QStringLiteral("Du har inte valt något jobb för gemensam backup!");

void message(const QString& text) {
    Module1::logga_meddelande(0, -1, text, QString());
}

void setBold(QWidget* w, bool bold) {
    QFont f = w->font();
    f.setBold(bold);
    w->setFont(f);
}
} // namespace

QString scheduleListEntry(const QString& name) {
    const JobFiles job(name);
    if (!job.hasFile(6))
        return name;
    // An empty file (an interrupted write of an older version) is a job without a schedule.
    const QString first = job.readFile(6).value(0).trimmed();
    if (first.isEmpty())
        return name;
    bool ok = false;
    const int active = first.toInt(&ok);
    if (!ok)
        platform::throwError(13);
    return active == 1 ? kActive + name : name;
}

frmschema2::frmschema2() {
    createControls();
    connectControls();
    scheduler().ensureLoaded();
    showMode();
    showCommonSettings();
    showActivation();
}

void frmschema2::connectControls() {
    connect(cmdstartställin, &QPushButton::clicked, this, [this] { cmdstartställin_Click(); });
    connect(cmdstartaktivera, &QPushButton::clicked, this, [this] { cmdstartaktivera_Click(); });
    connect(chkaktivera, &QCheckBox::toggled, this, [this] {
        if (!showing_)
            chkaktivera_Click();
    });
    for (int i : {0, 1})
        connect(optunikglobal[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on && !showing_)
                optunikglobal_Click(i);
        });
    connect(List1, &QListWidget::itemClicked, this, [this] { List1_Click(); });
    for (int i : {0, 1})
        connect(cmdmarkera[i], &QPushButton::clicked, this, [this, i] { cmdmarkera_Click(i); });
    connect(chksync, &QCheckBox::toggled, this, [this] { chksync_Click(); });
    connect(chksyncglobal, &QCheckBox::toggled, this, [this] { chksyncglobal_Click(); });
    // The per-job save runs on what the user does to a box, never on a value set by code.
    for (QCheckBox* b : {chkaktiv, chksync, chksync_simulera})
        connect(b, &QCheckBox::clicked, this, [this] { spara_multi(); });
    for (int d = 1; d <= 7; ++d)
        connect(chkdag2[d], &QCheckBox::clicked, this, [this] { spara_multi(); });
    combotid->installEventFilter(this);
    combotid->lineEdit()->installEventFilter(this);
    connect(cmdok, &QPushButton::clicked, this, [this] { spara_multi(); });
    connect(cmdok_global, &QPushButton::clicked, this, [this] { cmdok_global_Click(); });
    connect(cmdavbryt, &QPushButton::clicked, this, [this] { cmdavbryt_Click(); });
    help1->onClick = [this] { help_Click(1); };
    help2->onClick = [this] { help_Click(2); };
    help3->onClick = [this] { help_Click(3); };
    lblhjälp->onClick = [] { Module1::öppna_hjälp(); };
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

    // The common frame is a view of the scheduler's settings.
    connect(combotidglobal, &QComboBox::editTextChanged, this, [this] { takeCommonSettings(); });
    for (int d = 1; d <= 7; ++d)
        connect(chkdag[d], &QCheckBox::toggled, this, [this] { takeCommonSettings(); });
    connect(chksyncglobal, &QCheckBox::toggled, this, [this] { takeCommonSettings(); });
    connect(chksyncglobal_simulera, &QCheckBox::toggled, this, [this] { takeCommonSettings(); });
    connect(listglobal, &QListWidget::itemSelectionChanged, this, [this] {
        if (showing_)
            return;
        auto& list = scheduler().listglobal;
        for (int i = 0; i < listglobal->count() && i < list.size(); ++i)
            list[i].selected = listglobal->item(i)->isSelected();
    });
}

void frmschema2::takeCommonSettings() {
    if (showing_)
        return;
    Scheduler& s = scheduler();
    s.combotidglobal = combotidglobal->currentText();
    for (int d = 1; d <= 7; ++d)
        s.chkdag[d] = chkdag[d]->isChecked();
    s.chksyncglobal = chksyncglobal->isChecked() ? 1 : 0;
    s.chksyncglobal_simulera = chksyncglobal_simulera->isChecked() ? 1 : 0;
}

// ---- views of the scheduler -----------------------------------------------------------------------

void frmschema2::showMode() {
    const Scheduler& s = scheduler();
    showing_ = true;
    optunikglobal[s.common ? 1 : 0]->setChecked(true);
    setBold(optunikglobal[1], s.common);
    setBold(optunikglobal[0], !s.common);
    if (s.common) {
        Label1->setText(QStringLiteral("Välj jobb att schemalägga"));
        frameglobal->move(Frame1->pos());
        frameglobal->show();
        Frame1->hide();
        // The place List1 was laid out at: hidden, it keeps no height to read.
        listglobal->setGeometry(List1->pos().x(), List1->pos().y(), List1->width(), listglobal->height());
        listglobal->clear();
        for (const Scheduler::ListEntry& e : s.listglobal) {
            listglobal->addItem(e.text);
            listglobal->item(listglobal->count() - 1)->setSelected(e.selected);
        }
        listglobal->show();
        List1->hide();
    } else {
        Frame1->show();
        List1->show();
        frameglobal->hide();
        listglobal->hide();
        Label1->setText(QStringLiteral("Välj jobb att schemalägga (du kan markera flera)"));
    }
    Label1->setBuddy(s.common ? listglobal : List1);
    showing_ = false;
}

void frmschema2::showCommonSettings() {
    const Scheduler& s = scheduler();
    showing_ = true;
    chksyncglobal->setChecked(s.chksyncglobal == 1);
    combotidglobal->setEditText(s.combotidglobal);
    for (int d = 1; d <= 7; ++d)
        chkdag[d]->setChecked(s.chkdag[d]);
    chksyncglobal_simulera->setChecked(s.chksyncglobal_simulera == 1);
    chkignorerafel->setChecked(s.chkignorerafel == 1);
    showing_ = false;
}

void frmschema2::showActivation() {
    showing_ = true;
    chkaktivera->setChecked(scheduler().chkaktivera);
    showing_ = false;
    if (scheduler().chkaktivera)
        låsallt();
    else
        låsuppallt();
}

void frmschema2::låsallt() {
    for (QWidget* w :
         {static_cast<QWidget*>(List1), static_cast<QWidget*>(listglobal), static_cast<QWidget*>(frameglobal),
          static_cast<QWidget*>(Frame3), static_cast<QWidget*>(Frame1)})
        w->setEnabled(false);
}

void frmschema2::låsuppallt() {
    for (QWidget* w :
         {static_cast<QWidget*>(List1), static_cast<QWidget*>(listglobal), static_cast<QWidget*>(frameglobal),
          static_cast<QWidget*>(Frame3), static_cast<QWidget*>(Frame1)})
        w->setEnabled(true);
}

// ---- opening and closing ----------------------------------------------------------------------------

void frmschema2::fillJobList() {
    List1->clear();
    for (const QString& name : host::jobNames())
        List1->addItem(scheduleListEntry(name));
    const int current = host::currentJobIndex();
    if (current >= 0 && current < List1->count()) {
        List1->setCurrentRow(current, QItemSelectionModel::ClearAndSelect);
        List1_Click();
    }
}

void frmschema2::Form_Activate() {
    if (!startPageShown_) {
        startPageShown_ = true;
        showStartPage(true);
    }
    const bool allowed = host::setting("chktillåtschemasync");
    chksyncglobal->setEnabled(allowed);
    chksync->setEnabled(allowed);
}

bool frmschema2::Form_Unload() {
    startPageShown_ = false;
    if (scheduler().chkaktivera) {
        hide();
        return false;
    }
    return true;
}

void frmschema2::closeEvent(QCloseEvent* e) {
    if (!Form_Unload()) {
        e->ignore();
        return;
    }
    e->ignore(); // unloading hides the window and deletes it later
    scheduler().unload();
}

bool frmschema2::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        Form_Activate();
    return QWidget::event(e);
}

bool frmschema2::eventFilter(QObject* o, QEvent* e) {
    if ((o == combotid || o == combotid->lineEdit()) && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            lblenter->hide();
            spara_multi();
            return true;
        }
        lblenter->show();
    }
    return QWidget::eventFilter(o, e);
}

void frmschema2::cmdstartställin_Click() {
    showStartPage(false);
}

void frmschema2::showStartPage(bool on) {
    framestart->setVisible(on);
    framestart->raise();
    settingsPage_->setVisible(!on);
}

void frmschema2::cmdstartaktivera_Click() {
    chkaktivera->setChecked(true);
    if (Form_Unload())
        scheduler().unload();
}

void frmschema2::chkaktivera_Click() {
    scheduler().setChkaktivera(chkaktivera->isChecked());
}

// ---- the mode, the lists and the boxes --------------------------------------------------------------

void frmschema2::optunikglobal_Click(int index) {
    scheduler().setCommon(index == 1);
    showMode();
}

void frmschema2::List1_Click() {
    const QListWidgetItem* item = List1->currentItem();
    if (!item)
        return;
    QString name = item->text();
    if (name.startsWith(QLatin1Char('*')))
        name = name.mid(8);
    Frame1->setTitle(name);
    const int index = int(host::jobNames().indexOf(name));
    if (index < 0)
        return;
    host::selectJob(index);
    const host::JobSchedule js = host::currentJobSchedule();
    chkaktiv->setChecked(js.active == 1);
    chksync->setChecked(js.mirror == 1);
    chksync_simulera->setChecked(js.simulate == 1);
    combotid->setEditText(js.time);
    for (int d = 1; d <= 7; ++d)
        chkdag2[d]->setChecked(js.days[d]);
    if (combotid->currentText().isEmpty())
        combotid->setEditText(QStringLiteral("10:00"));
}

void frmschema2::cmdmarkera_Click(int index) {
    QListWidget* list = optunikglobal[0]->isChecked() ? List1 : listglobal;
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setSelected(index == 0);
}

void frmschema2::chksync_Click() {
    if (chksync->isChecked()) {
        chksync_simulera->setEnabled(true);
    } else {
        chksync_simulera->setEnabled(false);
        chksync_simulera->setChecked(false);
    }
}

void frmschema2::chksyncglobal_Click() {
    if (chksyncglobal->isChecked()) {
        chksyncglobal_simulera->setEnabled(true);
    } else {
        chksyncglobal_simulera->setEnabled(false);
        chksyncglobal_simulera->setChecked(false);
    }
}

void frmschema2::help_Click(int index) {
    if (index == 2) {
        message(QStringLiteral(
            "Betyder att jobbet kommer att köras enligt schemat när du aktiverar schemaläggningen."));
        return;
    }
    QString text =
        QStringLiteral("Betyder att jobben kommer att speglas när det schemakörs.\r\n"
                       "Väljer du även att simulera speglingen kommer inga överblivna filer eller mappar "
                       "att raderas utan istället loggas i en lista som du senare kan gå igenom.");
    const QCheckBox* mirror = index == 1 ? chksyncglobal : chksync;
    if (!mirror->isEnabled())
        text +=
            QStringLiteral("\r\nDu måste aktivera denna funktion i programmets inställningar innan du kan "
                           "använda den! Välj ''Alternativ - Inställningar - Spegling - Tillåt att "
                           "schemalägga med spegling'' för att aktivera, men läs hjälpfilen först!");
    message(text);
}

void frmschema2::Command1_Click() {
    const int today = schedule::weekday(program().clock.today());
    QString day;
    for (int d = today; d <= 7 && day.isEmpty(); ++d)
        if (chkdag[d]->isChecked())
            day = chkdag[d]->text();
    for (int d = 1; d <= today && day.isEmpty(); ++d)
        if (chkdag[d]->isChecked())
            day = chkdag[d]->text();
    message(QStringLiteral("Nästa dag: ") + day);
}

// ---- saving -----------------------------------------------------------------------------------------

void frmschema2::spara_multi() {
    cmdok_Tag = QStringLiteral("1");
    const QString typed = combotid->currentText();
    if (!schedule::timeTextValid(typed)) {
        message(QStringLiteral("Du har inte angett tiden på rätt sätt."));
        return;
    }
    // A click on the preselected job unselects it: a save that reaches no job must say so.
    if (List1->selectedItems().isEmpty()) {
        message(QStringLiteral("Du har inte valt något jobb!"));
        return;
    }
    const QString time = schedule::normalisedTime(typed);
    combotid->setEditText(time);
    schedule::Days days{};
    for (int d = 1; d <= 7; ++d)
        days[d] = chkdag2[d]->isChecked();
    const JobFiles::Schedule s{chkaktiv->isChecked() ? 1 : 0, chksync->isChecked() ? 1 : 0, time,
                               schedule::jobDaysLine(days), chksync_simulera->isChecked() ? 1 : 0};
    try {
        const QStringList names = host::jobNames();
        for (int i = 0; i < List1->count() && i < names.size(); ++i) {
            QListWidgetItem* item = List1->item(i);
            if (!item->isSelected())
                continue;
            item->setText(s.active == 1 ? kActive + names[i] : names[i]);
            JobFiles(names[i]).writeSchedule(s);
        }
    } catch (const platform::RunError& e) {
        Module1::logga_meddelande(
            e, -1, QStringLiteral("Ett fel uppstod då inställningar för schemaläggningen skulle sparas."),
            QStringLiteral("Schemaläggning, spara"));
    }
}

namespace {
// The common setting and, in common mode, the selection, each written whole. False when an empty
// selection is refused or the write failed (reported with `failure` and `place`).
bool writeCommon(const QString& failure, const QString& place) {
    const Scheduler& s = scheduler();
    if (s.common && s.selectedCount() == 0) {
        message(kNoJob);
        return false;
    }
    try {
        const int group = host::jobGroup();
        schedule::writeCommonSetting(schedule::commonSettingFile(group), s.commonSetting());
        if (s.common)
            schedule::writeSelection(schedule::selectionFile(group), s.selectedJobs());
    } catch (const platform::RunError& e) {
        Module1::logga_meddelande(e, -1, failure, place);
        return false;
    }
    return true;
}
} // namespace

void frmschema2::cmdok_global_Click() {
    Scheduler& s = scheduler();
    if (!schedule::timeTextValid(s.combotidglobal)) {
        message(QStringLiteral("Du har inte angett tiden på rätt sätt."));
        return;
    }
    s.combotidglobal = schedule::normalisedTime(s.combotidglobal);
    showCommonSettings();
    writeCommon(QStringLiteral("Ett fel uppstod då inställningar för global schemaläggning skulle sparas."),
                QStringLiteral("Schemaläggning, spara"));
}

void frmschema2::cmdavbryt_Click() {
    Scheduler& s = scheduler();
    if (cmdok_Tag == QLatin1String("1")) {
        cmdok_Tag = QStringLiteral("0");
        host::requestReload();
    }
    if (s.common && !schedule::timeTextValid(s.combotidglobal)) {
        s.combotidglobal = QStringLiteral("12:00");
        showCommonSettings();
    }
    // The common days and jobs matter only when the common setting is the mode.
    if (s.common && !schedule::anyDay(s.chkdag)) {
        message(QStringLiteral("Du har inte valt någon backup-dag för gemensam backup!"));
        return;
    }
    if (!writeCommon(QStringLiteral("Ett fel uppstod då schemafönstret skulle stängas."),
                     QStringLiteral("Schemaläggning, stäng")))
        return;
    if (Form_Unload())
        scheduler().unload();
}
