#include "Fonts.h"

#include <QStringList>

namespace tovik::platform {
namespace {

struct Substitute {
    const char *name; // UTF-8
    const char *faces[2];
};

// Fixed-pitch Gothic first: a half-width character of IPAGothic is exactly half of a
// full-width one, which the column arithmetic of the text views relies on.
constexpr Substitute kSubstitutes[] = {
    {"ＭＳ ゴシック", {"IPAGothic", "Noto Sans Mono CJK JP"}},
    {"MS Gothic", {"IPAGothic", "Noto Sans Mono CJK JP"}},
    {"ＭＳ Ｐゴシック", {"IPAPGothic", "Noto Sans CJK JP"}},
    {"MS PGothic", {"IPAPGothic", "Noto Sans CJK JP"}},
    {"ＭＳ UI Gothic", {"IPAPGothic", "Noto Sans CJK JP"}},
    {"MS UI Gothic", {"IPAPGothic", "Noto Sans CJK JP"}},
    {"ＭＳ 明朝", {"IPAMincho", "Noto Serif CJK JP"}},
    {"MS Mincho", {"IPAMincho", "Noto Serif CJK JP"}},
    {"ＭＳ Ｐ明朝", {"IPAPMincho", "Noto Serif CJK JP"}},
    {"MS PMincho", {"IPAPMincho", "Noto Serif CJK JP"}},
};

constexpr char kDefaultFixedName[] = "ＭＳ ゴシック";

} // namespace

void RegisterFontSubstitutes()
{
    for (const Substitute &s : kSubstitutes) {
        const QString name = QString::fromUtf8(s.name);
        QStringList faces;
        for (const char *face : s.faces)
            faces << QString::fromLatin1(face);
        // insertSubstitutions appends; skip what an earlier call already registered.
        QStringList missing;
        const QStringList present = QFont::substitutes(name);
        for (const QString &face : faces)
            if (!present.contains(face))
                missing << face;
        if (!missing.isEmpty())
            QFont::insertSubstitutions(name, missing);
    }
}

QFont FontFromSettings(const QString &name, int pointSize)
{
    QFont font(name.trimmed().isEmpty() ? QString::fromUtf8(kDefaultFixedName) : name.trimmed());
    font.setStyleHint(QFont::TypeWriter);
    if (pointSize >= 1)
        font.setPointSize(pointSize);
    return font;
}

} // namespace tovik::platform
