#pragma once

#include <vector>

namespace labo {

// The presets: the lessons of the scenes, and of the course, on the model.
struct Preset {
    const char* name;     // the link's value of preset=
    const char* title;    // its button's caption
    const char* comment;  // one or two lines, in French
    const char* link;     // the settings it sets, from the defaults
};
const std::vector<Preset>& Presets();

}  // namespace labo
