#include "TextRuns.h"

#include "Utf8.h"

namespace {
struct Range {
    char32_t first, last;
};

struct ScriptRange {
    char32_t first, last;
    int script;
};

// The scripts Windows must shape, each with a number of its own, so that a
// run stays in one script and so in one font: Hebrew, Arabic (with its
// supplements and presentation forms), Syriac, Thaana, N'Ko and their
// neighbours, each Indic block, Thai, Lao, Tibetan, Myanmar, Khmer and
// Mongolian.
constexpr int kIndicFirstScript = 16;
constexpr ScriptRange kShaped[] = {
    {0x0590, 0x05FF, 1},  {0xFB1D, 0xFB4F, 1},  {0x0600, 0x06FF, 2}, {0x0750, 0x077F, 2}, {0x08A0, 0x08FF, 2},
    {0xFB50, 0xFDFF, 2},  {0xFE70, 0xFEFF, 2},  {0x0700, 0x074F, 3}, {0x0780, 0x07BF, 4}, {0x07C0, 0x07FF, 5},
    {0x0800, 0x089F, 6},  {0x0E00, 0x0E7F, 7},  {0x0E80, 0x0EFF, 8}, {0x0F00, 0x0FFF, 9}, {0x1000, 0x109F, 10},
    {0x1780, 0x17FF, 11}, {0x1800, 0x18AF, 12},
};
constexpr Range kMarks[] = {
    {0x0300, 0x036F}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x20D0, 0x20FF}, {0xFE20, 0xFE2F},
};
constexpr char32_t kZeroWidthNonJoiner = 0x200C;
constexpr char32_t kZeroWidthJoiner = 0x200D;

// Hebrew, Arabic, Syriac, Thaana, N'Ko and their neighbours: written right
// to left.
constexpr int kLastRightToLeftScript = 6;

// What a right-to-left run carries along: digits, spaces and punctuation
// between its words (a date: "יום שני 7 בדצמבר 2026") are ordered with it.
bool weak_or_neutral(char32_t cp)
{
    const bool ascii_letter = (cp >= U'A' && cp <= U'Z') || (cp >= U'a' && cp <= U'z');
    return (cp >= 0x20 && cp < 0x7F && !ascii_letter) || (cp >= 0xA0 && cp <= 0xBF) || (cp >= 0x2010 && cp <= 0x205F);
}

// Marks and joiners: they belong to the letters around them.
bool joins(char32_t cp) { return combining_mark(cp) || cp == kZeroWidthJoiner || cp == kZeroWidthNonJoiner; }
}

int shaping_script(char32_t cp)
{
    // The Indic blocks, Devanagari to Sinhala, 128 code points each.
    constexpr char32_t kIndicFirst = 0x0900, kIndicLast = 0x0DFF;
    if (cp >= kIndicFirst && cp <= kIndicLast) {
        return kIndicFirstScript + static_cast<int>((cp - kIndicFirst) >> 7U);
    }
    for (const ScriptRange& r : kShaped) {
        if (cp >= r.first && cp <= r.last) {
            return r.script;
        }
    }
    return 0;
}

bool needs_shaping(char32_t cp) { return shaping_script(cp) != 0; }

bool combining_mark(char32_t cp)
{
    for (const Range& r : kMarks) {
        if (cp >= r.first && cp <= r.last) {
            return true;
        }
    }
    return false;
}

std::vector<TextPiece> split_runs(const std::string& text, std::size_t max_run)
{
    // The characters with where each starts.
    std::vector<std::pair<char32_t, std::size_t>> chars;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t at = i;
        chars.emplace_back(utf8_next(text, &i), at);
    }
    chars.emplace_back(0, text.size());
    const std::size_t n = chars.size() - 1;
    auto bytes = [&](std::size_t from, std::size_t to) {
        return text.substr(chars[from].second, chars[to].second - chars[from].second);
    };

    std::vector<TextPiece> pieces;
    for (std::size_t i = 0; i < n;) {
        const char32_t cp = chars[i].first;
        const bool marked = i + 1 < n && combining_mark(chars[i + 1].first);
        if (!needs_shaping(cp) && !marked) {
            pieces.push_back(TextPiece{bytes(i, i + 1), cp, false});
            ++i;
            continue;
        }
        const int script = shaping_script(cp);
        const bool right_to_left = script != 0 && script <= kLastRightToLeftScript;
        std::size_t end = i + 1;
        while (end < n && end - i < max_run) {
            const char32_t next = chars[end].first;
            if (combining_mark(next) || (script != 0 && (joins(next) || shaping_script(next) == script))) {
                ++end;
                continue;
            }
            if (right_to_left && weak_or_neutral(next)) {
                ++end;
                continue;
            }
            // Spaces inside a run of a shaped script stay in it, when more of
            // the same script follows within the limit.
            std::size_t after = end;
            while (after < n && chars[after].first == U' ') {
                ++after;
            }
            if (script != 0 && after > end && after < n && after - i < max_run &&
                shaping_script(chars[after].first) == script) {
                end = after;
                continue;
            }
            break;
        }
        // Spaces at its end are left to the line.
        while (end > i + 1 && chars[end - 1].first == U' ') {
            --end;
        }
        pieces.push_back(TextPiece{bytes(i, end), cp, true});
        i = end;
    }
    return pieces;
}
