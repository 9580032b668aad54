// The five drop-down history lists of the job editor.
#include "editor/histories.h"

#include "core/program.h"
#include "editor/job_editor_window.h"
#include "platform/events.h"
#include "platform/textfile.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>

namespace histories {

QStringList fileNames() {
    return {QStringLiteral("setup_namn.ini"), QStringLiteral("setup_backupmapp.ini"),
            QStringLiteral("setup_pattern.ini"), QStringLiteral("setup_expattern.ini"),
            QStringLiteral("setup_exfiler.ini")};
}

QStringList withEntry(QStringList list, const QString& text) {
    if (!text.isEmpty() && !list.contains(text, Qt::CaseSensitive))
        list.prepend(text);
    return list;
}

QStringList savedLines(const QStringList& list) {
    return list.mid(0, kMaxSaved);
}

QStringList items(const QComboBox* combo) {
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

void setItems(QComboBox* combo, const QStringList& list) {
    const QString text = combo->currentText();
    const QSignalBlocker block(combo);
    combo->clear();
    combo->addItems(list);
    combo->setCurrentIndex(-1);
    combo->setEditText(text);
}

} // namespace histories

void frmaddmapp::öppna_listval() {
    const QStringList files = histories::fileNames();
    try {
        for (int i = 0; i < files.size(); ++i) {
            const QStringList lines = platform::readLines(program().path(files[i]));
            switch (i) {
            case 0:
                histories::setItems(txtnamn, histories::items(txtnamn) + lines);
                break;
            case 1:
                histories::setItems(txtbackupmapp, histories::items(txtbackupmapp) + lines);
                break;
            case 2:
                txtpattern.items += lines;
                break;
            case 3:
                txtexpattern.items += lines;
                break;
            case 4:
                txtexfiler.items += lines;
                break;
            }
        }
    } catch (...) {
        // A missing history file (the first start) ends loading silently.
    }
}

void frmaddmapp::spara_listval() {
    showNotice(QStringLiteral("Sparar listval..."));
    histories::setItems(txtnamn, histories::withEntry(histories::items(txtnamn), txtnamn->currentText()));
    histories::setItems(txtbackupmapp,
                        histories::withEntry(histories::items(txtbackupmapp), txtbackupmapp->currentText()));
    for (HiddenText* t : {&txtpattern, &txtexpattern, &txtexfiler})
        t->items = histories::withEntry(t->items, t->text());

    const QStringList files = histories::fileNames();
    const QStringList lists[5] = {histories::items(txtnamn), histories::items(txtbackupmapp),
                                  txtpattern.items, txtexpattern.items, txtexfiler.items};
    for (int i = 0; i < 5; ++i) {
        try {
            platform::writeLines(program().path(files[i]), histories::savedLines(lists[i]));
        } catch (...) {
            // A history that cannot be written is passed over.
        }
    }
    lblstänginfo->clear();
    platform::doEvents();
}
