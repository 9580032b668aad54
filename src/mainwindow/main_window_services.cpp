// What the windows below ask of the main window (MainWindowServices).
#include "mainwindow/main_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QVariant>

int frmmain::jobCount() const {
    return comboinställningar->count();
}

QString frmmain::jobName(int i) const {
    return comboinställningar->itemText(i);
}

int frmmain::currentJobIndex() const {
    return comboinställningar->currentIndex();
}

QString frmmain::currentJobName() const {
    return comboinställningar->currentText();
}

void frmmain::selectJob(int i) {
    // The job is read afresh also when it is the one selected: its files may have changed.
    if (comboinställningar->currentIndex() == i && i >= 0)
        comboinställningar_Click();
    else
        comboinställningar->setCurrentIndex(i);
}

bool frmmain::schedulerOn() const {
    return chkaktiveraschema && chkaktiveraschema->isChecked();
}

void frmmain::setSchedulerOn(bool on) {
    if (chkaktiveraschema)
        chkaktiveraschema->setChecked(on);
}

void frmmain::setFieldText(const QString& name, const QString& text) {
    if (QWidget* w = findChild<QWidget*>(name))
        w->setProperty("text", text);
}

bool frmmain::fieldVisible(const QString& name) const {
    const QWidget* w = findChild<QWidget*>(name);
    if (!w || !isVisible())
        return false;
    // A field under a panel is hidden with what the panel covers; it is still shown.
    for (const QWidget* p = w; p && p != this; p = p->parentWidget())
        if (p->isHidden() && !hiddenWhenCovered(p))
            return false;
    return true;
}

void frmmain::setFieldVisible(const QString& name, bool visible) {
    if (QWidget* w = findChild<QWidget*>(name))
        w->setVisible(visible);
}

void frmmain::setProgressShare(double share) {
    QWidget* l = findChild<QWidget*>(QStringLiteral("lblprocent"));
    QWidget* f = findChild<QWidget*>(QStringLiteral("frameschema"));
    if (l && f)
        l->resize(int(qBound(0.0, share, 1.0) * f->width()), l->height());
}

void frmmain::addSchedulerLogEntry(const QString& text, const QString& savedLog) {
    if (auto* list = findChild<QListWidget*>(QStringLiteral("listschemalogg"))) {
        auto* item = new QListWidgetItem(text);
        item->setData(kSavedLogRole, savedLog);
        list->addItem(item);
        list->setCurrentRow(list->count() - 1);
    }
}

void frmmain::markSchedulerLogError() {
    QPalette pal = lblschemavisasyslogg->palette();
    pal.setColor(QPalette::WindowText, QColor(255, 0, 0));
    lblschemavisasyslogg->setPalette(pal);
}

void frmmain::setLblstatus2Visible(bool visible) {
    lblstatus2->setVisible(visible);
}

void frmmain::setTrayPicture(const QIcon& icon) {
    if (TrayIcon1 && TrayIcon1->picture().cacheKey() != icon.cacheKey())
        TrayIcon1->setPicture(icon);
}

QString frmmain::trayTag() const {
    return TrayIcon1 ? TrayIcon1->Tag : QString();
}

void frmmain::setTrayTag(const QString& tag) {
    if (TrayIcon1)
        TrayIcon1->Tag = tag;
}

void frmmain::setTrayToolTip(const QString& text) {
    if (TrayIcon1)
        TrayIcon1->setToolTip(text);
}

void frmmain::refreshTray() {
    if (TrayIcon1)
        TrayIcon1->addToTray();
}
