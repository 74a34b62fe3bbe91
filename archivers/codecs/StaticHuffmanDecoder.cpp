#include "archivers/codecs/StaticHuffmanDecoder.h"

#include "archivers/codecs/BitReader.h"
#include "archivers/codecs/HuffmanTable.h"
#include "archivers/codecs/OutputWindow.h"

#include <memory>

namespace tovik::codecs {

using archivers::ReadError;

namespace {

constexpr unsigned kCodeSymbols = 510;   // 256 literals + match lengths 3 to 256
constexpr unsigned kPreSymbols = 19;     // code-length codes
constexpr unsigned kMatchBase = 253;     // symbol - 253 = match length

struct Tables {
    HuffmanTable pre;
    HuffmanTable code;
    HuffmanTable position;
};

// A code length in the pre-tree and position tables: three bits, 7 extended by a run of
// one-bits. Lengths beyond 16 cannot form a valid code.
bool readLength(BitReader &in, uint8_t &out)
{
    unsigned len = in.bits(3);
    if (len == 7) {
        while (in.bit()) {
            if (++len > HuffmanTable::kMaxLength)
                return false;
        }
    }
    out = static_cast<uint8_t>(len);
    return true;
}

// The pre-tree (with its 2-bit skip after the third length) or the position table.
bool readSmallTable(BitReader &in, HuffmanTable &table, unsigned maxCount, unsigned countBits,
                    int skipAt)
{
    unsigned n = in.bits(countBits);
    if (n == 0) {
        table.setSingle(in.bits(countBits));
        return true;
    }
    if (n > maxCount)
        return false;
    uint8_t lengths[64] = {};
    for (unsigned i = 0; i < n; ++i) {
        if (!readLength(in, lengths[i]))
            return false;
        if (static_cast<int>(i) == skipAt - 1) {
            // Encoders may count skipped lengths past the end of the table; they are zero
            // anyway.
            i += in.bits(2);
        }
    }
    return table.build(lengths, n, 8);
}

bool readCodeTable(BitReader &in, Tables &t)
{
    unsigned n = in.bits(9);
    if (n == 0) {
        t.code.setSingle(in.bits(9));
        return true;
    }
    if (n > kCodeSymbols)
        return false;
    uint8_t lengths[kCodeSymbols] = {};
    unsigned i = 0;
    while (i < n) {
        int c = t.pre.decode(in);
        if (c < 0)
            return false;
        if (c <= 2) {
            unsigned run = c == 0 ? 1 : c == 1 ? in.bits(4) + 3 : in.bits(9) + 20;
            i += run < n - i ? run : n - i; // zero lengths
        } else {
            lengths[i++] = static_cast<uint8_t>(c - 2);
        }
        if (in.overrun())
            return false;
    }
    return t.code.build(lengths, n, 12);
}

// LHARK codes lengths 3 to 10 directly, then in groups of four sharing extra bits, and
// 514 as its longest match.
uint32_t lharkLength(BitReader &in, unsigned c)
{
    if (c < 264)
        return c - 256 + 3;
    if (c < 288) {
        unsigned extra = (c - 260) / 4;
        return ((4 + c % 4) << extra) + in.bits(extra) + 3;
    }
    return 514;
}

// LHARK positions: codes 0 to 3 direct, then pairs of codes sharing extra bits (p <= 31).
uint32_t lharkDistance(BitReader &in, unsigned p)
{
    if (p < 4)
        return p;
    unsigned extra = (p - 2) / 2;
    return ((2 + p % 2) << extra) + in.bits(extra);
}

} // namespace

StaticHuffmanParams LzhStaticParams(char methodDigit)
{
    switch (methodDigit) {
    case '4': return {12, 14, 4};
    case '5': return {13, 14, 4};
    case '6': return {15, 16, 5};
    case '7': return {16, 17, 5};
    default: return {19, 20, 5}; // -lhx-
    }
}

StaticHuffmanParams LharkParams()
{
    StaticHuffmanParams p{16, 63, 6};
    p.lhark = true;
    return p;
}

StaticHuffmanParams ArjStaticParams()
{
    // A 26,624-byte window; 15 bits covers it.
    return {15, 17, 5};
}

ReadError DecodeStaticHuffman(InputStream &input, const StaticHuffmanParams &params, uint64_t originalSize,
                              const archivers::DataSink &sink)
{
    BitReader in(input);
    auto tables = std::make_unique<Tables>();
    OutputWindow out(params.dictionaryBits, originalSize, sink);
    uint32_t blockLeft = 0;
    while (!out.done()) {
        if (blockLeft == 0) {
            blockLeft = in.bits(16);
            if (!readSmallTable(in, tables->pre, kPreSymbols, 5, 3) || !readCodeTable(in, *tables) ||
                !readSmallTable(in, tables->position, params.positionCodes, params.positionBits, 0) ||
                in.overrun())
                return ReadError::Corrupt;
            continue;
        }
        --blockLeft;
        int c = tables->code.decode(in);
        if (c < 0)
            return ReadError::Corrupt;
        if (c < 256) {
            out.put(static_cast<uint8_t>(c));
        } else {
            uint32_t length = params.lhark ? lharkLength(in, static_cast<unsigned>(c))
                                           : static_cast<uint32_t>(c) - kMatchBase;
            int p = tables->position.decode(in);
            if (p < 0 || p > 31)
                return ReadError::Corrupt;
            uint32_t distance;
            if (params.lhark)
                distance = lharkDistance(in, static_cast<unsigned>(p));
            else
                distance = p <= 1 ? static_cast<uint32_t>(p) : (1u << (p - 1)) + in.bits(p - 1);
            if (!out.copy(distance + 1, length))
                return ReadError::Corrupt;
        }
        if ((blockLeft & 0xFFF) == 0 && in.overrun())
            return ReadError::Corrupt;
    }
    return out.finishEntry(in);
}

} // namespace tovik::codecs

namespace tovik::codecs {

namespace {

constexpr unsigned kLh3Codes = 286;
constexpr unsigned kLh3Positions = 128;

// The built-in position table: lengths 2 to 9, rising at the listed codes.
void lh3DefaultPositions(uint8_t *lengths)
{
    static const unsigned rises[] = {1, 1, 3, 6, 13, 31, 78};
    unsigned len = 2, r = 0;
    for (unsigned i = 0; i < kLh3Positions; ++i) {
        while (r < 7 && rises[r] == i) {
            ++len;
            ++r;
        }
        lengths[i] = static_cast<uint8_t>(len);
    }
}

// A table as -lh3- sends it: count lengths from readOne, where three leading lengths of 1
// mean that a single code follows in singleBits bits instead. False when the lengths make
// no code.
template <class ReadOne>
bool readLh3Table(BitReader &in, HuffmanTable &table, unsigned count, unsigned singleBits, unsigned tableBits,
                  ReadOne readOne)
{
    uint8_t lengths[kLh3Codes] = {};
    for (unsigned i = 0; i < count; ++i) {
        lengths[i] = readOne();
        if (i == 2 && lengths[0] == 1 && lengths[1] == 1 && lengths[2] == 1) {
            table.setSingle(in.bits(singleBits));
            return true;
        }
    }
    return table.build(lengths, count, tableBits);
}

} // namespace

ReadError DecodeLh3(InputStream &input, uint64_t originalSize, const archivers::DataSink &sink)
{
    BitReader in(input);
    auto tables = std::make_unique<Tables>();
    OutputWindow out(13, originalSize, sink);
    uint32_t blockLeft = 0;
    while (!out.done()) {
        if (blockLeft == 0) {
            blockLeft = in.bits(16);
            // Codes: a flag, then 4 bits of length - 1; a single code in 9 bits.
            if (!readLh3Table(in, tables->code, kLh3Codes, 9, 12,
                              [&] { return static_cast<uint8_t>(in.bit() ? in.bits(4) + 1 : 0); }))
                return ReadError::Corrupt;
            // Positions: a flag for a table of 4-bit lengths (a single code in 10 bits), else
            // the built-in one.
            if (in.bit()) {
                if (!readLh3Table(in, tables->position, kLh3Positions, 10, 8,
                                  [&] { return static_cast<uint8_t>(in.bits(4)); }))
                    return ReadError::Corrupt;
            } else {
                uint8_t positions[kLh3Positions] = {};
                lh3DefaultPositions(positions);
                tables->position.build(positions, kLh3Positions, 8);
            }
            if (in.overrun())
                return ReadError::Corrupt;
            continue;
        }
        --blockLeft;
        int c = tables->code.decode(in);
        if (c < 0)
            return ReadError::Corrupt;
        if (c == kLh3Codes - 1)
            c += static_cast<int>(in.bits(8));
        if (c < 256) {
            out.put(static_cast<uint8_t>(c));
        } else {
            int p = tables->position.decode(in);
            if (p < 0 || p >= static_cast<int>(kLh3Positions))
                return ReadError::Corrupt;
            uint32_t distance = (static_cast<uint32_t>(p) << 6) | in.bits(6);
            if (!out.copy(distance + 1, static_cast<uint32_t>(c) - kMatchBase))
                return ReadError::Corrupt;
        }
        if ((blockLeft & 0xFFF) == 0 && in.overrun())
            return ReadError::Corrupt;
    }
    return out.finishEntry(in);
}

} // namespace tovik::codecs
