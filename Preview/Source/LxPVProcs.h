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
class TEditTextMeasure;

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

// Text measurement on the device a page is drawn on, in that device's pixels, through the
// editor's measurement. Every size the pages depend on goes through here, so that what is
// measured is what the canvas draws.
class TLxPVTextMetrics {
public:
    TLxPVTextMetrics(const QFont &font, QPaintDevice *device);
    ~TLxPVTextMetrics();
    TLxPVTextMetrics(const TLxPVTextMetrics &) = delete;
    TLxPVTextMetrics &operator=(const TLxPVTextMetrics &) = delete;

    // The editor's measurement of display (CP932) text on the page's device.
    const TEditTextMeasure &Measure() const;

    // Width of the text as drawn on one line (prefix processing applied), rounded up.
    int TextWidth(const QString &text) const;
    // The font's line height, rounded up.
    int LineHeight() const;
    // Height of the text word-wrapped into width (prefix processing applied), rounded up;
    // at least one line.
    int WrappedHeight(int width, const QString &text) const;
    // The distance from a line's top to its baseline.
    double Ascent() const;

private:
    struct TImpl;
    TImpl *FImpl;
};

// (text width, font height) on the canvas with its current font.
QSize MeasureText(QPainter &canvas, const QString &text);


#endif
