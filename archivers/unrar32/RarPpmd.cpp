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

uint16_t RarPpmd::u16(uint32_t at) const
{
    uint16_t v;
    std::memcpy(&v, memory_.get() + at, sizeof v);
    return v;
}

uint32_t RarPpmd::u32(uint32_t at) const
{
    uint32_t v;
    std::memcpy(&v, memory_.get() + at, sizeof v);
    return v;
}

void RarPpmd::setU16(uint32_t at, uint16_t value) { std::memcpy(memory_.get() + at, &value, sizeof value); }

void RarPpmd::setU32(uint32_t at, uint32_t value) { std::memcpy(memory_.get() + at, &value, sizeof value); }

void RarPpmd::copyState(uint32_t to, uint32_t from) { std::memmove(memory_.get() + to, memory_.get() + from, 6); }

void RarPpmd::swapStates(uint32_t a, uint32_t b)
{
    uint8_t t[6];
    std::memcpy(t, memory_.get() + a, 6);
    std::memcpy(memory_.get() + a, memory_.get() + b, 6);
    std::memcpy(memory_.get() + b, t, 6);
}

// A context the model refers to: inside the model's memory, never the alignment bytes or the
// guard unit behind it.
uint32_t RarPpmd::context(uint32_t ref) const
{
    if (ref < kAlign || ref > kAlign + size_ - kUnit)
        throw Broken{};
    return ref;
}

// The states of a context with more than one, all inside the model's memory.
uint32_t RarPpmd::statesOf(uint32_t c) const
{
    uint32_t count = numStats(c), s = stats(c);
    if (count < 2 || count > 256 || s < kAlign || s > kAlign + size_ - count * 6)
        throw Broken{};
    return s;
}

uint32_t RarPpmd::findState(uint32_t c, uint8_t sym) const
{
    uint32_t s = statesOf(c);
    for (uint32_t end = s + numStats(c) * 6; s != end; s += 6)
        if (symbol(s) == sym)
            return s;
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
    setU32(node, freeList_[index]);
    freeList_[index] = node;
}

uint32_t RarPpmd::removeNode(unsigned index)
{
    uint32_t node = freeList_[index];
    if (node < kAlign || node > kAlign + size_ - kUnit)
        throw Broken{};
    freeList_[index] = u32(node);
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
            setU32(at + 4, n);
            setU32(node(n) + 8, next);
            n = next;
            next = u32(at);
            setU16(at, 0);
            setU16(at + 2, nu);
        }
    }
    setU16(head, 1);
    setU32(head + 4, n);
    setU32(node(n) + 8, head);
    if (loUnit_ != hiUnit_)
        setU16(loUnit_, 1);

    for (count = 0; n != head; n = u32(n + 4)) {
        if (++count > maxNodes)
            throw Broken{};
        const uint32_t at = node(n);
        uint32_t nu = u16(at + 2);
        for (;;) {
            const uint32_t right = node(at + nu * kUnit);
            nu += u16(right + 2);
            if (u16(right) != 0 || nu >= 0x10000)
                break;
            const uint32_t prev = u32(right + 8), next = u32(right + 4);
            setU32(node(prev) + 4, next);
            setU32(node(next) + 8, prev);
            setU16(at + 2, static_cast<uint16_t>(nu));
        }
    }

    count = 0;
    for (n = u32(head + 4); n != head;) {
        if (++count > maxNodes)
            throw Broken{};
        uint32_t at = node(n);
        const uint32_t next = u32(at + 4);
        unsigned nu = u16(at + 2);
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
    unsigned i0 = indexOf(oldUnits), i1 = indexOf(newUnits);
    if (i0 == i1)
        return block;
    if (freeList_[i1] != 0) {
        uint32_t moved = removeNode(i1);
        std::memcpy(memory_.get() + moved, memory_.get() + block, newUnits * kUnit);
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
    setU16(minContext_, 256);
    setU16(minContext_ + 2, 257);
    setU32(minContext_ + 4, loUnit_);
    setU32(minContext_ + 8, 0);
    foundState_ = loUnit_;
    for (unsigned i = 0; i < 256; ++i) {
        uint32_t s = loUnit_ + i * 6;
        memory_[s] = static_cast<uint8_t>(i);
        memory_[s + 1] = 1;
        setSuccessor(s, 0);
    }
    loUnit_ += 128 * kUnit;

    for (unsigned i = 0; i < 128; ++i)
        for (unsigned k = 0; k < 8; ++k)
            for (unsigned m = 0; m < 64; m += 8)
                binSumm_[i][k + m] = static_cast<uint16_t>(kBinScale - kInitBinEsc[k] / (i + 2));
    for (unsigned i = 0; i < 25; ++i)
        for (unsigned k = 0; k < 16; ++k)
            see_[i][k] = {static_cast<uint16_t>((5 * i + 10) << (kPeriodBits - 4)), kPeriodBits - 4, 4};
}

// Makes the contexts the found symbol leads to, from the deepest one that has it down to the
// current one, each with that single symbol. Returns the deepest, or 0 when memory is full.
uint32_t RarPpmd::createSuccessors(bool skip)
{
    uint32_t c = minContext_;
    const uint32_t upBranch = successor(foundState_);
    const uint8_t sym = symbol(foundState_);
    uint32_t states[kMaxOrder];
    unsigned count = 0;
    if (!skip)
        states[count++] = foundState_;
    while (suffix(c) != 0) {
        c = context(suffix(c));
        uint32_t s = numStats(c) != 1 ? findState(c, sym) : oneState(c);
        uint32_t next = successor(s);
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
    const uint8_t upSymbol = byteAt(upBranch);
    const uint32_t upSuccessor = upBranch + 1;
    uint8_t upFreq;
    if (numStats(c) == 1) {
        upFreq = freq(oneState(c));
    } else {
        uint32_t s = findState(c, upSymbol);
        uint32_t cf = uint32_t{freq(s)} - 1;
        uint32_t s0 = uint32_t{summFreq(c)} - numStats(c) - cf;
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
        setU16(c1, 1);
        memory_[c1 + 2] = upSymbol;
        memory_[c1 + 3] = upFreq;
        setU32(c1 + 4, upSuccessor);
        setU32(c1 + 8, c);
        setSuccessor(states[--count], c1);
        c = c1;
    }
    return c;
}

void RarPpmd::updateModel()
{
    uint32_t fSuccessor = successor(foundState_);
    const uint8_t fSymbol = symbol(foundState_);

    // The symbol gains in the context one order lower too.
    if (freq(foundState_) < kMaxFreq / 4 && suffix(minContext_) != 0) {
        uint32_t c = context(suffix(minContext_));
        if (numStats(c) == 1) {
            uint32_t s = oneState(c);
            if (freq(s) < 32)
                setFreq(s, freq(s) + 1);
        } else {
            uint32_t s = statesOf(c);
            if (symbol(s) != fSymbol) {
                s = findState(c, fSymbol);
                if (freq(s) >= freq(s - 6)) {
                    swapStates(s, s - 6);
                    s -= 6;
                }
            }
            if (freq(s) < kMaxFreq - 9) {
                setFreq(s, freq(s) + 2);
                setU16(c + 2, static_cast<uint16_t>(summFreq(c) + 2));
            }
        }
    }

    if (orderFall_ == 0) {
        minContext_ = maxContext_ = createSuccessors(true);
        if (minContext_ == 0) {
            restartModel();
            return;
        }
        setSuccessor(foundState_, minContext_);
        return;
    }

    // text_ stays below unitsStart_: it is checked here, and units are taken from the text
    // area's end only while they leave room above text_.
    memory_[text_++] = fSymbol;
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
        setSuccessor(foundState_, next);
        fSuccessor = minContext_;
    }

    // Every context escaped from on the way down learns the symbol.
    const unsigned ns = numStats(minContext_);
    const unsigned s0 = summFreq(minContext_) - ns - (freq(foundState_) - 1u);
    unsigned steps = 0;
    for (uint32_t c = maxContext_; c != minContext_; c = context(suffix(c))) {
        if (++steps > kMaxOrder + 1)
            throw Broken{};
        const unsigned ns1 = numStats(c);
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
                    uint32_t old = statesOf(c);
                    std::memcpy(memory_.get() + grown, memory_.get() + old, oldUnits * kUnit);
                    insertNode(old, i);
                    setU32(c + 4, grown);
                }
            }
            const unsigned sf = summFreq(c);
            setU16(c + 2, static_cast<uint16_t>(sf + (2 * ns1 < ns) + 2 * ((4 * ns1 <= ns) & (sf <= 8 * ns1))));
        } else {
            uint32_t s = allocUnits(0);
            if (s == 0) {
                restartModel();
                return;
            }
            copyState(s, oneState(c));
            setU32(c + 4, s);
            setFreq(s, freq(s) < kMaxFreq / 4 - 1 ? freq(s) * 2u : kMaxFreq - 4);
            setU16(c + 2, static_cast<uint16_t>(freq(s) + initEscape_ + (ns > 3)));
        }
        uint32_t cf = 2 * uint32_t{freq(foundState_)} * (summFreq(c) + 6u);
        const uint32_t sf = uint32_t{s0} + summFreq(c);
        if (cf < 6 * sf) {
            cf = 1 + (cf > sf) + (cf >= 4 * sf);
            setU16(c + 2, static_cast<uint16_t>(summFreq(c) + 3));
        } else {
            cf = 4 + (cf >= 9 * sf) + (cf >= 12 * sf) + (cf >= 15 * sf);
            setU16(c + 2, static_cast<uint16_t>(summFreq(c) + cf));
        }
        const uint32_t first = stats(c);
        if (ns1 >= 256 || first < kAlign || first > kAlign + size_ - (ns1 + 1) * 6)
            throw Broken{};
        const uint32_t s = first + ns1 * 6;
        setSuccessor(s, next);
        memory_[s] = fSymbol;
        setFreq(s, cf);
        setU16(c, static_cast<uint16_t>(ns1 + 1));
    }
    maxContext_ = minContext_ = context(fSuccessor);
}

// Halves the counts of the current context when one grew too large, keeping them sorted,
// and drops the states that fall to zero.
void RarPpmd::rescale()
{
    const uint32_t first = statesOf(minContext_);
    const unsigned before = numStats(minContext_);
    uint32_t s = foundState_;
    if (s < first || s >= first + before * 6 || (s - first) % 6 != 0)
        throw Broken{};
    uint8_t moved[6];
    std::memcpy(moved, memory_.get() + s, 6);
    for (; s != first; s -= 6)
        copyState(s, s - 6);
    std::memcpy(memory_.get() + first, moved, 6);

    unsigned escFreq = summFreq(minContext_) - freq(s);
    setFreq(s, freq(s) + 4u);
    const unsigned adder = orderFall_ != 0;
    setFreq(s, (freq(s) + adder) >> 1);
    unsigned sumFreq = freq(s);
    unsigned i = before - 1;
    do {
        s += 6;
        escFreq -= freq(s);
        setFreq(s, (freq(s) + adder) >> 1);
        sumFreq += freq(s);
        if (freq(s) > freq(s - 6)) {
            uint32_t to = s;
            std::memcpy(moved, memory_.get() + to, 6);
            do
                copyState(to, to - 6);
            while ((to -= 6) != first && moved[1] > freq(to - 6));
            std::memcpy(memory_.get() + to, moved, 6);
        }
    } while (--i != 0);

    if (freq(s) == 0) {
        do
            ++i;
        while (freq(s -= 6) == 0);
        escFreq += i;
        setU16(minContext_, static_cast<uint16_t>(before - i));
        if (numStats(minContext_) == 1) {
            std::memcpy(moved, memory_.get() + first, 6);
            do {
                moved[1] = static_cast<uint8_t>(moved[1] - (moved[1] >> 1));
                escFreq >>= 1;
            } while (escFreq > 1);
            insertNode(first, indexOf((before + 1) >> 1));
            foundState_ = oneState(minContext_);
            std::memcpy(memory_.get() + foundState_, moved, 6);
            return;
        }
        const unsigned n0 = (before + 1) >> 1, n1 = (numStats(minContext_) + 1u) >> 1;
        if (n0 != n1)
            setU32(minContext_ + 4, shrinkUnits(first, n0, n1));
    }
    setU16(minContext_ + 2, static_cast<uint16_t>(sumFreq + escFreq - (escFreq >> 1)));
    foundState_ = stats(minContext_);
}

void RarPpmd::nextContext()
{
    uint32_t c = successor(foundState_);
    if (orderFall_ == 0 && c > text_)
        minContext_ = maxContext_ = context(c);
    else
        updateModel();
}

void RarPpmd::update1()
{
    uint32_t s = foundState_;
    setFreq(s, freq(s) + 4u);
    setU16(minContext_ + 2, static_cast<uint16_t>(summFreq(minContext_) + 4));
    if (freq(s) > freq(s - 6)) {
        swapStates(s, s - 6);
        foundState_ = s -= 6;
        if (freq(s) > kMaxFreq)
            rescale();
    }
    nextContext();
}

void RarPpmd::update1First()
{
    prevSuccess_ = 2u * freq(foundState_) > summFreq(minContext_);
    runLength_ += static_cast<int32_t>(prevSuccess_);
    setU16(minContext_ + 2, static_cast<uint16_t>(summFreq(minContext_) + 4));
    setFreq(foundState_, freq(foundState_) + 4u);
    if (freq(foundState_) > kMaxFreq)
        rescale();
    nextContext();
}

void RarPpmd::update2()
{
    setU16(minContext_ + 2, static_cast<uint16_t>(summFreq(minContext_) + 4));
    setFreq(foundState_, freq(foundState_) + 4u);
    if (freq(foundState_) > kMaxFreq)
        rescale();
    runLength_ = initRunLength_;
    updateModel();
}

void RarPpmd::updateBinary()
{
    setFreq(foundState_, freq(foundState_) + (freq(foundState_) < 128 ? 1u : 0u));
    prevSuccess_ = 1;
    ++runLength_;
    nextContext();
}

// The escape's share in a context entered after an escape, adapted per kind of context.
RarPpmd::See &RarPpmd::escapeEstimate(unsigned masked, uint32_t &escape)
{
    const unsigned ns = numStats(minContext_);
    if (ns == 256) {
        escape = 1;
        return dummySee_;
    }
    const unsigned unmasked = ns - masked;
    const unsigned below = numStats(context(suffix(minContext_)));
    See &see = see_[statsToSeeIndex_[unmasked - 1]][(unmasked < below - ns) + 2 * (summFreq(minContext_) < 11 * ns) +
                                                     4 * (masked > unmasked) + highBits_];
    unsigned r = see.summ >> see.shift;
    see.summ = static_cast<uint16_t>(see.summ - r);
    escape = r + (r == 0);
    return see;
}

int RarPpmd::decodeSymbol()
{
    uint8_t mask[256];   // 0 for the symbols seen in a context already escaped from
    const unsigned ns = numStats(minContext_);
    if (ns != 1) {
        uint32_t s = statesOf(minContext_);
        const uint32_t count = threshold(summFreq(minContext_));
        uint32_t hiCnt = freq(s);
        if (count < hiCnt) {
            take(0, freq(s));
            foundState_ = s;
            const uint8_t sym = symbol(s);
            update1First();
            return sym;
        }
        prevSuccess_ = 0;
        for (unsigned i = ns - 1; i != 0; --i) {
            s += 6;
            if ((hiCnt += freq(s)) > count) {
                take(hiCnt - freq(s), freq(s));
                foundState_ = s;
                const uint8_t sym = symbol(s);
                update1();
                return sym;
            }
        }
        if (count >= summFreq(minContext_))
            return -1;
        highBits_ = highBitsFlag_[symbol(foundState_)];
        take(hiCnt, summFreq(minContext_) - hiCnt);
        std::memset(mask, 0xFF, sizeof mask);
        for (uint32_t first = stats(minContext_);; s -= 6) {
            mask[symbol(s)] = 0;
            if (s == first)
                break;
        }
    } else {
        const uint32_t one = oneState(minContext_);
        const unsigned f = freq(one);
        const unsigned below = numStats(context(suffix(minContext_)));
        if (f == 0 || f > 128 || below == 0 || below > 256)
            throw Broken{};
        highBits_ = highBitsFlag_[symbol(foundState_)];
        uint16_t &prob = binSumm_[f - 1][prevSuccess_ + statsToBinIndex_[below - 1] + highBits_ +
                                         2 * highBitsFlag_[symbol(one)] + ((runLength_ >> 26) & 0x20)];
        if (threshold(kBinScale) < prob) {
            take(0, prob);
            prob = static_cast<uint16_t>(prob + (1u << kIntBits) - Mean(prob));
            foundState_ = one;
            const uint8_t sym = symbol(one);
            updateBinary();
            return sym;
        }
        take(prob, kBinScale - prob);
        prob = static_cast<uint16_t>(prob - Mean(prob));
        if ((prob >> 10) >= sizeof kExpEscape)
            throw Broken{};
        initEscape_ = kExpEscape[prob >> 10];
        std::memset(mask, 0xFF, sizeof mask);
        mask[symbol(one)] = 0;
        prevSuccess_ = 0;
    }

    // Escapes: down the suffixes to a context with a symbol not seen yet.
    for (unsigned steps = 0;;) {
        const unsigned masked = numStats(minContext_);
        do {
            ++orderFall_;
            const uint32_t below = suffix(minContext_);
            if (below == 0)
                return -1;
            if (++steps > kMaxOrder + 1)
                throw Broken{};
            minContext_ = context(below);
        } while (numStats(minContext_) == masked);
        const unsigned count = numStats(minContext_);
        if (count < masked)
            throw Broken{};
        uint32_t s = statesOf(minContext_);
        const uint32_t end = s + count * 6;
        const unsigned unmasked = count - masked;
        uint32_t candidates[256];
        uint32_t hiCnt = 0;
        unsigned n = 0;
        for (; n != unmasked; s += 6) {
            if (s == end)
                throw Broken{};
            if (mask[symbol(s)] != 0) {
                hiCnt += freq(s);
                candidates[n++] = s;
            }
        }
        uint32_t total = 0;
        See &see = escapeEstimate(masked, total);
        total += hiCnt;
        const uint32_t target = threshold(total);
        if (target < hiCnt) {
            unsigned k = 0;
            for (hiCnt = freq(candidates[0]); hiCnt <= target; hiCnt += freq(candidates[k]))
                ++k;
            s = candidates[k];
            take(hiCnt - freq(s), freq(s));
            if (see.shift < kPeriodBits && --see.count == 0) {
                see.summ = static_cast<uint16_t>(see.summ << 1);
                see.count = static_cast<uint8_t>(3 << see.shift++);
            }
            foundState_ = s;
            const uint8_t sym = symbol(s);
            update2();
            return sym;
        }
        if (target >= total)
            return -1;
        take(hiCnt, total - hiCnt);
        see.summ = static_cast<uint16_t>(see.summ + total);
        for (unsigned k = 0; k < n; ++k)
            mask[symbol(candidates[k])] = 0;
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

// RAR's range decoder keeps the interval's low end and compares against the code (the
// 7-Zip variant subtracts from the code instead); both shift a byte in when the top byte is
// settled, and RAR's also when the range falls below 2^15.
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
    if (range_ == 0)   // only from counts no model gives: normalizing would never end
        throw Broken{};
    normalize();
}

void RarPpmd::normalize()
{
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
