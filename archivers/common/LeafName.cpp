#include "archivers/common/LeafName.h"

#include "platform/Cp932.h"

namespace tovik::archivers {
namespace {

// Calls f(position) for every byte of path that is a character of its own and a separator.
template <typename F>
void ForEachSeparator(std::string_view path, F f)
{
    for (std::size_t i = 0; i < path.size(); ++i) {
        unsigned char b = static_cast<unsigned char>(path[i]);
        if (platform::IsCp932LeadByte(b) && i + 1 < path.size()) {
            ++i;
            continue;
        }
        if (b == '/' || b == '\\')
            f(i);
    }
}

} // namespace

std::string_view StoredLeaf(std::string_view cp932Path)
{
    std::size_t start = 0;
    ForEachSeparator(cp932Path, [&](std::size_t i) { start = i + 1; });
    return cp932Path.substr(start);
}

std::string NormalizeSeparators(std::string_view cp932Path)
{
    std::string out(cp932Path);
    ForEachSeparator(cp932Path, [&](std::size_t i) { out[i] = '/'; });
    return out;
}

std::optional<std::string> CleanLeafName(std::string_view cp932Path)
{
    std::string name = platform::Cp932ToUtf8(StoredLeaf(cp932Path));
    for (char &c : name) {
        unsigned char b = static_cast<unsigned char>(c);
        // A "/" cannot survive the split; it is replaced all the same, so that this function
        // alone guarantees a single path component.
        if (b < 0x20 || b == 0x7F || b == '/')
            c = '_';
    }
    if (name.empty() || name == "." || name == "..")
        return std::nullopt;
    return name;
}

} // namespace tovik::archivers
