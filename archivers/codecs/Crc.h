// The checksums of the LZH and ARJ families.
#ifndef TOVIK_CODECS_CRC_H
#define TOVIK_CODECS_CRC_H

#include <cstddef>
#include <cstdint>

namespace tovik::codecs {

// CRC-16 of LZH entries and headers (polynomial 0xA001 reflected, initial value 0, no final
// XOR). Feed consecutive pieces by passing the previous result back in.
uint16_t Crc16(uint16_t crc, const uint8_t *data, std::size_t size);

// CRC-32 of ZIP and ARJ (polynomial 0xEDB88320, initial value and final XOR 0xFFFFFFFF). The
// value passed in and returned is the finished CRC, so pieces chain the same way.
uint32_t Crc32(uint32_t crc, const uint8_t *data, std::size_t size);

} // namespace tovik::codecs

#endif
