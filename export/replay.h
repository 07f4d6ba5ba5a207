#pragma once

#include <QImage>

#include <functional>

struct Scenario;

// Width and height, in logical pixels, of the part of the window exported:
// the labels, the title strip and the drawing area, without the buttons.
constexpr int ExportWidth = 800;
constexpr int ExportHeight = 488;

// Plays one scenario in the main window Antenne, which must have just been
// created: the start-up tick, then the button's handler, then one tick after
// another until the counter leaves the scene's range. `frame` receives the
// picture of the window and its tick's number out of the scene's total: 0
// for the prepared picture right after the click, then 1 after each tick.
void ReplayScenario(const Scenario& scenario,
                    const std::function<void(const QImage& picture, int tick, int ticks)>& frame);
