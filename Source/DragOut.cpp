#include "Source/DragOut.h"

#include "Source/ExtractProgressFrm.h"
#include "Source/LxPnGlobalState.h"
#include "platform/MessageBox.h"
#include "platform/WorkFolder.h"

#include <QDateTime>
#include <QDir>
#include <QDrag>
#include <QFile>
#include <QMimeData>
#include <QUrl>

QStringList ExtractForDragOut(QWidget *parent, const std::string &ArchivePath, std::vector<std::string> Entries,
                              const std::string &StripPrefix)
{
    QStringList made;
    if (Entries.empty())
        return made;
    QString work = AppIniData() ? AppIniData()->ReadString(SettingKeys::General::WorkFolder) : QString();
    if (work.isEmpty())
        work = QDir::tempPath();
    const QString privateFolder = QDir(work).filePath(QString::fromLatin1(tovik::platform::kExtractFolderName));
    if (!tovik::platform::EnsurePrivateFolder(QFile::encodeName(privateFolder).toStdString())) {
        tovik::platform::ShowMessage(parent, QStringLiteral("作業フォルダを使えません: %1").arg(privateFolder),
                                     tovik::platform::MessageKind::Error);
        return made;
    }
    QString dragFolder;
    for (int n = 0; n < 1000 && dragFolder.isEmpty(); ++n) {
        const QString candidate = QDir(privateFolder).filePath(
            QStringLiteral("drag-%1-%2").arg(QDateTime::currentMSecsSinceEpoch()).arg(n));
        if (QDir().mkdir(candidate))
            dragFolder = candidate;
    }
    if (dragFolder.isEmpty())
        return made;
    TExtractRequest request;
    request.DestFolder = QFile::encodeName(dragFolder).toStdString();
    request.Entries = std::move(Entries);
    request.StripPrefix = StripPrefix;
    const TExtractResult result = RunExtractWithProgress(parent, ArchivePath, request);
    if (result.Cancelled || result.Aborted || !result.Opened)
        return made;
    const QDir dir(dragFolder);
    for (const QString &name : dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        made << dir.filePath(name);
    return made;
}

void DragFilesOut(QWidget *source, const QStringList &Files)
{
    auto *mime = new QMimeData;
    QList<QUrl> urls;
    for (const QString &f : Files)
        urls << QUrl::fromLocalFile(f);
    mime->setUrls(urls);
    auto *drag = new QDrag(source);
    drag->setMimeData(mime);
    drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
}
