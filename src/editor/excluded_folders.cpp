#include "editor/excluded_folders.h"

#include "core/program.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/vb.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QStyle>
#include <cerrno>

namespace {

constexpr int twips(int t) {
    return t / 15;
}

void moveSelected(QListWidget* from, QListWidget* to) {
    for (int i = from->count() - 1; i >= 0; --i) {
        if (!from->item(i)->isSelected())
            continue;
        QListWidgetItem* it = from->takeItem(i);
        to->addItem(it->text());
        delete it;
    }
}

} // namespace

int removeExcludedFolders(QStringList& folders, const QStringList& excluded) {
    if (excluded.isEmpty())
        return 0;
    const QSet<QString> out(excluded.begin(), excluded.end());
    const qsizetype before = folders.size();
    folders.removeIf([&out](const QString& f) { return out.contains(f); });
    return int(before - folders.size());
}

int pruneMissingExcludedFolders(QStringList& excluded) {
    int removed = 0;
    SystemLog& log = program().systemLog();
    try {
        for (int i = int(excluded.size()) - 1; i >= 0; --i) {
            const QString folder = excluded[i];
            // An unplugged disk says nothing about whether the folder still exists.
            if (!platform::volumePresent(folder))
                continue;
            // Opened, not listed: a large excluded folder would be read and sorted whole only to
            // tell that it is there.
            const platform::OpenedFolder opened(folder);
            const int err = opened.error();
            if (err == 0)
                continue;
            if (err != ENOENT && err != ENOTDIR)
                platform::throwErrno(err);
            excluded.removeAt(i);
            ++removed;
        }
    } catch (const platform::RunError& e) {
        log.append(QStringLiteral("Ett fel uppstod när exkluderade mappar skulle genomsökas för eventuellt "
                                  "saknade mappar. Plats: Jobb, rensa ut exkluderade mappar. Felkod ") +
                   QString::number(e.number) + e.description + QStringLiteral("."));
        log.markError();
        return removed;
    }
    if (removed == 1)
        log.append(QStringLiteral("1 mapp har rensats bort från din lista över exkluderade mappar, eftersom "
                                  "den inte längre existerar."));
    else if (removed > 1)
        log.append(QString::number(removed) +
                   QStringLiteral(" mappar har rensats bort från din lista över exkluderade mappar, eftersom "
                                  "de inte längre existerar."));
    return removed;
}

QString excludedFoldersCaption(int count) {
    return QStringLiteral("Exkludera mappar... (") +
           platform::countText(count, QStringLiteral("mapp"), QStringLiteral("mappar")) + QLatin1Char(')');
}

frmexmappar::frmexmappar() {
    setObjectName(QStringLiteral("frmexmappar"));
    setWindowTitle(QStringLiteral("Exkludera mappar"));
    setMinimumSize(twips(9390), twips(6705));

    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setWordWrap(true);
    Label1 = new QLabel(QStringLiteral("Alla mappar:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("Exkluderade mappar:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    auto makeList = [this](const char* name) {
        auto* l = new QListWidget(this);
        l->setObjectName(QLatin1String(name));
        l->setSortingEnabled(true);
        l->setSelectionMode(QAbstractItemView::ExtendedSelection);
        return l;
    };
    List1 = makeList("List1");
    List2 = makeList("List2");
    Label1->setBuddy(List1);
    Label2->setBuddy(List2);
    cmdläggtill = new QPushButton(this);
    cmdläggtill->setObjectName(QStringLiteral("cmdläggtill"));
    cmdläggtill->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    cmdläggtill->setToolTip(QStringLiteral("Exkludera markerade mappar"));
    cmdtabort = new QPushButton(this);
    cmdtabort->setObjectName(QStringLiteral("cmdtabort"));
    cmdtabort->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
    cmdtabort->setToolTip(QStringLiteral("Ta med markerade mappar igen"));
    txtmarkerad = new QLineEdit(this);
    txtmarkerad->setObjectName(QStringLiteral("txtmarkerad"));
    txtmarkerad->setReadOnly(true);
    txtmarkerad->setAccessibleName(QStringLiteral("Markerad mapp"));
    cmdok = new QPushButton(QStringLiteral("OK"), this);
    cmdok->setObjectName(QStringLiteral("cmdok"));
    cmdavbryt = new QPushButton(QStringLiteral("Avbryt"), this);
    cmdavbryt->setObjectName(QStringLiteral("cmdavbryt"));

    connect(cmdläggtill, &QPushButton::clicked, this, [this] { cmdläggtill_Click(); });
    connect(cmdtabort, &QPushButton::clicked, this, [this] { cmdtabort_Click(); });
    connect(cmdok, &QPushButton::clicked, this, [this] { cmdok_Click(); });
    connect(cmdavbryt, &QPushButton::clicked, this, [this] { cmdavbryt_Click(); });
    connect(List1, &QListWidget::itemClicked, this, [this] { List1_Click(); });
    connect(List2, &QListWidget::itemClicked, this, [this] { List2_Click(); });

    resize(twips(9390), twips(6705));
    Form_Load();
}

void frmexmappar::Form_Load() {
    if (QWidget* m = program().mainWindow().widget())
        setWindowIcon(m->windowIcon());
    Label3->setText(QStringLiteral("Här väljer du bort mappar som du inte vill ska ingå. Om en mapp du "
                                   "väljer bort har undermappar, måste du "
                                   "välja bort de också om du inte vill att de ska komma med. Filer kommer "
                                   "att kopieras från alla mappar som "
                                   "återstår."));
    Form_Resize();
}

void frmexmappar::showSingleList() {
    setWindowTitle(QStringLiteral("Mappar"));
    Label3->clear();
    Label2->hide();
    List2->hide(); // the one list takes the whole width
    cmdläggtill->hide();
    cmdtabort->hide();
    cmdok->hide();
    Form_Resize();
}

void frmexmappar::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    Form_Resize();
}

void frmexmappar::Form_Resize() {
    // Positions in twips, as the layout is described; the minimum size keeps the window from
    // becoming smaller than 9390 by 6705.
    const int w = width() * 15;
    const int h = height() * 15;
    const int listTop = 1080;
    const int listWidth = windowTitle() == QLatin1String("Mappar") ? w - 240 : w / 2 - 400;
    const int listHeight = std::max(300, h - 1575 - listTop);
    Label3->setGeometry(twips(120), twips(120), twips(w - 240), twips(720));
    Label1->setGeometry(twips(120), twips(840), twips(w / 2 - 400), twips(240));
    List1->setGeometry(twips(120), twips(listTop), twips(listWidth), twips(listHeight));
    const int left2 = (w / 2 - 400) + 730;
    List2->setGeometry(twips(left2), twips(listTop), twips(w / 2 - 400), twips(listHeight));
    Label2->setGeometry(twips(left2), twips(840), twips(w / 2 - 400), twips(240));
    const int mid = listTop + listHeight / 2;
    cmdläggtill->setGeometry(twips(w / 2 - 185), twips(mid - 480), twips(370), twips(375));
    cmdtabort->setGeometry(twips(w / 2 - 185), twips(mid + 105), twips(370), twips(375));
    cmdavbryt->setGeometry(twips(w - 2900), twips(h - 480), twips(1335), twips(375));
    cmdok->setGeometry(twips(w - 1440), twips(h - 480), twips(1335), twips(375));
    txtmarkerad->setGeometry(twips(120), twips(h - 435), twips(w - 3105), twips(285));
}

void frmexmappar::cmdläggtill_Click() {
    moveSelected(List1, List2);
}

void frmexmappar::cmdtabort_Click() {
    moveSelected(List2, List1);
}

void frmexmappar::List1_Click() {
    if (QListWidgetItem* it = List1->currentItem())
        txtmarkerad->setText(it->text());
}

void frmexmappar::List2_Click() {
    if (QListWidgetItem* it = List2->currentItem())
        txtmarkerad->setText(it->text());
}

QStringList frmexmappar::items(const QListWidget* list) {
    QStringList out;
    out.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

void frmexmappar::cmdok_Click() {
    if (takeOver)
        takeOver(items(List1), items(List2));
    program().unload<frmexmappar>();
}

void frmexmappar::cmdavbryt_Click() {
    program().unload<frmexmappar>();
}
