#include "archivers/unrar32/RarPpmd.h"

#include <cstring>
#include <new>

namespace tovik::archivers {

namespace {

// The model's memory comes in units of 12 bytes: a context, two states, or a free block's
// header. It is laid out as libarchive lays it out (references are offsets from the start of
// the allocation, four bytes of alignment first), so that running out of memory, and with it
// the model's restarts, happens at the same symbol.
constexpr uint32_t kUnit = 12;
constexpr uint32_t kAlign = 4;
constexpr unsigned kIndexes = 38;   // free-list sizes: 1..4, 6..12 by 2, 15..24 by 3, 28..128 by 4
constexpr unsigned kMaxFreq = 124;
constexpr unsigned kIntBits = 7, kPeriodBits = 7;
constexpr uint32_t kBinScale = 1u << (kIntBits + kPeriodBits);
constexpr uint32_t kTop = 1u << 24, kBottom = 1u << 15;

constexpr uint16_t kInitBinEsc[8] = {0x3CDD, 0x1F3F, 0x59BF, 0x48F3, 0x64A1, 0x5ABC, 0x6632, 0x6051};
constexpr uint8_t kExpEscape[16] = {25, 14, 9, 7, 5, 5, 4, 4, 4, 3, 3, 3, 2, 2, 2, 2};

constexpr unsigned Mean(unsigned summ) { return (summ + (1u << (kPeriodBits - 2))) >> kPeriodBits; }

} // namespace

RarPpmd::RarPpmd()
{
    unsigned k = 0;
    for (unsigned i = 0; i < kIndexes; ++i) {
        unsigned step = i >= 12 ? 4 : i / 4 + 1;
        for (; step > 0; --step)
            unitsToIndex_[k++] = static_cast<uint8_t>(i);
        indexToUnits_[i] = static_cast<uint8_t>(k);
    }
    statsToBinIndex_[0] = 0;
    statsToBinIndex_[1] = 2;
    for (unsigned i = 2; i < 256; ++i)
        statsToBinIndex_[i] = i < 11 ? 4 : 6;
    statsToSeeIndex_[0] = 0, statsToSeeIndex_[1] = 1, statsToSeeIndex_[2] = 2;
    for (unsigned i = 3, index = 3, left = 1; i < 256; ++i) {
        statsToSeeIndex_[i] = static_cast<uint8_t>(index);
        if (--left == 0)
            left = ++index - 2;
    }
    for (unsigned i = 0; i < 256; ++i)
        highBitsFlag_[i] = i < 0x40 ? 0 : 8;
}

RarPpmd::~RarPpmd() = default;

inline uint16_t RarPpmd::View::u16(uint32_t at) const
{
    uint16_t v;
    std::memcpy(&v, base + at, sizeof v);
    return v;
}

inline uint32_t RarPpmd::View::u32(uint32_t at) const
{
    uint32_t v;
    std::memcpy(&v, base + at, sizeof v);
    return v;
}

inline void RarPpmd::View::setU16(uint32_t at, uint16_t value) const { std::memcpy(base + at, &value, sizeof value); }

inline void RarPpmd::View::setU32(uint32_t at, uint32_t value) const { std::memcpy(base + at, &value, sizeof value); }

inline void RarPpmd::View::copyState(uint32_t to, uint32_t from) const
{
    uint8_t t[6];
    std::memcpy(t, base + from, 6);
    std::memcpy(base + to, t, 6);
}

inline void RarPpmd::View::swapStates(uint32_t a, uint32_t b) const
{
    uint8_t t[6];
    std::memcpy(t, base + a, 6);
    std::memcpy(base + a, base + b, 6);
    std::memcpy(base + b, t, 6);
}

// A context the model refers to: inside the model's memory, never the alignment bytes or the
// guard unit behind it.
uint32_t RarPpmd::context(uint32_t ref) const
{
    if (ref - kAlign > size_ - kUnit)   // below kAlign wraps round to a large number
        throw Broken{};
    return ref;
}

// The states of a context with more than one, all inside the model's memory.
uint32_t RarPpmd::statesOf(View m, uint32_t c) const
{
    uint32_t count = m.numStats(c), s = m.stats(c);
    if (count - 2 > 254 || s - kAlign > size_ - count * 6)
        throw Broken{};
    return s;
}

uint32_t RarPpmd::findState(View m, uint32_t c, uint8_t sym) const
{
    const uint8_t *base = m.base;
    const uint8_t *first = base + statesOf(m, c);
    for (const uint8_t *p = first, *end = first + m.numStats(c) * 6; p != end; p += 6)
        if (*p == sym)
            return static_cast<uint32_t>(p - base);
    throw Broken{};
}

unsigned RarPpmd::indexOf(unsigned count) const
{
    if (count == 0 || count > 128)
        throw Broken{};
    return unitsToIndex_[count - 1];
}

// Free blocks of each size class form a list through their first four bytes.
void RarPpmd::insertNode(uint32_t node, unsigned index)
{
    const View m = view();
    m.setU32(node, freeList_[index]);
    freeList_[index] = node;
}

uint32_t RarPpmd::removeNode(unsigned index)
{
    const View m = view();
    uint32_t node = freeList_[index];
    if (node < kAlign || node > kAlign + size_ - kUnit)
        throw Broken{};
    freeList_[index] = m.u32(node);
    return node;
}

// Keeps newIndex's units of the block and returns the rest to the free lists.
void RarPpmd::splitBlock(uint32_t block, unsigned oldIndex, unsigned newIndex)
{
    unsigned rest = units(oldIndex) - units(newIndex);
    block += units(newIndex) * kUnit;
    unsigned i = indexOf(rest);
    if (units(i) != rest) {
        unsigned k = units(--i);
        insertNode(block + k * kUnit, rest - k - 1);
    }
    insertNode(block, i);
}

// Joins neighbouring free blocks into larger ones. The free blocks become a doubly linked list
// of nodes (stamp 0, unit count, next, previous); anything else in the unit area starts with a
// non-zero word, and the gap between the low and high units and the guard unit at the end are
// stamped 1, so a block's right neighbour tells whether it is free.
void RarPpmd::glueFreeBlocks()
{
    const View m = view();
    const uint32_t head = kAlign + size_;
    const uint32_t maxNodes = size_ / kUnit + 2;   // a longer walk is a broken list
    auto node = [&](uint32_t ref) {
        if (ref < kAlign || ref > head)
            throw Broken{};
        return ref;
    };
    glueCount_ = 255;
    uint32_t n = head, count = 0;
    for (unsigned i = 0; i < kIndexes; ++i) {
        const auto nu = static_cast<uint16_t>(units(i));
        uint32_t next = freeList_[i];
        freeList_[i] = 0;
        while (next != 0) {
            if (++count > maxNodes)
                throw Broken{};
            const uint32_t at = node(next);
            m.setU32(at + 4, n);
            m.setU32(node(n) + 8, next);
            n = next;
            next = m.u32(at);
            m.setU16(at, 0);
            m.setU16(at + 2, nu);
        }
    }
    m.setU16(head, 1);
    m.setU32(head + 4, n);
    m.setU32(node(n) + 8, head);
    if (loUnit_ != hiUnit_)
        m.setU16(loUnit_, 1);

    for (count = 0; n != head; n = m.u32(n + 4)) {
        if (++count > maxNodes)
            throw Broken{};
        const uint32_t at = node(n);
        uint32_t nu = m.u16(at + 2);
        for (;;) {
            const uint32_t right = node(at + nu * kUnit);
            nu += m.u16(right + 2);
            if (m.u16(right) != 0 || nu >= 0x10000)
                break;
            const uint32_t prev = m.u32(right + 8), next = m.u32(right + 4);
            m.setU32(node(prev) + 4, next);
            m.setU32(node(next) + 8, prev);
            m.setU16(at + 2, static_cast<uint16_t>(nu));
        }
    }

    count = 0;
    for (n = m.u32(head + 4); n != head;) {
        if (++count > maxNodes)
            throw Broken{};
        uint32_t at = node(n);
        const uint32_t next = m.u32(at + 4);
        unsigned nu = m.u16(at + 2);
        for (; nu > 128; nu -= 128, at += 128 * kUnit)
            insertNode(at, kIndexes - 1);
        unsigned i = indexOf(nu);
        if (units(i) != nu) {
            unsigned k = units(--i);
            insertNode(at + k * kUnit, nu - k - 1);
        }
        insertNode(at, i);
        n = next;
    }
}

// Units when the free lists and the gap between low and high units have none of the size:
// after gluing, a larger free block split, or units taken from the text area's end. 0 when
// the memory is full.
uint32_t RarPpmd::allocUnitsRare(unsigned index)
{
    if (glueCount_ == 0) {
        glueFreeBlocks();
        if (freeList_[index] != 0)
            return removeNode(index);
    }
    unsigned i = index;
    do {
        if (++i == kIndexes) {
            uint32_t bytes = units(index) * kUnit;
            --glueCount_;
            if (unitsStart_ - text_ > bytes)
                return unitsStart_ -= bytes;
            return 0;
        }
    } while (freeList_[i] == 0);
    uint32_t block = removeNode(i);
    splitBlock(block, i, index);
    return block;
}

uint32_t RarPpmd::allocUnits(unsigned index)
{
    if (freeList_[index] != 0)
        return removeNode(index);
    uint32_t bytes = units(index) * kUnit;
    if (bytes <= hiUnit_ - loUnit_) {
        uint32_t block = loUnit_;
        loUnit_ += bytes;
        return block;
    }
    return allocUnitsRare(index);
}

uint32_t RarPpmd::shrinkUnits(uint32_t block, unsigned oldUnits, unsigned newUnits)
{
    const View m = view();
    unsigned i0 = indexOf(oldUnits), i1 = indexOf(newUnits);
    if (i0 == i1)
        return block;
    if (freeList_[i1] != 0) {
        uint32_t moved = removeNode(i1);
        std::memcpy(m.base + moved, m.base + block, newUnits * kUnit);
        insertNode(block, i0);
        return moved;
    }
    splitBlock(block, i0, i1);
    return block;
}

bool RarPpmd::start(uint32_t memory, unsigned order)
{
    ready_ = false;
    if (memory < kUnit * 256 || memory > kMaxMemory || order < 2 || order > kMaxOrder) {
        memory_.reset();
        size_ = limit_ = 0;
        return false;
    }
    if (memory_ == nullptr || size_ != memory) {
        memory_.reset();
        size_ = limit_ = 0;
        const uint32_t total = kAlign + memory + kUnit;
        memory_.reset(new (std::nothrow) uint8_t[total]);
        if (memory_ == nullptr)
            return false;
        size_ = memory;
        limit_ = total;
    }
    std::memset(memory_.get(), 0, kAlign);
    std::memset(memory_.get() + kAlign + size_, 0, kUnit);
    maxOrder_ = order;
    restartModel();
    dummySee_ = {0, kPeriodBits, 64};
    ready_ = true;
    return true;
}

void RarPpmd::restartModel()
{
    const View m = view();
    freeList_.fill(0);
    text_ = kAlign;
    hiUnit_ = text_ + size_;
    loUnit_ = unitsStart_ = hiUnit_ - size_ / 8 / kUnit * 7 * kUnit;
    glueCount_ = 0;
    orderFall_ = maxOrder_;
    runLength_ = initRunLength_ = -static_cast<int32_t>(maxOrder_ < 12 ? maxOrder_ : 12) - 1;
    prevSuccess_ = 0;

    // The order-0 context: every byte once.
    hiUnit_ -= kUnit;
    minContext_ = maxContext_ = hiUnit_;
    m.setU16(minContext_, 256);
    m.setU16(minContext_ + 2, 257);
    m.setU32(minContext_ + 4, loUnit_);
    m.setU32(minContext_ + 8, 0);
    foundState_ = loUnit_;
    for (unsigned i = 0; i < 256; ++i) {
        uint32_t s = loUnit_ + i * 6;
        m.base[s] = static_cast<uint8_t>(i);
        m.base[s + 1] = 1;
        m.setSuccessor(s, 0);
    }
    loUnit_ += 128 * kUnit;

    for (unsigned i = 0; i < 128; ++i)
        for (unsigned k = 0; k < 8; ++k)
            for (unsigned j = k; j < 64; j += 8)
                binSumm_[i][j] = static_cast<uint16_t>(kBinScale - kInitBinEsc[k] / (i + 2));
    for (unsigned i = 0; i < 25; ++i)
        for (unsigned k = 0; k < 16; ++k)
            see_[i][k] = {static_cast<uint16_t>((5 * i + 10) << (kPeriodBits - 4)), kPeriodBits - 4, 4};
}

// Makes the contexts the found symbol leads to, from the deepest one that has it down to the
// current one, each with that single symbol. Returns the deepest, or 0 when memory is full.
uint32_t RarPpmd::createSuccessors(bool skip)
{
    const View m = view();
    uint32_t c = minContext_;
    const uint32_t upBranch = m.successor(foundState_);
    const uint8_t sym = m.symbol(foundState_);
    uint32_t states[kMaxOrder];
    unsigned count = 0;
    if (!skip)
        states[count++] = foundState_;
    while (m.suffix(c) != 0) {
        c = context(m.suffix(c));
        uint32_t s = m.numStats(c) != 1 ? findState(m, c, sym) : m.oneState(c);
        uint32_t next = m.successor(s);
        if (next != upBranch) {
            c = context(next);
            if (count == 0)
                return c;
            break;
        }
        if (count == kMaxOrder)
            throw Broken{};
        states[count++] = s;
    }

    // upBranch points into the text: the byte that followed there.
    if (upBranch >= limit_)
        throw Broken{};
    const uint8_t upSymbol = m.base[upBranch];
    const uint32_t upSuccessor = upBranch + 1;
    uint8_t upFreq;
    if (m.numStats(c) == 1) {
        upFreq = m.freq(m.oneState(c));
    } else {
        uint32_t s = findState(m, c, upSymbol);
        uint32_t cf = uint32_t{m.freq(s)} - 1;
        uint32_t s0 = uint32_t{m.summFreq(c)} - m.numStats(c) - cf;
        uint32_t add;
        if (2 * cf <= s0) {
            add = 5 * cf > s0;
        } else {
            if (2 * s0 == 0)
                throw Broken{};
            add = (2 * cf + 3 * s0 - 1) / (2 * s0);
        }
        upFreq = static_cast<uint8_t>(1 + add);
    }

    while (count != 0) {
        uint32_t c1;
        if (hiUnit_ != loUnit_) {
            c1 = hiUnit_ -= kUnit;
        } else if (freeList_[0] != 0) {
            c1 = removeNode(0);
        } else {
            c1 = allocUnitsRare(0);
            if (c1 == 0)
                return 0;
        }
        m.setU16(c1, 1);
        m.base[c1 + 2] = upSymbol;
        m.base[c1 + 3] = upFreq;
        m.setU32(c1 + 4, upSuccessor);
        m.setU32(c1 + 8, c);
        m.setSuccessor(states[--count], c1);
        c = c1;
    }
    return c;
}

void RarPpmd::updateModel()
{
    const View m = view();
    uint32_t fSuccessor = m.successor(foundState_);
    const uint8_t fSymbol = m.symbol(foundState_);

    // The symbol gains in the context one order lower too.
    if (m.freq(foundState_) < kMaxFreq / 4 && m.suffix(minContext_) != 0) {
        uint32_t c = context(m.suffix(minContext_));
        if (m.numStats(c) == 1) {
            uint32_t s = m.oneState(c);
            if (m.freq(s) < 32)
                m.setFreq(s, m.freq(s) + 1);
        } else {
            uint32_t s = statesOf(m, c);
            if (m.symbol(s) != fSymbol) {
                s = findState(m, c, fSymbol);
                if (m.freq(s) >= m.freq(s - 6)) {
                    m.swapStates(s, s - 6);
                    s -= 6;
                }
            }
            if (m.freq(s) < kMaxFreq - 9) {
                m.setFreq(s, m.freq(s) + 2);
                m.setU16(c + 2, static_cast<uint16_t>(m.summFreq(c) + 2));
            }
        }
    }

    if (orderFall_ == 0) {
        minContext_ = maxContext_ = createSuccessors(true);
        if (minContext_ == 0) {
            restartModel();
            return;
        }
        m.setSuccessor(foundState_, minContext_);
        return;
    }

    // text_ stays below unitsStart_: it is checked here, and units are taken from the text
    // area's end only while they leave room above text_.
    m.base[text_++] = fSymbol;
    uint32_t next = text_;
    if (text_ >= unitsStart_) {
        restartModel();
        return;
    }
    if (fSuccessor != 0) {
        if (fSuccessor <= next) {   // still a position in the text: the context is not made yet
            uint32_t made = createSuccessors(false);
            if (made == 0) {
                restartModel();
                return;
            }
            fSuccessor = made;
        }
        if (--orderFall_ == 0) {
            next = fSuccessor;
            text_ -= maxContext_ != minContext_;
        }
    } else {
        m.setSuccessor(foundState_, next);
        fSuccessor = minContext_;
    }

    // Every context escaped from on the way down learns the symbol.
    const unsigned ns = m.numStats(minContext_);
    const unsigned s0 = m.summFreq(minContext_) - ns - (m.freq(foundState_) - 1u);
    unsigned steps = 0;
    for (uint32_t c = maxContext_; c != minContext_; c = context(m.suffix(c))) {
        if (++steps > kMaxOrder + 1)
            throw Broken{};
        const unsigned ns1 = m.numStats(c);
        if (ns1 != 1) {
            if ((ns1 & 1) == 0) {   // the state array is full: one unit more
                const unsigned oldUnits = ns1 >> 1;
                const unsigned i = indexOf(oldUnits);
                if (i != indexOf(oldUnits + 1)) {
                    uint32_t grown = allocUnits(i + 1);
                    if (grown == 0) {
                        restartModel();
                        return;
                    }
                    uint32_t old = statesOf(m, c);
                    std::memcpy(m.base + grown, m.base + old, oldUnits * kUnit);
                    insertNode(old, i);
                    m.setU32(c + 4, grown);
                }
            }
            const unsigned sf = m.summFreq(c);
            m.setU16(c + 2, static_cast<uint16_t>(sf + (2 * ns1 < ns) + 2 * ((4 * ns1 <= ns) & (sf <= 8 * ns1))));
        } else {
            uint32_t s = allocUnits(0);
            if (s == 0) {
                restartModel();
                return;
            }
            m.copyState(s, m.oneState(c));
            m.setU32(c + 4, s);
            m.setFreq(s, m.freq(s) < kMaxFreq / 4 - 1 ? m.freq(s) * 2u : kMaxFreq - 4);
            m.setU16(c + 2, static_cast<uint16_t>(m.freq(s) + initEscape_ + (ns > 3)));
        }
        uint32_t cf = 2 * uint32_t{m.freq(foundState_)} * (m.summFreq(c) + 6u);
        const uint32_t sf = uint32_t{s0} + m.summFreq(c);
        if (cf < 6 * sf) {
            cf = 1 + (cf > sf) + (cf >= 4 * sf);
            m.setU16(c + 2, static_cast<uint16_t>(m.summFreq(c) + 3));
        } else {
            cf = 4 + (cf >= 9 * sf) + (cf >= 12 * sf) + (cf >= 15 * sf);
            m.setU16(c + 2, static_cast<uint16_t>(m.summFreq(c) + cf));
        }
        const uint32_t first = m.stats(c);
        if (ns1 >= 256 || first < kAlign || first > kAlign + size_ - (ns1 + 1) * 6)
            throw Broken{};
        const uint32_t s = first + ns1 * 6;
        m.setSuccessor(s, next);
        m.base[s] = fSymbol;
        m.setFreq(s, cf);
        m.setU16(c, static_cast<uint16_t>(ns1 + 1));
    }
    maxContext_ = minContext_ = context(fSuccessor);
}

// Halves the counts of the current context when one grew too large, keeping them sorted,
// and drops the states that fall to zero.
void RarPpmd::rescale()
{
    const View m = view();
    const uint32_t first = statesOf(m, minContext_);
    const unsigned before = m.numStats(minContext_);
    uint32_t s = foundState_;
    if (s < first || s >= first + before * 6 || (s - first) % 6 != 0)
        throw Broken{};
    uint8_t moved[6];
    std::memcpy(moved, m.base + s, 6);
    for (; s != first; s -= 6)
        m.copyState(s, s - 6);
    std::memcpy(m.base + first, moved, 6);

    unsigned escFreq = m.summFreq(minContext_) - m.freq(s);
    m.setFreq(s, m.freq(s) + 4u);
    const unsigned adder = orderFall_ != 0;
    m.setFreq(s, (m.freq(s) + adder) >> 1);
    unsigned sumFreq = m.freq(s);
    unsigned i = before - 1;
    do {
        s += 6;
        escFreq -= m.freq(s);
        m.setFreq(s, (m.freq(s) + adder) >> 1);
        sumFreq += m.freq(s);
        if (m.freq(s) > m.freq(s - 6)) {
            uint32_t to = s;
            std::memcpy(moved, m.base + to, 6);
            do
                m.copyState(to, to - 6);
            while ((to -= 6) != first && moved[1] > m.freq(to - 6));
            std::memcpy(m.base + to, moved, 6);
        }
    } while (--i != 0);

    if (m.freq(s) == 0) {
        do
            ++i;
        while (m.freq(s -= 6) == 0);
        escFreq += i;
        m.setU16(minContext_, static_cast<uint16_t>(before - i));
        if (m.numStats(minContext_) == 1) {
            std::memcpy(moved, m.base + first, 6);
            do {
                moved[1] = static_cast<uint8_t>(moved[1] - (moved[1] >> 1));
                escFreq >>= 1;
            } while (escFreq > 1);
            insertNode(first, indexOf((before + 1) >> 1));
            foundState_ = m.oneState(minContext_);
            std::memcpy(m.base + foundState_, moved, 6);
            return;
        }
        const unsigned n0 = (before + 1) >> 1, n1 = (m.numStats(minContext_) + 1u) >> 1;
        if (n0 != n1)
            m.setU32(minContext_ + 4, shrinkUnits(first, n0, n1));
    }
    m.setU16(minContext_ + 2, static_cast<uint16_t>(sumFreq + escFreq - (escFreq >> 1)));
    foundState_ = m.stats(minContext_);
}

void RarPpmd::nextContext()
{
    const View m = view();
    uint32_t c = m.successor(foundState_);
    if (orderFall_ == 0 && c > text_)
        minContext_ = maxContext_ = context(c);
    else
        updateModel();
}

void RarPpmd::update1()
{
    const View m = view();
    uint32_t s = foundState_;
    m.setFreq(s, m.freq(s) + 4u);
    m.setU16(minContext_ + 2, static_cast<uint16_t>(m.summFreq(minContext_) + 4));
    if (m.freq(s) > m.freq(s - 6)) {
        m.swapStates(s, s - 6);
        foundState_ = s -= 6;
        if (m.freq(s) > kMaxFreq)
            rescale();
    }
    nextContext();
}

void RarPpmd::update1First()
{
    const View m = view();
    prevSuccess_ = 2u * m.freq(foundState_) > m.summFreq(minContext_);
    runLength_ = static_cast<int32_t>(static_cast<uint32_t>(runLength_) + prevSuccess_);   // wraps, never overflows
    m.setU16(minContext_ + 2, static_cast<uint16_t>(m.summFreq(minContext_) + 4));
    m.setFreq(foundState_, m.freq(foundState_) + 4u);
    if (m.freq(foundState_) > kMaxFreq)
        rescale();
    nextContext();
}

void RarPpmd::update2()
{
    const View m = view();
    m.setU16(minContext_ + 2, static_cast<uint16_t>(m.summFreq(minContext_) + 4));
    m.setFreq(foundState_, m.freq(foundState_) + 4u);
    if (m.freq(foundState_) > kMaxFreq)
        rescale();
    runLength_ = initRunLength_;
    updateModel();
}

void RarPpmd::updateBinary()
{
    const View m = view();
    m.setFreq(foundState_, m.freq(foundState_) + (m.freq(foundState_) < 128 ? 1u : 0u));
    prevSuccess_ = 1;
    runLength_ = static_cast<int32_t>(static_cast<uint32_t>(runLength_) + 1);
    nextContext();
}

// The escape's share in a context entered after an escape, adapted per kind of context.
RarPpmd::See &RarPpmd::escapeEstimate(unsigned masked, uint32_t &escape)
{
    const View m = view();
    const unsigned ns = m.numStats(minContext_);
    if (ns == 256) {
        escape = 1;
        return dummySee_;
    }
    const unsigned unmasked = ns - masked;
    const unsigned below = m.numStats(context(m.suffix(minContext_)));
    See &see = see_[statsToSeeIndex_[unmasked - 1]][(unmasked < below - ns) + 2 * (m.summFreq(minContext_) < 11 * ns) +
                                                     4 * (masked > unmasked) + highBits_];
    unsigned r = see.summ >> see.shift;
    see.summ = static_cast<uint16_t>(see.summ - r);
    escape = r + (r == 0);
    return see;
}

int RarPpmd::decodeSymbol()
{
    const View m = view();
    uint8_t mask[256];   // 0 for the symbols seen in a context already escaped from
    const unsigned ns = m.numStats(minContext_);
    if (ns != 1) {
        uint32_t s = statesOf(m, minContext_);
        const uint32_t count = threshold(m.summFreq(minContext_));
        uint32_t hiCnt = m.freq(s);
        if (count < hiCnt) {
            take(0, m.freq(s));
            foundState_ = s;
            const uint8_t sym = m.symbol(s);
            update1First();
            return sym;
        }
        prevSuccess_ = 0;
        for (unsigned i = ns - 1; i != 0; --i) {
            s += 6;
            if ((hiCnt += m.freq(s)) > count) {
                take(hiCnt - m.freq(s), m.freq(s));
                foundState_ = s;
                const uint8_t sym = m.symbol(s);
                update1();
                return sym;
            }
        }
        if (count >= m.summFreq(minContext_))
            return -1;
        highBits_ = highBitsFlag_[m.symbol(foundState_)];
        take(hiCnt, m.summFreq(minContext_) - hiCnt);
        std::memset(mask, 0xFF, sizeof mask);
        for (uint32_t first = m.stats(minContext_);; s -= 6) {
            mask[m.symbol(s)] = 0;
            if (s == first)
                break;
        }
    } else {
        const uint32_t one = m.oneState(minContext_);
        const unsigned f = m.freq(one);
        const unsigned below = m.numStats(context(m.suffix(minContext_)));
        if (f == 0 || f > 128 || below == 0 || below > 256)
            throw Broken{};
        highBits_ = highBitsFlag_[m.symbol(foundState_)];
        uint16_t &prob = binSumm_[f - 1][prevSuccess_ + statsToBinIndex_[below - 1] + highBits_ +
                                         2 * highBitsFlag_[m.symbol(one)] + ((runLength_ >> 26) & 0x20)];
        if (threshold(kBinScale) < prob) {
            take(0, prob);
            prob = static_cast<uint16_t>(prob + (1u << kIntBits) - Mean(prob));
            foundState_ = one;
            const uint8_t sym = m.symbol(one);
            updateBinary();
            return sym;
        }
        take(prob, kBinScale - prob);
        prob = static_cast<uint16_t>(prob - Mean(prob));
        if ((prob >> 10) >= sizeof kExpEscape)
            throw Broken{};
        initEscape_ = kExpEscape[prob >> 10];
        std::memset(mask, 0xFF, sizeof mask);
        mask[m.symbol(one)] = 0;
        prevSuccess_ = 0;
    }

    // Escapes: down the suffixes to a context with a symbol not seen yet.
    for (unsigned steps = 0;;) {
        const unsigned masked = m.numStats(minContext_);
        do {
            ++orderFall_;
            const uint32_t below = m.suffix(minContext_);
            if (below == 0)
                return -1;
            if (++steps > kMaxOrder + 1)
                throw Broken{};
            minContext_ = context(below);
        } while (m.numStats(minContext_) == masked);
        const unsigned count = m.numStats(minContext_);
        if (count < masked)
            throw Broken{};
        // The unmasked states in order, as a decoder lists them; the sum first, the state
        // when the count falls among them (the likely ones come first).
        const uint8_t *base = m.base;
        const uint8_t *first = base + statesOf(m, minContext_);
        const uint8_t *const end = first + count * 6;
        uint32_t hiCnt = 0;
        unsigned n = 0;
        for (const uint8_t *p = first; p != end; p += 6) {
            const unsigned bit = mask[p[0]];
            hiCnt += p[1] & bit;
            n += bit & 1;
        }
        if (n != count - masked)   // the context lacks symbols of the one escaped from
            throw Broken{};
        uint32_t total = 0;
        See &see = escapeEstimate(masked, total);
        total += hiCnt;
        const uint32_t target = threshold(total);
        if (target < hiCnt) {
            const uint8_t *p = first;
            for (hiCnt = 0;; p += 6)
                if (mask[p[0]] != 0 && (hiCnt += p[1]) > target)
                    break;
            const auto s = static_cast<uint32_t>(p - base);
            take(hiCnt - m.freq(s), m.freq(s));
            if (see.shift < kPeriodBits && --see.count == 0) {
                see.summ = static_cast<uint16_t>(see.summ << 1);
                see.count = static_cast<uint8_t>(3 << see.shift++);
            }
            foundState_ = s;
            const uint8_t sym = m.symbol(s);
            update2();
            return sym;
        }
        if (target >= total)
            return -1;
        take(hiCnt, total - hiCnt);
        see.summ = static_cast<uint16_t>(see.summ + total);
        for (const uint8_t *p = first; p != end; p += 6)
            mask[p[0]] = 0;
    }
}

bool RarPpmd::startDecoder(RarPpmdInput &in)
{
    low_ = 0;
    range_ = 0xFFFFFFFF;
    code_ = 0;
    for (int i = 0; i < 4; ++i)
        code_ = (code_ << 8) | in.next();
    return code_ != 0xFFFFFFFF;
}

int RarPpmd::decode(RarPpmdInput &in)
{
    if (!ready_)
        return -1;
    in_ = &in;
    try {
        int sym = decodeSymbol();
        if (sym < 0)
            ready_ = false;
        return sym;
    } catch (const Broken &) {
        ready_ = false;
        return -1;
    }
}

// RAR's range decoder keeps the interval's low end and compares against the code (the 7z
// format's variant subtracts from the code instead); both shift a byte in when the top byte
// is settled, and RAR's also when the range falls below 2^15.
uint32_t RarPpmd::threshold(uint32_t total)
{
    if (total == 0 || range_ < total)   // the next division would be by zero
        throw Broken{};
    range_ /= total;
    return (code_ - low_) / range_;
}

void RarPpmd::take(uint32_t start, uint32_t size)
{
    low_ += start * range_;
    range_ *= size;
    if ((low_ ^ (low_ + range_)) < kTop || range_ < kBottom)
        normalize();
}

void RarPpmd::normalize()
{
    if (range_ == 0)   // only from counts no model gives: normalizing would never end
        throw Broken{};
    for (;;) {
        if ((low_ ^ (low_ + range_)) >= kTop) {
            if (range_ >= kBottom)
                break;
            range_ = (0u - low_) & (kBottom - 1);
        }
        code_ = (code_ << 8) | in_->next();
        range_ <<= 8;
        low_ <<= 8;
    }
}

} // namespace tovik::archivers
