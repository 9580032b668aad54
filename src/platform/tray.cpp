#include "platform/tray.h"

#include <QSystemTrayIcon>

namespace platform {

TrayIcon::TrayIcon(QObject* parent) : QObject(parent) {}

TrayIcon::~TrayIcon() {
    delete icon_;
}

bool TrayIcon::available() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::setPicture(const QIcon& icon) {
    picture_ = icon;
    if (icon_)
        icon_->setIcon(icon);
}

void TrayIcon::setToolTip(const QString& text) {
    toolTip_ = text;
    if (icon_)
        icon_->setToolTip(text);
}

void TrayIcon::addToTray() {
    inTray_ = true;
    if (!icon_) {
        icon_ = new QSystemTrayIcon;
        connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
            if (r == QSystemTrayIcon::Trigger || r == QSystemTrayIcon::DoubleClick ||
                r == QSystemTrayIcon::Context || r == QSystemTrayIcon::MiddleClick)
                emit mouseDown();
        });
    }
    icon_->setIcon(picture_);
    icon_->setToolTip(toolTip_);
    if (available())
        icon_->show();
}

void TrayIcon::removeFromTray() {
    inTray_ = false;
    if (icon_)
        icon_->hide();
}

} // namespace platform
