// The editor's shared helpers: colour values, text measurement and output without a widget,
// the display-text functions over expanded lines, the clipboard and the desktop.
//
// Display text is CP932 bytes. An expanded line (ExpandTabs) holds each tab byte followed by
// filler bytes 0xFE up to the next tab stop, so one byte is one column and a double-byte
// character takes two.
//
// Colours: a stored colour value is 0x00BBGGRR, or 0xFF0000nn for system colour nn (negative
// when read as signed); kDefaultColor (0x20000000) in a token's draw properties means "the
// editor's own colour". ColorValueToQColor is the one conversion the editor, the print preview
// and the options dialog share.
//
// Measurement: TEditTextMeasure measures and draws CP932 text in a font on any paint device
// (the screen, a printer, a recorded page), so the screen view and the print preview lay out
// the same tokens the same way, each with its own metrics and caches.
#ifndef TOVIK_EDITOR_EDITFUNCS_H
#define TOVIK_EDITOR_EDITFUNCS_H

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

class QPaintDevice;
class QPainter;
class QPointF;

// ---- colours --------------------------------------------------------------------------

// "Use the editor's own colour" in draw properties.
constexpr int32_t kDefaultColor = 0x20000000;
// The system-colour flag of a stored colour value (0xFF000000 as signed).
constexpr int32_t kSystemColorFlag = static_cast<int32_t>(0xFF000000u);
// The system colour index of a value, e.g. 15 (button face) for -16777201.
constexpr int32_t SystemColorValue(int index) { return kSystemColorFlag | (index & 0xFF); }

// A stored colour value as a QColor. Fixed colours are 0x00BBGGRR (the top byte ignored);
// system colours (0xFF0000nn) come from the application palette, or from the classic
// defaults when there is no application; an unknown system index gives black.
// kDefaultColor (and any value whose top byte is 0x20) answers fallback, which may be
// invalid: the caller decides what "its own colour" is.
QColor ColorValueToQColor(int32_t value, const QColor &fallback = QColor());
// The fixed colour value (0x00BBGGRR) of a QColor; an invalid colour gives black.
int32_t QColorToColorValue(const QColor &color);
// (red, green, blue) as a colour value.
constexpr int32_t RgbValue(int r, int g, int b) { return (b & 0xFF) << 16 | (g & 0xFF) << 8 | (r & 0xFF); }

// ---- measurement and output -----------------------------------------------------------

// CP932 bytes as Unicode for drawing and measuring one token or piece of an expanded line.
// Tabs and fillers (0xFE) become spaces, so a piece of an expanded line keeps its columns;
// a lead byte without its trail byte becomes U+30FB. ASCII takes a fast path.
QString DisplayTextToQString(std::string_view cp932);

// Text measurement and output in one font on one paint device (null: the screen). Copies are
// cheap; keep one per consumer (view, printer page), never share one across devices.
class TEditTextMeasure {
public:
    explicit TEditTextMeasure(const QFont &font = QFont(), QPaintDevice *device = nullptr);

    const QFont &Font() const { return FFont; }
    const QFontMetricsF &Metrics() const { return FMetrics; }
    QPaintDevice *Device() const { return FDevice; }

    // Height of one row (ascent + descent, rounded up to whole pixels), and the ascent.
    int LineHeight() const { return FLineHeight; }
    qreal Ascent() const { return FMetrics.ascent(); }
    // Width of one column (a half-width character).
    qreal ColumnWidth() const { return FColumnWidth; }
    // True when every half-width character is ColumnWidth wide and every full-width one twice
    // that; widths are then column arithmetic, exact and independent of the text's length.
    bool FixedPitch() const { return FFixedPitch; }

    // Width of CP932 bytes (a token, or a piece of an expanded line).
    qreal Width(std::string_view cp932) const;
    // Width of the first `columns` bytes of an expanded piece; a column inside a double-byte
    // character counts that character whole.
    qreal WidthOfColumns(std::string_view cp932, int columns) const;
    // The byte offset in text whose left edge is nearest to x (0 .. size); never inside a
    // double-byte character.
    int ColumnAtX(std::string_view cp932, qreal x) const;

    // Draws CP932 bytes with the left edge of the first character at x and the baseline at y.
    void Draw(QPainter &painter, qreal x, qreal baselineY, std::string_view cp932) const;

private:
    QFont FFont;
    QFontMetricsF FMetrics;
    QPaintDevice *FDevice = nullptr;
    qreal FColumnWidth = 0;
    int FLineHeight = 0;
    bool FFixedPitch = false;
};

// ---- display-text functions -------------------------------------------------------------

constexpr char kFillerByte = static_cast<char>(0xFE);

// True when b starts a double-byte CP932 character.
constexpr bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
// True when the byte at index of text is the second byte of a double-byte character, judged
// from the start of the text.
bool IsTrailByteAt(std::string_view text, int index);

// Each tab becomes the tab byte and T - (L mod T) - 1 fillers (L: the expanded length so far).
std::string ExpandTabs(std::string_view text, int tabWidth);
// The text without any filler byte.
std::string StripFillers(std::string_view text);
// T - (column mod T) spaces; with showMark the last of them is "|".
std::string TabDisplayText(int column, int tabWidth, bool showMark);
// 1-based position: when the byte before it is a tab or a filler, forward moves past all
// following fillers; backward moves back over fillers onto the tab byte and then one more.
int SkipFillers(std::string_view text, int position, bool forward);
// The offset of an occurrence of sub starting after limit (forward: the first) or before
// limit - size(sub) (backward: the last, nearest to the limit), or -1. Bytewise; an
// occurrence starts on a character boundary, never on the trail byte of a double-byte
// character, and overlapping candidates are all tried ("aab" is found in "aaab").
int FindSub(std::string_view text, std::string_view sub, int limit, bool forward);
// sub inserted before byte position (0-based); at or past the end appended.
std::string InsertAt(std::string_view text, std::string_view sub, int position);
// The whole character (one or two bytes) just after (forward) or just before column; CR LF
// when forward at the end of the text or when the text is empty.
std::string CharAtColumn(std::string_view text, int column, bool forward);
// Walks text: a CR adds one to crCount; an LF sets column to 0; a run of k tabs adds k * T;
// any other byte adds 1.
void CountColumns(std::string_view text, int tabWidth, int &crCount, int &column);

// ---- clipboard and desktop --------------------------------------------------------------

// The clipboard's plain text, converted from and to CP932 (CR LF line ends kept as given).
void SetClipboardText(std::string_view cp932);
// Empty when the clipboard holds no text.
std::string GetClipboardText();
// Opens a local path or an address with the desktop's default application; a text with
// "@" and no scheme is a mail address. True when the desktop accepted it.
bool OpenWithShell(const QString &pathOrAddress);
// Opens a web address in the default browser; an empty address opens nothing (false).
bool OpenInBrowser(const QString &address);

#endif
