#include "LxPVProcs.h"

#include "editor/EditFuncs.h"

#include <QDateTime>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>

#include <cmath>
#include <cstdlib>

int PageNumber = 0;

TLxRect FigurePlacement(const TLxRect &b, const TLxRect &p)
{
    auto horizontal = [&](int v) {
        if (v == int(pvCenter))
            return b.Left + std::abs(b.Right - b.Left) / 2;
        if (v == int(pvFarEdge))
            return b.Right;
        return b.Left + v;
    };
    auto vertical = [&](int v) {
        if (v == int(pvCenter))
            return b.Top + std::abs(b.Bottom - b.Top) / 2;
        if (v == int(pvFarEdge))
            return b.Bottom;
        return b.Top + v;
    };
    return {horizontal(p.Left), vertical(p.Top), horizontal(p.Right), vertical(p.Bottom)};
}

TLxRect BoxPlacement(const TLxRect &b, const TLxRect &p)
{
    const int W = std::abs(b.Right - b.Left), H = std::abs(b.Bottom - b.Top);
    const int w = std::abs(p.Right - p.Left), h = std::abs(p.Bottom - p.Top);
    TLxRect r;
    r.Left = p.Left == int(pvCenter) ? b.Left + W / 2 - w / 2 : p.Left == int(pvFarEdge) ? b.Right : b.Left + p.Left;
    r.Top = p.Top == int(pvCenter) ? b.Top + H / 2 - h / 2 : p.Top == int(pvFarEdge) ? b.Bottom : b.Top + p.Top;
    r.Right = p.Right == int(pvCenter) ? b.Right - W / 2 + w / 2
              : p.Right == int(pvFarEdge) ? b.Right
                                          : b.Left + p.Right;
    r.Bottom = p.Bottom == int(pvCenter) ? b.Bottom - H / 2 + h / 2
               : p.Bottom == int(pvFarEdge) ? b.Bottom
                                            : b.Top + p.Bottom;
    return r;
}

QString ExpandMacro(const QString &text)
{
    static const QString kMacro = QStringLiteral("&&");
    if (!text.contains(kMacro))
        return text;
    const QLocale locale;
    if (text == QLatin1String("&&D"))
        return locale.toString(QDate::currentDate(), QLocale::ShortFormat);
    if (text == QLatin1String("&&T"))
        return locale.toString(QTime::currentTime(), QLocale::LongFormat);
    if (text.toUpper().contains(QLatin1String("&&P"))) {
        const int slash = text.indexOf(QLatin1Char('/'));
        QString result = slash < 0 ? text : text.mid(slash + 1);
        return result.replace(QLatin1Char('%'), QString::number(PageNumber));
    }
    return text;
}

QString StripMnemonics(const QString &text)
{
    if (!text.contains(QLatin1Char('&')))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            ++i;
            if (i >= text.size())
                break;
        }
        out += text[i];
    }
    return out;
}

struct TLxPVTextMetrics::TImpl {
    TEditTextMeasure Measure;
};

TLxPVTextMetrics::TLxPVTextMetrics(const QFont &font, QPaintDevice *device)
    : FImpl(new TImpl{TEditTextMeasure(font, device)})
{
}

TLxPVTextMetrics::~TLxPVTextMetrics() { delete FImpl; }

const TEditTextMeasure &TLxPVTextMetrics::Measure() const { return FImpl->Measure; }

int TLxPVTextMetrics::TextWidth(const QString &text) const
{
    return int(std::ceil(FImpl->Measure.Metrics().horizontalAdvance(StripMnemonics(text)) - 1e-6));
}

int TLxPVTextMetrics::LineHeight() const { return FImpl->Measure.LineHeight(); }

double TLxPVTextMetrics::Ascent() const { return FImpl->Measure.Ascent(); }

int TLxPVTextMetrics::WrappedHeight(int width, const QString &text) const
{
    const QRectF r = FImpl->Measure.Metrics().boundingRect(QRectF(0, 0, width, 1e9),
                                                           Qt::TextWordWrap | Qt::TextShowMnemonic, text);
    return std::max(LineHeight(), int(std::ceil(r.height() - 1e-6)));
}

QSize MeasureText(QPainter &canvas, const QString &text)
{
    TLxPVTextMetrics metrics(canvas.font(), canvas.device());
    return {metrics.TextWidth(text), metrics.LineHeight()};
}
