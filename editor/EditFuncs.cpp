#include "EditFuncs.h"

#include "platform/Cp932String.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QUrl>

#include <algorithm>
#include <cmath>

// ---- colours --------------------------------------------------------------------------

namespace {

// The classic desktop colours, by system colour index, for when there is no application
// palette to ask (tests, tools).
constexpr uint32_t kClassicSystemColors[] = {
    0xC8D0D4, // 0 scroll bar
    0x808000, // 1 desktop background
    0x6A240A, // 2 active caption
    0x808080, // 3 inactive caption
    0xC8D0D4, // 4 menu
    0xFFFFFF, // 5 window
    0x000000, // 6 window frame
    0x000000, // 7 menu text
    0x000000, // 8 window text
    0xFFFFFF, // 9 caption text
    0xC8D0D4, // 10 active border
    0xC8D0D4, // 11 inactive border
    0x808080, // 12 application workspace
    0x6A240A, // 13 highlight
    0xFFFFFF, // 14 highlight text
    0xC8D0D4, // 15 button face
    0x808080, // 16 button shadow
    0x808080, // 17 grey text
    0x000000, // 18 button text
    0xC8D0D4, // 19 inactive caption text
    0xFFFFFF, // 20 button highlight
    0x404040, // 21 3-D dark shadow
    0xC8D0D4, // 22 3-D light
    0x000000, // 23 tool-tip text
    0xE1FFFF, // 24 tool-tip background
    0xB5B5B5, // 25 (unused)
    0x800000, // 26 hot-track
    0xF0CAA6, // 27 active caption gradient
    0xC0C0C0, // 28 inactive caption gradient
    0x6A240A, // 29 menu highlight
    0xC8D0D4, // 30 menu bar
};

QColor FromBgr(uint32_t bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

// The palette colour standing in for a system colour; invalid when the palette has no
// counterpart.
QColor FromPalette(const QPalette &p, int index)
{
    switch (index) {
    case 0: case 4: case 10: case 11: case 15: case 22: case 30:
        return p.color(QPalette::Button);
    case 1: case 12:
        return p.color(QPalette::Dark);
    case 2: case 13: case 29:
        return p.color(QPalette::Highlight);
    case 3: case 16: case 17:
        return p.color(QPalette::Disabled, QPalette::Text);
    case 5:
        return p.color(QPalette::Base);
    case 6: case 21:
        return p.color(QPalette::Shadow);
    case 7: case 8:
        return p.color(QPalette::Text);
    case 9: case 14:
        return p.color(QPalette::HighlightedText);
    case 18:
        return p.color(QPalette::ButtonText);
    case 19:
        return p.color(QPalette::Disabled, QPalette::WindowText);
    case 20:
        return p.color(QPalette::Light);
    case 23:
        return p.color(QPalette::ToolTipText);
    case 24:
        return p.color(QPalette::ToolTipBase);
    case 26:
        return p.color(QPalette::Link);
    case 27: case 28:
        return p.color(QPalette::Midlight);
    default:
        return QColor();
    }
}

} // namespace

QColor ColorValueToQColor(int32_t value, const QColor &fallback)
{
    const uint32_t v = static_cast<uint32_t>(value);
    const uint32_t top = v >> 24;
    if (top == 0x20)
        return fallback;
    if (top == 0xFF) {
        const int index = static_cast<int>(v & 0xFF);
        if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
            QColor c = FromPalette(QGuiApplication::palette(), index);
            if (c.isValid())
                return c;
        }
        if (index < static_cast<int>(std::size(kClassicSystemColors)))
            return FromBgr(kClassicSystemColors[index]);
        return QColor(Qt::black);
    }
    return FromBgr(v & 0xFFFFFF);
}

int32_t QColorToColorValue(const QColor &color)
{
    if (!color.isValid())
        return 0;
    const QColor c = color.toRgb();
    return RgbValue(c.red(), c.green(), c.blue());
}

// ---- measurement and output -----------------------------------------------------------

QString DisplayTextToQString(std::string_view cp932)
{
    bool ascii = true;
    for (char ch : cp932) {
        const unsigned char b = static_cast<unsigned char>(ch);
        if (b >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) {
        QString s = QString::fromLatin1(cp932.data(), static_cast<qsizetype>(cp932.size()));
        s.replace(QLatin1Char('\t'), QLatin1Char(' '));
        return s;
    }
    // Fillers and tabs are columns of blank; convert the rest piecewise so a filler never
    // reaches the converter (it is no CP932 byte and would become U+30FB).
    QString out;
    out.reserve(static_cast<qsizetype>(cp932.size()));
    size_t start = 0;
    auto flush = [&](size_t end) {
        if (end > start)
            out.append(tovik::platform::Cp932ToQString(cp932.substr(start, end - start)));
    };
    for (size_t i = 0; i < cp932.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(cp932[i]);
        if (IsLeadByte(b) && i + 1 < cp932.size()) {
            ++i;
            continue;
        }
        if (b == 0xFE || b == '\t') {
            flush(i);
            out.append(QLatin1Char(' '));
            start = i + 1;
        }
    }
    flush(cp932.size());
    return out;
}

TEditTextMeasure::TEditTextMeasure(const QFont &font, QPaintDevice *device)
    : FFont(font), FMetrics(device ? QFontMetricsF(font, device) : QFontMetricsF(font)), FDevice(device)
{
    FLineHeight = static_cast<int>(std::ceil(FMetrics.ascent() + FMetrics.descent()));
    if (FLineHeight < 1)
        FLineHeight = 1;
    const qreal half = FMetrics.horizontalAdvance(QStringLiteral("0000000000")) / 10;
    const qreal narrow = FMetrics.horizontalAdvance(QStringLiteral("iiiiiiiiii")) / 10;
    const qreal wide = FMetrics.horizontalAdvance(QStringLiteral("WWWWWWWWWW")) / 10;
    const qreal kanji = FMetrics.horizontalAdvance(QStringLiteral("漢漢漢漢漢")) / 5;
    FColumnWidth = half > 0 ? half : 1;
    const qreal eps = 0.01;
    FFixedPitch = std::abs(narrow - half) < eps && std::abs(wide - half) < eps && std::abs(kanji - 2 * half) < eps;
}

qreal TEditTextMeasure::Width(std::string_view cp932) const
{
    if (FFixedPitch)
        return FColumnWidth * static_cast<qreal>(cp932.size());
    return FMetrics.horizontalAdvance(DisplayTextToQString(cp932));
}

qreal TEditTextMeasure::WidthOfColumns(std::string_view cp932, int columns) const
{
    if (columns <= 0)
        return 0;
    size_t n = std::min(static_cast<size_t>(columns), cp932.size());
    if (n < cp932.size() && IsTrailByteAt(cp932, static_cast<int>(n)))
        ++n;
    return Width(cp932.substr(0, n));
}

int TEditTextMeasure::ColumnAtX(std::string_view cp932, qreal x) const
{
    if (x <= 0 || cp932.empty())
        return 0;
    // Walk characters; the column is the boundary nearest to x.
    qreal left = 0;
    size_t i = 0;
    while (i < cp932.size()) {
        const size_t len = (IsLeadByte(static_cast<unsigned char>(cp932[i])) && i + 1 < cp932.size()) ? 2 : 1;
        const qreal w = FFixedPitch ? FColumnWidth * static_cast<qreal>(len) : Width(cp932.substr(i, len));
        if (x < left + w / 2)
            return static_cast<int>(i);
        left += w;
        i += len;
        if (FFixedPitch && x > left + FColumnWidth * 64) {
            // Jump ahead over characters that lie wholly before x: columns are exact here.
            const size_t skip = static_cast<size_t>((x - left) / FColumnWidth) - 2;
            size_t j = std::min(cp932.size(), i + skip);
            if (j < cp932.size() && IsTrailByteAt(cp932, static_cast<int>(j)))
                ++j;
            left += FColumnWidth * static_cast<qreal>(j - i);
            i = j;
        }
    }
    return static_cast<int>(cp932.size());
}

void TEditTextMeasure::Draw(QPainter &painter, qreal x, qreal baselineY, std::string_view cp932) const
{
    if (cp932.empty())
        return;
    painter.drawText(QPointF(x, baselineY), DisplayTextToQString(cp932));
}

// ---- display-text functions -------------------------------------------------------------

bool IsTrailByteAt(std::string_view text, int index)
{
    if (index <= 0 || index >= static_cast<int>(text.size()))
        return false;
    int i = 0;
    while (i < index) {
        if (IsLeadByte(static_cast<unsigned char>(text[static_cast<size_t>(i)])) && i + 1 < static_cast<int>(text.size())) {
            if (i + 1 == index)
                return true;
            i += 2;
        } else {
            ++i;
        }
    }
    return false;
}

std::string ExpandTabs(std::string_view text, int tabWidth)
{
    if (tabWidth < 1)
        tabWidth = 1;
    std::string out;
    if (text.find('\t') == std::string_view::npos)
        return std::string(text);
    out.reserve(text.size() + 16);
    for (char ch : text) {
        if (ch == '\t') {
            const int take = tabWidth - static_cast<int>(out.size() % static_cast<size_t>(tabWidth));
            out.push_back('\t');
            out.append(static_cast<size_t>(take - 1), kFillerByte);
        } else {
            out.push_back(ch);
        }
    }
    return out;
}

std::string StripFillers(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char ch : text)
        if (ch != kFillerByte)
            out.push_back(ch);
    return out;
}

std::string TabDisplayText(int column, int tabWidth, bool showMark)
{
    if (tabWidth < 1)
        tabWidth = 1;
    const int n = tabWidth - ((column % tabWidth) + tabWidth) % tabWidth;
    std::string s(static_cast<size_t>(n), ' ');
    if (showMark && n > 0)
        s.back() = '|';
    return s;
}

int SkipFillers(std::string_view text, int position, bool forward)
{
    const int n = static_cast<int>(text.size());
    if (position < 2 || position > n + 1)
        return position;
    const char before = text[static_cast<size_t>(position - 2)];
    if (before != '\t' && before != kFillerByte)
        return position;
    if (forward) {
        while (position <= n && text[static_cast<size_t>(position - 1)] == kFillerByte)
            ++position;
    } else {
        while (position > 1 && text[static_cast<size_t>(position - 2)] == kFillerByte)
            --position;
        if (position > 1)
            --position; // onto the tab byte, then one more
    }
    return position;
}

int FindSub(std::string_view text, std::string_view sub, int limit, bool forward)
{
    const int n = static_cast<int>(text.size());
    const int m = static_cast<int>(sub.size());
    if (m == 0 || m > n)
        return -1;
    // Occurrences start on character boundaries only: a trail byte never begins a match.
    int found = -1;
    int i = 0;
    while (i + m <= n) {
        const bool lead = IsLeadByte(static_cast<unsigned char>(text[static_cast<size_t>(i)])) && i + 1 < n;
        if (forward ? i > limit : i < limit - m) {
            if (text.compare(static_cast<size_t>(i), static_cast<size_t>(m), sub) == 0) {
                if (forward)
                    return i;
                found = i; // backward: the occurrence nearest to the limit
            }
        } else if (!forward) {
            break;
        }
        i += lead ? 2 : 1;
    }
    return found;
}

std::string InsertAt(std::string_view text, std::string_view sub, int position)
{
    std::string out(text);
    if (position <= 0)
        out.insert(0, sub);
    else if (position >= static_cast<int>(out.size()))
        out.append(sub);
    else
        out.insert(static_cast<size_t>(position), sub);
    return out;
}

std::string CharAtColumn(std::string_view text, int column, bool forward)
{
    const int n = static_cast<int>(text.size());
    if (n == 0 || (forward && column >= n))
        return "\r\n";
    if (forward) {
        if (column < 0)
            column = 0;
        const unsigned char b = static_cast<unsigned char>(text[static_cast<size_t>(column)]);
        if (IsLeadByte(b) && !IsTrailByteAt(text, column) && column + 1 < n)
            return std::string(text.substr(static_cast<size_t>(column), 2));
        return std::string(1, text[static_cast<size_t>(column)]);
    }
    if (column <= 0)
        return std::string();
    if (column > n)
        column = n;
    if (column >= 2 && IsTrailByteAt(text, column - 1))
        return std::string(text.substr(static_cast<size_t>(column - 2), 2));
    return std::string(1, text[static_cast<size_t>(column - 1)]);
}

void CountColumns(std::string_view text, int tabWidth, int &crCount, int &column)
{
    size_t i = 0;
    while (i < text.size()) {
        const char ch = text[i];
        if (ch == '\r') {
            ++crCount;
            ++i;
        } else if (ch == '\n') {
            column = 0;
            ++i;
        } else if (ch == '\t') {
            size_t k = 0;
            while (i < text.size() && text[i] == '\t') {
                ++k;
                ++i;
            }
            column += static_cast<int>(k) * tabWidth;
        } else {
            ++column;
            ++i;
        }
    }
}

// ---- clipboard and desktop --------------------------------------------------------------

void SetClipboardText(std::string_view cp932)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    QGuiApplication::clipboard()->setText(tovik::platform::Cp932ToQString(cp932));
}

std::string GetClipboardText()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return std::string();
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty())
        return std::string();
    return tovik::platform::QStringToCp932(text);
}

bool OpenWithShell(const QString &pathOrAddress)
{
    const QString s = pathOrAddress.trimmed();
    if (s.isEmpty())
        return false;
    QUrl url;
    if (s.startsWith(QLatin1Char('/')) || QFileInfo::exists(s))
        url = QUrl::fromLocalFile(QFileInfo(s).absoluteFilePath());
    else if (!s.contains(QLatin1Char(':')) && s.contains(QLatin1Char('@')))
        url = QUrl(QStringLiteral("mailto:") + s);
    else if (s.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
        url = QUrl(QStringLiteral("http://") + s);
    else
        url = QUrl(s);
    if (!url.isValid())
        return false;
    return QDesktopServices::openUrl(url);
}

bool OpenInBrowser(const QString &address)
{
    const QString s = address.trimmed();
    if (s.isEmpty())
        return false;
    QUrl url = s.startsWith(QLatin1String("www."), Qt::CaseInsensitive) ? QUrl(QStringLiteral("http://") + s) : QUrl(s);
    if (!url.isValid() || url.scheme().isEmpty())
        return false;
    return QDesktopServices::openUrl(url);
}
