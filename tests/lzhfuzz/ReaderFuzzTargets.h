// Fuzz entry points of the LZH and ARJ readers, shared by the corpus runner of the tests and
// the libFuzzer builds of bench/.
#ifndef TOVIK_TESTS_READERFUZZTARGETS_H
#define TOVIK_TESTS_READERFUZZTARGETS_H

#include <cstddef>
#include <cstdint>

namespace tovik::fuzz {

// Opens data as an archive file, lists it and extracts every entry (at most 1 MiB each).
int FuzzLzhArchive(const uint8_t *data, std::size_t size);
int FuzzArjArchive(const uint8_t *data, std::size_t size);
// Feeds data straight to one decoder (chosen by the first byte, the output size taken from
// the next four), past the header checks that guard the readers.
int FuzzDecoders(const uint8_t *data, std::size_t size);

} // namespace tovik::fuzz

#endif
