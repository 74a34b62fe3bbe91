// The checks every decoded entry passes before it counts as extracted: its length and its
// checksum (CRC-16 for LZH, CRC-32 for ARJ).
#ifndef TOVIK_CODECS_CHECKEDSINK_H
#define TOVIK_CODECS_CHECKEDSINK_H

#include "archivers/common/ArchiveReader.h"

#include <cstdint>

namespace tovik::codecs {

class CheckedSink {
public:
    // Continues a running checksum over size more bytes.
    using Checksum = uint32_t (*)(uint32_t crc, const uint8_t *data, std::size_t size);

    // target must outlive this object; the sink refers to both.
    CheckedSink(const archivers::DataSink &target, uint64_t originalSize, Checksum checksum);
    CheckedSink(const CheckedSink &) = delete;
    CheckedSink &operator=(const CheckedSink &) = delete;

    // What the decoder writes to. A target that is full exactly at the entry's end does not
    // count as stopping early, so the entry still gets its checksum verdict.
    const archivers::DataSink &sink() const { return sink_; }

    // The entry's result once the decoder answered decoded: the decoder's own failure, None
    // when the target stopped early, Corrupt when the length or the checksum disagrees. A
    // decoder that goes on past the declared size is stopped there (a bomb behind a small
    // header never reaches the target whole) and the entry is Corrupt.
    archivers::ReadError Verdict(archivers::ReadError decoded, uint32_t expectedCrc) const;

private:
    archivers::DataSink sink_;
    uint64_t originalSize_;
    uint64_t produced_ = 0;
    uint32_t crc_ = 0;
    bool stopped_ = false;
    bool overrun_ = false;
};

// CRC-16 and CRC-32 in the form CheckedSink takes.
uint32_t Crc16Checksum(uint32_t crc, const uint8_t *data, std::size_t size);
uint32_t Crc32Checksum(uint32_t crc, const uint8_t *data, std::size_t size);

} // namespace tovik::codecs

#endif
