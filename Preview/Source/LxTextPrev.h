// The preview control: recorded pages shown one at a time on a simulated sheet of paper, with
// whole-page, page-width and scaled modes, paging and scrolling, and printing.
//
// The control owns the printer and screen information, the page store and the section list.
// Content goes into sections (AddTextSection); UpdatePreview records the pages.
#ifndef TOVIK_PREVIEW_LXTEXTPREV_H
#define TOVIK_PREVIEW_LXTEXTPREV_H

#include "LxPVDefs.h"
#include "LxPreviewScreen.h"

#include <QAbstractScrollArea>
#include <QColor>

#include <functional>
#include <memory>

class QLabel;
class QPrinter;
class TLxPVPrinterInfo;
class TLxPrevSection;
class TLxPrevSections;
class TLxPvPageData;
class TLxPvPlaneTextSection;

enum TLxTXPreviewMode { pmWholePage = 0, pmPageWidth = 1, pmScaled = 2 };

// MulDiv: a x b / c in 64 bits, rounded to the nearest integer (halves away from zero); -1 when
// c is 0.
int LxMulDiv(int a, int b, int c);

class TLxCustomTextPrev : public QAbstractScrollArea {
public:
    enum TBorderStyle { bsNone = 0, bsSingle = 1 };

    // screenInfo: the screen's resolution (null reads the primary screen's).
    explicit TLxCustomTextPrev(QWidget *parent = nullptr, std::unique_ptr<TLxPVScrenInfo> screenInfo = {});
    ~TLxCustomTextPrev() override;

    TLxPrevSection *NewSection(int kind);
    TLxPvPlaneTextSection *AddTextSection();
    // Clears the page store and the section list.
    void ClearAll();
    // Records every page again, then shows page 1.
    void UpdatePreview();

    // Ignored for 0 or less, beyond PageCount, or the page shown.
    void SetPage(int n);
    int CurrentPage() const { return FCurrentPage; }
    int PageCount() const;
    // Switches to the scaled mode at n percent.
    void SetScale(int n);
    int Scale() const { return FScale; }

    // Prints every page on the current printer. False when the print job could not start.
    bool Print();
    // Prints every page on printer, the picture's sheet origin on the paper's corner.
    bool PrintTo(QPrinter &printer);

    TLxTXPreviewMode PreviewMode() const { return FPreviewMode; }
    void SetPreviewMode(TLxTXPreviewMode value);
    QColor Color() const { return FColor; }
    void SetColor(const QColor &value);
    QColor PaperColor() const { return FPaperColor; }
    void SetPaperColor(const QColor &value);
    QColor PaperShadowColor() const { return FPaperShadowColor; }
    void SetPaperShadowColor(const QColor &value);
    bool ShowDefaultMargin() const { return FShowDefaultMargin; }
    void SetShowDefaultMargin(bool value);
    bool ShowPrintableRect() const { return FShowPrintableRect; }
    void SetShowPrintableRect(bool value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    bool ShowPageHint = true;
    // Rebuild whenever the section list reports a change.
    bool ChangeOnUpdate = false;

    int FullPageWidth() const;
    int FullPageHeight() const;
    int HeightForWidth(int w) const;
    int WidthForHeight(int h) const;
    QPoint DeviceToScreen(const QPoint &p) const;
    TLxRect DeviceRectToScreen(const TLxRect &r) const;
    // Where the sheet is drawn in the client area now.
    TLxRect SheetRect() const;

    int ViewWidth() const { return FViewWidth; }
    int ViewHeight() const { return FViewHeight; }
    int ExtentWidth() const { return FExtentWidth; }
    int ExtentHeight() const { return FExtentHeight; }
    int OriginX() const { return FOriginX; }
    int OriginY() const { return FOriginY; }
    int ScrollX() const { return FScrollX; }
    int ScrollY() const { return FScrollY; }

    TLxPVPrinterInfo &PrinterInfo() { return *FPrinterInfo; }
    TLxPVScrenInfo &ScreenInfo() { return *FScreenInfo; }
    TLxPrevSections &SectionList() { return *FSectionList; }
    TLxPvPageData &PageData() { return *FPageData; }

    std::function<void(TLxCustomTextPrev *sender, int pageNumber, int sectionNumber)> OnPageChange;
    std::function<void(TLxCustomTextPrev *sender, int pageCount)> OnPageCountChange;
    std::function<void(TLxCustomTextPrev *sender, int newScale)> OnScaleChange;

    // Layout and scrolling.
    virtual void UpdateLayout();
    virtual void UpdateScrollBars();
    virtual void ScrollToX(int x);
    virtual void ScrollToY(int y);

    // The page hint while the scroll box is dragged (null until first shown).
    static QLabel *PageHintWindow();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void changeEvent(QEvent *event) override;
    void scrollContentsBy(int, int) override {}

private:
    // Sets a property's field; repaints when the value changed.
    template <class T>
    void Assign(T &field, const T &value);
    // Scrolls along one axis to offset, kept so that the pages stay in view.
    void ScrollAxis(Qt::Orientation orientation, int offset);
    void CheckPageSize();
    void PageFinished();
    void ScrollAction(Qt::Orientation orientation, int action);
    void ScrollEnded();
    void ShowHint();
    void ApplyScrollBarPolicy();
    void DrawCornerMarks(QPainter &painter, const TLxRect &m);

    std::unique_ptr<TLxPVPrinterInfo> FPrinterInfo;
    std::unique_ptr<TLxPVScrenInfo> FScreenInfo;
    std::unique_ptr<TLxPvPageData> FPageData;
    std::unique_ptr<TLxPrevSections> FSectionList;
    TBorderStyle FBorderStyle = bsSingle;
    TLxTXPreviewMode FPreviewMode = pmWholePage;
    int FScale = 100;
    int FViewWidth = 0, FViewHeight = 0;
    int FFullWidth = 0, FFullHeight = 0;
    int FExtentWidth = 0, FExtentHeight = 0;
    int FOriginX = 0, FOriginY = 0;
    int FScrollX = 0, FScrollY = 0;
    int FCurrentPage = 0;
    QColor FColor;
    QColor FPaperColor = Qt::white;
    QColor FPaperShadowColor = Qt::black;
    bool FShowPrintableRect = true;
    bool FShowDefaultMargin = false;
    int FWheelRemainder = 0;
    bool FUpdatingBars = false;
};

class TLxTextPrev : public TLxCustomTextPrev {
public:
    using TLxCustomTextPrev::TLxCustomTextPrev;
};

#endif
