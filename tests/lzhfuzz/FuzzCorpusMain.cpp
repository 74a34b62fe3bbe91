// Runs the fuzz entry points over the hostile headers of HostileHeaders and every file of the
// folders named on the command line, and over damaged copies of each (cut short, bytes
// flipped), so that the sanitizers see the readers' error paths as well as the good ones.
// Exit status 0 unless a sanitizer stops it.
//   test_reader_fuzz_corpus FOLDER...        run
//   test_reader_fuzz_corpus --write FOLDER   write the hostile headers there (fuzzer seeds)
#include "HostileHeaders.h"
#include "ReaderFuzzTargets.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

void runAll(const std::vector<uint8_t> &bytes)
{
    tovik::fuzz::FuzzLzhArchive(bytes.data(), bytes.size());
    tovik::fuzz::FuzzArjArchive(bytes.data(), bytes.size());
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<tovik::tests::Bytes> hostile = tovik::tests::HostileHeaders();
    if (argc == 3 && std::string(argv[1]) == "--write") {
        fs::create_directories(argv[2]);
        for (std::size_t i = 0; i < hostile.size(); ++i)
            std::ofstream(fs::path(argv[2]) / ("hostile-" + std::to_string(i)), std::ios::binary)
                .write(reinterpret_cast<const char *>(hostile[i].data()), static_cast<std::streamsize>(hostile[i].size()));
        return 0;
    }
    std::size_t files = 0, runs = 0;
    for (const tovik::tests::Bytes &bytes : hostile) {
        runAll(bytes);
        ++runs;
    }
    for (int a = 1; a < argc; ++a) {
        if (!fs::exists(argv[a]))
            continue;
        for (const auto &item : fs::recursive_directory_iterator(argv[a])) {
            if (!item.is_regular_file() || item.file_size() > 1024 * 1024)
                continue;
            std::ifstream in(item.path(), std::ios::binary);
            std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
            ++files;
            runAll(bytes);
            ++runs;
            // Cut short at a few places.
            for (std::size_t cut = 1; cut < bytes.size(); cut += bytes.size() / 5 + 1) {
                std::vector<uint8_t> part(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
                runAll(part);
                ++runs;
            }
            // Flipped bytes in headers and data; the archive checksums catch most header
            // damage, so the decoders also get the raw bytes directly.
            for (std::size_t at = 0; at < bytes.size(); at += bytes.size() / 16 + 1) {
                std::vector<uint8_t> damaged = bytes;
                damaged[at] ^= 0xA5;
                runAll(damaged);
                ++runs;
            }
            for (unsigned which = 0; which < 14 && bytes.size() > 64; ++which) {
                std::vector<uint8_t> raw(bytes.begin() + 27, bytes.end());
                raw[0] = static_cast<uint8_t>(which);
                raw[1] = 0x00, raw[2] = 0x40, raw[3] = 0x01, raw[4] = 0x00;
                tovik::fuzz::FuzzDecoders(raw.data(), raw.size());
                ++runs;
            }
        }
    }
    std::printf("%zu files, %zu runs\n", files, runs);
    return 0;
}
