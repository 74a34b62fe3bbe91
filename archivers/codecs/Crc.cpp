#include "archivers/codecs/Crc.h"

#include <array>

namespace tovik::codecs {

namespace {

// Slicing-by-8 tables: both checksums run over every decoded byte, so they must keep up with
// the decoders.
template <typename T, T Poly>
struct Tables {
    std::array<std::array<T, 256>, 8> t{};
    Tables()
    {
        for (unsigned i = 0; i < 256; ++i) {
            T c = static_cast<T>(i);
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? static_cast<T>((c >> 1) ^ Poly) : static_cast<T>(c >> 1);
            t[0][i] = c;
        }
        for (unsigned i = 0; i < 256; ++i)
            for (int s = 1; s < 8; ++s)
                t[s][i] = static_cast<T>((t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF]);
    }
};

const Tables<uint16_t, 0xA001> &crc16Tables()
{
    static const Tables<uint16_t, 0xA001> tables;
    return tables;
}

const Tables<uint32_t, 0xEDB88320u> &crc32Tables()
{
    static const Tables<uint32_t, 0xEDB88320u> tables;
    return tables;
}

} // namespace

uint16_t Crc16(uint16_t crc, const uint8_t *data, std::size_t size)
{
    const auto &t = crc16Tables().t;
    uint32_t c = crc;
    while (size >= 8) {
        c ^= static_cast<uint32_t>(data[0]) | (static_cast<uint32_t>(data[1]) << 8);
        c = t[7][c & 0xFF] ^ t[6][(c >> 8) & 0xFF] ^ t[5][data[2]] ^ t[4][data[3]] ^ t[3][data[4]] ^
            t[2][data[5]] ^ t[1][data[6]] ^ t[0][data[7]];
        data += 8;
        size -= 8;
    }
    while (size--)
        c = (c >> 8) ^ t[0][(c ^ *data++) & 0xFF];
    return static_cast<uint16_t>(c);
}

uint32_t Crc32(uint32_t crc, const uint8_t *data, std::size_t size)
{
    const auto &t = crc32Tables().t;
    uint32_t c = ~crc;
    while (size >= 8) {
        c ^= static_cast<uint32_t>(data[0]) | (static_cast<uint32_t>(data[1]) << 8) |
             (static_cast<uint32_t>(data[2]) << 16) | (static_cast<uint32_t>(data[3]) << 24);
        c = t[7][c & 0xFF] ^ t[6][(c >> 8) & 0xFF] ^ t[5][(c >> 16) & 0xFF] ^ t[4][c >> 24] ^ t[3][data[4]] ^
            t[2][data[5]] ^ t[1][data[6]] ^ t[0][data[7]];
        data += 8;
        size -= 8;
    }
    while (size--)
        c = (c >> 8) ^ t[0][(c ^ *data++) & 0xFF];
    return ~c;
}

} // namespace tovik::codecs
