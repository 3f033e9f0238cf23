#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pocketjson/text.h"

namespace pocketjson {
namespace {

using Pieces = std::vector<std::string>;

TEST(SplitString, CutsAtEveryDelimiterAndDropsEmptyPieces) {
    EXPECT_EQ(splitString("a,b,c", ","), (Pieces{"a", "b", "c"}));
    EXPECT_EQ(splitString(",,a,,b,", ","), (Pieces{"a", "b"}));
    EXPECT_EQ(splitString("one::two:three::", "::"), (Pieces{"one", "two:three"}));
    EXPECT_EQ(splitString("no delimiter", ","), (Pieces{"no delimiter"}));
    EXPECT_EQ(splitString("", ","), Pieces{});
    EXPECT_EQ(splitString(",,,", ","), Pieces{});
    EXPECT_EQ(splitString("aaa", "aa"), (Pieces{"a"}));
}

TEST(SplitString, EmptyDelimiterKeepsTheTextWhole) {
    EXPECT_EQ(splitString("abc", ""), (Pieces{"abc"}));
    EXPECT_EQ(splitString("", ""), Pieces{});
}

#ifdef _WIN32
// The test prefix runs with the default ANSI code page 1252.
TEST(AnsiConversion, Latin1CharactersChangeEncoding) {
    std::string text = "caf\xE9";
    EXPECT_EQ(toUtf8FromAnsi(text), "caf\xC3\xA9");
    EXPECT_EQ(text, "caf\xC3\xA9");
    EXPECT_EQ(toAnsiFromUtf8(text), "caf\xE9");
    EXPECT_EQ(text, "caf\xE9");
}

TEST(AnsiConversion, Cp1252SpecialsAndAscii) {
    std::string euro = "\x80";  // the euro sign in code page 1252
    EXPECT_EQ(toUtf8FromAnsi(euro), "\xE2\x82\xAC");
    std::string ascii = "plain ASCII 123";
    EXPECT_EQ(toUtf8FromAnsi(ascii), "plain ASCII 123");
    EXPECT_EQ(toAnsiFromUtf8(ascii), "plain ASCII 123");
    std::string empty;
    EXPECT_EQ(toUtf8FromAnsi(empty), "");
    EXPECT_EQ(toAnsiFromUtf8(empty), "");
}

TEST(AnsiConversion, ZeroBytesInsideTheTextSurvive) {
    std::string text("a\0\xE9", 3);
    EXPECT_EQ(toUtf8FromAnsi(text), std::string("a\0\xC3\xA9", 4));
    EXPECT_EQ(toAnsiFromUtf8(text), std::string("a\0\xE9", 3));
}

TEST(AnsiConversion, CharacterOutsideTheCodePageIsReplaced) {
    std::string text = "\xE4\xB8\xAD";  // U+4E2D has no code-page 1252 form
    toAnsiFromUtf8(text);
    EXPECT_EQ(text, "?");
}
#endif

}  // namespace
}  // namespace pocketjson
