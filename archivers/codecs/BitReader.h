// Most-significant-bit-first reader over an InputStream, as the LZH and ARJ coders write.
#ifndef TOVIK_CODECS_BITREADER_H
#define TOVIK_CODECS_BITREADER_H

#include "archivers/codecs/ArchiveFile.h"

#include <cstdint>
#include <memory>

namespace tovik::codecs {

// Past the end of the stream the reader supplies zero bits, so decoding never reads out of
// bounds; overrun() tells whether any of those were consumed, which the decoders treat as a
// truncated stream.
class BitReader {
public:
    explicit BitReader(InputStream &in) : in_(in), chunk_(std::make_unique<uint8_t[]>(kChunk)) {}

    // Up to 32 bits as an unsigned number; 0 bits gives 0.
    uint32_t bits(unsigned n)
    {
        if (count_ < n)
            refill();
        uint32_t v = n ? static_cast<uint32_t>(buf_ >> (64 - n)) : 0;
        buf_ <<= n;
        count_ -= n;
        return v;
    }
    uint32_t bit() { return bits(1); }
    // The next n bits (1 to 32) without consuming them.
    uint32_t peek(unsigned n)
    {
        if (count_ < n)
            refill();
        return static_cast<uint32_t>(buf_ >> (64 - n));
    }
    // Consumes n bits already seen through peek.
    void skip(unsigned n)
    {
        buf_ <<= n;
        count_ -= n;
    }
    // A whole byte, for the byte-oriented coders; only valid while nothing is left over
    // from bit reads that did not end on a byte boundary.
    uint8_t byte() { return static_cast<uint8_t>(bits(8)); }

    bool overrun() const { return padBits_ > count_; }

private:
    static constexpr std::size_t kChunk = 32 * 1024;

    void refill()
    {
        while (count_ <= 56) {
            if (pos_ == end_) {
                end_ = ended_ ? 0 : in_.read(chunk_.get(), kChunk);
                pos_ = 0;
                if (end_ == 0) {
                    ended_ = true;
                    // Zero padding: counted so that overrun() can tell it was used.
                    padBits_ += 64 - count_;
                    count_ = 64;
                    return;
                }
            }
            buf_ |= static_cast<uint64_t>(chunk_[pos_++]) << (56 - count_);
            count_ += 8;
        }
    }

    InputStream &in_;
    std::unique_ptr<uint8_t[]> chunk_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    uint64_t buf_ = 0;
    unsigned count_ = 0;
    uint64_t padBits_ = 0;
    bool ended_ = false;
};

} // namespace tovik::codecs

#endif
