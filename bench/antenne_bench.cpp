// Timings of the animation, offscreen: the bare blit of a drawing-area-sized
// image (the floor for showing one frame), one frame of each scene with and
// without the repaint it causes, the scenario preparation, an idle tick and
// the start-up to the presentation. A summary of the ratios to the blit ends
// the run.
#include "app/antenne.h"
#include "app/prepare_scenario.h"
#include "scenes/scenarios.h"
#include "app/state.h"
#include "ratio_summary.h"
#include "surface/tapplication.h"
#include "surface/tbitmap.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int areaWidth = 790;
constexpr int areaHeight = 416;

// Counts the paint events a widget receives: proves that a repaint benchmark
// really painted, and how often.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// The window every frame benchmark draws into: shown, as on screen, with its
// clock stopped so that only the benchmarks tick it.
struct SharedWindow {
    std::unique_ptr<TAntenne> window;
    PaintCounter drawingAreaPaints;

    SharedWindow()
    {
        ResetAnimationState();
        window = std::make_unique<TAntenne>();
        window->Timer1->stop();
        Antenne = window.get();
        window->show();
        QApplication::processEvents();
        window->FOND->installEventFilter(&drawingAreaPaints);
    }
    ~SharedWindow()
    {
        Antenne = nullptr;
    }
};

SharedWindow* shared = nullptr;

// The state a frame is drawn from; restored before every iteration so that
// each one draws the same frame.
struct Snapshot {
    std::int32_t compteur;
    float angle;
    std::int32_t posRampe;
    std::int32_t consigneRampe;
    float sortieRampe;

    static Snapshot Take() { return {Compteur, Angle, PosRampe, ConsigneRampe, SortieRampe}; }
    void Restore() const
    {
        Compteur = compteur;
        Angle = angle;
        PosRampe = posRampe;
        ConsigneRampe = consigneRampe;
        SortieRampe = sortieRampe;
    }
};

// A scene as its button starts it, played up to `before` (the counter before
// the measured tick), so that the picture holds what the earlier frames drew:
// the presentation's only frame, the others ten frames before their end,
// with the commentary being written.
struct SceneCase {
    const char* name;
    int button;             // 1 .. 6
    std::int32_t before;
};

SceneCase sceneCase(const char* name, int button)
{
    const Scenario& scenario = Scenarios.at(std::size_t(button - 1));
    return {name, button, FrameCount(scenario) == 1 ? scenario.start : scenario.end - 11};
}

std::vector<SceneCase> sceneCases()
{
    return {sceneCase("presentation", 1), sceneCase("aperiodic", 2), sceneCase("damped", 3),
            sceneCase("unstable", 4),     sceneCase("ramp", 5),      sceneCase("wind", 6)};
}

Snapshot playTo(const SceneCase& scene)
{
    Antenne = shared->window.get();
    StartScenario(Scenarios[scene.button - 1]);
    for (int guard = 0; Compteur < scene.before; ++guard) {
        if (guard > 1000)
            throw std::runtime_error(std::string("scene did not reach its frame: ") + scene.name);
        Antenne->Timer(nullptr);
    }
    QApplication::processEvents();
    return Snapshot::Take();
}

// Shows what the last operations left to repaint, outside the measured time.
void settle(benchmark::State& state)
{
    state.PauseTiming();
    QApplication::processEvents();
    state.ResumeTiming();
}

void BareBlit(benchmark::State& state)
{
    QImage source(areaWidth, areaHeight, QImage::Format_RGB32);
    source.fill(QColor(240, 240, 240));
    QImage target(areaWidth, areaHeight, QImage::Format_RGB32);
    for ([[maybe_unused]] auto _ : state) {
        QPainter painter(&target);
        painter.drawImage(0, 0, source);
        painter.end();
        benchmark::DoNotOptimize(target.constBits());
        benchmark::ClobberMemory();
    }
}

// The drawing of one frame: the tick that draws it, and nothing shown.
void SceneFrame(benchmark::State& state, const SceneCase& scene)
{
    const Snapshot start = playTo(scene);
    for ([[maybe_unused]] auto _ : state) {
        start.Restore();
        Antenne->Timer(nullptr);
        benchmark::ClobberMemory();
        settle(state);
    }
}

// A frame and its repaint: the tick, then the event loop's pass that paints
// the areas the frame changed into the window's backing store and flushes it.
void SceneFrameWithRepaint(benchmark::State& state, const SceneCase& scene)
{
    const Snapshot start = playTo(scene);
    const int paintsBefore = shared->drawingAreaPaints.paints;
    for ([[maybe_unused]] auto _ : state) {
        start.Restore();
        Antenne->Timer(nullptr);
        QApplication::processEvents();
    }
    const int paints = shared->drawingAreaPaints.paints - paintsBefore;
    if (state.iterations() > 0 && paints == 0)
        state.SkipWithError("the drawing area was never repainted");
    state.counters["paints/iter"] =
        benchmark::Counter(double(paints) / double(state.iterations()));
}

// The whole drawing area rendered into an image: what a repaint of all of it
// costs, beside the changed areas alone above.
void RenderDrawingArea(benchmark::State& state)
{
    playTo(sceneCases()[2]);
    QImage target(shared->window->FOND->size(), QImage::Format_RGB32);
    for ([[maybe_unused]] auto _ : state) {
        shared->window->FOND->render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}

void PrepareScenario(benchmark::State& state)
{
    Antenne = shared->window.get();
    for ([[maybe_unused]] auto _ : state) {
        PreparerScenario(QStringLiteral("Présentation"), 700, 65);
        settle(state);
    }
}

void IdleTick(benchmark::State& state)
{
    Antenne = shared->window.get();
    for ([[maybe_unused]] auto _ : state) {
        Compteur = 2;
        Antenne->Timer(nullptr);
        benchmark::DoNotOptimize(Compteur);
    }
}

// One start: the window built, then the presentation drawn by the first
// tick. With `shown`, the window is also shown and painted once, as the
// program's own start does before its first tick.
void startOnce(bool shown)
{
    ResetAnimationState();
    auto window = std::make_unique<TAntenne>();
    window->Timer1->stop();
    Antenne = window.get();
    if (shown) {
        window->show();
        QApplication::processEvents();
    }
    window->Timer(nullptr);
    if (shown)
        QApplication::processEvents();
    benchmark::DoNotOptimize(window->FOND->picture().constBits());
    window.release()->deleteLater();  // destroyed by the caller's next event pass
}

void Startup(benchmark::State& state, bool shown)
{
    for ([[maybe_unused]] auto _ : state) {
        startOnce(shown);
        state.PauseTiming();
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Antenne = shared->window.get();
        state.ResumeTiming();
    }
}

void registerAll()
{
    benchmark::RegisterBenchmark("bare_blit", BareBlit)->Unit(benchmark::kMicrosecond);
    for (const SceneCase& scene : sceneCases())
        benchmark::RegisterBenchmark((std::string("frame_draw/") + scene.name).c_str(), SceneFrame, scene)
            ->Unit(benchmark::kMicrosecond);
    for (const SceneCase& scene : sceneCases())
        benchmark::RegisterBenchmark((std::string("frame_repaint/") + scene.name).c_str(),
                                     SceneFrameWithRepaint, scene)
            ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("render_whole_area", RenderDrawingArea)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("prepare_scenario", PrepareScenario)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("idle_tick", IdleTick)->Unit(benchmark::kNanosecond);
    benchmark::RegisterBenchmark("startup/hidden", Startup, false)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("startup/shown", Startup, true)->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    app.Initialize();
    // A failed load would otherwise open a message box offscreen.
    TApplication::SetExceptionDisplay([](const QString& message) {
        std::fprintf(stderr, "exception: %s\n", qPrintable(message));
    });

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    // The very first start in the process pays for what later ones find
    // cached (fonts, resources, the platform's first window): timed once.
    QElapsedTimer cold;
    cold.start();
    startOnce(false);
    const double coldMs = cold.nsecsElapsed() / 1e6;
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::printf("first start-up in the process (hidden window, one tick): %.2f ms\n\n", coldMs);

    SharedWindow window;
    shared = &window;
    registerAll();

    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatioSummary(reporter.Nanoseconds(), "bare_blit",
                      {{"frame_draw/", 4.0, 0.0, "<= 4x blit"},
                       {"frame_repaint/", 6.0, 0.0, "<= 6x blit"},
                       {"idle_tick", 0.0, 1e3, "< 1 us"},
                       {"startup/hidden", 0.0, 150e6, "< 150 ms"}});
    benchmark::Shutdown();
    shared = nullptr;
    return 0;
}
