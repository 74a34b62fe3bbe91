#include "LxPreviewMargine.h"

#include "LxPrinters.h"

#include <cmath>

TLxPrevMargin::TLxPrevMargin() : FPrinterInfo(CurrentPrinterInfo) {}

float TLxPrevMargin::Margin(int index) const
{
    switch (index) {
    case mgTop: return FTop;
    case mgLeft: return FLeft;
    case mgBottom: return FBottom;
    case mgRight: return FRight;
    default: return 0.0f;
    }
}

void TLxPrevMargin::SetMargin(int index, float value)
{
    float *field = nullptr;
    switch (index) {
    case mgTop: field = &FTop; break;
    case mgLeft: field = &FLeft; break;
    case mgBottom: field = &FBottom; break;
    case mgRight: field = &FRight; break;
    default: return;
    }
    if (*field == value)
        return;
    *field = value;
    if (OnChange)
        OnChange(this, float(index), value);
}

int TLxPrevMargin::MarginPixels(int index) const
{
    if (!FPrinterInfo)
        return 0;
    switch (index) {
    case mgLeft:
    case mgRight: return MMToDevicePixels(Margin(index), FPrinterInfo->PixelsPerMMX());
    case mgTop:
    case mgBottom: return MMToDevicePixels(Margin(index), FPrinterInfo->PixelsPerMMY());
    default: return MMToDevicePixels(FGap, FPrinterInfo->PixelsPerMMY());
    }
}

TLxRect TLxPrevMargin::MarginRect() const
{
    return {MarginPixels(mgLeft), MarginPixels(mgTop), MarginPixels(mgRight), MarginPixels(mgBottom)};
}

QSize TLxPrevMargin::PageSize() const
{
    if (!FPrinterInfo)
        return {};
    return {FPrinterInfo->PhysicalWidth(), FPrinterInfo->PhysicalHeight()};
}

void TLxPrevMargin::Assign(const TLxPrevMargin &source)
{
    FTop = source.FTop;
    FLeft = source.FLeft;
    FBottom = source.FBottom;
    FRight = source.FRight;
    FGap = source.FGap;
}
