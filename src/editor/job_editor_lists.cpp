// The filter lists and program lists of the job editor.
#include "core/close_programs.h"
#include "core/program.h"
#include "editor/job_editor_window.h"
#include "editor/job_lists.h"

#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

// Calls a handler when the watched widget loses the focus (the old LostFocus event).
class LostFocusFilter : public QObject {
  public:
    LostFocusFilter(QObject* parent, std::function<void()> handler)
        : QObject(parent), handler_(std::move(handler)) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::FocusOut)
            handler_();
        return false;
    }

  private:
    std::function<void()> handler_;
};

} // namespace

std::array<frmaddmapp::ListPair, 7> frmaddmapp::listPairs() {
    using namespace joblists;
    return {{{listpattern, &txtpattern, kTypeSeparator},
             {listexpattern, &txtexpattern, kTypeSeparator},
             {listexfiler, &txtexfiler, kTypeSeparator},
             {listmappfilter, &txtmappfilter, kFolderFilterSeparator},
             {liststartstopp_stopp, &txtstartstopp_stopp, kProgramSeparator},
             {liststartstopp_start, &txtstartstopp_start, kProgramSeparator},
             {listversionpattern, &txtversionpattern, kTypeSeparator}}};
}

void frmaddmapp::onLostFocus(QWidget* w, std::function<void()> handler) {
    w->installEventFilter(new LostFocusFilter(w, std::move(handler)));
}

void frmaddmapp::connectListControls() {
    // Text to list: the change handler appends the text's non-empty pieces; it never empties
    // the list, whoever sets the text does that first.
    for (const ListPair& p : listPairs()) {
        QListWidget* list = p.list;
        const HiddenText* text = p.text;
        const QString sep = p.separator;
        p.text->onChange = [list, text, sep] { list->addItems(joblists::textToEntries(text->text(), sep)); };
        QObject::connect(list, &QListWidget::itemDoubleClicked, this,
                         [this, list] { changeSelectedEntry(list); });
    }
    const std::pair<QPushButton*, QListWidget*> minus[] = {{cmdpatternminus, listpattern},
                                                           {cmdexpatternminus, listexpattern},
                                                           {cmdexfilerminus, listexfiler},
                                                           {cmdmappfilterminus, listmappfilter},
                                                           {cmdstartstopp_stopp_minus, liststartstopp_stopp},
                                                           {cmdstartstopp_start_minus, liststartstopp_start},
                                                           {cmdversionpatternminus, listversionpattern}};
    for (const auto& [button, list] : minus) {
        QListWidget* l = list;
        QObject::connect(button, &QPushButton::clicked, this, [this, l] { removeSelectedEntry(l); });
    }
    QObject::connect(cmdpatternplus, &QPushButton::clicked, this, [this] { cmdpatternplus_Click(); });
    QObject::connect(cmdexpatternplus, &QPushButton::clicked, this, [this] { cmdexpatternplus_Click(); });
    QObject::connect(cmdexfilerplus, &QPushButton::clicked, this, [this] { cmdexfilerplus_Click(); });
    QObject::connect(cmdmappfilterplus, &QPushButton::clicked, this, [this] { cmdmappfilterplus_Click(); });
    QObject::connect(cmdstartstopp_stopp, &QPushButton::clicked, this,
                     [this] { cmdstartstopp_stopp_Click(); });
    QObject::connect(cmdstartstopp_start, &QPushButton::clicked, this,
                     [this] { cmdstartstopp_start_Click(); });
    QObject::connect(cmdstartstopp_teststart, &QPushButton::clicked, this,
                     [this] { cmdstartstopp_teststart_Click(); });
    QObject::connect(cmdstartstopp_teststopp, &QPushButton::clicked, this,
                     [this] { cmdstartstopp_teststopp_Click(); });
    onLostFocus(txtexmb, [this] { txtexmb_LostFocus(); });
}

void frmaddmapp::listsToTexts() {
    for (const ListPair& p : listPairs()) {
        QStringList entries;
        entries.reserve(p.list->count());
        for (int i = 0; i < p.list->count(); ++i)
            entries << p.list->item(i)->text();
        p.list->clear();
        p.text->setText(joblists::entriesToText(entries, p.separator));
    }
}

void frmaddmapp::addEntryByInput(QListWidget* list, const QString& prompt, const QString& title) {
    const QString answer = program().dialogs.inputBox(prompt, title);
    if (!answer.isEmpty())
        list->addItem(answer);
}

void frmaddmapp::removeSelectedEntry(QListWidget* list) {
    const int i = list->currentRow();
    if (i < 0 || !list->currentItem() || !list->currentItem()->isSelected())
        return;
    delete list->takeItem(i);
    if (i < list->count())
        list->setCurrentRow(i);
    else
        list->setCurrentRow(list->count() - 1);
}

void frmaddmapp::changeSelectedEntry(QListWidget* list) {
    QListWidgetItem* item = list->currentItem();
    if (!item || !item->isSelected())
        return;
    const QString answer = program().dialogs.inputBox(QStringLiteral("Ändra värdet:"),
                                                      QStringLiteral("Ändra värde"), item->text());
    if (answer.isEmpty() || answer == item->text())
        return;
    item->setText(answer);
}

void frmaddmapp::cmdpatternplus_Click() {
    addEntryByInput(listpattern, QStringLiteral("Fyll i filtypen du vill ska kopieras, exempelvis '*.jpg'"),
                    QStringLiteral("Filtyp"));
}

void frmaddmapp::cmdexpatternplus_Click() {
    addEntryByInput(listexpattern,
                    QStringLiteral("Fyll i filtypen du vill ska exkluderas, exempelvis '*.jpg'"),
                    QStringLiteral("Exkludera filtyp"));
}

void frmaddmapp::cmdexfilerplus_Click() {
    addEntryByInput(listexfiler,
                    QStringLiteral("Fyll i filnamnet du vill ska exkluderas, exempelvis \"Thumbs.db\""),
                    QStringLiteral("Exkludera filnamn"));
}

void frmaddmapp::cmdmappfilterplus_Click() {
    addEntryByInput(
        listmappfilter,
        QStringLiteral("Fyll i del av mappnamnet/sökvägen du vill ska exkluderas, exempelvis \"Temp\""),
        QStringLiteral("Exkludera del av mappnamn/sökväg"));
}

void frmaddmapp::cmdstartstopp_stopp_Click() {
    addEntryByInput(
        liststartstopp_stopp,
        QStringLiteral("Ange filnamnet på det program du vill stänga av, tex \"thunderbird\".\r\n\r\n"
                       "Eller ange titeln på det fönster vars program du vill stänga av, exempelvis "
                       "\"Local Folders - Thunderbird\""),
        QStringLiteral("Stäng program/fönster"));
}

void frmaddmapp::cmdstartstopp_start_Click() {
    const QString path =
        program().dialogs.pickFile(QStringLiteral("Hämta program eller fil"), QStringLiteral("/"),
                                   QStringLiteral("Program (*);;Alla filer (*)"));
    if (path.trimmed().isEmpty())
        return;
    liststartstopp_start->addItem(joblists::programEntryForPath(path));
}

void frmaddmapp::cmdstartstopp_teststart_Click() {
    QListWidgetItem* item = liststartstopp_start->currentItem();
    if (!item || !item->isSelected() || item->text().isEmpty())
        return;
    // What the start did is not reported, as after a run.
    program().dialogs.startProgram(item->text());
}

void frmaddmapp::cmdstartstopp_teststopp_Click() {
    QListWidgetItem* item = liststartstopp_stopp->currentItem();
    if (!item || !item->isSelected() || item->text().isEmpty())
        return;
    const QString entry = item->text();
    Module3::stäng_programfönster(entry);
    ModKillApp::KillApp(entry);
}

void frmaddmapp::txtexmb_LostFocus() {
    txtexmb->setText(joblists::normalisedSizeText(txtexmb->text()));
}
