// A fuzz target over the walk of a RAR 4 packed stream alone: every input is one entry's packed
// data (LZ blocks, PPMd blocks, filter records), walked with fresh tables and the PPMd model as
// for an entry of 1 MiB. The walk must end on every input in bounded time and memory.
#include "archivers/unrar32/RarFilterCheck.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    tovik::archivers::CheckRarStream(data, size, 1u << 20);
    return 0;
}
