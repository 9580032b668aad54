#pragma once
#include <QIcon>
#include <QObject>
#include <QString>

class QSystemTrayIcon;

namespace platform {

// The notification-area icon: picture, tooltip, put in and remove, a Tag, and a click.
class TrayIcon : public QObject {
    Q_OBJECT
  public:
    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

    void setPicture(const QIcon& icon);
    QIcon picture() const { return picture_; }
    void setToolTip(const QString& text);
    QString toolTip() const { return toolTip_; }
    void addToTray();      // the icon appears (or shows again with its picture and tooltip)
    void removeFromTray(); // the icon disappears
    bool inTray() const { return inTray_; }
    // Whether the desktop has a notification area at all.
    static bool available();

    QString Tag; // "err" while the error picture of a failed run is shown

  signals:
    void mouseDown();

  private:
    QSystemTrayIcon* icon_ = nullptr;
    QIcon picture_;
    QString toolTip_;
    bool inTray_ = false;
};

} // namespace platform
