// One key changed in INI text, every other byte kept: portable, built
// natively with the sanitizers as well as for Windows.
#include "IniEdit.h"
#include "INIReader.h"

#include <gtest/gtest.h>

#include <string>

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
    EXPECT_EQ(remove_ini_key("\xEF\xBB\xBF" "corner = x\n[overlay]\n", "", "corner"), "\xEF\xBB\xBF[overlay]\n");
    EXPECT_EQ(remove_ini_key("[text]\ncorner = x\n", "overlay", "corner"), "[text]\ncorner = x\n");
}
