// tovik-arc decode [--cp932] FILE [CODE]
//
// The lines the text viewer would show for a file, decoded by the character set CODE (0 or
// absent: detected as the viewer does). The lines are written in UTF-8 with LF line ends, or
// with --cp932 exactly as the viewer holds them: CP932 with CR LF.
#include "Commands.h"

#include "editor/EditTypes.h"
#include "textconv/LxTCTypes.h"
#include "textconv/LxTextDecorder.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>

namespace tovik::arc {
namespace {

// A file's bytes: mapped when it is a regular file (no copy), else read.
class FileBytes {
public:
    bool Open(const std::string &path)
    {
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        struct stat st;
        bool ok = fstat(fd, &st) == 0;
        if (ok && S_ISREG(st.st_mode) && st.st_size > 0) {
            void *map = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
            if (map != MAP_FAILED) {
                map_ = map;
                size_ = static_cast<size_t>(st.st_size);
                ::close(fd);
                return true;
            }
        }
        char buffer[65536];
        ssize_t got;
        while (ok && (got = ::read(fd, buffer, sizeof buffer)) != 0) {
            if (got < 0 && errno != EINTR)
                ok = false;
            else if (got > 0)
                copy_.append(buffer, static_cast<size_t>(got));
        }
        ::close(fd);
        return ok;
    }
    ~FileBytes()
    {
        if (map_)
            munmap(map_, size_);
    }
    std::string_view View() const
    {
        return map_ ? std::string_view(static_cast<const char *>(map_), size_) : std::string_view(copy_);
    }

private:
    void *map_ = nullptr;
    size_t size_ = 0;
    std::string copy_;
};

// The line store of a large text takes megabytes of fresh memory in many small pieces. Growing
// the heap once, its pages populated in one call, spares the page fault that each page would
// otherwise cost on first touch (dear on virtual machines). Nothing here is needed for
// correctness: where a call is refused, memory simply comes as it would anyway.
void PrepareHeap(size_t textSize)
{
    const size_t want = textSize * 2 + (1u << 20);
    if (textSize < (256u << 10) || want > (24u << 20))
        return;
    // Blocks of this size come from the heap, and the heap keeps what is freed.
    mallopt(M_MMAP_THRESHOLD, static_cast<int>(want + (1u << 20)));
    mallopt(M_TRIM_THRESHOLD, static_cast<int>(want * 2));
    void *block = std::malloc(want);
    if (!block)
        return;
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t start = (reinterpret_cast<uintptr_t>(block) + page - 1) & ~(page - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(block) + want) & ~(page - 1);
    if (end > start)
        madvise(reinterpret_cast<void *>(start), end - start, MADV_POPULATE_WRITE);
    std::free(block);
}

// Every row with a decoder is guarded by the display code page; the rows of other code pages
// only name character sets, so decoding need not ask iconv about them.
bool DisplayCodePageOnly(int32_t codePage) { return codePage == 932 && tovik::platform::IsValidCodePage(932); }

} // namespace

int DecodeCommand(const Arguments &args)
{
    Arguments rest;
    bool cp932 = false;
    for (const std::string &arg : args) {
        if (arg == "--cp932")
            cp932 = true;
        else
            rest.push_back(arg);
    }
    if (rest.empty() || rest.size() > 2)
        return UsageError("decode");
    int32_t code = 0;
    if (rest.size() == 2) {
        const std::string &text = rest[1];
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), code);
        if (error != std::errc() || end != text.data() + text.size())
            return UsageError("decode");
    }

    FileBytes file;
    if (!file.Open(rest[0]))
        return Fail(rest[0] + ": ファイルを開けません (cannot open the file)");
    std::string_view bytes = file.View();
    if (code == 0) {
        int16_t lineEnd = 0;
        int16_t certainty = 0;
        code = TLxEncoderJudgment::DetectCharSet(bytes, lineEnd, certainty);
    }

    TCharSetList sets(DisplayCodePageOnly);
    const TCharSetItem *row = sets.FindByCode(code);
    if (!row && TCharSetList().FindByCode(code))
        return Fail("このファイルタイプは対応していません (" + std::to_string(code) + ": no decoder)");
    if (!row)
        return Fail("文字コード " + std::to_string(code) + " はありません (unknown character set code)");
    std::unique_ptr<TLxDecorderBase> decoder = row->CreateDecoder("");
    if (!decoder)
        return Fail("このファイルタイプは対応していません (" + row->Name + ": no decoder)");
    PrepareHeap(bytes.size());
    TEditStringList lines;
    try {
        decoder->LoadFromBytes(bytes, &lines);
    } catch (const std::exception &e) {
        return Fail(e.what());
    }

    Output out;
    for (int i = 0; i < lines.Count(); ++i) {
        if (cp932)
            out << lines[i] << "\r\n";
        else
            out << ToUtf8(lines[i]) << '\n';
    }
    if (!out.Flush())
        return Fail("標準出力に書き込めません (cannot write to standard output)");
    return kExitOk;
}

} // namespace tovik::arc
