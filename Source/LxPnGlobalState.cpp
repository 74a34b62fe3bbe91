#include "LxPnGlobalState.h"

#include "platform/MessageBox.h"

namespace {

TAppGlobalState *gInstance = nullptr;

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
    PlaySoundFile(fileName);
}

void TAppGlobalState::PlaySoundFile(const QString &fileName)
{
    if (FSoundSink && !fileName.isEmpty())
        FSoundSink(fileName);
}

TAppIniData *AppIniData() { return gInstance ? &gInstance->IniData() : nullptr; }

void PlayUISound(int Kind)
{
    if (gInstance)
        gInstance->PlayUISound(Kind);
}

void PlaySoundFile(const QString &fileName)
{
    if (gInstance)
        gInstance->PlaySoundFile(fileName);
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
