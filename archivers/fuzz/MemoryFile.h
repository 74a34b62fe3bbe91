// An input of a fuzz target as a file the libraries can open by path, without touching the disk.
#ifndef TOVIK_ARCHIVERS_FUZZ_MEMORYFILE_H
#define TOVIK_ARCHIVERS_FUZZ_MEMORYFILE_H

#include <cstddef>
#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

// A memory file holding data (its descriptor, to be closed by the caller), or -1.
inline int MemoryFileOf(const uint8_t *data, std::size_t size)
{
    int fd = memfd_create("archive", MFD_CLOEXEC);
    if (fd < 0)
        return -1;
    for (std::size_t done = 0; done < size;) {
        ssize_t n = write(fd, data + done, size - done);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return fd;
}

#endif
