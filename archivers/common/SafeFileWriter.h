// Writes one extracted file into a destination folder without ever writing elsewhere.
//
// The data goes to a fresh temporary file in the folder (created exclusively, never through a
// link) and is renamed over the final name only when complete, so a failed extraction leaves
// no partial file and an existing symbolic link at the final name is replaced, not followed.
// The writer never creates links or device files.
#ifndef TOVIK_ARCHIVERS_SAFEFILEWRITER_H
#define TOVIK_ARCHIVERS_SAFEFILEWRITER_H

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

namespace tovik::archivers {

class SafeFileWriter {
public:
    SafeFileWriter() = default;
    // Removes the temporary file unless commit succeeded.
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter &) = delete;
    SafeFileWriter &operator=(const SafeFileWriter &) = delete;

    // Creates folder when missing (mode 0700, with its missing parents) and opens a temporary
    // file in it for leaf, which must be a single clean component (CleanLeafName). False on
    // any failure.
    bool open(const std::string &folder, const std::string &leaf);
    // Appends size bytes; null data stands for size zero bytes, left as a hole of the file
    // (a seek, whatever the size: a sparse entry costs the time of its stored data only).
    bool write(const uint8_t *data, std::size_t size);
    // The bytes the destination's file system has free for this writer; UINT64_MAX when it
    // cannot tell. Valid after open.
    uint64_t available() const;
    // Gives the file its final name and, when mtime is not -1, that modification time. An
    // existing directory of that name is left alone and the commit fails.
    bool commit(std::time_t mtime);
    // Removes the temporary file.
    void abort();

private:
    int dirFd_ = -1;
    int fd_ = -1;
    std::string leaf_;
    std::string tempName_;
    uint64_t written_ = 0;
};

// Creates folder and its missing parents with mode 0700. True when it exists as a folder
// afterwards.
bool MakeFolders(const std::string &folder);

} // namespace tovik::archivers

#endif
