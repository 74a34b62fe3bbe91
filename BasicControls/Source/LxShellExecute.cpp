#include "LxShellExecute.h"

#include <QDesktopServices>
#include <QRegularExpression>
#include <QUrl>

namespace {

constexpr int kSucceeded = 42;
constexpr int kFileNotFound = 2;
constexpr int kNoAssociation = 31;

QUrl UrlFor(const QString &target)
{
    // A scheme of one letter would be a drive letter elsewhere; here it is never a scheme.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    static const QRegularExpression mail(QStringLiteral("^[^@\\s/]+@[^@\\s/]+\\.[^@\\s/]+$"));
    if (scheme.match(target).hasMatch())
        return QUrl(target, QUrl::TolerantMode);
    if (mail.match(target).hasMatch())
        return QUrl(QStringLiteral("mailto:") + target, QUrl::TolerantMode);
    return QUrl::fromLocalFile(target);
}

} // namespace

const char *LxSHVerbName(TLxSHVerb verb)
{
    switch (verb) {
    case TLxSHVerb::svEdit: return "edit";
    case TLxSHVerb::svExplore: return "explore";
    case TLxSHVerb::svOpen: return "open";
    case TLxSHVerb::svPrint: return "print";
    case TLxSHVerb::svProperties: return "properties";
    }
    return "open";
}

int TLxShellExec::Execute()
{
    try {
        const QString target = FileName.trimmed();
        if (target.isEmpty())
            return kFileNotFound;
        if (Verb == TLxSHVerb::svPrint || Verb == TLxSHVerb::svProperties)
            return kNoAssociation;
        return QDesktopServices::openUrl(UrlFor(target)) ? kSucceeded : kFileNotFound;
    } catch (...) {
        return -1;
    }
}
