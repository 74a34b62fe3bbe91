#include "archivers/codecs/LarcDecoder.h"

#include "archivers/codecs/BitReader.h"
#include "archivers/codecs/OutputWindow.h"

#include <cstring>

namespace tovik::codecs {

using archivers::ReadError;

namespace {

// Presets the window so that the ring as the coder sees it (ring, writing starts at
// start) lies just before the first output byte.
void presetRing(OutputWindow &out, const uint8_t *ring, unsigned ringSize, unsigned start)
{
    uint8_t history[4096];
    for (unsigned k = 0; k < ringSize; ++k)
        history[k] = ring[(start + k) % ringSize];
    out.presetHistory(history, ringSize);
}

// Distance back from the current ring position to absolute ring position p; a position
// equal to the current one means a whole ring back.
uint32_t ringDistance(uint64_t total, unsigned start, unsigned p, unsigned ringSize)
{
    unsigned current = static_cast<unsigned>((start + total) % ringSize);
    unsigned back = (current - p) & (ringSize - 1);
    return back ? back : ringSize;
}

} // namespace

ReadError DecodeLzs(InputStream &input, uint64_t originalSize, const archivers::DataSink &sink)
{
    constexpr unsigned kRing = 2048, kStart = kRing - 17;
    BitReader in(input);
    OutputWindow out(11, originalSize, sink);
    uint8_t ring[kRing];
    std::memset(ring, ' ', sizeof ring);
    presetRing(out, ring, kRing, kStart);
    unsigned steps = 0;
    while (!out.done()) {
        if (in.bit()) {
            out.put(static_cast<uint8_t>(in.bits(8)));
        } else {
            unsigned p = in.bits(11);
            unsigned len = in.bits(4) + 2;
            out.copy(ringDistance(out.total(), kStart, p, kRing), len);
        }
        if ((++steps & 0xFFF) == 0 && in.overrun())
            return ReadError::Corrupt;
    }
    return out.finishEntry(in);
}

ReadError DecodeLz5(InputStream &input, uint64_t originalSize, const archivers::DataSink &sink)
{
    constexpr unsigned kRing = 4096, kStart = kRing - 18;
    BitReader in(input);
    OutputWindow out(12, originalSize, sink);
    // The preset ring: a run of 13 of every byte value, all values rising then falling,
    // 128 zeros, 110 spaces and 18 zeros.
    uint8_t ring[kRing];
    uint8_t *p = ring;
    for (unsigned i = 0; i < 256; ++i, p += 13)
        std::memset(p, static_cast<int>(i), 13);
    for (unsigned i = 0; i < 256; ++i)
        *p++ = static_cast<uint8_t>(i);
    for (unsigned i = 0; i < 256; ++i)
        *p++ = static_cast<uint8_t>(255 - i);
    std::memset(p, 0, 128);
    p += 128;
    std::memset(p, ' ', 110);
    p += 110;
    std::memset(p, 0, 18);
    presetRing(out, ring, kRing, kStart);
    unsigned steps = 0;
    while (!out.done()) {
        unsigned flags = in.byte();
        for (unsigned bit = 0; bit < 8 && !out.done(); ++bit) {
            if (flags & (1u << bit)) {
                out.put(in.byte());
            } else {
                unsigned lo = in.byte();
                unsigned hi = in.byte();
                unsigned pos = lo | ((hi & 0xF0) << 4);
                out.copy(ringDistance(out.total(), kStart, pos, kRing), (hi & 0x0F) + 3);
            }
        }
        if ((++steps & 0x3FF) == 0 && in.overrun())
            return ReadError::Corrupt;
    }
    return out.finishEntry(in);
}

} // namespace tovik::codecs
