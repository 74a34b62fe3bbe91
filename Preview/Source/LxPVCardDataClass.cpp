#include "LxPVCardDataClass.h"

#include <QPainter>

#include <algorithm>

TLxPVCardPage::TLxPVCardPage(TLxPVCardPages *pages, const TLxPVFont &font)
    : TLxPVDrawBand(font), FPages(pages)
{
}

void TLxPVCardPage::DrawRecord(QPainter &canvas, const TLxRect &rect, int record)
{
    Draw(canvas, rect);
    canvas.save();
    canvas.setClipRect(rect.ClipRect(), Qt::ReplaceClip);
    canvas.setFont(Font.Font);
    for (int i = 0; i < FFields.Count(); ++i)
        FFields.Items(i)->Draw(record, canvas, rect);
    canvas.restore();
}

TLxPVCardPage *TLxPVCardPages::Add()
{
    const TLxPVFont font{FData && FData->Font() ? *FData->Font() : QFont(), Qt::black};
    FPages.push_back(std::make_unique<TLxPVCardPage>(this, font));
    return FPages.back().get();
}

TLxPVCardData::TLxPVCardData(TLxPVPrinterInfo *printerInfo, const QFont *font)
    : FPrinterInfo(printerInfo), FFont(font), FCardPages(this)
{
    FCardPages.Add();
}

void TLxPVCardData::AddFieldName(const QString &name)
{
    const auto at = std::lower_bound(FFieldNames.begin(), FFieldNames.end(), name);
    if (at != FFieldNames.end() && *at == name)
        return;
    FFieldNames.insert(at, name);
}
