// LZH and ARJ archives written byte by byte whose checksums are right but whose fields lie:
// header lengths, name lengths, sizes and extended-header chains. Random damage never gets
// past a checksum; these do, and so reach the parsers' own bounds.
#ifndef TOVIK_TESTS_HOSTILEHEADERS_H
#define TOVIK_TESTS_HOSTILEHEADERS_H

#include <cstdint>
#include <string>
#include <vector>

namespace tovik::tests {

using Bytes = std::vector<uint8_t>;

// One LZH entry header of level 0 or 1 with its data. checksumDelta is added to the header's
// checksum byte (0: right). nameLength, when not negative, is written in place of the name's.
struct Lzh01 {
    int level = 0;
    std::string name = "a.txt";
    std::string method = "-lh0-";
    uint32_t packed = 0xFFFFFFFFu;    // 0xFFFFFFFF: the data's length
    uint32_t original = 0xFFFFFFFFu;  // 0xFFFFFFFF: the data's length
    std::string data = "hello";
    int checksumDelta = 0;
    int nameLength = -1;
};
Bytes LzhHeader01(const Lzh01 &h);

// A level-2 header with the given extended headers (type byte first) and its whole-header CRC;
// sizeFieldDelta is added to the total header size after the CRC is made.
Bytes LzhHeader2(const std::string &data, const std::vector<std::string> &extended, uint32_t packed, uint32_t original,
                 int sizeFieldDelta = 0);

// A level-3 header (32-bit sizes throughout) with the given extended headers (type byte first)
// and its whole-header CRC. total, when not 0, is written as the header's length in place of
// the real one, and the CRC is then made over that many bytes of the file, so that it holds
// for what a reader takes as the header. sizeWord is the first field (4 is right);
// lastExtendedSize, when not 0, is written as the last extended header's length.
Bytes LzhHeader3(const std::string &data, const std::vector<std::string> &extended, uint32_t packed, uint32_t original,
                 uint32_t total = 0, uint16_t sizeWord = 4, uint32_t lastExtendedSize = 0);

// An ARJ main header, one file header and the end mark. firstSize is the file header's
// first_hdr_size byte (30 is right); the header CRC is always right.
Bytes ArjArchive(const std::string &name, const std::string &data, unsigned firstSize = 30,
                 uint32_t packed = 0xFFFFFFFFu, uint32_t original = 0xFFFFFFFFu);

// Every hostile archive of both formats, for the sanitizer runs and the fuzzers' seeds.
std::vector<Bytes> HostileHeaders();

} // namespace tovik::tests

#endif
