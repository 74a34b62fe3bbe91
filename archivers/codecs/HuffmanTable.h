// Canonical Huffman decoding tables of the LZH/ARJ static coders.
#ifndef TOVIK_CODECS_HUFFMANTABLE_H
#define TOVIK_CODECS_HUFFMANTABLE_H

#include "archivers/codecs/BitReader.h"

#include <cstdint>

namespace tovik::codecs {

// Codes are assigned shortest first and, within one length, in symbol order; lengths run
// from 1 to 16 bits. Codes up to tableBits long resolve with one lookup, longer ones by
// walking the per-length counts. A table whose lengths claim more codes than exist is
// refused when built; an incomplete one is accepted, and reading an unassigned code answers
// -1, so a table that does not close can never send the decoder anywhere undefined.
class HuffmanTable {
public:
    static constexpr unsigned kMaxSymbols = 512;
    static constexpr unsigned kMaxLength = 16;

    // lengths[i] is the code length of symbol i (0 = unused); count <= kMaxSymbols and
    // tableBits <= 12. False when a length exceeds 16 or the code space is oversubscribed.
    bool build(const uint8_t *lengths, unsigned count, unsigned tableBits);
    // Every read answers symbol and consumes no bits (the coders' "single code" tables).
    void setSingle(unsigned symbol);

    // The next symbol, or -1 for an unassigned code.
    int decode(BitReader &in) const
    {
        if (single_)
            return static_cast<int>(singleSymbol_);
        uint32_t bits = in.peek(16);
        uint16_t e = table_[bits >> (16 - tableBits_)];
        if (e & 0x1F) {
            in.skip(e & 0x1F);
            return e >> 5;
        }
        return decodeLong(in, bits);
    }

private:
    int decodeLong(BitReader &in, uint32_t bits) const;

    bool single_ = true;
    unsigned singleSymbol_ = 0;
    unsigned tableBits_ = 1;
    // Entry: symbol << 5 | length; length 0 = longer code or unassigned.
    uint16_t table_[1 << 12] = {};
    uint16_t count_[kMaxLength + 1] = {};
    uint32_t first_[kMaxLength + 1] = {};   // first code of each length
    uint16_t offset_[kMaxLength + 1] = {};  // index of that code's symbol in sorted_
    uint16_t sorted_[kMaxSymbols] = {};
};

} // namespace tovik::codecs

#endif
