#pragma once

#include <QImage>

#include <functional>

class TAntenne;
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

// Plays every scenario of the table in turn, each in a main window of its
// own made with the animation state as at program start, so that a
// scenario's pictures are the ones ReplayScenario gives it in a process of
// its own. A first window, before them, only plays the start-up tick:
// `startup` receives it and its picture, what the program shows before any
// click. `frame` receives each scenario's pictures as ReplayScenario gives them.
void ReplayEveryScenario(
    const std::function<void(const TAntenne& window, const QImage& picture)>& startup,
    const std::function<void(const Scenario& scenario, const QImage& picture, int tick, int ticks)>& frame);
