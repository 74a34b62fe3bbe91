// PPMd variant H, the text model of RAR 3 and 4 ("best" and "good" methods), with RAR's
// range decoder.
//
// The walk over an entry's packed stream (RarFilterCheck) needs it to find where a PPMd block
// ends: only the model knows how many bytes each symbol takes. It decodes symbols and keeps
// nothing else: no output, no window. Its results follow libarchive 3.6.2's decoder symbol for
// symbol, as the walk must see what libarchive will see; where that decoder would fail, this
// one fails at the same symbol.
//
// The stream is untrusted. The model's memory is what a block header declares (1 to 256 MiB)
// and nothing else is allocated. Symbols only choose among what the model holds, but every
// reference the model follows is still checked against its memory, every search is bounded
// by the count it searches, and a total the range decoder cannot divide by ends decoding: a
// model that would reach outside its memory, or a stream no encoder made, gives -1.
#ifndef TOVIK_ARCHIVERS_RARPPMD_H
#define TOVIK_ARCHIVERS_RARPPMD_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace tovik::archivers {

// Where the range decoder takes its bytes: the packed stream right after the block header.
class RarPpmdInput {
public:
    // The next byte; past the end of the data 0 (the input remembers that it ran out).
    virtual uint8_t next() = 0;

protected:
    ~RarPpmdInput() = default;
};

class RarPpmd {
public:
    static constexpr uint32_t kMaxMemory = 256u << 20;   // RAR's bound: (byte + 1) MiB
    static constexpr unsigned kMaxOrder = 64;

    RarPpmd();
    ~RarPpmd();
    RarPpmd(const RarPpmd &) = delete;
    RarPpmd &operator=(const RarPpmd &) = delete;

    // A fresh model of memory bytes (1 MiB steps up to kMaxMemory) and the given order
    // (2..kMaxOrder). False, with no model left, when either is out of bounds or the memory
    // cannot be had. The memory is reused when the size does not change.
    bool start(uint32_t memory, unsigned order);
    // True after start, until a broken stream ends the model.
    bool ready() const { return ready_; }
    // The escape estimate a new binary context is given until the first escape from one sets
    // it; RAR's block header may carry it.
    void setInitialEscape(uint8_t value) { initEscape_ = value; }
    // Reads the range decoder's first four bytes, as every PPMd block does, fresh model or
    // not. False when they cannot start a stream (all four 0xFF).
    bool startDecoder(RarPpmdInput &in);
    // The next symbol (0..255), or -1 for a broken stream: a count past its total, an escape
    // out of the order-0 context, a reference outside the model's memory. After -1 the model
    // is no longer ready.
    int decode(RarPpmdInput &in);

private:
    struct See {
        uint16_t summ;
        uint8_t shift;
        uint8_t count;
    };
    struct Broken {};   // thrown by a check; decode() turns it into -1

    // The model's memory: contexts (12 bytes), states (6 bytes) and free blocks are offsets
    // into it, read and written by value. Each operation takes a view of it, whose base stays
    // in a register while the operation writes bytes.
    struct View {
        uint8_t *base;

        uint16_t u16(uint32_t at) const;
        uint32_t u32(uint32_t at) const;
        void setU16(uint32_t at, uint16_t value) const;
        void setU32(uint32_t at, uint32_t value) const;
        uint16_t numStats(uint32_t c) const { return u16(c); }
        uint16_t summFreq(uint32_t c) const { return u16(c + 2); }
        uint32_t stats(uint32_t c) const { return u32(c + 4); }
        uint32_t suffix(uint32_t c) const { return u32(c + 8); }
        static uint32_t oneState(uint32_t c) { return c + 2; }
        uint8_t symbol(uint32_t s) const { return base[s]; }
        uint8_t freq(uint32_t s) const { return base[s + 1]; }
        void setFreq(uint32_t s, unsigned value) const { base[s + 1] = static_cast<uint8_t>(value); }
        uint32_t successor(uint32_t s) const { return u32(s + 2); }
        void setSuccessor(uint32_t s, uint32_t value) const { setU32(s + 2, value); }
        void copyState(uint32_t to, uint32_t from) const;
        void swapStates(uint32_t a, uint32_t b) const;
    };
    View view() const { return View{memory_.get()}; }

    // Checks: a context reference, a context's state array, a state of a given symbol.
    uint32_t context(uint32_t ref) const;
    uint32_t statesOf(View m, uint32_t c) const;
    uint32_t findState(View m, uint32_t c, uint8_t sym) const;

    unsigned units(unsigned index) const { return indexToUnits_[index]; }
    unsigned indexOf(unsigned units) const;
    void insertNode(uint32_t node, unsigned index);
    uint32_t removeNode(unsigned index);
    void splitBlock(uint32_t block, unsigned oldIndex, unsigned newIndex);
    void glueFreeBlocks();
    uint32_t allocUnitsRare(unsigned index);
    uint32_t allocUnits(unsigned index);
    uint32_t shrinkUnits(uint32_t block, unsigned oldUnits, unsigned newUnits);

    void restartModel();
    uint32_t createSuccessors(bool skip);
    void updateModel();
    void rescale();
    void nextContext();
    void update1();
    void update1First();
    void update2();
    void updateBinary();
    See &escapeEstimate(unsigned masked, uint32_t &escape);
    int decodeSymbol();

    // The range decoder.
    uint32_t threshold(uint32_t total);
    void take(uint32_t start, uint32_t size);
    void normalize();

    std::unique_ptr<uint8_t[]> memory_;
    uint32_t size_ = 0;    // the model's memory as declared
    uint32_t limit_ = 0;   // bytes allocated: alignment, the model's memory, one guard unit
    bool ready_ = false;
    RarPpmdInput *in_ = nullptr;

    std::array<uint8_t, 38> indexToUnits_{};
    std::array<uint8_t, 128> unitsToIndex_{};
    std::array<uint8_t, 256> statsToBinIndex_{};
    std::array<uint8_t, 256> statsToSeeIndex_{};
    std::array<uint8_t, 256> highBitsFlag_{};

    std::array<uint32_t, 38> freeList_{};
    uint32_t text_ = 0, unitsStart_ = 0, loUnit_ = 0, hiUnit_ = 0;
    unsigned glueCount_ = 0;
    uint32_t minContext_ = 0, maxContext_ = 0, foundState_ = 0;
    unsigned orderFall_ = 0, maxOrder_ = 0, prevSuccess_ = 0, highBits_ = 0, initEscape_ = 0;
    int32_t runLength_ = 0, initRunLength_ = 0;
    uint16_t binSumm_[128][64] = {};
    See see_[25][16] = {};
    See dummySee_ = {};

    uint32_t code_ = 0, low_ = 0, range_ = 0;
};

} // namespace tovik::archivers

#endif
