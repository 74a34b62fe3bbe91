#include "LxTextPrev.h"

#include "LxPVPageFile.h"
#include "LxPVProcs.h"
#include "LxPreviewScreen.h"
#include "LxPreviewSections.h"
#include "LxPrinters.h"
#include "editor/EditFuncs.h"

#include <QApplication>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>

#include <cmath>
#include <cstdlib>

namespace {

// Space around the sheet on each side, and the width of its shadow.
constexpr int kSpace = 12;
constexpr int kShadow = 3;
constexpr int kExtra = 2 * kSpace + kShadow;

QLabel *gPageHint = nullptr;

} // namespace

int LxMulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const long long p = (long long)a * b;
    const long long q = p / c, r = p % c;
    long long result = q;
    if (2 * std::llabs(r) >= std::llabs((long long)c))
        result += ((p < 0) != (c < 0)) ? -1 : 1;
    return int(result);
}

TLxCustomTextPrev::TLxCustomTextPrev(QWidget *parent, std::unique_ptr<TLxPVScrenInfo> screenInfo)
    : QAbstractScrollArea(parent),
      FPrinterInfo(std::make_unique<TLxPVPrinterInfo>()),
      FScreenInfo(screenInfo ? std::move(screenInfo) : std::make_unique<TLxPVScrenInfo>())
{
    CurrentPrinterInfo = FPrinterInfo.get();
    FPrinterInfo->OnChange = [this](TLxPVPrinterInfo *) { CheckPageSize(); };
    FPageData = std::make_unique<TLxPvPageData>(FPrinterInfo.get());
    FPageData->Font = font();
    FPageData->OnPageFinished = [this] { PageFinished(); };
    FSectionList = std::make_unique<TLxPrevSections>(FPageData.get());
    FSectionList->OnChange = [this](TLxPrevSections *) {
        if (ChangeOnUpdate)
            UpdatePreview();
    };
    FColor = ColorValueToQColor(SystemColorValue(12)); // application workspace
    setFocusPolicy(Qt::StrongFocus);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    ApplyScrollBarPolicy();
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { ScrollAction(Qt::Vertical, action); });
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { ScrollAction(Qt::Horizontal, action); });
    connect(verticalScrollBar(), &QScrollBar::sliderReleased, this, [this] { ScrollEnded(); });
    FFullWidth = FullPageWidth();
    FFullHeight = FullPageHeight();
}

TLxCustomTextPrev::~TLxCustomTextPrev()
{
    // Pages are built synchronously, so the section list is never busy here.
    FSectionList.reset();
    FPageData.reset();
    if (CurrentPrinterInfo == FPrinterInfo.get())
        CurrentPrinterInfo = nullptr;
}

TLxPrevSection *TLxCustomTextPrev::NewSection(int kind) { return FSectionList->Add(kind); }

TLxPvPlaneTextSection *TLxCustomTextPrev::AddTextSection()
{
    return dynamic_cast<TLxPvPlaneTextSection *>(NewSection(TLxPrevSection::skPlainText));
}

void TLxCustomTextPrev::ClearAll()
{
    FPageData->Clear();
    FSectionList->Clear();
}

int TLxCustomTextPrev::PageCount() const { return FPageData ? FPageData->Count() : 0; }

void TLxCustomTextPrev::UpdatePreview()
{
    CheckPageSize();
    if (FPageData->Count() > 0)
        FPageData->Clear();
    FCurrentPage = 0;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    FSectionList->Build();
    QGuiApplication::restoreOverrideCursor();
    SetPage(1);
    UpdateScrollBars();
    viewport()->update();
}

void TLxCustomTextPrev::PageFinished()
{
    if (FPageData->Count() == 1)
        viewport()->repaint();
    if (OnPageCountChange)
        OnPageCountChange(this, PageCount());
}

void TLxCustomTextPrev::CheckPageSize()
{
    const int w = FullPageWidth(), h = FullPageHeight();
    if (w == FFullWidth && h == FFullHeight)
        return;
    FFullWidth = w;
    FFullHeight = h;
    UpdateLayout();
}

int TLxCustomTextPrev::FullPageWidth() const
{
    return LxMulDiv(FPrinterInfo->PhysicalWidth(), FScreenInfo->DpiX(), FPrinterInfo->PixelsPerInchX());
}

int TLxCustomTextPrev::FullPageHeight() const
{
    return LxMulDiv(FPrinterInfo->PhysicalHeight(), FScreenInfo->DpiY(), FPrinterInfo->PixelsPerInchY());
}

int TLxCustomTextPrev::HeightForWidth(int w) const
{
    return LxMulDiv(w, FPrinterInfo->PhysicalHeight(), FPrinterInfo->PhysicalWidth());
}

int TLxCustomTextPrev::WidthForHeight(int h) const
{
    return LxMulDiv(h, FPrinterInfo->PhysicalWidth(), FPrinterInfo->PhysicalHeight());
}

QPoint TLxCustomTextPrev::DeviceToScreen(const QPoint &p) const
{
    const double base = std::trunc(double(FScreenInfo->DpiX()) / FPrinterInfo->PixelsPerInchX() * 100.0);
    const double f = FFullWidth > 0 ? base * (double(FViewWidth) / FFullWidth) / 100.0 : 0.0;
    return {int(std::trunc(p.x() * f)), int(std::trunc(p.y() * f))};
}

TLxRect TLxCustomTextPrev::DeviceRectToScreen(const TLxRect &r) const
{
    const QPoint a = DeviceToScreen({r.Left, r.Top}), b = DeviceToScreen({r.Right, r.Bottom});
    return {a.x(), a.y(), b.x(), b.y()};
}

void TLxCustomTextPrev::UpdateLayout()
{
    const int cw = viewport()->width(), ch = viewport()->height();
    switch (FPreviewMode) {
    case pmWholePage:
        FViewWidth = cw - kExtra;
        FViewHeight = ch - kExtra;
        if (WidthForHeight(FViewHeight) < FViewWidth)
            FViewWidth = WidthForHeight(FViewHeight);
        else
            FViewHeight = HeightForWidth(FViewWidth);
        break;
    case pmPageWidth:
        FViewWidth = cw - kExtra;
        FViewHeight = HeightForWidth(FViewWidth);
        break;
    case pmScaled:
        FViewWidth = LxMulDiv(FullPageWidth(), FScale, 100);
        FViewHeight = LxMulDiv(FullPageHeight(), FScale, 100);
        break;
    }
    FExtentWidth = FViewWidth + kExtra;
    FExtentHeight = FViewHeight + kExtra;
    FOriginX = kSpace + (FExtentWidth < cw ? (cw - FExtentWidth) / 2 : 0);
    FOriginY = kSpace + (FExtentHeight < ch ? (ch - FExtentHeight) / 2 : 0);
    UpdateScrollBars();
    FScrollX = 0;
    FScrollY = 0;
    UpdateScrollBars();
}

void TLxCustomTextPrev::ApplyScrollBarPolicy()
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(FPreviewMode == pmScaled ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TLxCustomTextPrev::UpdateScrollBars()
{
    if (!FPageData)
        return;
    FUpdatingBars = true;
    const int cw = viewport()->width(), ch = viewport()->height();
    QScrollBar *v = verticalScrollBar(), *h = horizontalScrollBar();
    auto set = [](QScrollBar *bar, int min, int max, int page, int pos) {
        // Range and page as a scroll box knows them: max is the last position the box reaches.
        const int last = std::max(min, max);
        bar->setRange(min, last);
        bar->setPageStep(std::max(1, page));
        bar->setSingleStep(std::max(1, page / 10));
        bar->setValue(std::clamp(pos, min, last));
        bar->setEnabled(last > min);
    };
    if (FPreviewMode == pmWholePage) {
        set(v, 1, PageCount(), 1, FCurrentPage);
    } else {
        set(v, 0, FExtentHeight - ch, ch, -FScrollY);
        if (FPreviewMode == pmScaled)
            set(h, 0, FExtentWidth - cw, cw, -FScrollX);
    }
    FUpdatingBars = false;
}

void TLxCustomTextPrev::ScrollToX(int x) { ScrollAxis(Qt::Horizontal, x); }

void TLxCustomTextPrev::ScrollToY(int y) { ScrollAxis(Qt::Vertical, y); }

void TLxCustomTextPrev::ScrollAxis(Qt::Orientation orientation, int offset)
{
    const bool across = orientation == Qt::Horizontal;
    int &scroll = across ? FScrollX : FScrollY;
    const int size = across ? viewport()->width() : viewport()->height();
    offset = std::min(std::max(offset, size - (across ? FExtentWidth : FExtentHeight)), 0);
    if (offset == scroll)
        return;
    const int step = offset - scroll;
    scroll = offset;
    UpdateScrollBars();
    // A long step repaints everything; a short one moves what is shown and paints the rest.
    if (std::abs(step) > size / 2)
        viewport()->update();
    else if (across)
        viewport()->scroll(step, 0);
    else
        viewport()->scroll(0, step);
}

void TLxCustomTextPrev::ScrollAction(Qt::Orientation orientation, int action)
{
    if (FUpdatingBars)
        return;
    const bool horizontal = orientation == Qt::Horizontal;
    QScrollBar *bar = horizontal ? horizontalScrollBar() : verticalScrollBar();
    if (FPreviewMode == pmWholePage) {
        if (horizontal)
            return;
        switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
        case QAbstractSlider::SliderPageStepSub:
            if (FCurrentPage >= 2)
                SetPage(FCurrentPage - 1);
            break;
        case QAbstractSlider::SliderSingleStepAdd:
        case QAbstractSlider::SliderPageStepAdd:
            if (FCurrentPage < PageCount())
                SetPage(FCurrentPage + 1);
            break;
        case QAbstractSlider::SliderMove:
            SetPage(bar->sliderPosition());
            ShowHint();
            break;
        case QAbstractSlider::SliderToMinimum:
            SetPage(1);
            break;
        case QAbstractSlider::SliderToMaximum:
            SetPage(PageCount());
            break;
        default:
            break;
        }
        UpdateScrollBars();
        return;
    }
    const int client = horizontal ? viewport()->width() : viewport()->height();
    const int extent = horizontal ? FExtentWidth : FExtentHeight;
    const int current = horizontal ? FScrollX : FScrollY;
    auto go = [&](int offset) { horizontal ? ScrollToX(offset) : ScrollToY(offset); };
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: go(current + client / 10); break;
    case QAbstractSlider::SliderSingleStepAdd: go(current - client / 10); break;
    case QAbstractSlider::SliderPageStepSub: go(current + client / 2); break;
    case QAbstractSlider::SliderPageStepAdd: go(current - client / 2); break;
    case QAbstractSlider::SliderMove: go(-bar->sliderPosition()); break;
    case QAbstractSlider::SliderToMinimum: go(0); break;
    case QAbstractSlider::SliderToMaximum: go(-extent); break;
    default: break;
    }
    UpdateScrollBars();
}

QLabel *TLxCustomTextPrev::PageHintWindow() { return gPageHint; }

void TLxCustomTextPrev::ShowHint()
{
    if (!ShowPageHint)
        return;
    if (!gPageHint) {
        // One hint window for the whole program, kept hidden between drags.
        gPageHint = new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
        gPageHint->setAttribute(Qt::WA_DeleteOnClose, false);
        gPageHint->setMargin(2);
        gPageHint->setFrameStyle(QFrame::Box | QFrame::Plain);
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] {
            delete gPageHint;
            gPageHint = nullptr;
        });
    }
    if (gPageHint->isHidden())
        gPageHint->setPalette(QToolTip::palette());
    gPageHint->setText(QString::asprintf("%d-%d", FCurrentPage, PageCount()));
    gPageHint->setMaximumWidth(200);
    gPageHint->adjustSize();
    const QPoint at = viewport()->mapToGlobal(QPoint(viewport()->width() - gPageHint->width() - 4, 10));
    gPageHint->move(at);
    gPageHint->show();
    gPageHint->repaint();
}

void TLxCustomTextPrev::ScrollEnded()
{
    if (FPreviewMode != pmWholePage || !gPageHint || gPageHint->isHidden())
        return;
    const QSize size = gPageHint->size();
    gPageHint->hide();
    viewport()->update(QRect(QPoint(0, 0), size));
}

void TLxCustomTextPrev::wheelEvent(QWheelEvent *event)
{
    FWheelRemainder += event->angleDelta().y();
    event->accept();
    while (std::abs(FWheelRemainder) >= 120) {
        const bool towardsUser = FWheelRemainder < 0;
        FWheelRemainder += towardsUser ? 120 : -120;
        if (towardsUser) {
            if (!(FPreviewMode == pmWholePage && FCurrentPage >= PageCount()))
                ScrollAction(Qt::Vertical, QAbstractSlider::SliderSingleStepAdd);
        } else {
            if (!(FPreviewMode == pmWholePage && FCurrentPage <= 1))
                ScrollAction(Qt::Vertical, QAbstractSlider::SliderSingleStepSub);
        }
    }
}

void TLxCustomTextPrev::SetPage(int n)
{
    if (n == FCurrentPage || n <= 0 || n > PageCount())
        return;
    FCurrentPage = n;
    if (OnPageChange)
        OnPageChange(this, n, FSectionList->SectionOfPage(n));
    viewport()->update();
    UpdateScrollBars();
}

void TLxCustomTextPrev::SetScale(int n)
{
    if (n == FScale)
        return;
    if (FPreviewMode != pmScaled) {
        FPreviewMode = pmScaled;
        ApplyScrollBarPolicy();
    }
    FScale = n;
    if (OnScaleChange)
        OnScaleChange(this, n);
    UpdateLayout();
    viewport()->update();
}

void TLxCustomTextPrev::SetPreviewMode(TLxTXPreviewMode value)
{
    if (value == FPreviewMode)
        return;
    FPreviewMode = value;
    ApplyScrollBarPolicy();
    UpdateLayout();
    viewport()->update();
    if (OnScaleChange)
        OnScaleChange(this, FScale);
}

template <class T>
void TLxCustomTextPrev::Assign(T &field, const T &value)
{
    if (field == value)
        return;
    field = value;
    viewport()->update();
}

void TLxCustomTextPrev::SetColor(const QColor &value) { Assign(FColor, value); }

void TLxCustomTextPrev::SetPaperColor(const QColor &value) { Assign(FPaperColor, value); }

void TLxCustomTextPrev::SetPaperShadowColor(const QColor &value) { Assign(FPaperShadowColor, value); }

void TLxCustomTextPrev::SetShowDefaultMargin(bool value) { Assign(FShowDefaultMargin, value); }

void TLxCustomTextPrev::SetShowPrintableRect(bool value) { Assign(FShowPrintableRect, value); }

void TLxCustomTextPrev::SetBorderStyle(TBorderStyle value)
{
    if (value == FBorderStyle)
        return;
    FBorderStyle = value;
    setFrameStyle(value == bsSingle ? (QFrame::StyledPanel | QFrame::Sunken) : QFrame::NoFrame);
}

void TLxCustomTextPrev::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateLayout();
}

void TLxCustomTextPrev::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange && FPageData)
        FPageData->Font = font();
}

TLxRect TLxCustomTextPrev::SheetRect() const
{
    const int left = FOriginX + FScrollX;
    const int top = FPreviewMode == pmWholePage ? FOriginY : FOriginY + FScrollY;
    return {left, top, left + FViewWidth, top + FViewHeight};
}

void TLxCustomTextPrev::paintEvent(QPaintEvent *event)
{
    const QRect area = event->rect();
    if (area.isEmpty())
        return;
    QPainter painter(viewport());
    const TLxRect s = SheetRect();

    const QRegion around = QRegion(area) - QRegion(s.ClipRect());
    if (!around.isEmpty()) {
        painter.setClipRegion(around);
        painter.fillRect(area, FColor);
        painter.setClipping(false);
    }
    painter.setPen(FPaperShadowColor);
    for (int i = 1; i <= kShadow; ++i) {
        const QPoint shadow[] = {{s.Left + i, s.Bottom + i}, {s.Right + i, s.Bottom + i}, {s.Right + i, s.Top + i}};
        painter.drawPolyline(shadow, 3);
    }
    painter.setClipRect(s.ToQRect());
    painter.setPen(FPaperShadowColor);
    painter.setBrush(FPaperColor);
    painter.drawRect(QRect(s.Left, s.Top, s.Width(), s.Height()));
    if (FShowPrintableRect) {
        const TLxRect p = DeviceRectToScreen(FPrinterInfo->PrintableRect()).Translated(s.Left, s.Top);
        painter.setPen(QColor(192, 192, 192));
        painter.drawRect(QRect(p.Left, p.Top, p.Width() - 1, p.Height() - 1));
    }
    if (PageCount() > 0 && FCurrentPage > 0) {
        if (const TLxPVPagePicture *page = FPageData->Page(FCurrentPage - 1)) {
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            PlayPage(painter, *page, s.ToQRectF());
            painter.setRenderHint(QPainter::Antialiasing, false);
        }
        if (FShowDefaultMargin) {
            const TLxRect m = FSectionList->MarginRectOfPage(FCurrentPage);
            const TLxRect box{m.Left, m.Top, FPrinterInfo->PhysicalWidth() - m.Right,
                              FPrinterInfo->PhysicalHeight() - m.Bottom};
            DrawCornerMarks(painter, DeviceRectToScreen(box).Translated(s.Left, s.Top));
        }
    }
}

void TLxCustomTextPrev::DrawCornerMarks(QPainter &painter, const TLxRect &m)
{
    const int a = DeviceToScreen({FPrinterInfo->MMToPixels(true, 5.0f), 0}).x();
    const int b = DeviceToScreen({0, FPrinterInfo->MMToPixels(false, 5.0f)}).y();
    const int gx = DeviceToScreen({FPrinterInfo->MMToPixels(true, 1.5f), 0}).x();
    const int gy = DeviceToScreen({0, FPrinterInfo->MMToPixels(false, 1.5f)}).y();
    painter.setPen(QPen(QColor(128, 128, 128), 1, Qt::SolidLine));
    painter.setBrush(Qt::NoBrush);
    auto mark = [&](QPoint p1, QPoint p2, QPoint p3) {
        const QPoint points[] = {p1, p2, p3};
        painter.drawPolyline(points, 3);
    };
    // Top left, bottom left, top right, bottom right: a vertical then a horizontal L each.
    mark({m.Left, m.Top - gy - b}, {m.Left, m.Top - gy}, {m.Left - a, m.Top - gy});
    mark({m.Left - gx - a, m.Top}, {m.Left - gx, m.Top}, {m.Left - gx, m.Top - a});
    mark({m.Left, m.Bottom + gy + b}, {m.Left, m.Bottom + gy}, {m.Left - a, m.Bottom + gy});
    mark({m.Left - gx - a, m.Bottom}, {m.Left - gx, m.Bottom}, {m.Left - gx, m.Bottom + a});
    mark({m.Right, m.Top - gy - b}, {m.Right, m.Top - gy}, {m.Right + a, m.Top - gy});
    mark({m.Right + gx + a, m.Top}, {m.Right + gx, m.Top}, {m.Right + gx, m.Top - a});
    mark({m.Right, m.Bottom + gy + b}, {m.Right, m.Bottom + gy}, {m.Right + a, m.Bottom + gy});
    mark({m.Right + gx + a, m.Bottom}, {m.Right + gx, m.Bottom}, {m.Right + gx, m.Bottom + a});
}

bool TLxCustomTextPrev::Print() { return PrintTo(*FPrinterInfo->Printer()); }

bool TLxCustomTextPrev::PrintTo(QPrinter &printer)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    // The painter's origin is the paper's corner on a full-page printer, otherwise the corner
    // of its printable area: the sheet is drawn that far up and left.
    const int res = printer.resolution();
    QPoint origin;
    if (!printer.fullPage()) {
        const QPageLayout layout = printer.pageLayout();
        origin = layout.paintRectPixels(res).topLeft() - layout.fullRectPixels(res).topLeft();
    }
    for (int i = 0; i < PageCount(); ++i) {
        const TLxPVPagePicture *page = FPageData->Page(i);
        if (i > 0 && !printer.newPage())
            break;
        const double sx = double(res) / page->DpiX(), sy = double(res) / page->DpiY();
        PlayPage(painter, *page,
                 QRectF(-origin.x(), -origin.y(), page->SheetWidth() * sx, page->SheetHeight() * sy));
    }
    return painter.end();
}
