#include "LxPreviewScreen.h"

#include "LxPVDefs.h"

#include <QGuiApplication>
#include <QScreen>

TLxPVScrenInfo::TLxPVScrenInfo()
{
    int dpiX = 96, dpiY = 96;
    if (QScreen *screen = qobject_cast<QGuiApplication *>(QCoreApplication::instance())
                              ? QGuiApplication::primaryScreen()
                              : nullptr) {
        dpiX = qRound(screen->logicalDotsPerInchX());
        dpiY = qRound(screen->logicalDotsPerInchY());
        FPhysicalWidth = screen->geometry().width();
        FPhysicalHeight = screen->geometry().height();
    }
    SetDpi(dpiX > 0 ? dpiX : 96, dpiY > 0 ? dpiY : 96);
}

TLxPVScrenInfo::TLxPVScrenInfo(int dpiX, int dpiY)
{
    SetDpi(dpiX, dpiY);
}

void TLxPVScrenInfo::SetDpi(int dpiX, int dpiY)
{
    FDpiX = dpiX;
    FDpiY = dpiY;
    FPixelsPerMMX = PixelsPerMM(dpiX);
    FPixelsPerMMY = PixelsPerMM(dpiY);
}
