// Plays the program's user-interface sounds: .wav files, asynchronously, every failure ignored.
// Kept apart from the settings so that only the program itself links the audio libraries.
#ifndef TOVIK_PLATFORM_SOUNDPLAYER_H
#define TOVIK_PLATFORM_SOUNDPLAYER_H

#include <QString>

#include <map>
#include <memory>

class QSoundEffect;

namespace tovik::platform {

class SoundPlayer {
public:
    SoundPlayer();
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer &) = delete;
    SoundPlayer &operator=(const SoundPlayer &) = delete;

    // Starts playing fileName and returns at once. A missing, unreadable or undecodable file
    // plays nothing and is not reported; without an audio device nothing is heard.
    void Play(const QString &fileName);

private:
    void Release();
    // One player per file, kept so that a sound may finish after the call returns.
    std::map<QString, std::unique_ptr<QSoundEffect>> FSounds;
};

} // namespace tovik::platform

#endif
