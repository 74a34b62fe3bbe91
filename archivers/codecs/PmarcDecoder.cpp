#include "archivers/codecs/PmarcDecoder.h"

#include "archivers/codecs/BitReader.h"
#include "archivers/codecs/HuffmanTable.h"
#include "archivers/codecs/OutputWindow.h"

#include <cstring>
#include <memory>

namespace tovik::codecs {

using archivers::ReadError;

namespace {

struct Range {
    uint16_t base;
    uint8_t bits;
};

// Literal positions in the byte list: small positions (recent bytes) take fewer bits.
constexpr Range kLiteral[8] = {{0, 3}, {8, 3}, {16, 4}, {32, 5}, {64, 5}, {96, 5}, {128, 6}, {192, 6}};
// Long copy lengths.
constexpr Range kLength[6] = {{17, 3}, {25, 3}, {33, 5}, {65, 6}, {129, 7}, {256, 0}};

// The byte values in order of last use, as a ring of links; head is the latest.
class ByteList {
public:
    ByteList()
    {
        for (unsigned i = 0; i < 256; ++i) {
            older_[i] = static_cast<uint8_t>(i + 1);
            newer_[i] = static_cast<uint8_t>(i - 1);
        }
        // Printable ASCII first, then control codes, then the upper halves in groups.
        head_ = 0x20;
        link(0x7F, 0x00);
        link(0x1F, 0xA0);
        link(0xDF, 0x80);
        link(0x9F, 0xE0);
        link(0xFF, 0x20);
    }

    uint8_t at(unsigned count) const
    {
        uint8_t b = head_;
        if (count < 128) {
            for (unsigned i = 0; i < count; ++i)
                b = older_[b];
        } else {
            for (unsigned i = 0; i < 256 - count; ++i)
                b = newer_[b];
        }
        return b;
    }

    void use(uint8_t b)
    {
        if (head_ == b)
            return;
        newer_[older_[b]] = newer_[b];
        older_[newer_[b]] = older_[b];
        older_[b] = head_;
        newer_[b] = newer_[head_];
        older_[newer_[head_]] = b;
        newer_[head_] = b;
        head_ = b;
    }

private:
    void link(uint8_t a, uint8_t olderThanA)
    {
        older_[a] = olderThanA;
        newer_[olderThanA] = a;
    }

    uint8_t older_[256];
    uint8_t newer_[256];
    uint8_t head_;
};

class Pm2 {
public:
    Pm2(InputStream &input, uint64_t originalSize, const archivers::DataSink &sink)
        : in_(input), out_(13, originalSize, sink)
    {
        uint8_t spaces[8192];
        std::memset(spaces, ' ', sizeof spaces);
        out_.presetHistory(spaces, sizeof spaces);
        offsets_.setSingle(0);
    }

    ReadError run()
    {
        in_.bit(); // the stream starts with one unused bit
        if (!readCodeTable() || !readOffsetTable(5))
            return ReadError::Corrupt;
        stage_ = 1;
        untilRebuild_ = 1024;
        unsigned steps = 0;
        while (!out_.done()) {
            int code = codes_.decode(in_);
            if (code < 0)
                return ReadError::Corrupt;
            if (code < 8) {
                unsigned pos = kLiteral[code].base + in_.bits(kLiteral[code].bits);
                uint8_t b = list_.at(pos);
                out_.put(b);
                list_.use(b);
                if (!counted(1))
                    return ReadError::Corrupt;
            } else if (!copy(static_cast<unsigned>(code) - 8)) {
                return ReadError::Corrupt;
            }
            if ((++steps & 0xFFF) == 0 && in_.overrun())
                return ReadError::Corrupt;
        }
        out_.finish();
        if (out_.stopped())
            return ReadError::None;
        return in_.overrun() ? ReadError::Corrupt : ReadError::None;
    }

private:
    bool copy(unsigned c)
    {
        uint32_t length;
        if (c < 15) {
            length = c + 2;
        } else if (c - 15 < 6) {
            length = kLength[c - 15].base + in_.bits(kLength[c - 15].bits);
        } else {
            return false;
        }
        uint32_t distance = 0;
        if (c == 0) {
            distance = in_.bits(6);
        } else if (c < 20) {
            int v = offsets_.decode(in_);
            if (v < 0)
                return false;
            unsigned bits = v == 0 ? 6 : static_cast<unsigned>(v) + 5;
            distance = (v == 0 ? 0 : 1u << bits) + in_.bits(bits);
        }
        // Copied bytes join the byte list too, and a table rebuild may fall inside a copy.
        while (length > 0 && !out_.done()) {
            uint32_t n = length < untilRebuild_ ? length : untilRebuild_;
            uint64_t before = out_.total();
            if (!out_.copy(distance + 1, n))
                return false;
            uint32_t made = static_cast<uint32_t>(out_.total() - before);
            for (uint32_t i = 0; i < made; ++i)
                list_.use(out_.recent(made - i));
            length -= n;
            if (!counted(n))
                return false;
        }
        return true;
    }

    // Counts n bytes towards the next scheduled table rebuild, and performs it when due.
    bool counted(uint32_t n)
    {
        untilRebuild_ -= n;
        if (untilRebuild_ != 0)
            return true;
        switch (stage_) {
        case 1:
            stage_ = 2;
            untilRebuild_ = 1024;
            return readOffsetTable(6);
        case 2:
            stage_ = 3;
            untilRebuild_ = 2048;
            return readOffsetTable(7);
        case 3:
            stage_ = 4;
            untilRebuild_ = 4096;
            if (in_.bit() && !readCodeTable())
                return false;
            return readOffsetTable(8);
        default:
            untilRebuild_ = 4096;
            if (in_.bit())
                return readCodeTable() && readOffsetTable(8);
            return true;
        }
    }

    bool readCodeTable()
    {
        unsigned count = in_.bits(5);
        unsigned minLength = in_.bits(3);
        needOffsets_ = count >= 10 && !(count == 29 && minLength == 0);
        if (minLength == 0) {
            if (count == 0)
                return false;
            codes_.setSingle(count - 1);
            return true;
        }
        unsigned lengthBits = in_.bits(3);
        uint8_t lengths[32] = {};
        for (unsigned i = 0; i < count; ++i) {
            unsigned v = in_.bits(lengthBits);
            lengths[i] = static_cast<uint8_t>(v == 0 ? 0 : minLength + v - 1);
        }
        return codes_.build(lengths, count, 8);
    }

    bool readOffsetTable(unsigned count)
    {
        if (!needOffsets_)
            return true;
        uint8_t lengths[8] = {};
        unsigned used = 0, last = 0;
        for (unsigned i = 0; i < count; ++i) {
            lengths[i] = static_cast<uint8_t>(in_.bits(3));
            if (lengths[i]) {
                ++used;
                last = i;
            }
        }
        if (used == 1) {
            offsets_.setSingle(last);
            return true;
        }
        return offsets_.build(lengths, count, 8);
    }

    BitReader in_;
    OutputWindow out_;
    ByteList list_;
    HuffmanTable codes_;
    HuffmanTable offsets_;
    bool needOffsets_ = false;
    unsigned stage_ = 0;
    uint32_t untilRebuild_ = 0;
};

// -pm1- literal positions and copy distances.
constexpr Range kPm1Literal[6] = {{0, 4}, {16, 4}, {32, 5}, {64, 6}, {128, 6}, {192, 6}};
// Distances 0 to 5; while the output is short, the wider ones use fewer bits (rows 6 on).
constexpr Range kPm1Distance[15] = {{0, 6},    {64, 8},    {0, 6},     {64, 9},    {576, 11},
                                    {2624, 13}, {64, 8},    {576, 8},   {576, 9},   {576, 10},
                                    {2624, 8},  {2624, 9},  {2624, 10}, {2624, 11}, {2624, 12}};

// The stream's first five bits choose one of these small trees that code the index into
// kPm1Literal. Each byte is a node: its high nibble is the 0 branch, its low nibble the 1
// branch; a nibble of 10 to 15 is the leaf 0 to 5, a smaller one the step to the child node.
constexpr uint8_t kPm1LiteralTrees[32][5] = {
    {0x12, 0x2d, 0xef, 0x1c, 0xab}, {0x12, 0x23, 0xde, 0xab, 0xcf}, {0x12, 0x2c, 0xd2, 0xab, 0xef},
    {0x12, 0xa2, 0xd2, 0xbc, 0xef}, {0x12, 0xa2, 0xc2, 0xbd, 0xef}, {0x12, 0xa2, 0xcd, 0xb1, 0xef},
    {0x12, 0xab, 0x12, 0xcd, 0xef}, {0x12, 0xab, 0x1d, 0xc1, 0xef}, {0x12, 0xab, 0xc1, 0xd1, 0xef},
    {0xa1, 0x12, 0x2c, 0xde, 0xbf}, {0xa1, 0x1d, 0x1c, 0xb1, 0xef}, {0xa1, 0x12, 0x2d, 0xef, 0xbc},
    {0xa1, 0x12, 0xb2, 0xde, 0xcf}, {0xa1, 0x12, 0xbc, 0xd1, 0xef}, {0xa1, 0x1c, 0xb1, 0xd1, 0xef},
    {0xa1, 0xb1, 0x12, 0xcd, 0xef}, {0xa1, 0xb1, 0xc1, 0xd1, 0xef}, {0x12, 0x1c, 0xde, 0xab},
    {0x12, 0xa2, 0xcd, 0xbe},       {0x12, 0xab, 0xc1, 0xde},       {0xa1, 0x1d, 0x1c, 0xbe},
    {0xa1, 0x12, 0xbc, 0xde},       {0xa1, 0x1c, 0xb1, 0xde},       {0xa1, 0xb1, 0xc1, 0xde},
    {0x1d, 0x1c, 0xab},             {0x1c, 0xa1, 0xbd},             {0x12, 0xab, 0xcd},
    {0xa1, 0x1c, 0xbd},             {0xa1, 0xb1, 0xcd},             {0xa1, 0xbc},
    {0xab},                         {0x00}, // the last: index 0 always, no bits
};

class Pm1 {
public:
    Pm1(InputStream &input, uint64_t originalSize, const archivers::DataSink &sink)
        : in_(input), out_(14, originalSize, sink)
    {
    }

    ReadError run()
    {
        tree_ = kPm1LiteralTrees[in_.bits(5)];
        while (!out_.done()) {
            bool ok;
            if (in_.bit() == 0) {
                ok = copy();
            } else {
                // A run of literals; unless it has the longest length it is followed by a copy.
                uint32_t n = literalRunLength();
                ok = true;
                for (uint32_t i = 0; i < n && ok && !out_.done(); ++i)
                    ok = literal();
                if (ok && n != 216 && !out_.done())
                    ok = copy();
            }
            if (!ok)
                return ReadError::Corrupt;
            // Zero bits past the end are part of the format; a stream that keeps going on
            // them far past its end is not.
            if (in_.overrun() && ++idleSteps_ > 65536)
                return ReadError::Corrupt;
        }
        out_.finish();
        return ReadError::None;
    }

private:
    uint32_t literalRunLength()
    {
        uint32_t x = in_.bits(2);
        if (x < 3)
            return x + 1;
        x = in_.bits(3);
        if (x < 7)
            return x + 4;
        x = in_.bits(4);
        if (x < 14)
            return x + 11;
        if (x == 14)
            return in_.bits(6) + 25;
        return in_.bits(7) + 89;
    }

    uint32_t copyLength()
    {
        uint32_t x = in_.bits(2);
        if (x < 3)
            return x + 3;
        x = in_.bits(3);
        if (x < 5)
            return x + 6;
        if (x == 5)
            return in_.bits(2) + 11;
        if (x == 6)
            return in_.bits(3) + 15;
        x = in_.bits(6);
        if (x < 62)
            return x + 23;
        if (x == 62)
            return in_.bits(5) + 85;
        return in_.bits(7) + 117;
    }

    // A bit that exists only once the output has reached threshold; before, it reads as def.
    unsigned bitAfter(uint64_t threshold, unsigned def) { return out_.total() >= threshold ? in_.bit() : def; }

    unsigned distanceKind()
    {
        if (in_.bit() == 0) {
            if (bitAfter(576, 0))
                return 4;
            return bitAfter(64, 0);
        }
        if (bitAfter(64, 1) == 0)
            return 3;
        return bitAfter(2624, 1) ? 2 : 5;
    }

    bool copy()
    {
        unsigned kind = distanceKind();
        uint32_t length = kind < 2 ? 2 : copyLength();
        const uint64_t t = out_.total();
        if (kind == 3 && t < 320)
            kind = 6;
        else if (kind == 4)
            kind = t < 832 ? 7 : t < 1088 ? 8 : t < 1600 ? 9 : 4;
        else if (kind == 5)
            kind = t < 2880 ? 10 : t < 3136 ? 11 : t < 3648 ? 12 : t < 4672 ? 13 : t < 6720 ? 14 : 5;
        uint32_t distance = kPm1Distance[kind].base + in_.bits(kPm1Distance[kind].bits);
        if (distance >= t)
            return false;
        uint64_t before = out_.total();
        if (!out_.copy(distance + 1, length))
            return false;
        uint32_t made = static_cast<uint32_t>(out_.total() - before);
        for (uint32_t i = 0; i < made; ++i)
            list_.use(out_.recent(made - i));
        return true;
    }

    bool literal()
    {
        unsigned index = 0;
        if (tree_[0] != 0) {
            unsigned node = 0;
            for (unsigned depth = 0;; ++depth) {
                unsigned child = in_.bit() ? tree_[node] & 0x0F : tree_[node] >> 4;
                if (child >= 10) {
                    index = child - 10;
                    break;
                }
                node += child;
                if (child == 0 || node >= 5 || depth > 5)
                    return false;
            }
        }
        if (index > 5)
            return false;
        uint8_t b = list_.at(kPm1Literal[index].base + in_.bits(kPm1Literal[index].bits));
        out_.put(b);
        list_.use(b);
        return true;
    }

    BitReader in_;
    OutputWindow out_;
    ByteList list_;
    const uint8_t *tree_ = nullptr;
    unsigned idleSteps_ = 0;
};

} // namespace

ReadError DecodePm1(InputStream &in, uint64_t originalSize, const archivers::DataSink &sink)
{
    auto decoder = std::make_unique<Pm1>(in, originalSize, sink);
    return decoder->run();
}

ReadError DecodePm2(InputStream &in, uint64_t originalSize, const archivers::DataSink &sink)
{
    auto decoder = std::make_unique<Pm2>(in, originalSize, sink);
    return decoder->run();
}

} // namespace tovik::codecs
