#include "export/replay.h"

#include "app/antenne.h"
#include "app/state.h"
#include "scenes/phase_table.h"

#include <QPixmap>
#include <QResizeEvent>
#include <QTimer>

#include <stdexcept>

const std::array<ExportScenario, 6> ExportScenarios = {{
    {"presentation", 1},
    {"aperiodique", 2},
    {"oscillatoire", 3},
    {"instabilite", 4},
    {"rampe", 5},
    {"perturbation", 6},
}};

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

QImage windowPicture(TAntenne& window)
{
    return window.grab(QRect(0, 0, ExportWidth, ExportHeight)).toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace

void ReplayScenario(const ExportScenario& scenario,
                    const std::function<void(const QImage& picture, int tick, int ticks)>& frame)
{
    TAntenne& window = *Antenne;
    // The ticks are driven here, one after the other, without waiting.
    window.Timer1->stop();
    coverExportedArea(window);

    // The program's first tick draws the presentation.
    window.Timer(nullptr);

    const auto row = static_cast<std::size_t>(scenario.button - 1);
    (window.*TAntenne::ButtonHandlers.at(row))(nullptr);

    const Phase& scene = PhaseTable.at(row);
    const int ticks = scene.end - scene.start;
    int tick = 0;
    while (scene.start <= Compteur && Compteur < scene.end) {
        window.Timer(nullptr);
        ++tick;
        if (tick > ticks)
            throw std::logic_error("the scene does not end");
        frame(windowPicture(window), tick, ticks);
    }
}
