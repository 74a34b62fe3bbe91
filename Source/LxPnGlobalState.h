// The program-wide state: the settings store and the batch flag.
//
// One TAppGlobalState exists while the program runs; the program entry creates it before any
// window and destroys it after the last one. While it exists, AppIniData() answers its store and
// every message box is preceded by the message sound. Tests create and destroy it freely; with
// TOVIK_INI set, it reads and writes that file.
//
// Sounds reach the speaker through a sink that the program installs (platform/SoundPlayer.h);
// without one they go nowhere, so nothing but the program links the audio libraries.
#ifndef TOVIK_SOURCE_LXPNGLOBALSTATE_H
#define TOVIK_SOURCE_LXPNGLOBALSTATE_H

#include "Source/LxPnSystem.h"

#include <QString>

#include <functional>
#include <memory>

class TAppGlobalState {
public:
    // Creates the settings store and loads it. Only one may exist at a time.
    TAppGlobalState();
    ~TAppGlobalState();
    TAppGlobalState(const TAppGlobalState &) = delete;
    TAppGlobalState &operator=(const TAppGlobalState &) = delete;

    // The living instance, or null.
    static TAppGlobalState *Instance();

    TAppIniData &IniData() { return *FIniData; }

    // Set while several archives are opened in a row: no sounds then.
    bool BatchMode() const { return FBatchMode; }
    void SetBatchMode(bool value) { FBatchMode = value; }

    // Plays the sound of a user-interface event (0 message, 1 also message, 2 click) unless the
    // batch flag is set or sounds are off. Asynchronous; a missing or broken file plays nothing
    // and is not reported.
    void PlayUISound(int Kind);
    // Plays one file through the sink, whatever the settings say (the options dialog's test
    // buttons).
    void PlaySoundFile(const QString &fileName);

    // Where sounds go: the program's player, or a recorder in tests. Null plays nothing.
    using TSoundSink = std::function<void(const QString &fileName)>;
    void SetSoundSink(TSoundSink sink) { FSoundSink = std::move(sink); }

private:
    std::unique_ptr<TAppIniData> FIniData;
    bool FBatchMode = false;
    TSoundSink FSoundSink;
};

// The settings store of the living state; null when there is none.
TAppIniData *AppIniData();

// PlayUISound of the living state; nothing when there is none.
void PlayUISound(int Kind);
// PlaySoundFile of the living state; nothing when there is none.
void PlaySoundFile(const QString &fileName);

// Sets the batch flag for its lifetime and restores the previous value after.
class TBatchModeScope {
public:
    TBatchModeScope();
    ~TBatchModeScope();
    TBatchModeScope(const TBatchModeScope &) = delete;
    TBatchModeScope &operator=(const TBatchModeScope &) = delete;

private:
    bool FPrevious = false;
};

#endif
