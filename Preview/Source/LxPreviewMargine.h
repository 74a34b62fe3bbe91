// The page margins of a section, in millimetres, and their size in device pixels.
#ifndef TOVIK_PREVIEW_LXPREVIEWMARGINE_H
#define TOVIK_PREVIEW_LXPREVIEWMARGINE_H

#include "LxPVDefs.h"

#include <QSize>

#include <functional>

class TLxPVPrinterInfo;

class TLxPrevMargin {
public:
    // Margin indexes; any other index in MarginPixels means the gap.
    enum { mgTop = 0, mgLeft = 1, mgBottom = 2, mgRight = 3, mgGap = 4 };

    // Measures against CurrentPrinterInfo as it is now.
    TLxPrevMargin();
    virtual ~TLxPrevMargin() = default;

    TLxPVPrinterInfo *PrinterInfo() const { return FPrinterInfo; }

    float Top() const { return FTop; }
    float Left() const { return FLeft; }
    float Bottom() const { return FBottom; }
    float Right() const { return FRight; }
    float Gap() const { return FGap; }

    // 0.0 for an index outside 0-3.
    float Margin(int index) const;
    // Index 0-3 only; raises OnChange when the value changes.
    void SetMargin(int index, float value);
    // Trunc(mm x pixels per mm): top, bottom and gap vertically, left and right horizontally.
    int MarginPixels(int index) const;
    // The pixel widths of the left, top, right and bottom margins (widths, not coordinates).
    TLxRect MarginRect() const;
    // The sheet of its printer.
    QSize PageSize() const;

    void Assign(const TLxPrevMargin &source);

    std::function<void(TLxPrevMargin *sender, float index, float newValue)> OnChange;

private:
    TLxPVPrinterInfo *FPrinterInfo;
    float FTop = 20.0f, FLeft = 20.0f, FBottom = 20.0f, FRight = 20.0f;
    float FGap = 5.0f;
};

#endif
