// One key changed in INI text, every other byte kept: portable, built
// natively with the sanitizers as well as for Windows.
#include "IniEdit.h"
#include "INIReader.h"
#include "Settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {
struct Case {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    std::string expected;
};

// The settings the reader takes from a text, without its status entry.
IniData read(const std::string& text)
{
    INIReader reader;
    IniData data = reader.parse_text(text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? text.substr(3) : text);
    data.erase("return");
    return data;
}
}

TEST(IniEdit, SetsOneKeyAndKeepsEveryOtherByte)
{
    const Case cases[] = {
        {"present", "[overlay]\ncorner = top-left\nx = 5\n", "overlay", "corner",
         "[overlay]\ncorner = bottom-right\nx = 5\n"},
        {"commented out in the template", "; Brindlow\n[overlay]\n; corner = top-left\n; x = 0\n", "overlay", "corner",
         "; Brindlow\n[overlay]\ncorner = bottom-right\n; x = 0\n"},
        {"missing key, section present", "[overlay]\nx = 5\n\n[text]\ncolour = #FFFFFF\n", "overlay", "corner",
         "[overlay]\nx = 5\ncorner = bottom-right\n\n[text]\ncolour = #FFFFFF\n"},
        {"missing section", "[text]\ncolour = #FFFFFF\n", "overlay", "corner",
         "[text]\ncolour = #FFFFFF\n\n[overlay]\ncorner = bottom-right\n"},
        {"duplicates: the one in effect", "[overlay]\ncorner = top-left\nx = 1\ncorner = top-right\n", "overlay",
         "corner", "[overlay]\ncorner = top-left\nx = 1\ncorner = bottom-right\n"},
        {"CR LF kept, also for new lines", "[text]\r\ncolour = #FFFFFF\r\n", "overlay", "corner",
         "[text]\r\ncolour = #FFFFFF\r\n\r\n[overlay]\r\ncorner = bottom-right\r\n"},
        {"byte-order mark kept", "\xEF\xBB\xBF[overlay]\r\ncorner = top-left\r\n", "overlay", "corner",
         "\xEF\xBB\xBF[overlay]\r\ncorner = bottom-right\r\n"},
        {"no final newline", "[overlay]\nx = 5", "overlay", "corner", "[overlay]\nx = 5\ncorner = bottom-right\n"},
        {"a value with a semicolon replaced whole", "[overlay]\ncorner = top-left ; mine\n[x]\ny=;z\n", "overlay",
         "corner", "[overlay]\ncorner = bottom-right\n[x]\ny=;z\n"},
        {"empty file", "", "overlay", "corner", "[overlay]\ncorner = bottom-right\n"},
        {"last line ends in a lone CR: it becomes CR LF", "[overlay]\r\nx = 5\r", "overlay", "corner",
         "[overlay]\r\nx = 5\r\ncorner = bottom-right\r\n"},
        {"last header ends in a lone CR", "[text]\ncolour = #FFFFFF\n[overlay]\r", "overlay", "corner",
         "[text]\ncolour = #FFFFFF\n[overlay]\r\ncorner = bottom-right\n"},
        {"a lone CR kept after a replaced last line", "[overlay]\ncorner = top-right\r", "overlay", "corner",
         "[overlay]\ncorner = bottom-right\r"},
        {"a lone CR ends the text, new section", "[text]\ncolour = #FFFFFF\r", "overlay", "corner",
         "[text]\ncolour = #FFFFFF\r\n\n[overlay]\ncorner = bottom-right\n"},
        {"same key in another section untouched", "[text]\ncorner = keep\n[overlay]\n", "overlay", "corner",
         "[text]\ncorner = keep\n[overlay]\ncorner = bottom-right\n"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const std::string out = set_ini_key(k.text, k.section, k.key, "bottom-right");
        EXPECT_EQ(out, k.expected);
        IniData before = read(k.text);
        IniData after = read(out);
        EXPECT_EQ(after[k.section][k.key], "bottom-right");
        before[k.section][k.key] = "bottom-right";
        EXPECT_EQ(after, before) << "every other key as it was";
    }
}

TEST(IniEdit, RemovingAKeyRemovesOnlyItsActiveLines)
{
    EXPECT_EQ(remove_ini_key("[overlay]\r\n; corner = top-left\r\ncorner = x\r\ny = 2\r\ncorner = z\r\n", "overlay",
                             "corner"),
              "[overlay]\r\n; corner = top-left\r\ny = 2\r\n");
    EXPECT_EQ(remove_ini_key("\xEF\xBB\xBF"
                             "corner = x\n[overlay]\n",
                             "", "corner"),
              "\xEF\xBB\xBF[overlay]\n");
    EXPECT_EQ(remove_ini_key("[text]\ncorner = x\n", "overlay", "corner"), "[text]\ncorner = x\n");
}

namespace {
// The bytes of UTF-16 text in a file's encoding, written out here rather than
// by the code under test; UTF-8 from Basic Multilingual Plane characters.
enum class Form { Utf8, Utf8Mark, Utf16Le, Utf16Be };

std::string bytes_in(const std::u16string& units, Form form)
{
    std::string out;
    if (form == Form::Utf8Mark) {
        out = "\xEF\xBB\xBF";
    }
    for (char16_t u : units) {
        if (form == Form::Utf16Le || form == Form::Utf16Be) {
            const char high = static_cast<char>(u >> 8);
            const char low = static_cast<char>(u & 0xFF);
            out += form == Form::Utf16Be ? high : low;
            out += form == Form::Utf16Be ? low : high;
        } else if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (u >> 12));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

std::u16string with_mark(Form form, const std::u16string& text)
{
    return form == Form::Utf16Le || form == Form::Utf16Be ? u"\uFEFF" + text : text;
}
}

TEST(IniEdit, AFileIsWrittenBackInItsOwnEncodingEveryOtherByteKept)
{
    struct Case {
        const char* name;
        std::u16string text;
        const char* section;
        bool remove;
        std::u16string expected;
    };
    const Case cases[] = {
        {"replaced", u"; M\u00E4rz\r\n[overlay]\r\ncorner = top-left\r\n[text]\r\ntext = \u6708 \u00E9\r\n", "overlay",
         false, u"; M\u00E4rz\r\n[overlay]\r\ncorner = bottom-right\r\n[text]\r\ntext = \u6708 \u00E9\r\n"},
        {"a new section", u"[text]\r\ntext = \u6708\r\n", "overlay", false,
         u"[text]\r\ntext = \u6708\r\n\r\n[overlay]\r\ncorner = bottom-right\r\n"},
        {"after a last line ending in a lone CR", u"[overlay]\r\ntext = \u00E9\r", "overlay", false,
         u"[overlay]\r\ntext = \u00E9\r\ncorner = bottom-right\r\n"},
        {"an empty file", u"", "overlay", false, u"[overlay]\ncorner = bottom-right\n"},
        {"removed", u"[overlay]\r\ncorner = top-left\r\n; \u6708\r\n", "overlay", true, u"[overlay]\r\n; \u6708\r\n"},
        {"the only line removed", u"corner = top-left", "", true, u""},
    };
    const std::pair<const char*, Form> forms[] = {{"UTF-8", Form::Utf8},
                                                  {"UTF-8 with a mark", Form::Utf8Mark},
                                                  {"UTF-16 LE", Form::Utf16Le},
                                                  {"UTF-16 BE", Form::Utf16Be}};
    for (const auto& form : forms) {
        for (const Case& k : cases) {
            SCOPED_TRACE(std::string(form.first) + ", " + k.name);
            std::string out;
            std::string why;
            ASSERT_EQ(edit_ini_file(bytes_in(with_mark(form.second, k.text), form.second), k.section, "corner",
                                    "bottom-right", k.remove, &out, &why),
                      0)
                << why;
            EXPECT_EQ(out, bytes_in(with_mark(form.second, k.expected), form.second));
            const SettingsLoad load = parse_settings(out);
            EXPECT_EQ(load.settings.corner, k.remove ? Corner::TopLeft : Corner::BottomRight);
        }
    }
}

TEST(IniEdit, AFileThatCannotBeWrittenBackExactlyIsRefused)
{
    const std::string half = "not UTF-16: its last byte is half a character (save the file as UTF-8)";
    const std::string nul = "holds NUL bytes, not text (save the file as UTF-8)";
    struct Case {
        const char* name;
        std::string bytes;
        std::string why;
    };
    const Case cases[] = {
        {"UTF-16 LE, an odd byte", bytes_in(u"\uFEFF[overlay]\r\n", Form::Utf16Le) + "x", half},
        {"UTF-16 BE, an odd byte", bytes_in(u"\uFEFF[overlay]\r\n", Form::Utf16Be) + "x", half},
        {"UTF-16 without its mark", bytes_in(u"[overlay]\r\n", Form::Utf16Le), nul},
        {"a file of NUL bytes", std::string(16, '\0'), nul},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        std::string out = "untouched";
        std::string why;
        EXPECT_EQ(edit_ini_file(k.bytes, "overlay", "corner", "bottom-right", false, &out, &why), -1);
        EXPECT_EQ(why, k.why);
    }
    // What follows Ctrl-Z is not the file's to the reader: a change there would not apply.
    std::string out;
    std::string why;
    EXPECT_EQ(
        edit_ini_file("[text]\r\ncolour = #FFFFFF\r\n\x1A\r\n", "overlay", "corner", "bottom-right", false, &out, &why),
        -1);
    EXPECT_EQ(why, "a Ctrl-Z character (end of text) is in the way of the change");
    EXPECT_EQ(edit_ini_file("[overlay]\r\ncorner = top-left\r\n\x1A[overlay]\r\ncorner = x\r\n", "overlay", "corner",
                            "bottom-right", false, &out, &why),
              -1);
    // Replacing the line would take out the Ctrl-Z and let "x = 1" be read.
    EXPECT_EQ(edit_ini_file("[overlay]\r\ncorner = top-left\x1A\r\nx = 1\r\n", "overlay", "corner", "bottom-right",
                            false, &out, &why),
              -1);
    EXPECT_EQ(
        edit_ini_file("[overlay]\r\ncorner = top-left\r\n\x1A", "overlay", "corner", "bottom-right", false, &out, &why),
        0);
    EXPECT_EQ(out, "[overlay]\r\ncorner = bottom-right\r\n\x1A");
    // A value that is not UTF-8 has no UTF-16 form.
    EXPECT_EQ(edit_ini_file(bytes_in(u"\uFEFF", Form::Utf16Le), "text", "text", "\xF6", false, &out, &why), -1);
}

TEST(IniEdit, ALoneSurrogateInAUtf16FileIsWrittenBackAsItWas)
{
    const std::u16string text = u"\uFEFF[text]\r\ntext = a\xD83D"
                                "b\r\n[overlay]\r\n";
    for (const Form form : {Form::Utf16Le, Form::Utf16Be}) {
        std::string out;
        std::string why;
        ASSERT_EQ(edit_ini_file(bytes_in(text, form), "overlay", "corner", "bottom-right", false, &out, &why), 0);
        EXPECT_EQ(out, bytes_in(text + u"corner = bottom-right\r\n", form));
    }
}

namespace {
// The sections holding key k in what the reader takes, each with its value.
std::vector<std::pair<std::string, std::string>> holders_of_k(const std::string& text)
{
    std::vector<std::pair<std::string, std::string>> found;
    for (const auto& section : read(text)) {
        const auto kv = section.second.find("k");
        if (kv != section.second.end()) {
            found.emplace_back(section.first, kv->second);
        }
    }
    return found;
}
}

// The reader and the key setter share one set of line rules: for each line
// that is nearly a header, or one in odd clothes, the section the reader puts
// the key after it in is the one the setter changes it in, in place, and the
// one it removes it from.
TEST(IniEdit, TheReaderAndTheSetterAgreeOnEachLinesSection)
{
    const struct {
        const char* name;
        std::string text;
        const char* section; // where the reader puts k; nullptr: nowhere
    } cases[] = {
        {"text after the bracket", "[base]\n[a]x\nk = 1\n", "base"},
        {"spaces inside the brackets", "[base]\n[ a ]\nk = 1\n", " a "},
        {"an empty name", "[base]\n[]\nk = 1\n", ""},
        {"no closing bracket", "[base]\n[a\nk = 1\n", "base"},
        {"a commented-out header", "[base]\n;[a]\nk = 1\n", "base"},
        {"a #-commented header", "[base]\n#[a]\nk = 1", "base"},
        {"a comment after the header", "[base]\n[a] ; mine\nk = 1\n", "base"},
        {"spaces and tabs around the header", "[base]\n \t[a]\t \nk = 1\n", "a"},
        {"two closing brackets", "[base]\n[a]]\nk = 1\n", "a]"},
        {"two opening brackets", "[base]\n[[a]\nk = 1\n", "[a"},
        {"CR LF endings", "[base]\r\n[a]\r\nk = 1\r\n", "a"},
        {"a lone CR at the very end", "[base]\n[a]\nk = 1\r", "a"},
        {"two CRs before the line feed", "[base]\n[a]\r\r\nk = 1\n", "base"},
        {"a lone CR inside a line", "[base]\n[a]\rk = 1\n", nullptr},
        {"a byte-order mark before the header", "\xEF\xBB\xBF[a]\nk = 1\n", "a"},
        {"a byte-order mark and no header", "\xEF\xBB\xBFk = 1\n", ""},
        {"a byte-order mark before a comment", "\xEF\xBB\xBF;[a]\nk = 1\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto holders = holders_of_k(c.text);
        if (c.section == nullptr) {
            EXPECT_TRUE(holders.empty());
            EXPECT_EQ(remove_ini_key(c.text, "base", "k"), c.text);
            EXPECT_EQ(remove_ini_key(c.text, "a", "k"), c.text);
            continue;
        }
        ASSERT_EQ(holders.size(), 1u);
        EXPECT_EQ(holders[0].first, c.section);
        EXPECT_EQ(holders[0].second, "1");

        const std::string set = set_ini_key(c.text, c.section, "k", "2");
        EXPECT_EQ(std::count(set.begin(), set.end(), '\n'), std::count(c.text.begin(), c.text.end(), '\n'))
            << "changed in place, not added";
        const auto after_set = holders_of_k(set);
        ASSERT_EQ(after_set.size(), 1u);
        EXPECT_EQ(after_set[0].first, c.section);
        EXPECT_EQ(after_set[0].second, "2");

        EXPECT_TRUE(holders_of_k(remove_ini_key(c.text, c.section, "k")).empty());
    }
}
