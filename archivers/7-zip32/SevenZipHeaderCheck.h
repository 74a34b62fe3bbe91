// A look at a 7z file's header before libarchive reads it.
//
// libarchive believes the folder and pack-stream counts of a 7z header and reserves and walks
// that many records: a 200-byte file that claims fifty million folders costs gigabytes of
// memory and a minute of work; so does a count of files or substreams, which most archives
// keep in an LZMA-packed header. A count can never exceed the header's length in bytes (every
// record takes at least one; a file without data a bit), so a header that claims more is
// refused here.
#ifndef TOVIK_ARCHIVERS_SEVENZIPHEADERCHECK_H
#define TOVIK_ARCHIVERS_SEVENZIPHEADERCHECK_H

#include <cstdint>

namespace tovik::archivers {

// False when the 7z header of the file at path claims more records than it can hold. Files
// without a 7z signature, and headers this check does not follow, answer true.
bool SevenZipHeaderPlausible(const char *path);

// The offset of a 7z archive behind a program stub ("MZ" or ELF), found by a signature whose
// start header checksum holds, within the first 16 MiB; 0 when there is none.
uint64_t SevenZipEmbeddedStart(const char *path);

} // namespace tovik::archivers

#endif
