// Runs the Rar library's look at packed streams over each file named, as an extraction of its
// last entry after reading through the others does, and prints each verdict.
#include "archivers/unrar32/RarFilterCheck.h"

#include <archive.h>
#include <archive_entry.h>
#include <cstdint>
#include <cstdio>

int main(int argc, char **argv)
{
    int refused = 0;
    for (int i = 1; i < argc; ++i) {
        // Where libarchive finds the last header.
        int64_t last = 0;
        archive *a = archive_read_new();
        archive_read_support_format_rar(a);
        if (archive_read_open_filename(a, argv[i], 65536) == ARCHIVE_OK) {
            archive_entry *entry = nullptr;
            while (archive_read_next_header(a, &entry) == ARCHIVE_OK)
                last = archive_read_header_position(a);
        }
        archive_read_free(a);
        bool sound = tovik::archivers::RarEntrySound(argv[i], last, true);
        refused += sound ? 0 : 1;
        std::printf("%s\t%s\n", sound ? "sound" : "refused", argv[i]);
    }
    return refused;
}
