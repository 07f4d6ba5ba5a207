#pragma once

#include <QtGlobal>

#include <array>
#include <cstdint>

class QObject;
class QPushButton;
class TAntenne;
namespace Ui {
class TANTENNE;
}

// One scenario, everything that tells it from the others written once: the
// button that starts it and how that button prepares the picture, the range
// of the counter its scene plays in, and where the scene's parts begin.
struct Scenario {
    const char* name;                     // its name for antenne-export
    QPushButton* Ui::TANTENNE::*button;   // its button in the window
    void (TAntenne::*click)(QObject*);    // and that button's handler
    const char* title;                    // written in green on the window (UTF-8)
    int titleX;
    int diagramY;                         // where the block diagram's top goes
    // The scene plays while start <= Compteur < end, before a tick's
    // increment; the button stores start. Its frame is drawn with n, the
    // counter after the increment, from start + 1 to end.
    std::int32_t start;
    std::int32_t end;
    std::int32_t commentaryFrom;  // the commentary is written while commentaryFrom <= n < end
    std::int32_t gustFrom;        // wind only: held before, recovering from it on
    bool resetsAngle;             // the button sets Angle to 0
    bool resetsRamp;              // the button sets SortieRampe to 0
    void (*beforeIncrement)(const Scenario& self);  // the ramp's position, or null
    void (*frame)(const Scenario& self, std::int32_t n);
};

// In the order of the buttons and of the counter's ranges: presentation,
// aperiodic, damped oscillatory, unstable, ramp, wind disturbance.
extern const std::array<Scenario, 6> Scenarios;

// One tick of the animation clock: for each scenario in order, a counter
// inside its range is advanced by one and the scene's frame drawn. Every
// upper bound lies below the next start, so a tick draws at most one frame.
void StepAnimation();

// What a button does: prepares the scenario's picture, then stores its start
// value and resets. If the preparation throws, the state is left as it was.
void StartScenario(const Scenario& scenario);

// The number of frames a scenario plays, and its length at 100 ms a frame.
constexpr int FrameCount(const Scenario& s)
{
    return s.end - s.start;
}
