#include "LxVersionInfo.h"

#ifndef TOVIK_VERSION
#define TOVIK_VERSION ""
#endif

QString TLxVersionInfo::FileVersion() const
{
    const QString version = QString::fromLatin1(TOVIK_VERSION).trimmed();
    if (version.isEmpty())
        return QStringLiteral("Version情報はありません");
    return version;
}
