// Archives made at test time by real tools: a scratch folder, sample contents, and a way to
// run a command in the folder.
#ifndef TOVIK_TESTS_TOOLARCHIVE_H
#define TOVIK_TESTS_TOOLARCHIVE_H

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace tovik::tests {

inline bool HaveTool(const char *name)
{
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// A fresh scratch folder under the temporary folder, removed with the object.
class ScratchDir {
public:
    ScratchDir()
    {
        std::string templ = (std::filesystem::temp_directory_path() / "tovik-test-XXXXXX").string();
        path_ = mkdtemp(templ.data());
    }
    ~ScratchDir() { std::filesystem::remove_all(path_); }
    const std::filesystem::path &path() const { return path_; }
    // Runs command with the scratch folder as working folder; its output is discarded.
    int run(const std::string &command) const
    {
        return std::system(("cd '" + path_.string() + "' && " + command + " >/dev/null 2>&1").c_str());
    }
    // Runs command there with its standard output into the file output.
    int runTo(const std::string &command, const std::string &output) const
    {
        return std::system(("cd '" + path_.string() + "' && " + command + " >'" + output + "' 2>/dev/null").c_str());
    }
    void write(const std::string &name, const std::string &bytes) const
    {
        std::filesystem::create_directories((path_ / name).parent_path());
        std::ofstream(path_ / name, std::ios::binary) << bytes;
    }
    std::string read(const std::string &name) const
    {
        std::ifstream in(path_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::filesystem::path path_;
};

// Text that compresses like real text: words from a small vocabulary, lines, some digits.
inline std::string SampleText(std::size_t size, unsigned seed)
{
    static const char *words[] = {"archive", "entry", "header", "window", "table", "code", "length",
                                  "position", "block", "stream", "folder", "name", "size", "time"};
    std::mt19937 rng(seed);
    std::string out;
    while (out.size() < size) {
        out += words[rng() % 14];
        out += (rng() % 9 == 0) ? "\n" : " ";
        if (rng() % 23 == 0)
            out += std::to_string(rng() % 100000);
    }
    out.resize(size);
    return out;
}

// Bytes that do not compress.
inline std::string SampleBinary(std::size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string out(size, '\0');
    for (char &c : out)
        c = static_cast<char>(rng());
    return out;
}

} // namespace tovik::tests

#endif
