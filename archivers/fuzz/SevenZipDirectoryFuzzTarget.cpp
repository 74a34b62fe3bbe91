// A fuzz target over the 7z header reader alone: every input is read as a 7z file (plain and
// packed headers), and what it answers must hold together.
#include "archivers/common/ArchiveReader.h"
#include "archivers/common/SevenZipDirectory.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    int fd = memfd_create("archive", MFD_CLOEXEC);
    if (fd < 0)
        return 0;
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = write(fd, data + done, size - done);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    std::vector<tovik::archivers::SevenZipFile> files;
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (tovik::archivers::ReadSevenZipDirectory(path, 0, files)) {
        // No packed size lies outside the file.
        for (const tovik::archivers::SevenZipFile &f : files)
            if (f.packedSize != tovik::archivers::kUnknownSize && f.packedSize > size)
                std::abort();
    } else if (!files.empty()) {
        std::abort();
    }
    close(fd);
    return 0;
}
