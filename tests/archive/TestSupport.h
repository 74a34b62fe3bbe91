// Scripted archives and the scripted libraries for the archive-access tests.
#ifndef TOVIK_TESTS_ARCHIVE_TESTSUPPORT_H
#define TOVIK_TESTS_ARCHIVE_TESTSUPPORT_H

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// The folder of one library variant: "complete", "minimal", "badname", "faulty", "busy".
std::string LibDir(const std::string &variant);

// One entry line of a scripted archive.
struct ScriptEntry {
    std::string name;             // raw bytes (CP932)
    uint64_t original = 0, compressed = 0;
    unsigned ratio = 0, date = 0, time = 0, attr = 0, crc = 0;
    std::string data;
};

uint16_t DosDate(int year, int month, int day);
uint16_t DosTime(int hour, int minute, int second);

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string &path() const { return path_; }
    // Writes a scripted archive named fileName: directives ("@accept Tar") then entries.
    std::string WriteScript(const std::string &fileName, const std::vector<ScriptEntry> &entries,
                            const std::vector<std::string> &directives = {}) const;
    std::string WriteFile(const std::string &fileName, const std::string &content) const;

private:
    std::string path_;
};

// Makes the wrappers search only these folders while it lives.
class SearchPath {
public:
    explicit SearchPath(std::vector<std::string> folders);
    ~SearchPath();
};

// Sets an environment variable while it lives.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const char *value);
    ~ScopedEnv();

private:
    std::string name_;
    std::string old_;
    bool had_;
};

} // namespace testsupport

#endif
