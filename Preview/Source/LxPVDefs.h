// Shared definitions of the print preview: the position markers, the page-finished
// notification and the library's internal consistency check.
#ifndef TOVIK_PREVIEW_LXPVDEFS_H
#define TOVIK_PREVIEW_LXPVDEFS_H

#include <QRect>
#include <QRectF>

#include <cmath>

// Position markers that pass through every millimetre-to-pixel conversion unchanged and are
// placed by the layout helpers: the middle of the band, and its right or bottom edge.
constexpr float pvCenter = -1.0f;
constexpr float pvFarEdge = -99.0f;

// Pixels per millimetre at dpi dots per inch.
inline float PixelsPerMM(int dpi) { return float(dpi) / 25.4f; }
// Millimetres as device pixels at perMM pixels per millimetre: the product formed in double
// from the single-precision factor, truncated.
inline int MMToDevicePixels(float mm, float perMM) { return int(std::trunc(double(mm) * double(perMM))); }

// A rectangle by its four edges, right and bottom exclusive, as the page arithmetic states it.
struct TLxRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const TLxRect &) const = default;
    QRect ToQRect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
    QRectF ToQRectF() const { return QRectF(Left, Top, Right - Left, Bottom - Top); }
    // One pixel larger to the right and bottom: the clip of a band or body.
    QRect ClipRect() const { return QRect(Left, Top, Right - Left + 1, Bottom - Top + 1); }
    TLxRect Translated(int dx, int dy) const { return {Left + dx, Top + dy, Right + dx, Bottom + dy}; }
};

// The number of the page-finished notification (the first user message plus 108).
constexpr int LXPV_PAGEFINISHED = 0x0400 + 108;

// Stops the program when one of the library's own invariants is broken ("Assertion failure"
// with the unit and line). User input never reaches these checks.
[[noreturn]] void LxPVAssertFailed(const char *unit, int line);
#define LXPV_ASSERT(cond, unit)                                                                    \
    do {                                                                                           \
        if (!(cond))                                                                               \
            LxPVAssertFailed(unit, __LINE__);                                                      \
    } while (0)

#endif
