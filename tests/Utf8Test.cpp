// Reading UTF-8 that may be malformed, and the settings file in the
// encodings Notepad saves.
#include "Settings.h"
#include "Utf8.h"

#include <gtest/gtest.h>

#include <string>

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
        {"\xF0\x9F\x98\x80", true, 1},   // U+1F600
        {"\xEF\xBF\xBD", true, 1},       // U+FFFD itself
        {"\xC3", false, 1},              // cut short at the end
        {"\xE6\x9C", false, 2},
        {"\xC0\xAF", false, 2},          // an overlong '/'
        {"\xE0\x80\xAF", false, 3},      // another
        {"\xED\xA0\x80", false, 3},      // a surrogate
        {"\xF4\x90\x80\x80", false, 4},  // beyond U+10FFFF
        {"\x80" "abc", false, 4},        // a lone continuation byte
        {"\xF6\xDF", false, 2},          // Latin-1 "öß"
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

TEST(Utf8, ASettingsFileSavedAsUnicodeReadsAsUtf8)
{
    // "[lines]\r\ntext = März 月 😀\r\n" in UTF-16 LE with its byte-order mark, and a lone surrogate after.
    const std::u16string wide = u"[lines]\r\ntext = M\u00E4rz \u6708 \U0001F600\r\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : wide) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    const SettingsLoad load = parse_settings(bytes);
    EXPECT_TRUE(load.problems.empty()) << load.problems.front();
    EXPECT_EQ(load.settings.text, "M\xC3\xA4rz \xE6\x9C\x88 \xF0\x9F\x98\x80");
    EXPECT_EQ(utf8_from_utf16le(std::string("\x00\xD8\x41\x00", 4)), "\xEF\xBF\xBD" "A");
    EXPECT_EQ(utf8_from_utf16le(std::string("\x41", 1)), ""); // an odd byte at the end is dropped
}
