#include "StripView.h"

#include "EventSources.h"
#include "OptionalFunctions.h"
#include "SystemReadings.h"

namespace {
constexpr const char* kMoveHint = "Drag to place. Enter to keep, Esc to cancel.";
// The backdrop while moving: dark, so that the strip can be seen and grabbed.
constexpr unsigned int kMovingBackdrop = 0x303030;
// The DPI at which Windows does not scale a window.
constexpr int kUnscaledDpi = 96;
}

int StripView::init(WNDPROC proc, void* owner, const Renderer* shared)
{
    failed_call = nullptr;
    if (strip.init(proc, owner) != 0) {
        failed_call = strip.failed_call;
        failed_error = strip.failed_error;
        return -1;
    }
    if (renderer.init(strip.hwnd, OverlayWindow::kWidth, OverlayWindow::kHeight, shared) != 0) {
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
    return 0;
}

int StripView::init_displays()
{
    for (Display& d : displays) {
        d = Display();
        d.set_display_font(&renderer.font);
    }
    return 0;
}

Display* StripView::display_for(LineKind kind) { return &displays[static_cast<std::size_t>(line_index(kind))]; }

std::vector<int> StripView::line_widths(const std::vector<LineKind>& shown)
{
    std::vector<int> widths;
    for (LineKind kind : shown) {
        const Display* d = display_for(kind);
        widths.push_back(text_width(d->text, &renderer.font, d->font_size, d->font_spacing));
    }
    return widths;
}

void StripView::apply(const Settings& s)
{
    set_colours(s);
    strip.set_opacity(s.opacity);
    rescale(s);
}

bool StripView::monitor_scaled() const { return dpi_aware && strip.hwnd != nullptr && read_dpi() != kUnscaledDpi; }

void StripView::set_colours(const Settings& s)
{
    for (Display& d : displays) {
        d.colour = s.colour;
        d.shadow = s.shadow;
        d.shadow_shown = s.shadow_shown;
        d.outline = s.outline;
        d.outline_shown = s.outline_shown;
    }
}

void StripView::take(const std::array<std::string, kLineKinds>& texts, const Settings& s, bool battery_low,
                     unsigned changed, const StripView* like)
{
    for (std::size_t i = 0; i < displays.size(); ++i) {
        displays[i].text = texts[i];
    }
    // Only the text changes colour when the battery runs low: its shadow stays.
    display_for(LineKind::Battery)->colour = battery_low ? s.low_colour : s.colour;
    needs_place = needs_place || (changed & kPlacementChanged) != 0;
    if ((changed & kPictureChanged) != 0) {
        // Text from the glyph cache has no fixed advance: the same number of
        // bytes may measure wider. Measured once for the strips alike.
        taken_widths = like != nullptr && measures_as(*like) ? like->taken_widths : line_widths(s.lines);
        needs_place = needs_place || taken_widths != placed_widths;
    }
}

bool StripView::measures_as(const StripView& other)
{
    const Display* mine = display_for(LineKind::Time);
    const Display& theirs = other.displays[static_cast<std::size_t>(line_index(LineKind::Time))];
    return mine->font == theirs.font && mine->font_size == theirs.font_size &&
           mine->font_spacing == theirs.font_spacing;
}

namespace {
// Whether two lines draw the same pixels: every field Display::draw reads.
bool looks_alike(const Display& a, const Display& b)
{
    return a.font == b.font && a.x == b.x && a.y == b.y && a.font_size == b.font_size &&
           a.font_spacing == b.font_spacing && a.text == b.text && a.colour == b.colour && a.shadow == b.shadow &&
           a.shadow_shown == b.shadow_shown && a.shadow_offset == b.shadow_offset && a.outline == b.outline &&
           a.outline_shown == b.outline_shown && a.outline_width == b.outline_width;
}
}

bool StripView::shows_already(const std::vector<LineKind>& order)
{
    if (drawn.size() != order.size()) {
        return false;
    }
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (!looks_alike(drawn[i], *display_for(order[i]))) {
            return false;
        }
    }
    return true;
}

int StripView::load_font(int halves)
{
    data_problems.clear();
    return renderer.load_font(halves, &data_problems);
}

int StripView::read_dpi() const
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

int StripView::wanted_scale(const Settings& s) const
{
    if (!s.scale_auto || strip.hwnd == nullptr) {
        return s.scale_auto ? 2 : s.scale_halves;
    }
    // A monitor's own DPI where Windows said it (each strip is at its own
    // monitor's scale); else the window's, read now, also when "auto" was
    // chosen after the start: a process that did not declare itself
    // DPI-aware is told 96 wherever Windows stretches its windows to the
    // monitor's scaling, so the size is right at once, and only sharper
    // after a restart.
    return scale_halves_for_dpi(has_area && area.dpi > 0 ? area.dpi : read_dpi());
}

bool StripView::borrows_font(const Settings& s) const
{
    return font_owner != nullptr && font_owner->renderer.font_halves == scale_halves &&
           font_owner->glyph_family == s.font;
}

int StripView::rescale(const Settings& s)
{
    needs_rescale = false;
    scale_halves = wanted_scale(s);
    DisplayFont* font = &renderer.font;
    if (borrows_font(s)) {
        // Its own texture, if it had one, is not needed any more.
        renderer.release_font();
        font = &font_owner->renderer.font;
        // The same font object with other glyphs in it: drawn again.
        needs_draw = needs_draw || glyph_family != font_owner->glyph_family;
        glyph_family = font_owner->glyph_family;
    } else {
        // A font another caller loaded (tests, the benchmark) stays unless
        // the scale really changed.
        if (scale_halves != renderer.font_halves) {
            load_font(scale_halves);
            needs_draw = true;
        }
        const int cell = kGlyphSize * scale_halves / 2;
        if (renderer.hglrc != nullptr && (renderer.glyphs.cell != cell || s.font != glyph_family)) {
            glyph_family = s.font;
            font_problems.clear();
            renderer.load_glyphs(scale_halves, glyph_family, &font_problems);
            needs_draw = true;
        }
    }
    for (Display& d : displays) {
        d.set_display_font(font);
    }
    move_hint.set_display_font(font);
    // Whole pixels at every scale: halves of 24 and 12 are exact.
    const int size = kGlyphSize * scale_halves / 2;
    const int advance = kGlyphAdvance * scale_halves / 2;
    for (Display& d : displays) {
        d.set_font_size(static_cast<float>(size));
        d.set_font_spacing(static_cast<float>(advance));
        d.shadow_offset = scale_halves >= 4 ? scale_halves / 2 : 1;
        d.outline_width = (scale_halves + 1) / 2; // a pixel for each whole of the scale, 1.5 rounded up
    }
    needs_place = true;
    return 0;
}

std::vector<int> StripView::measure(const Settings& s)
{
    // Moved to a monitor of another DPI, or the strip whose font it
    // borrowed went to one.
    const bool borrowing = display_for(LineKind::Time)->font != &renderer.font;
    const bool refont = font_owner != nullptr && borrowing != borrows_font(s);
    if ((s.scale_auto && wanted_scale(s) != scale_halves) || refont) {
        rescale(s);
    }
    placed_widths = line_widths(s.lines);
    return placed_widths;
}

void StripView::lay_out(const Settings& s, const StripLayout& given, const Rect& window)
{
    layout = given;
    const std::vector<LineKind>& shown = s.lines;
    for (std::size_t i = 0; i < shown.size() && i < layout.line_x.size(); ++i) {
        display_for(shown[i])->set_position(layout.line_x[i], layout.line_y[i]);
    }
    strip.text_areas = hover_areas(layout, scale_halves);
    const Rect& r = layout.window;
    // While the user moves it, the strip stays where the hand puts it.
    bool moved = true;
    if (strip.hwnd != nullptr && !strip.moving) {
        // A frame drawn at once may still land in a buffer of the old size
        // (under Wine the X window follows later), and nothing else would
        // draw until a text changes: draw again a moment later.
        strip.monitor_area = has_area ? area.monitor : Rect{0, 0, 0, 0};
        RECT before{};
        GetWindowRect(strip.hwnd, &before);
        moved = before.left != window.left || before.top != window.top || before.right != window.right ||
                before.bottom != window.bottom || renderer.width != r.right - r.left ||
                renderer.height != r.bottom - r.top;
        if (strip.move_to(window) == 1) {
            SetTimer(strip.hwnd, EventSources::kResizeTimer, EventSources::kResizeDrawMs, nullptr);
        }
        renderer.resize(r.right - r.left, r.bottom - r.top);
    }
    needs_place = false;
    // Placed where it was, its lines are drawn again only if they changed.
    needs_draw = needs_draw || moved;
}

int StripView::draw(const std::vector<LineKind>& order, const Settings& s)
{
    if (strip.moving) {
        move_hint.set_position(kMarginX * scale_halves / 2, kMarginY * scale_halves / 2);
        move_hint.set_font_size(display_for(LineKind::Time)->font_size);
        move_hint.set_font_spacing(display_for(LineKind::Time)->font_spacing);
        move_hint.colour = s.colour;
        Display* hint = &move_hint;
        return renderer.draw(&hint, 1, kMovingBackdrop);
    }
    Display* lines[kLineKinds];
    int count = 0;
    for (LineKind kind : order) {
        lines[count++] = display_for(kind);
    }
    return renderer.draw(lines, count);
}

int StripView::present(const std::vector<LineKind>& order, const Settings& s)
{
    // A hidden strip keeps its changes for the frame after it is shown.
    // While moving it shows the hint, whatever the lines say.
    if (strip.hwnd == nullptr || !IsWindowVisible(strip.hwnd) ||
        (!needs_draw && (strip.moving || shows_already(order)))) {
        return 0;
    }
    draw(order, s);
    renderer.swap();
    needs_draw = false;
    drawn.clear();
    if (!strip.moving) {
        for (LineKind kind : order) {
            drawn.push_back(*display_for(kind));
        }
    }
    if (on_swap) {
        on_swap();
    }
    return 1;
}

void StripView::begin_move(HWND foreground, bool drifting)
{
    if (drifting && !strip.moving) {
        strip.move_to(layout.window);
    }
    strip.begin_move(foreground);
    needs_draw = true;
}

int StripView::end_move(bool keep, const Settings& s, const std::vector<MonitorArea>& monitors, Placement* kept)
{
    if (!strip.moving) {
        return -1;
    }
    RECT r{};
    GetWindowRect(strip.hwnd, &r);
    strip.end_move(keep);
    needs_draw = true;
    needs_place = needs_place || s.drift; // drifting again from the place it went back to
    if (!keep) {
        return 0;
    }
    *kept = placement_for(Rect{r.left, r.top, r.right, r.bottom}, s, placed_widths, monitors, scale_halves);
    return 1;
}

int StripView::destroy()
{
    if (strip.hwnd == nullptr) {
        return 0;
    }
    renderer.destroy(strip.hwnd);
    strip.destroy();
    return 0;
}
