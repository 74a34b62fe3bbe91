// Card data: one printed sheet per record, drawn from card pages that hold items and fields.
#ifndef TOVIK_PREVIEW_LXPVCARDDATACLASS_H
#define TOVIK_PREVIEW_LXPVCARDDATACLASS_H

#include "LxPVDefs.h"
#include "LxPreviewClasses.h"

#include <QFont>
#include <QStringList>

#include <memory>
#include <vector>

class QPainter;
class TLxPVPrinterInfo;
class TLxPVCardData;
class TLxPVCardPages;

// A field of a card page: draws one record's value.
class TLxPVCardField {
public:
    virtual ~TLxPVCardField() = default;
    virtual void Draw(int record, QPainter &canvas, const TLxRect &rect) = 0;
};

class TLxPVCardFields {
public:
    void Add(std::unique_ptr<TLxPVCardField> field) { FFields.push_back(std::move(field)); }
    int Count() const { return int(FFields.size()); }
    TLxPVCardField *Items(int index) const
    {
        return index >= 0 && index < Count() ? FFields[size_t(index)].get() : nullptr;
    }

private:
    std::vector<std::unique_ptr<TLxPVCardField>> FFields;
};

// A card page is a band (its items) plus the fields drawn per record.
class TLxPVCardPage : public TLxPVDrawBand {
public:
    TLxPVCardPage(TLxPVCardPages *pages, const TLxPVFont &font);
    // Items, then every field with the record, clipped to rect, in the card page's font.
    void DrawRecord(QPainter &canvas, const TLxRect &rect, int record);
    TLxPVCardPages *Pages() const { return FPages; }
    TLxPVCardFields &Fields() { return FFields; }

private:
    TLxPVCardPages *FPages;
    TLxPVCardFields FFields;
};

class TLxPVCardPages {
public:
    explicit TLxPVCardPages(TLxPVCardData *data) : FData(data) {}
    TLxPVCardPage *Add();
    int Count() const { return int(FPages.size()); }
    TLxPVCardPage *Items(int index) const
    {
        return index >= 0 && index < Count() ? FPages[size_t(index)].get() : nullptr;
    }
    TLxPVCardData *Data() const { return FData; }

private:
    TLxPVCardData *FData;
    std::vector<std::unique_ptr<TLxPVCardPage>> FPages;
};

class TLxPVCardData {
public:
    // Makes one card page.
    TLxPVCardData(TLxPVPrinterInfo *printerInfo, const QFont *font);

    TLxPVPrinterInfo *PrinterInfo() const { return FPrinterInfo; }
    const QFont *Font() const { return FFont; }
    TLxPVCardPages &CardPages() { return FCardPages; }
    // Sorted, duplicates ignored.
    void AddFieldName(const QString &name);
    const QStringList &FieldNames() const { return FFieldNames; }
    int RecordCount = 0;
    int CurrentRecord = 0;

private:
    TLxPVPrinterInfo *FPrinterInfo;
    const QFont *FFont;
    TLxPVCardPages FCardPages;
    QStringList FFieldNames;
};

#endif
