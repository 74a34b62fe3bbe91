// The table of character sets the text viewer knows.
//
// A character set code is a signed 32-bit integer: a positive value is a Windows code page, 0 is
// automatic detection, negative values name this system's own decoders (EUC-JP is -932,
// ISO-2022-JP -933, UTF-8 with signature -65001 ...). Each row of TCharSetList ties a code to its
// Japanese name, a short code and the decoder that converts it to the display code page, if any.
#ifndef TOVIK_TEXTCONV_LXTCTYPES_H
#define TOVIK_TEXTCONV_LXTCTYPES_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TLxDecorderBase;

// Stands for a decoder class: builds a decoder of that class.
using TLxDecorderClass = std::unique_ptr<TLxDecorderBase> (*)(const std::string &fileName, bool bigEndian,
                                                              bool hasBOM);

class TCharSetItem {
public:
    int32_t Code = 0;
    std::string Name;      // UTF-8, shown to the user
    std::string ShortName; // at most four characters
    TLxDecorderClass DecoderClass = nullptr;
    uint8_t BigEndian = 0;
    uint8_t HasBOM = 0;

    // A new decoder of DecoderClass for fileName (empty when decoding from memory), or null when
    // the row has no decoder. The caller owns it.
    std::unique_ptr<TLxDecorderBase> CreateDecoder(const std::string &fileName) const;
};

class TCharSetList {
public:
    using TCodePageTest = bool (*)(int32_t codePage);

    // Builds the rows, each present only when its guarding code page passes isValidCodePage
    // (by default: iconv knows it).
    explicit TCharSetList(TCodePageTest isValidCodePage = nullptr);
    virtual ~TCharSetList();
    TCharSetList(const TCharSetList &) = delete;
    TCharSetList &operator=(const TCharSetList &) = delete;

    void Clear();
    int Count() const { return static_cast<int>(FList.size()); }
    // The row at index, or null when index is out of range.
    TCharSetItem *Items(int index) const;
    TCharSetItem *Add();
    TCharSetItem *AddCharSet(int32_t code, const std::string &name, uint8_t bigEndian, uint8_t hasBOM,
                             TLxDecorderClass decoderClass, const std::string &shortName);
    // The first row carrying code, or null.
    TCharSetItem *FindByCode(int32_t code) const;

private:
    std::vector<std::unique_ptr<TCharSetItem>> FList;
};

#endif
