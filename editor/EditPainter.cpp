#include "EditPainter.h"

#include "editor/EditDocument.h"
#include "editor/EditView.h"
#include "editor/LxTextEditor.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

// ---- painter ----------------------------------------------------------------------------

TEditPainter::TEditPainter() { SetFont(QFont()); }

void TEditPainter::SetFont(const QFont &font)
{
    FMeasure = TEditTextMeasure(font);
    // One font per style, made once: a font built anew for every token would be resolved
    // anew by the painter every time.
    for (int style = 0; style < 16; ++style) {
        QFont f = font;
        f.setBold(style & fsBold);
        f.setItalic(style & fsItalic);
        f.setUnderline(style & fsUnderline);
        f.setStrikeOut(style & fsStrikeOut);
        FFonts[style] = f;
    }
    FBold = TEditTextMeasure(FFonts[fsBold]);
}

const QFont &TEditPainter::FontFor(uint8_t fontStyle) const { return FFonts[fontStyle & 15]; }

const TEditTextMeasure &TEditPainter::MeasureFor(uint8_t fontStyle) const
{
    return (fontStyle & fsBold) ? FBold : FMeasure;
}

QColor TEditPainter::ResolveColor(int32_t value, bool forText) const
{
    if (value == kDefaultColor)
        value = forText ? DefaultForeColor : DefaultBackColor;
    return ColorValueToQColor(value);
}

double TEditPainter::MeasureText(std::string_view text, const TEditDrawProps &props) const
{
    return MeasureFor(props.FontStyle).Width(text);
}

void TEditPainter::ApplyTokenStyle(QPainter &canvas, const TEditDrawProps &props) const
{
    const QFont &font = FontFor(props.FontStyle);
    if (!(canvas.font() == font))
        canvas.setFont(font);
    canvas.setPen(ResolveColor(props.ForeColor, true));
}

void TEditPainter::ApplyBarStyle(QPainter &canvas, int32_t fore, int32_t back, uint8_t fontStyle) const
{
    canvas.setFont(FontFor(fontStyle));
    canvas.setPen(ColorValueToQColor(fore));
    canvas.setBrush(ColorValueToQColor(back));
}

void TEditPainter::TextOutClipped(QPainter &canvas, double x, int y, std::string_view text,
                                  const TEditDrawProps &props, const QRect &clip) const
{
    const TEditTextMeasure &m = MeasureFor(props.FontStyle);
    const double width = m.Width(text);
    const double ascent = m.Ascent();
    if (props.BackColor != kDefaultColor)
        canvas.fillRect(QRectF(x, y, width, m.LineHeight()), ResolveColor(props.BackColor, false));
    // Shaping a long text costs in proportion to its length even where it is clipped away:
    // draw only the characters that meet the clip.
    if (width > 2.0 * clip.width() + 200 && text.size() > 64) {
        const int from = m.ColumnAtX(text, std::max(0.0, clip.left() - x - m.ColumnWidth() * 2));
        const int to = m.ColumnAtX(text, clip.right() - x + m.ColumnWidth() * 2);
        if (to <= from)
            return;
        const double left = x + m.WidthOfColumns(text, from);
        m.Draw(canvas, left, y + ascent, text.substr(static_cast<size_t>(from), static_cast<size_t>(to - from)));
        return;
    }
    m.Draw(canvas, x, y + ascent, text);
}

void TEditPainter::DrawBreakMark(QPainter &canvas, int x, int y, const QColor &color) const
{
    const int w = static_cast<int>(std::round(FMeasure.Width("A")));
    const int h = FMeasure.LineHeight();
    const QPen old = canvas.pen();
    canvas.setPen(color);
    const QPoint points[] = {{x + w, y + 2}, {x + w, y + h / 2}, {x + 2, y + h / 2}, {x + 4, y + h / 2 + 2}};
    canvas.drawPolyline(points, 4);
    canvas.drawLine(QPoint(x + 2, y + h / 2), QPoint(x + 4, y + h / 2 - 2));
    canvas.setPen(old);
}

void TEditPainter::DrawMarkText(QPainter &canvas, int x, int y, const char *text) const
{
    const QPen oldPen = canvas.pen();
    const QFont oldFont = canvas.font();
    const double w = FMeasure.Width(text);
    canvas.fillRect(QRectF(x, y, w, FMeasure.LineHeight()), ResolveColor(DefaultForeColor, true));
    canvas.setPen(ResolveColor(DefaultBackColor, false));
    canvas.setFont(FMeasure.Font());
    FMeasure.Draw(canvas, x, y + FMeasure.Ascent(), text);
    canvas.setPen(oldPen);
    canvas.setFont(oldFont);
}

// ---- bars -------------------------------------------------------------------------------

void TEditBarBase::SetColorIndex(int index, int32_t value)
{
    int32_t &slot = index == 0 ? BackColor : ForeColor;
    if (slot == value)
        return;
    View->BeginUpdate();
    slot = value;
    View->EndUpdate();
}

void TEditBarBase::SetFontStyle(uint8_t style)
{
    if (FontStyle == style)
        return;
    View->BeginUpdate();
    FontStyle = style;
    View->EndUpdate();
}

void TEditBarBase::EndChange()
{
    if (--ChangeCount <= 0) {
        ChangeCount = 0;
        View->Layout();
    }
}

void TEditLefBar::SetVisible(bool value)
{
    if (Visible == value)
        return;
    View->BeginUpdate();
    BeginChange();
    Visible = value;
    if (!value && Width > 0)
        Width = 0;
    else if (value && Width == 0)
        Width = 30;
    EndChange();
    View->EndUpdate();
}

void TEditLefBar::SetWidth(int value)
{
    const int half = View->Control ? View->Control->width() / 2 : value;
    if (value < 0 || value == Width || value > half)
        return;
    View->BeginUpdate();
    BeginChange();
    Width = value;
    if (value == 0)
        Visible = false;
    EndChange();
    View->EndUpdate();
}

void TEditLefBar::SetBorder(const TEditBorder &border)
{
    View->BeginUpdate();
    Border = border;
    View->EndUpdate();
}

void TEditLefBar::Paint(QPainter &canvas, const QRect &clip, const TLxEditDocs *docs, const TEditViewInfo &info)
{
    if (BarRect.width() <= 0)
        return;
    canvas.save();
    View->Painter->ApplyBarStyle(canvas, ForeColor, BackColor, FontStyle);
    canvas.fillRect(clip.intersected(BarRect), ColorValueToQColor(BackColor));
    PaintBorder(canvas, BarRect);
    if (docs && !info.WordWrap)
        DrawNumbers(canvas, clip, *docs, info);
    canvas.restore();
}

void TEditLefBar::PaintBorder(QPainter &canvas, const QRect &rect)
{
    if (!Border.DrawBorder || rect.width() < 2)
        return;
    canvas.setPen(ColorValueToQColor(Border.OuterColor));
    canvas.drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());
    canvas.setPen(ColorValueToQColor(Border.InnerColor));
    canvas.drawLine(rect.right() - 1, rect.top(), rect.right() - 1, rect.bottom());
}

void TEditLefBar::DrawNumbers(QPainter &canvas, const QRect &clip, const TLxEditDocs &docs, const TEditViewInfo &info)
{
    const TEditTextMeasure &m = View->Painter->Measure();
    const double digitWidth = std::max(1.0, m.Width("0"));
    const int digits = std::max(1, static_cast<int>((Width - 2) / digitWidth));
    const int lh = std::max(1, info.LineHeight);
    canvas.setPen(ColorValueToQColor(ForeColor));
    canvas.setFont(m.Font());
    int y = View->TextView.Margin.TopMarg;
    for (int i = info.TopLine; i < docs.Count() && y <= BarRect.bottom(); ++i, y += lh) {
        const QRect band(BarRect.left(), y, BarRect.width(), lh);
        if (!band.intersects(clip))
            continue;
        // Rows are numbered from 1, as the print preview numbers them.
        QString number = QString::number(i + 1);
        if (number.size() < digits)
            number = QString(digits - number.size(), QLatin1Char(' ')) + number;
        canvas.drawText(QPointF(BarRect.left(), y + m.Ascent()), number);
    }
}

void TEditLefBar::DrawCurrentLine(QPainter &canvas, const QRect &textRect, const TEditViewInfo &info)
{
    if (!Border.DrawBorder || BarRect.width() < 2)
        return;
    const int y = textRect.top() + (info.Caret.Row - info.TopLine) * info.LineHeight;
    if (y + info.LineHeight < BarRect.top() || y > BarRect.bottom())
        return;
    canvas.setPen(ColorValueToQColor(Border.CarrentColor));
    canvas.drawLine(BarRect.right(), y, BarRect.right(), y + info.LineHeight - 1);
    canvas.drawLine(BarRect.right() - 1, y, BarRect.right() - 1, y + info.LineHeight - 1);
}

void TEditTextBar::SetColorIndex(int index, int32_t value)
{
    if (index == 0)
        View->Painter->DefaultBackColor = value;
    else
        View->Painter->DefaultForeColor = value;
    TEditBarBase::SetColorIndex(index, value);
}

void TEditTextBar::SetMargin(int index, int value)
{
    int &slot = index == 0 ? Margin.TopMarg : Margin.LeftMarg;
    if (slot == value || value < 0)
        return;
    View->BeginUpdate();
    BeginChange();
    slot = value;
    EndChange();
    View->EndUpdate();
}
