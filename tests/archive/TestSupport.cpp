#include "TestSupport.h"

#include "platform/DynamicLibrary.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace testsupport {

std::string LibDir(const std::string &variant)
{
    return std::string(TOVIK_TESTLIB_DIR) + "/" + variant;
}

uint16_t DosDate(int year, int month, int day)
{
    return static_cast<uint16_t>(((year - 1980) << 9) | (month << 5) | day);
}

uint16_t DosTime(int hour, int minute, int second)
{
    return static_cast<uint16_t>((hour << 11) | (minute << 5) | (second / 2));
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tovik-archive-XXXXXX").string();
    if (char *made = mkdtemp(pattern.data()))
        path_ = made;
}

TempDir::~TempDir()
{
    std::error_code ec;
    if (!path_.empty())
        std::filesystem::remove_all(path_, ec);
}

std::string TempDir::WriteFile(const std::string &fileName, const std::string &content) const
{
    std::string file = path_ + "/" + fileName;
    if (FILE *f = std::fopen(file.c_str(), "wb")) {
        std::fwrite(content.data(), 1, content.size(), f);
        std::fclose(f);
    }
    return file;
}

std::string TempDir::WriteScript(const std::string &fileName, const std::vector<ScriptEntry> &entries,
                                 const std::vector<std::string> &directives) const
{
    std::string text = "TOVIKTEST\n";
    for (const std::string &d : directives)
        text += d + "\n";
    for (const ScriptEntry &e : entries) {
        text += e.name + "\t" + std::to_string(e.original) + "\t" + std::to_string(e.compressed) + "\t" +
                std::to_string(e.ratio) + "\t" + std::to_string(e.date) + "\t" + std::to_string(e.time) + "\t" +
                std::to_string(e.attr) + "\t" + std::to_string(e.crc) + "\t" + e.data + "\n";
    }
    return WriteFile(fileName, text);
}

SearchPath::SearchPath(std::vector<std::string> folders)
{
    tovik::platform::OverrideArchiverSearchPath(std::move(folders));
}

SearchPath::~SearchPath()
{
    tovik::platform::OverrideArchiverSearchPath(std::nullopt);
}

ScopedEnv::ScopedEnv(const char *name, const char *value) : name_(name)
{
    const char *old = std::getenv(name);
    had_ = old != nullptr;
    if (old)
        old_ = old;
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

ScopedEnv::~ScopedEnv()
{
    if (had_)
        setenv(name_.c_str(), old_.c_str(), 1);
    else
        unsetenv(name_.c_str());
}

} // namespace testsupport
