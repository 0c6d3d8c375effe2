#include "StripSet.h"

#include <algorithm>

int StripSet::init(StripView* main, WNDPROC procedure, void* window_owner)
{
    first = main;
    views = {first};
    proc = procedure;
    owner = window_owner;
    return 0;
}

StripView* StripSet::of(HWND hwnd) const
{
    for (StripView* v : all()) {
        if (v->strip.hwnd == hwnd) {
            return v;
        }
    }
    return nullptr;
}

int StripSet::add(const Settings& s, const StripModel& model)
{
    auto v = std::make_unique<StripView>();
    v->dpi_aware = first->dpi_aware;
    v->on_swap = first->on_swap;
    if (v->init(proc, owner, &first->renderer) != 0) {
        return -1;
    }
    // Its own font only at a scale other than the first's.
    v->font_owner = first;
    v->renderer.font_halves = 0;
    v->init_displays();
    v->apply(s);
    v->take(model.texts, s, model.battery_low, kPictureChanged);
    views.push_back(v.get());
    others.push_back(std::move(v));
    return 0;
}

int StripSet::arrange(const std::vector<StripPlace>& places, const std::vector<MonitorArea>& given, const Settings& s,
                      const StripModel& model)
{
    monitors = given;
    const std::size_t wanted = places.empty() ? 1 : places.size();
    while (others.size() + 1 > wanted) {
        others.back()->destroy();
        others.pop_back();
        views.pop_back();
    }
    int result = 0;
    while (others.size() + 1 < wanted && result == 0) {
        result = add(s, model);
    }
    const std::vector<StripView*>& strips = all();
    for (std::size_t i = 0; i < strips.size() && i < places.size(); ++i) {
        strips[i]->has_area = places[i].has_area;
        strips[i]->area = places[i].area;
        strips[i]->area_label = places[i].label;
        strips[i]->clip_to_monitor = places[i].clip;
    }
    return result;
}

void StripSet::take(const StripModel& model, unsigned changed)
{
    const StripView* before = nullptr;
    for (StripView* v : all()) {
        v->take(model.texts, model.settings, model.battery_low, changed, before);
        before = v;
    }
}

void StripSet::apply(const Settings& s)
{
    for (StripView* v : all()) {
        v->apply(s);
    }
}

void StripSet::redraw()
{
    for (StripView* v : all()) {
        v->needs_draw = true;
    }
}

void StripSet::place_again()
{
    for (StripView* v : all()) {
        v->needs_place = true;
    }
}

bool StripSet::rescale_asked(const Settings& s)
{
    bool place = false;
    for (StripView* v : all()) {
        if (v->needs_rescale) {
            v->rescale(s);
        }
        place = place || v->needs_place;
    }
    return place;
}

void StripSet::present(const std::vector<LineKind>& order, const Settings& s)
{
    for (StripView* v : all()) {
        v->present(order, s);
    }
}

void StripSet::begin_move(HWND foreground, const Settings& s)
{
    HWND back = foreground != nullptr ? foreground : GetForegroundWindow();
    const std::vector<StripView*>& strips = all();
    for (auto v = strips.rbegin(); v != strips.rend(); ++v) {
        (*v)->begin_move(back, s.drift);
    }
}

int StripSet::end_move(bool keep, int held_index, const Settings& s, Placement* kept)
{
    const std::vector<StripView*>& strips = all();
    StripView* held =
        held_index >= 0 && static_cast<std::size_t>(held_index) < strips.size() ? strips[held_index] : first;
    for (StripView* v : strips) {
        if (v != held) {
            v->end_move(false, s, monitors, kept);
        }
    }
    return held->end_move(keep, s, monitors, kept);
}

int StripSet::destroy()
{
    // Newest first: the first strip, whose context the others borrow, goes last.
    while (!others.empty()) {
        others.back()->destroy();
        others.pop_back();
        views.pop_back();
    }
    return 0;
}
