#include "SettingsWords.h"

#include <cstdio>
#include <cstdlib>

static_assert(sizeof kCornerWords / sizeof kCornerWords[0] == kCornerWordCount, "a name for every corner");
static_assert(sizeof kScaleWords / sizeof kScaleWords[0] == kScaleWordCount, "every scale counted");

const char* corner_word(Corner corner) { return kCornerWords[static_cast<int>(corner)]; }

bool parse_corner_word(const std::string& text, Corner* corner)
{
    for (int i = 0; i < kCornerWordCount; ++i) {
        if (text == kCornerWords[i]) {
            *corner = static_cast<Corner>(i);
            return true;
        }
    }
    return false;
}

std::string colour_text(unsigned int rgb)
{
    char text[8];
    (void)std::snprintf(text, sizeof text, "#%06X", rgb & 0xFFFFFFu);
    return text;
}

bool parse_colour_text(const std::string& text, unsigned int* rgb)
{
    if (text.size() != 7 || text[0] != '#' ||
        text.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos) {
        return false;
    }
    *rgb = static_cast<unsigned int>(std::strtoul(text.c_str() + 1, nullptr, 16));
    return true;
}
