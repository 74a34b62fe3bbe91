// Runs the Rar library's look at packed streams over each file named, as the first extraction
// from an archive does, and prints each verdict.
#include "archivers/unrar32/RarFilterCheck.h"

#include <cstdio>

int main(int argc, char **argv)
{
    int refused = 0;
    for (int i = 1; i < argc; ++i) {
        bool sound = tovik::archivers::RarFiltersSound(argv[i]);
        refused += sound ? 0 : 1;
        std::printf("%s\t%s\n", sound ? "sound" : "refused", argv[i]);
    }
    return refused;
}
