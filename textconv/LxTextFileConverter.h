// The one road from an entry's bytes to display lines in a chosen character set.
//
// The converter owns the character set table, remembers the row of the last request, and runs
// that row's decoder over the bytes.
#ifndef TOVIK_TEXTCONV_LXTEXTFILECONVERTER_H
#define TOVIK_TEXTCONV_LXTEXTFILECONVERTER_H

#include "textconv/LxTCTypes.h"

#include <QObject>

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string_view>

class QWidget;
class TEditStringList;
class TLxDecorderBase;

class TLxTextConvertObj {
public:
    // messageParent: the window the "not supported" message belongs to (may be null).
    explicit TLxTextConvertObj(QWidget *messageParent = nullptr);
    virtual ~TLxTextConvertObj();
    TLxTextConvertObj(const TLxTextConvertObj &) = delete;
    TLxTextConvertObj &operator=(const TLxTextConvertObj &) = delete;

    // CurrentCharSet := the row of code (null when no row has it); answers it.
    TCharSetItem *SelectCharSet(int32_t code);
    // Replaces lines by the bytes of stream decoded as code, and answers true. Answers false and
    // leaves lines alone for a code no row carries (silently) or a row without a decoder (after
    // the message "このファイルタイプは対応していません"). A decoding error passes on to the
    // caller, with what was decoded before it already in lines. The Shift_JIS row reads the
    // stream from its current position, the others from its start.
    bool Convert(int32_t code, std::istream &stream, TEditStringList *lines);
    // The same for a whole text in memory.
    bool Convert(int32_t code, std::string_view bytes, TEditStringList *lines);

    std::unique_ptr<TCharSetList> CharSets;
    TCharSetItem *CurrentCharSet = nullptr; // a row of CharSets, or null
    QWidget *MessageParent = nullptr;

private:
    // The decoder for a conversion request, or null (after the message where one is due).
    std::unique_ptr<TLxDecorderBase> DecoderFor(int32_t code);
};

// The converter as a component: freed with its owner.
class TLxTextFileConverter : public QObject {
public:
    explicit TLxTextFileConverter(QObject *owner = nullptr);
    ~TLxTextFileConverter() override;

    bool Convert(int32_t code, std::istream &stream, TEditStringList *lines);
    // The same for bytes in memory.
    bool Convert(int32_t code, std::string_view bytes, TEditStringList *lines);
    // The row of the last request (null when its code had no row); its Name is what the user is shown.
    TCharSetItem *CurrentCharSet() const;

    std::unique_ptr<TLxTextConvertObj> ConvertObj;
};

#endif
