// Runs the Rar library's look at packed streams as an extraction of the entry whose header is
// at POSITION does after reading through the entries before it, and prints the verdict.
//   RarCheckBench ARCHIVE POSITION
#include "archivers/unrar32/RarFilterCheck.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    bool sound = tovik::archivers::RarEntrySound(argv[1], std::strtoll(argv[2], nullptr, 10), true, UINT64_MAX);
    std::printf("%s\t%s\n", sound ? "sound" : "refused", argv[1]);
    return sound ? 0 : 1;
}
