// unrar32.so: RAR 4 and RAR 5 archives, self-extracting programs included.
#include "archivers/common/ArchiverExports.h"
#include "archivers/common/LibarchiveReader.h"
#include "archivers/unrar32/RarFilterCheck.h"

#include <archive.h>

namespace {

using namespace tovik::archivers;

const LibarchiveProfile kProfile = {[](archive *a) {
                                        archive_read_support_format_rar(a);
                                        archive_read_support_format_rar5(a);
                                    },
                                    false, nullptr, nullptr, &RarEntrySound};

int32_t Check(const char *path, int32_t)
{
    ProbeResult probe;
    return ProbeArchive(kProfile, path, probe) ? 1 : 0;
}

std::unique_ptr<ArchiveReader> CreateReader()
{
    return std::make_unique<LibarchiveReader>(kProfile);
}

const LibraryInfo kInfo = {"Rar", 100, &Check, nullptr, &CreateReader};

} // namespace

TOVIK_ARCHIVER_EXPORTS(Rar, kInfo)
