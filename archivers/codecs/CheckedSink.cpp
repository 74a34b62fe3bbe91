#include "archivers/codecs/CheckedSink.h"

#include "archivers/codecs/Crc.h"

namespace tovik::codecs {

using archivers::ReadError;

CheckedSink::CheckedSink(const archivers::DataSink &target, uint64_t originalSize, Checksum checksum)
    : originalSize_(originalSize)
{
    sink_ = [this, &target, checksum](const uint8_t *p, std::size_t n) {
        if (n > originalSize_ - produced_) {
            overrun_ = true;
            return false;
        }
        crc_ = checksum(crc_, p, n);
        produced_ += n;
        if (!target(p, n) && produced_ < originalSize_) {
            stopped_ = true;
            return false;
        }
        return true;
    };
}

ReadError CheckedSink::Verdict(ReadError decoded, uint32_t expectedCrc) const
{
    if (overrun_)
        return ReadError::Corrupt;
    if (decoded != ReadError::None || stopped_)
        return decoded;
    if (produced_ != originalSize_ || crc_ != expectedCrc)
        return ReadError::Corrupt;
    return ReadError::None;
}

uint32_t Crc16Checksum(uint32_t crc, const uint8_t *data, std::size_t size)
{
    return Crc16(static_cast<uint16_t>(crc), data, size);
}

uint32_t Crc32Checksum(uint32_t crc, const uint8_t *data, std::size_t size)
{
    return Crc32(crc, data, size);
}

} // namespace tovik::codecs
