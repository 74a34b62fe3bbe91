// libFuzzer entry point: FuzzLzhArchive.
#include "ReaderFuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    return tovik::fuzz::FuzzLzhArchive(data, size);
}
