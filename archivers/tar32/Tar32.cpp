// tar32.so: tar (ustar, pax, GNU), cpio, ar (.a, .lib, .deb) and rpm, plain or compressed
// (gzip, bzip2, compress, xz, lzma, zstd, ...), and single compressed files.
#include "archivers/common/ArchiverExports.h"
#include "archivers/common/LibarchiveReader.h"

#include <archive.h>

namespace {

using namespace tovik::archivers;

const LibarchiveProfile kProfile = {[](archive *a) {
                                        archive_read_support_filter_all(a);
                                        archive_read_support_format_tar(a);
                                        archive_read_support_format_gnutar(a);
                                        archive_read_support_format_cpio(a);
                                        archive_read_support_format_ar(a);
                                        archive_read_support_format_raw(a);
                                    },
                                    true};

// The file's type by its compression: 1 none, 2 gzip, 3 compress, 4 xz, 5 another
// compressor of that kind (lzma, lzip, zstd, ...), 6 bzip2; 0 when it is not one of ours.
int32_t ArchiveType(const char *path)
{
    ProbeResult probe;
    if (!ProbeArchive(kProfile, path, probe))
        return 0;
    switch (probe.filter) {
    case ARCHIVE_FILTER_NONE: return 1;
    case ARCHIVE_FILTER_GZIP: return 2;
    case ARCHIVE_FILTER_COMPRESS: return 3;
    case ARCHIVE_FILTER_XZ: return 4;
    case ARCHIVE_FILTER_BZIP2: return 6;
    default: return 5;
    }
}

int32_t Check(const char *path, int32_t)
{
    return ArchiveType(path) > 0 ? 1 : 0;
}

std::unique_ptr<ArchiveReader> CreateReader()
{
    return std::make_unique<LibarchiveReader>(kProfile);
}

const LibraryInfo kInfo = {"Tar", 100, &Check, &ArchiveType, &CreateReader};

} // namespace

TOVIK_ARCHIVER_EXPORTS(Tar, kInfo)
TOVIK_ARCHIVER_EXPORT_ARCHIVE_TYPE(Tar, kInfo)
