#include "HostileHeaders.h"

#include "archivers/codecs/Crc.h"

#include <algorithm>

namespace tovik::tests {
namespace {

void put16(Bytes &b, uint16_t v)
{
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(Bytes &b, uint32_t v)
{
    put16(b, static_cast<uint16_t>(v));
    put16(b, static_cast<uint16_t>(v >> 16));
}

void append(Bytes &b, const std::string &s)
{
    b.insert(b.end(), s.begin(), s.end());
}

uint16_t crc16(const std::string &s)
{
    return codecs::Crc16(0, reinterpret_cast<const uint8_t *>(s.data()), s.size());
}

} // namespace

Bytes LzhHeader01(const Lzh01 &h)
{
    const uint32_t packed = h.packed == 0xFFFFFFFFu ? static_cast<uint32_t>(h.data.size()) : h.packed;
    const uint32_t original = h.original == 0xFFFFFFFFu ? static_cast<uint32_t>(h.data.size()) : h.original;
    Bytes b{0, 0};
    append(b, h.method);
    put32(b, packed + (h.level == 1 ? 0u : 0u));
    put32(b, original);
    put32(b, 0x5A8F6000);   // 2025-04-15 12:00
    b.push_back(h.level == 0 ? 0x20 : 0x20);
    b.push_back(static_cast<uint8_t>(h.level));
    b.push_back(static_cast<uint8_t>(h.nameLength >= 0 ? h.nameLength : static_cast<int>(h.name.size())));
    append(b, h.name);
    put16(b, crc16(h.data));
    if (h.level == 1) {
        b.push_back('M');
        put16(b, 0);   // no extended header
    }
    b[0] = static_cast<uint8_t>(b.size() - 2);
    unsigned sum = 0;
    for (std::size_t i = 2; i < b.size(); ++i)
        sum += b[i];
    b[1] = static_cast<uint8_t>(sum + static_cast<unsigned>(h.checksumDelta));
    append(b, h.data);
    b.push_back(0);
    return b;
}

Bytes LzhHeader2(const std::string &data, const std::vector<std::string> &extended, uint32_t packed, uint32_t original,
                 int sizeFieldDelta)
{
    Bytes b{0, 0};
    append(b, "-lh0-");
    put32(b, packed);
    put32(b, original);
    put32(b, 1700000000);
    b.push_back(0x20);
    b.push_back(2);
    put16(b, crc16(data));
    b.push_back('U');
    // The header CRC extension first, zero while the CRC is made.
    put16(b, 5);
    b.push_back(0x00);
    const std::size_t crcAt = b.size();
    put16(b, 0);
    for (const std::string &e : extended) {
        put16(b, static_cast<uint16_t>(e.size() + 2));
        append(b, e);
    }
    put16(b, 0);
    b[0] = static_cast<uint8_t>(b.size());
    b[1] = static_cast<uint8_t>(b.size() >> 8);
    const uint16_t crc = codecs::Crc16(0, b.data(), b.size());
    b[crcAt] = static_cast<uint8_t>(crc);
    b[crcAt + 1] = static_cast<uint8_t>(crc >> 8);
    const unsigned total = static_cast<unsigned>(static_cast<int>(b.size()) + sizeFieldDelta);
    b[0] = static_cast<uint8_t>(total);
    b[1] = static_cast<uint8_t>(total >> 8);
    append(b, data);
    b.push_back(0);
    return b;
}

Bytes LzhHeader3(const std::string &data, const std::vector<std::string> &extended, uint32_t packed, uint32_t original,
                 uint32_t total, uint16_t sizeWord, uint32_t lastExtendedSize)
{
    Bytes b;
    put16(b, sizeWord);
    append(b, "-lh0-");
    put32(b, packed);
    put32(b, original);
    put32(b, 1700000000);
    b.push_back(0x20);
    b.push_back(3);
    put16(b, crc16(data));
    b.push_back('U');
    put32(b, 0);   // the header's length, below
    // The header CRC extension first, zero while the CRC is made.
    put32(b, 7);
    b.push_back(0x00);
    const std::size_t crcAt = b.size();
    put16(b, 0);
    for (std::size_t i = 0; i < extended.size(); ++i) {
        const bool last = i + 1 == extended.size();
        put32(b, last && lastExtendedSize != 0 ? lastExtendedSize : static_cast<uint32_t>(extended[i].size() + 4));
        append(b, extended[i]);
    }
    put32(b, 0);
    if (total == 0)
        total = static_cast<uint32_t>(b.size());
    for (int i = 0; i < 4; ++i)
        b[24 + i] = static_cast<uint8_t>(total >> (8 * i));
    append(b, data);
    b.push_back(0);
    const uint16_t crc = codecs::Crc16(0, b.data(), std::min<std::size_t>(total, b.size()));
    b[crcAt] = static_cast<uint8_t>(crc);
    b[crcAt + 1] = static_cast<uint8_t>(crc >> 8);
    return b;
}

namespace {

// A basic header: 60 EA, size, the bytes, their CRC-32, no extended header.
void arjHeader(Bytes &out, const Bytes &basic)
{
    out.push_back(0x60);
    out.push_back(0xEA);
    put16(out, static_cast<uint16_t>(basic.size()));
    out.insert(out.end(), basic.begin(), basic.end());
    put32(out, codecs::Crc32(0, basic.data(), basic.size()));
    put16(out, 0);
}

Bytes arjFixed(unsigned firstSize, uint8_t type, uint32_t packed, uint32_t original, uint32_t crc)
{
    Bytes b{static_cast<uint8_t>(firstSize), 11, 1, 0, 0, 0, type, 0};
    put32(b, 0x5A8F6000);
    put32(b, packed);
    put32(b, original);
    put32(b, crc);
    put16(b, 0);
    put16(b, 0x20);
    b.push_back(0);
    b.push_back(0);
    return b;
}

} // namespace

Bytes ArjArchive(const std::string &name, const std::string &data, unsigned firstSize, uint32_t packed,
                 uint32_t original)
{
    Bytes out;
    Bytes main = arjFixed(30, 2, 0, 0, 0);
    append(main, "hostile.arj");
    main.push_back(0);
    main.push_back(0);
    arjHeader(out, main);
    const uint32_t crc = codecs::Crc32(0, reinterpret_cast<const uint8_t *>(data.data()), data.size());
    Bytes file = arjFixed(firstSize, 0, packed == 0xFFFFFFFFu ? static_cast<uint32_t>(data.size()) : packed,
                          original == 0xFFFFFFFFu ? static_cast<uint32_t>(data.size()) : original, crc);
    append(file, name);
    file.push_back(0);
    file.push_back(0);
    arjHeader(out, file);
    append(out, data);
    out.push_back(0x60);
    out.push_back(0xEA);
    put16(out, 0);
    return out;
}

std::vector<Bytes> HostileHeaders()
{
    std::vector<Bytes> all;
    // ARJ: the name's start beyond the header, at its end, sizes past the file.
    for (unsigned first : {30u, 31u, 40u, 44u, 60u, 200u, 255u})
        all.push_back(ArjArchive("name.txt", "hello", first));
    all.push_back(ArjArchive("big.txt", "hello", 30, 0xFFFFFFF0u, 0xFFFFFFF0u));
    all.push_back(ArjArchive("bomb.txt", "hello", 30, 5, 0x7FFFFFFF));
    // LZH levels 0 and 1: name lengths past the header, sizes past the file, a bomb claim.
    for (int level : {0, 1}) {
        for (int nameLength : {-1, 0, 40, 200, 255}) {
            Lzh01 h;
            h.level = level;
            h.nameLength = nameLength;
            all.push_back(LzhHeader01(h));
        }
        Lzh01 big;
        big.level = level;
        big.packed = 0xFFFFFFF0u;
        big.original = 0xFFFFFFF0u;
        all.push_back(LzhHeader01(big));
        Lzh01 bomb;
        bomb.level = level;
        bomb.method = "-lh5-";
        bomb.original = 0x80000000u;
        all.push_back(LzhHeader01(bomb));
    }
    // Level 2: extended headers whose sizes run past the header, a 64-bit size of 2^63 and
    // more, names without an end, a header size that lies.
    const std::string sizes63("\x42\x05\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x80", 17);
    all.push_back(LzhHeader2("hello", {std::string("\x01", 1) + "a.txt", sizes63}, 5, 5));
    all.push_back(LzhHeader2("hello", {std::string("\x01", 1) + "a.txt"}, 5, 5, 40));
    all.push_back(LzhHeader2("hello", {std::string("\x01", 1) + "a.txt"}, 5, 5, -6));
    all.push_back(LzhHeader2("hello", {std::string("\x02\xff\xff\xff", 4), std::string("\x01", 1) + "a"}, 5, 5));
    all.push_back(LzhHeader2("hello", {std::string("\x44", 1) + "a", std::string("\x45", 1) + "\xff"}, 5, 5));
    // Level 3: the same lies in 32-bit fields; header lengths past the file, past any
    // plausible header and short of the extended headers; extended-header lengths past the
    // header or too short to hold their own type. Every CRC holds.
    const std::string name = std::string("\x01", 1) + "a.txt";
    std::string bomb(17, '\0');
    bomb[0] = 0x42;
    bomb[1] = 5;
    bomb[16] = 1;   // 2^56 bytes from five
    all.push_back(LzhHeader3("hello", {name}, 5, 5));
    all.push_back(LzhHeader3("hello", {name, sizes63}, 5, 5));
    all.push_back(LzhHeader3("hello", {name, bomb}, 5, 5));
    all.push_back(LzhHeader3("hello", {name}, 5, 5, 0, 2));
    for (uint32_t total : {31u, 33u, 40u, 46u, 60u, 4096u, 0x100001u, 0xFFFFFFFFu})
        all.push_back(LzhHeader3("hello", {name}, 5, 5, total));
    for (uint32_t size : {0xFFFFFFFFu, 0x7FFFFFFFu, 3u, 4u, 5u, 0x40u})
        all.push_back(LzhHeader3("hello", {name, std::string("\x02", 1) + "dir"}, 5, 5, 0, 4, size));
    all.push_back(LzhHeader3("hello", {std::string("\x44", 1) + "a", std::string("\x45", 1) + "\xff"}, 5, 5));
    all.push_back(LzhHeader3("hello", {name}, 0xFFFFFFF0u, 0xFFFFFFF0u));
    return all;
}

} // namespace tovik::tests
