// A settings file's bytes as UTF-8 text and back, in the encodings Notepad
// saves: portable, built natively with the sanitizers as well as for Windows.
#include "TextEncoding.h"

#include "support/Utf16Bytes.h"

#include <gtest/gtest.h>

#include <string>

TEST(TextEncoding, EachEncodingDecodesToTheSameTextAndEncodesBackToTheSameBytes)
{
    // "[text]\r\ntext = März 月 😀\r\n" with a byte-order mark in each form.
    const std::u16string wide = u"\uFEFF[text]\r\ntext = M\u00E4rz \u6708 \U0001F600\r\n";
    const std::string utf8 = "\xEF\xBB\xBF[text]\r\ntext = M\xC3\xA4rz \xE6\x9C\x88 \xF0\x9F\x98\x80\r\n";
    struct Case {
        const char* name;
        std::string bytes;
        TextEncoding encoding;
        std::string text;
    };
    const Case cases[] = {
        {"UTF-8 with a mark", utf8, TextEncoding::Utf8, utf8},
        {"UTF-8 without one", utf8.substr(3), TextEncoding::Utf8, utf8.substr(3)},
        {"UTF-16 LE", utf16(wide, false), TextEncoding::Utf16Le, utf8},
        {"UTF-16 BE", utf16(wide, true), TextEncoding::Utf16Be, utf8},
        {"UTF-16 LE, only the mark", utf16(u"\uFEFF", false), TextEncoding::Utf16Le, "\xEF\xBB\xBF"},
        {"UTF-8, malformed bytes kept as they are",
         "k = Gr\xF6\xDF"
         "e",
         TextEncoding::Utf8,
         "k = Gr\xF6\xDF"
         "e"},
        // Half a pair, high or low, anywhere: a form no UTF-8 check takes.
        {"UTF-16 LE, a lone high surrogate",
         utf16(u"\uFEFFa\xD800"
               "b",
               false),
         TextEncoding::Utf16Le,
         "\xEF\xBB\xBF"
         "a\xED\xA0\x80"
         "b"},
        {"UTF-16 BE, a lone low surrogate last", utf16(u"\uFEFFa\xDFFF", true), TextEncoding::Utf16Be,
         "\xEF\xBB\xBF"
         "a\xED\xBF\xBF"},
        {"UTF-16 LE, a low before a high", utf16(u"\uFEFF\xDC00\xD800", false), TextEncoding::Utf16Le,
         "\xEF\xBB\xBF\xED\xB0\x80\xED\xA0\x80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedText d = decode_text(c.bytes);
        EXPECT_EQ(d.encoding, c.encoding);
        EXPECT_EQ(d.text, c.text);
        EXPECT_EQ(d.problem, "");
        EXPECT_TRUE(d.faithful);
        std::string back;
        EXPECT_EQ(encode_text(d.text, d.encoding, &back), 0);
        EXPECT_EQ(back, c.bytes);
    }
}

TEST(TextEncoding, BytesThatAreNotTextAreReportedAndNotWrittenBack)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::string text;
        std::string problem;
    };
    const std::string nul = "holds NUL bytes, not text (save the file as UTF-8)";
    const std::string odd = "not UTF-16: its last byte is half a character (save the file as UTF-8)";
    const Case cases[] = {
        {"a file of NUL bytes", std::string(8, '\0'), std::string(8, '\0'), nul},
        {"UTF-16 without a mark", utf16(u"k=1", false), utf16(u"k=1", false), nul},
        {"UTF-16 with a NUL character", utf16(std::u16string(u"\uFEFFk=\u0000", 4), false),
         std::string("\xEF\xBB\xBFk=\0", 6), nul},
        // FF FE 00 00 starts UTF-32 LE, which Brindlow does not read.
        {"UTF-32 LE", std::string("\xFF\xFE\0\0k\0\0\0", 8), std::string("\xEF\xBB\xBF\0k\0", 6), nul},
        {"UTF-16 LE, an odd byte at the end", utf16(u"\uFEFFk=1", false) + "\n", "\xEF\xBB\xBFk=1", odd},
        {"UTF-16 BE, only the mark and one byte", "\xFE\xFF\x41", "\xEF\xBB\xBF", odd},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedText d = decode_text(c.bytes);
        EXPECT_EQ(d.text, c.text);
        EXPECT_EQ(d.problem, c.problem);
        EXPECT_FALSE(d.faithful);
    }
}

TEST(TextEncoding, MalformedUtf8CannotBecomeUtf16)
{
    std::string out;
    EXPECT_EQ(encode_text("k = \xF6", TextEncoding::Utf16Le, &out), -1);
    EXPECT_EQ(encode_text("\xED\xA0", TextEncoding::Utf16Be, &out), -1); // a surrogate's form cut short
    EXPECT_EQ(encode_text("k = \xF6", TextEncoding::Utf8, &out), 0);
    EXPECT_EQ(out, "k = \xF6");
    EXPECT_STREQ(malformed_text_problem(TextEncoding::Utf8), "not UTF-8 (save the file as UTF-8)");
    EXPECT_STREQ(malformed_text_problem(TextEncoding::Utf16Be),
                 "not UTF-16: half of a surrogate pair (type the character again)");
}
