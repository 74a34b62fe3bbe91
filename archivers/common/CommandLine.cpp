#include "archivers/common/CommandLine.h"

namespace tovik::archivers {
namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::size_t SkipBlanks(std::string_view s, std::size_t pos)
{
    while (pos < s.size() && IsBlank(s[pos]))
        ++pos;
    return pos;
}

// Reads the quoted path whose opening quote is at s[pos]: up to the lone closing quote, a
// doubled quote taken as one. Leaves pos after the closing quote; false when none closes it.
bool ReadQuoted(std::string_view s, std::size_t &pos, std::string &out)
{
    out.clear();
    for (std::size_t i = pos + 1; i < s.size(); ++i) {
        if (s[i] != '"') {
            out += s[i];
        } else if (i + 1 < s.size() && s[i + 1] == '"') {
            out += '"';
            ++i;
        } else {
            pos = i + 1;
            return true;
        }
    }
    return false;
}

// Reads one path at pos: quoted up to the closing quote, or bare up to the next blank.
// Answers false when a quote is left open.
bool ReadPath(std::string_view s, std::size_t &pos, std::string &out, bool &quoted)
{
    pos = SkipBlanks(s, pos);
    if (pos >= s.size())
        return false;
    quoted = s[pos] == '"';
    if (quoted)
        return ReadQuoted(s, pos, out);
    std::size_t end = pos;
    while (end < s.size() && !IsBlank(s[end]))
        ++end;
    out.assign(s.substr(pos, end - pos));
    pos = end;
    return true;
}

// The last path: the rest of the line. Quoted on both sides, closing quote only, or bare.
std::string ReadLastPath(std::string_view rest)
{
    std::size_t start = SkipBlanks(rest, 0);
    rest.remove_prefix(start);
    if (!rest.empty() && rest.front() == '"') {
        std::string whole;
        std::size_t after = 0;
        if (ReadQuoted(rest, after, whole) && SkipBlanks(rest, after) == rest.size())
            return whole;
        std::size_t end = rest.rfind('"');
        if (end > 0)
            return std::string(rest.substr(1, end - 1));
        return std::string(rest.substr(1));
    }
    std::size_t end = rest.rfind('"');
    if (end != std::string_view::npos && rest.find_first_not_of(" \t", end + 1) == std::string_view::npos)
        return std::string(rest.substr(0, end));
    return std::string(rest);
}

ParsedCommand Parse(std::string_view line, int pathCount)
{
    ParsedCommand result;
    std::size_t pos = SkipBlanks(line, 0);
    // Switches and the command word come first; a quoted word is always a path.
    while (pos < line.size() && line[pos] != '"') {
        std::size_t end = pos;
        while (end < line.size() && !IsBlank(line[end]))
            ++end;
        std::string_view word = line.substr(pos, end - pos);
        bool commandWord = result.switches.empty() && (word == "x" || word == "e" || word == "X" || word == "E");
        if (word.front() != '-' && !commandWord)
            break;
        result.switches.emplace_back(word);
        if (word == "-x" || word == "-e" || commandWord)
            result.extract = true;
        pos = SkipBlanks(line, end);
    }
    std::string_view rest = line.substr(pos);
    if (rest.empty())
        return result;

    // The plain reading: each leading path one quoted or bare word, the last path the rest.
    CommandTarget plain;
    std::size_t p = 0;
    bool anyBare = false, ok = true;
    std::string *leading[2] = {&plain.archive, &plain.folder};
    for (int i = 0; i < pathCount - 1 && ok; ++i) {
        bool quoted = false;
        ok = ReadPath(rest, p, *leading[i], quoted);
        anyBare = anyBare || !quoted;
    }
    if (ok) {
        plain.entry = ReadLastPath(rest.substr(p));
        if (!plain.entry.empty())
            result.targets.push_back(plain);
    }
    if (!anyBare || rest.find('"') != std::string_view::npos)
        return result;

    // Without quotes, every split of the words at blanks is a possible reading.
    std::vector<std::size_t> blanks;
    for (std::size_t i = 0; i < rest.size(); ++i)
        if (rest[i] == ' ')
            blanks.push_back(i);
    while (!rest.empty() && IsBlank(rest.back()))
        rest.remove_suffix(1);
    if (blanks.size() > 32)
        return result;
    auto add = [&](std::size_t a, std::size_t b) {
        CommandTarget t;
        t.archive.assign(rest.substr(0, a));
        if (pathCount == 3) {
            t.folder.assign(rest.substr(a + 1, b - a - 1));
            t.entry.assign(rest.substr(b + 1));
        } else {
            t.entry.assign(rest.substr(a + 1));
        }
        if (t.archive.empty() || t.entry.empty() || (pathCount == 3 && t.folder.empty()))
            return;
        for (const CommandTarget &known : result.targets)
            if (known.archive == t.archive && known.folder == t.folder && known.entry == t.entry)
                return;
        result.targets.push_back(std::move(t));
    };
    for (std::size_t i = 0; i < blanks.size() && blanks[i] < rest.size(); ++i) {
        if (pathCount == 2) {
            add(blanks[i], 0);
            continue;
        }
        for (std::size_t j = i + 1; j < blanks.size() && blanks[j] < rest.size(); ++j)
            add(blanks[i], blanks[j]);
    }
    return result;
}

} // namespace

ParsedCommand ParseExtractCommand(std::string_view line)
{
    return Parse(line, 3);
}

ParsedCommand ParseMemoryCommand(std::string_view line)
{
    return Parse(line, 2);
}

} // namespace tovik::archivers
