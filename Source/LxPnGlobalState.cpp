#include "LxPnGlobalState.h"

#include "platform/MessageBox.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace {

TAppGlobalState *gInstance = nullptr;

// Players kept for files no longer configured are dropped beyond this many.
constexpr size_t kMaxSoundPlayers = 4;

} // namespace

TAppGlobalState::TAppGlobalState()
{
    Q_ASSERT_X(!gInstance, "Source\\LxPnGlobalState", "a second program state");
    FIniData = std::make_unique<TAppIniData>();
    FIniData->Load();
    gInstance = this;
    tovik::platform::SetMessageHook([] { ::PlayUISound(0); });
}

TAppGlobalState::~TAppGlobalState()
{
    tovik::platform::SetMessageHook(nullptr);
    if (gInstance == this)
        gInstance = nullptr;
    FSounds.clear();
    FIniData.reset();
}

TAppGlobalState *TAppGlobalState::Instance() { return gInstance; }

void TAppGlobalState::PlayUISound(int Kind)
{
    if (FBatchMode)
        return;
    const QString fileName = FIniData->GetSoundFile(Kind);
    if (fileName.isEmpty())
        return;
    if (FSoundSink)
        FSoundSink(fileName);
    else
        PlayFile(fileName);
}

void TAppGlobalState::PlayFile(const QString &fileName)
{
    // A file that is not there is not handed to the player at all; what the player cannot
    // decode it reports only through its status, which nobody waits for.
    const QFileInfo info(fileName);
    if (!info.isFile() || !info.isReadable())
        return;
    auto found = FSounds.find(fileName);
    if (found == FSounds.end()) {
        if (FSounds.size() >= kMaxSoundPlayers)
            FSounds.clear();
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

TAppIniData *AppIniData() { return gInstance ? &gInstance->IniData() : nullptr; }

void PlayUISound(int Kind)
{
    if (gInstance)
        gInstance->PlayUISound(Kind);
}

TBatchModeScope::TBatchModeScope()
{
    if (gInstance) {
        FPrevious = gInstance->BatchMode();
        gInstance->SetBatchMode(true);
    }
}

TBatchModeScope::~TBatchModeScope()
{
    if (gInstance)
        gInstance->SetBatchMode(FPrevious);
}
