#pragma once

#include <cstddef>
#include <string>

// The words the settings file is written in, named once: the key table reads
// them, the menu and the strip's own placing write them, the reports and the
// template quote them.

enum class Corner; // SettingsData.h

// The colour the strip's background is keyed out with: text in it is invisible.
constexpr unsigned int kKeyColourRgb = 0x080808;

// The corners as the file names them, in Corner's order.
constexpr const char* kCornerWords[] = {"top-left", "top-right", "bottom-left", "bottom-right"};
constexpr int kCornerWordCount = 4;

// The fixed text scales as the file names them, smallest first, each with the
// scale in halves (1.5 is 3).
struct ScaleWord {
    const char* name;
    int halves;
};
constexpr ScaleWord kScaleWords[] = {{"1", 2}, {"1.5", 3}, {"2", 4}, {"3", 6}};
constexpr int kScaleWordCount = 4;
// The scale that follows the monitor's DPI.
constexpr const char* kScaleAutoWord = "auto";

// The monitor setting's word for the primary monitor (others are numbered
// from 1, or named), and for a strip on every monitor.
constexpr const char* kPrimaryMonitorWord = "primary";
constexpr const char* kAllMonitorsWord = "all";
// The longest monitor name the file takes, in bytes: a device name is 32
// characters, a friendly name 64.
constexpr std::size_t kMaxMonitorName = 64;

// The file's name for a corner.
const char* corner_word(Corner corner);
// The corner a name stands for; false for any other text.
bool parse_corner_word(const std::string& text, Corner* corner);
// "#RRGGBB", upper case, for a colour the settings hold as 0xRRGGBB.
std::string colour_text(unsigned int rgb);
// The colour "#RRGGBB" (hex digits of either case) writes; false for any other text.
bool parse_colour_text(const std::string& text, unsigned int* rgb);
