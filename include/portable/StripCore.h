#pragma once

#include "Layout.h"
#include "MonitorChoice.h"
#include "ProblemReport.h"
#include "Settings.h"
#include "StripModel.h"
#include "ZoneRules.h"

#include <array>
#include <string>
#include <vector>

// The strip's decisions as plain data, with one way in: Windows tells the
// core what happened (an StripEvent), the core decides, and says what
// Windows must do about it (StripCommands). The window procedure, the icon
// and the menu translate messages into events and carry the commands out.

// A zone the settings name, as Windows' registry has it: its rules when it
// is known, and the names it does know for a zone that is not.
struct ZoneLookup {
    bool known = false;
    ZoneRules rules{0, 0, 0, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}};
    std::vector<std::string> names;
};

// What the strips met that only Windows can know, for the report: the
// font and data files that could not be used, the file's watch and path,
// and whether policies decide some settings.
struct StripFacts {
    std::vector<std::string> font;
    std::vector<std::string> data;
    std::string watch;
    std::string file;
    bool organisation = false;
};

// Where one strip stands: the monitor it is on (has_area false with no
// monitors at all), that monitor's label in the reports ("DELL U2720Q (2)"),
// whether it is cut to its monitor (there are others it would spill onto)
// and whether the settings' own monitor is missing; and as it was last laid
// out, its lines' widths at its scale, and the layout they gave.
struct StripPlace {
    bool has_area = false;
    MonitorArea area{};
    std::string label;
    bool clip = false;
    bool missing = false;
    std::vector<int> widths;
    int scale_halves = 2;
    StripLayout layout;
};

// What Windows saw around one strip, for its reasons to hide: a
// full-screen program in front on its monitor, the program in front there
// (its path; empty for none, or for a window that shows nothing), and
// whether the pointer rests over its text.
struct StripSight {
    bool fullscreen = false;
    std::string program;
    bool pointer_over = false;
};

// Why one strip is hidden, apart from the menu's Hide, kept apart so that
// none undoes another.
struct StripHiding {
    bool fullscreen = false;
    bool program = false;
    bool hover = false;
};

// A point on the screen, in pixels (signed: monitors left of or above the
// primary are negative).
struct ScreenPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ScreenPoint& o) const { return x == o.x && y == o.y; }
};

// The keys that mean something while the strip is moved.
enum class MoveKey { Left, Right, Up, Down, Enter, Esc, Other };

enum class StripEventKind {
    // The settings file read: `settings` as it says them (and the
    // policies over it), `problems` its own; `zones` and `names` looked up
    // for those settings; `scaled` when Windows scales the display a
    // DPI-aware process draws on.
    SettingsRead,
    // Another program holds the file: `problems` says so; the settings in
    // force stay.
    SettingsBusy,
    // The menu wrote one key, `key`: `settings` as the file says them now.
    KeyWritten,
    // The zones the settings in the file name, looked up: `zones`.
    ZonesRead,
    // A wake: the clock and power readings, as much as reads() asked for.
    Tick,
    // The locale's names read again (the user changed the regional format).
    LocaleRead,
    // The time zone or the clock was set: `local_zone` the zone's rules.
    LocalZoneRead,
    // The hotkey registered: `problem` says why not, or is empty.
    HotkeyRegistered,
    // The monitors Windows reports now: `monitors`.
    Monitors,
    // Strip `strip` measured its lines at its scale: `widths`, `scale_halves`.
    Measured,
    // The strips placed: `facts` for the report.
    Placed,
    // Windows looked around strip `strip`: `sight`.
    Looked,
    // The pointer alone, around strip `strip`, while it keeps that strip hidden.
    Pointer,
    // The menu's Hide (`hidden`), its undoing, or its key.
    Hide,
    // "Move...": every strip grabbable until it is kept or put back.
    MoveBegun,
    // The move ends: kept (`keep`, the icon's "Done") or put back.
    MoveEnd,
    // While moving: the button went down on strip `strip` at `pointer`,
    // the strip's window at `window`; the pointer moved to `pointer` (with
    // the button held, the strip follows), the button went up there, or the
    // capture was taken away; a double click; a key on strip `strip`
    // (`fast` with Shift), its window at `window`.
    MovePress,
    MoveDrag,
    MoveRelease,
    MoveCaptureLost,
    MoveDoubleClick,
    MoveKeyDown,
    // The session locked (`hidden`) or unlocked; the display went off
    // (`hidden`) or came on (dimmed is on: it can still be read).
    SessionLock,
    DisplayPower,
    // A kept place could not be written: `problem` says why.
    PlaceNotKept,
    // Close: the menu's, an installer's, the session's end.
    Close,
    // A balloon the last commands asked for could not be shown (no icon
    // yet): `key` is "info" for the information balloon.
    BalloonRefused,
};

struct StripEvent {
    // Made and unmade out of line: built in many places, the inline copies
    // of every member's constructor would weigh on the program's size.
    StripEvent();
    ~StripEvent();
    StripEvent(const StripEvent&);
    StripEvent(StripEvent&&) noexcept;
    StripEvent& operator=(const StripEvent&);
    StripEvent& operator=(StripEvent&&) noexcept;

    StripEventKind kind = StripEventKind::Tick;
    Settings settings = default_settings();
    std::vector<std::string> problems;
    std::string key;
    std::array<ZoneLookup, kZones> zones;
    LocaleNames names = english_names();
    std::string locale_problem;
    bool scaled = false;
    ClockReading clock;
    PowerReading power;
    ZoneRules local_zone{0, 0, 0, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}};
    std::string problem;
    StripFacts facts;
    int strip = 0;
    StripSight sight;
    bool hidden = false;
    bool keep = false;
    ScreenPoint pointer;
    ScreenPoint window;
    MoveKey move_key = MoveKey::Other;
    bool fast = false;
    std::vector<MonitorArea> monitors;
    std::vector<int> widths;
    int scale_halves = 2;
};

// What Windows must do, in this order: each flag set asks for its step.
struct StripCommands {
    // Made and unmade out of line: built in many places, the inline copies
    // of every member's constructor would weigh on the program's size.
    StripCommands();
    ~StripCommands();
    StripCommands(const StripCommands&);
    StripCommands(StripCommands&&) noexcept;
    StripCommands& operator=(const StripCommands&);
    StripCommands& operator=(StripCommands&&) noexcept;

    // The settings' look on every strip: all of it (apply), or the part a
    // key decides (the colours, the opacity, the scale).
    bool apply = false;
    bool colours = false;
    bool opacity = false;
    bool rescale = false;
    // Register `hotkey` for the menu's Hide (and say how it went).
    bool register_hotkey = false;
    std::string hotkey;
    // Look up the zones the file's settings name, and tell them as ZonesRead.
    bool look_up_zones = false;
    // Read what the shown lines need now, and tell it as a Tick.
    bool read_now = false;
    // The model's texts to every strip; `changed` the model's kPictureChanged
    // and kPlacementChanged.
    bool texts = false;
    unsigned changed = 0;
    // The clock's next wake, in milliseconds (-1: leave it as it is), or
    // no wake at all while nobody can see the strip.
    int wake_ms = -1;
    bool stop_clock = false;
    // Look at the z-order and the foreground now.
    bool check_stacking = false;
    // The strips placed again now on the monitors there are (and the facts
    // told as Placed), or at the next present.
    bool place = false;
    // As many strips as `places`, each on its place's monitor, and each
    // measured (told as Measured).
    bool arrange = false;
    std::vector<StripPlace> places;
    // Strip `held`'s lines laid out as `layout`, its window at `window`
    // within `bound` (drifted from the layout's own place).
    bool lay_out = false;
    StripLayout layout;
    Rect window{0, 0, 0, 0};
    bool place_later = false;
    // The facts told as Placed without placing anything.
    bool report = false;
    // The settings file read again and told as SettingsRead: a key with no
    // shortcut applies as a hand edit does.
    bool reload = false;
    // A warning balloon (the problems), or an information balloon (the
    // organisation's notice); an empty title: none.
    Balloon warning;
    Balloon info;
    // A warning said once now, apart from the report (a place that could
    // not be written).
    Balloon notice;
    // Brindlow closes: the icon's menu and dialogs end, then the loop.
    bool close = false;
    // Each strip shown (true) or hidden as its reasons say, by strip; and
    // whether the pointer must be looked at again soon (it keeps one hidden,
    // and nothing else would say when it has left).
    bool sight = false;
    std::vector<bool> visible;
    bool hover_look = false;
    // Every strip is hidden and a full-screen or listed program in front
    // keeps one hidden: the clock sleeps, and what ends it is watched (the
    // program in front, that window's own changes) with a slow look behind
    // for what goes unreported. False: no such watch.
    bool cover_look = false;
    // "Move...": every strip made grabbable.
    bool begin_move = false;
    // The move ends: 1 kept where strip `held` is (its place written to the
    // settings), 0 put back; -1: no end.
    int end_move = -1;
    int held = 0;
    // Strip `held` to `place_at` (a drag's step, a nudge); the pointer
    // captured for it (1) or let go (0); -1: as it is.
    bool place_strip = false;
    ScreenPoint place_at;
    int capture = -1;
    // The message was about moving, and is taken.
    bool taken = false;
    // Draw and swap what changed.
    bool present = false;
};

// A fixed scale's note when the process declared itself DPI-aware on a
// display Windows scales.
constexpr const char* kScaledLaterProblem =
    "[text] scale: Windows' display scaling is added to it when Brindlow starts again";

class StripCore {
public:
    // Said once while Brindlow runs, when policies first decide something.
    static constexpr const char* kOrganisationTitle = "Brindlow";
    static constexpr const char* kOrganisationText =
        "Some settings are set by your organisation: the menu cannot change them.";

    // The settings as the file says them, before lines that cannot be
    // shown were left out: the menu works from these.
    Settings file_settings = default_settings();
    // The settings in force (model.settings), the lines' texts and when to
    // wake next.
    StripModel model;
    // What is wrong, by where it came from: the file's own problems, the
    // zones', the locale's and the hotkey's.
    std::vector<std::string> settings_problems;
    std::vector<std::string> zone_problems;
    std::string locale_problem;
    std::string hotkey_problem;
    // Each zone line's rules and whether Windows knows its zone.
    std::array<ZoneLookup, kZones> zones;
    // The balloon shown last, so that the same problems stay quiet.
    std::string reported;
    // The monitors as last reported, and where each strip stands.
    std::vector<MonitorArea> monitors;
    std::vector<StripPlace> places = std::vector<StripPlace>(1);
    // The clock's last reading while the strip drifts (seconds since 1970):
    // the drift's step, which each strip is placed off its layout by.
    long long drift_seconds = 0;
    // Why each strip is hidden, by strip, and the menu's Hide for all of them.
    std::vector<StripHiding> hiding = std::vector<StripHiding>(1);
    bool user_hidden = false;
    // Nobody can see any strip: the session is locked, the display is off.
    bool session_locked = false;
    bool display_off = false;
    // While "Move..." is on: the strip last taken hold of (its place is
    // kept), and while the button is held on it, the pointer's and its
    // window's places when it went down.
    bool moving = false;
    int held = 0;
    bool dragging = false;
    ScreenPoint drag_pointer;
    ScreenPoint drag_window;
    // The organisation's notice was shown: once while Brindlow runs.
    bool told_organisation = false;
    // What was reported before the balloon last asked for, kept while it may be refused.
    std::string refused_fallback;

    // The one way in.
    StripCommands step(const StripEvent& e);
    // Whether nobody can see a strip: the session locked, the display off,
    // every strip hidden from the menu, or each by a reason of its own (a
    // full-screen or listed program, the pointer). Nothing wakes for the
    // clock then; the event that ends it reads the clock at once.
    bool unseen() const;
    // Unseen only because programs in front hide every strip (see
    // StripCommands::cover_look).
    bool hidden_by_cover() const;
    // What Windows need look at for the reasons to hide: a full-screen
    // program, the program in front, the pointer.
    bool looks_for_fullscreen() const;
    bool looks_for_programs() const;
    bool looks_for_pointer() const;

private:
    StripCommands dispatch(const StripEvent& e);
    bool every_strip_hidden() const;
    StripCommands settings_read(const StripEvent& e);
    StripCommands key_written(const StripEvent& e);
    StripCommands tick(const StripEvent& e);
    StripCommands placed(const StripFacts& facts);
    StripCommands looked(const StripEvent& e);
    // Each strip's visibility as its reasons say, into *c.
    void sight(StripCommands* c) const;
    // Lets go of the reasons the settings no longer ask for.
    void follow_hiding_settings();
    StripCommands move(const StripEvent& e);
    StripCommands arrange(const std::vector<MonitorArea>& given);
    StripCommands measured(const StripEvent& e);
    // Ends the move, kept or put back.
    StripCommands end_move(bool keep);
    // After something that may make the strips seen or unseen: the clock
    // stopped, or read now and armed again.
    void follow_seen(bool was_unseen, StripCommands* c) const;
    // The lines of these settings that can be shown, saying why a zone line is left out.
    std::vector<LineKind> lines_in_force(const Settings& s);
};
