// Stored names made safe to print: what a hostile name holds and what is shown instead.
#include "platform/VisibleText.h"

#include <gtest/gtest.h>

using tovik::platform::VisibleControls;

namespace {

struct Case {
    const char *why;
    std::string in, out;
};

TEST(VisibleTextTest, ControlCharactersBecomePictures)
{
    const Case cases[] = {
        {"plain ASCII passes", "dir/a b.txt", "dir/a b.txt"},
        {"a newline would forge a row", "a\nb", "a\xe2\x90\x8a" "b"},
        {"a tab would shift the columns", "a\tb", "a\xe2\x90\x89" "b"},
        {"ESC would reach the terminal", "\x1b[2J", "\xe2\x90\x9b[2J"},
        {"NUL-free C0 start and DEL", std::string("\x01\x7f"), "\xe2\x90\x81\xe2\x90\xa1"},
        {"C1 CSI in UTF-8", "a\xc2\x9b" "b", "a\xef\xbf\xbd" "b"},
        {"Japanese stays", "\xe6\x97\xa5\xe6\x9c\xac.txt", "\xe6\x97\xa5\xe6\x9c\xac.txt"},
        {"U+00A0 is no control", "a\xc2\xa0" "b", "a\xc2\xa0" "b"},
        {"bytes that are not UTF-8 pass", "\x83\x5c\x83\x74", "\x83\x5c\x83\x74"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(VisibleControls(c.in), c.out) << c.why;
}

} // namespace
