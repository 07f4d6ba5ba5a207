#include "model/setting_table.h"

#include "model/decimal.h"
#include "model/french.h"
#include "model/presets.h"
#include "model/quantities.h"

#include <algorithm>

namespace labo {
namespace {

// Builds a row, a property at a time, so that each row reads as what it
// declares.
class Row {
public:
    Row(const char* name, SettingInfo::Kind kind, const char* label)
    {
        info_.name = name;
        info_.kind = kind;
        info_.label = label;
        info_.listed = label;
        info_.described = label;
        info_.english = "";
        info_.group = "";
        info_.help = "";
        info_.affects = AffectsRun;
    }
    Row& listed(const char* text)
    {
        info_.listed = text;
        return *this;
    }
    Row& described(const char* text)
    {
        info_.described = text;
        return *this;
    }
    Row& english(const char* text)
    {
        info_.english = text;
        return *this;
    }
    Row& group(const char* text)
    {
        info_.group = text;
        return *this;
    }
    Row& help(const char* text)
    {
        info_.help = text;
        return *this;
    }
    Row& affects(unsigned what)
    {
        info_.affects = what;
        return *this;
    }
    Row& usedWhen(bool (*used)(const Settings&)) { return info_.used = used, *this; }
    Row& terse()
    {
        info_.terse = true;
        return *this;
    }
    Row& number(double Settings::*field, double low, double high, const char* unit, const char* noun)
    {
        info_.number = field;
        info_.low = low;
        info_.high = high;
        info_.unit = unit;
        info_.noun = noun;
        return *this;
    }
    Row& offMeans(const char* french, const char* english)
    {
        info_.off = french;
        info_.offEnglish = english;
        return *this;
    }
    Row& slider(double low, double high, bool logarithmic)
    {
        info_.slider = {low, high, logarithmic};
        return *this;
    }
    Row& leadAndLagDefaults(double lead, double lag)
    {
        info_.leadDefault = lead;
        info_.lagDefault = lag;
        return *this;
    }
    Row& startsAt(double value)
    {
        info_.startsAt = value;
        return *this;
    }
    Row& choices(std::vector<Choice> list, const char* english, int (*get)(const Settings&), void (*set)(Settings&, int))
    {
        info_.choices = std::move(list);
        info_.choicesEnglish = english;
        info_.get = get;
        info_.set = set;
        return *this;
    }
    Row& unknown(const char* text)
    {
        info_.unknown = text;
        return *this;
    }
    operator SettingInfo() const { return info_; }  // NOLINT(google-explicit-constructor): a row is its info

private:
    SettingInfo info_{};
};

using Kind = SettingInfo::Kind;

const char* const regulator = "Régulateur";
const char* const computing = "Correcteur numérique et retard";
const char* const input = "Entrée";
const char* const gust = "Rafale de vent";
const char* const imperfections = "Non-linéarités";
const char* const chopperAndRun = "Hacheur et essai";
constexpr unsigned everything = AffectsRun | AffectsAnalysis | AffectsLocus;

bool integralUsed(const Settings& s)
{
    return s.controller == Controller::PI || s.controller == Controller::PID;
}

bool leadOrLag(const Settings& s)
{
    return s.leadOrLag();
}

bool derivativeUsed(const Settings& s)
{
    return s.controller == Controller::PID;
}

// The rows of the controller and its actions.
std::vector<SettingInfo> regulatorRows()
{
    return {
        Row("regulateur", Kind::Choice, "Régulateur")
            .described("Type de régulateur")
            .english("the controller")
            .unknown("régulateur inconnu")
            .group(regulator)
            .affects(everything)
            .choices({{"P", "P"}, {"PI", "PI"}, {"PID", "PID"}, {"avance", "Avance de phase"}, {"retard", "Retard de phase"}},
                     "P, PI, PID, avance (a phase lead) or retard (a phase lag)",
                     [](const Settings& s) { return static_cast<int>(s.controller); },
                     [](Settings& s, int i) { s.controller = static_cast<Controller>(i); }),
        Row("K", Kind::Number, "Gain K")
            .listed("K")
            .english("the gain")
            .group(regulator)
            .affects(AffectsRun | AffectsAnalysis)
            // Below 0.001 the loop's slow pole rounds to 0 and reads as unstable.
            .number(&Settings::K, 0.001, 1e6, "", "un nombre")
            .slider(1, 10000, true),
        Row("Ti", Kind::Number, "Ti")
            .described("Temps intégral Ti")
            .english("the integral time")
            .group(regulator)
            .affects(everything)
            .usedWhen(integralUsed)
            .number(&Settings::Ti, 0.01, 1000, "s", "une durée")
            .offMeans("sans action intégrale", "no integral action")
            .slider(0.1, 100, true)
            .startsAt(4),
        Row("Td", Kind::Number, "Td")
            .described("Temps dérivé Td")
            .english("the derivative time")
            .group(regulator)
            .affects(everything)
            .usedWhen(derivativeUsed)
            .number(&Settings::Td, 0.01, 100, "s", "une durée")
            .offMeans("sans action dérivée", "no derivative action")
            .slider(0.01, 10, true)
            .startsAt(0.3),
        Row("N", Kind::Number, "N")
            .described("Filtre de la dérivée N")
            .english("the derivative's filter")
            .help("Filtre de la dérivée : Td s / (1 + Td s / N)")
            .group(regulator)
            .affects(everything)
            .usedWhen(derivativeUsed)
            .number(&Settings::N, 1, 50, "", "un nombre")
            .slider(1, 50, false),
        // A lead's a is above 1, a lag's below: each corrector's range and
        // default are its own (settings.cpp).
        Row("a", Kind::Number, "a")
            .described("Rapport a de l'avance ou du retard de phase")
            .english("the lead's or lag's ratio (above 1 for a lead, below 1 for a lag)")
            .help("C(s) = K (1 + a τ s) / (1 + τ s) : a > 1 pour une avance de phase, a < 1 pour un retard")
            .group(regulator)
            .affects(everything)
            .usedWhen(leadOrLag)
            .terse()
            .number(&Settings::a, 0.01, 100, "", "un rapport")
            .leadAndLagDefaults(4, 0.25)
            .slider(0.01, 100, true),
        Row("tau", Kind::Number, "τ")
            .described("Constante de temps τ de l'avance ou du retard de phase")
            .english("the lead's or lag's time constant")
            .group(regulator)
            .affects(everything)
            .usedWhen(leadOrLag)
            .terse()
            .number(&Settings::tau, 0.001, 100, "s", "une durée")
            .leadAndLagDefaults(0.1, 5)
            .slider(0.001, 100, true),
        Row("antisaturation", Kind::Switch, "Antisaturation (l'intégrale s'arrête quand le hacheur limite)")
            .listed("Antisaturation")
            .english("whether the integral stops while the chopper's limit holds")
            .group(regulator)
            .usedWhen(integralUsed)
            .choices({{"0", "sans"}, {"1", "avec"}}, "1 (on) or 0 (off)",
                     [](const Settings& s) { return s.antiWindup ? 1 : 0; },
                     [](Settings& s, int i) { s.antiWindup = i == 1; }),
    };
}

// The rows of the sampled corrector and the delay.
std::vector<SettingInfo> computingRows()
{
    return {
        Row("Te", Kind::Number, "Te")
            .described("Période d'échantillonnage Te du correcteur numérique")
            .english("the sampled corrector's period")
            .group(computing)
            .affects(everything)
            .terse()
            .number(&Settings::Te, 0.001, 1, "s", "une période")
            .offMeans("correcteur continu", "a continuous corrector")
            .slider(0.001, 1, true),
        Row("discretisation", Kind::Choice, "Discrétisation")
            .english("how the sampled corrector is worked out")
            .unknown("discrétisation inconnue")
            .group(computing)
            .affects(everything)
            .usedWhen([](const Settings& s) { return s.Te > 0; })
            .terse()
            .choices({{"euler", "Euler"}, {"tustin", "Tustin"}},
                     "euler (the backward difference) or tustin (the bilinear transform)",
                     [](const Settings& s) { return static_cast<int>(s.discretization); },
                     [](Settings& s, int i) { s.discretization = static_cast<Discretization>(i); }),
        Row("retard", Kind::Number, "Retard pur")
            .listed("Retard")
            .described("Retard pur de la commande")
            .english("the pure delay from the corrector to the chopper")
            .group(computing)
            .affects(everything)
            .terse()
            .number(&Settings::delay, 0, 2, "s", "une durée")
            .offMeans("sans retard", "no delay")
            .slider(0, 2, false),
    };
}

// The rows of the set point.
std::vector<SettingInfo> inputRows()
{
    return {
        Row("entree", Kind::Choice, "Entrée")
            .english("the input")
            .unknown("entrée inconnue")
            .group(input)
            .choices({{"echelon", "Échelon"}, {"rampe", "Rampe"}, {"sinus", "Sinus"}},
                     "echelon (a step), rampe (a ramp) or sinus (a sine)",
                     [](const Settings& s) { return static_cast<int>(s.input); },
                     [](Settings& s, int i) { s.input = static_cast<Input>(i); }),
        Row("amplitude", Kind::Number, "Amplitude")
            .described("Amplitude de l'échelon ou du sinus")
            .english("the step, or the sine's amplitude")
            .group(input)
            .usedWhen([](const Settings& s) { return s.input != Input::Ramp; })
            .number(&Settings::amplitude, -180, 180, "°", "un angle")
            .slider(-180, 180, false),
        Row("pente", Kind::Number, "Pente")
            .described("Pente de la rampe")
            .english("the ramp's slope")
            .group(input)
            .usedWhen([](const Settings& s) { return s.input == Input::Ramp; })
            .number(&Settings::slope, -100, 100, "°/s", "une pente")
            .slider(-100, 100, false),
        Row("pulsation", Kind::Number, "Pulsation")
            .described("Pulsation ω du sinus")
            .english("the sine's pulsation")
            .group(input)
            .usedWhen([](const Settings& s) { return s.input == Input::Sine; })
            .terse()
            .number(&Settings::pulsation, 0.01, 100, "rad/s", "une pulsation")
            .slider(0.01, 100, true),
    };
}

// The rows of the gust of wind.
std::vector<SettingInfo> gustRows()
{
    return {
        Row("vent", Kind::Number, "Couple")
            .listed("Vent")
            .described("Couple du vent")
            .english("the gust's torque")
            .group(gust)
            .number(&Settings::wind, -100, 100, "N·m", "un couple")
            .offMeans("sans vent", "no wind")
            .slider(-20, 20, false),
        Row("debutVent", Kind::Number, "Début")
            .listed("Début du vent")
            .described("Début de la rafale")
            .english("the gust's start")
            .group(gust)
            .number(&Settings::windStart, 0, 120, "s", "un instant"),
        Row("dureeVent", Kind::Number, "Durée")
            .listed("Durée du vent")
            .described("Durée de la rafale")
            .english("the gust's length")
            .group(gust)
            .number(&Settings::windLength, 0, 120, "s", "une durée")
            .offMeans("jusqu'à la fin de l'essai", "to the end of the run"),
    };
}

// The rows of the plant's non-linearities.
std::vector<SettingInfo> imperfectionRows()
{
    return {
        Row("frottement", Kind::Number, "Frottement sec")
            .listed("Frottement")
            .described("Frottement sec sur l'axe de l'antenne")
            .english("the dry friction on the dish's axis")
            .group(imperfections)
            .affects(AffectsRun | AffectsAnalysis)  // the analysis says it leaves it out
            .terse()
            .number(&Settings::friction, 0, 20, "N·m", "un couple")
            .offMeans("sans frottement sec", "no dry friction")
            .slider(0, 20, false),
        Row("jeu", Kind::Number, "Jeu du réducteur")
            .listed("Jeu")
            .described("Jeu du réducteur, mesuré à l'antenne")
            .english("the gearbox's backlash, measured at the dish")
            .group(imperfections)
            .affects(AffectsRun | AffectsAnalysis)  // the analysis says it leaves it out
            .terse()
            .number(&Settings::backlash, 0, 10, "°", "un angle")
            .offMeans("sans jeu", "no backlash")
            .slider(0, 10, false),
        Row("capteur", Kind::Number, "Résolution du capteur")
            .listed("Capteur")
            .described("Résolution du capteur de position")
            .english("the position sensor's resolution")
            .group(imperfections)
            .affects(AffectsRun | AffectsAnalysis)  // the analysis says it leaves it out
            .terse()
            .number(&Settings::resolution, 0, 10, "°", "un angle")
            .offMeans("capteur parfait", "an exact sensor")
            .slider(0, 10, false),
    };
}

// The rows of the chopper's limit and the run.
std::vector<SettingInfo> chopperAndRunRows()
{
    return {
        Row("saturation", Kind::Number, "Limite ±Umax")
            .listed("Umax")
            .described("Limite du hacheur ±Umax")
            .english("the chopper's limit Umax")
            .group(chopperAndRun)
            .number(&Settings::limit, 0, 1000, "V", "une tension")
            .offMeans("sans limite", "no limit"),
        Row("duree", Kind::Number, "Durée de l'essai")
            .listed("Durée")
            .english("the run's length")
            .group(chopperAndRun)
            .number(&Settings::length, 1, 120, "s", "une durée"),
    };
}

// The rows of what a link carries beyond the run: the preset and the exercise.
std::vector<SettingInfo> linkRows()
{
    return {
        Row("preset", Kind::Preset, "Préréglage")
            .english("a lesson's preset, applied first, which the other settings change")
            .affects(AffectsNothing),
        Row("exercice", Kind::Exercise, "Exercice")
            .english("an exercise's goal, of no effect on the run")
            .affects(AffectsNothing),
        Row("question", Kind::Exercise, "Question")
            .english("an exercise's question, of no effect on the run")
            .affects(AffectsNothing),
        Row("fixe", Kind::Exercise, "Réglages fixés")
            .english("the settings an exercise holds, of no effect on the run")
            .affects(AffectsNothing),
    };
}

// Every row, in the order of the page's controls and of the help.
const std::vector<SettingInfo>& rows()
{
    static const std::vector<SettingInfo> table = [] {
        std::vector<SettingInfo> all;
        for (auto group : {regulatorRows, computingRows, inputRows, gustRows, imperfectionRows, chopperAndRunRows, linkRows}) {
            auto part = group();
            all.insert(all.end(), part.begin(), part.end());
        }
        return all;
    }();
    return table;
}

// A bound as a message writes it: "0,001", "1 000 000", "-180".
std::string bound(double x)
{
    return FrenchSignificant(x, 7);
}

std::string withUnit(const std::string& number, const std::string& unit, bool french)
{
    if (unit.empty())
        return number;
    return unit == "°" || (!french && unit == "°/s") ? number + unit : number + " " + unit;
}

}  // namespace

// What the exercise's and the preset's rows accept, in French or English.
std::string special(const SettingInfo& row, bool french)
{
    const std::string name = row.name;
    if (row.kind == SettingInfo::Kind::Preset) {
        std::string names;
        for (const Preset& p : Presets())
            names += (names.empty() ? "" : ", ") + std::string(p.name);
        return names;
    }
    if (name == "exercice")
        return french ? "NOM:CIBLE ou NOM:CIBLE:TOLÉRANCE, NOM parmi " + GoalKeys(" ou ")
                      : "NAME:TARGET or NAME:TARGET:TOLERANCE, NAME one of " + GoalKeys(" or ");
    if (name == "question")
        return french ? QuestionKeys(" ou ") : QuestionKeys(" or ");
    return french ? "des noms de réglages séparés par des virgules, comme regulateur,Ti"
                  : "settings' names joined by commas, such as regulateur,Ti";
}

std::string SettingInfo::accepts() const
{
    if (kind == Kind::Preset || kind == Kind::Exercise)
        return special(*this, true);
    if (kind != Kind::Number) {
        std::string text;
        // A switch lists its "on" first.
        for (std::size_t i = 0; i < choices.size(); ++i) {
            const Choice& c = kind == Kind::Switch ? choices[choices.size() - 1 - i] : choices[i];
            const std::string word = kind == Kind::Switch ? std::string(c.word) + " (" + c.label + ")" : c.word;
            text += (i == 0 ? "" : (i + 1 == choices.size() ? " ou " : ", ")) + word;
        }
        return text;
    }
    const bool zeroInside = low <= 0 && high >= 0;
    std::string text = std::string(noun) + " de " + bound(low) + " à " + withUnit(bound(high), unit, true);
    if (off != nullptr)
        text = zeroInside ? text + " (0 : " + off + ")" : "0 (" + std::string(off) + ") ou " + text;
    return text;
}

std::string SettingInfo::acceptsEnglish() const
{
    if (kind == Kind::Preset || kind == Kind::Exercise)
        return special(*this, false);
    if (kind != Kind::Number)
        return choicesEnglish;
    const bool zeroInside = low <= 0 && high >= 0;
    std::string text = FormatShortest(low, '.') + " to " + withUnit(FormatShortest(high, '.'), unit, false);
    if (offEnglish != nullptr)
        text = zeroInside ? text + " (0: " + offEnglish + ")" : "0 (" + std::string(offEnglish) + ") or " + text;
    return text;
}

std::string SettingInfo::labelWithUnit() const
{
    return std::string(unit).empty() ? label : std::string(label) + " (" + unit + ")";
}

bool SettingInfo::written(const Settings& settings) const
{
    if (!terse)
        return true;
    return isUsed(settings) && !(number != nullptr && off != nullptr && settings.*number == 0);
}

const std::vector<SettingInfo>& SettingTable()
{
    return rows();
}

const SettingInfo* FindSetting(const std::string& name)
{
    const auto& table = rows();
    const auto found = std::find_if(table.begin(), table.end(), [&](const SettingInfo& s) { return name == s.name; });
    return found == table.end() ? nullptr : &*found;
}

unsigned ChangesBetween(const Settings& before, const Settings& after)
{
    unsigned changes = AffectsNothing;
    for (const SettingInfo& s : rows()) {
        const bool differs = s.number != nullptr ? before.*s.number != after.*s.number
                                                 : (s.get != nullptr && s.get(before) != s.get(after));
        if (differs)
            changes |= s.affects;
    }
    return changes;
}

}  // namespace labo
