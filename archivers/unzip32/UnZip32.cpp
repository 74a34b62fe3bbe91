// unzip32.so: ZIP archives (JAR, EAR, WAR and self-extracting programs included).
#include "archivers/common/ArchiverExports.h"
#include "archivers/common/LibarchiveReader.h"

#include <archive.h>

namespace {

using namespace tovik::archivers;

const LibarchiveProfile kProfile = {[](archive *a) { archive_read_support_format_zip(a); }, false};

int32_t CheckZip(const char *path, int32_t)
{
    ProbeResult probe;
    return ProbeArchive(kProfile, path, probe) ? 1 : 0;
}

std::unique_ptr<ArchiveReader> CreateReader()
{
    return std::make_unique<LibarchiveReader>(kProfile);
}

const LibraryInfo kInfo = {"UnZip", 100, &CheckZip, nullptr, &CreateReader};

} // namespace

TOVIK_ARCHIVER_EXPORTS(UnZip, kInfo)
