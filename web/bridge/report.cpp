#include "web/bridge/report.h"

#include "model/beyond_analysis.h"
#include "model/csv.h"
#include "model/decimal.h"
#include "model/exercise.h"
#include "model/french.h"
#include "model/laboratory.h"
#include "model/presets.h"
#include "model/quantities.h"
#include "model/setting_table.h"
#include "web/bridge/beyond_report.h"
#include "web/bridge/frequency_report.h"
#include "web/bridge/json.h"

#include <cmath>

namespace labo {
namespace {

void complexList(Json& json, const std::vector<Complex>& list)
{
    json.beginArray();
    for (const Complex& c : list)
        json.beginArray().value(c.real()).value(c.imag()).endArray();
    json.endArray();
}

const char* stateName(Figure::State state)
{
    switch (state) {
    case Figure::State::Value:
        return "valeur";
    case Figure::State::NotReached:
        return "non atteint";
    case Figure::State::NotApplicable:
        break;
    }
    return "sans objet";
}

void problems(Json& json, const Parsed& parsed)
{
    json.key("problems").beginArray();
    for (const Problem& p : parsed.problems)
        json.beginObject().key("name").value(p.name).key("value").value(p.value).key("message").value(p.message).endObject();
    json.endArray();
    json.key("ignored").beginArray();
    for (const std::string& name : parsed.ignored)
        json.value(name);
    json.endArray();
}

// The settings' values (numbers as numbers, words as words), and for each
// control its field's text and whether the set-up uses it.
void settings(Json& json, const Settings& s)
{
    json.key("settings").beginObject();
    for (const SettingInfo& row : SettingTable()) {
        json.key(row.name);
        if (row.number != nullptr)
            json.value(s.*row.number);
        else
            json.value(LinkValue(s, row.name));
    }
    json.endObject();
    json.key("fields").beginObject();
    for (const SettingInfo& row : SettingTable()) {
        if (row.kind == SettingInfo::Kind::Preset || row.kind == SettingInfo::Kind::Exercise)
            continue;
        const std::string text = row.number != nullptr ? FormatShortest(s.*row.number, ',') : LinkValue(s, row.name);
        json.key(row.name).beginObject().key("text").value(text).key("used").value(row.isUsed(s)).endObject();
    }
    json.endObject();
    json.key("fixed").beginArray();
    for (const std::string& name : s.exercise.fixed)
        json.value(name);
    json.endArray();
}

// The exercise's statement, and what it keeps out of sight until it is
// answered; `lab`, when given, says whether its figure reads on the set-up.
void exercise(Json& json, const Exercise& e, const Laboratory* lab)
{
    json.key("exercise");
    if (e.kind == Exercise::Kind::None) {
        json.null();
        return;
    }
    json.beginObject()
        .key("kind").value(e.kind == Exercise::Kind::Goal ? "objectif" : "question")
        .key("name").value(e.name)
        .key("statement").value(ExerciseStatement(e))
        .key("unit").value(ExerciseUnit(e));
    if (e.kind == Exercise::Kind::Goal)
        json.key("target").value(e.target).key("tolerance").value(GoalTolerance(e));
    // Why its figure cannot be read on this set-up, if it cannot: a
    // question then has nothing to predict.
    json.key("unreadable");
    const Reading reading = lab != nullptr ? ExerciseReading(e, *lab) : Reading{0.0, {}};
    reading.value ? json.null() : json.value(reading.reason);
    // A question keeps out of sight what would give its answer away: the
    // run (its curves and the figure), or the critical gain.
    json.key("hides");
    const Quantity* q = FindQuantity(e.name);
    if (e.kind != Exercise::Kind::Question || q == nullptr) {
        json.null();
    } else {
        const bool run = q->reveals == Reveals::Run;
        const std::string key = q->key;
        json.beginObject().key("part").value(run ? "essai" : "stabilite").key("rows").beginArray();
        if (key == "Kcrit" || key == "wcrit")
            for (const std::string& line : CriticalGainLines())
                json.value(line);
        else
            json.value(q->name);
        json.endArray().endObject();
    }
    json.endObject();
}

void analysis(Json& json, const Analysis& a, double bodeHigh)
{
    json.key("analysis").beginObject();
    json.key("poles");
    complexList(json, a.poles);
    json.key("zeros");
    complexList(json, a.zeros);
    json.key("stable").value(a.stable);
    json.key("damping");
    a.hasDominant ? json.value(a.damping) : json.null();
    json.key("naturalPulsation");
    a.hasDominant ? json.value(a.naturalPulsation) : json.null();
    json.key("crossings").beginArray();
    for (const Crossing& c : a.crossings)
        json.beginArray().value(c.K).value(c.omega).endArray();
    json.endArray();
    json.key("stableGains").beginArray();
    for (const GainRange& r : a.stableGains)
        json.beginArray().value(r.from).value(r.to).endArray();  // null: no end
    json.endArray();
    json.key("critical");
    if (a.critical)
        json.beginObject().key("K").value(a.critical->K).key("omega").value(a.critical->omega).endObject();
    else
        json.null();
    // The gain margin: a factor, "infinite" when nothing ends the stable
    // range above K, null when no gain makes the loop stable.
    json.key("gainMargin");
    if (!a.hasGainMargin)
        json.null();
    else if (!std::isfinite(a.gainMargin))
        json.value("infinite");
    else
        json.value(a.gainMargin);
    json.key("gainMarginDb");
    if (const std::optional<double> dB = GainMarginDb(a))
        json.value(*dB);
    else
        json.null();
    json.key("gainMarginOmega").value(a.gainMarginOmega);
    json.key("gainMarginBelow").value(a.gainMarginBelow);
    json.key("gainMarginWay").value(GainMarginWay(a));
    json.key("phaseMargin");
    a.hasPhaseMargin ? json.value(a.phaseMargin) : json.null();
    json.key("phaseMarginOmega").value(a.phaseMarginOmega);
    json.key("phaseMarginPhase").value(a.phaseMarginPhase);
    // What Bode draws of the margins, over the pulsations it is drawn on.
    const BodeMargins bode = MarginsOnBode(a, BodeSweep.low, bodeHigh);
    json.key("bode")
        .beginObject()
        .key("gainLabel").value(bode.gainLabel)
        .key("phaseLabel").value(bode.phaseLabel)
        .key("caption").value(bode.caption)
        .endObject();
    json.key("lines").beginArray();
    for (const auto& [name, text] : AnalysisLines(a))
        json.beginArray().value(name).value(text).endArray();
    json.endArray();
    json.endObject();
}

}  // namespace

std::string ReportJson(const Laboratory& lab, const Settings* previous)
{
    const Settings& s = lab.parsed.settings;
    Json json;
    json.beginObject();
    json.key("link").value(LinkString(s));
    json.key("csvName").value(CsvFileName(s));
    json.key("summary").value(SettingsSummary(s));
    settings(json, s);
    problems(json, lab.parsed);
    const unsigned changes = previous != nullptr ? ChangesBetween(*previous, s) : AffectsRun | AffectsAnalysis | AffectsLocus;
    json.key("changed")
        .beginObject()
        .key("run").value((changes & AffectsRun) != 0)
        .key("analysis").value((changes & AffectsAnalysis) != 0)
        .key("locus").value((changes & AffectsLocus) != 0)
        .endObject();

    json.key("samples").value(static_cast<double>(lab.run.samples.size()));
    json.key("diverged").value(lab.run.diverged);
    json.key("figures").beginArray();
    for (const Quantity& info : FigureTable()) {
        const Figure& f = lab.figures.*info.figure;
        json.beginObject().key("key").value(info.key).key("name").value(info.name).key("state").value(stateName(f.state)).key("value");
        if (f.reached())
            json.value(f.value);
        else
            json.null();
        json.key("text").value(FigureText(f, info)).key("reason").value(f.reason).endObject();
    }
    json.endArray();

    exercise(json, s.exercise, &lab);
    // What each goal reads on this set-up, as a target for "Créer un
    // exercice" to start from.
    json.key("goalSuggestions").beginObject();
    for (const Quantity& q : Quantities()) {
        if (!q.goal)
            continue;
        const Reading reading = ExerciseReading({Exercise::Kind::Goal, q.key, 0, 0, {}}, lab);
        json.key(q.key);
        reading.value ? json.value(FrenchSignificant(*reading.value, 3)) : json.null();
    }
    json.endObject();
    // The presets that would change a setting the exercise holds.
    json.key("presetsHeld").beginArray();
    for (const Preset& p : Presets())
        if (!s.exercise.fixed.empty() && !Edit(s, "preset=" + std::string(p.name)).problems.empty())
            json.value(p.name);
    json.endArray();

    FrequencyJson(json, lab);
    BeyondJson(json, lab);
    analysis(json, lab.analysis, BodeHighest(s, BodeSweep.high));
    json.endObject();
    return json.text();
}

std::string CheckJson(const Parsed& edited, const Laboratory* base)
{
    Json json;
    json.beginObject();
    json.key("link").value(LinkString(edited.settings));
    problems(json, edited);
    // The exercise's figure reads on the base only when the set-up is the
    // base's but for its exercise and preset.
    Settings same = edited.settings;
    const bool onBase = base != nullptr && [&] {
        same.exercise = base->parsed.settings.exercise;
        same.preset = base->parsed.settings.preset;
        return same == base->parsed.settings;
    }();
    exercise(json, edited.settings.exercise, onBase ? base : nullptr);
    json.endObject();
    return json.text();
}

std::string DescriptionJson()
{
    const Settings defaults;
    Json json;
    json.beginObject();
    json.key("settings").beginArray();
    for (const SettingInfo& row : SettingTable()) {
        json.beginObject()
            .key("name").value(row.name)
            .key("kind").value(row.kind == SettingInfo::Kind::Number ? "nombre"
                               : row.kind == SettingInfo::Kind::Choice ? "choix"
                               : row.kind == SettingInfo::Kind::Switch ? "interrupteur"
                               : row.kind == SettingInfo::Kind::Preset ? "preset" : "exercice")
            .key("label").value(row.labelWithUnit())
            .key("listed").value(row.listed)
            .key("described").value(row.described)
            .key("group").value(row.group)
            .key("help").value(row.help)
            .key("accepts").value(row.accepts())
            .key("default").value(LinkValue(defaults, row.name));
        if (row.number != nullptr) {
            json.key("low").value(row.low).key("high").value(row.high).key("unit").value(row.unit);
            json.key("off");
            row.off != nullptr ? json.value(row.off) : json.null();
            json.key("slider");
            if (row.slider.exists())
                json.beginObject()
                    .key("low").value(row.slider.low)
                    .key("high").value(row.slider.high)
                    .key("logarithmic").value(row.slider.logarithmic)
                    .key("range").value(FrenchSignificant(row.slider.low, 7) + " à " + FrenchSignificant(row.slider.high, 7))
                    .endObject();
            else
                json.null();
        }
        if (!row.choices.empty()) {
            json.key("choices").beginArray();
            for (const Choice& c : row.choices)
                json.beginObject().key("word").value(c.word).key("label").value(c.label).endObject();
            json.endArray();
        }
        json.endObject();
    }
    json.endArray();
    // What the views sweep over.
    json.key("views").beginObject();
    for (const auto& [name, sweep] : {std::pair{"locus", LocusSweep}, std::pair{"bode", BodeSweep}})
        json.key(name).beginObject().key("low").value(sweep.low).key("high").value(sweep.high).key("count").value(sweep.count).endObject();
    json.endObject();
    json.key("presets").beginArray();
    for (const Preset& p : Presets())
        json.beginObject()
            .key("name").value(p.name)
            .key("title").value(p.title)
            .key("comment").value(p.comment)
            .endObject();
    json.endArray();
    // The quantities an exercise may set or ask, as its form lists them.
    for (const auto& [key, list] : {std::pair{"goals", Goals()}, std::pair{"questions", Questions()}}) {
        json.key(key).beginArray();
        for (const Quantity* q : list)
            json.beginObject().key("key").value(q->key).key("listed").value(q->nameWithUnit()).endObject();
        json.endArray();
    }
    json.endObject();
    return json.text();
}

}  // namespace labo
