// The printer as the preview sees it: sheet, printable area and resolution in device pixels.
//
// Everything the preview draws is measured in these pixels, with the origin at the top-left
// corner of the physical sheet. Without any installed printer the device is the PDF writer; it
// then stands for an A4 sheet at 300 dots per inch with the usual unprintable strips, unless
// the user has chosen another paper or orientation for it, in which case that sheet is used.
#ifndef TOVIK_PREVIEW_LXPRINTERS_H
#define TOVIK_PREVIEW_LXPRINTERS_H

#include "LxPVDefs.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QPrinter;

class TLxPVPrinterInfo {
public:
    // The values a device read gives.
    struct TDeviceValues {
        int PhysicalWidth = 0, PhysicalHeight = 0;
        int PageWidth = 0, PageHeight = 0;
        int OffsetX = 0, OffsetY = 0;
        int DpiX = 0, DpiY = 0;
    };
    // The A4 sheet at 300 dots per inch that stands in for a missing printer.
    static TDeviceValues DefaultValues();

    TLxPVPrinterInfo();
    virtual ~TLxPVPrinterInfo();
    TLxPVPrinterInfo(const TLxPVPrinterInfo &) = delete;
    TLxPVPrinterInfo &operator=(const TLxPVPrinterInfo &) = delete;

    // Copies the device values (not the printer object or the events).
    void Assign(const TLxPVPrinterInfo &source);

    // Every query loads the device values on first use and refreshes them afterwards.
    int PhysicalWidth();
    int PhysicalHeight();
    int PageWidth();
    int PageHeight();
    int OffsetX();
    int OffsetY();
    int RightGap();
    int BottomGap();
    int PixelsPerInchX();
    int PixelsPerInchY();
    float PixelsPerMMX();
    float PixelsPerMMY();
    // (OffsetX, OffsetY) to (OffsetX + PageWidth, OffsetY + PageHeight), exclusive corner.
    TLxRect PrintableRect();
    bool Loaded() const { return FLoaded; }

    // Millimetres to device pixels, truncated toward zero; pvCenter and pvFarEdge pass through.
    int MMToPixels(bool horizontal, float value);

    // The platform printer every page is printed on (owned).
    QPrinter *Printer();
    // True when at least one printer is installed; otherwise printing goes to a PDF file.
    virtual bool HasPrinters() const;

    // "%5d : %s" per paper size the current printer offers.
    QStringList PaperNames();
    const QString &PrinterName() const { return FPrinterName; }
    void SetPrinterName(const QString &newName, const QString &oldName);

    std::function<void(TLxPVPrinterInfo *sender, const QString &newName, const QString &oldName)>
        OnPrinterChange;
    // After every full read of a real device.
    std::function<void(TLxPVPrinterInfo *sender)> OnChange;

    // Reads the device again now (a query does so only when the sheet width changed).
    void Load();

protected:
    // The current device: false when the values are the A4 defaults.
    virtual bool ReadDevice(TDeviceValues &values);
    // The sheet width the current device has now (compared by every refresh).
    virtual int ReadPhysicalWidth();
    // The name of the current printer ("" for the PDF writer).
    virtual QString CurrentPrinterName();

private:
    void EnsureLoaded();
    void Refresh();
    void Store(const TDeviceValues &v);

    int FPhysicalWidth = 0, FPhysicalHeight = 0;
    int FPageWidth = 0, FPageHeight = 0;
    int FOffsetX = 0, FRightGap = 0, FOffsetY = 0, FBottomGap = 0;
    int FDpiX = 0, FDpiY = 0;
    float FPixelsPerMMX = 0, FPixelsPerMMY = 0;
    bool FLoaded = false;
    QString FPrinterName;
    std::unique_ptr<QPrinter> FPrinter;
};

// The printer information of the living preview control; margins, bands, items and pages
// measure against it. Null while no preview control exists.
extern TLxPVPrinterInfo *CurrentPrinterInfo;

#endif
