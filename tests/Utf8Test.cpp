// Reading UTF-8 that may be malformed, and the settings file in the
// encodings Notepad saves.
#include "Settings.h"
#include "Utf8.h"

#include "support/Utf16Bytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(Utf8, MalformedSequencesAreOneBadByteEachAndNeverReadPastTheEnd)
{
    struct Case {
        std::string text;
        bool valid;
        std::size_t length; // code points, a bad byte counting as one
    };
    const Case cases[] = {
        {"", true, 0},
        {"M\xC3\xA4rz", true, 4},
        {"\xE6\x9C\x88", true, 1},
        {"\xF0\x9F\x98\x80", true, 1}, // U+1F600
        {"\xEF\xBF\xBD", true, 1}, // U+FFFD itself
        {"\xC3", false, 1}, // cut short at the end
        {"\xE6\x9C", false, 2},
        {"\xC0\xAF", false, 2}, // an overlong '/'
        {"\xE0\x80\xAF", false, 3}, // another
        {"\xED\xA0\x80", false, 3}, // a surrogate
        {"\xF4\x90\x80\x80", false, 4}, // beyond U+10FFFF
        {"\x80"
         "abc",
         false, 4}, // a lone continuation byte
        {"\xF6\xDF", false, 2}, // Latin-1 "öß"
    };
    for (const Case& c : cases) {
        EXPECT_EQ(utf8_valid(c.text), c.valid) << c.text;
        EXPECT_EQ(utf8_length(c.text), c.length) << c.text;
    }
    std::string out;
    for (char32_t cp : {U'A', U'\u00E4', U'\u6708', U'\U0001F600', char32_t{0xD800}, char32_t{0x110000}}) {
        utf8_append(&out, cp);
    }
    EXPECT_EQ(out, "A\xC3\xA4\xE6\x9C\x88\xF0\x9F\x98\x80\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_FALSE(printable_utf8("tab\there"));
    EXPECT_FALSE(printable_utf8("\xC2\x9B")); // C1 control
    EXPECT_TRUE(printable_utf8("\xC2\xA0\xE6\x9C\x88"));
}

TEST(Utf8, ASettingsFileSavedAsUnicodeReadsAsUtf8EitherWayRound)
{
    // "[lines]\r\ntext = März 月 😀\r\n" in UTF-16 with its byte-order mark.
    const std::u16string wide = u"\uFEFF[lines]\r\ntext = M\u00E4rz \u6708 \U0001F600\r\n";
    for (bool big_endian : {false, true}) {
        SCOPED_TRACE(big_endian ? "big-endian" : "little-endian");
        const SettingsLoad load = parse_settings(utf16(wide, big_endian));
        EXPECT_TRUE(load.problems.empty()) << load.problems.front();
        EXPECT_EQ(load.settings.text, "M\xC3\xA4rz \xE6\x9C\x88 \xF0\x9F\x98\x80");
    }
}

TEST(Utf8, HalfACharacterALoneSurrogateAndNulBytesAreReported)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::string text; // what the line shows: the default when refused
        std::vector<std::string> problems; // the first ones, in order
    };
    const std::string half = "not UTF-16: its last byte is half a character (save the file as UTF-8)";
    const std::string nul = "holds NUL bytes, not text (save the file as UTF-8)";
    const Case cases[] = {
        {"an odd byte at the end, the rest applies", utf16(u"\uFEFF[lines]\r\ntext = hi", false) + "!", "hi", {half}},
        {"a lone surrogate in a value, big-endian",
         utf16(u"\uFEFF[overlay]\r\ncorner = top-right\r\n[lines]\r\n"
               u"text = a\xD83D"
               "b\r\n",
               true),
         "",
         {"[lines] text = a???b: not UTF-16: half of a surrogate pair (type the character again); use a line of "
          "your own, at most 100 characters in any script, shown where show lists text"}},
        {"a file of NUL bytes", std::string(64, '\0'), "", {nul}},
        {"UTF-16 without its mark", utf16(u"[lines]\r\ntext = hi\r\n", false), "", {nul}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SettingsLoad load = parse_settings(c.bytes);
        EXPECT_EQ(load.settings.text, c.text);
        ASSERT_GE(load.problems.size(), c.problems.size());
        for (std::size_t i = 0; i < c.problems.size(); ++i) {
            EXPECT_EQ(load.problems[i], c.problems[i]);
        }
    }
    EXPECT_EQ(parse_settings(utf16(u"\uFEFF[lines]\r\ntext = a\xD83D"
                                   "b\r\n[overlay]\r\ncorner = top-right\r\n",
                                   false))
                  .settings.corner,
              Corner::TopRight)
        << "every other key still applies";
}
