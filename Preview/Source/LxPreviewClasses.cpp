#include "LxPreviewClasses.h"

#include "LxPVProcs.h"
#include "LxPrinters.h"
#include "editor/EditFuncs.h"

#include <QBitmap>
#include <QPainter>
#include <QPolygon>

namespace {

constexpr char kUnit[] = "Preview\\Source\\LxPreviewClasses";

int ToPx(bool horizontal, float mm)
{
    return CurrentPrinterInfo ? CurrentPrinterInfo->MMToPixels(horizontal, mm) : int(mm);
}

// A solid closed outline through the four corners of r.
void DrawFrame(QPainter &canvas, const TLxRect &r, const QColor &color, int width)
{
    canvas.save();
    QPen pen(color);
    pen.setWidth(width);
    pen.setJoinStyle(Qt::MiterJoin);
    canvas.setPen(pen);
    canvas.setBrush(Qt::NoBrush);
    const QPoint corners[] = {{r.Left, r.Top}, {r.Right, r.Top}, {r.Right, r.Bottom},
                              {r.Left, r.Bottom}, {r.Left, r.Top}};
    canvas.drawPolyline(corners, 5);
    canvas.restore();
}

} // namespace

// Items -------------------------------------------------------------------------------------

TLxPVDrawItem::TLxPVDrawItem(TLxPVDrawItems *owner) : Owner(owner) {}

TLxRect TLxPVDrawItem::ToPixels() const
{
    return {ToPx(true, Left), ToPx(false, Top), ToPx(true, Right), ToPx(false, Bottom)};
}

int TLxPVFigItem::Draw(QPainter &canvas, const TLxRect &bandRect)
{
    const TLxRect r = FigurePlacement(bandRect, ToPixels());
    DrawnRect = r;
    canvas.save();
    if (Shape == fsLine) {
        QPen pen(PenColor);
        pen.setWidth(ToPx(true, PenWidth));
        pen.setStyle(PenStyle);
        canvas.setPen(pen);
        canvas.drawLine(r.Left, r.Top, r.Right, r.Bottom);
    } else {
        if (BackColor.isValid())
            canvas.setBrush(BackColor);
        QPen pen = canvas.pen();
        if (Framed)
            pen.setColor(PenColor);
        else
            pen = QPen(Qt::NoPen);
        canvas.setPen(pen);
        // The device rectangle covers Left..Right-1, as the shapes of the page are stated.
        const QRect shape(r.Left, r.Top, r.Width() - 1, r.Height() - 1);
        switch (Shape) {
        case fsRectangle:
            canvas.drawRect(shape);
            break;
        case fsRoundRect:
            canvas.drawRoundedRect(shape, 5, 5);
            break;
        case fsEllipse:
            canvas.drawEllipse(shape);
            break;
        case fs3DFrame: {
            const QColor highlight = ColorValueToQColor(SystemColorValue(20));
            const QColor shadow = ColorValueToQColor(SystemColorValue(16));
            canvas.setPen(QPen(highlight, 1));
            canvas.drawLine(r.Left, r.Bottom - 1, r.Left, r.Top);
            canvas.drawLine(r.Left, r.Top, r.Right - 1, r.Top);
            canvas.setPen(QPen(shadow, 1));
            canvas.drawLine(r.Right - 1, r.Top, r.Right - 1, r.Bottom - 1);
            canvas.drawLine(r.Right - 1, r.Bottom - 1, r.Left, r.Bottom - 1);
            break;
        }
        default:
            break;
        }
    }
    canvas.restore();
    return r.Bottom - r.Top;
}

int TLxPVImageItem::Draw(QPainter &canvas, const TLxRect &bandRect)
{
    LXPV_ASSERT(!Picture.isNull(), kUnit);
    TLxRect r = ToPixels();
    const int px = ToPx(true, PaddingX), py = ToPx(false, PaddingY);
    r = {r.Left + px, r.Top + py, r.Right - px, r.Bottom - py};
    DrawnRect = BoxPlacement(bandRect, r);
    QImage graphic = Picture;
    if (!graphic.hasAlphaChannel() && graphic.width() > 0 && graphic.height() > 0) {
        // A bitmap is drawn transparent: its bottom-left pixel's colour is the background.
        const QRgb key = graphic.pixel(0, graphic.height() - 1);
        graphic = graphic.convertToFormat(QImage::Format_ARGB32);
        const QImage mask = Picture.createMaskFromColor(key, Qt::MaskOutColor);
        graphic.setAlphaChannel(mask);
    }
    if (Framed)
        DrawFrame(canvas, DrawnRect, Qt::black, ToPx(true, 0.2f));
    if (Stretch) {
        canvas.drawImage(DrawnRect.ToQRect(), graphic);
    } else {
        int x = DrawnRect.Left, y = DrawnRect.Top;
        const int spareX = DrawnRect.Width() - graphic.width();
        const int spareY = DrawnRect.Height() - graphic.height();
        const int h = Alignment / 3, v = Alignment % 3;
        if (spareX > 0)
            x += h == 1 ? spareX / 2 : h == 2 ? spareX : 0;
        if (spareY > 0)
            y += v == 1 ? spareY / 2 : v == 2 ? spareY : 0;
        canvas.drawImage(QPoint(x, y), graphic);
    }
    return graphic.height();
}

TLxPVTextItem::TLxPVTextItem(TLxPVDrawItems *owner) : TLxPVDrawItem(owner)
{
    PaddingX = 1.0f;
    PaddingY = 1.0f;
    if (owner && owner->Band())
        Font = owner->Band()->Font;
}

int TLxPVTextItem::Draw(QPainter &canvas, const TLxRect &bandRect)
{
    return Mode == tmBox ? DrawBox(canvas, bandRect) : DrawSingleLine(canvas, bandRect);
}

int TLxPVTextItem::DrawSingleLine(QPainter &canvas, const TLxRect &b)
{
    const QString text = ExpandMacro(Text);
    canvas.setFont(Font.Font);
    const QSize size = MeasureText(canvas, text);
    const int w = size.width(), h = size.height();
    const TLxRect p = ToPixels();
    int x, y;
    if (p.Left < 0 || p.Top < 0) {
        x = p.Left == int(pvFarEdge) ? b.Right - w
            : p.Left == int(pvCenter) ? b.Left + (b.Right - b.Left) / 2 - w / 2
                                      : b.Left + p.Left;
        y = p.Top == int(pvFarEdge) ? b.Bottom - h
            : p.Top == int(pvCenter) ? b.Top + (b.Bottom - b.Top) / 2 - h / 2
                                     : b.Top + p.Top;
    } else {
        const TLxRect placed = BoxPlacement(b, p);
        x = placed.Left;
        y = placed.Top;
    }
    DrawnRect = {x, y, x + w, y + h};
    canvas.save();
    canvas.setPen(Font.Color);
    canvas.drawText(QRect(x, y, w, h), Qt::TextSingleLine | Qt::TextShowMnemonic | Qt::TextDontClip,
                    text);
    canvas.restore();
    return 0;
}

int TLxPVTextItem::DrawBox(QPainter &canvas, const TLxRect &b)
{
    const QString text = ExpandMacro(Text);
    canvas.setFont(Font.Font);
    DrawnRect = BoxPlacement(b, ToPixels());
    canvas.save();
    canvas.setClipRect(DrawnRect.ClipRect(), Qt::IntersectClip);
    if (BackColor.isValid())
        canvas.fillRect(DrawnRect.ToQRect(), BackColor);
    if (Framed)
        DrawFrame(canvas, DrawnRect, FrameColor, ToPx(true, FramePenWidth));
    const int px = ToPx(true, PaddingX), py = ToPx(false, PaddingY);
    TLxRect t{DrawnRect.Left + px, DrawnRect.Top + py, DrawnRect.Right - px, DrawnRect.Bottom - py};
    canvas.setPen(Font.Color);
    if (Alignment >= 10 && Alignment <= 12) {
        if (!text.isEmpty()) {
            TLxPVTextMetrics metrics(canvas.font(), canvas.device());
            const int h = metrics.WrappedHeight(t.Width(), text);
            if (Alignment == 11)
                t.Top += DrawnRect.Height() / 2 - h / 2;
            else if (Alignment == 12)
                t.Top = t.Bottom - h;
            canvas.drawText(QRect(t.Left, t.Top, t.Width(), std::max(h, t.Height())),
                            Qt::TextWordWrap | Qt::TextShowMnemonic | Qt::AlignLeft | Qt::AlignTop, text);
        }
    } else if (Alignment <= 8) {
        static const Qt::Alignment kHorizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
        static const Qt::Alignment kVertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
        const Qt::Alignment align = kHorizontal[Alignment / 3] | kVertical[Alignment % 3];
        canvas.drawText(t.ToQRect(), int(align) | Qt::TextSingleLine | Qt::TextShowMnemonic, text);
    }
    canvas.restore();
    return 0;
}

// Lists and bands ---------------------------------------------------------------------------

TLxPVDrawItem *TLxPVDrawItems::Add(int kind)
{
    std::unique_ptr<TLxPVDrawItem> item;
    if (kind == ikFigure)
        item = std::make_unique<TLxPVFigItem>(this);
    else if (kind == ikImage)
        item = std::make_unique<TLxPVImageItem>(this);
    else
        item = std::make_unique<TLxPVTextItem>(this);
    return Append(std::move(item));
}

TLxPVDrawItem *TLxPVDrawItems::Append(std::unique_ptr<TLxPVDrawItem> item)
{
    FItems.push_back(std::move(item));
    return FItems.back().get();
}

TLxPVDrawItem *TLxPVDrawItems::Items(int index) const
{
    return index >= 0 && index < Count() ? FItems[size_t(index)].get() : nullptr;
}

TLxPVDrawBand::TLxPVDrawBand(const TLxPVFont &font)
    : Font(font), FPrinterInfo(CurrentPrinterInfo), FItems(this)
{
}

TLxPVFigItem *TLxPVDrawBand::AddFigure(uint8_t shape, const QColor &color, float left, float top,
                                       float right, float bottom, int penWidth)
{
    auto *item = dynamic_cast<TLxPVFigItem *>(FItems.Add(TLxPVDrawItems::ikFigure));
    LXPV_ASSERT(item != nullptr, kUnit);
    item->Shape = shape;
    item->PenColor = color;
    item->Left = left;
    item->Top = top;
    item->Right = right;
    item->Bottom = bottom;
    item->PenWidth = float(penWidth);
    return item;
}

TLxPVTextItem *TLxPVDrawBand::AddText(const QString &text, float left, float top)
{
    auto *item = dynamic_cast<TLxPVTextItem *>(FItems.Add(TLxPVDrawItems::ikText));
    LXPV_ASSERT(item != nullptr, kUnit);
    item->Text = text;
    item->Left = left;
    item->Top = top;
    item->Mode = TLxPVTextItem::tmSingleLine;
    return item;
}

void TLxPVDrawBand::Draw(QPainter &canvas, const TLxRect &rect)
{
    canvas.setClipRect(rect.ClipRect(), Qt::ReplaceClip);
    const QFont kept = canvas.font();
    canvas.setFont(Font.Font);
    for (int i = 0; i < FItems.Count(); ++i)
        FItems.Items(i)->Draw(canvas, rect);
    canvas.setFont(kept);
}
