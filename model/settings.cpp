#include "model/settings.h"

#include "model/decimal.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <optional>
#include <string_view>

namespace labo {
namespace {

const char* const controllerWords[] = {"P", "PI", "PID"};
const char* const inputWords[] = {"echelon", "rampe"};
const char* const switchWords[] = {"0", "1"};

const std::vector<std::string> names = {
    "regulateur", "K",     "Ti",   "Td",        "N",         "antisaturation", "entree", "amplitude",
    "pente",      "vent",  "debutVent", "dureeVent", "saturation", "duree", "preset", "exercice", "question", "fixe",
};

// What an exercise may ask: a goal's figures, with their units, and the
// figures a question may ask to predict.
const char* const goalNames[] = {"D1", "tr5", "traine", "vent", "MP", "MG"};
const char* const questionNames[] = {"Kcrit", "wcrit", "D1", "tr5", "traine", "vent"};

std::string listed(const char* const* words, std::size_t count, const char* last)
{
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += std::string(i == 0 ? "" : (i + 1 == count ? last : ", ")) + words[i];
    return text;
}

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t at = text.find(separator); at != std::string::npos; at = text.find(separator, from)) {
        parts.push_back(text.substr(from, at - from));
        from = at + 1;
    }
    parts.push_back(text.substr(from));
    return parts;
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lower(x) == lower(y);
           });
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = lower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// "%C3%A9" and "+" as a link's address writes them.
std::string decoded(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 && hexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i] == '+' ? ' ' : text[i];
        }
    }
    return out;
}

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

// "échelon" is read as "echelon": the link may carry the accent.
std::string withoutAccents(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i + 1 < text.size() && static_cast<unsigned char>(text[i]) == 0xC3 &&
            (static_cast<unsigned char>(text[i + 1]) == 0xA9 || static_cast<unsigned char>(text[i + 1]) == 0x89)) {
            out += 'e';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

Problem problem(const std::string& name, const std::string& value, const std::string& what, const char* accepts)
{
    // A value pasted by mistake can be long: the message quotes its start.
    std::string shown = value;
    if (shown.size() > 40) {
        std::size_t cut = 40;
        while (cut > 0 && (static_cast<unsigned char>(shown[cut]) & 0xC0) == 0x80)
            --cut;  // not inside a character
        shown = shown.substr(0, cut) + "…";
    }
    return {name, value, "«\u00a0" + name + "=" + shown + "\u00a0» : " + what + " ; " + name + " accepte " + accepts + "."};
}

// Where a pair of the link goes: its problem if its value cannot be used.
std::optional<Problem> apply(Settings& settings, const std::string& name, const std::string& value)
{
    if (name == "regulateur") {
        for (std::size_t i = 0; i < std::size(controllerWords); ++i)
            if (sameName(value, controllerWords[i])) {
                settings.controller = static_cast<Controller>(i);
                return std::nullopt;
            }
        return problem(name, value, "régulateur inconnu", "P, PI ou PID");
    }
    if (name == "entree") {
        for (std::size_t i = 0; i < std::size(inputWords); ++i)
            if (sameName(withoutAccents(value), inputWords[i])) {
                settings.input = static_cast<Input>(i);
                return std::nullopt;
            }
        return problem(name, value, "entrée inconnue", "echelon ou rampe");
    }
    if (name == "exercice") {
        const std::string accepts = "NOM:CIBLE ou NOM:CIBLE:TOLÉRANCE, NOM parmi " +
                                    listed(goalNames, std::size(goalNames), " ou ");
        const std::vector<std::string> parts = split(value, ':');
        const auto goal = std::find_if(std::begin(goalNames), std::end(goalNames),
                                       [&](const char* g) { return sameName(parts[0], g); });
        if (parts.size() < 2 || parts.size() > 3)
            return problem(name, value, "il faut un nom et une cible", accepts.c_str());
        if (goal == std::end(goalNames))
            return problem(name, value, "«\u00a0" + parts[0] + "\u00a0» n'est pas une grandeur d'exercice", accepts.c_str());
        const std::optional<double> target = ParseDecimal(parts[1]);
        if (!target)
            return problem(name, value, "la cible «\u00a0" + parts[1] + "\u00a0» n'est pas un nombre", accepts.c_str());
        // An overshoot is never negative and a settling time is after 0: a
        // goal below that could never be met.
        const std::string_view named = *goal;
        if ((named == "D1" && *target < 0) || (named == "tr5" && *target <= 0))
            return problem(name, value,
                           "la cible «\u00a0" + parts[1] + "\u00a0» ne peut pas être atteinte, " + *goal +
                               (named == "D1" ? " n'étant jamais négatif" : " étant toujours positif"),
                           accepts.c_str());
        std::optional<double> tolerance = 0.0;
        if (parts.size() == 3) {
            tolerance = ParseDecimal(parts[2]);
            if (!tolerance || *tolerance <= 0)
                return problem(name, value, "la tolérance «\u00a0" + parts[2] + "\u00a0» n'est pas un nombre positif",
                               accepts.c_str());
        }
        if (settings.exercise.kind == Exercise::Kind::Question)
            return problem(name, value, "le lien pose déjà une question", "un seul exercice par lien");
        settings.exercise.kind = Exercise::Kind::Goal;
        settings.exercise.name = *goal;
        settings.exercise.target = *target == 0 ? 0.0 : *target;
        settings.exercise.tolerance = *tolerance;
        return std::nullopt;
    }
    if (name == "question") {
        const auto asked = std::find_if(std::begin(questionNames), std::end(questionNames),
                                        [&](const char* q) { return sameName(value, q); });
        if (asked == std::end(questionNames))
            return problem(name, value, "question inconnue", listed(questionNames, std::size(questionNames), " ou ").c_str());
        if (settings.exercise.kind == Exercise::Kind::Goal)
            return problem(name, value, "le lien fixe déjà un objectif", "un seul exercice par lien");
        settings.exercise.kind = Exercise::Kind::Question;
        settings.exercise.name = *asked;
        return std::nullopt;
    }
    if (name == "fixe") {
        std::vector<std::string> fixed;
        for (const std::string& part : split(value, ',')) {
            const std::string wanted = trimmed(part);
            if (wanted.empty())
                continue;
            const auto known = std::find_if(names.begin(), names.end(), [&](const std::string& n) {
                return sameName(n, wanted);
            });
            if (known == names.end() || *known == "preset" || *known == "exercice" || *known == "question" ||
                *known == "fixe")
                return problem(name, value, "«\u00a0" + wanted + "\u00a0» n'est pas un réglage",
                               "des noms de réglages séparés par des virgules, comme regulateur,Ti");
            fixed.push_back(*known);
        }
        // In the settings' order, once each.
        std::vector<std::string> ordered;
        for (const std::string& n : names)
            if (std::find(fixed.begin(), fixed.end(), n) != fixed.end())
                ordered.push_back(n);
        settings.exercise.fixed = ordered;
        return std::nullopt;
    }
    if (name == "antisaturation") {
        if (value == "0" || value == "1") {
            settings.antiWindup = value == "1";
            return std::nullopt;
        }
        return problem(name, value, "valeur inconnue", "1 (avec) ou 0 (sans)");
    }
    for (const NumberSetting& number : NumberSettings()) {
        if (name != number.name)
            continue;
        const std::optional<double> read = ParseDecimal(value);
        if (!read)
            return problem(name, value, "ce n'est pas un nombre", number.accepts);
        const double x = *read;
        const bool off = number.zeroOff && x == 0;
        const bool inside = x <= number.high && x >= number.low;
        if (!off && !inside)
            return problem(name, value, "hors des limites", number.accepts);
        settings.*number.field = x == 0 ? 0.0 : x;  // never -0
        return std::nullopt;
    }
    return std::nullopt;
}

struct Pair {
    std::string name;  // as the settings spell it, or as the link did if unknown
    std::string value;
    bool known;
};

std::vector<Pair> pairs(const std::string& link)
{
    std::string text = link;
    const auto question = text.rfind('?');
    if (question != std::string::npos)
        text = text.substr(question + 1);
    std::vector<Pair> out;
    std::size_t from = 0;
    while (from <= text.size()) {
        std::size_t end = text.find('&', from);
        if (end == std::string::npos)
            end = text.size();
        const std::string part = text.substr(from, end - from);
        from = end + 1;
        if (trimmed(part).empty())
            continue;
        const auto equals = part.find('=');
        const std::string name = trimmed(decoded(part.substr(0, equals)));
        const std::string value = equals == std::string::npos ? std::string() : trimmed(decoded(part.substr(equals + 1)));
        const auto known = std::find_if(names.begin(), names.end(), [&](const std::string& n) { return sameName(n, name); });
        out.push_back({known != names.end() ? *known : name, value, known != names.end()});
    }
    return out;
}

const char* word(const char* const* words, int index)
{
    return words[index];
}

}  // namespace

bool Settings::operator==(const Settings& other) const
{
    return controller == other.controller && K == other.K && Ti == other.Ti && Td == other.Td && N == other.N &&
           antiWindup == other.antiWindup && input == other.input && amplitude == other.amplitude &&
           slope == other.slope && wind == other.wind && windStart == other.windStart &&
           windLength == other.windLength && limit == other.limit && length == other.length && preset == other.preset &&
           exercise == other.exercise;
}

const std::vector<NumberSetting>& NumberSettings()
{
    static const std::vector<NumberSetting> table = {
        // Below 0.001 the loop's slow pole rounds to 0 and reads as unstable.
        {"K", &Settings::K, 0.001, 1e6, false, "un nombre de 0,001 à 1 000 000"},
        {"Ti", &Settings::Ti, 0.01, 1000, true, "0 (sans action intégrale) ou une durée de 0,01 à 1 000 s"},
        {"Td", &Settings::Td, 0.01, 100, true, "0 (sans action dérivée) ou une durée de 0,01 à 100 s"},
        {"N", &Settings::N, 1, 50, false, "un nombre de 1 à 50"},
        {"amplitude", &Settings::amplitude, -180, 180, false, "un angle de -180 à 180 degrés"},
        {"pente", &Settings::slope, -100, 100, false, "une pente de -100 à 100 degrés par seconde"},
        {"vent", &Settings::wind, -100, 100, false, "un couple de -100 à 100 N·m (0 : sans vent)"},
        {"debutVent", &Settings::windStart, 0, 120, false, "un instant de 0 à 120 s"},
        {"dureeVent", &Settings::windLength, 0, 120, false, "une durée de 0 (jusqu'à la fin) à 120 s"},
        {"saturation", &Settings::limit, 0, 1000, false, "une tension de 0 (sans limite) à 1 000 V"},
        {"duree", &Settings::length, 1, 120, false, "une durée de 1 à 120 s"},
    };
    return table;
}

std::vector<std::string> GoalNames()
{
    return {std::begin(goalNames), std::end(goalNames)};
}

const std::vector<std::string>& SettingNames()
{
    return names;
}

const std::vector<Preset>& Presets()
{
    static const std::vector<Preset> presets = {
        {"aperiodique", "Apériodique",
         "Un gain faible : l'antenne rejoint la consigne sans la dépasser, lentement.",
         "regulateur=P&K=10&entree=echelon&amplitude=30&duree=10"},
        {"oscillatoire", "Oscillatoire amortie",
         "Un gain vingt fois plus fort : la réponse est plus rapide, mais dépasse la consigne et oscille "
         "avant de se stabiliser.",
         "regulateur=P&K=200&entree=echelon&amplitude=30&duree=10"},
        {"instabilite", "Instabilité",
         "Au-delà du gain critique, les oscillations grandissent ; la limite du hacheur les borne en une "
         "oscillation entretenue.",
         "regulateur=P&K=3000&entree=echelon&amplitude=30&duree=10"},
        {"rampe", "Rampe",
         "La consigne croît régulièrement : avec un régulateur P, l'antenne la suit avec un retard constant, "
         "l'erreur de traînage.",
         "regulateur=P&K=64.2&entree=rampe&pente=10&duree=20"},
        {"perturbation", "Perturbation (P)",
         "Une rafale de vent écarte l'antenne ; le régulateur P la ramène, mais il reste une erreur.",
         "regulateur=P&K=64.2&entree=echelon&amplitude=0&vent=1&debutVent=2&dureeVent=0&duree=20"},
        {"perturbationPI", "Perturbation (PI)",
         "La même rafale avec un régulateur PI : l'action intégrale ramène l'antenne exactement sur la "
         "consigne.",
         "regulateur=PI&K=64.2&Ti=4&entree=echelon&amplitude=0&vent=1&debutVent=2&dureeVent=0&duree=20"},
    };
    return presets;
}

Parsed ParseSettings(const std::string& link)
{
    Parsed parsed;
    const std::vector<Pair> all = pairs(link);
    // The preset first, from the defaults; then every other pair in turn.
    for (const Pair& pair : all) {
        if (!pair.known || pair.name != "preset")
            continue;
        const auto& presets = Presets();
        const auto preset = std::find_if(presets.begin(), presets.end(),
                                         [&](const Preset& p) { return sameName(pair.value, p.name); });
        if (preset == presets.end()) {
            std::string known;
            for (const Preset& p : presets)
                known += (known.empty() ? "" : ", ") + std::string(p.name);
            parsed.problems.push_back(problem(pair.name, pair.value, "préréglage inconnu", known.c_str()));
            continue;
        }
        parsed.problems.erase(std::remove_if(parsed.problems.begin(), parsed.problems.end(),
                                             [](const Problem& p) { return p.name == "preset"; }),
                              parsed.problems.end());
        parsed.settings = ParseSettings(preset->link).settings;
        parsed.settings.preset = preset->name;
    }
    const Settings base = parsed.settings;
    for (const Pair& pair : all) {
        if (!pair.known) {
            // A pair with no name is named by what it holds.
            const std::string named = pair.name.empty() ? "=" + pair.value : pair.name;
            if (std::find(parsed.ignored.begin(), parsed.ignored.end(), named) == parsed.ignored.end())
                parsed.ignored.push_back(named);
            continue;
        }
        if (pair.name == "preset")
            continue;
        // A later good value mends an earlier bad one; a later bad one
        // brings back the value before the link.
        parsed.problems.erase(std::remove_if(parsed.problems.begin(), parsed.problems.end(),
                                             [&](const Problem& p) { return p.name == pair.name; }),
                              parsed.problems.end());
        if (std::optional<Problem> bad = apply(parsed.settings, pair.name, pair.value)) {
            Settings restored = parsed.settings;
            if (pair.name == "exercice" || pair.name == "question") {
                const std::vector<std::string> fixed = restored.exercise.fixed;
                restored.exercise = base.exercise;
                restored.exercise.fixed = fixed;
            } else {
                apply(restored, pair.name, LinkValue(base, pair.name));
            }
            parsed.settings = restored;
            parsed.problems.push_back(*bad);
        }
    }
    return parsed;
}

std::string LinkValue(const Settings& settings, const std::string& name)
{
    if (name == "regulateur")
        return word(controllerWords, static_cast<int>(settings.controller));
    if (name == "entree")
        return word(inputWords, static_cast<int>(settings.input));
    if (name == "antisaturation")
        return word(switchWords, settings.antiWindup ? 1 : 0);
    if (name == "preset")
        return settings.preset;
    const Exercise& e = settings.exercise;
    if (name == "exercice") {
        if (e.kind != Exercise::Kind::Goal)
            return {};
        return e.name + ":" + FormatShortest(e.target, '.') +
               (e.tolerance > 0 ? ":" + FormatShortest(e.tolerance, '.') : std::string());
    }
    if (name == "question")
        return e.kind == Exercise::Kind::Question ? e.name : std::string();
    if (name == "fixe") {
        std::string joined;
        for (const std::string& n : e.fixed)
            joined += (joined.empty() ? "" : ",") + n;
        return joined;
    }
    for (const NumberSetting& number : NumberSettings())
        if (name == number.name)
            return FormatShortest(settings.*number.field, '.');
    return {};
}

std::string LinkString(const Settings& settings)
{
    std::string link;
    for (const std::string& name : names) {
        const std::string value = LinkValue(settings, name);
        if (value.empty())
            continue;  // no preset, no exercise
        if (!link.empty())
            link += '&';
        link += name;
        link += '=';
        link += value;
    }
    return link;
}

std::string FileStem(const Settings& settings)
{
    std::string stem;
    if (settings.controller != Controller::P)
        stem += std::string(word(controllerWords, static_cast<int>(settings.controller))) + "-";
    stem += "K" + FormatShortest(settings.K, ',');
    if (settings.hasIntegral())
        stem += "-Ti" + FormatShortest(settings.Ti, ',');
    if (settings.hasDerivative())
        stem += "-Td" + FormatShortest(settings.Td, ',');
    if (settings.input == Input::Ramp)
        stem += "-rampe";
    if (settings.wind != 0)
        stem += "-vent" + FormatShortest(settings.wind, ',');
    return stem;
}

}  // namespace labo
