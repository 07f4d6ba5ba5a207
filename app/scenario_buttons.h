#pragma once

#include <array>
#include <cstdint>

// What each scenario button does: the preparation's title, title X and diagram
// Y, the counter value that starts its scene, and the state it resets.
struct ScenarioButton {
    const char* title;  // UTF-8
    int titleX;
    int diagramY;
    std::int32_t start;
    bool resetsAngle;
    bool resetsRamp;
};

// Rows for Button1 .. Button6, in that order.
extern const std::array<ScenarioButton, 6> ScenarioButtons;

// Prepares the row's picture, then stores its start value and resets. If the
// preparation throws, the state is left as it was.
void StartScenario(const ScenarioButton& row);
