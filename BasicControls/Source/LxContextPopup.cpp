#include "LxContextPopup.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QUrl>

TLxContextPopup::TLxContextPopup(QWidget *owner) : FOwner(owner) {}

TLxContextPopup::~TLxContextPopup() { delete FMenu; }

QString TLxContextPopup::TargetPath() const
{
    if (Directory.isEmpty())
        return QString();
    if (Files.isEmpty())
        return Directory;
    return QDir(Directory).filePath(Files.first());
}

QMenu *TLxContextPopup::Popup(const QPoint &globalPos)
{
    const QString target = TargetPath();
    if (target.isEmpty())
        return nullptr;
    delete FMenu;
    FMenu = new QMenu(FOwner);
    const QString folder = QFileInfo(target).absolutePath();
    FMenu->addAction(QIcon::fromTheme(QStringLiteral("document-open")), QStringLiteral("既定のアプリケーションで開く"),
                     [target] { QDesktopServices::openUrl(QUrl::fromLocalFile(target)); });
    FMenu->addAction(QIcon::fromTheme(QStringLiteral("folder-open")), QStringLiteral("フォルダを開く"),
                     [folder] { QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); });
    FMenu->addAction(QIcon::fromTheme(QStringLiteral("edit-copy")), QStringLiteral("パスをコピー"),
                     [target] { QApplication::clipboard()->setText(target); });
    FMenu->popup(globalPos);
    return FMenu;
}
