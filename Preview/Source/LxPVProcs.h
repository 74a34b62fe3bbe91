// Placement, macro and measurement helpers of the print preview.
#ifndef TOVIK_PREVIEW_LXPVPROCS_H
#define TOVIK_PREVIEW_LXPVPROCS_H

#include "LxPVDefs.h"

#include <QSize>

#include <cstdint>
#include <QString>

class QFont;
class QPaintDevice;
class QPainter;

// The number of the page being drawn: the sections set and advance it, text items read it.
extern int PageNumber;

// Figure placement of an item rectangle p (device pixels, markers kept) in band b.
TLxRect FigurePlacement(const TLxRect &b, const TLxRect &p);
// Box placement (pictures, box texts, single-line texts at non-negative positions).
TLxRect BoxPlacement(const TLxRect &b, const TLxRect &p);

// The text a header or footer item draws: "&&D" the date, "&&T" the time (exact matches only),
// any text with "&&P" in any letter case the part after its first "/" with every "%" replaced
// by PageNumber; everything else unchanged.
QString ExpandMacro(const QString &text);

// The text as drawn with prefix processing: one "&" is dropped, "&&" stands for one "&".
QString StripMnemonics(const QString &text);

// Text measurement on the device a page is drawn on, in that device's pixels. Every size the
// pages depend on goes through here, so that what is measured is what the canvas draws.
class TLxPVTextMetrics {
public:
    TLxPVTextMetrics(const QFont &font, const QPaintDevice *device);
    ~TLxPVTextMetrics();
    TLxPVTextMetrics(const TLxPVTextMetrics &) = delete;
    TLxPVTextMetrics &operator=(const TLxPVTextMetrics &) = delete;

    // Width of the text as drawn on one line (prefix processing applied), rounded up.
    int TextWidth(const QString &text) const;
    // The font's line height, rounded up.
    int LineHeight() const;
    // Height of the text word-wrapped into width (prefix processing applied), rounded up;
    // at least one line.
    int WrappedHeight(int width, const QString &text) const;
    // The distance from a line's top to its baseline.
    double Ascent() const;
    // True when text has no prefix character and fits on one line of width: then it is one
    // line high and can be drawn at its baseline without the word-wrapping layout.
    bool FitsOneLine(int width, const QString &text) const;
    double Advance(const QString &text) const;

private:
    struct TImpl;
    TImpl *FImpl;
};

// (text width, font height) on the canvas with its current font.
QSize MeasureText(QPainter &canvas, const QString &text);

// A stored colour value (0x00BBGGRR, or 0xFF0000nn for system colour nn) as a colour.
class QColor;
QColor LxPVColor(int32_t value);

#endif
