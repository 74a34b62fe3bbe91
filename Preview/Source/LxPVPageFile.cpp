#include "LxPVPageFile.h"

#include "LxPrinters.h"

#include <QPainter>

TLxPVPagePicture::TLxPVPagePicture(int width, int height, int dpiX, int dpiY)
    : FWidth(width), FHeight(height), FDpiX(dpiX > 0 ? dpiX : 300), FDpiY(dpiY > 0 ? dpiY : 300)
{
}

int TLxPVPagePicture::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return FWidth;
    case PdmHeight:
        return FHeight;
    case PdmWidthMM:
        return int(FWidth * 25.4 / FDpiX);
    case PdmHeightMM:
        return int(FHeight * 25.4 / FDpiY);
    case PdmDpiX:
    case PdmPhysicalDpiX:
        return FDpiX;
    case PdmDpiY:
    case PdmPhysicalDpiY:
        return FDpiY;
    default:
        return QPicture::metric(metric);
    }
}

void PlayPage(QPainter &painter, const TLxPVPagePicture &page, const QRectF &target)
{
    if (page.SheetWidth() <= 0 || page.SheetHeight() <= 0)
        return;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / page.SheetWidth(), target.height() / page.SheetHeight());
    // Replaying scales fonts by the target's resolution against the picture's own default
    // resolution; this factor takes that back out, so the sheet maps exactly onto target.
    const int deviceDpi = painter.device() ? painter.device()->logicalDpiX() : 0;
    if (deviceDpi > 0) {
        const double f = double(QPicture().logicalDpiX()) / deviceDpi;
        painter.scale(f, f);
    }
    painter.drawPicture(0, 0, page);
    painter.restore();
}

TLxPvPageData::TLxPvPageData(TLxPVPrinterInfo *printerInfo) : FPrinterInfo(printerInfo) {}

TLxPvPageData::~TLxPvPageData()
{
    FPageCanvas.reset();
}

void TLxPvPageData::Clear()
{
    FPageCanvas.reset();
    FPages.clear();
}

void TLxPvPageData::CloseCanvas()
{
    if (FPageCanvas) {
        FPageCanvas->end();
        FPageCanvas.reset();
    }
}

QPainter *TLxPvPageData::NewPage()
{
    if (FPageCanvas) {
        CloseCanvas();
        if (OnPageFinished)
            OnPageFinished();
    }
    FPages.push_back(std::make_unique<TLxPVPagePicture>(
        FPrinterInfo->PhysicalWidth(), FPrinterInfo->PhysicalHeight(), FPrinterInfo->PixelsPerInchX(),
        FPrinterInfo->PixelsPerInchY()));
    FPageCanvas = std::make_unique<QPainter>(FPages.back().get());
    // Only the face and the size of the body font go to the page; point sizes resolve at
    // the printer's resolution through the picture's device.
    QFont font(Font.family());
    if (Font.pointSizeF() > 0)
        font.setPointSizeF(Font.pointSizeF());
    else if (Font.pixelSize() > 0)
        font.setPixelSize(Font.pixelSize());
    font.setStyleHint(Font.styleHint());
    FPageCanvas->setFont(font);
    return FPageCanvas.get();
}

void TLxPvPageData::FinishPages()
{
    CloseCanvas();
    if (OnPageFinished)
        OnPageFinished();
}

const TLxPVPagePicture *TLxPvPageData::Page(int index) const
{
    return index >= 0 && index < Count() ? FPages[size_t(index)].get() : nullptr;
}
