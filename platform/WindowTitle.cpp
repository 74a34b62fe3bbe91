#include "platform/WindowTitle.h"

#include <QFileInfo>

namespace tovik::platform {

QString ProgramTitle() { return QStringLiteral("Tovik 書庫ビューア"); }

QString DocumentCaption(const QString &documentPath)
{
    const QString name = QFileInfo(documentPath).fileName();
    if (name.isEmpty())
        return ProgramTitle();
    return name + QStringLiteral(" — ") + ProgramTitle();
}

} // namespace tovik::platform
