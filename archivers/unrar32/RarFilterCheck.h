// A look at the compressed data of a RAR 4 archive before libarchive decodes it.
//
// libarchive 3.6.2 takes the size of a decoder program's static data from the program's own
// bytes without a bound, then reserves and fills that many bytes: a hundred-byte archive can
// ask for 4 GB and many seconds. The check walks the streams an extraction is about to decode
// (Huffman tables, symbols, the bits of each match, the filter records) without decoding any data and
// without allocating by a declared size, and refuses a stream whose filter program declares
// static data of the virtual machine's whole memory (256 KiB) or more: no writer makes one, as
// the program that carries it is at most 64 KiB long.
//
// A PPMd block can end in an escape that switches the stream to LZ, so the walk decodes PPMd
// blocks' symbols with a model of its own (RarPpmd), in the memory their header declares (at
// most 256 MiB, as libarchive takes it too). What those symbols make is counted, and the walk
// ends where libarchive stops: at the entry's size.
#ifndef TOVIK_ARCHIVERS_RARFILTERCHECK_H
#define TOVIK_ARCHIVERS_RARFILTERCHECK_H

#include <cstdint>
#include <cstddef>

namespace tovik::archivers {

// What the walk of one packed stream found.
enum class RarStreamVerdict {
    Sound,        // walked to its end, nothing out of bounds
    Unknown,      // the walk stopped early (broken code, or libarchive stops there): libarchive decides
    Hostile,      // a filter program declares static data past every bound
};

// Walks one packed stream held in memory, starting with fresh tables (a non-solid entry) whose
// size is declared as unpacked bytes.
RarStreamVerdict CheckRarStream(const uint8_t *data, std::size_t size, uint64_t unpacked = UINT64_MAX);

// The walk of the RAR 4 entry whose header libarchive found at position (0 for the first) in
// the archive at path (after a program stub too), after the entries decoded before it (those
// of its solid run, and every earlier one when earlierToo). Hostile when it or one of those
// carries a hostile filter; Sound when its stream was walked to its end or holds nothing to
// decode; Unknown otherwise, and for every file that is not RAR 4 or cannot be read. Reads
// the file in blocks; memory does not grow with the entries' sizes, but a PPMd block's model
// takes what its header declares. When only the first wanted bytes of the entry are read,
// its PPMd symbols are walked only as far as libarchive decodes ahead of them.
RarStreamVerdict CheckRarEntry(const char *path, int64_t position, bool earlierToo, uint64_t wanted = UINT64_MAX);

// False when CheckRarEntry finds the entry hostile. True for every file that is not RAR 4 or
// cannot be read: libarchive reports those itself.
bool RarEntrySound(const char *path, int64_t position, bool earlierToo, uint64_t wanted);

} // namespace tovik::archivers

#endif
