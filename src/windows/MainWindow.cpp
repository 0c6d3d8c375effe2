#include "MainWindow.h"

#include "SettingsFile.h"
#include "StartupShortcut.h"

#include <cstring>

int MainWindow::init()
{
    strips.init(&view, MainWindow::WndProc, this); // its first messages come before init returns
    if (view.init(MainWindow::WndProc, this) != 0) {
        return -1;
    }
    events.init(view.strip.hwnd);
    StripEvent zone;
    zone.kind = StripEventKind::LocalZoneRead;
    zone.local_zone = read_local_rules();
    core.step(zone);
    return 0;
}

int MainWindow::init_displays()
{
    for (StripView* v : strips.all()) {
        v->init_displays();
    }
    return take(in_force.settings_read(core.file_settings, core.settings_problems));
}

int MainWindow::take(const StripEvent& e)
{
    carry_out(core.step(e));
    return 0;
}

void MainWindow::carry_out(const StripCommands& c)
{
    const Settings& s = core.model.settings;
    if (c.apply) {
        // StartAtLogin: the user's Startup shortcut is made sure of at every
        // start and whenever the policy comes into force.
        if (settings_file != nullptr && settings_file->own.start_at_login) {
            StartupShortcut::start_this_copy();
        }
        strips.apply(s);
    }
    for (StripView* v : strips.all()) {
        if (c.rescale) {
            v->needs_rescale = true;
        }
        if (c.colours) {
            v->set_colours(s);
            v->take(core.model.texts, s, core.model.battery_low, 0);
            v->needs_draw = true;
        }
        if (c.opacity) {
            v->strip.set_opacity(s.opacity);
        }
        if (c.place_later) {
            v->needs_place = true;
        }
    }
    if (c.sight) {
        const std::vector<StripView*>& all = strips.all();
        for (std::size_t i = 0; i < all.size() && i < c.visible.size(); ++i) {
            all[i]->strip.set_visible(c.visible[i]);
        }
        events.follow_hover(c.hover_look);
    }
    events.follow_cover(c.cover_look);
    if (c.begin_move) {
        strips.begin_move(move_foreground, s);
    }
    if (c.place_strip || c.capture >= 0) {
        const std::vector<StripView*>& all = strips.all();
        OverlayWindow& held = all[static_cast<std::size_t>(c.held) < all.size() ? c.held : 0]->strip;
        if (c.place_strip) {
            held.place_at(POINT{c.place_at.x, c.place_at.y});
        }
        if (c.capture >= 0) {
            held.capture(c.capture == 1);
        }
    }
    if (c.end_move == 1) {
        keep_place(c.held);
    } else if (c.end_move == 0) {
        Placement ignored{};
        strips.end_move(false, c.held, s, &ignored);
    }
    if (c.arrange) {
        strips.arrange(c.places, core.monitors, s, core.model);
        const std::vector<StripView*>& all = strips.all();
        for (std::size_t i = 0; i < all.size(); ++i) {
            StripEvent measured;
            measured.kind = StripEventKind::Measured;
            measured.strip = static_cast<int>(i);
            measured.widths = all[i]->measure(s);
            measured.scale_halves = all[i]->scale_halves;
            take(measured);
        }
    }
    if (c.lay_out) {
        const std::vector<StripView*>& all = strips.all();
        if (static_cast<std::size_t>(c.held) < all.size()) {
            all[static_cast<std::size_t>(c.held)]->lay_out(s, c.layout, c.window);
        }
    }
    if (c.register_hotkey && to_icon) {
        StripCommands hotkey;
        hotkey.register_hotkey = true;
        hotkey.hotkey = c.hotkey;
        to_icon(hotkey);
    }
    if (c.reload) {
        settings_written();
    }
    if (c.look_up_zones) {
        StripEvent read;
        read.kind = StripEventKind::ZonesRead;
        read.zones = SettingsInForce::look_up_zones(core.file_settings);
        take(read);
    }
    if (c.read_now) {
        refresh();
    }
    if (c.texts) {
        strips.take(core.model, c.changed);
    }
    if (c.wake_ms >= 0) {
        events.arm_clock(c.wake_ms);
    }
    if (c.stop_clock) {
        events.stop_clock();
    }
    if (c.check_stacking) {
        check_stacking();
    }
    if (c.place) {
        place();
    }
    if (c.report) {
        report();
    }
    if (!c.warning.text.empty() || !c.info.text.empty() || !c.notice.text.empty() || c.close) {
        StripCommands said;
        said.warning = c.warning;
        said.info = c.info;
        said.notice = c.notice;
        said.close = c.close;
        if (to_icon) {
            to_icon(said);
        } else {
            // No icon to show them: tried again at the next report.
            for (const Balloon* b : {&c.warning, &c.info}) {
                if (!b->text.empty()) {
                    StripEvent refused;
                    refused.kind = StripEventKind::BalloonRefused;
                    refused.key = b == &c.info ? "info" : "warning";
                    core.step(refused);
                }
            }
        }
    }
    if (c.close) {
        // The quit message ends the dialog loops still unwinding (they post
        // it again); the flag ends the pass even if a modal loop took the
        // message without posting it again.
        running = false;
        PostQuitMessage(0);
    }
    if (c.present) {
        present();
    }
}

int MainWindow::apply_settings(const Settings& given)
{
    return take(in_force.settings_read(given, core.settings_problems));
}

int MainWindow::load_settings()
{
    if (settings_file == nullptr) {
        return -1;
    }
    StripEvent read;
    if (in_force.load(settings_file, &read) == SettingsInForce::Load::Retry) {
        return 0; // tried again in a moment
    }
    read.scaled = view.monitor_scaled();
    return take(read);
}

int MainWindow::setting_written(const Settings& now, const std::string& key)
{
    if (settings_file != nullptr) {
        // The write is in force: a change noticed before it is not read twice.
        settings_file->follow();
    }
    StripEvent written;
    written.kind = StripEventKind::KeyWritten;
    written.settings = now;
    written.key = key;
    written.scaled = view.monitor_scaled();
    return take(written);
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
    StripEvent placed;
    placed.kind = StripEventKind::Placed;
    StripFacts& f = placed.facts;
    f.font = view.font_problems;
    f.data = view.data_problems;
    if (settings_file != nullptr) {
        f.watch = settings_file->watch_problem;
        f.file = settings_file->path;
        f.organisation = !settings_file->locked.empty() || !(settings_file->own == OwnPolicies{});
    }
    if (f.file.empty()) {
        f.file = kSettingsFileName;
    }
    return take(placed);
}

int MainWindow::place() { return place_on(read_monitors()); }

int MainWindow::place_on(const std::vector<MonitorArea>& monitors)
{
    StripEvent reported;
    reported.kind = StripEventKind::Monitors;
    reported.monitors = monitors;
    take(reported);
    return report();
}

int MainWindow::follow_monitors()
{
    // A move in progress is undone: its monitor may be gone.
    finish_move(false);
    strips.place_again();
    events.look_at_monitors(0);
    return present();
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
    refresh();
    // The backstop for window events Windows did not report (or Wine does
    // not deliver).
    check_stacking();
    return present();
}

int MainWindow::refresh()
{
    // Only what a shown line needs is read.
    const unsigned reads = core.model.reads();
    StripEvent tick;
    tick.kind = StripEventKind::Tick;
    tick.clock = read_clock();
    if ((reads & kReadsZone) != 0 && read_zone != nullptr) {
        tick.clock.zone = read_zone();
    }
    in_force.format_regional(core.model, &tick.clock);
    if ((reads & kReadsPower) != 0) {
        tick.power = read_power();
    }
    return take(tick);
}

int MainWindow::check_stacking()
{
    const std::vector<StripView*>& all = strips.all();
    for (std::size_t i = 0; i < all.size(); ++i) {
        all[i]->strip.keep_on_top();
        StripEvent looked;
        looked.kind = StripEventKind::Looked;
        looked.strip = static_cast<int>(i);
        looked.sight =
            all[i]->strip.look(core.looks_for_fullscreen(), core.looks_for_programs(), core.looks_for_pointer());
        take(looked);
    }
    return 0;
}

int MainWindow::follow_pointer()
{
    const std::vector<StripView*>& all = strips.all();
    for (std::size_t i = 0; i < all.size(); ++i) {
        StripEvent pointer;
        pointer.kind = StripEventKind::Pointer;
        pointer.strip = static_cast<int>(i);
        pointer.sight.pointer_over = core.looks_for_pointer() && all[i]->strip.pointer_over();
        take(pointer);
    }
    return 0;
}

int MainWindow::present()
{
    // Placed together: each strip's monitor is chosen with the others'.
    if (strips.rescale_asked(core.model.settings)) {
        place();
    }
    strips.present(core.model.draw_order(), core.model.settings);
    return 0;
}

int MainWindow::begin_move(HWND foreground)
{
    move_foreground = foreground;
    StripEvent begun;
    begun.kind = StripEventKind::MoveBegun;
    return take(begun);
}

int MainWindow::finish_move(bool keep)
{
    StripEvent end;
    end.kind = StripEventKind::MoveEnd;
    end.keep = keep;
    return take(end);
}

int MainWindow::keep_place(int held)
{
    Placement p{};
    if (strips.end_move(true, held, core.model.settings, &p) != 1 || settings_file == nullptr) {
        return 0;
    }
    StripEvent refused;
    if (settings_file->write_place(p, &refused.problem) == 0) {
        // The place is in force now, as any change made from the menu.
        return settings_written();
    }
    refused.kind = StripEventKind::PlaceNotKept;
    return take(refused);
}

StripEvent MainWindow::move_event(StripView* to, UINT msg, WPARAM wparam) const
{
    StripEvent e;
    const std::vector<StripView*>& all = strips.all();
    for (std::size_t i = 0; i < all.size(); ++i) {
        e.strip = all[i] == to ? static_cast<int>(i) : e.strip;
    }
    // Where the pointer was when the message was sent, in screen
    // coordinates: its client coordinates would shift as the strip moves
    // under them.
    const DWORD at = GetMessagePos();
    e.pointer = ScreenPoint{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
    RECT r{};
    GetWindowRect(to->strip.hwnd, &r);
    e.window = ScreenPoint{r.left, r.top};
    switch (msg) {
    case WM_LBUTTONDOWN: e.kind = StripEventKind::MovePress; break;
    case WM_MOUSEMOVE: e.kind = StripEventKind::MoveDrag; break;
    case WM_LBUTTONUP: e.kind = StripEventKind::MoveRelease; break;
    case WM_CAPTURECHANGED: e.kind = StripEventKind::MoveCaptureLost; break;
    case WM_LBUTTONDBLCLK: e.kind = StripEventKind::MoveDoubleClick; break;
    default: {
        e.kind = StripEventKind::MoveKeyDown;
        e.fast = GetKeyState(VK_SHIFT) < 0;
        e.move_key = wparam == VK_LEFT     ? MoveKey::Left
                     : wparam == VK_RIGHT  ? MoveKey::Right
                     : wparam == VK_UP     ? MoveKey::Up
                     : wparam == VK_DOWN   ? MoveKey::Down
                     : wparam == VK_RETURN ? MoveKey::Enter
                     : wparam == VK_ESCAPE ? MoveKey::Esc
                                           : MoveKey::Other;
        break;
    }
    }
    return e;
}

int MainWindow::close()
{
    StripEvent close;
    close.kind = StripEventKind::Close;
    return take(close);
}

int MainWindow::destroy()
{
    running = false;
    if (view.strip.hwnd == nullptr) {
        return 0;
    }
    events.destroy();
    strips.destroy();
    return view.destroy();
}

LRESULT CALLBACK MainWindow::WndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    // The window keeps its MainWindow in GWLP_USERDATA, an integer by type.
    // NOLINTNEXTLINE(performance-no-int-to-ptr): Win32 stores pointers as integers here.
    MainWindow* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    // The strip the message is for: the main one or another monitor's.
    // Windows tells every top-level window of a change of power, settings,
    // time or monitors: the main strip alone acts on it.
    StripView* view = self != nullptr ? self->strips.of(hwnd) : nullptr;
    const bool told_all = msg == WM_POWERBROADCAST || msg == WM_SETTINGCHANGE || msg == WM_TIMECHANGE ||
                          msg == WM_DISPLAYCHANGE || msg == WM_ENDSESSION;
    if (view == nullptr || (told_all && view != &self->view)) {
        return DefWindowProcA(hwnd, msg, wparam, lparam);
    }
    switch (msg) {
    case WM_PAINT: {
        // Windows keeps a layered window's picture, but whatever was drawn
        // over it (or X, under Wine) may still ask for it again.
        ValidateRect(hwnd, nullptr);
        view->needs_draw = true;
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
        } else if (wparam == EventSources::kCoverTimer) {
            // Only a look: the clock is read when a strip shows again.
            self->check_stacking();
            self->present();
        } else if (wparam == EventSources::kHoverTimer) {
            self->follow_pointer();
            self->present();
        } else if (wparam == EventSources::kResizeTimer) {
            KillTimer(hwnd, EventSources::kResizeTimer);
            view->needs_draw = true;
            self->present();
        } else if (wparam == EventSources::kMonitorTimer) {
            self->place();
            self->events.look_at_monitors(self->events.monitor_step);
            self->present();
        }
        return 0;
    }
    case kStripWindowEventMessage: {
        // A window was created, shown, raised or made foreground somewhere.
        self->check_stacking();
        self->events.restart_rechecks();
        self->present();
        return 0;
    }
    case WM_POWERBROADCAST: {
        // The display went off or came on (dimmed, it can still be read).
        if (wparam == PBT_POWERSETTINGCHANGE && lparam != 0) {
            // NOLINTNEXTLINE(performance-no-int-to-ptr): Windows passes the setting's address.
            const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lparam);
            if (IsEqualGUID(setting->PowerSetting, kConsoleDisplayState) && setting->DataLength >= sizeof(DWORD)) {
                DWORD state = 0;
                std::memcpy(&state, setting->Data, sizeof state);
                StripEvent display;
                display.kind = StripEventKind::DisplayPower;
                display.hidden = state == 0;
                self->take(display);
            }
            return TRUE;
        }
        // The power source or the charge changed, or the machine resumed
        // (timers do not run in sleep): read both now and re-arm. After a
        // resume the monitors may have changed while asleep, and wake slowly.
        self->tick();
        if (wparam == PBT_APMRESUMEAUTOMATIC || wparam == PBT_APMRESUMESUSPEND) {
            self->follow_monitors();
        }
        return TRUE;
    }
    case WM_SETTINGCHANGE: {
        // The taskbar moved or hides itself now: the work areas changed.
        if (wparam == SPI_SETWORKAREA) {
            self->follow_monitors();
        }
        // Group Policy applied a refresh: read the policies now rather than
        // wait for the registry's own notification (or for a key that did
        // not exist when the watch was set).
        // NOLINTNEXTLINE(performance-no-int-to-ptr): the section's name comes as an integer.
        if (lparam != 0 && std::strcmp(reinterpret_cast<const char*>(lparam), "Policy") == 0 &&
            self->settings_file != nullptr) {
            self->settings_file->policies_refreshed();
            if (self->settings_file->poll() == 1) {
                self->load_settings();
            }
        }
        // "intl": the user changed the regional format. The names of the
        // user's own locale are read again.
        // NOLINTNEXTLINE(performance-no-int-to-ptr): the section's name comes as an integer.
        if (lparam != 0 && std::strcmp(reinterpret_cast<const char*>(lparam), "intl") == 0 &&
            self->core.model.settings.locale.empty()) {
            self->in_force.locale.init("");
            StripEvent read;
            read.kind = StripEventKind::LocaleRead;
            read.names = self->in_force.locale.names;
            read.locale_problem = self->in_force.locale_problem;
            self->core.step(read);
            self->tick();
        }
        return DefWindowProcA(hwnd, msg, wparam, lparam);
    }
    case WM_TIMECHANGE: {
        // The clock was set or the time zone changed: a countdown's moment
        // is read in the zone's rules again.
        StripEvent read;
        read.kind = StripEventKind::LocalZoneRead;
        read.local_zone = self->read_local_rules();
        self->core.step(read);
        self->tick();
        return 0;
    }
    case WM_WTSSESSION_CHANGE: {
        if (wparam == WTS_SESSION_LOCK || wparam == WTS_SESSION_UNLOCK) {
            StripEvent session;
            session.kind = StripEventKind::SessionLock;
            session.hidden = wparam == WTS_SESSION_LOCK;
            self->take(session);
        }
        if (wparam == WTS_SESSION_UNLOCK) {
            self->strips.redraw();
            self->tick();
        }
        return 0;
    }
    case WM_DPICHANGED: {
        // Only a DPI-aware process hears it: with scale = auto, the strip
        // moved to a monitor of another DPI, or the user changed it. The
        // rectangle Windows suggests is not taken: the strip is placed anew,
        // unless it is being dragged across.
        view->needs_rescale = true;
        if (!view->strip.moving) {
            self->follow_monitors();
        }
        return 0;
    }
    case WM_DISPLAYCHANGE: {
        // Monitors came or went, or a resolution changed.
        self->follow_monitors();
        return 0;
    }
    case kStripMoveMessage: {
        if (wparam == kStripMoveAsk) {
            return self->core.moving ? 1 : 0;
        }
        // The icon's "Done", or a move put back.
        if (wparam == kStripMoveDone || wparam == kStripMovePutBack) {
            self->finish_move(wparam == kStripMoveDone);
        } else {
            // NOLINTNEXTLINE(performance-no-int-to-ptr): the icon's menu passes a window handle.
            self->begin_move(reinterpret_cast<HWND>(lparam));
        }
        return 0;
    }
    case kStripEventMessage: {
        // NOLINTNEXTLINE(performance-no-int-to-ptr): the icon sends the event's address.
        const StripEvent* told = reinterpret_cast<const StripEvent*>(lparam);
        if (told != nullptr && told->kind == StripEventKind::KeyWritten) {
            self->setting_written(told->settings, told->key);
        } else if (told != nullptr) {
            self->take(*told);
        }
        return 0;
    }
    case kStripHideMessage: {
        StripEvent hide;
        hide.kind = StripEventKind::Hide;
        hide.hidden = wparam != 0;
        self->take(hide);
        self->present();
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
    case WM_LBUTTONDBLCLK:
    case WM_KEYDOWN: {
        // Only while moving: the strip is click-through otherwise. The
        // strip moves itself with the pointer's own messages: the system's
        // move loop (a caption hit) stalled under Wine after a few steps of
        // a drag and then took no keys.
        const StripCommands c = self->core.step(self->move_event(view, msg, wparam));
        self->carry_out(c);
        if (c.taken) {
            return 0;
        }
        break;
    }
    case WM_SIZE: {
        // Sent from inside SetWindowPos: drawn once the call has returned.
        view->needs_draw = true;
        return 0;
    }
    case WM_SHOWWINDOW: {
        // lParam 0: ShowWindow itself. Not the strip's own: someone hid or
        // showed it as the menu's Hide does, which the core records (the
        // strip is already on its way there).
        if (lparam == 0 && !view->strip.showing_itself) {
            StripEvent hide;
            hide.kind = StripEventKind::Hide;
            hide.hidden = wparam == FALSE;
            // Only the clock follows: the strip shows or hides already.
            const StripCommands c = self->core.step(hide);
            if (c.stop_clock) {
                self->events.stop_clock();
            }
            if (c.read_now) {
                self->refresh();
            }
        }
        if (lparam == 0 && wparam != FALSE) {
            view->needs_draw = true;
        }
        break;
    }
    case WM_ENDSESSION: {
        // The session ends, or the Restart Manager asks Brindlow to let go
        // of its files (ENDSESSION_CLOSEAPP: an MSI replacing or removing
        // them) and waits for the process to end: it closes as its menu's
        // Close does. WM_QUERYENDSESSION needs no answer but the default's
        // "yes": there is nothing to save.
        if (wparam != FALSE) {
            self->close();
        }
        return 0;
    }
    case WM_CLOSE: {
        // Ends the loop rather than destroying the window here: run()
        // releases the window's resources once the current pass is done.
        // An installer sends it while the menu or a dialog may be open: the
        // modal loop dispatches it, and must be ended for the pass to end.
        self->close();
        return 0;
    }
    }
    return DefWindowProcA(hwnd, msg, wparam, lparam);
}
