// 7-zip32.so: 7z and ZIP archives, self-extracting programs included.
#include "archivers/common/ArchiverExports.h"
#include "archivers/common/LibarchiveReader.h"
#include "SevenZipHeaderCheck.h"

#include <archive.h>

namespace {

using namespace tovik::archivers;

const LibarchiveProfile kProfile = {[](archive *a) {
                                        archive_read_support_format_7zip(a);
                                        archive_read_support_format_zip(a);
                                    },
                                    false, &SevenZipHeaderPlausible,
                                    &SevenZipEmbeddedStart};

// 1 for 7z, 2 for ZIP, 0 for anything else.
int32_t ArchiveType(const char *path)
{
    ProbeResult probe;
    if (!ProbeArchive(kProfile, path, probe))
        return 0;
    return (probe.format & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_7ZIP ? 1 : 2;
}

int32_t Check(const char *path, int32_t)
{
    return ArchiveType(path) > 0 ? 1 : 0;
}

std::unique_ptr<ArchiveReader> CreateReader()
{
    return std::make_unique<LibarchiveReader>(kProfile);
}

const LibraryInfo kInfo = {"SevenZip", 100, &Check, &ArchiveType, &CreateReader};

} // namespace

TOVIK_ARCHIVER_EXPORTS(SevenZip, kInfo)
TOVIK_ARCHIVER_EXPORT_ARCHIVE_TYPE(SevenZip, kInfo)
