// The page store: one recorded picture per printed sheet, in the printer's device pixels.
//
// A page is recorded against the printer's resolution, so that it replays one to one on the
// printer and can be stretched into any rectangle on the screen (PlayPage).
#ifndef TOVIK_PREVIEW_LXPVPAGEFILE_H
#define TOVIK_PREVIEW_LXPVPAGEFILE_H

#include <QFont>
#include <QPicture>
#include <QRectF>

#include <functional>
#include <memory>
#include <vector>

class QPainter;
class TLxPVPrinterInfo;

// A recorded sheet: a picture whose device reports the printer's resolution and the sheet's
// size, so that text laid out on it is measured as the printer will draw it.
class TLxPVPagePicture : public QPicture {
public:
    TLxPVPagePicture(int width, int height, int dpiX, int dpiY);
    int SheetWidth() const { return FWidth; }
    int SheetHeight() const { return FHeight; }
    int DpiX() const { return FDpiX; }
    int DpiY() const { return FDpiY; }

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    int FWidth, FHeight, FDpiX, FDpiY;
};

// Draws the page's whole sheet stretched into target (in the painter's coordinates).
void PlayPage(QPainter &painter, const TLxPVPagePicture &page, const QRectF &target);

class TLxPvPageData {
public:
    explicit TLxPvPageData(TLxPVPrinterInfo *printerInfo);
    ~TLxPvPageData();
    TLxPvPageData(const TLxPvPageData &) = delete;
    TLxPvPageData &operator=(const TLxPvPageData &) = delete;

    // Frees every page (and closes a canvas still open).
    void Clear();
    // Finishes the page being recorded, if any, and starts the next one; the canvas stays
    // valid until the next NewPage, FinishPages or Clear.
    QPainter *NewPage();
    // Finishes the page being recorded.
    void FinishPages();
    // Null when out of range (0-based).
    const TLxPVPagePicture *Page(int index) const;
    int Count() const { return int(FPages.size()); }
    QPainter *PageCanvas() const { return FPageCanvas.get(); }

    TLxPVPrinterInfo *PrinterInfo() const { return FPrinterInfo; }
    // The body font: face and size of the next pages.
    QFont Font;
    // The page-finished notification, called synchronously after each page is closed.
    std::function<void()> OnPageFinished;

private:
    void CloseCanvas();

    TLxPVPrinterInfo *FPrinterInfo;
    std::vector<std::unique_ptr<TLxPVPagePicture>> FPages;
    std::unique_ptr<QPainter> FPageCanvas;
};

#endif
