#include "archivers/unrar32/RarFilterCheck.h"

#include "archivers/unrar32/RarPpmd.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace tovik::archivers {

namespace {

// The decoder's virtual machine memory; static data of this size or more cannot fit in it.
constexpr uint32_t kVmMemorySize = 0x40000;

// Symbol counts of the four LZ codes and of the code that sends their lengths.
constexpr int kMainSymbols = 299, kOffsetSymbols = 60, kLowOffsetSymbols = 17, kLengthSymbols = 28;
constexpr int kTableSize = kMainSymbols + kOffsetSymbols + kLowOffsetSymbols + kLengthSymbols;
constexpr int kPrecodeSymbols = 20;

constexpr std::array<uint8_t, kLengthSymbols> kLengthBits = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,
                                                            2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};
constexpr std::array<uint8_t, kOffsetSymbols> kOffsetBits = {
    0,  0,  0,  0,  1,  1,  2,  2,  3,  3,  4,  4,  5,  5,  6,  6,  7,  7,  8,  8,
    9,  9,  10, 10, 11, 11, 12, 12, 13, 13, 14, 14, 15, 15, 16, 16, 16, 16, 16, 16,
    16, 16, 16, 16, 16, 16, 16, 16, 18, 18, 18, 18, 18, 18, 18, 18, 18, 18, 18, 18};
constexpr std::array<uint8_t, 8> kShortBits = {2, 2, 3, 4, 5, 6, 6, 6};

// Reads a stream most significant bit first, from memory or from a file in blocks. Past the
// end it answers false and stays there.
class BitSource {
public:
    BitSource(const uint8_t *data, std::size_t size) : data_(data), end_(size) {}
    BitSource(FILE *file, uint64_t size) : file_(file), left_(size), block_(new uint8_t[kBlock]) { data_ = block_.get(); }

    bool bits(int count, uint32_t &value)
    {
        while (held_ < count) {
            if (pos_ == end_ && !refill())
                return false;
            cache_ = (cache_ << 8) | data_[pos_++];
            held_ += 8;
        }
        held_ -= count;
        value = static_cast<uint32_t>((cache_ >> held_) & ((uint64_t{1} << count) - 1));
        return true;
    }
    bool bit(uint32_t &value) { return bits(1, value); }
    // The next 15 bits without taking them, zeros past the end; false when none is left.
    bool peek15(uint32_t &value)
    {
        while (held_ < 15) {
            if (pos_ == end_ && !refill())
                break;
            cache_ = (cache_ << 8) | data_[pos_++];
            held_ += 8;
        }
        if (held_ == 0)
            return false;
        value = static_cast<uint32_t>(held_ >= 15 ? (cache_ >> (held_ - 15)) & 0x7FFF : (cache_ << (15 - held_)) & 0x7FFF);
        return true;
    }
    // Takes count bits that peek15 showed; false when fewer are left.
    bool skip(int count)
    {
        if (count > held_)
            return false;
        held_ -= count;
        return true;
    }
    void alignToByte() { held_ -= held_ % 8; }

private:
    static constexpr std::size_t kBlock = 64 * 1024;
    bool refill()
    {
        if (file_ == nullptr || left_ == 0)
            return false;
        std::size_t want = left_ < kBlock ? static_cast<std::size_t>(left_) : kBlock;
        std::size_t got = std::fread(block_.get(), 1, want, file_);
        if (got == 0) {
            left_ = 0;
            return false;
        }
        left_ -= got;
        pos_ = 0;
        end_ = got;
        return true;
    }

    const uint8_t *data_ = nullptr;
    std::size_t pos_ = 0, end_ = 0;
    FILE *file_ = nullptr;
    uint64_t left_ = 0;
    std::unique_ptr<uint8_t[]> block_;
    uint64_t cache_ = 0;
    int held_ = 0;
};

// A canonical prefix code from bit lengths (1..15, 0 = unused), decoded one bit at a time.
class PrefixCode {
public:
    // False for an over-subscribed set of lengths, which the decoder refuses too.
    bool build(const uint8_t *lengths, int symbols)
    {
        counts_.fill(0);
        for (int i = 0; i < symbols; ++i)
            ++counts_[lengths[i]];
        counts_[0] = 0;
        int left = 1;
        for (int len = 1; len < 16; ++len) {
            left = left * 2 - counts_[len];
            if (left < 0)
                return false;
        }
        std::array<int, 16> offsets{};
        for (int len = 1; len < 15; ++len)
            offsets[len + 1] = offsets[len] + counts_[len];
        for (int i = 0; i < symbols; ++i)
            if (lengths[i] != 0)
                symbols_[offsets[lengths[i]]++] = static_cast<uint16_t>(i);
        // Codes of up to kFastBits bits are looked up at once: symbol << 4 | length.
        fast_.fill(0);
        int code = 0, index = 0;
        for (int len = 1; len <= kFastBits; ++len) {
            for (int k = 0; k < counts_[len]; ++k, ++code, ++index) {
                auto entry = static_cast<uint16_t>(symbols_[index] << 4 | len);
                for (int e = code << (kFastBits - len); e < (code + 1) << (kFastBits - len); ++e)
                    fast_[e] = entry;
            }
            code <<= 1;
        }
        return true;
    }
    // The next symbol, or -1 at the end of the data or on a code no symbol has.
    int decode(BitSource &in) const
    {
        uint32_t bits = 0;
        if (!in.peek15(bits))
            return -1;
        uint16_t entry = fast_[bits >> (15 - kFastBits)];
        if (entry != 0)
            return in.skip(entry & 15) ? entry >> 4 : -1;
        int first = 0, index = 0;
        for (int len = 1; len < 16; ++len) {
            int code = static_cast<int>(bits >> (15 - len));
            int count = counts_[len];
            if (code - first < count)
                return in.skip(len) ? symbols_[index + code - first] : -1;
            index += count;
            first = (first + count) << 1;
        }
        return -1;
    }

private:
    static constexpr int kFastBits = 10;
    std::array<int, 16> counts_{};
    std::array<uint16_t, kTableSize> symbols_{};
    std::array<uint16_t, 1 << kFastBits> fast_{};
};

// A bit reader over a filter record held in memory: past its end every bit reads as zero, as
// the decoder reads it.
class RecordBits {
public:
    RecordBits(const uint8_t *data, std::size_t size, std::size_t start = 0) : data_(data), size_(size), pos_(start * 8) {}
    uint32_t bits(int count)
    {
        uint32_t value = 0;
        for (int i = 0; i < count; ++i, ++pos_) {
            std::size_t byte = pos_ / 8;
            uint32_t b = byte < size_ ? (data_[byte] >> (7 - pos_ % 8)) & 1u : 0u;
            value = (value << 1) | b;
        }
        return value;
    }
    uint32_t number()
    {
        switch (bits(2)) {
        case 0:
            return bits(4);
        case 1: {
            uint32_t v = bits(8);
            if (v >= 16)
                return v;
            return 0xFFFFFF00u | (v << 4) | bits(4);
        }
        case 2:
            return bits(16);
        default:
            return bits(32);
        }
    }

private:
    const uint8_t *data_;
    std::size_t size_;
    std::size_t pos_;
};

// What carries over from one entry of a solid archive to the next.
struct StreamState {
    std::array<uint8_t, kTableSize> lengths{};
    PrefixCode main, offset, lowOffset, length;
    bool tablesRead = false;
    bool newTable = true;
    int lowOffsetRepeats = 0;
    uint32_t programs = 0;   // filter programs the stream has defined
    uint32_t lastProgram = 0;
    std::unique_ptr<RarPpmd> ppmd;   // made at the first PPMd block; a block may go on with it
    uint32_t escape = 2;             // the PPMd block's escape symbol
    bool sizeReached = false;        // the walk stopped at the entry's size, not at its end mark
};

// Go on; stop the walk (libarchive decides); refuse; a PPMd block begins (its first bit read);
// the entry's data ends.
enum class Step { Go, Stop, Hostile, Ppmd, End };

// The tables at the start of a block, or Ppmd for a PPMd block.
Step ReadTables(BitSource &in, StreamState &s)
{
    in.alignToByte();
    uint32_t ppmd = 0, keep = 0;
    if (!in.bit(ppmd))
        return Step::Stop;
    if (ppmd != 0)
        return Step::Ppmd;
    if (!in.bit(keep))
        return Step::Stop;
    if (keep == 0)
        s.lengths.fill(0);
    std::array<uint8_t, kPrecodeSymbols> pre{};
    for (int i = 0; i < kPrecodeSymbols;) {
        uint32_t len = 0;
        if (!in.bits(4, len))
            return Step::Stop;
        pre[i++] = static_cast<uint8_t>(len);
        if (len == 15) {
            uint32_t zeros = 0;
            if (!in.bits(4, zeros))
                return Step::Stop;
            if (zeros != 0) {
                --i;
                for (uint32_t j = 0; j < zeros + 2 && i < kPrecodeSymbols; ++j)
                    pre[i++] = 0;
            }
        }
    }
    PrefixCode precode;
    if (!precode.build(pre.data(), kPrecodeSymbols))
        return Step::Stop;
    for (int i = 0; i < kTableSize;) {
        int v = precode.decode(in);
        if (v < 0)
            return Step::Stop;
        if (v < 16) {
            s.lengths[i] = static_cast<uint8_t>((s.lengths[i] + v) & 0xF);
            ++i;
            continue;
        }
        if (v < 18 && i == 0)
            return Step::Stop;
        uint32_t n = 0;
        if (!in.bits(v % 2 == 0 ? 3 : 7, n))
            return Step::Stop;
        n += v % 2 == 0 ? 3 : 11;
        for (uint32_t j = 0; j < n && i < kTableSize; ++j, ++i)
            s.lengths[i] = v < 18 ? s.lengths[i - 1] : 0;
    }
    const uint8_t *l = s.lengths.data();
    if (!s.main.build(l, kMainSymbols) || !s.offset.build(l + kMainSymbols, kOffsetSymbols) ||
        !s.lowOffset.build(l + kMainSymbols + kOffsetSymbols, kLowOffsetSymbols) ||
        !s.length.build(l + kMainSymbols + kOffsetSymbols + kLowOffsetSymbols, kLengthSymbols))
        return Step::Stop;
    s.tablesRead = true;
    s.newTable = false;
    return Step::Go;
}

// One filter record: its flags, its length and its bytes, each byte from next (raw bits in an LZ
// block, decoded symbols in a PPMd block).
template <class NextByte>
Step ReadFilter(NextByte next, StreamState &s)
{
    uint32_t flags = 0, length = 0, v = 0, low = 0;
    if (!next(flags))
        return Step::Stop;
    length = (flags & 7) + 1;
    if (length == 7) {
        if (!next(v))
            return Step::Stop;
        length = v + 7;
    } else if (length == 8) {
        if (!next(v) || !next(low))
            return Step::Stop;
        length = v << 8 | low;
    }
    std::unique_ptr<uint8_t[]> record(new uint8_t[length == 0 ? 1 : length]);   // at most 64 KiB
    for (uint32_t i = 0; i < length; ++i) {
        if (!next(v))
            return Step::Stop;
        record[i] = static_cast<uint8_t>(v);
    }
    RecordBits r(record.get(), length);
    uint32_t program = s.lastProgram;
    if (flags & 0x80) {
        program = r.number();
        if (program == 0) {
            s.programs = 0;
        } else {
            --program;
        }
        if (program > s.programs)
            return Step::Stop;
        s.lastProgram = program;
    }
    bool known = program < s.programs;
    r.number();   // where the filtered block starts
    if (flags & 0x20)
        r.number();   // its length
    if (flags & 0x10) {
        uint32_t mask = r.bits(7);
        for (int i = 0; i < 7; ++i)
            if (mask & (1u << i))
                r.number();
    }
    if (known)
        return Step::Go;
    uint32_t codeLength = r.number();
    if (codeLength == 0 || codeLength > 0x10000)
        return Step::Stop;
    std::unique_ptr<uint8_t[]> code(new uint8_t[codeLength]);
    for (uint32_t i = 0; i < codeLength; ++i)
        code[i] = static_cast<uint8_t>(r.bits(8));
    uint8_t check = 0;
    for (uint32_t i = 1; i < codeLength; ++i)
        check ^= code[i];
    if (check != code[0])
        return Step::Stop;   // the decoder rejects the program itself
    RecordBits c(code.get(), codeLength, 1);
    if (c.bits(1) != 0) {
        uint32_t staticLength = c.number() + 1;   // wraps to 0 as in the decoder: harmless
        if (staticLength >= kVmMemorySize)
            return Step::Hostile;
    }
    ++s.programs;
    return Step::Go;
}

// The bytes of a PPMd block as its range decoder reads them: whole bytes from the stream
// (the block's header leaves it at a byte boundary), zeros past its end.
class PpmdBytes final : public RarPpmdInput {
public:
    explicit PpmdBytes(BitSource &in) : in_(in) {}
    uint8_t next() override
    {
        uint32_t v = 0;
        if (!in_.bits(8, v))
            ended_ = true;
        return static_cast<uint8_t>(v);
    }
    bool ended() const { return ended_; }

private:
    BitSource &in_;
    bool ended_ = false;
};

// libarchive hands out a PPMd block's bytes in 128 KiB buffers and may hold back what one
// symbol made (at most 287 bytes) past a full buffer; it stops decoding once the bytes it
// handed out reach the entry's size. Past that size and this slack it has surely stopped.
constexpr uint64_t kOutputSlack = 1024;

// The rest of a PPMd block after its first bit: the header (flags; with a fresh model its
// memory in MiB less one; the escape symbol when given), then its symbols up to the escape
// sequence that ends the block. Go: tables follow (escape, 0), as libarchive reads them: at
// the byte after the last one the range decoder took. End: the entry's data ends (escape, 2;
// or the entry's size reached). A filter (escape, 3) is refused by libarchive inside a PPMd
// block, so the walk stops there, after the same bound on its static data as in an LZ block.
// Escape, 4 and escape, 5 are matches; an escape and anything else a literal. The walk stops
// wherever libarchive's decoder fails: the model is what libarchive's is, symbol for symbol.
Step WalkPpmd(BitSource &in, StreamState &s, uint64_t &output, uint64_t size)
{
    uint32_t flags = 0, memory = 0;
    if (!in.bits(7, flags) || ((flags & 0x20) && !in.bits(8, memory)))
        return Step::Stop;
    if (s.ppmd == nullptr)
        s.ppmd = std::make_unique<RarPpmd>();
    RarPpmd &ppmd = *s.ppmd;
    s.escape = 2;
    if (flags & 0x40) {
        if (!in.bits(8, s.escape))
            return Step::Stop;
        ppmd.setInitialEscape(static_cast<uint8_t>(s.escape));
    }
    if (flags & 0x20) {
        unsigned order = (flags & 0x1F) + 1;
        if (order > 16)
            order = 16 + (order - 16) * 3;
        if (order == 1 || !ppmd.start((memory + 1) << 20, order))   // at most 256 MiB
            return Step::Stop;
    } else if (!ppmd.ready()) {
        return Step::Stop;
    }
    PpmdBytes bytes(in);
    if (!ppmd.startDecoder(bytes) || bytes.ended())
        return Step::Stop;
    auto next = [&](uint32_t &v) {
        int symbol = ppmd.decode(bytes);
        v = static_cast<uint32_t>(symbol);
        return symbol >= 0 && !bytes.ended();
    };
    for (uint32_t symbol = 0;;) {
        if (output >= size && output - size >= kOutputSlack) {
            s.sizeReached = true;
            return Step::End;
        }
        if (!next(symbol))
            return Step::Stop;
        if (symbol != s.escape) {
            ++output;
            continue;
        }
        uint32_t code = 0, length = 0;
        if (!next(code))
            return Step::Stop;
        switch (code) {
        case 0:
            return Step::Go;
        case 2:
            return Step::End;
        case 3:
            return ReadFilter(next, s) == Step::Hostile ? Step::Hostile : Step::Stop;
        case 4:   // three bytes of distance, then the length
            for (int i = 0; i < 4; ++i)
                if (!next(length))
                    return Step::Stop;
            output += length + 32;
            break;
        case 5:
            if (!next(length))
                return Step::Stop;
            output += length + 4;
            break;
        default:
            ++output;
            break;
        }
    }
}

// Walks the symbols of one entry's stream; Sound when the entry's end mark is reached, or
// when its PPMd symbols make more than size bytes (libarchive stops there).
RarStreamVerdict Walk(BitSource &in, StreamState &s, uint64_t size)
{
    uint64_t output = 0;   // what the PPMd blocks made; the LZ blocks' share is not counted
    s.sizeReached = false;
    for (;;) {
        if (s.newTable || !s.tablesRead) {
            Step step = ReadTables(in, s);
            if (step == Step::Ppmd) {
                step = WalkPpmd(in, s, output, size);
                s.newTable = true;   // whatever follows starts with a block header
                if (step == Step::Go)
                    continue;
                if (step == Step::End)
                    return RarStreamVerdict::Sound;
            }
            if (step == Step::Hostile)
                return RarStreamVerdict::Hostile;
            if (step != Step::Go)
                return RarStreamVerdict::Unknown;
        }
        int symbol = s.main.decode(in);
        if (symbol < 0)
            return RarStreamVerdict::Unknown;
        uint32_t v = 0;
        if (symbol < 256 || symbol == 258)
            continue;
        if (symbol == 256) {
            uint32_t more = 0;
            if (!in.bit(more))
                return RarStreamVerdict::Unknown;
            if (more == 0) {   // the end of this entry; the next may start with new tables
                uint32_t fresh = 0;
                if (!in.bit(fresh))
                    return RarStreamVerdict::Unknown;
                s.newTable = fresh != 0;
                return RarStreamVerdict::Sound;
            }
            s.newTable = true;
            continue;
        }
        if (symbol == 257) {
            Step step = ReadFilter([&](uint32_t &v) { return in.bits(8, v); }, s);
            if (step == Step::Hostile)
                return RarStreamVerdict::Hostile;
            if (step == Step::Stop)
                return RarStreamVerdict::Unknown;
            continue;
        }
        if (symbol < 263) {
            int len = s.length.decode(in);
            if (len < 0 || len >= kLengthSymbols || (kLengthBits[len] && !in.bits(kLengthBits[len], v)))
                return RarStreamVerdict::Unknown;
            continue;
        }
        if (symbol < 271) {
            if (!in.bits(kShortBits[symbol - 263], v))
                return RarStreamVerdict::Unknown;
            continue;
        }
        int len = symbol - 271;
        if (len >= kLengthSymbols || (kLengthBits[len] && !in.bits(kLengthBits[len], v)))
            return RarStreamVerdict::Unknown;
        int off = s.offset.decode(in);
        if (off < 0 || off >= kOffsetSymbols)
            return RarStreamVerdict::Unknown;
        int bits = kOffsetBits[off];
        if (bits == 0)
            continue;
        if (off <= 9) {
            if (!in.bits(bits, v))
                return RarStreamVerdict::Unknown;
            continue;
        }
        if (bits > 4 && !in.bits(bits - 4, v))
            return RarStreamVerdict::Unknown;
        if (s.lowOffsetRepeats > 0) {
            --s.lowOffsetRepeats;
            continue;
        }
        int low = s.lowOffset.decode(in);
        if (low < 0)
            return RarStreamVerdict::Unknown;
        if (low == 16)
            s.lowOffsetRepeats = 15;
    }
}

uint16_t Le16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t *p) { return static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | uint32_t{p[3]} << 24; }

constexpr uint8_t kSignature[7] = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x00};

// Where the RAR 4 archive starts: at 0, or behind a program stub within the first MiB.
bool FindStart(FILE *file, uint64_t &start)
{
    constexpr std::size_t kLook = 1024 * 1024;
    std::unique_ptr<uint8_t[]> head(new uint8_t[kLook]);
    std::size_t got = std::fread(head.get(), 1, kLook, file);
    for (std::size_t i = 0; i + sizeof kSignature <= got; ++i) {
        if (std::memcmp(head.get() + i, kSignature, sizeof kSignature) == 0) {
            start = i;
            return true;
        }
    }
    return false;
}

} // namespace

RarStreamVerdict CheckRarStream(const uint8_t *data, std::size_t size, uint64_t unpacked)
{
    BitSource in(data, size);
    auto state = std::make_unique<StreamState>();
    return Walk(in, *state, unpacked);
}

// Of an entry read only in part, libarchive decodes at most one 128 KiB buffer of PPMd symbols,
// or one dictionary (4 MiB at most) of LZ data, past the bytes it has handed out: its PPMd
// symbols are walked this far past the bytes wanted.
constexpr uint64_t kReadAhead = uint64_t{8} << 20;

RarStreamVerdict CheckRarEntry(const char *path, int64_t position, bool earlierToo, uint64_t wanted)
{
    std::unique_ptr<FILE, int (*)(FILE *)> file(std::fopen(path, "rb"), &std::fclose);
    if (file == nullptr)
        return RarStreamVerdict::Unknown;
    uint64_t pos = 0;
    if (!FindStart(file.get(), pos))
        return RarStreamVerdict::Unknown;
    pos += sizeof kSignature;
    // The file headers, up to the entry's own: 24 bytes each, at most one per 7 bytes of file.
    struct FileBlock {
        uint64_t data, packed, size;
        uint16_t flags;
        uint8_t method;
    };
    std::vector<FileBlock> blocks;
    bool found = false;
    for (int count = 0; count < 1000000 && !found; ++count) {
        uint8_t h[32];
        if (fseeko(file.get(), static_cast<off_t>(pos), SEEK_SET) != 0 || std::fread(h, 1, 7, file.get()) != 7)
            break;
        uint8_t type = h[2];
        uint16_t flags = Le16(h + 3), headSize = Le16(h + 5);
        if (headSize < 7 || type == 0x7B)
            break;
        if (type == 0x73 && (flags & 0x80))
            return RarStreamVerdict::Unknown;   // encrypted headers: nothing to walk
        uint64_t add = 0;
        // A file header has its packed size whether or not it sets the flag that announces one.
        if ((flags & 0x8000) || type == 0x74) {
            if (std::fread(h + 7, 1, 4, file.get()) != 4)
                break;
            add = Le32(h + 7);
        }
        if (type == 0x74 && headSize >= 32) {
            if (std::fread(h + 11, 1, 21, file.get()) != 21)
                break;
            uint64_t size = Le32(h + 11);
            if (flags & 0x100) {
                uint8_t high[8];
                if (std::fread(high, 1, 8, file.get()) != 8)
                    break;
                add |= uint64_t{Le32(high)} << 32;
                size |= uint64_t{Le32(high + 4)} << 32;
            }
            blocks.push_back({pos + headSize, add, size, flags, h[25]});
            found = static_cast<int64_t>(pos) >= position;
        }
        pos += headSize + add;
    }
    if (!found)
        return RarStreamVerdict::Unknown;   // libarchive will not reach it either
    // Decoded along with the entry: the entries before it, or those of its solid run.
    std::size_t first = blocks.size() - 1;
    if (earlierToo)
        first = 0;
    while (first > 0 && (blocks[first].flags & 0x10))
        --first;
    auto state = std::make_unique<StreamState>();
    bool chainKnown = false;   // the walk of the solid run so far reached each entry's end
    RarStreamVerdict verdict = RarStreamVerdict::Unknown;   // of the last entry looked at
    for (std::size_t i = first; i < blocks.size(); ++i) {
        const FileBlock &b = blocks[i];
        if (!(b.flags & 0x10)) {
            state = std::make_unique<StreamState>();
            chainKnown = true;
        }
        if (b.flags & 0x01)
            chainKnown = false;   // continues a stream begun in the previous volume
        bool encrypted = (b.flags & 0x04) != 0, directory = (b.flags & 0xE0) == 0xE0;
        if (encrypted || !chainKnown) {
            verdict = RarStreamVerdict::Unknown;
            continue;
        }
        if (directory || b.method == 0x30 || b.packed == 0) {
            verdict = RarStreamVerdict::Sound;   // nothing to decode
            continue;
        }
        if (fseeko(file.get(), static_cast<off_t>(b.data), SEEK_SET) != 0)
            return RarStreamVerdict::Unknown;
        BitSource in(file.get(), b.packed);
        uint64_t size = b.size;
        if (i + 1 == blocks.size() && wanted < size - std::min(size, kReadAhead))
            size = wanted + kReadAhead;
        verdict = Walk(in, *state, size);
        if (verdict == RarStreamVerdict::Hostile)
            return verdict;
        chainKnown = verdict == RarStreamVerdict::Sound && !state->sizeReached;
    }
    return verdict;
}

bool RarEntrySound(const char *path, int64_t position, bool earlierToo, uint64_t wanted)
{
    return CheckRarEntry(path, position, earlierToo, wanted) != RarStreamVerdict::Hostile;
}

} // namespace tovik::archivers
