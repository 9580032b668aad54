#pragma once
#include <QDialog>
#include <QString>
#include <QStringList>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// "Information": the program folder's readme.txt, shown once per program version.
class frmreadme : public QDialog {
  public:
    explicit frmreadme(QWidget* parent = nullptr);

    QPlainTextEdit* Text1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* Command1 = nullptr; // "OK", pressed by Enter and Esc

    void Command1_Click();
};

namespace readme {

// The marker that the readme of this version was shown, and the markers of older versions.
inline const QString kMarker = QStringLiteral("readme700.dat");
inline const QStringList kOlderMarkers = {QStringLiteral("readme300.dat"), QStringLiteral("readme400.dat"),
                                          QStringLiteral("readme500.dat")};

// Whether the start-up shows the readme: only when the marker is missing.
bool due(const QString& programFolder);

// Shows readme.txt of the program folder in the window (modal, through the dialogs) and then
// writes the marker and deletes the older markers. Without readme.txt nothing happens, so the
// check comes again at the next start. Every failing step is passed over. With `over`, the window
// is shown over that one and nothing waits for it to close: an unattended start goes on.
void informera_versionen(const QString& programFolder, QWidget* over = nullptr);

} // namespace readme
