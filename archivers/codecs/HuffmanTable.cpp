#include "archivers/codecs/HuffmanTable.h"

#include <cstring>

namespace tovik::codecs {

void HuffmanTable::setSingle(unsigned symbol)
{
    single_ = true;
    singleSymbol_ = symbol;
}

bool HuffmanTable::build(const uint8_t *lengths, unsigned count, unsigned tableBits)
{
    if (count > kMaxSymbols || tableBits > 12 || tableBits == 0)
        return false;
    std::memset(count_, 0, sizeof count_);
    for (unsigned i = 0; i < count; ++i) {
        if (lengths[i] > kMaxLength)
            return false;
        ++count_[lengths[i]];
    }
    count_[0] = 0;
    int32_t left = 1;
    for (unsigned len = 1; len <= kMaxLength; ++len) {
        left = (left << 1) - count_[len];
        if (left < 0)
            return false; // oversubscribed
    }
    uint32_t code = 0;
    uint16_t index = 0;
    for (unsigned len = 1; len <= kMaxLength; ++len) {
        code = (code + (len > 1 ? count_[len - 1] : 0)) << (len > 1 ? 1 : 0);
        first_[len] = code;
        offset_[len] = index;
        index = static_cast<uint16_t>(index + count_[len]);
    }
    // first_[1] must start at 0 and each next length doubles the previous end.
    uint16_t next[kMaxLength + 1];
    std::memcpy(next, offset_, sizeof next);
    for (unsigned i = 0; i < count; ++i)
        if (lengths[i])
            sorted_[next[lengths[i]]++] = static_cast<uint16_t>(i);

    tableBits_ = tableBits;
    std::memset(table_, 0, sizeof(uint16_t) << tableBits);
    for (unsigned len = 1; len <= tableBits; ++len) {
        for (unsigned k = 0; k < count_[len]; ++k) {
            uint32_t c = first_[len] + k;
            uint16_t entry = static_cast<uint16_t>((sorted_[offset_[len] + k] << 5) | len);
            uint32_t start = c << (tableBits - len);
            uint32_t end = (c + 1) << (tableBits - len);
            for (uint32_t j = start; j < end; ++j)
                table_[j] = entry;
        }
    }
    single_ = false;
    return true;
}

int HuffmanTable::decodeLong(BitReader &in, uint32_t bits) const
{
    for (unsigned len = tableBits_ + 1; len <= kMaxLength; ++len) {
        uint32_t code = bits >> (16 - len);
        uint32_t k = code - first_[len];
        if (code >= first_[len] && k < count_[len]) {
            in.skip(len);
            return sorted_[offset_[len] + k];
        }
    }
    return -1;
}

} // namespace tovik::codecs
