#include "mainwindow/old_backup_window.h"

#include "core/job_files.h"
#include "core/program.h"
#include "core/window_geometry.h"
#include "mainwindow/main_window.h"
#include "platform/accessibility.h"
#include "platform/click_label.h"
#include "platform/errors.h"
#include "platform/icons.h"
#include "run/backup_window.h"

#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>

int daysSinceLastRun(const QString& lastRunText, const QDate& today, bool* ok) {
    const QString t = lastRunText.trimmed();
    QDate d = QDate::fromString(t.left(10), QStringLiteral("yyyy-MM-dd"));
    if (ok)
        *ok = d.isValid();
    if (!d.isValid())
        return 0;
    return int(d.daysTo(today));
}

frmgammalbackup::frmgammalbackup() {
    setObjectName(QStringLiteral("frmgammalbackup"));
    setWindowTitle(QStringLiteral("Jobb som inte körts på länge"));
    setWindowIcon(platform::icon(platform::Picture::Backup));
    setFixedSize(420, 330);
    Label1 = new QLabel(
        QStringLiteral("Här listas de jobb som inte körts på över 30 dagar. Markera jobb och klicka på "
                       "Kör backup nu, om du vill göra en backup."),
        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setGeometry(10, 8, 400, 40);
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setSelectionMode(QAbstractItemView::MultiSelection);
    List1->setGeometry(10, 52, 400, 220);
    Label1->setBuddy(List1);
    auto button = [this](const char* name, const QString& text, int x, int w) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromUtf8(name));
        b->setGeometry(x, 284, w, 30);
        return b;
    };
    cmdkör = button("cmdkör", QStringLiteral("Kör backup nu"), 10, 110);
    Command1 = button("Command1", QStringLiteral("Markera alla"), 126, 95);
    Command2 = button("Command2", QStringLiteral("Avmarkera alla"), 227, 105);
    Command4 = button("Command4", QStringLiteral("Stäng"), 338, 72);
    connect(cmdkör, &QPushButton::clicked, this, [this] { cmdkör_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    platform::setCancelButton(Command4, true); // Escape closes like "Stäng"
}

void frmgammalbackup::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!e->spontaneous())
        geometry::centreOverMainWindow(this);
}

void frmgammalbackup::cmdkör_Click() {
    Program& p = program();
    frmutförbackup* b = p.form<frmutförbackup>();
    if (b->isVisible() || b->caption() == QLatin1String("commandline") || b->runGoingOn()) {
        b->bringBack();
        return;
    }
    // Entry i of the backup window's list must be job i of the main window's list.
    b->List1->clear();
    QComboBox* jobs = p.form<frmmain>()->comboinställningar;
    for (int i = 0; i < jobs->count(); ++i)
        b->List1->addItem(jobs->itemText(i));
    for (int i = 0; i < List1->count(); ++i) {
        if (!List1->item(i)->isSelected() || i >= List2.size())
            continue;
        const QList<QListWidgetItem*> found =
            b->List1->findItems(List2.at(i), Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (!found.isEmpty())
            found.first()->setSelected(true);
    }
    b->show();
}

void frmgammalbackup::Command1_Click() {
    for (int i = 0; i < List1->count(); ++i)
        List1->item(i)->setSelected(true);
}

void frmgammalbackup::Command2_Click() {
    for (int i = 0; i < List1->count(); ++i)
        List1->item(i)->setSelected(false);
}

void frmgammalbackup::Command4_Click() {
    program().unload<frmgammalbackup>();
}

void frmmain::lblgammalbackup_Click() {
    lblgammalbackup_Tag = QStringLiteral("1");
    varna_gammal_backup();
}

void frmmain::varna_gammal_backup() {
    Program& p = program();
    frmgammalbackup* g = p.form<frmgammalbackup>();
    g->List1->clear();
    g->List2.clear();
    lblgammalbackup->hide();
    try {
        const QDate today = p.clock.today();
        for (int i = 0; i < comboinställningar->count(); ++i) {
            const QString name = comboinställningar->itemText(i);
            const JobFiles job(p.jobbgruppmapp, name);
            if (!job.hasFile(7))
                continue;
            const QStringList lines = job.readFile(7);
            const QString when = lines.value(0);
            if (when.isEmpty())
                continue;
            bool ok = false;
            const int d = daysSinceLastRun(when, today, &ok);
            if (!ok)
                throw platform::RunError{13, platform::errorDescription(13)};
            if (d > 30) {
                g->List1->addItem(QStringLiteral("%1 dagar sedan (%2)").arg(d).arg(name));
                g->List2.append(name);
            }
        }
        const int old = g->List1->count();
        lblgammalbackup->setVisible(old > 0);
        if (lblgammalbackup_Tag == QLatin1String("1")) {
            if (old > 0)
                g->show();
            else
                p.dialogs.msgBox(QStringLiteral("Alla dina jobb är körda för mindre än 30 dagar sedan."));
            lblgammalbackup->hide();
        } else if (old > 0) {
            appendSystemLog(QStringLiteral("Hittade %1 jobb som inte körts på över 30 dagar.").arg(old));
            lblgammalbackup->show();
        }
    } catch (const platform::RunError& e) {
        lblgammalbackup->hide();
        appendSystemLog(
            QStringLiteral("Ett fel uppstod vid inläsning av datum för senaste backup per jobb: %1 %2")
                .arg(e.number)
                .arg(e.description));
    }
    lblgammalbackup_Tag.clear();
}

void frmmain::createOldBackupControls() {
    lblgammalbackup = new platform::ClickLabel(
        QStringLiteral("Det finns jobb som inte körts på länge. Klicka här."), centralWidget());
    lblgammalbackup->setObjectName(QStringLiteral("lblgammalbackup"));
    lblgammalbackup->setCursor(Qt::PointingHandCursor);
    lblgammalbackup->setStyleSheet(QStringLiteral("color: rgb(0,0,192); text-decoration: underline;"));
    lblgammalbackup->hide();
    static_cast<platform::ClickLabel*>(lblgammalbackup)->onClick = [this] { lblgammalbackup_Click(); };
    lblgammalbackup->installEventFilter(this);
}
