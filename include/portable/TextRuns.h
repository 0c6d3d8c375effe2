#pragma once

#include <cstddef>
#include <string>
#include <vector>

// A line cut into what is drawn one character at a time and what must be
// drawn as a whole: a run of a script whose letters join, reorder or stack
// (Arabic, Hebrew, the Indic scripts, Thai, ...), or a character with the
// combining marks that follow it. Windows shapes such a piece as one string;
// drawn letter by letter it would be illegible.

struct TextPiece {
    std::string text; // UTF-8, one character or a whole run
    char32_t first = 0; // its first character
    bool shaped = false; // true: drawn as one string
};

// The script Windows must shape a letter in (a number of its own), or 0.
int shaping_script(char32_t cp);
bool needs_shaping(char32_t cp);
// Marks that combine with the character before them.
bool combining_mark(char32_t cp);
// The pieces of a line in order. A run is of one script; it takes the
// spaces and joiners between its letters, and a right-to-left one the
// digits and punctuation among and after them too (Windows orders such a
// phrase as a whole), but never more than max_run characters, so that it
// fits the glyph texture.
std::vector<TextPiece> split_runs(const std::string& text, std::size_t max_run = 32);
