#include "Source/EntryOpener.h"

#include "Source/LxPnArcDataClasses.h"
#include "Source/LxPnGlobalDef.h"
#include "Source/LxPnGlobalProcs.h"
#include "archive/LxArcImpl.h"
#include "platform/WorkFolder.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>

TEntryOpener::MemoryResult TEntryOpener::ExtractToMemory(const TLxPackedItem &entry) const
{
    MemoryResult result;
    TArcInfoList &registry = FImpl.Registry();
    TArcInfoItem *row = registry.CurrentItem();
    if (!row)
        return result;
    result.Attempted = true;

    // Sizes of 2 GiB and more, and unknown sizes (negative), still read the first part.
    const int64_t size = entry.OriginalSize < 0 ? MemoryExtractLimit
                                                : std::min<int64_t>(entry.OriginalSize, MemoryExtractLimit);
    std::string buffer(static_cast<size_t>(size), '\0');
    uint32_t written = 0;
    int status = -1;
    if (std::unique_ptr<TLxArchiveBase> wrapper = registry.CreateWrapper(row))
        status = wrapper->ExtractMem(nullptr, FImpl.FileName(), entry.Path, buffer, written);

    // Only what the library wrote is the entry's contents.
    const size_t got = std::min<size_t>(written, buffer.size());
    if (status < 0)
        result.Message = usertext::MemoryExtractFailed() + LibraryMessageText(buffer);
    else if (got == 0)
        result.Message = usertext::MemoryExtractEmpty();
    else if (got >= 2 && buffer[0] == 'M' && buffer[1] == 'Z')
        result.Message = usertext::ExecutableSelected();
    else
        result.Text = QByteArray(buffer.data(), static_cast<qsizetype>(got));
    return result;
}

TEntryOpener::DiskPlan TEntryOpener::PlanDiskExtraction(const QString &workFolder)
{
    DiskPlan plan;
    if (workFolder.isEmpty()) {
        plan.Message = usertext::NoWorkFolder();
        return plan;
    }
    if (!QFileInfo::exists(workFolder))
        QDir().mkdir(workFolder);
    // The extraction folder is ours alone: made here with mode 0700, and refused when someone
    // else's folder or a link stands in its place.
    plan.Folder = QDir(workFolder).filePath(QString::fromUtf8(tovik::platform::kExtractFolderName));
    plan.Question = usertext::DiskExtractQuestionHead() + workFolder + usertext::DiskExtractQuestion();
    return plan;
}

TEntryOpener::DiskResult TEntryOpener::ExtractToDisk(const TLxPackedItem &entry, const DiskPlan &plan) const
{
    DiskResult result;
    const std::string destBytes = QFile::encodeName(plan.Folder).toStdString();
    if (plan.Folder.isEmpty() || !tovik::platform::EnsurePrivateFolder(destBytes)) {
        result.Message = usertext::NoWorkFolder();
        return result;
    }
    TArcInfoList &registry = FImpl.Registry();
    std::string libraryMessage;
    bool extracted = false;
    if (std::unique_ptr<TLxArchiveBase> wrapper = registry.CreateWrapper(registry.CurrentItem()))
        extracted = wrapper->ExtractFile(nullptr, FImpl.FileName(), entry.Path, destBytes + "/", libraryMessage);
    if (extracted)
        result.File = QDir(plan.Folder).filePath(Cp932ToQString(entry.Name));
    else
        result.Message = usertext::DiskExtractFailed() + LibraryMessageText(libraryMessage);
    return result;
}

bool RunProgram(const QString &Path)
{
    if (!QFileInfo::exists(Path))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(Path));
}
