// Reading the command lines that the viewer hands to a library.
//
// Extraction (command entry), in the forms the viewer's wrappers build:
//   -x -j "A" "D" "E"             every path quoted
//   e "A" "D" E"                  the entry with a closing quote only (it may hold blanks)
//   -x --use-directory=0 A D E    no quotes at all
// and memory extraction:  "A" "E"  (with a trailing blank).
// Inside a quoted path a doubled quote ("") stands for one quote character, so that any path
// a file system holds (every byte but NUL) survives the line. The viewer's wrappers write
// every path in that form.
// A is the archive, D the destination folder, E the stored entry path. Without quotes a
// blank inside a path cannot be told from a separator, so such a line yields every possible
// reading; the library takes the first whose archive exists and holds the entry.
#ifndef TOVIK_ARCHIVERS_COMMANDLINE_H
#define TOVIK_ARCHIVERS_COMMANDLINE_H

#include <string>
#include <string_view>
#include <vector>

namespace tovik::archivers {

struct CommandTarget {
    std::string archive;
    std::string folder;   // empty for memory extraction
    std::string entry;
};

struct ParsedCommand {
    bool extract = false;                 // an extraction command ("-x", "x", "e", "-e") was given
    std::vector<std::string> switches;    // every switch and command word, as written
    std::vector<CommandTarget> targets;   // possible readings, best first; empty = unreadable
};

// A command-entry line: switches, then archive, folder and entry.
ParsedCommand ParseExtractCommand(std::string_view line);
// A memory-extraction line: optional switches, then archive and entry.
ParsedCommand ParseMemoryCommand(std::string_view line);

} // namespace tovik::archivers

#endif
