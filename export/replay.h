#pragma once

#include <QImage>

#include <array>
#include <functional>

// The scenarios, in the order of the window's buttons Button1 .. Button6.
struct ExportScenario {
    const char* name;
    int button;  // 1 .. 6
};
extern const std::array<ExportScenario, 6> ExportScenarios;

// Width and height, in logical pixels, of the part of the window exported:
// the labels, the title strip and the drawing area, without the buttons.
constexpr int ExportWidth = 800;
constexpr int ExportHeight = 488;

// Plays one scenario in the main window Antenne, which must have just been
// created: the start-up tick, then the button's handler, then one tick after
// another until the counter leaves the scene's range. After each tick of the
// scene, frame receives the picture of the window and the tick's number
// (from 1) out of the scene's total.
void ReplayScenario(const ExportScenario& scenario,
                    const std::function<void(const QImage& picture, int tick, int ticks)>& frame);
