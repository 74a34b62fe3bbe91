// The character-by-character road through a decoder, for checking its faster LoadFromStream.
#ifndef TOVIK_TESTS_TEXTCONV_DECODEBYLINES_H
#define TOVIK_TESTS_TEXTCONV_DECODEBYLINES_H

#include "textconv/LxTextDecorder.h"

#include <string>

// Decodes the source set by SetSource, one ReadLine per line, into lines joined by CR LF (no
// CR LF after the last): the text LoadFromStream loads into the lines.
inline std::string DecodeByLines(TLxSourceDecorder &decoder)
{
    std::string out;
    std::string line;
    while (!decoder.AtEnd()) {
        decoder.ReadLine(line);
        if (!decoder.AtEnd())
            line += "\r\n";
        out += line;
    }
    return out;
}

#endif
