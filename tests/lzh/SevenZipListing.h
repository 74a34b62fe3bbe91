// The technical listing of 7-Zip ("7zz l -slt"), read into records: an independent lister
// for the LZH and ARJ tests.
#ifndef TOVIK_TESTS_SEVENZIPLISTING_H
#define TOVIK_TESTS_SEVENZIPLISTING_H

#include "ToolArchive.h"

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace tovik::tests {

using SevenZipRecord = std::map<std::string, std::string>;

inline std::vector<SevenZipRecord> SevenZipList(const ScratchDir &dir, const std::string &archive)
{
    std::vector<SevenZipRecord> records;
    if (dir.runTo("7zz l -slt '" + archive + "'", "7z-listing.txt") != 0)
        return records;
    std::istringstream in(dir.read("7z-listing.txt"));
    std::string line;
    bool body = false;
    SevenZipRecord current;
    while (std::getline(in, line)) {
        if (line == "----------") {
            body = true;
            continue;
        }
        if (!body)
            continue;
        if (line.empty()) {
            if (!current.empty())
                records.push_back(current);
            current.clear();
            continue;
        }
        auto eq = line.find(" = ");
        if (eq != std::string::npos)
            current[line.substr(0, eq)] = line.substr(eq + 3);
    }
    if (!current.empty())
        records.push_back(current);
    return records;
}

} // namespace tovik::tests

#endif
