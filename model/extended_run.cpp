#include "model/extended_run.h"

#include "model/digital.h"
#include "model/loop.h"
#include "model/mechanics.h"
#include "model/plant.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <limits>
#include <utility>

namespace labo {

namespace {

// The corrector's sections that a continuous corrector integrates, after
// the drive's state: an integral and a filter at most (a PID).
constexpr int maxSections = 2;
constexpr int stateSize = DriveSize + maxSections;
using Vector = std::array<double, stateSize>;

// Instants closer than this are one.
constexpr double sameInstant = 1e-11;
// An event is located to this, in time (s).
constexpr double eventWithin = 1e-11;
// The quantizer's guards after the drive's.
constexpr int guardCount = GuardCount + 2;
using Guards = std::array<double, guardCount>;

// A value of a continuous corrector's command, with its slope, at a time.
struct Node {
    double t;
    double u;
    double du;
};

double infinity()
{
    return std::numeric_limits<double>::infinity();
}

}  // namespace

bool BeyondLinearLoop(const Settings& s)
{
    return s.Te > 0 || s.delay > 0 || s.friction > 0 || s.backlash > 0 || s.resolution > 0;
}

// The loop beyond the linear one, at a moment of its run, with all it
// needs to go on: copied, it goes on apart (RunAfter).
struct RunAfter::Engine {
    Engine(const Settings& settings, double stepScale);

    // Runs to time `to`, giving the samples every 10 ms on the way (those
    // after the last given, up to `to`).
    void advance(double to, std::vector<Sample>& samples, std::vector<State>* states);
    void calm();  // the gust blows no more
    bool heldStill() const;

    // Its members from the largest to the smallest, so that none pads.
    Settings s;
    Loop loop;
    Mechanics drive;
    ParallelCorrector form;   // a continuous corrector's sections
    DigitalCorrector digital;
    // The sections, where the run's inner loop reads them.
    double poles[maxSections] = {};
    double residues[maxSections] = {};
    double stepSetPoint;      // a step's set point, the same from t = 0 on
    double quantum;           // rad, the sensor's step; 0: exact
    double delay;             // s
    double h = 0;             // the integration step, s
    Vector x{};
    double t = 0;
    // A sampled corrector: its output, the one the chopper has, and the
    // outputs on their way to the chopper (when, value).
    double held = 0;
    double applied = 0;
    std::deque<std::pair<double, double>> pending;
    // A continuous corrector behind a delay: its command's history, and
    // the instants its command jumped that have not reached the chopper.
    std::vector<Node> history;
    std::deque<double> jumps;
    std::size_t historyStart = 0;
    mutable std::size_t cursor = 0;  // where the history was last read
    mutable double lastRead = -1;     // the instant last read, and what was read
    mutable double lastValue = 0;
    mutable std::size_t lastReadHistory = 0;
    long level = 0;           // the sensor's reading, in quanta
    long nextSample = 0;      // the next sample to give, every 10 ms
    long nextSampling = 0;    // a sampled corrector's next sample
    int sections = 0;
    DriveMode mode;
    bool sampled;
    bool stepped;             // the set point is a step
    bool events = false;      // whether anything can change the drive's mode or the reading
    bool diverged = false;
    mutable bool lastReadFromLeft = false;

private:
    double setPoint(double at) const { return stepped ? stepSetPoint : loop.setPoint(at); }
    // The sensor's reading: a continuous corrector's follows `level`, which
    // changes at the events where the angle passes half a step; a sampled
    // one reads the angle at its instants.
    double measured(const Vector& v) const
    {
        if (quantum == 0)
            return v[DriveTheta];
        return sampled ? std::round(v[DriveTheta] / quantum) * quantum : static_cast<double>(level) * quantum;
    }
    double error(const Vector& v, double at) const { return plant::Kpot * (setPoint(at) - measured(v)); }
    double command(const Vector& v, double e) const;
    double limited(double u) const { return s.limited() ? std::clamp(u, -s.limit, s.limit) : u; }
    double delayedCommand(double at, bool fromLeft) const;
    double readHistory(double q, bool fromLeft) const;
    double chopperInput(const Vector& v, double at, bool fromLeft) const;
    void derivative(const Vector& v, double at, double Tw, bool fromLeft, Vector& dv) const;
    void rungeKutta(const Vector& from, const Vector& k1, double at, double step, double Tw, Vector& y) const;
    void guards(const Vector& v, const Vector& dv, double Tw, Guards& g) const;
    double locate(const Vector& from, const Vector& k1, double at, double step, double Tw, int guard) const;
    void integrate(double to);
    void record(const Vector& dv);
    void instant();
    double nextBreak(double to) const;
    Sample sampleAt(double at) const;
};

RunAfter::Engine::Engine(const Settings& settings, double stepScale)
    : s(settings),
      loop(settings),
      drive(settings),
      form(ParallelFormOf(settings)),
      digital(settings),
      stepSetPoint(loop.setPoint(0)),
      quantum(settings.resolution / plant::DegreesPerRadian),
      delay(settings.delay),
      sampled(settings.Te > 0),
      stepped(settings.input == Input::Step)
{
    sections = static_cast<int>(std::min<std::size_t>(form.sections.size(), maxSections));
    for (int i = 0; i < sections; ++i) {
        poles[i] = form.sections[static_cast<std::size_t>(i)].pole;
        residues[i] = form.sections[static_cast<std::size_t>(i)].residue;
    }
    // Five steps a sample, 2 ms, keeping h |lambda| <= 0.5 for faster
    // dynamics as 1.7's step does (where its own ten steps a sample come
    // first): on a linear loop RK4 stays within 2e-9 of the exact response's
    // largest angle (test_beyond); the chopper's limit and the anti-windup,
    // switching inside a step, cost a few thousandths of a degree.
    int steps = 5;
    if (!sampled) {
        Settings continuous = settings;
        continuous.delay = 0;
        const auto fastest = static_cast<int>(std::lround(SampleInterval / IntegrationStep(continuous)));
        steps = fastest > 10 ? fastest : steps;
    }
    h = SampleInterval / steps * stepScale;
    if (!sampled && delay > 0)
        h = std::min(h, std::max(delay, h / 10));  // the history read back reaches the step's end
    events = drive.hasFriction() || !drive.rigid() || (quantum > 0 && !sampled);
    mode = drive.initialMode(loop.windTorque(0));
    if (!sampled && delay > 0)
        jumps.push_back(0);  // the step at t = 0
}

double RunAfter::Engine::command(const Vector& v, double e) const
{
    if (sampled)
        return held;
    double u = form.direct * e;
    for (int i = 0; i < sections; ++i)
        u += residues[i] * v[DriveSize + i];
    return s.K * u;
}

// The command `delay` ago, from its history: 0 before t = 0; at a jump,
// the value before it when `fromLeft` (the end of a step).
double RunAfter::Engine::delayedCommand(double at, bool fromLeft) const
{
    const double q = at - delay;
    if (q < 0 || (q == 0 && fromLeft))
        return 0;
    // RK4's two middle stages read the same instant.
    if (q == lastRead && fromLeft == lastReadFromLeft && history.size() == lastReadHistory)
        return lastValue;
    lastRead = q;
    lastReadFromLeft = fromLeft;
    lastReadHistory = history.size();
    lastValue = readHistory(q, fromLeft);
    return lastValue;
}

double RunAfter::Engine::readHistory(double q, bool fromLeft) const
{
    // The first value after q (at q too, from the left), looked for from
    // the last one found: the run reads the history forwards.
    const auto before = [q, fromLeft](const Node& n) { return fromLeft ? n.t < q : n.t <= q; };
    std::size_t j = std::clamp(cursor, historyStart, history.size());
    while (j > historyStart && !before(history[j - 1]))
        --j;
    while (j < history.size() && before(history[j]))
        ++j;
    cursor = j;
    const auto first = history.begin() + static_cast<std::ptrdiff_t>(historyStart);
    const auto later = history.begin() + static_cast<std::ptrdiff_t>(j);
    if (later == history.end()) {  // past the last value (a delay shorter than a step): along its slope
        const Node& last = history.back();
        return last.u + last.du * (q - last.t);
    }
    if (fromLeft && later->t == q)
        return later->u;
    if (later == first)
        return later->u;
    const Node& a = *(later - 1);
    const Node& b = *later;
    if (a.t == q)
        return a.u;
    const double span = b.t - a.t;
    const double f = (q - a.t) / span;
    const double f2 = f * f;
    const double f3 = f2 * f;
    return (2 * f3 - 3 * f2 + 1) * a.u + (f3 - 2 * f2 + f) * span * a.du + (-2 * f3 + 3 * f2) * b.u +
           (f3 - f2) * span * b.du;
}

double RunAfter::Engine::chopperInput(const Vector& v, double at, bool fromLeft) const
{
    if (sampled)
        return limited(applied);
    if (delay > 0)
        return limited(delayedCommand(at, fromLeft));
    return limited(command(v, error(v, at)));
}

[[gnu::flatten]] void RunAfter::Engine::derivative(const Vector& v, double at, double Tw, bool fromLeft,
                                                   Vector& dv) const
{
    // Each entry set one by one (a fill is a call to memset in WebAssembly):
    // the drive's by the drive, the sections' here, the rest 0.
    for (int i = DriveSize + sections; i < stateSize; ++i)
        dv[i] = 0;
    double input = 0;
    if (sampled) {
        input = limited(applied);
        for (int i = 0; i < sections; ++i)
            dv[DriveSize + i] = 0;  // a sampled corrector's states step at its samples
    } else {
        const double e = error(v, at);
        const double u = command(v, e);
        const bool frozen = s.antiWindup && s.limited() &&
                            ((u > s.limit && e > 0) || (u < -s.limit && e < 0));
        for (int i = 0; i < sections; ++i)
            dv[DriveSize + i] = i == form.integral && frozen ? 0 : poles[i] * v[DriveSize + i] + e;
        input = limited(delay > 0 ? delayedCommand(at, fromLeft) : u);
    }
    drive.derivative(v.data(), input, Tw, mode, dv.data());
}

// The run's inner loop, its calls made inline even where the build
// optimizes for size (the page's WebAssembly module).
[[gnu::flatten]] void RunAfter::Engine::rungeKutta(const Vector& from, const Vector& k1, double at, double step,
                                                   double Tw, Vector& y) const
{
    Vector k2;
    Vector k3;
    Vector k4;
    for (int i = 0; i < stateSize; ++i)
        y[i] = from[i] + step / 2 * k1[i];
    derivative(y, at + step / 2, Tw, false, k2);
    for (int i = 0; i < stateSize; ++i)
        y[i] = from[i] + step / 2 * k2[i];
    derivative(y, at + step / 2, Tw, false, k3);
    for (int i = 0; i < stateSize; ++i)
        y[i] = from[i] + step * k3[i];
    derivative(y, at + step, Tw, true, k4);
    for (int i = 0; i < stateSize; ++i)
        y[i] = from[i] + step / 6 * (k1[i] + 2 * k2[i] + 2 * k3[i] + k4[i]);
}

void RunAfter::Engine::guards(const Vector& v, const Vector& dv, double Tw, Guards& g) const
{
    drive.guards(v.data(), dv.data(), Tw, mode, g.data());
    g[GuardCount] = g[GuardCount + 1] = 1;
    // A continuous corrector reads the sensor all the time: its reading's
    // changes are events too (a sampled one reads it at its samples only).
    if (quantum > 0 && !sampled) {
        g[GuardCount] = (static_cast<double>(level) + 0.5) * quantum - v[DriveTheta];
        g[GuardCount + 1] = v[DriveTheta] - (static_cast<double>(level) - 0.5) * quantum;
    }
}

// Where within a step from `from` the guard turns negative: the end of a
// bracket no wider than eventWithin, on the guard's negative side, by
// regula falsi (Illinois), with a bisection where it stalls.
double RunAfter::Engine::locate(const Vector& from, const Vector& k1, double at, double step, double Tw, int guard) const
{
    Guards g{};
    const auto value = [&](double tau) {
        Vector y;
        rungeKutta(from, k1, at, tau, Tw, y);
        Vector dy;
        derivative(y, at + tau, Tw, tau > 0, dy);
        guards(y, dy, Tw, g);
        return g[static_cast<std::size_t>(guard)];
    };
    double a = 0;
    double fa = value(0);
    double b = step;
    double fb = value(step);
    if (fa <= 0)
        return 0;
    int side = 0;
    for (int i = 0; i < 100 && b - a > eventWithin; ++i) {
        double c = (a * fb - b * fa) / (fb - fa);
        if (!(c > a + 0.01 * (b - a) && c < b - 0.01 * (b - a)))
            c = (a + b) / 2;
        const double fc = value(c);
        if (fc < 0) {
            b = c;
            fb = fc;
            if (side == -1)
                fa /= 2;
            side = -1;
        } else {
            a = c;
            fa = fc;
            if (side == 1)
                fb /= 2;
            side = 1;
        }
    }
    return b;
}

// The command and its slope at t, for the history a delay reads back,
// from the state and its derivative there; a second value at the same
// instant is the command's jump.
void RunAfter::Engine::record(const Vector& dv)
{
    if (sampled || delay == 0)
        return;
    const double e = error(x, t);
    const double u = command(x, e);
    if (!history.empty() && history.back().t == t && history.back().u == u)
        return;
    const double before = std::max(0.0, t - 1e-6);
    const double dr = stepped ? 0.0 : (setPoint(t + 1e-6) - setPoint(before)) / (t + 1e-6 - before);
    const double de = plant::Kpot * (dr - (quantum > 0 ? 0 : dv[DriveTheta]));
    double du = form.direct * de;
    for (std::size_t i = 0; i < form.sections.size(); ++i)
        du += form.sections[i].residue * dv[DriveSize + i];
    history.push_back({t, u, s.K * du});
    // What the delay can no longer read back goes, a thousand at a time.
    while (historyStart + 2 < history.size() && history[historyStart + 1].t < t - delay - 1e-9)
        ++historyStart;
    if (historyStart > 1000) {
        history.erase(history.begin(), history.begin() + static_cast<std::ptrdiff_t>(historyStart));
        cursor -= std::min(cursor, historyStart);
        historyStart = 0;
    }
}

// What happens at the instant t: the corrector's sample, the outputs that
// reach the chopper, and the drive's mode that follows.
void RunAfter::Engine::instant()
{
    if (sampled && std::fabs(t - static_cast<double>(nextSampling) * s.Te) <= sameInstant) {
        held = digital.step(error(x, t));
        ++nextSampling;
        if (delay > 0)
            pending.emplace_back(t + delay, held);
        else
            applied = held;
    }
    while (!pending.empty() && pending.front().first <= t + sameInstant) {
        applied = pending.front().second;
        pending.pop_front();
    }
    while (!jumps.empty() && jumps.front() + delay <= t + sameInstant)
        jumps.pop_front();
    drive.settle(x.data(), chopperInput(x, t, false), loop.windTorque(t), mode);
}

double RunAfter::Engine::nextBreak(double to) const
{
    double next = std::min(to, static_cast<double>(nextSample) * SampleInterval);
    if (sampled)
        next = std::min(next, static_cast<double>(nextSampling) * s.Te);
    if (!pending.empty())
        next = std::min(next, pending.front().first);
    if (!jumps.empty())
        next = std::min(next, jumps.front() + delay);
    for (const double change : {loop.gustStart(), loop.gustEnd()})
        if (s.wind != 0 && change > t + sameInstant)
            next = std::min(next, change);
    return next;
}

// From t to `to`, with no break inside: RK4 steps, each stopped at the
// first event inside it. Each step's derivative at its end is the next
// one's at its start, and gives the guards their values there.
void RunAfter::Engine::integrate(double to)
{
    const double Tw = loop.windTorque((t + to) / 2);
    Vector k1;
    derivative(x, t, Tw, false, k1);
    Guards before;
    if (events)
        guards(x, k1, Tw, before);
    int stalled = 0;
    while (to - t > sameInstant) {
        record(k1);
        const int steps = std::max(1, static_cast<int>(std::ceil((to - t) / h - 1e-9)));
        const double step = (to - t) / steps;
        Vector end;
        rungeKutta(x, k1, t, step, Tw, end);
        Vector k1End;
        derivative(end, t + step, Tw, false, k1End);
        Guards after;  // each set by guards()
        int first = -1;
        if (events) {
            guards(end, k1End, Tw, after);
            // The guard crossed first, by its straight line across the step.
            double soonest = infinity();
            for (int i = 0; i < guardCount; ++i) {
                if (!(after[i] < 0 && after[i] < before[i]))
                    continue;
                const double estimate = before[i] <= 0 ? 0 : before[i] / (before[i] - after[i]);
                if (estimate < soonest) {
                    soonest = estimate;
                    first = i;
                }
            }
        }
        if (first < 0 || stalled > 3) {
            std::swap(x, end);
            std::swap(k1, k1End);
            if (events)
                std::swap(before, after);
            t = steps == 1 ? to : t + step;
            stalled = 0;
            continue;
        }
        double tau = locate(x, k1, t, step, Tw, first);
        // Another guard crossed before that one: its own event comes first.
        for (int i = 0; i < guardCount; ++i) {
            if (i == first || before[i] < 0)
                continue;
            Guards at{};
            Vector y;
            rungeKutta(x, k1, t, tau, Tw, y);
            Vector dy;
            derivative(y, t + tau, Tw, true, dy);
            guards(y, dy, Tw, at);
            if (at[i] < 0)
                tau = locate(x, k1, t, tau, Tw, i);
        }
        const DriveMode was = mode;
        const long reading = level;
        if (tau > 0) {
            Vector y;
            rungeKutta(x, k1, t, tau, Tw, y);
            x = y;
        }
        t += tau;
        if (quantum > 0 && !sampled) {
            Vector dv;
            derivative(x, t, Tw, false, dv);
            record(dv);  // the command just before its jump
            level = std::lround(x[DriveTheta] / quantum);
        }
        drive.settle(x.data(), chopperInput(x, t, false), Tw, mode);
        const bool changed = level != reading || mode.contact != was.contact || mode.stuck != was.stuck ||
                             mode.slipping != was.slipping;
        stalled = tau == 0 && !changed ? stalled + 1 : 0;
        if (level != reading && !sampled && delay > 0)
            jumps.push_back(t);
        if (!jumps.empty() && jumps.back() + delay < to - sameInstant && level != reading)
            return;  // the jump reaches the chopper before `to`: a break of its own
        derivative(x, t, Tw, false, k1);
        guards(x, k1, Tw, before);
    }
    t = to;
}

Sample RunAfter::Engine::sampleAt(double at) const
{
    const double r = setPoint(at);
    return {at,
            r * plant::DegreesPerRadian,
            x[DriveTheta] * plant::DegreesPerRadian,
            (r - x[DriveTheta]) * plant::DegreesPerRadian,
            command(x, error(x, at)),
            x[DriveEa],
            loop.windTorque(at)};
}

void RunAfter::Engine::advance(double to, std::vector<Sample>& samples, std::vector<State>* states)
{
    while (!diverged) {
        instant();
        const double sampleTime = static_cast<double>(nextSample) * SampleInterval;
        if (std::fabs(t - sampleTime) <= sameInstant) {
            const Sample out = sampleAt(sampleTime);
            if (!std::isfinite(out.position) || !std::isfinite(out.command) || std::fabs(out.position) > 1e6 ||
                std::fabs(out.command) > 1e9) {
                diverged = true;
                break;
            }
            samples.push_back(out);
            if (states != nullptr)
                states->push_back({x[DriveEa], x[DriveWm], x[DriveTheta], 0, 0});
            ++nextSample;
        }
        if (t >= to - sameInstant)
            break;
        integrate(nextBreak(to));
    }
}

void RunAfter::Engine::calm()
{
    s.wind = 0;
    loop = Loop(s);
}

bool RunAfter::Engine::heldStill() const
{
    if (!drive.hasFriction() || !mode.stuck || !drive.engaged(mode))
        return false;
    const double e = error(x, t);
    if (form.integral >= 0 && e != 0)
        return false;  // the integral goes on growing
    // Where the corrector's command settles with this error, and the
    // chopper's input with it.
    double u = form.direct * e;
    for (std::size_t i = 0; i < form.sections.size(); ++i) {
        const CorrectorSection& c = form.sections[i];
        u += static_cast<int>(i) == form.integral ? c.residue * (sampled ? 0.0 : x[DriveSize + i]) : -c.residue * e / c.pole;
    }
    u *= s.K;
    if (sampled && form.integral >= 0)
        return false;  // the sampled integral's state is the corrector's own
    const double v = limited(u);
    const double settled = 1e-9 * std::max(1.0, std::fabs(v));
    const double now = sampled ? applied : (delay > 0 ? delayedCommand(t, false) : command(x, e));
    if (std::fabs(x[DriveEa] - v) > settled || std::fabs(limited(now) - v) > settled || !pending.empty())
        return false;
    Vector still = x;
    still[DriveEa] = v;
    const double drive_ = drive.drivingTorque(still.data(), loop.windTorque(t), mode);
    if (!drive.rigid() && mode.contact * v < 0)
        return false;
    return std::fabs(drive_) < s.friction * (1 - 1e-9);
}

Run SimulateBeyond(const Settings& settings, double stepScale)
{
    Run run;
    run.settings = settings;
    auto engine = std::make_unique<RunAfter::Engine>(settings, stepScale);
    run.step = engine->h;
    const auto count = static_cast<int>(std::floor(settings.length / SampleInterval + 1e-9)) + 1;
    run.samples.reserve(static_cast<std::size_t>(count));
    run.states.reserve(static_cast<std::size_t>(count));
    auto continuing = std::make_shared<Continuing>();
    // The input's figures are read up to the gust, and on as if it never
    // came: the loop is kept as it stands at the sample before it begins.
    const Loop loop(settings);
    const bool gust = loop.gustInRun();
    const double gustSample = std::floor(settings.windStart / SampleInterval + 1e-9) * SampleInterval;
    if (gust) {
        engine->advance(gustSample, run.samples, &run.states);
        continuing->atGust = std::make_shared<RunAfter::Engine>(*engine);
    }
    engine->advance(static_cast<double>(count - 1) * SampleInterval, run.samples, &run.states);
    if (engine->diverged) {
        run.diverged = true;
        run.divergedAt = static_cast<double>(run.samples.size()) * SampleInterval;
    }
    continuing->atEnd = std::move(engine);
    run.continuing = continuing;
    return run;
}

RunAfter::RunAfter(const Run& run, From from)
{
    const Continuing& c = *run.continuing;
    const auto& start = from == From::End ? c.atEnd : c.atGust;
    engine_ = std::make_unique<Engine>(*start);
    if (from == From::GustStartCalm)
        engine_->calm();
}

RunAfter::~RunAfter() = default;
RunAfter::RunAfter(RunAfter&&) noexcept = default;
RunAfter& RunAfter::operator=(RunAfter&&) noexcept = default;

std::vector<Sample> RunAfter::next(int count)
{
    std::vector<Sample> samples;
    samples.reserve(static_cast<std::size_t>(count));
    const double to = static_cast<double>(engine_->nextSample + count - 1) * SampleInterval;
    engine_->advance(to, samples, nullptr);
    return samples;
}

bool RunAfter::diverged() const
{
    return engine_->diverged;
}

bool RunAfter::heldStill() const
{
    return engine_->heldStill();
}

bool RunAfter::stuck() const
{
    return engine_->mode.stuck;
}

}  // namespace labo
