// What the frame loop draws and how the keys change it.
#pragma once

#include "options.hpp"

#include <algorithm>
#include <vector>

struct scene_view {
    std::vector<scene_object> order; // drawn first to last; later objects paint over earlier ones
    std::vector<scene_object> hidden;
    bool paused = false;

    bool shown(scene_object o) const {
        return std::find(order.begin(), order.end(), o) != order.end() &&
               std::find(hidden.begin(), hidden.end(), o) == hidden.end();
    }
};

// Shows a hidden object or hides a shown one. An object that was never in the list joins at the
// end, so it is drawn over the others.
inline void toggle_object(scene_view &view, scene_object o) {
    const auto h = std::find(view.hidden.begin(), view.hidden.end(), o);
    if (h != view.hidden.end()) {
        view.hidden.erase(h);
    } else if (std::find(view.order.begin(), view.order.end(), o) == view.order.end()) {
        view.order.push_back(o);
    } else {
        view.hidden.push_back(o);
    }
}
