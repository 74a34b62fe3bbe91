// Types shared by the archiver wrappers, the registry and their callers.
#ifndef TOVIK_ARCHIVE_LXARCIMPLTYPES_H
#define TOVIK_ARCHIVE_LXARCIMPLTYPES_H

#include "archive/LxArcDefine.h"
#include "platform/DosDateTime.h"

#include <cstdint>
#include <memory>
#include <string>

using tovik::platform::TDateTime;

// One entry as read from a library, filled by TLxArchiveBase::ReadEntryInfo.
struct TIndivisualInfoEX {
    // Byte counts. Libraries that export the 64-bit getters give them whole; otherwise the
    // 32-bit value is taken as unsigned, so entries of 2 GiB to 4 GiB keep their size, and
    // 0xFFFFFFFF ("unknown") becomes -1.
    int64_t OriginalSize = 0;
    int64_t CompressedSize = 0;
    uint32_t CRC = 0;
    uint16_t Ratio = 0;         // compressed / original, tenths of a percent
    TDateTime DateTime = 0;     // days since 1899-12-30, local time as stored
    std::string FileName;       // stored path, CP932 bytes, separators "/" or "\"
    uint32_t Attribute = 0;     // MS-DOS attribute bits
};

class TLxArchiveBase;

// A wrapper "class reference": the virtual constructor of one wrapper class. Each class has
// a static Create with this signature; the registry keeps one per row.
using TLxArchiveClass = std::unique_ptr<TLxArchiveBase> (*)(const std::string &LibraryName,
                                                           const std::string &Prefix);

#endif
