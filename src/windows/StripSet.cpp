#include "StripSet.h"

#include "MonitorChoice.h"

int StripSet::init(StripView* main, WNDPROC procedure, void* window_owner)
{
    first = main;
    proc = procedure;
    owner = window_owner;
    return 0;
}

std::vector<StripView*> StripSet::all() const
{
    std::vector<StripView*> strips{first};
    for (const auto& v : others) {
        strips.push_back(v.get());
    }
    return strips;
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
    // Hidden from the menu, a new strip comes hidden too.
    v->strip.hide_by_user(first->strip.user_hidden);
    others.push_back(std::move(v));
    return 0;
}

int StripSet::place_on(const Settings& s, const std::vector<MonitorArea>& given, const StripModel& model)
{
    monitors = given;
    const MonitorChoice choice = choose_monitors(s, monitors);
    // With no monitors at all, the first strip still stands, at the origin.
    const std::size_t wanted = choice.chosen.empty() ? 1 : choice.chosen.size();
    while (others.size() + 1 > wanted) {
        others.back()->destroy();
        others.pop_back();
    }
    int result = 0;
    while (others.size() + 1 < wanted && result == 0) {
        result = add(s, model);
    }
    const std::vector<StripView*> strips = all();
    for (std::size_t i = 0; i < strips.size(); ++i) {
        const MonitorArea* on = i < choice.chosen.size() ? &monitors[choice.chosen[i]] : nullptr;
        strips[i]->place_on(s, on, choice.missing);
    }
    return result;
}

int StripSet::destroy()
{
    // Newest first: the first strip, whose context the others borrow, goes last.
    while (!others.empty()) {
        others.back()->destroy();
        others.pop_back();
    }
    return 0;
}
