#include "web/bridge/report.h"

#include "model/csv.h"
#include "model/exercise.h"
#include "model/french.h"
#include "web/bridge/json.h"
#include "model/laboratory.h"

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

}  // namespace

std::string ReportJson(const Laboratory& lab)
{
    const Settings& s = lab.parsed.settings;
    Json json;
    json.beginObject();
    json.key("link").value(LinkString(s));
    json.key("csvName").value(CsvFileName(s));
    json.key("summary").value(SettingsSummary(s));
    json.key("settings").beginObject();
    for (const std::string& name : SettingNames()) {
        json.key(name);
        bool number = false;
        for (const NumberSetting& n : NumberSettings())
            if (name == n.name) {
                json.value(s.*n.field);
                number = true;
            }
        if (!number)
            json.value(LinkValue(s, name));
    }
    json.endObject();
    json.key("problems").beginArray();
    for (const Problem& p : lab.parsed.problems)
        json.beginObject().key("name").value(p.name).key("value").value(p.value).key("message").value(p.message).endObject();
    json.endArray();
    json.key("ignored").beginArray();
    for (const std::string& name : lab.parsed.ignored)
        json.value(name);
    json.endArray();

    json.key("samples").value(static_cast<double>(lab.run.samples.size()));
    json.key("diverged").value(lab.run.diverged);
    json.key("figures").beginArray();
    for (const FigureInfo& info : FigureTable()) {
        const Figure& f = lab.figures.*info.figure;
        json.beginObject()
            .key("key").value(info.key)
            .key("state").value(stateName(f.state))
            .key("value");
        if (f.reached())
            json.value(f.value);
        else
            json.null();
        json.key("text").value(FigureText(f, info)).key("reason").value(f.reason).endObject();
    }
    json.endArray();

    const Exercise& e = s.exercise;
    json.key("exercise");
    if (e.kind == Exercise::Kind::None) {
        json.null();
    } else {
        json.beginObject()
            .key("kind").value(e.kind == Exercise::Kind::Goal ? "objectif" : "question")
            .key("name").value(e.name)
            .key("statement").value(ExerciseStatement(e))
            .key("unit").value(ExerciseUnit(e));
        if (e.kind == Exercise::Kind::Goal)
            json.key("target").value(e.target).key("tolerance").value(GoalTolerance(e));
        // Why its figure cannot be read on this set-up, if it cannot: a
        // question then has nothing to predict.
        const Reading reading = ExerciseReading(e, lab);
        json.key("unreadable");
        reading.value ? json.null() : json.value(reading.reason);
        json.endObject();
    }
    // What each goal would read on this set-up, for "Créer un exercice" to
    // start from.
    json.key("goalReadings").beginObject();
    for (const std::string& name : GoalNames()) {
        const Reading reading = ExerciseReading({Exercise::Kind::Goal, name, 0, 0, {}}, lab);
        json.key(name);
        reading.value ? json.value(*reading.value) : json.null();
    }
    json.endObject();
    json.key("fixed").beginArray();
    for (const std::string& name : e.fixed)
        json.value(name);
    json.endArray();

    const Analysis& a = lab.analysis;
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
    json.key("lines").beginArray();
    for (const auto& [name, text] : AnalysisLines(a))
        json.beginArray().value(name).value(text).endArray();
    json.endArray();
    json.endObject();
    json.endObject();
    return json.text();
}

std::string DescriptionJson()
{
    const Settings defaults;
    Json json;
    json.beginObject();
    json.key("names").beginArray();
    for (const std::string& name : SettingNames())
        json.value(name);
    json.endArray();
    json.key("defaults").beginObject();
    for (const std::string& name : SettingNames())
        json.key(name).value(LinkValue(defaults, name));
    json.endObject();
    json.key("numbers").beginObject();
    for (const NumberSetting& n : NumberSettings())
        json.key(n.name)
            .beginObject()
            .key("low").value(n.low)
            .key("high").value(n.high)
            .key("zeroOff").value(n.zeroOff)
            .key("accepts").value(n.accepts)
            .endObject();
    json.endObject();
    json.key("presets").beginArray();
    for (const Preset& p : Presets())
        json.beginObject()
            .key("name").value(p.name)
            .key("title").value(p.title)
            .key("comment").value(p.comment)
            .key("link").value(LinkString(ParseSettings("preset=" + std::string(p.name)).settings))
            .endObject();
    json.endArray();
    json.key("figures").beginArray();
    for (const FigureInfo& info : FigureTable())
        json.beginObject()
            .key("key").value(info.key)
            .key("name").value(info.name)
            .key("unit").value(info.unit)
            .key("decimals").value(info.decimals)
            .endObject();
    json.endArray();
    json.endObject();
    return json.text();
}

}  // namespace labo
