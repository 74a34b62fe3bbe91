// libFuzzer entry point: FuzzArjArchive.
#include "ReaderFuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    return tovik::fuzz::FuzzArjArchive(data, size);
}
