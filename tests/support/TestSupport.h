#pragma once

#include "MainWindow.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
};
void PrintTo(const Rgb& c, std::ostream* os);

constexpr Rgb kKey{8, 8, 8};
constexpr Rgb kCyan{0, 255, 255};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};

// A fresh, empty directory under the temporary folder, named for the test.
std::string fresh_temp_dir(const std::string& name);
void write_file(const std::string& path, const std::vector<unsigned char>& bytes);
std::vector<unsigned char> read_whole_file(const std::string& path);
// Writes 8-bit RGBA pixels as a PNG.
void write_png(const std::string& path, int w, int h, const std::vector<unsigned char>& rgba);
// Saves a part of the screen as the user sees it to a PNG (Wine's tray
// window moved out of the way first): the README's pictures.
void save_screen(const std::string& path, int x, int y, int w, int h);

// A .lnk file read back through IShellLink (COM must be initialised).
struct Shortcut {
    bool loaded = false;
    std::string target;
    std::string workdir;
};
Shortcut read_shortcut(const std::string& path);

// Whether the tests run under Wine rather than on Windows itself.
bool running_under_wine();

// A clock that reads this instant (seconds since 1970), with the local time
// as UTC's: the same text whenever a strip is drawn.
ClockReading clock_at(long long utc_seconds);

// Under Wine: the Unix path of a Windows one (empty elsewhere), and a
// command run by the Unix shell, as a user at a terminal would, outside
// Windows' rules (a folder another program has open is deleted at once).
// The command's exit code, or -1 when it could not be run.
std::string unix_path(const std::string& windows_path);
int run_unix_shell(const std::string& command);
// The address `open` has Windows open in the browser (under Wine: Wine's
// launcher pointed, for the while, at `stub`, a script that writes the
// address it is given to `log`); empty when none comes within 20 s.
std::string address_opened(const std::function<void()>& open, const std::string& stub, const std::string& log);

// The path of a file in the source tree, for data the tests read.
std::string source_path(const std::string& relative);

// A pixel of the back buffer, in window coordinates (y downward).
Rgb read_pixel(int x, int y, int height = OverlayWindow::kHeight);
// The whole back buffer, row by row from the top.
std::vector<Rgb> read_frame(int w = OverlayWindow::kWidth, int h = OverlayWindow::kHeight);
// Pixels of the screen as the user sees them, row by row from the top.
std::vector<Rgb> capture_screen(int x, int y, int w, int h);
// Moves Wine's own tray window, which sits at the screen's top-left corner,
// out of the way of a test that reads the screen there. Without a window
// manager X does not stack it below a topmost strip that Windows says is
// above it.
void move_wine_tray_away();

// Clears the back buffer to one colour.
void clear_to(const Rgb& c);

// One frame of the strip's lines drawn into its back buffer, as present()
// draws it, and not shown; as StripView::draw's result.
int draw_frame(MainWindow& w);

// Runs passes of the loop as run() does, each a wake, for up to ms
// milliseconds; `done`, asked after each pass, may end it early. True when it did.
bool run_frames(MainWindow& w, DWORD ms, const std::function<bool()>& done = {});

// A plain top-level window class of the tests' own, registered once.
const char* test_window_class();

// A real overlay window with its context current, for drawing tests.
class OverlayTest : public ::testing::Test {
protected:
    MainWindow window;
    void SetUp() override;
    void TearDown() override;
};
