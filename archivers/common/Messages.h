// The messages every archiver library answers with, chosen once so that all libraries speak
// alike. The texts are kept in UTF-8 here and handed to callers in CP932.
#ifndef TOVIK_ARCHIVERS_MESSAGES_H
#define TOVIK_ARCHIVERS_MESSAGES_H

#include "archivers/common/ArchiveReader.h"

#include <cstddef>
#include <string_view>

namespace tovik::archivers {

enum class Message {
    ArchiveNotFound,   // the archive file is missing or unreadable
    EntryNotFound,     // no file of that name in the archive
    Corrupt,
    WriteFailed,
    Encrypted,
    Unsupported,
    OutOfMemory,
    BadCommand,        // a command line the library does not understand
    Busy,              // another extraction of this library is running
    BadName,           // the entry has no name that can be written safely
    NotArchive,        // the file is not one of this library's formats
    NotAFile,          // the entry is a link, a device or a FIFO
    NoSpace,           // the destination has less free space than the entry declares
    Extracted,         // success
};

// The text of a message, UTF-8.
std::string_view MessageText(Message message);
// The message that reports a reader's failure (ReadError::None gives Extracted).
Message MessageFor(ReadError error);

// Writes text (UTF-8) as CP932 into buffer, NUL-terminated, cut to size - 1 bytes at a
// character boundary. Does nothing when buffer is null or size is 0.
void WriteMessage(char *buffer, std::size_t size, std::string_view utf8);

} // namespace tovik::archivers

#endif
