// Where a frame's time goes, on the real window, font and lines.
//
//   FrameBench frames <atlas.png> [count]   per-step medians of a full frame
//                                           and of an empty one (clear, swap),
//                                           plain against outlined, and at
//                                           scale 1 against 2
//   FrameBench steady <atlas.png> [seconds] the real loop, asleep between
//                                           events: wake-ups, swaps, CPU and
//                                           how late each second shows
//   FrameBench steady-plain <atlas.png> [seconds]
//                                           the same with the plain timer, as
//                                           on a Windows without coalescable
//                                           ones
//   FrameBench minutes <atlas.png> [seconds]
//                                           the real loop with a time line
//                                           without seconds
//   FrameBench polling <atlas.png> [seconds]
//                                           the same for the loop that woke
//                                           every 16 ms to poll
//   FrameBench every-frame <atlas.png> [seconds]
//                                           the same for the loop before it:
//                                           raise, update, draw and swap on
//                                           every pass
//   FrameBench memory <atlas.png> [count]   full frames back to back, with the
//                                           committed memory after each sixth
//   FrameBench glyphs <atlas.png> [count]   frames of a line the atlas lacks:
//                                           the first (its glyphs rendered),
//                                           later ones (cached), against ASCII
//   FrameBench one-strip|three-strips <atlas.png> [seconds]
//                                           the real loop with monitor = all
//                                           over one fake monitor or three
//   FrameBench strip-steps <atlas.png> [count]
//                                           ticks with one strip and with
//                                           three, timed step by step per strip
//   FrameBench memory-steps <atlas.png> [count] [hold]
//                                           committed memory step by step
//                                           from the start, then held
//   FrameBench options-off|outline|opacity|hover|programs|drift|hotkey|
//              options-on <atlas.png> [seconds]
//                                           the real loop with none, one or
//                                           all of the readability and hiding
//                                           options on
#include "GlobalHotkey.h"
#include "MainWindow.h"
#include "OpenGl.h"
#include "OptionalFunctions.h"
#include "SettingsFile.h"

#include <GL/gl.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {
LARGE_INTEGER g_frequency;

double now_us()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1e6 / static_cast<double>(g_frequency.QuadPart);
}

// One frame of the lines into the back buffer, as the strip's present draws it.
int draw_lines(MainWindow& w) { return w.view.draw(w.core.model.draw_order(), w.core.model.settings); }

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

double process_cpu_seconds()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto secs = [](const FILETIME& f) {
        return static_cast<double>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e7;
    };
    return secs(kernel) + secs(user);
}

void drain()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

constexpr DWORD kFramePauseMs = 16;

// Monitors for "one-strip" and "three-strips": Wine shows one, so three of
// the same DPI are laid out down the screen, a strip on each with
// monitor = all (one font texture for all three).
std::vector<MonitorArea> one_monitor()
{
    return {{{0, 0, 1024, 256}, {0, 0, 1024, 256}, true, "\\\\.\\DISPLAY1", "First", 96}};
}
std::vector<MonitorArea> three_monitors()
{
    std::vector<MonitorArea> m = one_monitor();
    m.push_back({{0, 256, 1024, 512}, {0, 256, 1024, 512}, false, "\\\\.\\DISPLAY2", "Second", 96});
    m.push_back({{0, 512, 1024, 768}, {0, 512, 1024, 768}, false, "\\\\.\\DISPLAY3", "Third", 96});
    return m;
}

// The readability and hiding options, each alone and all together, for the
// idle strip's cost with each on against off.
struct OptionMode {
    const char* name;
    void (*turn_on)(Settings* s);
};
void outline_on(Settings* s)
{
    s->outline = 0x000000;
    s->outline_shown = true;
}
void opacity_on(Settings* s) { s->opacity = 60; }
void hover_on(Settings* s) { s->hide_on_hover = true; }
void programs_on(Settings* s) { s->hide_when = {"vlc.exe", "obs64.exe"}; }
void drift_on(Settings* s) { s->drift = true; }
void hotkey_on(Settings* s) { s->hotkey = "Ctrl+Alt+B"; }
void all_on(Settings* s)
{
    for (auto* on : {outline_on, opacity_on, hover_on, programs_on, drift_on, hotkey_on}) {
        on(s);
    }
}
const OptionMode kOptionModes[] = {
    {"options-off", [](Settings*) {}}, {"outline", outline_on}, {"opacity", opacity_on}, {"hover", hover_on},
    {"programs", programs_on},         {"drift", drift_on},     {"hotkey", hotkey_on},   {"options-on", all_on}};

const OptionMode* option_mode(const char* name)
{
    for (const OptionMode& m : kOptionModes) {
        if (std::strcmp(m.name, name) == 0) {
            return &m;
        }
    }
    return nullptr;
}

bool known_mode(const char* name)
{
    const char* const kLoops[] = {"frames", "steady",  "steady-plain", "minutes",      "polling",     "every-frame",
                                  "memory", "glyphs",  "one-strip",    "three-strips", "locked",      "display-off",
                                  "hidden", "covered", "pointer",      "strip-steps",  "memory-steps"};
    for (const char* loop : kLoops) {
        if (std::strcmp(loop, name) == 0) {
            return true;
        }
    }
    return option_mode(name) != nullptr;
}

// Reads the clock and the battery into the three lines, as every pass of
// the older loops did.
void update_lines(MainWindow& w) { w.refresh(); }

// One pass of the polling loop before the thread slept between events: the
// settings watch polled, the lines read, the z-order and the foreground
// looked at, and a frame drawn only when something changed.
void polling_pass(MainWindow& w)
{
    if (w.settings_file != nullptr && w.settings_file->poll() == 1) {
        w.load_settings();
    }
    w.refresh();
    w.check_stacking();
    w.present();
}

// What every pass of the loop did before it drew only on change: raise (which
// also activated the strip), update the three lines, draw and swap.
void old_full_frame(MainWindow& w)
{
    BringWindowToTop(w.view.strip.hwnd);
    update_lines(w);
    draw_lines(w);
    SwapBuffers(w.view.renderer.hdc);
}

// Wall-clock times of each step of full frames, in microseconds.
struct FrameTimes {
    std::vector<double> raise, update, draw, swap, full;
};

// Full frames back to back: raise (the old loop's BringWindowToTop, when
// asked), update the three lines, draw and swap.
FrameTimes time_full_frames(MainWindow& w, int count, bool raise)
{
    FrameTimes t;
    for (int i = 0; i < count; ++i) {
        drain();
        const double t0 = now_us();
        if (raise) {
            BringWindowToTop(w.view.strip.hwnd);
        }
        const double t1 = now_us();
        update_lines(w);
        const double t2 = now_us();
        draw_lines(w);
        const double t3 = now_us();
        SwapBuffers(w.view.renderer.hdc);
        const double t4 = now_us();
        t.raise.push_back(t1 - t0);
        t.update.push_back(t2 - t1);
        t.draw.push_back(t3 - t2);
        t.swap.push_back(t4 - t3);
        t.full.push_back(t4 - t0);
    }
    return t;
}

int frames(MainWindow& w, int count)
{
    std::vector<double> empty_clear, empty_swap, empty;
    for (int i = 0; i < 60; ++i) { // warm-up
        old_full_frame(w);
    }
    const FrameTimes f = time_full_frames(w, count, true);
    for (int i = 0; i < count; ++i) {
        drain();
        const double t0 = now_us();
        glClearColor(0.03125f, 0.03125f, 0.03125f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        const double t1 = now_us();
        SwapBuffers(w.view.renderer.hdc);
        const double t2 = now_us();
        empty_clear.push_back(t1 - t0);
        empty_swap.push_back(t2 - t1);
        empty.push_back(t2 - t0);
    }
    std::printf("frames: %d of each kind; medians in microseconds (wall clock, one thread)\n", count);
    std::printf("  full frame   %8.1f  = raise %.1f + update (3 lines) %.1f + draw %.1f + swap %.1f\n", median(f.full),
                median(f.raise), median(f.update), median(f.draw), median(f.swap));
    std::printf("  empty frame  %8.1f  = clear %.1f + swap %.1f\n", median(empty), median(empty_clear),
                median(empty_swap));
    std::printf("  full / empty %8.2f\n", median(f.full) / median(empty));

    // The real loop's passes when nothing changed: what most of them are.
    std::vector<double> quiet, on_top;
    while (static_cast<int>(quiet.size()) < count) {
        drain();
        const unsigned long swaps = w.view.renderer.swap_count;
        const double t0 = now_us();
        polling_pass(w);
        const double t1 = now_us();
        w.view.strip.keep_on_top();
        const double t2 = now_us();
        if (w.view.renderer.swap_count == swaps) {
            quiet.push_back(t1 - t0);
            on_top.push_back(t2 - t1);
        }
    }
    std::printf("  quiet pass   %8.1f  (frame() with no line changed; of it, the on-top check %.1f)\n", median(quiet),
                median(on_top));
    return 0;
}

// Full frames (update, draw, swap) without an outline and with a black one,
// in alternating blocks so that the machine's drift falls on both alike.
int frames_with_outline(MainWindow& w, int count)
{
    std::printf("full frames, plain against outlined: %d of each, alternating in blocks of %d; medians in "
                "microseconds\n",
                count, count / 10);
    FrameTimes plain, outlined;
    for (int block = 0; block < 20; ++block) {
        Settings s = w.core.model.settings;
        s.outline = 0x000000;
        s.outline_shown = block % 2 == 1;
        w.apply_settings(s);
        const FrameTimes f = time_full_frames(w, count / 10, false);
        FrameTimes& into = s.outline_shown ? outlined : plain;
        for (auto part : {&FrameTimes::update, &FrameTimes::draw, &FrameTimes::swap, &FrameTimes::full}) {
            (into.*part).insert((into.*part).end(), (f.*part).begin(), (f.*part).end());
        }
    }
    Settings s = w.core.model.settings;
    s.outline_shown = false;
    w.apply_settings(s);
    std::printf("  plain        %8.1f  = update %.1f + draw %.1f + swap %.1f\n", median(plain.full),
                median(plain.update), median(plain.draw), median(plain.swap));
    std::printf("  outlined     %8.1f  = update %.1f + draw %.1f + swap %.1f\n", median(outlined.full),
                median(outlined.update), median(outlined.draw), median(outlined.swap));
    std::printf("  outlined / plain %4.2f\n", median(outlined.full) / median(plain.full));
    return 0;
}

// A full frame (update, draw, swap) at scale 1 and at scale 2, where every
// glyph square covers four times the pixels; the atlases are found from the
// working directory, which the caller sets to the folder holding res/.
int frames_by_scale(MainWindow& w, int count)
{
    std::printf("full frames by text scale: %d of each; medians in microseconds\n", count);
    double at_1 = 0.0;
    for (int halves : {2, 4}) {
        Settings s = w.core.model.settings;
        s.scale_halves = halves;
        w.apply_settings(s);
        if (!w.view.data_problems.empty()) {
            std::fprintf(stderr, "FrameBench: %s\n", w.view.data_problems.front().c_str());
            return 1;
        }
        const FrameTimes f = time_full_frames(w, count, false);
        std::printf("  scale %d      %8.1f  = update %.1f + draw %.1f + swap %.1f\n", halves / 2, median(f.full),
                    median(f.update), median(f.draw), median(f.swap));
        if (halves == 2) {
            at_1 = median(f.full);
        } else {
            std::printf("  scale 2 / 1  %8.2f\n", median(f.full) / at_1);
        }
    }
    return 0;
}

// Frames (draw and swap) of one line of the user's own, at a scale: the
// first after the glyph cache was emptied renders the line's glyphs.
double frame_us(MainWindow& w)
{
    const double start = now_us();
    draw_lines(w);
    w.view.renderer.swap();
    return now_us() - start;
}

int glyphs(MainWindow& w, int count)
{
    // Latin, Greek, Cyrillic and Japanese: 23 glyphs the atlas lacks.
    const std::string mixed =
        "M\xC3\xA4rz \xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1 \xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0 "
        "\xE6\x9D\xB1\xE4\xBA\xAC \xE6\x9C\x88\xE6\x9B\x9C\xE6\x97\xA5 "
        "\xE5\xA4\xA7\xE9\x98\xAA \xE4\xBA\xAC\xE9\x83\xBD \xE6\x9C\xAD\xE5\xB9\x8C";
    // A long Japanese date, as ja-JP's long form with the weekday and a place writes it.
    const std::string cjk_date = "2026\xE5\xB9\xB4"
                                 "12\xE6\x9C\x88"
                                 "7\xE6\x97\xA5 "
                                 "\xE6\x9C\x88\xE6\x9B\x9C\xE6\x97\xA5 \xE6\x9D\xB1\xE4\xBA\xAC\xE9\x83\xBD"
                                 "\xE5\x8D\x83\xE4\xBB\xA3\xE7\x94\xB0\xE5\x8C\xBA";
    std::printf("glyph cache: %d frames of each kind; medians in microseconds (draw and swap)\n", count);
    for (int halves : {2, 4}) {
        Settings s = w.core.model.settings;
        s.scale_halves = halves;
        s.lines = {LineKind::Text};
        s.text = "Date 2026-12-07 Time 17:33:00";
        w.apply_settings(s);
        std::vector<double> ascii;
        for (int i = 0; i < count; ++i) {
            ascii.push_back(frame_us(w));
        }
        s.text = mixed;
        w.apply_settings(s);
        std::vector<double> first;
        std::vector<double> cached;
        std::vector<std::string> problems;
        const int firsts = std::max(1, count / 20);
        for (int i = 0; i < firsts; ++i) {
            w.view.renderer.load_glyphs(halves, "", &problems);
            first.push_back(frame_us(w));
        }
        for (int i = 0; i < count; ++i) {
            cached.push_back(frame_us(w));
        }
        std::printf("  scale %d  ASCII %8.1f  first with new glyphs %8.1f (%.1fx)  cached %8.1f (%.2fx)\n", halves / 2,
                    median(ascii), median(first), median(first) / median(ascii), median(cached),
                    median(cached) / median(ascii));
        s.text = cjk_date;
        w.apply_settings(s);
        w.view.renderer.load_glyphs(halves, "", &problems);
        (void)frame_us(w);
        const int side = w.view.renderer.glyphs.texture_size;
        std::printf("  scale %d  a long CJK date: %lu glyphs rendered; the cache's texture %d x %d RGBA, %d KB\n",
                    halves / 2, w.view.renderer.glyphs.rendered, side, side, side * side * 4 / 1024);
    }
    return 0;
}

int memory(MainWindow& w, int count)
{
    std::printf("memory: %d full frames (raise, update, draw, swap) back to back\n", count);
    for (int part = 1; part <= 6; ++part) {
        for (int i = 0; i < count / 6; ++i) {
            drain();
            old_full_frame(w);
        }
        PROCESS_MEMORY_COUNTERS pmc{};
        pmc.cb = sizeof pmc;
        GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
        std::printf("  after %6d frames: committed %zu KB\n", part * (count / 6),
                    static_cast<std::size_t>(pmc.PagefileUsage / 1024));
    }
    return 0;
}

// Ticks one after another, each with the next second on the time line,
// timed step by step with one strip and with three: what the tick's reads
// and the core cost once, and what each strip's text, draw, raster and swap
// cost again. Wall-clock medians, and the process's CPU summed by step.
struct StepTimes {
    std::vector<double> refresh, stacking, current, draw, raster, swap;
    double cpu_refresh = 0, cpu_stacking = 0, cpu_current = 0, cpu_draw = 0, cpu_raster = 0, cpu_swap = 0;
};

int g_fake_second = 0;
ClockReading next_second()
{
    ClockReading c = read_local_clock();
    c.local.tm_sec = g_fake_second++ % 60;
    return c;
}

StepTimes time_strip_steps(MainWindow& w, int count)
{
    StepTimes t;
    for (int i = 0; i < count; ++i) {
        drain();
        double c0 = process_cpu_seconds();
        double t0 = now_us();
        w.refresh();
        double t1 = now_us();
        double c1 = process_cpu_seconds();
        t.refresh.push_back(t1 - t0);
        t.cpu_refresh += c1 - c0;
        w.check_stacking();
        const double t2 = now_us();
        const double c2 = process_cpu_seconds();
        t.stacking.push_back(t2 - t1);
        t.cpu_stacking += c2 - c1;
        for (StripView* v : w.strips.all()) {
            // The context made current on the strip's window: its draw's first step.
            c0 = process_cpu_seconds();
            t0 = now_us();
            v->renderer.make_current();
            t1 = now_us();
            c1 = process_cpu_seconds();
            t.current.push_back(t1 - t0);
            t.cpu_current += c1 - c0;
            c0 = process_cpu_seconds();
            t0 = now_us();
            v->draw(w.core.model.draw_order(), w.core.model.settings);
            t1 = now_us();
            c1 = process_cpu_seconds();
            // What llvmpipe would otherwise rasterise inside the swap.
            glFinish();
            const double t3 = now_us();
            const double c3 = process_cpu_seconds();
            v->renderer.swap();
            v->needs_draw = false;
            const double t4 = now_us();
            const double c4 = process_cpu_seconds();
            t.draw.push_back(t1 - t0);
            t.raster.push_back(t3 - t1);
            t.swap.push_back(t4 - t3);
            t.cpu_draw += c1 - c0;
            t.cpu_raster += c3 - c1;
            t.cpu_swap += c4 - c3;
        }
    }
    return t;
}

int strip_steps(MainWindow& w, int count)
{
    w.read_clock = next_second;
    std::printf("strip steps: %d ticks of each, a new second each; medians in microseconds (wall clock), "
                "and the process's CPU per tick in microseconds (GetProcessTimes, summed)\n",
                count);
    for (int round = 0; round < 2; ++round) {
        for (bool one : {true, false}) {
            w.read_monitors = one ? one_monitor : three_monitors;
            w.place();
            w.present();
            for (int i = 0; i < 30; ++i) { // warm-up
                time_strip_steps(w, 1);
            }
            const StepTimes t = time_strip_steps(w, count);
            const double per = 1e6 / count;
            std::printf(
                "  %-12s refresh %6.1f (cpu %6.1f)  stacking %6.1f (cpu %6.1f)  per strip: current %6.1f (cpu %6.1f) "
                "draw %6.1f (cpu %6.1f) raster %6.1f (cpu %6.1f) swap %6.1f (cpu %6.1f)  strips %zu\n",
                one ? "one strip" : "three strips", median(t.refresh), t.cpu_refresh * per, median(t.stacking),
                t.cpu_stacking * per, median(t.current), t.cpu_current * per, median(t.draw), t.cpu_draw * per,
                median(t.raster), t.cpu_raster * per, median(t.swap), t.cpu_swap * per, w.strips.all().size());
        }
    }
    return 0;
}

// Committed memory (PagefileUsage; under Wine the process's anonymous
// resident pages, RssAnon) and the working set, step by step from the start,
// then held for `hold` seconds for scripts/memory-map to read the Linux
// side's /proc/<pid>/smaps. The window is made here, so that it and its
// context come as a step.
struct MemoryMark {
    std::size_t committed_kb, working_kb, heap_kb;
};

MemoryMark memory_now()
{
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    // What the Windows side's heaps hold in use (ours, and Wine's DLLs').
    std::size_t busy = 0;
    HANDLE heaps[64];
    const DWORD n = GetProcessHeaps(64, heaps);
    for (DWORD i = 0; i < n && i < 64; ++i) {
        PROCESS_HEAP_ENTRY e{};
        HeapLock(heaps[i]);
        while (HeapWalk(heaps[i], &e)) {
            if ((e.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0) {
                busy += e.cbData;
            }
        }
        HeapUnlock(heaps[i]);
    }
    return {static_cast<std::size_t>(pmc.PagefileUsage / 1024), static_cast<std::size_t>(pmc.WorkingSetSize / 1024),
            busy / 1024};
}

void print_mark(const char* what, const MemoryMark& m, const MemoryMark& before)
{
    std::printf("  %-44s committed %7zu KB (%+7lld)  working set %7zu KB  heaps in use %6zu KB (%+6lld)\n", what,
                m.committed_kb, static_cast<long long>(m.committed_kb) - static_cast<long long>(before.committed_kb),
                m.working_kb, m.heap_kb, static_cast<long long>(m.heap_kb) - static_cast<long long>(before.heap_kb));
}

int memory_steps(const char* atlas, int frame_count, int hold)
{
    std::printf("memory by steps from the start (KB; committed is GetProcessMemoryInfo's PagefileUsage)\n");
    const MemoryMark start = memory_now();
    MemoryMark last = start;
    auto mark = [&last](const char* what) {
        const MemoryMark m = memory_now();
        print_mark(what, m, last);
        last = m;
    };
    print_mark("at start", start, start);
    gl.init();
    mark("opengl32.dll loaded");
    auto w = std::make_unique<MainWindow>();
    if (w->init() != 0) {
        return 1;
    }
    mark("the strip's window and OpenGL context");
    if (w->view.renderer.font.load_from_file(atlas, 24, 24, 19) != 0) {
        return 1;
    }
    mark("the atlas decoded and its texture made");
    w->init_displays();
    mark("the settings applied, the lines laid out");
    w->read_clock = next_second;
    w->tick();
    mark("the first frame drawn and swapped");
    for (int i = 0; i < frame_count; ++i) {
        drain();
        w->tick();
    }
    mark("more frames, a new second each");
    Settings s = w->core.model.settings;
    s.lines = {LineKind::Text};
    s.text = "M\xC3\xA4rz \xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1";
    w->apply_settings(s);
    w->present();
    mark("a line with glyphs the atlas lacks");
    s = default_settings();
    s.all_monitors = true;
    w->read_monitors = three_monitors;
    w->apply_settings(s);
    for (int i = 0; i < frame_count; ++i) {
        drain();
        w->tick();
    }
    mark("three strips, their frames");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(hold) * 1000);
    return 0;
}

// Records, for each second turning on screen, how many milliseconds after
// its boundary the swap that shows it came.
struct Lateness {
    std::string last;
    std::vector<double> ms;
    void watch(MainWindow& w)
    {
        last = w.view.display_for(LineKind::Time)->text;
        w.view.on_swap = [this, &w] {
            if (w.view.display_for(LineKind::Time)->text != last) {
                ms.push_back(read_local_clock().ms);
                last = w.view.display_for(LineKind::Time)->text;
            }
        };
    }
};

// The loop before it drew only on change: raise, update, draw and swap on
// every pass.
void every_frame_pass(MainWindow& w)
{
    old_full_frame(w);
    ++w.view.renderer.swap_count;
    if (w.view.on_swap) {
        w.view.on_swap();
    }
}

// The two older loops: drain the queue, make a pass, pause 16 ms, until WM_QUIT.
void run_paced(MainWindow& w, void (*pass)(MainWindow&), unsigned long& passes)
{
    w.running = true;
    MSG msg{};
    while (w.running) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                w.running = false;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        pass(w);
        ++passes;
        Sleep(kFramePauseMs);
    }
}

// One loop for `seconds`: wake-ups (the loop's own count: a pass of the old
// loops, a return from the wait of the new one), swaps, the process's CPU and
// how late each second showed.
int steady(MainWindow& w, int seconds, const char* mode)
{
    HWND hwnd = w.view.strip.hwnd;
    const bool every_frame = std::strcmp(mode, "every-frame") == 0;
    const bool polling = std::strcmp(mode, "polling") == 0;
    // The real program asks for efficiency mode and arms a coalescable timer
    // where Windows has them; "steady-plain" arms the timer it had before.
    EventSources::ask_for_efficiency_mode();
    if (std::strcmp(mode, "steady-plain") == 0) {
        optional_functions.SetCoalescableTimer = nullptr;
    }
    if (std::strcmp(mode, "minutes") == 0) {
        Settings s = w.core.model.settings;
        s.time_format = "Time %H:%M";
        w.apply_settings(s);
    }
    // Nobody can see the strip for the whole run: the session locked, the
    // display off, or the strip hidden from the menu.
    if (std::strcmp(mode, "locked") == 0) {
        SendMessageA(hwnd, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1);
    } else if (std::strcmp(mode, "display-off") == 0) {
        std::vector<unsigned char> bytes(sizeof(POWERBROADCAST_SETTING) + sizeof(DWORD), 0);
        auto* setting = reinterpret_cast<POWERBROADCAST_SETTING*>(bytes.data());
        setting->PowerSetting = kConsoleDisplayState;
        setting->DataLength = sizeof(DWORD);
        SendMessageA(hwnd, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(setting));
    } else if (std::strcmp(mode, "hidden") == 0) {
        SendMessageA(hwnd, kStripHideMessage, 1, 0);
    }
    // Hidden by what only a look or a window's event ends: a full-screen
    // program in front, the pointer over the text.
    HWND game = nullptr;
    if (std::strcmp(mode, "covered") == 0) {
        Settings s = w.core.model.settings;
        s.hide_over_fullscreen = true;
        w.apply_settings(s);
        game = CreateWindowExA(0, "STATIC", "game", WS_POPUP | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                               GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetForegroundWindow(game);
        SendMessageA(hwnd, kStripWindowEventMessage, 0, 0);
    } else if (std::strcmp(mode, "pointer") == 0) {
        Settings s = w.core.model.settings;
        s.hide_on_hover = true;
        w.apply_settings(s);
        RECT r{};
        GetWindowRect(hwnd, &r);
        const Rect text = w.view.strip.text_areas.empty() ? Rect{0, 0, 1, 1} : w.view.strip.text_areas.front();
        SetCursorPos(r.left + (text.left + text.right) / 2, r.top + (text.top + text.bottom) / 2);
        SendMessageA(hwnd, kStripWindowEventMessage, 0, 0);
    }
    // The window manager makes the program foreground in its own time, and
    // may hand the front back once: the run starts when the strip has stayed
    // hidden through the looks that follow a window event.
    for (int waited = 0, hidden_for = 0; game != nullptr && hidden_for < 1500 && waited < 10000;
         waited += kFramePauseMs) {
        drain();
        hidden_for = IsWindowVisible(hwnd) ? 0 : hidden_for + static_cast<int>(kFramePauseMs);
        if (GetForegroundWindow() != game) {
            SetForegroundWindow(game);
            SendMessageA(hwnd, kStripWindowEventMessage, 0, 0);
        }
        Sleep(kFramePauseMs);
    }
    if (every_frame || polling) {
        // The old loops read the clock on every pass, not on a timer.
        KillTimer(hwnd, EventSources::kClockTimer);
        w.events.destroy();
    }
    Lateness late;
    late.watch(w);
    // Measured up to the close: destroying the window afterwards can stall
    // for seconds under Wine without a window manager.
    double elapsed = 0.0, cpu = 0.0;
    unsigned long passes = 0, wakes = 0, swaps = 0;
    std::size_t strips = 0;
    PROCESS_MEMORY_COUNTERS memory_at_end{};
    memory_at_end.cb = sizeof memory_at_end;
    const unsigned long swaps0 = w.view.renderer.swap_count, wakes0 = w.events.wakes;
    const double cpu0 = process_cpu_seconds();
    const double t0 = now_us();
    std::thread closer([&, hwnd, seconds] {
        Sleep(static_cast<DWORD>(seconds) * 1000);
        elapsed = (now_us() - t0) / 1e6;
        cpu = process_cpu_seconds() - cpu0;
        wakes = every_frame || polling ? passes : w.events.wakes - wakes0;
        swaps = w.view.renderer.swap_count - swaps0;
        for (const auto& other : w.strips.others) {
            swaps += other->renderer.swap_count;
        }
        strips = w.strips.all().size();
        GetProcessMemoryInfo(GetCurrentProcess(), &memory_at_end, sizeof memory_at_end);
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
    });
    if (every_frame || polling) {
        run_paced(w, every_frame ? every_frame_pass : polling_pass, passes);
    } else {
        w.run();
    }
    closer.join();
    std::vector<double> ms = late.ms;
    std::sort(ms.begin(), ms.end());
    std::printf("steady %s: %.2f s, %lu wake-ups = %.2f a second, %lu swaps, process CPU %.2f%% of one core, "
                "second shown %.0f ms after its boundary (median), %.0f ms (worst of %zu); %zu strips, committed "
                "%zu KB, working set %zu KB\n",
                mode, elapsed, wakes, static_cast<double>(wakes) / elapsed, swaps, 100.0 * cpu / elapsed, median(ms),
                ms.empty() ? 0.0 : ms.back(), ms.size(), strips,
                static_cast<std::size_t>(memory_at_end.PagefileUsage / 1024),
                static_cast<std::size_t>(memory_at_end.WorkingSetSize / 1024));
    // The program in front is left to the process's end: destroyed after
    // the strip's window, Wine's X driver unmaps a window already gone.
    std::fflush(stdout);
    return 0;
}
}

int main(int argc, char** argv)
{
    const bool known = argc >= 3 && known_mode(argv[1]);
    if (!known) {
        std::fprintf(stderr,
                     "usage: FrameBench "
                     "frames|steady|steady-plain|minutes|polling|every-frame|memory|glyphs|one-strip|three-strips|"
                     "locked|display-off|hidden|covered|pointer|strip-steps|memory-steps|"
                     "options-off|outline|opacity|hover|programs|drift|hotkey|options-on "
                     "<atlas.png> "
                     "[count|seconds]\n");
        return 2;
    }
    QueryPerformanceFrequency(&g_frequency);
    // As Main does first: the optional functions looked up.
    optional_functions.init();
    if (std::strcmp(argv[1], "memory-steps") == 0) {
        return memory_steps(argv[2], argc > 3 ? std::atoi(argv[3]) : 60, argc > 4 ? std::atoi(argv[4]) : 0);
    }
    MainWindow w;
    if (w.init() != 0) {
        std::fprintf(stderr, "FrameBench: the overlay window could not be created\n");
        return 1;
    }
    if (w.view.renderer.font.load_from_file(argv[2], 24, 24, 19) != 0) {
        std::fprintf(stderr, "FrameBench: cannot load %s\n", argv[2]);
        return 1;
    }
    w.init_displays();
    if (std::strcmp(argv[1], "frames") == 0) {
        const int count = argc > 3 ? std::atoi(argv[3]) : 2000;
        if (frames(w, count) != 0 || frames_with_outline(w, count) != 0) {
            return 1;
        }
        // The atlas's folder is res/ of the folder to work from.
        std::string root = argv[2];
        for (int up = 0; up < 2; ++up) {
            const std::size_t slash = root.find_last_of("\\/");
            root = slash == std::string::npos ? std::string(".") : root.substr(0, slash);
        }
        SetCurrentDirectoryA(root.c_str());
        return frames_by_scale(w, count);
    }
    if (std::strcmp(argv[1], "glyphs") == 0) {
        return glyphs(w, argc > 3 ? std::atoi(argv[3]) : 400);
    }
    if (std::strcmp(argv[1], "memory") == 0) {
        return memory(w, argc > 3 ? std::atoi(argv[3]) : 60000);
    }
    const bool one = std::strcmp(argv[1], "one-strip") == 0;
    if (std::strcmp(argv[1], "strip-steps") == 0) {
        Settings s = w.core.model.settings;
        s.all_monitors = true;
        w.apply_settings(s);
        return strip_steps(w, argc > 3 ? std::atoi(argv[3]) : 500);
    }
    if (one || std::strcmp(argv[1], "three-strips") == 0) {
        w.read_monitors = one ? one_monitor : three_monitors;
        Settings s = w.core.model.settings;
        s.all_monitors = true;
        w.apply_settings(s);
    }
    // The hotkey is registered on the strip's window here; the program
    // registers it on the icon's, which costs the same.
    GlobalHotkey hotkey;
    if (const OptionMode* m = option_mode(argv[1])) {
        w.to_icon = [&w, &hotkey](const StripCommands& c) {
            if (c.register_hotkey) {
                StripEvent registered;
                registered.kind = StripEventKind::HotkeyRegistered;
                registered.problem = hotkey.set(w.view.strip.hwnd, c.hotkey);
                w.core.step(registered);
            }
        };
        Settings s = w.core.model.settings;
        m->turn_on(&s);
        w.apply_settings(s);
    }
    const int result = steady(w, argc > 3 ? std::atoi(argv[3]) : 33, argv[1]);
    w.to_icon = nullptr;
    hotkey.destroy();
    return result;
}
