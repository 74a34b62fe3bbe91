// The layout of a 7z file's header, read on its own.
//
// libarchive does not report what a 7z entry takes in the archive; the header says it. It
// lists the packed streams with their sizes, the folders (chains of coders) that read them and
// how many files each folder's output holds. A folder of one file gives that file its packed
// size; a folder of several (a solid block) has one packed size for them all, given to its
// first file, and the others' share is unknown.
//
// The header is untrusted: every count and size is checked against the bytes that hold it
// and against the file's size before anything is reserved, and a header that does not hold
// together is refused as a whole. A header packed with LZMA or LZMA2 (the usual "encoded
// header") is decoded first, its dictionary no larger than its output.
#ifndef TOVIK_ARCHIVERS_SEVENZIPDIRECTORY_H
#define TOVIK_ARCHIVERS_SEVENZIPDIRECTORY_H

#include <cstdint>
#include <string>
#include <vector>

namespace tovik::archivers {

// Reads a 7z header's bytes in order. Past the end it reads zeros and clears ok.
struct SevenZipBytes {
    const uint8_t *p;
    const uint8_t *end;
    bool ok = true;

    uint64_t remaining() const { return static_cast<uint64_t>(end - p); }
    uint8_t byte()
    {
        if (p >= end) {
            ok = false;
            return 0;
        }
        return *p++;
    }
    // The variable-length number: the leading one bits of the first byte count the bytes that
    // follow, the rest of the first byte are the highest bits.
    uint64_t number()
    {
        uint8_t first = byte();
        uint8_t mask = 0x80;
        uint64_t value = 0;
        for (int i = 0; i < 8; ++i) {
            if ((first & mask) == 0)
                return value | (static_cast<uint64_t>(first & (mask - 1)) << (8 * i));
            value |= static_cast<uint64_t>(byte()) << (8 * i);
            mask >>= 1;
        }
        return value;
    }
    void skip(uint64_t n)
    {
        if (n > remaining()) {
            ok = false;
            p = end;
        } else {
            p += n;
        }
    }
};

struct SevenZipFile {
    bool hasData = false;      // false for folders, empty files and deletion marks
    uint64_t size = 0;         // unpacked
    uint64_t packedSize = 0;   // kUnknownSize for the files after the first of a solid block
    uint64_t blockSize = 0;    // the first file of a solid block: the block's unpacked size
};

// Reads the header of the 7z archive in the file at path, in header order (libarchive's order).
// The archive's signature is looked for at start, and when start is 0 also behind a program
// stub within the window libarchive searches. Answers false (files empty) when there is no
// archive, the header is damaged, encrypted, packed by another method or does not hold
// together. *lying (when given) tells whether it was refused for a count of records (files,
// folders, streams) that the header's bytes cannot hold, or for a header whose checksum is
// wrong behind a start header whose checksum holds: libarchive reserves memory by such counts
// before it finds out.
bool ReadSevenZipDirectory(const std::string &path, uint64_t start, std::vector<SevenZipFile> &files,
                           bool *lying = nullptr);

} // namespace tovik::archivers

#endif
