#include "core/error_dialog.h"

#include "core/program.h"
#include "platform/accessibility.h"
#include "platform/icons.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
constexpr int tw(int twips) {
    return twips / 15;
}
} // namespace

frmerror::frmerror() {
    setObjectName(QStringLiteral("frmerror"));
    setWindowFlags(Qt::Dialog);
    platform::showAsAlert(this);
    setWindowTitle(QStringLiteral("Tamrel Backup"));
    if (QWidget* m = program().mainWindow().widget())
        setWindowIcon(m->windowIcon());
    setFixedSize(tw(6600), tw(3000));
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(tw(240), tw(240), tw(480), tw(480));
    Image1->setPixmap(platform::picture(platform::Picture::Error));
    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setPixmap(platform::picture(platform::Picture::Information));
    Image2->hide();
    lblfel = new QPlainTextEdit(this);
    lblfel->setObjectName(QStringLiteral("lblfel"));
    lblfel->setReadOnly(true);
    lblfel->setAccessibleName(QStringLiteral("Meddelande"));
    lblfel->setGeometry(tw(960), tw(240), tw(5400), tw(1920));
    cmdok = new QPushButton(QStringLiteral("OK"), this);
    cmdok->setObjectName(QStringLiteral("cmdok"));
    cmdok->setGeometry(tw(2700), tw(2340), tw(1200), tw(375));
    cmdok->setDefault(true);
    // Enter and Space answer the dialog at once, as a message box does; Escape as well.
    platform::setCancelButton(cmdok, true);
    cmdok->setFocus();
    QObject::connect(cmdok, &QPushButton::clicked, this, [this] { cmdok_Click(); });
}

void frmerror::cmdok_Click() {
    program().unload<frmerror>();
}

void frmerror::setText(const QString& text) {
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lblfel->setPlainText(t);
    setAccessibleDescription(t); // what a screen reader announces with the alert
}

void frmerror::closeEvent(QCloseEvent* e) {
    QWidget::closeEvent(e);
    cmdok_Click();
}

bool frmerror::showsInformation() const {
    return Image1->pixmap().cacheKey() == Image2->pixmap().cacheKey();
}
