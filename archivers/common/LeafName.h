// The one rule that turns a stored entry path into a name written to disk.
//
// Stored paths are CP932 bytes whose folders are separated by "/" or "\". Extraction keeps
// only the last part, without its folders. 0x5C ("\") is also a trail byte of two-byte
// characters (0x835C is "ソ"), so the path is walked character by character and only a "\"
// that stands alone separates folders. Every library calls CleanLeafName wherever a name
// meets the file system; the viewer uses it to know the name of the file it asked for.
#ifndef TOVIK_ARCHIVERS_LEAFNAME_H
#define TOVIK_ARCHIVERS_LEAFNAME_H

#include <optional>
#include <string>
#include <string_view>

namespace tovik::archivers {

// The part of a stored CP932 path after its last separator (empty for "dir/").
std::string_view StoredLeaf(std::string_view cp932Path);

// The stored path with every separator "\" that stands alone replaced by "/".
std::string NormalizeSeparators(std::string_view cp932Path);

// The file-system name (UTF-8) under which the entry is written: the leaf of the stored path,
// converted from CP932, with NUL and control characters replaced by "_". Answers nothing when
// no safe name remains (an empty leaf, "." or ".."): such an entry is never written.
std::optional<std::string> CleanLeafName(std::string_view cp932Path);

} // namespace tovik::archivers

#endif
