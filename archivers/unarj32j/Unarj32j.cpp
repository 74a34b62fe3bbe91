// unarj32j.so: the "Unarj" library of the archiver call contract, on ArjReader.
#include "archivers/common/ArchiverExports.h"
#include "archivers/unarj32j/ArjReader.h"

namespace {

// The viewer passes mode 0; any mode answers the same: an ARJ main header checks out.
int32_t CheckArj(const char *path, int32_t)
{
    if (path == nullptr)
        return 0;
    tovik::codecs::ArchiveFile file;
    return file.open(path) && tovik::unarj32j::ArjReader::FindArchiveStart(file) >= 0 ? 1 : 0;
}

std::unique_ptr<tovik::archivers::ArchiveReader> CreateArjReader()
{
    return std::make_unique<tovik::unarj32j::ArjReader>();
}

const tovik::archivers::LibraryInfo kInfo = {"Unarj", 100, &CheckArj, nullptr, &CreateArjReader};

} // namespace

TOVIK_ARCHIVER_EXPORTS(Unarj, kInfo)
