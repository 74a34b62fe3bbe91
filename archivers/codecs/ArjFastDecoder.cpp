#include "archivers/codecs/ArjFastDecoder.h"

#include "archivers/codecs/BitReader.h"
#include "archivers/codecs/OutputWindow.h"

namespace tovik::codecs {

using archivers::ReadError;

namespace {

// Counts one-bits up to the first zero (consumed) or up to limit ones (no zero follows).
unsigned countOnes(BitReader &in, unsigned limit)
{
    unsigned n = 0;
    while (n < limit && in.bit())
        ++n;
    return n;
}

} // namespace

ReadError DecodeArjFast(InputStream &input, uint64_t originalSize, const archivers::DataSink &sink)
{
    BitReader in(input);
    OutputWindow out(14, originalSize, sink);
    unsigned steps = 0;
    while (!out.done()) {
        unsigned n = countOnes(in, 7);
        if (n == 0) {
            out.put(static_cast<uint8_t>(in.bits(8)));
        } else {
            uint32_t length = (1u << n) - 1 + in.bits(n) + 2;
            unsigned k = countOnes(in, 4);
            unsigned w = 9 + k;
            uint32_t distance = (1u << w) - 512 + in.bits(w);
            if (!out.copy(distance + 1, length))
                return ReadError::Corrupt;
        }
        if ((++steps & 0xFFF) == 0 && in.overrun())
            return ReadError::Corrupt;
    }
    return out.finishEntry(in);
}

} // namespace tovik::codecs
