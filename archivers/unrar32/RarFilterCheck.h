// A look at the compressed data of a RAR 4 archive before libarchive decodes it.
//
// libarchive 3.6.2 takes the size of a decoder program's static data from the program's own
// bytes without a bound, then reserves and fills that many bytes: a hundred-byte archive can
// ask for 4 GB and many seconds. The check walks the LZ streams an extraction is about to decode
// (Huffman tables, symbols, the bits of each match, the filter records) without decoding any data and
// without allocating by a declared size, and refuses a stream whose filter program declares
// static data of the virtual machine's whole memory (256 KiB) or more: no writer makes one, as
// the program that carries it is at most 64 KiB long.
#ifndef TOVIK_ARCHIVERS_RARFILTERCHECK_H
#define TOVIK_ARCHIVERS_RARFILTERCHECK_H

#include <cstdint>
#include <cstddef>

namespace tovik::archivers {

// What the walk of one LZ stream found.
enum class RarStreamVerdict {
    Sound,        // walked to its end, nothing out of bounds
    Unknown,      // the walk stopped early (PPMd block, broken code): libarchive decides
    Hostile,      // a filter program declares static data past every bound
};

// Walks one packed stream held in memory, starting with fresh tables (a non-solid entry).
RarStreamVerdict CheckRarStream(const uint8_t *data, std::size_t size);

// False when the RAR 4 entry whose header libarchive found at position (0 for the first) in
// the archive at path (after a program stub too) carries a hostile filter, or when one of the
// entries decoded before it does: those of its solid run, and every earlier one when
// earlierToo. True for every file that is not RAR 4 or cannot be read: libarchive reports
// those itself. Reads the file in blocks; memory does not grow with the entries' sizes.
bool RarEntrySound(const char *path, int64_t position, bool earlierToo);

} // namespace tovik::archivers

#endif
