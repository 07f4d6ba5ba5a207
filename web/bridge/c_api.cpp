// The model's plain C interface, the one the page calls in the WebAssembly
// module (and the tests natively). Each set-up worked out is kept under a
// handle until the page releases it, and every call says which set-up it
// works on: nothing depends on what was asked last. Strings go in through
// one input buffer; texts (JSON, UTF-8) and tables of numbers come out
// through pointers that stay valid until the next call of the same kind.
#include "model/csv.h"
#include "model/decimal.h"
#include "model/exercise.h"
#include "model/french.h"
#include "model/laboratory.h"
#include "model/lead_design.h"
#include "web/bridge/frequency_tables.h"
#include "web/bridge/json.h"
#include "web/bridge/report.h"
#include "web/bridge/scorm.h"
#include "web/bridge/tables.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

#if defined(__wasm__)
#define ANTENNE_EXPORT(name) extern "C" __attribute__((export_name(#name)))
#else
#define ANTENNE_EXPORT(name) extern "C"
#endif

namespace {

// A set-up worked out, with the one shown before it, if any.
struct Kept {
    labo::Laboratory lab;
    std::optional<labo::Settings> previous;
};

struct Bridge {
    std::string input;
    std::map<int, std::unique_ptr<Kept>> kept;
    int next = 1;
    std::string text;   // the last text asked for
    labo::Table table;  // the last table asked for
};

Bridge& bridge()
{
    static Bridge b;
    return b;
}

std::string inputText(int length)
{
    const std::string& input = bridge().input;
    return input.substr(0, static_cast<std::size_t>(length > 0 ? length : 0));
}

// The set-up of a handle, or null for one that is not kept.
const Kept* keptSetUp(int handle)
{
    const auto found = bridge().kept.find(handle);
    return found == bridge().kept.end() ? nullptr : found->second.get();
}

const labo::Laboratory* kept(int handle)
{
    const Kept* k = keptSetUp(handle);
    return k != nullptr ? &k->lab : nullptr;
}

const char* keep(std::string text)
{
    bridge().text = std::move(text);
    return bridge().text.c_str();
}

const double* keep(labo::Table table)
{
    bridge().table = std::move(table);
    return bridge().table.data.data();
}

}  // namespace

// A buffer of `bytes` bytes for the next call's text: a link, pairs, a
// prediction as typed.
ANTENNE_EXPORT(antenne_input) char* antenne_input(int bytes)
{
    bridge().input.assign(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    return bridge().input.data();
}

// Reads the input's first `length` bytes as a link, runs the set-up and
// works out its figures and analysis, and keeps it: returns its handle.
// `previous` (a handle, or 0) is the set-up shown before, which its report
// compares with to say what changed.
ANTENNE_EXPORT(antenne_compute) int antenne_compute(int length, int previous)
{
    Bridge& b = bridge();
    auto worked = std::make_unique<Kept>(Kept{labo::Compute(inputText(length)), std::nullopt});
    if (const labo::Laboratory* before = kept(previous))
        worked->previous = before->parsed.settings;
    const int handle = b.next++;
    b.kept[handle] = std::move(worked);
    return handle;
}

// Forgets a set-up.
ANTENNE_EXPORT(antenne_release) void antenne_release(int handle)
{
    bridge().kept.erase(handle);
}

// A set-up's report (JSON; see report.h); an empty text for a handle not kept.
ANTENNE_EXPORT(antenne_report) const char* antenne_report(int handle)
{
    const Kept* k = keptSetUp(handle);
    return keep(k != nullptr ? labo::ReportJson(k->lab, k->previous ? &*k->previous : nullptr) : std::string());
}

// A set-up's run as antenne-export labo writes it in CSV.
ANTENNE_EXPORT(antenne_csv) const char* antenne_csv(int handle)
{
    const labo::Laboratory* lab = kept(handle);
    return keep(lab != nullptr ? labo::RunCsv(lab->run) : std::string());
}

// Checks the input's first `length` bytes, pairs such as "K=200" applied to
// the set-up `handle` as a student's change (0: a link read from the
// defaults), without running anything: the link they make and their
// problems (JSON; see report.h).
ANTENNE_EXPORT(antenne_check) const char* antenne_check(int handle, int length)
{
    const labo::Laboratory* base = kept(handle);
    const std::string text = inputText(length);
    const labo::Parsed edited = base != nullptr ? labo::Edit(base->parsed.settings, text) : labo::ParseSettings(text);
    return keep(labo::CheckJson(edited, base));
}

// The exercise of a set-up: `what` 0 judges the set-up against its goal, 1
// judges the prediction typed in the input's first `length` bytes, 2 gives
// the question's answer. JSON: {"met": true|false, "text": "...", "score": 0
// to 100, or null when nothing was judged (see labo::Verdict), "response":
// what was judged, as a learning platform records it: the set-up's link
// without its exercise for a goal, the number for a prediction}.
ANTENNE_EXPORT(antenne_exercise) const char* antenne_exercise(int handle, int what, int length)
{
    const labo::Laboratory* lab = kept(handle);
    if (lab == nullptr)
        return keep(std::string());
    const labo::Exercise& e = lab->parsed.settings.exercise;
    labo::Verdict verdict;
    if (what == 0)
        verdict = labo::JudgeGoal(e, *lab);
    else if (what == 1)
        verdict = labo::JudgeTypedPrediction(e, *lab, inputText(length));
    else
        verdict = {false, labo::ExerciseAnswer(e, *lab), std::nullopt};
    labo::Json json;
    json.beginObject().key("met").value(verdict.met).key("text").value(verdict.text).key("score");
    verdict.score ? json.value(*verdict.score) : json.null();
    labo::Settings judged = lab->parsed.settings;
    judged.exercise = {};
    judged.preset.clear();
    const std::optional<double> predicted = labo::ParseTypedDecimal(inputText(length));
    json.key("response").value(what != 1 ? labo::LinkString(judged)
                                         : predicted ? labo::FormatShortest(*predicted, '.') : std::string());
    json.endObject();
    return keep(json.text());
}

// The SCORM 1.2 package of the link in the input's first `length` bytes
// (see scorm.h), as JSON: {"problems": [...], "link", "title", "file": the
// package's name, "page": the page's name in it, "manifest"}; a package
// when problems is empty.
ANTENNE_EXPORT(antenne_scorm) const char* antenne_scorm(int length)
{
    const labo::ScormExercise package = labo::ScormPackage(inputText(length));
    labo::Json json;
    json.beginObject().key("problems").beginArray();
    for (const std::string& problem : package.problems)
        json.value(problem);
    json.endArray();
    json.key("link").value(package.link).key("title").value(package.title).key("file").value(package.fileName);
    json.key("page").value(labo::ScormPageName).key("manifest").value(package.manifest).endObject();
    return keep(json.text());
}

// What does not change: every setting, preset and quantity (JSON; see report.h).
ANTENNE_EXPORT(antenne_describe) const char* antenne_describe()
{
    return keep(labo::DescriptionJson());
}

// A number as the page writes it, on French conventions: with `places`
// places, or (when `significant` is 1) about `places` significant digits.
ANTENNE_EXPORT(antenne_french) const char* antenne_french(double x, int places, int significant)
{
    return keep(significant != 0 ? labo::FrenchSignificant(x, places) : labo::French(x, places));
}

// The length in bytes of the last text.
ANTENNE_EXPORT(antenne_length) int antenne_length()
{
    return static_cast<int>(bridge().text.size());
}

// One of a set-up's tables of numbers (see tables.h): `which` 0 is its run,
// 1 its root locus and 2 its Bode, these two at `count` points from `low`
// to `high`, or over the model's own sweeps when `count` is 0; 3 its
// Nyquist curve at `count` pulsations (400 when 0), 4 Bode's asymptotes over
// the Bode sweep's ends, 5 the Black-Nichols contours over the phases from
// `low` to `high` (frequency_tables.h). The text (JSON) gives the rows' count and the columns' names:
// {"rows": 1001, "columns": ["t", ...]}; antenne_table_data() then points
// at the numbers, a column after another.
ANTENNE_EXPORT(antenne_table) const char* antenne_table(int handle, int which, double low, double high, int count)
{
    const labo::Laboratory* lab = kept(handle);
    labo::Table table;
    if (lab != nullptr && which == 0)
        table = labo::RunTable(*lab);
    else if (lab != nullptr && which == 1)
        table = labo::LocusTable(lab->parsed.settings, count > 0 ? labo::Sweep{low, high, count} : labo::LocusSweep);
    else if (lab != nullptr && which == 2)
        table = labo::BodeTable(lab->parsed.settings, count > 0 ? labo::Sweep{low, high, count} : labo::BodeSweep);
    else if (lab != nullptr && which == 3)
        table = labo::NyquistTable(lab->parsed.settings, count > 0 ? count : 400);
    else if (lab != nullptr && which == 4)
        table = labo::AsymptotesTable(lab->parsed.settings, count > 0 ? labo::Sweep{low, high, count} : labo::BodeSweep);
    else if (lab != nullptr && which == 5 && high > low && high - low <= 3600)
        table = labo::NicholsTable(low, high);
    labo::Json json;
    json.beginObject().key("rows").value(static_cast<double>(table.rows)).key("columns").beginArray();
    for (const std::string& name : table.columns)
        json.value(name);
    json.endArray().endObject();
    keep(std::move(table));
    return keep(json.text());
}

// Places a phase lead on the set-up `handle`'s plant: the input's first
// `length` bytes hold the form's two fields as typed, the crossover
// pulsation then the phase margin, separated by a line feed (lead_design.h).
// JSON: {"placed": true when a and tau are found, "text": the result or why
// there is none, in French, "pairs": the change that sets it, or "" when
// there is none to offer, "phi", "a", "tau", "K"}.
ANTENNE_EXPORT(antenne_lead) const char* antenne_lead(int handle, int length)
{
    if (kept(handle) == nullptr)
        return keep(std::string());
    const std::string fields = inputText(length);
    const std::size_t split = fields.find('\n');
    const labo::LeadDesign d = labo::PlaceTypedLead(fields.substr(0, split),
                                                    split == std::string::npos ? std::string() : fields.substr(split + 1));
    labo::Json json;
    json.beginObject()
        .key("placed").value(d.outcome == labo::LeadDesign::Outcome::Placed && !d.pairs.empty())
        .key("text").value(d.text)
        .key("pairs").value(d.pairs)
        .key("phi").value(d.phi)
        .key("a").value(d.a)
        .key("tau").value(d.tau)
        .key("K").value(d.K)
        .endObject();
    return keep(json.text());
}

ANTENNE_EXPORT(antenne_table_data) const double* antenne_table_data()
{
    return bridge().table.data.data();
}
