#pragma once
// Named sounds, silent while the user has switched sounds off ("SoundKey" YES).
#include <string>

namespace platform {
class Preferences;
}

namespace kit {

// What actually plays a named sound; the kit's is Qt Multimedia.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // Starts the sound and returns at once; an unknown name plays nothing.
    virtual void play(const std::string& name) = 0;
};

class SoundNotification {
public:
    static constexpr const char* kSoundKey = "SoundKey";

    SoundNotification(platform::Preferences& preferences, SoundOutput& output)
        : preferences_(preferences), output_(output) {}

    // Read from the store at every call.
    bool isSoundDisabled() const;
    void playSoundNamed(const std::string& name);
    // Banner sounds play whatever the user chose.
    void playBannerSound(const std::string& name);

private:
    platform::Preferences& preferences_;
    SoundOutput& output_;
};

}  // namespace kit
