#include "kit/qt_sound_output.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

#include "platform/resource_bundle.h"
#include "kit/shown_text.h"
#include "kit/own_text.h"

namespace kit {

QString QtSoundOutput::soundPath(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos) return {};
    const auto path = platform::ResourceBundle::pathForResource("sounds/" + name, "wav");
    return path ? kit::filePath(*path) : QString();
}

void QtSoundOutput::play(const std::string& name) {
    // In a slice of its own: the first look for an audio device starts the sound server's client.
    QMetaObject::invokeMethod(&owner_, [this, name] { playNow(name); }, Qt::QueuedConnection);
}

void QtSoundOutput::playNow(const std::string& name) {
    if (QMediaDevices::audioOutputs().isEmpty()) return;
    const QString path = soundPath(name);
    if (path.isEmpty()) return;
    auto* effect = new QSoundEffect(&owner_);
    effect->setSource(QUrl::fromLocalFile(path));
    QObject::connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
        if (!effect->isPlaying()) effect->deleteLater();
    });
    effect->play();
}

}  // namespace kit
