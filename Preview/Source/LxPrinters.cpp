#include "LxPrinters.h"

#include "LxPVDefs.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

#include <cmath>
#include <cstdio>
#include <cstdlib>

TLxPVPrinterInfo *CurrentPrinterInfo = nullptr;

void LxPVAssertFailed(const char *unit, int line)
{
    std::fprintf(stderr, "Assertion failure (%s, line %d)\n", unit, line);
    std::abort();
}

namespace {

// The PDF writer's sheet counts as the A4 default while the user has not chosen another one.
bool IsDefaultSheet(const QPrinter &printer)
{
    const QPageLayout layout = printer.pageLayout();
    return layout.orientation() == QPageLayout::Portrait && layout.pageSize().id() == QPageSize::A4;
}

} // namespace

TLxPVPrinterInfo::TDeviceValues TLxPVPrinterInfo::DefaultValues()
{
    TDeviceValues v;
    v.PhysicalWidth = 2481;
    v.PhysicalHeight = 3507;
    v.PageWidth = 2358;
    v.PageHeight = 3407;
    v.OffsetX = 65;
    v.OffsetY = 50;
    v.DpiX = 300;
    v.DpiY = 300;
    return v;
}

TLxPVPrinterInfo::TLxPVPrinterInfo() = default;
TLxPVPrinterInfo::~TLxPVPrinterInfo()
{
    if (CurrentPrinterInfo == this)
        CurrentPrinterInfo = nullptr;
}

void TLxPVPrinterInfo::Assign(const TLxPVPrinterInfo &source)
{
    FPhysicalWidth = source.FPhysicalWidth;
    FPhysicalHeight = source.FPhysicalHeight;
    FPageWidth = source.FPageWidth;
    FPageHeight = source.FPageHeight;
    FOffsetX = source.FOffsetX;
    FRightGap = source.FRightGap;
    FOffsetY = source.FOffsetY;
    FBottomGap = source.FBottomGap;
    FDpiX = source.FDpiX;
    FDpiY = source.FDpiY;
    FPixelsPerMMX = source.FPixelsPerMMX;
    FPixelsPerMMY = source.FPixelsPerMMY;
    FLoaded = source.FLoaded;
    FPrinterName = source.FPrinterName;
}

QPrinter *TLxPVPrinterInfo::Printer()
{
    if (!FPrinter) {
        FPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
        if (!HasPrinters()) {
            // The PDF writer records at the resolution of the default sheet, so that pages
            // replay one to one.
            FPrinter->setOutputFormat(QPrinter::PdfFormat);
            FPrinter->setResolution(300);
            FPrinter->setPageSize(QPageSize(QPageSize::A4));
            FPrinter->setPageOrientation(QPageLayout::Portrait);
        }
    }
    return FPrinter.get();
}

bool TLxPVPrinterInfo::HasPrinters() const
{
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

QString TLxPVPrinterInfo::CurrentPrinterName()
{
    QPrinter *p = Printer();
    return p->outputFormat() == QPrinter::NativeFormat ? p->printerName() : QString();
}

bool TLxPVPrinterInfo::ReadDevice(TDeviceValues &v)
{
    QPrinter *p = Printer();
    if (p->outputFormat() == QPrinter::PdfFormat && IsDefaultSheet(*p))
        return false;
    const int res = p->resolution();
    const QPageLayout layout = p->pageLayout();
    const QRect full = layout.fullRectPixels(res);
    const QRect paint = layout.paintRectPixels(res);
    v.PhysicalWidth = full.width();
    v.PhysicalHeight = full.height();
    v.PageWidth = paint.width();
    v.PageHeight = paint.height();
    v.OffsetX = paint.left() - full.left();
    v.OffsetY = paint.top() - full.top();
    v.DpiX = res;
    v.DpiY = res;
    return v.PhysicalWidth > 0 && v.PhysicalHeight > 0 && res > 0;
}

int TLxPVPrinterInfo::ReadPhysicalWidth()
{
    TDeviceValues v;
    if (!ReadDevice(v))
        v = DefaultValues();
    return v.PhysicalWidth;
}

void TLxPVPrinterInfo::Store(const TDeviceValues &v)
{
    FPhysicalWidth = v.PhysicalWidth;
    FPhysicalHeight = v.PhysicalHeight;
    FPageWidth = v.PageWidth;
    FPageHeight = v.PageHeight;
    FOffsetX = v.OffsetX;
    FOffsetY = v.OffsetY;
    FRightGap = v.PhysicalWidth - v.PageWidth - v.OffsetX;
    FBottomGap = v.PhysicalHeight - v.PageHeight - v.OffsetY;
    FDpiX = v.DpiX;
    FDpiY = v.DpiY;
    FPixelsPerMMX = PixelsPerMM(v.DpiX);
    FPixelsPerMMY = PixelsPerMM(v.DpiY);
}

void TLxPVPrinterInfo::Load()
{
    FLoaded = true;
    TDeviceValues v;
    if (!ReadDevice(v)) {
        Store(DefaultValues());
        return;
    }
    Store(v);
    if (OnChange)
        OnChange(this);
}

void TLxPVPrinterInfo::Refresh()
{
    const QString name = CurrentPrinterName();
    if (name != FPrinterName)
        SetPrinterName(name, FPrinterName);
    if (ReadPhysicalWidth() != FPhysicalWidth)
        Load();
}

void TLxPVPrinterInfo::EnsureLoaded()
{
    if (!FLoaded) {
        FPrinterName = CurrentPrinterName();
        Load();
    } else {
        Refresh();
    }
}

int TLxPVPrinterInfo::PhysicalWidth() { EnsureLoaded(); return FPhysicalWidth; }
int TLxPVPrinterInfo::PhysicalHeight() { EnsureLoaded(); return FPhysicalHeight; }
int TLxPVPrinterInfo::PageWidth() { EnsureLoaded(); return FPageWidth; }
int TLxPVPrinterInfo::PageHeight() { EnsureLoaded(); return FPageHeight; }
int TLxPVPrinterInfo::OffsetX() { EnsureLoaded(); return FOffsetX; }
int TLxPVPrinterInfo::OffsetY() { EnsureLoaded(); return FOffsetY; }
int TLxPVPrinterInfo::RightGap() { EnsureLoaded(); return FRightGap; }
int TLxPVPrinterInfo::BottomGap() { EnsureLoaded(); return FBottomGap; }
int TLxPVPrinterInfo::PixelsPerInchX() { EnsureLoaded(); return FDpiX; }
int TLxPVPrinterInfo::PixelsPerInchY() { EnsureLoaded(); return FDpiY; }
float TLxPVPrinterInfo::PixelsPerMMX() { EnsureLoaded(); return FPixelsPerMMX; }
float TLxPVPrinterInfo::PixelsPerMMY() { EnsureLoaded(); return FPixelsPerMMY; }

TLxRect TLxPVPrinterInfo::PrintableRect()
{
    EnsureLoaded();
    return {FOffsetX, FOffsetY, FOffsetX + FPageWidth, FOffsetY + FPageHeight};
}

int TLxPVPrinterInfo::MMToPixels(bool horizontal, float value)
{
    if (value == pvFarEdge || value == pvCenter)
        return int(value);
    return MMToDevicePixels(value, horizontal ? PixelsPerMMX() : PixelsPerMMY());
}

QStringList TLxPVPrinterInfo::PaperNames()
{
    QStringList names;
    if (!HasPrinters())
        return names;
    const QPrinterInfo info = QPrinterInfo::printerInfo(Printer()->printerName());
    for (const QPageSize &size : info.supportedPageSizes())
        names << QString::asprintf("%5d : ", int(size.windowsId())) + size.name().left(64);
    return names;
}

void TLxPVPrinterInfo::SetPrinterName(const QString &newName, const QString &oldName)
{
    FPrinterName = newName;
    if (!oldName.isEmpty()) {
        PaperNames();
        if (OnPrinterChange)
            OnPrinterChange(this, newName, oldName);
    }
}
