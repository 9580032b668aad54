#include "platform/sound.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMediaDevices>
#include <QPointer>
#include <QSoundEffect>
#include <QUrl>

namespace platform {

void playSound(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    if (!QCoreApplication::instance())
        return;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return;
    // One effect at a time, as the run-time's asynchronous play did: a new sound replaces the
    // one still playing.
    static QPointer<QSoundEffect> effect;
    if (!effect)
        effect = new QSoundEffect(device, QCoreApplication::instance());
    effect->stop();
    effect->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    effect->play();
}

} // namespace platform
