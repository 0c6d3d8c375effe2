// The {field} scan the battery and countdown patterns share.
#include "PatternFields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(PatternFields, AFieldRunsToTheNextCloseAndAnUnclosedOneEndsTheScan)
{
    // Each field as "inside|name|width", closed or not.
    const struct {
        const char* pattern;
        std::vector<std::string> fields;
        std::vector<bool> closed;
    } cases[] = {
        {"no fields", {}, {}},
        {"Battery {percent} ({source})", {"percent|percent|", "source|source|"}, {true, true}},
        {"{hours:2}:{minutes:}", {"hours:2|hours|2", "minutes:|minutes|"}, {true, true}},
        {"{a{b}c}", {"a{b|a{b|"}, {true}},
        {"{}x{:", {"||", "||"}, {true, false}},
        {"{open {days}", {"open {days|open {days|"}, {true}},
        {"{left} {", {"left|left|", "||"}, {true, false}},
        {"}{a:b:c}", {"a:b:c|a|b:c"}, {true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        std::vector<std::string> seen;
        std::vector<bool> closed;
        for (const PatternField& f : pattern_fields(c.pattern)) {
            seen.push_back(f.inside + "|" + f.name + "|" + f.width);
            closed.push_back(f.closed());
            EXPECT_EQ(c.pattern[f.at], '{');
        }
        EXPECT_EQ(seen, c.fields);
        EXPECT_EQ(closed, c.closed);
    }
}

TEST(PatternFields, FillingKeepsTheTextAroundAndWhatIsNeverClosed)
{
    const auto marked = [](const PatternField& f) { return f.name == "skip" ? std::string() : "<" + f.inside + ">"; };
    const struct {
        const char* pattern;
        const char* filled;
    } cases[] = {
        {"", ""},
        {"plain", "plain"},
        {"a{b}c{skip}d", "a<b>cd"},
        {"{x}{ y {z", "<x>{ y {z"},
        {"{x}{ y {z}", "<x>< y {z>"},
        {"{a{b}}", "<a{b>}"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fill_pattern_fields(c.pattern, marked), c.filled) << c.pattern;
    }
}
