#include "archivers/codecs/StoredDecoder.h"

#include <algorithm>
#include <memory>

namespace tovik::codecs {

using archivers::ReadError;

ReadError CopyStored(InputStream &in, uint64_t originalSize, const archivers::DataSink &sink)
{
    constexpr std::size_t kChunk = 256 * 1024;
    auto buf = std::make_unique<uint8_t[]>(kChunk);
    uint64_t left = originalSize;
    while (left > 0) {
        std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(left, kChunk));
        std::size_t got = in.read(buf.get(), want);
        if (got == 0)
            return ReadError::Corrupt;
        if (!sink(buf.get(), got))
            return ReadError::None;
        left -= got;
    }
    return ReadError::None;
}

} // namespace tovik::codecs
