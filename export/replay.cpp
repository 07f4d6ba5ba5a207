#include "export/replay.h"

#include "app/antenne.h"
#include "app/state.h"
#include "scenes/scenarios.h"
#include "surface/tbitmap.h"

#include <QPixmap>
#include <QResizeEvent>
#include <QTimer>

#include <memory>
#include <stdexcept>

namespace {

// The window must cover the exported area, and its layer with it: offscreen,
// or on a small screen once scaled, the screen alone may be smaller. The
// resize is delivered at once, so the layer has grown before anything is
// drawn on it.
void coverExportedArea(TAntenne& window)
{
    const QSize wanted = window.size().expandedTo(QSize(ExportWidth, ExportHeight));
    if (wanted == window.size())
        return;
    const QSize old = window.size();
    window.resize(wanted);
    QResizeEvent event(wanted, old);
    QCoreApplication::sendEvent(&window, &event);
}

// Drives the window's ticks from here, one after the other without waiting,
// and plays the program's first tick, which draws the presentation.
void startDriving(TAntenne& window)
{
    window.Timer1->stop();
    coverExportedArea(window);
    window.Timer(nullptr);
}

QImage windowPicture(TAntenne& window)
{
    return window.grab(QRect(0, 0, ExportWidth, ExportHeight)).toImage().convertToFormat(QImage::Format_RGB32);
}

// A new main window, with the state as the program has it at start-up; it
// is the main window Antenne while it lives.
class FreshWindow {
public:
    FreshWindow()
    {
        ResetAnimationState();
        Schema.reset();
        window_ = std::make_unique<TAntenne>();
        Antenne = window_.get();
    }
    ~FreshWindow() { Antenne = nullptr; }
    FreshWindow(const FreshWindow&) = delete;
    FreshWindow& operator=(const FreshWindow&) = delete;

    TAntenne& operator*() const { return *window_; }

private:
    std::unique_ptr<TAntenne> window_;
};

}  // namespace

void ReplayScenario(const Scenario& scenario,
                    const std::function<void(const QImage& picture, int tick, int ticks)>& frame)
{
    TAntenne& window = *Antenne;
    startDriving(window);
    (window.*scenario.click)(nullptr);
    const int ticks = FrameCount(scenario);
    int tick = 0;
    frame(windowPicture(window), tick, ticks);
    while (scenario.start <= Compteur && Compteur < scenario.end) {
        window.Timer(nullptr);
        ++tick;
        if (tick > ticks)
            throw std::logic_error("the scene does not end");
        frame(windowPicture(window), tick, ticks);
    }
}

void ReplayEveryScenario(
    const std::function<void(const TAntenne& window, const QImage& picture)>& startup,
    const std::function<void(const Scenario& scenario, const QImage& picture, int tick, int ticks)>& frame)
{
    {
        const FreshWindow fresh;
        startDriving(*fresh);
        startup(*fresh, windowPicture(*fresh));
    }
    for (const Scenario& scenario : Scenarios) {
        const FreshWindow fresh;
        ReplayScenario(scenario, [&](const QImage& picture, int tick, int ticks) {
            frame(scenario, picture, tick, ticks);
        });
    }
}
