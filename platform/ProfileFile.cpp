#include "ProfileFile.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovik::platform {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
// A settings file is small; anything far larger is not one of ours and is left alone.
constexpr off_t kMaxFileSize = 64 * 1024 * 1024;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

// A name that would not read back as itself: empty, or holding a line break, or (for keys)
// an equals sign, or (for sections) a closing bracket.
bool UsableName(std::string_view name, bool section)
{
    if (TrimBlanks(name).empty())
        return false;
    for (char c : name) {
        if (c == '\r' || c == '\n' || c == '\0')
            return false;
        if (section ? c == ']' : c == '=')
            return false;
    }
    if (!section) {
        std::string_view t = TrimBlanks(name);
        if (t.front() == '[' || t.front() == ';')
            return false;
    }
    return true;
}

std::string_view ValueOf(const std::string &raw)
{
    size_t eq = raw.find('=');
    return eq == std::string::npos ? std::string_view() : TrimBlanks(std::string_view(raw).substr(eq + 1));
}

bool WriteAll(int fd, const std::string &data)
{
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += size_t(n);
    }
    return true;
}

// Parses an optionally signed run of digits in the given base; the whole text must be used.
bool ParseWhole(std::string_view t, int base, int64_t &out)
{
    if (t.empty() || t.size() > 20)
        return false;
    uint64_t v = 0;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v, base);
    if (ec != std::errc() || p != t.data() + t.size() || v > uint64_t(INT64_MAX))
        return false;
    out = int64_t(v);
    return true;
}

// An integer in decimal or, after "$" or "0x", hexadecimal. Hexadecimal texts up to 8 digits
// are 32-bit patterns, as the Windows tools write them.
bool ParseInteger(std::string_view text, int64_t &out, bool &hex)
{
    std::string_view t = TrimBlanks(text);
    bool negative = false;
    if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    hex = false;
    if (!t.empty() && t.front() == '$') {
        hex = true;
        t.remove_prefix(1);
    } else if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        hex = true;
        t.remove_prefix(2);
    }
    int64_t v = 0;
    if (!ParseWhole(t, hex ? 16 : 10, v))
        return false;
    if (hex && v > 0xFFFFFFFFLL)
        return false;
    if (hex)
        v = int64_t(int32_t(uint32_t(v)));
    out = negative ? -v : v;
    return true;
}

} // namespace

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

ProfileFile::ProfileFile(std::string path) : FPath(std::move(path)) { Load(); }

ProfileFile::LoadStatus ProfileFile::Load()
{
    FLines.clear();
    FOriginal.clear();
    FModified = false;
    FBom = false;
    FCrLf = false;
    FStatus = LoadStatus::Missing;
    if (FPath.empty())
        return FStatus;

    int fd = ::open(FPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        FStatus = errno == ENOENT ? LoadStatus::Missing : LoadStatus::Unreadable;
        return FStatus;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFileSize) {
        ::close(fd);
        FStatus = LoadStatus::Unreadable;
        return FStatus;
    }
    std::string text;
    text.reserve(size_t(st.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            FStatus = LoadStatus::Unreadable;
            return FStatus;
        }
        if (n == 0)
            break;
        text.append(buffer, size_t(n));
        if (text.size() > size_t(kMaxFileSize)) {
            ::close(fd);
            FStatus = LoadStatus::Unreadable;
            return FStatus;
        }
    }
    ::close(fd);
    Parse(text);
    FOriginal = std::move(text);
    FStatus = LoadStatus::Loaded;
    return FStatus;
}

void ProfileFile::Parse(const std::string &input)
{
    std::string_view text = input;
    if (text.substr(0, kBom.size()) == kBom) {
        FBom = true;
        text.remove_prefix(kBom.size());
    }
    size_t firstEnd = text.find('\n');
    FCrLf = firstEnd != std::string_view::npos && firstEnd > 0 && text[firstEnd - 1] == '\r';

    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        std::string_view raw = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        pos = end == std::string_view::npos ? text.size() : end + 1;
        Line line;
        if (end != std::string_view::npos)
            line.End = "\n";
        if (!raw.empty() && raw.back() == '\r' && end != std::string_view::npos) {
            raw.remove_suffix(1);
            line.End = "\r\n";
        }
        line.Raw = std::string(raw);
        std::string_view t = TrimBlanks(raw);
        if (!t.empty() && t.front() == '[') {
            size_t close = t.rfind(']');
            if (close != std::string_view::npos) {
                line.IsSection = true;
                line.Name = std::string(TrimBlanks(t.substr(1, close - 1)));
            }
        } else if (!t.empty() && t.front() != ';') {
            size_t eq = t.find('=');
            if (eq != std::string_view::npos && !TrimBlanks(t.substr(0, eq)).empty()) {
                line.IsKey = true;
                line.Name = std::string(TrimBlanks(t.substr(0, eq)));
            }
        }
        FLines.push_back(std::move(line));
    }
}

size_t ProfileFile::FindSection(std::string_view section) const
{
    std::string_view name = TrimBlanks(section);
    for (size_t i = 0; i < FLines.size(); ++i)
        if (FLines[i].IsSection && EqualNoCase(FLines[i].Name, name))
            return i;
    return std::string::npos;
}

size_t ProfileFile::FindKey(std::string_view section, std::string_view key) const
{
    std::string_view sectionName = TrimBlanks(section);
    std::string_view keyName = TrimBlanks(key);
    if (sectionName.empty() || keyName.empty())
        return std::string::npos;
    bool inside = false;
    for (size_t i = 0; i < FLines.size(); ++i) {
        const Line &line = FLines[i];
        if (line.IsSection)
            inside = EqualNoCase(line.Name, sectionName);
        else if (inside && line.IsKey && EqualNoCase(line.Name, keyName))
            return i;
    }
    return std::string::npos;
}

size_t ProfileFile::SectionEnd(size_t heading) const
{
    size_t end = heading + 1;
    while (end < FLines.size() && !FLines[end].IsSection)
        ++end;
    return end;
}

std::string ProfileFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const
{
    size_t i = FindKey(section, key);
    return std::string(i == std::string::npos ? def : ValueOf(FLines[i].Raw));
}

bool ProfileFile::KeyExists(std::string_view section, std::string_view key) const
{
    return FindKey(section, key) != std::string::npos;
}

bool ProfileFile::SectionExists(std::string_view section) const
{
    return !TrimBlanks(section).empty() && FindSection(section) != std::string::npos;
}

std::vector<std::string> ProfileFile::ReadSection(std::string_view section) const
{
    std::vector<std::string> keys;
    std::string_view name = TrimBlanks(section);
    if (name.empty())
        return keys;
    bool inside = false;
    for (const Line &line : FLines) {
        if (line.IsSection) {
            inside = EqualNoCase(line.Name, name);
        } else if (inside && line.IsKey) {
            bool seen = false;
            for (const std::string &k : keys)
                seen = seen || EqualNoCase(k, line.Name);
            if (!seen)
                keys.push_back(line.Name);
        }
    }
    return keys;
}

std::vector<std::string> ProfileFile::ReadSections() const
{
    std::vector<std::string> names;
    for (const Line &line : FLines) {
        if (!line.IsSection || line.Name.empty())
            continue;
        bool seen = false;
        for (const std::string &n : names)
            seen = seen || EqualNoCase(n, line.Name);
        if (!seen)
            names.push_back(line.Name);
    }
    return names;
}

void ProfileFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    if (!UsableName(section, true) || !UsableName(key, false))
        return;
    std::string text(value);
    for (char &c : text)
        if (c == '\r' || c == '\n')
            c = ' ';

    size_t at = FindKey(section, key);
    if (at != std::string::npos) {
        Line &line = FLines[at];
        std::string raw = line.Name + "=" + text;
        if (line.Raw != raw) {
            line.Raw = std::move(raw);
            FModified = true;
        }
        return;
    }

    Line keyLine;
    keyLine.End = LineEnd();
    keyLine.IsKey = true;
    keyLine.Name = std::string(TrimBlanks(key));
    keyLine.Raw = keyLine.Name + "=" + text;

    size_t heading = FindSection(section);
    if (heading != std::string::npos) {
        // After the last non-blank line of the section, so that the blank lines that part it
        // from the next one stay where they are.
        size_t end = SectionEnd(heading);
        while (end > heading + 1 && TrimBlanks(FLines[end - 1].Raw).empty())
            --end;
        FLines.insert(FLines.begin() + std::ptrdiff_t(end), std::move(keyLine));
    } else {
        if (!FLines.empty() && !TrimBlanks(FLines.back().Raw).empty()) {
            Line blank;
            blank.End = LineEnd();
            FLines.push_back(std::move(blank));
        }
        Line head;
        head.End = LineEnd();
        head.IsSection = true;
        head.Name = std::string(TrimBlanks(section));
        head.Raw = "[" + head.Name + "]";
        FLines.push_back(std::move(head));
        FLines.push_back(std::move(keyLine));
    }
    FModified = true;
}

void ProfileFile::EraseSection(std::string_view section)
{
    if (TrimBlanks(section).empty())
        return;
    for (size_t heading = FindSection(section); heading != std::string::npos; heading = FindSection(section)) {
        FLines.erase(FLines.begin() + std::ptrdiff_t(heading), FLines.begin() + std::ptrdiff_t(SectionEnd(heading)));
        FModified = true;
    }
}

void ProfileFile::DeleteKey(std::string_view section, std::string_view key)
{
    for (size_t at = FindKey(section, key); at != std::string::npos; at = FindKey(section, key)) {
        FLines.erase(FLines.begin() + std::ptrdiff_t(at));
        FModified = true;
    }
}

std::string ProfileFile::Text() const
{
    std::string out;
    if (FBom)
        out.append(kBom);
    for (size_t i = 0; i < FLines.size(); ++i) {
        out += FLines[i].Raw;
        // A last line read without an end gets one when lines were added below it.
        out += FLines[i].End.empty() && i + 1 < FLines.size() ? LineEnd() : FLines[i].End;
    }
    return out;
}

bool ProfileFile::Flush()
{
    if (!FModified)
        return true;
    // A file whose text was never seen must not be replaced by what little we know of it.
    if (FPath.empty() || FStatus == LoadStatus::Unreadable)
        return false;

    // Changes that cancel out (a section erased and written again as it was) write nothing.
    const std::string text = Text();
    if (FStatus == LoadStatus::Loaded && text == FOriginal) {
        FModified = false;
        return true;
    }

    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path target(FPath);
    // Write through a symbolic link to the file it names, rather than replacing the link.
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        fs::path resolved = fs::canonical(target, ec);
        if (ec)
            return false;
        target = resolved;
    }

    mode_t mode = 0;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        // A file without any write permission is read-only even to a user who could override
        // that (root): the user marked it so.
        if (!S_ISREG(st.st_mode) || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
            ::access(target.c_str(), W_OK) != 0)
            return false;
        mode = st.st_mode & 07777;
    } else if (errno == ENOENT) {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    } else {
        return false;
    }

    fs::path folder = target.parent_path();
    if (folder.empty())
        folder = ".";
    if (!fs::exists(folder, ec)) {
        fs::create_directories(folder, ec);
        if (ec)
            return false;
    }

    std::string temp = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, text) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    FModified = false;
    FStatus = LoadStatus::Loaded;
    FOriginal = text;
    return true;
}

bool ParseProfileBool(std::string_view text, bool &out)
{
    std::string_view t = TrimBlanks(text);
    if (EqualNoCase(t, "true")) {
        out = true;
        return true;
    }
    if (EqualNoCase(t, "false")) {
        out = false;
        return true;
    }
    int64_t whole = 0;
    bool hex = false;
    if (ParseInteger(t, whole, hex)) {
        out = whole != 0;
        return true;
    }
    if (!t.empty() && t.front() == '+')
        t.remove_prefix(1);
    double number = 0;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), number, std::chars_format::fixed);
    if (t.empty() || ec != std::errc() || p != t.data() + t.size() || !std::isfinite(number))
        return false;
    out = number != 0;
    return true;
}

bool ParseProfileInt32(std::string_view text, int32_t &out)
{
    int64_t v = 0;
    bool hex = false;
    if (!ParseInteger(text, v, hex) || v < INT32_MIN || v > INT32_MAX)
        return false;
    out = int32_t(v);
    return true;
}

bool ParseProfileColor(std::string_view text, int32_t &out)
{
    int64_t v = 0;
    bool hex = false;
    if (!ParseInteger(text, v, hex) || v < INT32_MIN || v > int64_t(UINT32_MAX))
        return false;
    out = int32_t(uint32_t(v));
    return true;
}

bool ParseProfileCurrency(std::string_view text, int64_t &out)
{
    std::string_view t = TrimBlanks(text);
    bool negative = false;
    if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    size_t dot = t.find('.');
    std::string_view whole = t.substr(0, dot);
    std::string_view fraction = dot == std::string_view::npos ? std::string_view() : t.substr(dot + 1);
    if (whole.empty() && fraction.empty())
        return false;
    auto digits = [](std::string_view s) {
        for (char c : s)
            if (c < '0' || c > '9')
                return false;
        return true;
    };
    if (!digits(whole) || !digits(fraction))
        return false;
    while (!whole.empty() && whole.front() == '0')
        whole.remove_prefix(1);
    if (whole.size() > 15)
        return false;
    __int128 v = 0;
    for (char c : whole)
        v = v * 10 + (c - '0');
    for (size_t i = 0; i < 4; ++i)
        v = v * 10 + (i < fraction.size() ? fraction[i] - '0' : 0);
    if (fraction.size() > 4 && fraction[4] >= '5')
        v += 1;
    if (v > __int128(INT64_MAX))
        return false;
    out = negative ? -int64_t(v) : int64_t(v);
    return true;
}

std::string ApplicationIniPath()
{
    namespace fs = std::filesystem;
    if (const char *forced = std::getenv("TOVIK_INI"); forced && *forced)
        return forced;

    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec && !exe.empty()) {
        // A portable install keeps its file beside the program; an installed program never
        // starts one there, even when it could write the folder (run as root).
        fs::path ini = exe;
        ini.replace_extension(".ini");
        if (fs::exists(ini, ec))
            return ini.string();
    }

    fs::path config;
    if (const char *xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        config = xdg;
    else {
        const char *home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd *pw = ::getpwuid(::getuid());
            home = pw ? pw->pw_dir : "/tmp";
        }
        config = fs::path(home) / ".config";
    }
    return (config / "tovik" / "tovik.ini").string();
}

} // namespace tovik::platform
