// Lines cut into what is drawn letter by letter and what Windows must shape
// as a whole.
#include "TextRuns.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
// Each piece as its text, shaped ones in brackets.
std::string pieces(const std::string& text, std::size_t max_run = 32)
{
    std::string out;
    for (const TextPiece& p : split_runs(text, max_run)) {
        out += p.shaped ? "[" + p.text + "]" : p.text;
        out += "|";
    }
    return out;
}
}

TEST(TextRuns, ScriptsThatJoinOrReorderAndMarkedLettersAreShapedAsWholes)
{
    const std::string shalom = "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D"; // שלום
    const std::string olam = "\xD7\xA2\xD7\x95\xD7\x9C\xD7\x9D"; // עולם
    const std::string salam = "\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85"; // سلام
    const std::string namaste = "\xE0\xA4\xA8\xE0\xA4\xAE\xE0\xA4\xB8\xE0\xA5\x8D\xE0\xA4\xA4\xE0\xA5\x87"; // नमस्ते
    const std::string thai = "\xE0\xB8\x81\xE0\xB9\x88\xE0\xB8\xB2"; // ก่า
    const std::string e_acute = "e\xCC\x81"; // e + U+0301
    struct Case {
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"Ab 1", "A|b| |1|"},
        {"M\xC3\xA4rz \xE6\x9C\x88", "M|\xC3\xA4|r|z| |\xE6\x9C\x88|"}, // precomposed and CJK: one by one
        {shalom + " " + olam, "[" + shalom + " " + olam + "]|"}, // a phrase reorders as a whole
        {"Tel " + shalom + " 12", "T|e|l| |[" + shalom + " 12]|"}, // digits after it are ordered with it
        {shalom + " ok", "[" + shalom + "]| |o|k|"}, // spaces before a Latin word stay outside
        {"\xD7\x99\xD7\x95\xD7\x9D 7, 2026", "[\xD7\x99\xD7\x95\xD7\x9D 7, 2026]|"}, // a right-to-left date is one run
        {salam + "\xE2\x80\x8C" + salam, "[" + salam + "\xE2\x80\x8C" + salam + "]|"}, // a joiner stays inside
        {namaste, "[" + namaste + "]|"},
        {shalom + " " + salam, "[" + shalom + "]| |[" + salam + "]|"}, // one script to a run, and so one font
        {namaste + "\xE0\xA6\x95", "[" + namaste + "]|[\xE0\xA6\x95]|"}, // Devanagari, then Bengali
        {thai + "!", "[" + thai + "]|!|"},
        {"caf" + e_acute + "s", "c|a|f|[" + e_acute + "]|s|"},
        {"\xCC\x81x", "\xCC\x81|x|"}, // a mark with nothing before it is drawn on its own
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pieces(c.text), c.expected) << c.text;
    }
    // A long run is cut at the limit, never inside a character.
    std::string long_run;
    for (int i = 0; i < 5; ++i) {
        long_run += salam;
    }
    EXPECT_EQ(pieces(long_run, 8), "[" + salam + salam + "]|[" + salam + salam + "]|[" + salam + "]|");
    EXPECT_EQ(split_runs(shalom).front().first, U'\u05E9');
}
