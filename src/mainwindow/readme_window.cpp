#include "mainwindow/readme_window.h"

#include "core/program.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/icons.h"
#include "platform/paths.h"
#include "platform/textfile.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <memory>

frmreadme::frmreadme(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmreadme"));
    setWindowTitle(QStringLiteral("Information"));
    setWindowIcon(platform::icon(platform::Picture::Backup));
    setFixedSize(520, 420);
    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setAccessibleName(QStringLiteral("Information"));
    Text1->setGeometry(10, 10, 500, 330);
    Label1 =
        new QLabel(QStringLiteral("Läs gärna manualen; filen tamrel_backup.html i programmets mapp."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setGeometry(10, 348, 500, 20);
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(420, 380, 90, 28);
    Command1->setDefault(true);
    Command1->setAutoDefault(true);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    Command1->setFocus();
}

void frmreadme::Command1_Click() {
    accept();
}

namespace readme {

namespace {
template <class F> void passOver(F&& f) {
    try {
        f();
    } catch (const platform::RunError&) {
    }
}
} // namespace

bool due(const QString& programFolder) {
    return !platform::fileInfo(platform::joinPath(programFolder, kMarker)).exists;
}

void informera_versionen(const QString& programFolder, QWidget* over) {
    const QString text = platform::joinPath(programFolder, QStringLiteral("readme.txt"));
    if (!platform::fileExists(text))
        return;
    std::unique_ptr<frmreadme> modal;
    frmreadme* window = over ? new frmreadme(over) : (modal = std::make_unique<frmreadme>()).get();
    passOver([&] {
        window->Text1->setPlainText(
            platform::readText(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    });
    if (modal) {
        program().dialogs.showModal(window);
    } else {
        QObject::connect(window, &QDialog::finished, window, &QObject::deleteLater);
        window->show();
        window->raise();
    }
    passOver([&] { platform::writeLines(platform::joinPath(programFolder, kMarker), {QString()}); });
    for (const QString& older : kOlderMarkers)
        passOver([&] {
            const QString path = platform::joinPath(programFolder, older);
            if (platform::fileInfo(path).exists)
                platform::removeFile(path);
        });
}

} // namespace readme
