// The model's plain C interface, the one the page calls in the WebAssembly
// module (and the tests natively): the page writes a link's string into the
// input buffer, computes, then reads the report (JSON, UTF-8) and the
// samples (doubles) from the module's memory. Each pointer stays valid
// until the next call that makes the same kind of result.
#include "model/csv.h"
#include "model/exercise.h"
#include "web/bridge/json.h"
#include "model/laboratory.h"
#include "model/loop.h"
#include "web/bridge/report.h"

#include <string>
#include <vector>

#if defined(__wasm__)
#define ANTENNE_EXPORT(name) extern "C" __attribute__((export_name(#name)))
#else
#define ANTENNE_EXPORT(name) extern "C"
#endif

namespace {

struct Results {
    std::string input;
    labo::Laboratory lab;
    std::vector<double> samples;
    std::string text;  // the last text asked for
    std::vector<double> locus;
    std::vector<double> bode;
};

Results& results()
{
    static Results r;
    return r;
}

const char* keep(std::string text)
{
    results().text = std::move(text);
    return results().text.c_str();
}

}  // namespace

// A buffer of `bytes` bytes for the settings' string.
ANTENNE_EXPORT(antenne_input) char* antenne_input(int bytes)
{
    results().input.assign(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    return results().input.data();
}

// Reads the first `length` bytes of the input as a link's string, runs the
// set-up and works out its figures and analysis; returns the samples' count.
ANTENNE_EXPORT(antenne_compute) int antenne_compute(int length)
{
    Results& r = results();
    r.lab = labo::Compute(r.input.substr(0, static_cast<std::size_t>(length > 0 ? length : 0)));
    r.samples.clear();
    r.samples.reserve(r.lab.run.samples.size() * 8);
    const labo::Loop loop(r.lab.parsed.settings);
    for (const labo::Sample& s : r.lab.run.samples)
        r.samples.insert(r.samples.end(), {s.t, s.setPoint, s.position, s.error, s.command, s.voltage, s.windTorque,
                                           loop.saturated(s.command) ? 1.0 : 0.0});
    return static_cast<int>(r.lab.run.samples.size());
}

// Eight doubles a sample: t, consigne, position, erreur, commande, tension
// moteur, couple du vent, and 1 where the chopper's limit holds the
// command (0 elsewhere).
ANTENNE_EXPORT(antenne_samples) const double* antenne_samples()
{
    return results().samples.data();
}

ANTENNE_EXPORT(antenne_report) const char* antenne_report()
{
    return keep(labo::ReportJson(results().lab));
}

ANTENNE_EXPORT(antenne_csv) const char* antenne_csv()
{
    return keep(labo::RunCsv(results().lab.run));
}

ANTENNE_EXPORT(antenne_describe) const char* antenne_describe()
{
    return keep(labo::DescriptionJson());
}

// The length in bytes of the last text.
ANTENNE_EXPORT(antenne_length) int antenne_length()
{
    return static_cast<int>(results().text.size());
}

// The root locus of the set-up computed last, at `count` gains from `low` to
// `high`: returns the branches' count; each gain is then 1 + 4 x branches
// doubles: K, then each pole's real and imaginary parts, damping and
// natural pulsation.
ANTENNE_EXPORT(antenne_locus) int antenne_locus(double low, double high, int count)
{
    Results& r = results();
    const labo::Locus locus = labo::RootLocus(r.lab.parsed.settings, low, high, count);
    r.locus.clear();
    for (std::size_t i = 0; i < locus.gains.size(); ++i) {
        r.locus.push_back(locus.gains[i]);
        for (const labo::Complex& p : locus.poles[i]) {
            const labo::PoleShape shape = labo::ShapeOf(p);
            r.locus.insert(r.locus.end(), {p.real(), p.imag(), shape.damping, shape.pulsation});
        }
    }
    return locus.poles.empty() ? 0 : static_cast<int>(locus.poles.front().size());
}

ANTENNE_EXPORT(antenne_locus_data) const double* antenne_locus_data()
{
    return results().locus.data();
}

// Bode of the set-up computed last: three doubles a pulsation, w (rad/s),
// gain (dB) and phase (degrees).
ANTENNE_EXPORT(antenne_bode) int antenne_bode(double low, double high, int count)
{
    Results& r = results();
    r.bode.clear();
    for (const labo::BodePoint& p : labo::Bode(r.lab.parsed.settings, low, high, count))
        r.bode.insert(r.bode.end(), {p.omega, p.gainDb, p.phase});
    return static_cast<int>(r.bode.size() / 3);
}

ANTENNE_EXPORT(antenne_bode_data) const double* antenne_bode_data()
{
    return results().bode.data();
}

// The exercise of the set-up computed last: `what` 0 judges the set-up
// against its goal, 1 judges `prediction` for its question, 2 gives the
// question's answer. JSON: {"met": true|false, "text": "..."}.
ANTENNE_EXPORT(antenne_exercise) const char* antenne_exercise(int what, double prediction)
{
    const labo::Laboratory& lab = results().lab;
    const labo::Exercise& e = lab.parsed.settings.exercise;
    labo::Verdict verdict;
    if (what == 0)
        verdict = labo::JudgeGoal(e, lab);
    else if (what == 1)
        verdict = labo::JudgePrediction(e, lab, prediction);
    else
        verdict = {false, labo::ExerciseAnswer(e, lab)};
    labo::Json json;
    json.beginObject().key("met").value(verdict.met).key("text").value(verdict.text).endObject();
    return keep(json.text());
}
