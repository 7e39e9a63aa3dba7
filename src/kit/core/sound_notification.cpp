#include "kit/core/sound_notification.h"

#include "platform/preferences.h"

namespace kit {

bool SoundNotification::isSoundDisabled() const { return preferences_.boolForKey(kSoundKey); }

void SoundNotification::playSoundNamed(const std::string& name) {
    if (name.empty() || isSoundDisabled()) return;
    output_.play(name);
}

void SoundNotification::playBannerSound(const std::string& name) {
    if (!name.empty()) output_.play(name);
}

}  // namespace kit
