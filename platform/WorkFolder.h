// The private extraction folder below the work folder.
//
// Entries opened with an outside application are extracted into one sub-folder of the work
// folder. The work folder is often a shared temporary folder, so the sub-folder is a classic
// attack point: another user can plant a link or a folder of their own under that name and
// have our extraction write where they choose, or have our clean-up delete their choice.
// The program therefore uses the sub-folder only when it is a real directory (not a link)
// owned by the user, creates it itself with mode 0700, and deletes it under the same
// conditions without ever following a link.
#ifndef TOVIK_PLATFORM_WORKFOLDER_H
#define TOVIK_PLATFORM_WORKFOLDER_H

#include <string>

namespace tovik::platform {

// Name of the extraction sub-folder.
inline constexpr const char *kExtractFolderName = "KelmoraTemp";

// True when path names a real directory (not a link) owned by the calling user.
bool IsOwnPrivateFolder(const std::string &path);

// Makes sure path is usable as the private extraction folder: creates it with mode 0700
// when it is absent (its parent must exist), accepts it when it already is one of our own
// directories. False when it exists as a link, a file or someone else's directory, or
// when it cannot be created.
bool EnsurePrivateFolder(const std::string &path);

// Deletes path with everything in it, when it is one of our own directories. Links inside
// are removed, never followed. False when path is absent, foreign, a link, or not entirely
// removed.
bool RemovePrivateFolder(const std::string &path);

} // namespace tovik::platform

#endif
