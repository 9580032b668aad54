#pragma once
#include <QString>
#include <QStringList>

class QComboBox;

// The drop-down histories of the job editor: one small file per field in the program folder,
// the top entry first.
namespace histories {

constexpr int kMaxSaved = 20;

// The five history files, in the order they are loaded and saved: name, backup folder, file
// types, excluded types, excluded names.
QStringList fileNames();

// The list with `text` as its new first entry; an empty text, or one already in the list
// (letter case included), leaves the list as it is.
QStringList withEntry(QStringList list, const QString& text);

// The lines a history file holds: the first 20 entries.
QStringList savedLines(const QStringList& list);

// The entries of a combo box, and replacing them without touching its edited text (an editable
// combo box would otherwise take its first entry as text when it gets one).
QStringList items(const QComboBox* combo);
void setItems(QComboBox* combo, const QStringList& list);

} // namespace histories
