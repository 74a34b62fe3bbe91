// Random bytes through every decoder and the detection. Built with AddressSanitizer and
// UndefinedBehaviorSanitizer, so that a read past the end of the text fails the test.
#include "editor/EditTypes.h"
#include "textconv/LxTCTypes.h"
#include "textconv/LxTextDecorder.h"
#include "tests/textconv/DecodeByLines.h"

#include <gtest/gtest.h>

#include <random>
#include <algorithm>
#include <memory>
#include <vector>

namespace {

// Bytes that steer the decoders into their multi-byte paths, mixed with any byte at all.
std::string RandomText(std::mt19937 &random, size_t length, bool zeros)
{
    static const std::string steering = "\x1B$B(\x8E\x8F\xA1\xFE\xC2\xE3\xF0\xF4\xEF\xBB\xBF\xFF\xFE\xD8\xDC"
                                        "GV09AF\r\n";
    std::string text(length, ' ');
    for (char &ch : text) {
        uint32_t r = random();
        if (r % 3 == 0)
            ch = steering[(r >> 8) % steering.size()];
        else
            ch = static_cast<char>(zeros ? (r >> 8) & 0xFF : (r >> 8) % 255 + 1);
    }
    return text;
}

std::vector<size_t> Lengths(std::mt19937 &random)
{
    std::vector<size_t> lengths;
    for (size_t n = 0; n <= 1024; ++n)
        lengths.push_back(n);
    for (int i = 0; i < 100; ++i)
        lengths.push_back(1025 + random() % (65536 - 1025));
    lengths.push_back(65535);
    lengths.push_back(65536);
    return lengths;
}

} // namespace

TEST(DecoderFuzz, RandomBytesOfAnyLengthDecodeSafely)
{
    std::mt19937 random(20261209);
    TCharSetList sets;
    std::vector<TCharSetItem *> rows;
    for (int i = 0; i < sets.Count(); ++i)
        if (sets.Items(i)->DecoderClass)
            rows.push_back(sets.Items(i));
    ASSERT_EQ(rows.size(), 10u);

    for (size_t length : Lengths(random)) {
        std::string random_text = RandomText(random, length, length % 7 == 0);
        // On the heap at its exact size, so that the sanitizer sees a read one byte past it.
        std::unique_ptr<char[]> exact(new char[length]);
        std::copy(random_text.begin(), random_text.end(), exact.get());
        std::string_view text(exact.get(), length);
        int16_t lineEnd = 0;
        int16_t certainty = 0;
        TLxEncoderJudgment::DetectCharSet(text, lineEnd, certainty);
        for (TCharSetItem *row : rows) {
            std::unique_ptr<TLxDecorderBase> decoder = row->CreateDecoder("");
            TEditStringList lines;
            ASSERT_NO_THROW(decoder->LoadFromBytes(text, &lines)) << row->Name << " length " << length;
            // The character-by-character road must not read past the end either.
            if (length <= 1024) {
                if (auto *source = dynamic_cast<TLxSourceDecorder *>(decoder.get())) {
                    source->SetSource(text);
                    DecodeByLines(*source);
                }
            }
        }
    }
}
