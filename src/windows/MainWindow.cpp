#include "MainWindow.h"

#include "OptionalFunctions.h"
#include "ProblemReport.h"
#include "RegionalLocale.h"
#include "SettingsFile.h"
#include "SystemReadings.h"

#include <algorithm>
#include <cstring>
#include <ctime>

namespace {
constexpr const char* kMoveHint = "Drag to place. Enter to keep, Esc to cancel.";
// The backdrop while moving: dark, so that the strip can be seen and grabbed.
constexpr unsigned int kMovingBackdrop = 0x303030;
constexpr int kNudgeFast = 10;
// The DPI at which Windows does not scale a window.
constexpr int kUnscaledDpi = 96;

// Where the pointer was when the message being handled was sent, in screen
// coordinates (signed: monitors left of or above the primary are negative).
POINT message_point()
{
    const DWORD at = GetMessagePos();
    return POINT{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
}

// The session's notification, from wtsapi32.h, which MinGW's headers hide.
#ifndef WM_WTSSESSION_CHANGE
#define WM_WTSSESSION_CHANGE 0x02B1
#endif
#ifndef WTS_SESSION_UNLOCK
#define WTS_SESSION_UNLOCK 0x8
#endif
}

int MainWindow::init()
{
    failed_call = nullptr;
    if (strip.init(MainWindow::WndProc, this) != 0) {
        failed_call = strip.failed_call;
        failed_error = strip.failed_error;
        return -1;
    }
    if (renderer.init(strip.hwnd, kWidth, kHeight) != 0) {
        failed_call = renderer.failed_call;
        failed_error = renderer.failed_error;
        strip.destroy();
        return -1;
    }
    for (Display& d : displays) {
        d.set_display_font(&renderer.font);
    }
    move_hint.set_display_font(&renderer.font);
    move_hint.text = kMoveHint;
    strip.show();
    events.init(strip.hwnd);
    return 0;
}

int MainWindow::init_displays()
{
    for (Display& d : displays) {
        d = Display();
        d.set_display_font(&renderer.font);
    }
    return apply_settings(model.settings);
}

Display* MainWindow::display_for(LineKind kind) { return &displays[static_cast<std::size_t>(line_index(kind))]; }

void MainWindow::take(unsigned changed)
{
    for (std::size_t i = 0; i < displays.size(); ++i) {
        displays[i].text = model.texts[i];
    }
    // Only the text changes colour when the battery runs low: its shadow stays.
    display_for(LineKind::Battery)->colour = model.battery_low ? model.settings.low_colour : model.settings.colour;
    needs_draw = needs_draw || (changed & kPictureChanged) != 0;
    needs_place = needs_place || (changed & kPlacementChanged) != 0;
    // Text from the glyph cache has no fixed advance: the same number of
    // bytes may measure wider.
    needs_place = needs_place || ((changed & kPictureChanged) != 0 && line_widths() != placed_widths);
}

std::vector<int> MainWindow::line_widths()
{
    std::vector<int> widths;
    for (LineKind kind : model.settings.lines) {
        const Display* d = display_for(kind);
        widths.push_back(text_width(d->text, &renderer.font, d->font_size, d->font_spacing));
    }
    return widths;
}

std::vector<LineKind> MainWindow::lines_in_force(const Settings& given)
{
    // Zone lines whose zone Windows does not know are left out, and so is
    // a text line with no text: neither takes a row.
    const Settings& s = given;
    zone_problems.clear();
    std::array<bool, kZones> known{};
    for (int z = 0; z < kZones; ++z) {
        std::vector<std::string> names;
        zone_known[z] = !s.zones[z].empty() && read_zone_rules(s.zones[z], &zone_rules[z], &names);
        known[static_cast<std::size_t>(z)] = zone_known[z];
        const LineKind line = zone_line(z);
        if (!zone_known[z] && std::find(s.lines.begin(), s.lines.end(), line) != s.lines.end()) {
            const std::string key = "zone" + std::to_string(z + 1);
            const std::string meant = near_miss(s.zones[z], names);
            zone_problems.push_back("[zones] " + key + " = " + s.zones[z] +
                                    (s.zones[z].empty() ? ": no zone set" : ": no such time zone") +
                                    (meant.empty() ? "" : "; did you mean " + meant + "?") + "; its line is left out");
        }
    }
    return lines_to_draw(s, known, &zone_problems);
}

int MainWindow::apply_settings(const Settings& given)
{
    Settings s = given;
    s.lines = lines_in_force(given);
    // The locale's names are read when it changes, not at every tick.
    if (!locale_read || s.locale != model.settings.locale) {
        locale_read = true;
        locale_problems.clear();
        if (locale.init(s.locale) != 0) {
            locale_problems.push_back("[text] locale = " + s.locale +
                                      ": Windows does not know this locale; the user's own is used");
        }
        model.names = locale.names;
    }
    model.apply(s);
    for (Display& d : displays) {
        d.colour = s.colour;
        d.shadow = s.shadow;
        d.shadow_shown = s.shadow_shown;
    }
    strip.hide_over_fullscreen = s.hide_over_fullscreen;
    strip.hide_when = s.hide_when;
    strip.hide_on_hover = s.hide_on_hover;
    // Registered again at every load: a key another program held may be free now.
    hotkey_problem = set_hotkey ? set_hotkey(s.hotkey) : std::string();
    rescale();
    // Lines shown from here on are new, and the next change may come sooner.
    events.arm_clock(refresh());
    needs_draw = true;
    return place();
}

int MainWindow::load_settings()
{
    if (settings_file == nullptr) {
        return -1;
    }
    const SettingsLoad load = settings_file->load();
    if (settings_file->busy) {
        if (settings_file->changed) {
            return 0; // tried again in a moment
        }
        // The built-in settings would be wrong for a file that is only busy.
        settings_problems = {settings_file->path + ": in use by another program; the settings in force are kept "
                                                   "until it is saved again"};
        return report();
    }
    settings_problems = load.problems;
    file_settings = load.settings;
    note_scale(load.settings);
    return apply_settings(load.settings);
}

void MainWindow::note_scale(const Settings& s)
{
    // DPI awareness is declared once, before the first window: a process
    // that declared it draws a fixed scale without Windows' stretching.
    if (!s.scale_auto && dpi_aware && strip.hwnd != nullptr && read_dpi() != kUnscaledDpi) {
        settings_problems.push_back("[text] scale: Windows' display scaling is added to it when Brindlow starts "
                                    "again");
    }
}

int MainWindow::setting_written(const Settings& now, const std::string& key)
{
    if (settings_file != nullptr) {
        // The write is in force: a change noticed before it is not read twice.
        settings_file->follow();
    }
    // What the file said wrong about this key, it says right now.
    settings_problems.erase(std::remove_if(settings_problems.begin(), settings_problems.end(),
                                           [&key](const std::string& p) {
                                               return p.find("] " + key + " =") != std::string::npos ||
                                                      p.find("] " + key + ":") != std::string::npos;
                                           }),
                            settings_problems.end());
    file_settings = now;
    Settings& s = model.settings;
    if (key == "corner") {
        s.corner = now.corner;
        needs_place = true;
    } else if (key == "scale") {
        s.scale_halves = now.scale_halves;
        s.scale_auto = now.scale_auto;
        note_scale(now);
        needs_rescale = true;
    } else if (key == "show") {
        s.lines = lines_in_force(now);
        // Lines shown from here on are new, and the next change may come sooner.
        events.arm_clock(refresh());
        needs_place = true;
    } else if (key == "colour" || key == "shadow") {
        s.colour = now.colour;
        s.shadow = now.shadow;
        s.shadow_shown = now.shadow_shown;
        for (Display& d : displays) {
            d.colour = s.colour;
            d.shadow = s.shadow;
            d.shadow_shown = s.shadow_shown;
        }
        take(0);
        needs_draw = true;
    } else if (key == "hide_over_fullscreen") {
        s.hide_over_fullscreen = now.hide_over_fullscreen;
        strip.hide_over_fullscreen = now.hide_over_fullscreen;
        check_stacking();
    } else {
        // A key this knows no shortcut for: the whole file, as a hand edit.
        return settings_written();
    }
    report();
    return present();
}

int MainWindow::settings_written()
{
    if (settings_file == nullptr) {
        return -1;
    }
    // Brindlow made the change: it applies now, whether or not a change
    // notification ever comes.
    settings_file->follow();
    load_settings();
    return present();
}

int MainWindow::report()
{
    std::vector<std::string> problems = settings_problems;
    problems.insert(problems.end(), locale_problems.begin(), locale_problems.end());
    problems.insert(problems.end(), font_problems.begin(), font_problems.end());
    problems.insert(problems.end(), zone_problems.begin(), zone_problems.end());
    if (!hotkey_problem.empty()) {
        problems.push_back(hotkey_problem);
    }
    if (settings_file != nullptr && !settings_file->watch_problem.empty()) {
        problems.push_back(settings_file->watch_problem);
    }
    if (layout.monitor_missing) {
        problems.push_back("[overlay] monitor = " + std::to_string(model.settings.monitor) +
                           ": no such monitor now; the strip is on the primary one");
    }
    const std::vector<std::string> placing = layout_problems(model.settings, layout);
    problems.insert(problems.end(), placing.begin(), placing.end());
    // The settings' problems name their file; a data file names itself.
    const bool about_settings = !problems.empty();
    problems.insert(problems.begin(), data_problems.begin(), data_problems.end());
    const std::string file =
        settings_file != nullptr && !settings_file->path.empty() ? settings_file->path : std::string(kSettingsFileName);
    const Balloon balloon =
        build_report(about_settings ? "Brindlow settings" : "Brindlow", about_settings ? file : "", problems);
    if (balloon.text == reported) {
        return 0;
    }
    if (balloon.text.empty()) {
        reported.clear();
        return 0;
    }
    if (!show_balloon || show_balloon(balloon.title, balloon.text) != 0) {
        return -1; // tried again at the next load or placement
    }
    reported = balloon.text;
    return 0;
}

int MainWindow::load_font(int halves)
{
    data_problems.clear();
    return renderer.load_font(halves, &data_problems);
}

int MainWindow::read_dpi() const
{
    // GetDpiForWindow is Windows 10's; before it, the screen's DPI.
    optional_functions.init();
    int dpi = optional_functions.GetDpiForWindow != nullptr
                  ? static_cast<int>(optional_functions.GetDpiForWindow(strip.hwnd))
                  : 0;
    if (dpi <= 0 && renderer.hdc != nullptr) {
        dpi = GetDeviceCaps(renderer.hdc, LOGPIXELSX);
    }
    return dpi;
}

int MainWindow::wanted_scale() const
{
    const Settings& s = model.settings;
    if (!s.scale_auto || strip.hwnd == nullptr) {
        return s.scale_auto ? 2 : s.scale_halves;
    }
    // The DPI as this process sees it, read now, also when "auto" was
    // chosen after the start: a process that did not declare itself
    // DPI-aware is told 96 wherever Windows stretches its windows to the
    // display's scaling, so the size is right at once, and only sharper
    // after a restart.
    return scale_halves_for_dpi(read_dpi());
}

int MainWindow::rescale()
{
    needs_rescale = false;
    scale_halves = wanted_scale();
    // A font another caller loaded (tests, the benchmark) stays unless the
    // scale really changed.
    if (scale_halves != renderer.font_halves) {
        load_font(scale_halves);
    }
    const int cell = kGlyphSize * scale_halves / 2;
    if (renderer.hglrc != nullptr && (renderer.glyphs.cell != cell || model.settings.font != glyph_family)) {
        glyph_family = model.settings.font;
        font_problems.clear();
        renderer.load_glyphs(scale_halves, glyph_family, &font_problems);
    }
    // Whole pixels at every scale: halves of 24 and 12 are exact.
    const int size = kGlyphSize * scale_halves / 2;
    const int advance = kGlyphAdvance * scale_halves / 2;
    for (Display& d : displays) {
        d.set_font_size(static_cast<float>(size));
        d.set_font_spacing(static_cast<float>(advance));
        d.shadow_offset = scale_halves >= 4 ? scale_halves / 2 : 1;
    }
    needs_place = true;
    return 0;
}

int MainWindow::place() { return place_on(enumerate_monitors()); }

int MainWindow::place_on(const std::vector<MonitorArea>& monitors)
{
    const std::vector<LineKind>& shown = model.settings.lines;
    placed_widths = line_widths();
    layout = layout_strip_widths(model.settings, placed_widths, monitors, scale_halves);
    for (std::size_t i = 0; i < shown.size() && i < layout.line_x.size(); ++i) {
        display_for(shown[i])->set_position(layout.line_x[i], layout.line_y[i]);
    }
    const Rect& r = layout.window;
    // While the user moves it, the strip stays where the hand puts it.
    if (strip.hwnd != nullptr && !strip.moving) {
        // A frame drawn at once may still land in a buffer of the old size
        // (under Wine the X window follows later), and nothing else would
        // draw until a text changes: draw again a moment later.
        if (strip.move_to(r) == 1) {
            SetTimer(strip.hwnd, EventSources::kResizeTimer, EventSources::kResizeDrawMs, nullptr);
        }
        renderer.resize(r.right - r.left, r.bottom - r.top);
    }
    needs_place = false;
    needs_draw = true;
    return report();
}

int MainWindow::run()
{
    running = true;
    tick();
    while (pass(INFINITE) == 0) {
    }
    return destroy();
}

int MainWindow::pass(DWORD max_ms)
{
    if (events.wait(settings_file, max_ms) == 1) {
        load_settings();
    }
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        // WM_QUIT has no window; the pass it arrived in still completes.
        if (msg.message == WM_QUIT) {
            running = false;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    present();
    return running ? 0 : 1;
}

int MainWindow::tick()
{
    // Modal loops (the menu, the About box) never reach pass(): the
    // settings are looked at here too.
    if (settings_file != nullptr && settings_file->poll() == 1) {
        load_settings();
    }
    events.arm_clock(refresh());
    // The backstop for window events Windows did not report (or Wine does
    // not deliver).
    check_stacking();
    return present();
}

int MainWindow::refresh()
{
    // Only what a shown line needs is read.
    const unsigned reads = model.reads();
    ClockReading clock = read_clock();
    if ((reads & kReadsZone) != 0 && read_zone != nullptr) {
        clock.zone = read_zone();
    }
    for (int f = 0; f < kRegionalForms; ++f) {
        const auto form = static_cast<Regional>(f);
        if (clock.ok && model.wants(form)) {
            clock.regional[static_cast<std::size_t>(f)] = locale.format(form, clock.local);
        }
    }
    for (int z = 0; z < kZones; ++z) {
        ClockReading& zc = model.zone_clocks[static_cast<std::size_t>(z)];
        zc.ok = clock.ok && zone_known[z];
        zc.ms = clock.ms;
        zc.utc_seconds = clock.utc_seconds;
        if (zc.ok) {
            const ZoneTime zt = zone_time(clock.utc_seconds, zone_rules[z]);
            zc.local = zt.local;
            zc.zone.offset_minutes = zt.offset_minutes;
            zc.zone.name = model.settings.zones[static_cast<std::size_t>(z)];
        }
    }
    take(model.update(clock, (reads & kReadsPower) != 0 ? read_power() : PowerReading{}));
    return model.next_wake_ms(clock);
}

int MainWindow::check_stacking()
{
    strip.keep_on_top();
    strip.follow_foreground();
    return events.follow_hover(strip.hover_hidden);
}

int MainWindow::present()
{
    if (needs_rescale) {
        rescale();
    }
    if (needs_place) {
        place();
    }
    // A hidden strip keeps its changes for the frame after it is shown.
    if (!needs_draw || strip.hwnd == nullptr || !IsWindowVisible(strip.hwnd)) {
        return 0;
    }
    draw();
    renderer.swap();
    needs_draw = false;
    if (on_swap) {
        on_swap();
    }
    return 0;
}

int MainWindow::draw()
{
    if (strip.moving) {
        move_hint.set_position(kMarginX * scale_halves / 2, kMarginY * scale_halves / 2);
        move_hint.set_font_size(display_for(LineKind::Time)->font_size);
        move_hint.set_font_spacing(display_for(LineKind::Time)->font_spacing);
        move_hint.colour = model.settings.colour;
        Display* hint = &move_hint;
        return renderer.draw(&hint, 1, kMovingBackdrop);
    }
    Display* lines[kLineKinds];
    int count = 0;
    for (LineKind kind : model.draw_order()) {
        lines[count++] = display_for(kind);
    }
    return renderer.draw(lines, count);
}

int MainWindow::begin_move(HWND foreground)
{
    strip.begin_move(foreground);
    needs_draw = true;
    return present();
}

int MainWindow::finish_move(bool keep)
{
    if (!strip.moving) {
        return 0;
    }
    RECT r{};
    GetWindowRect(strip.hwnd, &r);
    strip.end_move(keep);
    needs_draw = true;
    if (keep && settings_file != nullptr) {
        const Placement p = placement_for(Rect{r.left, r.top, r.right, r.bottom}, model.settings, placed_widths,
                                          enumerate_monitors(), scale_halves);
        const std::pair<const char*, std::string> keys[] = {
            {"corner", corner_word(p.corner)},
            {"x", std::to_string(p.x)},
            {"y", std::to_string(p.y)},
            {"monitor", p.monitor == 0 ? std::string(kPrimaryMonitorWord) : std::to_string(p.monitor)},
        };
        std::string why;
        bool written = true;
        for (const auto& k : keys) {
            if (settings_file->set_key("overlay", k.first, k.second, false, &why) != 0) {
                if (show_balloon) {
                    show_balloon("Brindlow settings", why);
                }
                // Where the settings still say: the file is as it was.
                place();
                written = false;
                break;
            }
        }
        if (written) {
            // The place is in force now, as any change made from the menu.
            return settings_written();
        }
    }
    return present();
}

int MainWindow::destroy()
{
    running = false;
    if (strip.hwnd == nullptr) {
        return 0;
    }
    events.destroy();
    renderer.destroy(strip.hwnd);
    strip.destroy();
    return 0;
}

LRESULT CALLBACK MainWindow::WndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    // The window keeps its MainWindow in GWLP_USERDATA, an integer by type.
    // NOLINTNEXTLINE(performance-no-int-to-ptr): Win32 stores pointers as integers here.
    MainWindow* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcA(hwnd, msg, wparam, lparam);
    }
    switch (msg) {
    case WM_PAINT: {
        // Windows keeps a layered window's picture, but whatever was drawn
        // over it (or X, under Wine) may still ask for it again.
        ValidateRect(hwnd, nullptr);
        self->needs_draw = true;
        self->present();
        return 0;
    }
    case WM_TIMER: {
        if (wparam == EventSources::kClockTimer) {
            self->tick();
        } else if (wparam == EventSources::kRecheckTimer) {
            self->check_stacking();
            self->events.next_recheck();
            self->present();
        } else if (wparam == EventSources::kHoverTimer) {
            self->strip.follow_pointer();
            self->events.follow_hover(self->strip.hover_hidden);
            self->present();
        } else if (wparam == EventSources::kResizeTimer) {
            KillTimer(hwnd, EventSources::kResizeTimer);
            self->needs_draw = true;
            self->present();
        }
        return 0;
    }
    case EventSources::kWindowEventMessage: {
        // A window was created, shown, raised or made foreground somewhere.
        self->check_stacking();
        self->events.recheck_step = 0;
        self->events.next_recheck();
        self->present();
        return 0;
    }
    case WM_POWERBROADCAST: {
        // The power source or the charge changed, or the machine resumed
        // (timers do not run in sleep): read both now and re-arm.
        self->tick();
        return TRUE;
    }
    case WM_SETTINGCHANGE: {
        // "intl": the user changed the regional format. The names of the
        // user's own locale are read again.
        // NOLINTNEXTLINE(performance-no-int-to-ptr): the section's name comes as an integer.
        if (lparam != 0 && std::strcmp(reinterpret_cast<const char*>(lparam), "intl") == 0 &&
            self->model.settings.locale.empty()) {
            self->locale.init("");
            self->model.names = self->locale.names;
            self->tick();
        }
        return DefWindowProcA(hwnd, msg, wparam, lparam);
    }
    case WM_TIMECHANGE: {
        // The clock was set or the time zone changed. The C runtime reads
        // the zone once and keeps it: read it again.
        _tzset();
        self->tick();
        return 0;
    }
    case WM_WTSSESSION_CHANGE: {
        if (wparam == WTS_SESSION_UNLOCK) {
            self->needs_draw = true;
            self->tick();
        }
        return 0;
    }
    case WM_DPICHANGED: {
        // Only a DPI-aware process hears it: with scale = auto, the strip
        // moved to a monitor of another DPI, or the user changed it.
        self->needs_rescale = true;
        return 0;
    }
    case WM_DISPLAYCHANGE: {
        // Monitors came or went, or a resolution changed: place it again
        // (a move in progress is undone: its monitor may be gone).
        self->finish_move(false);
        self->needs_place = true;
        return 0;
    }
    case OverlayWindow::kMoveMessage: {
        // wParam 1: the icon's "Done".
        if (wparam == 1) {
            self->finish_move(true);
        } else {
            // NOLINTNEXTLINE(performance-no-int-to-ptr): the icon's menu passes a window handle.
            self->begin_move(reinterpret_cast<HWND>(lparam));
        }
        return 0;
    }
    case OverlayWindow::kHideMessage: {
        self->strip.hide_by_user(wparam != 0);
        self->present();
        return 0;
    }
    case WM_LBUTTONDOWN: {
        // The strip moves itself with the pointer's own messages: the
        // system's move loop (a caption hit) stalled under Wine after a
        // few steps of a drag and then took no keys. The message's point
        // is in screen coordinates; its client coordinates would shift as
        // the strip moves under them.
        if (self->strip.moving) {
            self->strip.start_drag(message_point());
            return 0;
        }
        break;
    }
    case WM_MOUSEMOVE: {
        if (self->strip.dragging) {
            self->strip.drag_to(message_point());
            return 0;
        }
        break;
    }
    case WM_LBUTTONUP: {
        if (self->strip.dragging) {
            self->strip.drag_to(message_point());
            self->strip.stop_drag();
            return 0;
        }
        break;
    }
    case WM_CAPTURECHANGED: {
        self->strip.stop_drag();
        return 0;
    }
    case WM_LBUTTONDBLCLK: {
        if (self->strip.moving) {
            self->finish_move(true);
            return 0;
        }
        break;
    }
    case WM_KEYDOWN: {
        if (!self->strip.moving) {
            break;
        }
        const int step = GetKeyState(VK_SHIFT) < 0 ? kNudgeFast : 1;
        switch (wparam) {
        case VK_LEFT: self->strip.nudge(-step, 0); break;
        case VK_RIGHT: self->strip.nudge(step, 0); break;
        case VK_UP: self->strip.nudge(0, -step); break;
        case VK_DOWN: self->strip.nudge(0, step); break;
        case VK_RETURN: self->finish_move(true); break;
        case VK_ESCAPE: self->finish_move(false); break;
        default: break;
        }
        return 0;
    }
    case WM_SIZE: {
        // Sent from inside SetWindowPos: drawn once the call has returned.
        self->needs_draw = true;
        return 0;
    }
    case WM_SHOWWINDOW: {
        if (self->strip.shown_by_user(wparam, lparam) == 1) {
            self->needs_draw = true;
        }
        break;
    }
    case WM_CLOSE: {
        // Ends the loop rather than destroying the window here: run()
        // releases the window's resources once the current pass is done.
        PostQuitMessage(0);
        return 0;
    }
    }
    return DefWindowProcA(hwnd, msg, wparam, lparam);
}
