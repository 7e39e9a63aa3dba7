#pragma once
// Named sounds from resources/sounds/<name>.wav through Qt Multimedia; silent
// where the machine has no audio output.
#include <QObject>

#include "kit/core/sound_notification.h"

namespace kit {

class QtSoundOutput : public SoundOutput {
public:
    void play(const std::string& name) override;
    // The file of a named sound, empty when there is none.
    static QString soundPath(const std::string& name);

private:
    void playNow(const std::string& name);

    QObject owner_;  // parent of the effects that are still playing
};

}  // namespace kit
