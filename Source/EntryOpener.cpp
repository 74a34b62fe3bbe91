#include "Source/EntryOpener.h"

#include "Source/LxPnArcDataClasses.h"
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
        result.Message = QStringLiteral("メモリ展開ができませんでした\r\n\r\n内容の閲覧はできません\r\n\r\n") +
                         LibraryMessageText(buffer);
    else if (got == 0)
        result.Message = QStringLiteral("メモリ展開したデータがありませんでした\r\n内容の閲覧はできません");
    else if (got >= 2 && buffer[0] == 'M' && buffer[1] == 'Z')
        result.Message = QStringLiteral("実行形式ファイルが選択されました\r\n内容の閲覧はできません");
    else
        result.Text = QByteArray(buffer.data(), static_cast<qsizetype>(got));
    return result;
}

TEntryOpener::DiskPlan TEntryOpener::PlanDiskExtraction(const QString &workFolder)
{
    DiskPlan plan;
    const QString noFolder = QStringLiteral("作業用フォルダが作成できませんでした");
    if (workFolder.isEmpty()) {
        plan.Message = noFolder;
        return plan;
    }
    if (!QFileInfo::exists(workFolder))
        QDir().mkdir(workFolder);
    // The extraction folder is ours alone: made here with mode 0700, and refused when someone
    // else's folder or a link stands in its place.
    plan.Folder = QDir(workFolder).filePath(QString::fromUtf8(tovik::platform::kExtractFolderName));
    plan.Question = QStringLiteral("このファイルを\r\n") + workFolder +
                    QStringLiteral("\r\nに解凍して関連付けられたアプリケーションで開きます。\r\n\r\n"
                                   "セキュリティは保証されません。\r\n\r\n実行しますか？");
    return plan;
}

TEntryOpener::DiskResult TEntryOpener::ExtractToDisk(const TLxPackedItem &entry, const DiskPlan &plan) const
{
    DiskResult result;
    const std::string destBytes = QFile::encodeName(plan.Folder).toStdString();
    if (plan.Folder.isEmpty() || !tovik::platform::EnsurePrivateFolder(destBytes)) {
        result.Message = QStringLiteral("作業用フォルダが作成できませんでした");
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
        result.Message = QStringLiteral("解凍に失敗しました\r\n\r\n") + LibraryMessageText(libraryMessage);
    return result;
}

bool RunProgram(const QString &Path)
{
    if (!QFileInfo::exists(Path))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(Path));
}
