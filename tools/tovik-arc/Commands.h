// The subcommands of tovik-arc and what they share.
//
// A subcommand is a function that receives its own arguments (without the program and the
// subcommand name) and answers the exit status. To add one, write it in a .cpp file of its
// own and add one line to the table in main.cpp.
#ifndef TOVIK_TOOLS_TOVIKARC_COMMANDS_H
#define TOVIK_TOOLS_TOVIKARC_COMMANDS_H

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TLxArcImpl;
class TLxArchiveBase;

namespace tovik::arc {

using Arguments = std::vector<std::string>;
using CommandFunction = int (*)(const Arguments &args);

struct Command {
    const char *name;
    const char *usage;     // arguments, as shown in the help text: "ARCHIVE"
    const char *summary;   // one line
    CommandFunction run;
};

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;   // the archive or the library could not do it
constexpr int kExitUsage = 2;     // wrong arguments

int ListCommand(const Arguments &args);
int LibsCommand(const Arguments &args);
int TreeCommand(const Arguments &args);
int DetectCommand(const Arguments &args);
int DecodeCommand(const Arguments &args);
int CatCommand(const Arguments &args);
int ExtractCommand(const Arguments &args);

// Prints "tovik-arc: <message>" (UTF-8, control characters made visible) on standard error
// and answers kExitFailure.
int Fail(std::string_view message);
// Prints the usage line of a command on standard error and answers kExitUsage.
int UsageError(const char *commandName);

// CP932 text as UTF-8 for the terminal; plain ASCII passes without conversion.
std::string ToUtf8(std::string_view cp932);
// A stored name (CP932) as printed: UTF-8 with its control characters made visible, so that
// a name can neither forge rows nor send sequences to the terminal.
std::string NameText(std::string_view cp932);

// Probes every library and chooses the one for path as the viewer does (by extension, by
// content for ".EXE"). On failure prints the reason and answers false: the file is missing or
// not a regular file, or no installed library handles it.
bool ChooseLibrary(TLxArcImpl &impl, const std::string &path);
// A wrapper for the chosen row with the archive opened; on failure prints the reason and
// answers null.
std::unique_ptr<TLxArchiveBase> OpenChosen(TLxArcImpl &impl);

// Buffered standard output for many short lines.
class Output {
public:
    Output() { buffer_.reserve(kChunk * 2); }
    ~Output() { Flush(); }
    Output &operator<<(std::string_view text)
    {
        buffer_.append(text);
        if (buffer_.size() >= kChunk)
            Flush();
        return *this;
    }
    Output &operator<<(char c)
    {
        buffer_.push_back(c);
        return *this;
    }
    // Answers false when writing failed (a closed pipe, a full disk).
    bool Flush();

private:
    static constexpr size_t kChunk = 64 * 1024;
    std::string buffer_;
    bool failed_ = false;
};

} // namespace tovik::arc

#endif
