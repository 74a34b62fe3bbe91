#include "ReaderFuzzTargets.h"

#include "archivers/codecs/ArjFastDecoder.h"
#include "archivers/codecs/DynamicHuffmanDecoder.h"
#include "archivers/codecs/LarcDecoder.h"
#include "archivers/codecs/PmarcDecoder.h"
#include "archivers/codecs/StaticHuffmanDecoder.h"
#include "archivers/codecs/StoredDecoder.h"
#include "archivers/unarj32j/ArjReader.h"
#include "archivers/unlha32/LzhReader.h"

#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace tovik::fuzz {

namespace {

constexpr std::size_t kOutputCap = 1024 * 1024;

// The readers take a path: hand them an anonymous in-memory file.
template <typename Reader>
int fuzzReader(const uint8_t *data, std::size_t size)
{
    int fd = memfd_create("fuzz-archive", 0);
    if (fd < 0)
        return 0;
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = write(fd, data + done, size - done);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    Reader reader;
    if (reader.open("/proc/self/fd/" + std::to_string(fd)) == archivers::ReadError::None) {
        for (std::size_t i = 0; i < reader.entries().size(); ++i) {
            std::size_t produced = 0;
            reader.extract(i, [&](const uint8_t *p, std::size_t n) {
                volatile uint8_t sink = n ? p[n - 1] : 0; // touch the data handed out
                (void)sink;
                produced += n;
                return produced < kOutputCap;
            });
        }
    }
    close(fd);
    return 0;
}

} // namespace

int FuzzLzhArchive(const uint8_t *data, std::size_t size) { return fuzzReader<unlha32::LzhReader>(data, size); }

int FuzzArjArchive(const uint8_t *data, std::size_t size) { return fuzzReader<unarj32j::ArjReader>(data, size); }

int FuzzDecoders(const uint8_t *data, std::size_t size)
{
    if (size < 5)
        return 0;
    const unsigned which = data[0] % 14;
    const uint64_t original = (data[1] | (data[2] << 8) | (data[3] << 16) | (uint64_t(data[4]) << 24)) % (kOutputCap * 2);
    codecs::MemoryInput in(data + 5, size - 5);
    std::size_t produced = 0;
    archivers::DataSink sink = [&](const uint8_t *p, std::size_t n) {
        volatile uint8_t touch = n ? p[0] : 0;
        (void)touch;
        produced += n;
        return produced < kOutputCap;
    };
    static const char digits[] = {'4', '5', '6', '7', 'x'};
    if (which < 5)
        codecs::DecodeStaticHuffman(in, codecs::LzhStaticParams(digits[which]), original, sink);
    else if (which == 5)
        codecs::DecodeStaticHuffman(in, codecs::ArjStaticParams(), original, sink);
    else if (which == 6)
        codecs::DecodeArjFast(in, original, sink);
    else if (which == 7)
        codecs::DecodeDynamicHuffman(in, original, sink);
    else if (which == 8)
        codecs::DecodeLzs(in, original, sink);
    else if (which == 9)
        codecs::DecodeLz5(in, original, sink);
    else if (which == 10)
        codecs::DecodePm1(in, original, sink);
    else if (which == 11)
        codecs::DecodePm2(in, original, sink);
    else if (which == 12)
        codecs::DecodeLh2(in, original, sink);
    else
        codecs::DecodeLh3(in, original, sink);
    return 0;
}

} // namespace tovik::fuzz
