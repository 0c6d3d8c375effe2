// Not a test: a tool to compare frames before and after a change that must
// not move a pixel (scripts/dump-frames runs it under Wine). It draws the
// strip for each case below at a fixed clock and battery and writes, into
// the folder its one argument names, each back buffer as raw RGB rows, top
// first, after a "WxH\n" line (<case>.rgb), and places.txt with the strip's
// rectangles. Two folders are compared with cmp.
#include "MainWindow.h"
#include "SettingsFile.h"
#include "TrayIcon.h"

#include "TestSupport.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

void save(const std::string& path, const std::string& text)
{
    write_file(path, std::vector<unsigned char>(text.begin(), text.end()));
}

// The strip's back buffer as raw RGB rows, top first, after a "WxH\n" line.
void dump_frame(const std::string& path, int w, int h)
{
    const std::vector<Rgb> pixels = read_frame(w, h);
    std::string bytes = std::to_string(w) + "x" + std::to_string(h) + "\n";
    for (const Rgb& c : pixels) {
        bytes += static_cast<char>(c.r);
        bytes += static_cast<char>(c.g);
        bytes += static_cast<char>(c.b);
    }
    save(path, bytes);
}

ClockReading monday_clock() { return clock_at(1796664780); }

PowerReading steady_power() { return PowerReading{true, 0, 87, 0, false, 9000}; }

struct Case {
    const char* name;
    const char* settings; // null: no settings file
    bool squares; // drawn without an atlas
};

const Case kCases[] = {
    {"default", nullptr, false},
    {"squares", nullptr, true},
    {"squares-all",
     "[lines]\nshow = text, zone1, battery, time, date\ntext = Own line\n"
     "[zones]\nzone1 = Tokyo Standard Time\n",
     true},
    {"date", "[lines]\nshow = date\n", false},
    {"time", "[lines]\nshow = time\n", false},
    {"time-seconds", "[lines]\nshow = time\ntime_format = %H:%M:%S %Z\n", false},
    {"battery", "[lines]\nshow = battery\n", false},
    {"battery-low", "[lines]\nshow = battery, date\nlow_battery = 90\n", false},
    {"text", "[lines]\nshow = text\ntext = Own line \xc3\xa9\xe6\x97\xa5\n", false},
    {"zone1", "[lines]\nshow = zone1\n[zones]\nzone1 = Tokyo Standard Time\n", false},
    {"all",
     "[lines]\nshow = zone1, text, battery, time, date\ntext = Own\n"
     "[zones]\nzone1 = Tokyo Standard Time\n",
     false},
    {"top-left", "[overlay]\ncorner = top-left\n", false},
    {"top-right", "[overlay]\ncorner = top-right\n", false},
    {"bottom-left", "[overlay]\ncorner = bottom-left\n", false},
    {"bottom-right", "[overlay]\ncorner = bottom-right\n", false},
    {"scale-1", "[text]\nscale = 1\n", false},
    {"scale-1.5", "[text]\nscale = 1.5\n", false},
    {"scale-2", "[text]\nscale = 2\n", false},
    {"scale-3", "[text]\nscale = 3\n", false},
    {"colours", "[text]\ncolour = #ff8000\nshadow = none\n", false},
    {"outline", "[text]\noutline = #000000\n", false},
    {"outline-1.5", "[text]\noutline = #FFFFFF\nscale = 1.5\n", false},
    {"drift", "[overlay]\ndrift = true\ncorner = bottom-right\n", false},
};

// Every case drawn and written into `out`; 0, or -1 with the reason printed.
int dump_all(MainWindow& window, const std::string& dir, const std::string& out)
{
    std::string places;
    for (const Case& k : kCases) {
        DeleteFileA((dir + "\\brindlow.ini").c_str());
        if (k.settings != nullptr) {
            save(dir + "\\brindlow.ini", k.settings);
        }
        window.init_displays();
        window.load_settings();
        // The atlas from the source tree: the tool's folder has none.
        const int cell = 24 * window.view.scale_halves / 2;
        const std::string atlas =
            cell == 24 ? std::string("res/fira-code.png") : "res/fira-code-" + std::to_string(cell) + ".png";
        const int loaded = window.view.renderer.font.load_from_file(
            k.squares ? "Z:\\no\\such\\atlas.png" : source_path(atlas).c_str(), cell, cell, 19);
        if (loaded != (k.squares ? -1 : 0)) {
            std::fprintf(stderr, "FrameDump: %s: the atlas %s\n", k.name,
                         k.squares ? "loaded where none should" : ("did not load: " + atlas).c_str());
            return -1;
        }
        window.view.renderer.font_halves = window.view.scale_halves;
        window.view.needs_place = true;
        window.present();
        // Drawn again into the back buffer the swap left undefined.
        window.view.draw(window.core.model.draw_order(), window.core.model.settings);
        const Rect& r = window.view.layout.window;
        dump_frame(out + "\\" + k.name + ".rgb", r.right - r.left, r.bottom - r.top);
        places += std::string(k.name) + " " + std::to_string(r.left) + "," + std::to_string(r.top) + " " +
                  std::to_string(r.right) + "," + std::to_string(r.bottom) + "\n";
    }
    save(out + "\\places.txt", places);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: FrameDump <folder to write the frames into>\n");
        return 2;
    }
    const std::string out = argv[1];
    const DWORD kind = GetFileAttributesA(out.c_str());
    if (kind == INVALID_FILE_ATTRIBUTES || (kind & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        std::fprintf(stderr, "FrameDump: %s is not a folder\n", out.c_str());
        return 2;
    }
    // The strip, its icon and a settings file in a folder of the tool's own,
    // as the settings' tests have them.
    MainWindow window;
    if (window.init() != 0) {
        std::fprintf(stderr, "FrameDump: the strip could not be made\n");
        return 1;
    }
    const std::string dir = fresh_temp_dir("FrameDump");
    write_file(dir + "\\icon.ico", read_whole_file(source_path("icon.ico")));
    TrayIcon tray;
    SettingsFile file;
    int status = 1;
    if (SetCurrentDirectoryA(dir.c_str()) && tray.init() == 0) {
        window.to_icon = [&tray](const StripCommands& c) { tray.carry_out(c); };
        tray.strip_window = window.view.strip.hwnd;
        window.settings_file = &file;
        window.read_clock = monday_clock;
        window.read_power = steady_power;
        window.read_zone = [] { return ZoneStamp{}; };
        if (file.init() == 0 && dump_all(window, dir, out) == 0) {
            status = 0;
        }
        window.to_icon = nullptr;
        file.destroy();
        tray.destroy();
    } else {
        std::fprintf(stderr, "FrameDump: could not start in %s\n", dir.c_str());
    }
    window.destroy();
    return status;
}
