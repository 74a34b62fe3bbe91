// Read-only access to an archive file, and the byte streams the decoders read from.
#ifndef TOVIK_CODECS_ARCHIVEFILE_H
#define TOVIK_CODECS_ARCHIVEFILE_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tovik::codecs {

// An archive file opened for reading by position. Header parsing reads many small pieces
// close together, so reads are served from a 64 KiB window that is refilled on demand.
class ArchiveFile {
public:
    ArchiveFile() = default;
    ~ArchiveFile();
    ArchiveFile(const ArchiveFile &) = delete;
    ArchiveFile &operator=(const ArchiveFile &) = delete;

    // Opens path (a file-system byte string); false when it cannot be opened or is not a
    // regular file.
    bool open(const std::string &path);
    uint64_t size() const { return size_; }

    // Copies size bytes at offset into out. Answers false, with out untouched past what
    // exists, when the file ends before offset + size.
    bool read(uint64_t offset, void *out, std::size_t size);
    // Reads straight from the file, bypassing the window (for large entry data).
    std::size_t readDirect(uint64_t offset, void *out, std::size_t size);

private:
    int fd_ = -1;
    uint64_t size_ = 0;
    std::unique_ptr<uint8_t[]> cache_;
    uint64_t cacheOffset_ = 0;
    std::size_t cacheSize_ = 0;
};

// A source of compressed bytes.
class InputStream {
public:
    virtual ~InputStream() = default;
    // Copies up to size bytes into out; 0 means the stream has ended.
    virtual std::size_t read(uint8_t *out, std::size_t size) = 0;
};

// Bytes held in memory (tests, fuzz targets).
class MemoryInput : public InputStream {
public:
    MemoryInput(const uint8_t *data, std::size_t size) : data_(data), size_(size) {}
    std::size_t read(uint8_t *out, std::size_t size) override;

private:
    const uint8_t *data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// One entry's compressed data: length bytes of file from offset, cut short where the file
// ends.
class FileRangeInput : public InputStream {
public:
    FileRangeInput(ArchiveFile &file, uint64_t offset, uint64_t length)
        : file_(file), offset_(offset), remaining_(length)
    {
    }
    std::size_t read(uint8_t *out, std::size_t size) override;

private:
    ArchiveFile &file_;
    uint64_t offset_;
    uint64_t remaining_;
};

} // namespace tovik::codecs

#endif
