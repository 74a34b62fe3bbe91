#include "archivers/codecs/DynamicHuffmanDecoder.h"

#include "archivers/codecs/BitReader.h"
#include "archivers/codecs/OutputWindow.h"

#include <cstring>
#include <memory>

namespace tovik::codecs {

using archivers::ReadError;

namespace {

constexpr unsigned kSymbols = 314;              // 256 literals + lengths 3 to 60
constexpr unsigned kNodes = 2 * kSymbols - 1;   // leaves and inner nodes
constexpr unsigned kRoot = kNodes - 1;
constexpr unsigned kMaxFreq = 0x8000;           // rebuild the tree when the root reaches this

// The frequency-ordered tree: nodes sorted by falling frequency from the root (index
// kRoot) down. son[n] >= kNodes marks a leaf for symbol son[n] - kNodes; otherwise the
// children are son[n] and son[n] + 1.
class AdaptiveTree {
public:
    AdaptiveTree()
    {
        for (unsigned i = 0; i < kSymbols; ++i) {
            freq_[i] = 1;
            son_[i] = i + kNodes;
            parent_[i + kNodes] = i;
        }
        unsigned i = 0;
        for (unsigned j = kSymbols; j <= kRoot; ++j, i += 2) {
            freq_[j] = freq_[i] + freq_[i + 1];
            son_[j] = i;
            parent_[i] = parent_[i + 1] = j;
        }
        freq_[kNodes] = 0xFFFF; // sentinel above every real frequency
        parent_[kRoot] = 0;
    }

    int decode(BitReader &in)
    {
        unsigned c = son_[kRoot];
        while (c < kNodes)
            c = son_[c + in.bit()];
        c -= kNodes;
        update(c);
        return static_cast<int>(c);
    }

private:
    void rebuild()
    {
        // Gather the leaves with halved frequencies, then rebuild the inner nodes in order.
        unsigned j = 0;
        for (unsigned i = 0; i < kNodes; ++i) {
            if (son_[i] >= kNodes) {
                freq_[j] = (freq_[i] + 1) / 2;
                son_[j] = son_[i];
                ++j;
            }
        }
        for (unsigned i = 0, n = kSymbols; n < kNodes; i += 2, ++n) {
            unsigned f = freq_[i] + freq_[i + 1];
            unsigned k = n;
            while (k > 0 && f < freq_[k - 1])
                --k;
            std::memmove(&freq_[k + 1], &freq_[k], (n - k) * sizeof freq_[0]);
            std::memmove(&son_[k + 1], &son_[k], (n - k) * sizeof son_[0]);
            freq_[k] = f;
            son_[k] = i;
        }
        for (unsigned i = 0; i < kNodes; ++i) {
            unsigned k = son_[i];
            if (k >= kNodes)
                parent_[k] = i;
            else
                parent_[k] = parent_[k + 1] = i;
        }
    }

    void update(unsigned symbol)
    {
        if (freq_[kRoot] == kMaxFreq)
            rebuild();
        unsigned c = parent_[symbol + kNodes];
        do {
            unsigned k = ++freq_[c];
            unsigned l = c + 1;
            if (k > freq_[l]) {
                while (k > freq_[++l]) {
                }
                --l;
                freq_[c] = freq_[l];
                freq_[l] = k;
                unsigned i = son_[c];
                parent_[i] = l;
                if (i < kNodes)
                    parent_[i + 1] = l;
                unsigned j = son_[l];
                son_[l] = i;
                parent_[j] = c;
                if (j < kNodes)
                    parent_[j + 1] = c;
                son_[c] = j;
                c = l;
            }
            c = parent_[c];
        } while (c != 0);
    }

    unsigned freq_[kNodes + 1];
    unsigned parent_[kNodes + kSymbols];
    unsigned son_[kNodes];
};

// The upper six bits of a position have a fixed prefix code of 3 to 8 bits (1, 3, 8, 12,
// 24 and 16 codes of each length); the lower six bits follow as they are.
struct PositionCode {
    uint8_t upper[256];
    uint8_t length[256];
    PositionCode()
    {
        static const unsigned counts[] = {1, 3, 8, 12, 24, 16};
        unsigned code = 0, value = 0;
        for (unsigned i = 0; i < 6; ++i) {
            unsigned len = i + 3;
            unsigned step = 1u << (8 - len);
            for (unsigned k = 0; k < counts[i]; ++k, ++value, code += step) {
                for (unsigned j = 0; j < step; ++j) {
                    upper[code + j] = static_cast<uint8_t>(value);
                    length[code + j] = static_cast<uint8_t>(len);
                }
            }
        }
    }
};

const PositionCode &positionCode()
{
    static const PositionCode table;
    return table;
}

} // namespace

ReadError DecodeDynamicHuffman(InputStream &input, uint64_t originalSize, const archivers::DataSink &sink)
{
    constexpr unsigned kDictionaryBits = 12;
    BitReader in(input);
    auto tree = std::make_unique<AdaptiveTree>();
    const PositionCode &pos = positionCode();
    OutputWindow out(kDictionaryBits, originalSize, sink);
    uint8_t spaces[1u << kDictionaryBits];
    std::memset(spaces, ' ', sizeof spaces);
    out.presetHistory(spaces, sizeof spaces);
    unsigned steps = 0;
    while (!out.done()) {
        int c = tree->decode(in);
        if (c < 256) {
            out.put(static_cast<uint8_t>(c));
        } else {
            unsigned top = in.peek(8);
            in.skip(pos.length[top]);
            uint32_t distance = (static_cast<uint32_t>(pos.upper[top]) << 6) | in.bits(6);
            out.copy(distance + 1, static_cast<uint32_t>(c) - 253);
        }
        if ((++steps & 0xFFF) == 0 && in.overrun())
            return ReadError::Corrupt;
    }
    out.finish();
    if (out.stopped())
        return ReadError::None;
    return in.overrun() ? ReadError::Corrupt : ReadError::None;
}

} // namespace tovik::codecs
