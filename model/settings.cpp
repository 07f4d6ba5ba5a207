#include "model/settings.h"

#include "model/decimal.h"
#include "model/presets.h"
#include "model/quantities.h"
#include "model/setting_table.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string_view>

namespace labo {
namespace {

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

// The row of a name as a link may spell it, without regard to case.
const SettingInfo* named(const std::string& name)
{
    const auto& table = SettingTable();
    const auto found = std::find_if(table.begin(), table.end(), [&](const SettingInfo& s) { return sameName(s.name, name); });
    return found == table.end() ? nullptr : &*found;
}

bool holds(const Settings& settings, const std::string& name)
{
    const std::vector<std::string>& fixed = settings.exercise.fixed;
    return std::find(fixed.begin(), fixed.end(), name) != fixed.end();
}

std::optional<Problem> applyGoal(Settings& settings, const std::string& name, const std::string& value)
{
    const std::string accepts = FindSetting(name)->accepts();
    const std::vector<std::string> parts = split(value, ':');
    const Quantity* goal = FindQuantity(parts[0]);
    if (parts.size() < 2 || parts.size() > 3)
        return problem(name, value, "il faut un nom et une cible", accepts.c_str());
    if (goal == nullptr || !goal->goal)
        return problem(name, value, "«\u00a0" + parts[0] + "\u00a0» n'est pas une grandeur d'exercice", accepts.c_str());
    const std::optional<double> target = ParseTypedDecimal(parts[1]);
    if (!target)
        return problem(name, value, "la cible «\u00a0" + parts[1] + "\u00a0» n'est pas un nombre", accepts.c_str());
    // An overshoot is never negative and a settling time is after 0: a
    // goal below that could never be met.
    const std::string_view key = goal->key;
    if ((key == "D1" && *target < 0) || (key == "tr5" && *target <= 0))
        return problem(name, value,
                       "la cible «\u00a0" + parts[1] + "\u00a0» ne peut pas être atteinte, " + goal->key +
                           (key == "D1" ? " n'étant jamais négatif" : " étant toujours positif"),
                       accepts.c_str());
    std::optional<double> tolerance = 0.0;
    if (parts.size() == 3) {
        tolerance = ParseTypedDecimal(parts[2]);
        if (!tolerance || *tolerance <= 0)
            return problem(name, value, "la tolérance «\u00a0" + parts[2] + "\u00a0» n'est pas un nombre positif",
                           accepts.c_str());
    }
    if (settings.exercise.kind == Exercise::Kind::Question)
        return problem(name, value, "le lien pose déjà une question", "un seul exercice par lien");
    settings.exercise.kind = Exercise::Kind::Goal;
    settings.exercise.name = goal->key;
    settings.exercise.target = *target == 0 ? 0.0 : *target;
    settings.exercise.tolerance = *tolerance;
    return std::nullopt;
}

std::optional<Problem> applyQuestion(Settings& settings, const std::string& name, const std::string& value)
{
    const Quantity* asked = FindQuantity(value);
    if (asked == nullptr || asked->prediction == nullptr)
        return problem(name, value, "question inconnue", FindSetting(name)->accepts().c_str());
    if (settings.exercise.kind == Exercise::Kind::Goal)
        return problem(name, value, "le lien fixe déjà un objectif", "un seul exercice par lien");
    settings.exercise.kind = Exercise::Kind::Question;
    settings.exercise.name = asked->key;
    return std::nullopt;
}

std::optional<Problem> applyFixed(Settings& settings, const std::string& name, const std::string& value)
{
    std::vector<std::string> fixed;
    for (const std::string& part : split(value, ',')) {
        const std::string wanted = trimmed(part);
        if (wanted.empty())
            continue;
        const SettingInfo* known = named(wanted);
        if (known == nullptr || known->kind == SettingInfo::Kind::Preset || known->kind == SettingInfo::Kind::Exercise)
            return problem(name, value, "«\u00a0" + wanted + "\u00a0» n'est pas un réglage",
                           FindSetting(name)->accepts().c_str());
        fixed.emplace_back(known->name);
    }
    // In the settings' order, once each.
    std::vector<std::string> ordered;
    for (const SettingInfo& s : SettingTable())
        if (std::find(fixed.begin(), fixed.end(), s.name) != fixed.end())
            ordered.emplace_back(s.name);
    settings.exercise.fixed = ordered;
    return std::nullopt;
}

std::optional<Problem> applyNumber(Settings& settings, const SettingInfo& row, const std::string& value)
{
    const std::optional<double> read = ParseTypedDecimal(value);
    const std::string accepts = row.accepts();
    if (!read)
        return problem(row.name, value, "ce n'est pas un nombre", accepts.c_str());
    const double x = *read;
    const bool off = row.off != nullptr && x == 0;
    const bool inside = x <= row.high && x >= row.low;
    if (!off && !inside)
        return problem(row.name, value, "hors des limites", accepts.c_str());
    settings.*row.number = x == 0 ? 0.0 : x;  // never -0
    return std::nullopt;
}

std::optional<Problem> applyChoice(Settings& settings, const SettingInfo& row, const std::string& value)
{
    for (std::size_t i = 0; i < row.choices.size(); ++i)
        if (sameName(withoutAccents(value), row.choices[i].word)) {
            row.set(settings, static_cast<int>(i));
            return std::nullopt;
        }
    return problem(row.name, value, row.unknown, row.accepts().c_str());
}

// Where a pair of the link goes: its problem if its value cannot be used.
// Presets are applied by the reader itself.
std::optional<Problem> apply(Settings& settings, const SettingInfo& row, const std::string& value)
{
    const std::string name = row.name;
    switch (row.kind) {
    case SettingInfo::Kind::Number:
        return applyNumber(settings, row, value);
    case SettingInfo::Kind::Choice:
    case SettingInfo::Kind::Switch:
        return applyChoice(settings, row, value);
    case SettingInfo::Kind::Exercise:
        if (name == "exercice")
            return applyGoal(settings, name, value);
        if (name == "question")
            return applyQuestion(settings, name, value);
        return applyFixed(settings, name, value);
    case SettingInfo::Kind::Preset:
        break;
    }
    return std::nullopt;
}

struct Pair {
    std::string name;  // as the settings spell it, or as the link did if unknown
    std::string value;
    const SettingInfo* known;  // its row, or null
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
        const SettingInfo* known = named(name);
        out.push_back({known != nullptr ? known->name : name, value, known});
    }
    return out;
}

const Preset* findPreset(const std::string& name)
{
    const auto& presets = Presets();
    const auto found = std::find_if(presets.begin(), presets.end(), [&](const Preset& p) { return sameName(name, p.name); });
    return found == presets.end() ? nullptr : &*found;
}

Problem unknownPreset(const std::string& value)
{
    return problem("preset", value, "préréglage inconnu", FindSetting("preset")->accepts().c_str());
}

// A name the link gives that is no setting, named by what it holds if it has no name.
void ignore(Parsed& parsed, const Pair& pair)
{
    const std::string named = pair.name.empty() ? "=" + pair.value : pair.name;
    if (std::find(parsed.ignored.begin(), parsed.ignored.end(), named) == parsed.ignored.end())
        parsed.ignored.push_back(named);
}

void forget(std::vector<Problem>& problems, const std::string& name)
{
    problems.erase(std::remove_if(problems.begin(), problems.end(), [&](const Problem& p) { return p.name == name; }),
                   problems.end());
}

// A lead's or lag's a on the wrong side of 1 is refused, naming the
// corrector, and a and tau left at 0 take the corrector's own defaults.
void settleCorrector(Parsed& parsed)
{
    Settings& s = parsed.settings;
    if (!s.leadOrLag())
        return;
    const bool lead = s.controller == Controller::Lead;
    if (s.a != 0 && (lead ? s.a <= 1 : s.a >= 1)) {
        forget(parsed.problems, "a");
        parsed.problems.push_back(problem("a", FormatShortest(s.a, '.'),
                                          lead ? "une avance de phase a un rapport a plus grand que 1"
                                               : "un retard de phase a un rapport a plus petit que 1",
                                          lead ? "pour une avance de phase, un nombre plus grand que 1, jusqu'à 100"
                                               : "pour un retard de phase, un nombre de 0,01 à 1 (exclu)"));
        s.a = 0;
    }
    for (const char* name : {"a", "tau"}) {
        const SettingInfo& row = *FindSetting(name);
        if (s.*row.number == 0)
            s.*row.number = lead ? row.leadDefault : row.lagDefault;
    }
}

}  // namespace

bool Settings::operator==(const Settings& other) const
{
    for (const SettingInfo& s : SettingTable()) {
        if (s.number != nullptr && this->*s.number != other.*s.number)
            return false;
        if (s.get != nullptr && s.get(*this) != s.get(other))
            return false;
    }
    return preset == other.preset && exercise == other.exercise;
}

Parsed ParseSettings(const std::string& link)
{
    Parsed parsed;
    const std::vector<Pair> all = pairs(link);
    // The preset first, from the defaults; then every other pair in turn.
    for (const Pair& pair : all) {
        if (pair.known == nullptr || pair.known->kind != SettingInfo::Kind::Preset)
            continue;
        forget(parsed.problems, "preset");
        const Preset* preset = findPreset(pair.value);
        if (preset == nullptr) {
            parsed.problems.push_back(unknownPreset(pair.value));
            continue;
        }
        parsed.settings = ParseSettings(preset->link).settings;
        parsed.settings.preset = preset->name;
    }
    const Settings base = parsed.settings;
    for (const Pair& pair : all) {
        if (pair.known == nullptr) {
            ignore(parsed, pair);
            continue;
        }
        if (pair.known->kind == SettingInfo::Kind::Preset)
            continue;
        // A later good value mends an earlier bad one; a later bad one
        // brings back the value before the link.
        forget(parsed.problems, pair.name);
        if (std::optional<Problem> bad = apply(parsed.settings, *pair.known, pair.value)) {
            Settings restored = parsed.settings;
            if (pair.name == "exercice" || pair.name == "question") {
                const std::vector<std::string> fixed = restored.exercise.fixed;
                restored.exercise = base.exercise;
                restored.exercise.fixed = fixed;
            } else {
                apply(restored, *pair.known, LinkValue(base, pair.name));
            }
            parsed.settings = restored;
            parsed.problems.push_back(*bad);
        }
    }
    settleCorrector(parsed);
    return parsed;
}

Parsed Edit(const Settings& base, const std::string& text)
{
    Parsed parsed;
    parsed.settings = base;
    bool exerciseGiven = false;
    for (const Pair& pair : pairs(text)) {
        if (pair.known == nullptr) {
            ignore(parsed, pair);
            continue;
        }
        const SettingInfo& row = *pair.known;
        Settings next = parsed.settings;
        if (row.kind == SettingInfo::Kind::Preset) {
            const Preset* preset = findPreset(pair.value);
            if (preset == nullptr) {
                parsed.problems.push_back(unknownPreset(pair.value));
                continue;
            }
            next = ParseSettings(preset->link).settings;
            next.preset = preset->name;
            next.exercise = parsed.settings.exercise;
            const auto clash = std::find_if(base.exercise.fixed.begin(), base.exercise.fixed.end(), [&](const std::string& n) {
                return LinkValue(next, n) != LinkValue(parsed.settings, n);
            });
            if (clash != base.exercise.fixed.end()) {
                parsed.problems.push_back(
                    {pair.name, pair.value, "Ce préréglage changerait " + *clash + ", que l'exercice fixe : il n'est pas pris."});
                continue;
            }
        } else if (row.kind == SettingInfo::Kind::Exercise) {
            // The exercise's pairs make a new exercise, on the set-up written
            // out in full rather than as the preset it came from.
            if (!exerciseGiven) {
                next.exercise = {};
                next.preset.clear();
            }
            exerciseGiven = true;
            if (std::optional<Problem> bad = apply(next, row, pair.value)) {
                parsed.problems.push_back(*bad);
                continue;
            }
        } else {
            if (holds(base, row.name)) {
                parsed.problems.push_back(
                    {pair.name, pair.value, std::string(row.name) + " est fixé par l'exercice : il ne change pas."});
                continue;
            }
            if (std::optional<Problem> bad = apply(next, row, pair.value)) {
                parsed.problems.push_back(*bad);
                continue;
            }
            next.preset.clear();
            // Another lead or lag starts from its own a and tau.
            if (next.controller != parsed.settings.controller)
                for (const SettingInfo& s : SettingTable())
                    if (s.leadDefault != 0 && !holds(base, s.name))
                        next.*s.number = 0;
            // A corrector chosen shows its actions: those it uses that are
            // off start from a value that shows them.
            if (row.kind == SettingInfo::Kind::Choice)
                for (const SettingInfo& s : SettingTable())
                    if (s.startsAt != 0 && next.*s.number == 0 && s.isUsed(next) && !holds(base, s.name))
                        next.*s.number = s.startsAt;
        }
        parsed.settings = next;
    }
    settleCorrector(parsed);
    return parsed;
}

std::string LinkValue(const Settings& settings, const std::string& name)
{
    const SettingInfo* row = FindSetting(name);
    if (row == nullptr)
        return {};
    if (row->number != nullptr)
        return FormatShortest(settings.*row->number, '.');
    if (row->get != nullptr)
        return row->choices[static_cast<std::size_t>(row->get(settings))].word;
    if (row->kind == SettingInfo::Kind::Preset)
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
    std::string joined;
    for (const std::string& n : e.fixed)
        joined += (joined.empty() ? "" : ",") + n;
    return joined;
}

std::string LinkString(const Settings& settings)
{
    std::string link;
    for (const SettingInfo& row : SettingTable()) {
        const std::string value = LinkValue(settings, row.name);
        if (value.empty() || !row.written(settings))
            continue;  // no preset, no exercise; a setting that does not count here
        if (!link.empty())
            link += '&';
        link += row.name;
        link += '=';
        link += value;
    }
    return link;
}

std::string FileStem(const Settings& settings)
{
    std::string stem;
    if (settings.controller != Controller::P)
        stem += LinkValue(settings, "regulateur") + "-";
    stem += "K" + FormatShortest(settings.K, ',');
    if (settings.hasIntegral())
        stem += "-Ti" + FormatShortest(settings.Ti, ',');
    if (settings.hasDerivative())
        stem += "-Td" + FormatShortest(settings.Td, ',');
    if (settings.leadOrLag())
        stem += "-a" + FormatShortest(settings.a, ',') + "-tau" + FormatShortest(settings.tau, ',');
    if (settings.input == Input::Ramp)
        stem += "-rampe";
    if (settings.input == Input::Sine)
        stem += "-sinus" + FormatShortest(settings.pulsation, ',');
    if (settings.wind != 0)
        stem += "-vent" + FormatShortest(settings.wind, ',');
    // The settings beyond the linear loop, when set.
    for (const char* name : {"Te", "retard", "frottement", "jeu", "capteur"})
        if (const double x = settings.*FindSetting(name)->number; x != 0)
            stem += std::string("-") + name + FormatShortest(x, ',');
    return stem;
}

}  // namespace labo
