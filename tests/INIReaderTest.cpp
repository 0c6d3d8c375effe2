#include "INIReader.h"

#include "FileBytes.h"
#include "TextTrim.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {
// A file of these exact bytes in a folder of the test's own.
std::string file_with(const std::string& name, const std::string& bytes)
{
    const fs::path dir = fs::temp_directory_path() / "brindlow-ini-test";
    fs::create_directories(dir);
    const fs::path path = dir / name;
    std::FILE* f = std::fopen(path.string().c_str(), "wb");
    EXPECT_NE(f, nullptr);
    if (f != nullptr) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    return path.string();
}

IniData with_status(IniData data, const char* failed)
{
    data["return"]["failed"] = failed;
    return data;
}

struct Case {
    const char* name;
    std::string bytes;
    IniData expected; // without the status entry, which must say "false"
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class Parse : public ::testing::TestWithParam<Case> {};
}

TEST_P(Parse, ReadsWhatTheLineRulesSay)
{
    const Case& c = GetParam();
    INIReader reader;
    EXPECT_EQ(reader.parse_text(c.bytes), with_status(c.expected, "false"));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Parse,
    ::testing::Values(
        Case{"empty", "", {}},
        Case{"blanks_around_key_value_and_equals",
             "[main]\n  key = some value  \n",
             {{"main", {{"key", "some value"}}}}},
        Case{"tabs_trimmed_too", "[main]\n\tkey\t=\tv\t\n", {{"main", {{"key", "v"}}}}},
        Case{"only_first_equals_splits", "a=b=c\n", {{"", {{"a", "b=c"}}}}},
        Case{"empty_key_and_value", "=\nk=\n=v\n", {{"", {{"", "v"}, {"k", ""}}}}},
        Case{"header_taken_unchanged", "[ spaced ]\nk=1\n[]\nk=2\n", {{" spaced ", {{"k", "1"}}}, {"", {{"k", "2"}}}}},
        Case{"header_trimmed_as_a_line", "  [s]  \nk=1\n", {{"s", {{"k", "1"}}}}},
        Case{"lone_bracket_and_plain_words_skipped", "[\nplain words\n]\nk=1\n", {{"", {{"k", "1"}}}}},
        Case{"comments_only_at_line_start",
             "; c\n# c\n\t; c\nk=v ; not a comment # nor this\n",
             {{"", {{"k", "v ; not a comment # nor this"}}}}},
        Case{"blank_lines_skipped", "   \n\t\n\nk=1\n", {{"", {{"k", "1"}}}}},
        Case{"before_first_header_is_the_empty_section",
             "name=1\n[s]\nx=2\n",
             {{"", {{"name", "1"}}}, {"s", {{"x", "2"}}}}},
        Case{"later_assignment_replaces", "[s]\nk=1\nk=2\n", {{"s", {{"k", "2"}}}}},
        Case{"repeated_sections_merge",
             "[a]\nx=1\n[b]\ny=2\n[a]\nz=3\n",
             {{"a", {{"x", "1"}, {"z", "3"}}}, {"b", {{"y", "2"}}}}},
        Case{"keys_are_case_sensitive", "[S]\nK=1\nk=2\n", {{"S", {{"K", "1"}, {"k", "2"}}}}},
        Case{"crlf_endings", "[s]\r\nk=v\r\n", {{"s", {{"k", "v"}}}}},
        Case{"lone_cr_stays", "k=v\rw\n", {{"", {{"k", "v\rw"}}}}},
        Case{"last_line_without_line_feed", "[s]\nk=v", {{"s", {{"k", "v"}}}}},
        Case{"last_line_ends_in_a_lone_cr", "[s]\r\ncorner = top-right\r", {{"s", {{"corner", "top-right"}}}}},
        Case{"only_one_cr_is_dropped", "k=v\r\r", {{"", {{"k", "v\r"}}}}},
        Case{"cr_before_ctrl_z_ends_the_line", std::string("k=1\r\x1A", 5), {{"", {{"k", "1"}}}}},
        Case{"ctrl_z_ends_the_file", std::string("k=1\nj=2\x1Aq=3\n", 13), {{"", {{"k", "1"}, {"j", "2"}}}}},
        Case{"nul_bytes_are_ordinary", std::string("k=a\0b\n", 6), {{"", {{"k", std::string("a\0b", 3)}}}}}),
    [](const ::testing::TestParamInfo<Case>& param_info) { return std::string(param_info.param.name); });

TEST(INIReader, AByteOrderMarkMakesTheFirstLineNeitherHeaderNorComment)
{
    INIReader reader;
    // "[s]" after a BOM is no header: k lands in the empty section.
    EXPECT_EQ(reader.parse_text("\xEF\xBB\xBF[s]\nk=1\n"), with_status({{"", {{"k", "1"}}}}, "false"));
    // ";" after a BOM starts no comment: the line is an assignment.
    EXPECT_EQ(reader.parse_text("\xEF\xBB\xBF; c=1\n"), with_status({{"", {{"\xEF\xBB\xBF; c", "1"}}}}, "false"));
}

TEST(INIReader, ASectionNamedReturnMergesWithTheStatus)
{
    INIReader reader;
    const IniData data = reader.parse_text("[return]\nfailed=maybe\nother=1\n");
    EXPECT_EQ(data, with_status({{"return", {{"other", "1"}}}}, "false"));
}

TEST(FileBytes, WhatCannotBeReadFailsAndSaysWhetherItIsMissing)
{
    const fs::path dir = fs::temp_directory_path() / "brindlow-ini-test" / "a-directory.ini";
    fs::create_directories(dir);
    const std::string missing = (fs::temp_directory_path() / "brindlow-ini-test" / "no-such.ini").string();
    std::string bytes = "left over";
    bool is_missing = false;
    EXPECT_EQ(read_file_bytes(missing, 100, &bytes, &is_missing), -1);
    EXPECT_TRUE(is_missing);
    EXPECT_EQ(bytes, "");
    EXPECT_EQ(read_file_bytes(dir.string(), 100, &bytes, &is_missing), -1);
    EXPECT_FALSE(is_missing);
}

TEST(FileBytes, LongFilesAcrossReadBuffersStayWholeUpToTheLimit)
{
    std::string text = "[s]\nk=" + std::string(200000, 'x') + "\r\nj=2";
    const std::string path = file_with("long.ini", text);
    std::string bytes;
    bool missing = true;
    ASSERT_EQ(read_file_bytes(path, std::string::npos, &bytes, &missing), 0);
    EXPECT_FALSE(missing);
    EXPECT_EQ(bytes, text);
    // One past a limit is how a caller tells a file over it.
    ASSERT_EQ(read_file_bytes(path, 70001, &bytes, &missing), 0);
    EXPECT_EQ(bytes, text.substr(0, 70001));
}

TEST(Trim, RemovesOnlySpacesAndTabsAtTheEnds)
{
    struct T {
        const char* in;
        const char* out;
    };
    const T cases[] = {{"", ""},       {" \t ", ""},       {"a", "a"},       {" a b ", "a b"},
                       {"\ta\t", "a"}, {"\na\n", "\na\n"}, {"\r a", "\r a"}, {"  x  y\t", "x  y"}};
    for (const T& t : cases) {
        EXPECT_EQ(trim(t.in), t.out) << "[" << t.in << "]";
    }
}
