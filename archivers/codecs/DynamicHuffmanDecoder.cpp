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
    return out.finishEntry(in);
}

} // namespace tovik::codecs

namespace tovik::codecs {

namespace {

// The -lh2- trees share one node array: the code tree from kRootC, the position tree from
// kRootP. Nodes are kept in falling frequency order; runs of equal frequency form blocks
// whose leader (edge) is their first node, so an increment swaps a node with its leader.
// child[n] >= 0 is an inner node with children child[n] and child[n] - 1; child[n] < 0 is
// the leaf of symbol ~child[n].
class GrowingTrees {
public:
    static constexpr int kChars = 314;
    static constexpr int kCodes = 286;                   // literals and lengths in -lh2-
    static constexpr int kExtendedCode = kCodes - 1;      // followed by 8 more length bits
    static constexpr int kRootC = 0;
    static constexpr int kRootP = kChars * 2;
    static constexpr int kNodes = kChars * 2 + 128 * 2;

    GrowingTrees()
    {
        for (int i = 0; i < kNodes; ++i) {
            stock_[i] = static_cast<int16_t>(i);
            block_[i] = 0;
        }
        int i, j;
        for (i = 0, j = kCodes * 2 - 2; i < kCodes; ++i, --j) {
            freq_[j] = 1;
            child_[j] = static_cast<int16_t>(~i);
            leaf_[i] = static_cast<int16_t>(j);
            block_[j] = 1;
        }
        avail_ = 2;
        edge_[1] = kCodes - 1;
        i = kCodes * 2 - 2;
        while (j >= 0) {
            unsigned f = freq_[j] = static_cast<uint16_t>(freq_[i] + freq_[i - 1]);
            child_[j] = static_cast<int16_t>(i);
            parent_[i] = parent_[i - 1] = static_cast<int16_t>(j);
            if (f == freq_[j + 1])
                edge_[block_[j] = block_[j + 1]] = static_cast<int16_t>(j);
            else
                edge_[block_[j] = stock_[avail_++]] = static_cast<int16_t>(j);
            i -= 2;
            --j;
        }
        freq_[kRootP] = 1;
        child_[kRootP] = static_cast<int16_t>(~kChars);
        leaf_[kChars] = kRootP;
        edge_[block_[kRootP] = stock_[avail_++]] = kRootP;
        mostP_ = kRootP;
    }

    bool ok() const { return ok_; }

    int decodeCode(BitReader &in)
    {
        int c = child_[kRootC];
        do
            c = child_[c - static_cast<int>(in.bit())];
        while (c > 0 && ok_);
        c = ~c;
        if (c < 0 || c >= kCodes)
            return fail();
        updateCode(c);
        return c;
    }

    // The position code for a copy made when produced bytes have been output.
    int decodePosition(BitReader &in, uint64_t produced)
    {
        while (produced > nextCount_ && ok_) {
            addPosition(static_cast<int>(nextCount_ / 64));
            nextCount_ = nextCount_ + 64 >= 8192 ? UINT64_MAX : nextCount_ + 64;
        }
        int c = child_[kRootP];
        while (c > 0 && ok_)
            c = child_[c - static_cast<int>(in.bit())];
        c = ~c - kChars;
        if (c < 0 || c >= 128)
            return fail();
        updatePosition(c);
        return ok_ ? c : -1;
    }

private:
    int fail()
    {
        ok_ = false;
        return -1;
    }

    int16_t takeBlock()
    {
        if (avail_ >= kNodes) {
            ok_ = false;
            return 0;
        }
        return stock_[avail_++];
    }

    void rebuild(int start, int end)
    {
        int i, j, b = 0;
        for (i = j = start; i < end; ++i) {
            int k = child_[i];
            if (k < 0) {
                freq_[j] = static_cast<uint16_t>((freq_[i] + 1) / 2);
                child_[j] = static_cast<int16_t>(k);
                ++j;
            }
            if (edge_[b = block_[i]] == i && avail_ > 0)
                stock_[--avail_] = static_cast<int16_t>(b);
        }
        --j;
        i = end - 1;
        int l = end - 2;
        while (i >= start) {
            while (i >= l) {
                freq_[i] = freq_[j];
                child_[i] = child_[j];
                --i;
                --j;
            }
            unsigned f = freq_[l] + freq_[l + 1];
            int k = start;
            while (f < freq_[k])
                ++k;
            while (j >= k) {
                freq_[i] = freq_[j];
                child_[i] = child_[j];
                --i;
                --j;
            }
            freq_[i] = static_cast<uint16_t>(f);
            child_[i] = static_cast<int16_t>(l + 1);
            --i;
            l -= 2;
        }
        unsigned f = 0;
        for (i = start; i < end; ++i) {
            j = child_[i];
            if (j < 0)
                leaf_[~j] = static_cast<int16_t>(i);
            else
                parent_[j] = parent_[j - 1] = static_cast<int16_t>(i);
            unsigned g = freq_[i];
            if (g == f) {
                block_[i] = static_cast<int16_t>(b);
            } else {
                b = block_[i] = takeBlock();
                edge_[b] = static_cast<int16_t>(i);
                f = g;
            }
        }
    }

    // Increments node p (after moving it to the front of its block); answers its parent.
    int increment(int p)
    {
        int b = block_[p];
        int q = edge_[b];
        if (q != p) {
            int r = child_[p], s = child_[q];
            child_[p] = static_cast<int16_t>(s);
            child_[q] = static_cast<int16_t>(r);
            if (r >= 0)
                parent_[r] = parent_[r - 1] = static_cast<int16_t>(q);
            else
                leaf_[~r] = static_cast<int16_t>(q);
            if (s >= 0)
                parent_[s] = parent_[s - 1] = static_cast<int16_t>(p);
            else
                leaf_[~s] = static_cast<int16_t>(p);
            p = q;
            adjust(p, b);
        } else if (b == block_[p + 1]) {
            adjust(p, b);
        } else if (++freq_[p] == freq_[p - 1]) {
            if (avail_ > 0)
                stock_[--avail_] = static_cast<int16_t>(b);
            block_[p] = block_[p - 1];
        }
        return parent_[p];
    }

    void adjust(int p, int b)
    {
        ++edge_[b];
        if (++freq_[p] == freq_[p - 1]) {
            block_[p] = block_[p - 1];
        } else {
            block_[p] = takeBlock();
            edge_[block_[p]] = static_cast<int16_t>(p);
        }
    }

    void updateCode(int c)
    {
        if (freq_[kRootC] == 0x8000)
            rebuild(0, kCodes * 2 - 1);
        ++freq_[kRootC];
        int q = leaf_[c];
        do
            q = increment(q);
        while (q != kRootC && ok_);
    }

    void updatePosition(int p)
    {
        if (totalP_ == 0x8000) {
            rebuild(kRootP, mostP_ + 1);
            totalP_ = freq_[kRootP];
            freq_[kRootP] = 0xFFFF;
        }
        int q = leaf_[p + kChars];
        while (q != kRootP && ok_)
            q = increment(q);
        ++totalP_;
    }

    // Splits the last leaf to add position code p with frequency 0.
    void addPosition(int p)
    {
        int r = mostP_ + 1, q = r + 1;
        if (q >= kNodes || p + kChars >= kChars + 128) {
            ok_ = false;
            return;
        }
        leaf_[~(child_[r] = child_[mostP_])] = static_cast<int16_t>(r);
        child_[q] = static_cast<int16_t>(~(p + kChars));
        child_[mostP_] = static_cast<int16_t>(q);
        freq_[r] = freq_[mostP_];
        freq_[q] = 0;
        block_[r] = block_[mostP_];
        if (mostP_ == kRootP) {
            freq_[kRootP] = 0xFFFF;
            ++edge_[block_[kRootP]];
        }
        parent_[r] = parent_[q] = static_cast<int16_t>(mostP_);
        block_[q] = takeBlock();
        edge_[block_[q]] = static_cast<int16_t>(q);
        leaf_[p + kChars] = static_cast<int16_t>(q);
        mostP_ = q;
        updatePosition(p);
    }

    int16_t child_[kNodes + 1] = {};
    int16_t parent_[kNodes + 1] = {};
    int16_t block_[kNodes + 1] = {};
    int16_t edge_[kNodes + 1] = {};
    int16_t stock_[kNodes + 1] = {};
    int16_t leaf_[kChars + 128] = {};
    uint16_t freq_[kNodes + 1] = {};
    int avail_ = 0;
    int mostP_ = 0;
    unsigned totalP_ = 0;
    uint64_t nextCount_ = 64;
    bool ok_ = true;
};

} // namespace

ReadError DecodeLh2(InputStream &input, uint64_t originalSize, const archivers::DataSink &sink)
{
    constexpr unsigned kDictionaryBits = 13;
    BitReader in(input);
    auto trees = std::make_unique<GrowingTrees>();
    OutputWindow out(kDictionaryBits, originalSize, sink);
    auto spaces = std::make_unique<uint8_t[]>(1u << kDictionaryBits);
    std::memset(spaces.get(), ' ', 1u << kDictionaryBits);
    out.presetHistory(spaces.get(), 1u << kDictionaryBits);
    unsigned steps = 0;
    while (!out.done()) {
        int c = trees->decodeCode(in);
        if (c < 0)
            return ReadError::Corrupt;
        if (c == GrowingTrees::kExtendedCode)
            c += static_cast<int>(in.bits(8));
        if (c < 256) {
            out.put(static_cast<uint8_t>(c));
        } else {
            int p = trees->decodePosition(in, out.total());
            if (p < 0)
                return ReadError::Corrupt;
            uint32_t distance = (static_cast<uint32_t>(p) << 6) | in.bits(6);
            out.copy(distance + 1, static_cast<uint32_t>(c) - 253);
        }
        if ((++steps & 0xFFF) == 0 && in.overrun())
            return ReadError::Corrupt;
    }
    return out.finishEntry(in);
}

} // namespace tovik::codecs
