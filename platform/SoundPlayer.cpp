#include "SoundPlayer.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace tovik::platform {

namespace {

// Players kept for files no longer configured are dropped beyond this many.
constexpr size_t kMaxSoundPlayers = 4;

} // namespace

SoundPlayer::SoundPlayer() = default;

// A sound effect may still be loading its file on the audio back end's thread; deleting it
// there and then has crashed the program. Each one is handed to the event loop instead, which
// deletes it once it is safe (or the process ends first).
void SoundPlayer::Release()
{
    for (auto &entry : FSounds)
        entry.second.release()->deleteLater();
    FSounds.clear();
}

SoundPlayer::~SoundPlayer()
{
    Release();
}

void SoundPlayer::Play(const QString &fileName)
{
    // A file that is not there is not handed to the player at all; what the player cannot
    // decode it reports only through its status, which nobody waits for.
    const QFileInfo info(fileName);
    if (fileName.isEmpty() || !info.isFile() || !info.isReadable())
        return;
    auto found = FSounds.find(fileName);
    if (found == FSounds.end()) {
        if (FSounds.size() >= kMaxSoundPlayers)
            Release();
        auto effect = std::make_unique<QSoundEffect>();
        effect->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
        found = FSounds.emplace(fileName, std::move(effect)).first;
    }
    QSoundEffect &effect = *found->second;
    if (effect.status() == QSoundEffect::Error)
        return;
    // Playing before the file is loaded starts it once loading is done.
    effect.stop();
    effect.play();
}

} // namespace tovik::platform
