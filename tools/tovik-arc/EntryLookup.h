// Finding one entry of an archive by the name a user typed, for the subcommands that
// extract.
#ifndef TOVIK_TOOLS_TOVIKARC_ENTRYLOOKUP_H
#define TOVIK_TOOLS_TOVIKARC_ENTRYLOOKUP_H

#include <cstdint>
#include <string>

class TLxArcImpl;

namespace tovik::arc {

struct FoundEntry {
    std::string storedName;   // CP932, as the library lists it
    int64_t originalSize = 0;
};

// Chooses the library for path, lists the archive and finds the entry whose stored name, or
// its UTF-8 form, is name. On failure prints the reason and answers false.
// libraryChosen: ChooseLibrary has already picked the library for path.
bool FindArchiveEntry(TLxArcImpl &impl, const std::string &path, const std::string &name, FoundEntry &found,
                      bool libraryChosen = false);

} // namespace tovik::arc

#endif
