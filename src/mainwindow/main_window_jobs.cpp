// Job groups, the job list and the current-job record of the main window; reading the settings.
#include "core/job_files.h"
#include "core/module1.h"
#include "core/program.h"
#include "mainwindow/main_window.h"
#include "mainwindow/settings_window.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/textfile.h"
#include "scheduler/scheduler.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTextEdit>
#include <functional>
#include <utility>

namespace {

constexpr int twips(int t) {
    return t / 15;
}

// A group button that reports double clicks (renaming the group).
class GroupButton : public QRadioButton {
  public:
    GroupButton(const QString& text, QWidget* parent) : QRadioButton(text, parent) {}
    std::function<void()> onDoubleClick;

  protected:
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        QRadioButton::mouseDoubleClickEvent(e);
        if (onDoubleClick)
            onDoubleClick();
    }
};

// The job list: the right button opens the job menu and never changes the selected job.
class JobList : public QListWidget {
  public:
    explicit JobList(QWidget* parent) : QListWidget(parent) {}
    std::function<void(int, int, int)> onMouseDown;

  protected:
    void mousePressEvent(QMouseEvent* e) override {
        const int button = e->button() == Qt::RightButton ? 2 : e->button() == Qt::MiddleButton ? 4 : 1;
        if (button != 2)
            QListWidget::mousePressEvent(e);
        if (onMouseDown)
            onMouseDown(button, e->position().toPoint().x(), e->position().toPoint().y());
    }
};

// Fills a list with `items`. A job is loaded again and again during a run (and reloaded after
// its folder structure is refreshed) with the same folders, which may be many thousands: a list
// that already holds them is only put back as a freshly filled one stands.
void showFolders(QListWidget* list, const QStringList& items) {
    bool same = list->count() == items.size();
    for (int i = 0; same && i < list->count(); ++i)
        same = list->item(i)->text() == items[i];
    if (!same) {
        list->clear();
        list->addItems(items);
        return;
    }
    list->setCurrentRow(-1);
    list->clearSelection();
    list->scrollToTop();
}

// The settings reader's error line; reading goes on with the next setting.
void settingsReadError(const platform::RunError& e) {
    program().systemLog().append(
        QStringLiteral("Ett fel uppstod vid inläsning av inställningar: ") + QString::number(e.number) +
        QLatin1Char(' ') + (e.description.isEmpty() ? platform::errorDescription(e.number) : e.description));
}

} // namespace

void frmmain::createJobControls() {
    // The job list and the group buttons lie in the main area, the job's details in the job
    // frame; the layout of the main window stretches both.
    QWidget* c = centralWidget();
    QWidget* area = Frame1 ? static_cast<QWidget*>(Frame1) : c;
    QWidget* details = framejobb ? static_cast<QWidget*>(framejobb) : c;
    comboinställningar = new QComboBox(c);
    comboinställningar->setObjectName(QStringLiteral("comboinställningar"));
    comboinställningar->hide();

    for (int i = 0; i < 4; ++i) {
        auto* b = new GroupButton(QStringLiteral("Jobbgrupp %1").arg(i + 1), area);
        b->setObjectName(QStringLiteral("optarkiv%1").arg(i));
        b->setGeometry(twips(i * 1500), 0, twips(1450), twips(285));
        b->hide();
        b->onDoubleClick = [this, i] { optarkiv_DblClick(i); };
        optarkiv[i] = b;
    }
    optarkiv[0]->setChecked(true);
    lblinställningar = new QLabel(QStringLiteral("0 st"), area);
    lblinställningar->setObjectName(QStringLiteral("lblinställningar"));
    lblinställningar->setGeometry(0, twips(285), twips(1500), twips(195));
    auto* list = new JobList(area);
    list->setObjectName(QStringLiteral("listinställningar"));
    list->setGeometry(0, twips(480), twips(2800), twips(4200));
    list->onMouseDown = [this](int b, int x, int y) { listinställningar_MouseDown(b, x, y); };
    listinställningar = list;
    listinställningar->setAccessibleName(QStringLiteral("Jobb"));
    txtarkiv = new QLineEdit(c);
    txtarkiv->setObjectName(QStringLiteral("txtarkiv"));
    txtarkiv->setReadOnly(true);
    txtarkiv->setAccessibleName(QStringLiteral("Vald jobbgrupp"));
    txtarkiv->hide();

    txtjobbnamn_text = new QLineEdit(details);
    txtjobbnamn_text->setObjectName(QStringLiteral("txtjobbnamn"));
    txtjobbnamn_text->setReadOnly(true);
    txtjobbnamn_text->setGeometry(twips(120), twips(240), twips(3600), twips(315));
    combomappar_list = new QListWidget(details);
    combomappar_list->setObjectName(QStringLiteral("combomappar"));
    combomappar_list->setGeometry(twips(120), twips(660), twips(3600), twips(700));
    listmappar_list = new QListWidget(details);
    listmappar_list->setObjectName(QStringLiteral("listmappar"));
    listmappar_list->setUniformItemSizes(true); // a job may list tens of thousands of folders
    listmappar_list->setGeometry(twips(120), twips(1440), twips(3600), twips(900));
    txtsammanställning_text = new QTextEdit(details);
    txtsammanställning_text->setObjectName(QStringLiteral("txtsammanställning"));
    txtsammanställning_text->setReadOnly(true);
    txtsammanställning_text->setGeometry(twips(120), twips(2400), twips(3600), twips(1900));
    // The job's fields have no caption beside them: their names and tooltips say what they hold.
    const std::pair<QWidget*, const char*> fields[] = {
        {txtjobbnamn_text, "Jobbnamn"},
        {combomappar_list, "Huvudmappar"},
        {listmappar_list, "Alla mappar (huvudmappar och undermappar)"},
        {txtsammanställning_text, "Sammanställning av jobbet"},
    };
    for (const auto& [field, what] : fields) {
        field->setAccessibleName(QString::fromUtf8(what));
        field->setToolTip(field->accessibleName());
    }
    // The counts beside the lists are bare numbers; the tooltip tells what they count.
    auto label = [details](QLabel*& l, const char* name, const QString& text, int top, const char* what) {
        l = new QLabel(text, details);
        l->setObjectName(QString::fromUtf8(name));
        l->setGeometry(twips(3840), twips(top), twips(1500), twips(255));
        l->setToolTip(QString::fromUtf8(what));
        l->setAccessibleDescription(l->toolTip());
    };
    label(lblhuvudmappar_label, "lblhuvudmappar", QStringLiteral("0"), 660, "Antal huvudmappar");
    label(lblallamappar_label, "lblallamappar", QStringLiteral("0"), 1440, "Antal mappar i jobbet");
    label(lblexmappar_label, "lblexmappar", QStringLiteral("0 exkluderade"), 1700,
          "Antal exkluderade mappar");

    for (int i = 0; i < 4; ++i)
        QObject::connect(optarkiv[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                optarkiv_Click(i);
        });
    QObject::connect(comboinställningar, &QComboBox::currentIndexChanged, this,
                     [this] { comboinställningar_Click(); });
    QObject::connect(listinställningar, &QListWidget::currentRowChanged, this,
                     [this] { listinställningar_Click(); });
}

int frmmain::currentGroup() const {
    for (int i = 0; i < 4; ++i)
        if (optarkiv[i]->isChecked())
            return i;
    return 0;
}

QString frmmain::groupFolder(int index) const {
    return program().path(index == 0 ? QStringLiteral("Listor") : QStringLiteral("Listor%1").arg(index + 1));
}

void frmmain::optarkiv_Click(int index) {
    Program& p = program();
    p.jobbgruppmapp = groupFolder(index);
    try {
        QStringList lines;
        for (int i = 0; i < 4; ++i)
            if (optarkiv[i]->isChecked())
                lines << QString::number(i);
        platform::writeLines(p.path(QStringLiteral("setup_arkivnr.ini")), lines);
    } catch (const platform::RunError& e) {
        Module1::logga_meddelande(-1, 0,
                                  QStringLiteral("FEL! Vald jobbgrupp kunde inte sparas: ") + e.description,
                                  QStringLiteral("Main, jobbgrupp"));
    }
    // The schedule editor reads the group's schedule files when it loads; unloaded here, its next
    // opening reads the new group's (it only hides itself while the scheduler is on).
    scheduler().unload();
    try {
        // A group folder removed behind the program's back is made again, so the group works.
        if (!platform::folderExists(p.jobbgruppmapp))
            platform::makePath(p.jobbgruppmapp);
    } catch (const platform::RunError&) {
        // cmdload_Click reports it and empties the list.
    }
    cmdload_Click();
}

void frmmain::optarkiv_DblClick(int index) {
    try {
        QRadioButton* b = optarkiv[index];
        const QString answer = program().dialogs.inputBox(
            QStringLiteral("Välj ett nytt namn för denna jobbgrupp"), QStringLiteral("Nytt namn"), b->text());
        if (answer.isEmpty() || answer == b->text())
            return;
        b->setText(answer);
        QStringList captions;
        for (QRadioButton* o : optarkiv)
            captions << o->text();
        platform::writeLines(program().path(QStringLiteral("setup_arkivetiketter.ini")), captions);
    } catch (const platform::RunError& e) {
        Module1::logga_meddelande(e, -1, QStringLiteral("Ett fel uppstod då gruppetiketterna skulle sparas."),
                                  QStringLiteral("Main, spara gruppetiketter"));
    }
}

void frmmain::cmdload_Click() {
    QStringList names;
    bool listed = true;
    platform::RunError error;
    try {
        names = JobFiles::list(program().jobbgruppmapp);
    } catch (const platform::RunError& e) {
        listed = false;
        error = e;
    }
    {
        const QSignalBlocker b1(comboinställningar);
        const QSignalBlocker b2(listinställningar);
        comboinställningar->clear();
        listinställningar->clear();
        // No job stays selected by name while the list is rebuilt (or could not be).
        record().txtjobbnamn.clear();
        record().lblschema_jobb.clear();
        töm_datafält();
        comboinställningar->addItems(names);
        listinställningar->addItems(names);
        comboinställningar->setCurrentIndex(-1);
        listinställningar->setCurrentRow(-1);
    }
    showJobCount();
    if (!listed) {
        Module1::logga_meddelande(error, -1, QStringLiteral("Ett fel uppstod under inläsning av jobb."),
                                  QStringLiteral("Main, cmdload"));
        return;
    }
    if (comboinställningar->count() > 0) {
        comboinställningar->setCurrentIndex(0);
        listinställningar->setCurrentRow(0);
    }
}

void frmmain::listinställningar_Click() {
    const int row = listinställningar->currentRow();
    if (comboinställningar->currentIndex() != row)
        comboinställningar->setCurrentIndex(row);
}

void frmmain::listinställningar_MouseDown(int button, int x, int y) {
    if (button != 2)
        return;
    // The menu's commands work on the selected job: the one the user right-clicked.
    if (QListWidgetItem* item = listinställningar->itemAt(x, y))
        listinställningar->setCurrentItem(item);
    connectMenus();
    frmsetup* s = program().form<frmsetup>();
    const bool groups = s->chkjobbarkiv->isChecked();
    s->mnukopierajobb->menuAction()->setVisible(groups);
    if (groups)
        for (int i = 0; i < 4; ++i)
            s->mnugrupp[i]->setText(optarkiv[i]->text());
    s->mnualternativ->popup(listinställningar->viewport()->mapToGlobal(QPoint(x, y)));
}

void frmmain::comboinställningar_Click() {
    record().txtjobbnamn.clear();
    const int index = comboinställningar->currentIndex();
    if (index < 0) {
        txtjobbnamn_text->clear();
        return;
    }
    if (listinställningar->currentRow() != index)
        listinställningar->setCurrentRow(index);
    record().txtjobbnamn = comboinställningar->currentText();
    record().lblschema_jobb = record().txtjobbnamn;
    record().clearRecord();
    try {
        record().loadRecord(JobFiles(record().txtjobbnamn), program().clock.today());
    } catch (const platform::RunError& e) {
        showRecord();
        // The person (or the program log) learns which job and which of its files to mend.
        Module1::logga_meddelande(e, -1,
                                  QStringLiteral("Ett fel uppstod när jobbet ") + record().txtjobbnamn +
                                      QStringLiteral(" skulle läsas (filen ") + record().loadFailureFile +
                                      QLatin1Char(')'),
                                  QStringLiteral("Main, comboinställningar"));
        return;
    }
    showRecord();
}

void frmmain::showJobCount() {
    lblinställningar->setText(QString::number(comboinställningar->count()) + QStringLiteral(" st"));
}

void frmmain::töm_datafält() {
    record().clearRecord();
    showRecord();
}

void frmmain::showRecord() {
    txtjobbnamn_text->setText(record().txtjobbnamn);
    showFolders(listmappar_list, record().listmappar);
    combomappar_list->clear();
    combomappar_list->addItems(record().combomappar);
    if (!record().combomappar.isEmpty())
        combomappar_list->setCurrentRow(0);
    txtsammanställning_text->setPlainText(record().txtsammanställning);
    lblhuvudmappar_label->setText(record().lblhuvudmappar);
    lblallamappar_label->setText(record().lblallamappar);
    lblexmappar_label->setText(record().lblexmappar);
    // The scheduler panel's running view names the job being run.
    if (lblschema_jobb)
        lblschema_jobb->setText(record().lblschema_jobb);
}

int frmmain::combomapparIndex() const {
    return combomappar_list ? combomappar_list->currentRow() : -1;
}

void frmmain::setCombomapparIndex(int i) {
    if (combomappar_list)
        combomappar_list->setCurrentRow(i);
}

int frmmain::selectJob(const QString& name, int fallbackIndex) {
    const int count = comboinställningar->count();
    int i =
        name.isEmpty() ? -1 : comboinställningar->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (i < 0)
        i = fallbackIndex >= 0 && fallbackIndex < count ? fallbackIndex : (count > 0 ? 0 : -1);
    if (comboinställningar->currentIndex() != i)
        comboinställningar->setCurrentIndex(i);
    return i;
}

void frmmain::reloadJobsKeepingSelection() {
    const int e = comboinställningar->currentIndex();
    const QString name = e >= 0 ? comboinställningar->currentText() : QString();
    const int f = combomapparIndex();
    cmdload_Click();
    chkload = false;
    selectJob(name, e);
    if (f >= 0 && f < combomappar_list->count())
        setCombomapparIndex(f);
}

void frmmain::open_setup() {
    Program& p = program();
    appendSystemLog(QStringLiteral("Läser in inställningar."));
    frmsetup* s = p.form<frmsetup>();
    const QString file = p.path(QStringLiteral("programalternativ.ini"));
    if (!platform::fileExists(file)) {
        appendSystemLogRaw(QStringLiteral(".. Inställningsfil saknas."));
        const auto answer = p.dialogs.msgBox(
            QStringLiteral(
                "Detta verkar vara första gången du kör Tamrel Backup.\r\nVill du att programmet automatiskt "
                "ska söka efter uppdateringar på internet vid start?"),
            platform::MsgButtons::YesNo, platform::MsgIcon::Question);
        if (answer == platform::Answer::Yes) {
            s->chkuppdateraauto->setChecked(true);
            s->spara_setup();
        }
        return;
    }
    // Each setting is read on its own: a bad value leaves only that setting at its design value.
    const QString groupFile = p.path(QStringLiteral("setup_arkivnr.ini"));
    if (platform::fileExists(groupFile)) {
        try {
            const QStringList l = platform::readLines(groupFile);
            if (l.isEmpty())
                platform::throwError(62);
            bool ok = false;
            const int n = l[0].trimmed().toInt(&ok);
            if (!ok)
                platform::throwError(13);
            if (n < 0 || n > 3)
                platform::throwError(9);
            optarkiv[n]->setChecked(true);
        } catch (const platform::RunError& e) {
            settingsReadError(e);
        }
    }
    try {
        // A value read goes through its box, which runs the box's click procedure.
        const QList<QCheckBox*> boxes = s->fileBoxes();
        programsettings::readOptions(
            file, [&](int i, bool value) { boxes[i]->setChecked(value); }, settingsReadError);
    } catch (const platform::RunError& e) {
        settingsReadError(e);
    }
    if (framesnabbstart)
        framesnabbstart->setVisible(s->chksnabbstart->isChecked());
    if (s->chkstartaaktiverad->isChecked() && chkaktiveraschema)
        chkaktiveraschema->setChecked(true);
    const QString captions = p.path(QStringLiteral("setup_arkivetiketter.ini"));
    if (platform::fileExists(captions)) {
        try {
            const QStringList l = platform::readLines(captions);
            for (int i = 0; i < 4 && i < l.size(); ++i)
                optarkiv[i]->setText(l[i]);
        } catch (const platform::RunError& e) {
            settingsReadError(e);
        }
    }
    const QString api = p.path(QStringLiteral("setup_api.ini"));
    if (platform::fileExists(api)) {
        try {
            if (programsettings::readApi(api))
                s->chkaldrigapi->setChecked(true);
        } catch (const platform::RunError& e) {
            settingsReadError(e);
        }
    }
}
