// The UTF-8/UTF-16 conversion every -W call goes through.
#include <gtest/gtest.h>

#include "base/Exceptions.h"
#include "base/WideText.h"

namespace {

using qs::Utf16ToUtf8;
using qs::Utf8ToUtf16;

TEST(WideText, RoundTripsEveryWidth) {
    struct Case {
        const char* utf8;
        std::u16string utf16;
    } cases[] = {
        {"", u""},
        {"C:\\Quill Test", u"C:\\Quill Test"},
        {"Narz\xC4\x99" "dzia \xC5\x81\xC3\xB3" "d\xC5\xBA", u"Narz\u0119dzia \u0141\u00F3d\u017A"},
        {"\xD0\xA1\xD0\xB5\xD1\x80\xD0\xB3\xD0\xB5\xD0\xB9", u"\u0421\u0435\u0440\u0433\u0435\u0439"},
        {"C:\\\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88", u"C:\\\u30BD\u30D5\u30C8"},  // "ソフト"
        {"\xF0\x9F\x93\x81 x", u"\xD83D\xDCC1 x"},  // U+1F4C1 as a surrogate pair
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.utf8;
        EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8) << c.utf8;
    }
}

TEST(WideText, LoneSurrogatesComeBackUnchanged) {
    // Windows allows them in file names; such a file must still be found again by the name it was listed under.
    for (const std::u16string name : {u"a\xD800" u"b", u"\xDC00", u"x\xDBFF"}) {
        EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(name)), name);
    }
}

TEST(WideText, InvalidUtf8IsRefused) {
    for (const char* bad : {"\x80", "\xC3", "caf\xE9", "\xC0\xAF", "\xE0\x80\xAF", "\xF4\x90\x80\x80", "\xFF"}) {
        EXPECT_THROW(Utf8ToUtf16(bad), qs::EConvertError) << bad;
    }
}

TEST(WideText, PrefixNeverSplitsACharacter) {
    const std::string text = "ab\xC5\x81\xE3\x82\xBD";  // a, b, Ł (2 bytes), ソ (3 bytes)
    EXPECT_EQ(qs::Utf8Prefix(text, 3), "ab");
    EXPECT_EQ(qs::Utf8Prefix(text, 4), "ab\xC5\x81");
    EXPECT_EQ(qs::Utf8Prefix(text, 6), "ab\xC5\x81");
    EXPECT_EQ(qs::Utf8Prefix(text, 7), text);
    EXPECT_EQ(qs::Utf8Prefix(text, 100), text);
}

}  // namespace
