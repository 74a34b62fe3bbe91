// The screen's resolution, read once when the object is made.
#ifndef TOVIK_PREVIEW_LXPREVIEWSCREEN_H
#define TOVIK_PREVIEW_LXPREVIEWSCREEN_H

class TLxPVScrenInfo {
public:
    // Reads the primary screen's logical resolution; 96 dots per inch without a screen.
    TLxPVScrenInfo();
    // A fixed resolution (tests and off-screen drawing).
    TLxPVScrenInfo(int dpiX, int dpiY);

    int PhysicalWidth() const { return FPhysicalWidth; }
    int PhysicalHeight() const { return FPhysicalHeight; }
    int DpiX() const { return FDpiX; }
    int DpiY() const { return FDpiY; }
    float PixelsPerMMX() const { return FPixelsPerMMX; }
    float PixelsPerMMY() const { return FPixelsPerMMY; }

private:
    void SetDpi(int dpiX, int dpiY);

    int FPhysicalWidth = 0, FPhysicalHeight = 0;
    int FDpiX = 96, FDpiY = 96;
    float FPixelsPerMMX = 0, FPixelsPerMMY = 0;
};

#endif
