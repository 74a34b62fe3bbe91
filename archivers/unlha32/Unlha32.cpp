// unlha32.so: the "Unlha" library of the archiver call contract, on LzhReader.
#include "archivers/common/ArchiverExports.h"
#include "archivers/unlha32/LzhReader.h"

namespace {

// Any mode: the file is ours when an LZH header (behind a stub, perhaps) checks out.
int32_t CheckLzh(const char *path, int32_t)
{
    if (path == nullptr)
        return 0;
    tovik::codecs::ArchiveFile file;
    return file.open(path) && tovik::unlha32::LzhReader::FindArchiveStart(file) >= 0 ? 1 : 0;
}

std::unique_ptr<tovik::archivers::ArchiveReader> CreateLzhReader()
{
    return std::make_unique<tovik::unlha32::LzhReader>();
}

const tovik::archivers::LibraryInfo kInfo = {"Unlha", 100, &CheckLzh, nullptr, &CreateLzhReader};

} // namespace

TOVIK_ARCHIVER_EXPORTS(Unlha, kInfo)
