// Ini files with the meaning of the Windows profile calls.
//
// A profile file is a text file of bracketed section headings and "key=value" lines. Section and
// key names are compared without regard to ASCII letter case; names and values are read with the
// blanks around them removed. The first occurrence of a section or key wins. Lines that are not
// headings or keys (comments, blank lines, stray text) are kept exactly as they were, and so are
// the byte-order mark and the line ends of the file.
//
// The whole file is read when the object is loaded and written back whole by Flush, through a
// temporary file beside it that then replaces it, so that a crash never leaves half a file.
// A missing file reads as empty and is not created until something is written to it and flushed.
// Nothing here throws on bad input: an unreadable file reads as empty, and a failed write is the
// false answer of Flush.
#ifndef TOVIK_PLATFORM_PROFILEFILE_H
#define TOVIK_PLATFORM_PROFILEFILE_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tovik::platform {

class ProfileFile {
public:
    enum class LoadStatus { Loaded, Missing, Unreadable };

    ProfileFile() = default;
    // Reads the file at once (see Load).
    explicit ProfileFile(std::string path);

    const std::string &Path() const { return FPath; }

    // Reads the file anew, dropping unsaved changes. A missing or unreadable file leaves the
    // object empty.
    LoadStatus Load();
    LoadStatus Status() const { return FStatus; }
    bool Exists() const { return FStatus != LoadStatus::Missing; }

    // The value of key in section, or def when either is absent.
    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    bool KeyExists(std::string_view section, std::string_view key) const;
    bool SectionExists(std::string_view section) const;
    // The keys of a section in file order, each once (first spelling).
    std::vector<std::string> ReadSection(std::string_view section) const;
    // The headings of all sections in file order, each once.
    std::vector<std::string> ReadSections() const;

    // Replaces the first line of the key in place, or adds the key at the end of the section,
    // or adds the section at the end of the file. Line breaks in a value are turned into blanks,
    // since they would start a new line of the file.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    // Removes every heading of the section and all the lines below each up to the next heading.
    void EraseSection(std::string_view section);
    // Removes every line of the key in the section.
    void DeleteKey(std::string_view section, std::string_view key);

    // Whether there are changes that Flush has not yet written.
    bool Modified() const { return FModified; }
    // Writes the whole text if it was changed; true when the file now holds it. A file or folder
    // that may not be written fails and stays as it was. A missing parent folder is created.
    bool Flush();

    // The text as Flush would write it.
    std::string Text() const;

private:
    struct Line {
        std::string Raw;        // the line without its line end
        std::string End;        // its line end as read; empty for a last line without one
        std::string Name;       // section name or key name, trimmed; empty for other lines
        bool IsSection = false;
        bool IsKey = false;
    };

    void Parse(const std::string &text);
    // Index of the first heading of section, or npos.
    size_t FindSection(std::string_view section) const;
    // Index of the first line of key below any heading of section, or npos.
    size_t FindKey(std::string_view section, std::string_view key) const;
    size_t SectionEnd(size_t heading) const;
    // The end of the file's first line, for lines added.
    const char *LineEnd() const { return FCrLf ? "\r\n" : "\n"; }

    std::string FPath;
    std::vector<Line> FLines;
    std::string FOriginal;      // the text as read or last written
    LoadStatus FStatus = LoadStatus::Missing;
    bool FModified = false;
    bool FBom = false;
    bool FCrLf = false;
};

// True when a and b are equal without regard to ASCII letter case.
bool EqualNoCase(std::string_view a, std::string_view b);
// s without the blanks (space, tab, CR, LF, vertical tab, form feed) at both ends.
std::string_view TrimBlanks(std::string_view s);

// Readers of the value forms the program writes. Each answers false and leaves out alone when
// the text is not of the form.
// "True"/"False" in any letter case, or a number where any non-zero value is true.
bool ParseProfileBool(std::string_view text, bool &out);
// A decimal integer in the signed 32-bit range, or hexadecimal after "$" or "0x".
bool ParseProfileInt32(std::string_view text, int32_t &out);
// As ParseProfileInt32, but values up to 0xFFFFFFFF are taken as their signed 32-bit pattern,
// so that a colour may also be written unsigned.
bool ParseProfileColor(std::string_view text, int32_t &out);
// A decimal number with up to four places, in ten-thousandths; more places are rounded half
// away from zero.
bool ParseProfileCurrency(std::string_view text, int64_t &out);

// The program's ini file: $TOVIK_INI when set; else <folder of the executable>/<executable
// name>.ini when that file already exists (a portable install); else
// $XDG_CONFIG_HOME/tovik/tovik.ini (by default ~/.config/tovik/tovik.ini). Looked up anew on
// each call.
std::string ApplicationIniPath();

} // namespace tovik::platform

#endif
