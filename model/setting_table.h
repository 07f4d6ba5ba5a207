#pragma once

#include "model/settings.h"

#include <string>
#include <vector>

// Every setting of the laboratory, declared once: how a link names and
// writes it, what it accepts, how the page shows it (its label, group,
// slider and which correctors use it), what the command line's help says
// of it, and what a change of it asks to work out again. The link's
// reader and writer, the page's controls, the exercise form, the command
// line's help and manual page and their messages are all built from it.
namespace labo {

// What a change of a setting asks to work out again.
enum Affects : unsigned {
    AffectsNothing = 0,
    AffectsRun = 1,       // the run and its figures
    AffectsAnalysis = 2,  // the linear analysis and the frequency views
    AffectsLocus = 4,     // the root locus, which does not depend on K
};

// A slider beside a number's field: from `low` to `high`, on a
// logarithmic scale or not; none when `low` == `high`.
struct Slider {
    double low = 0;
    double high = 0;
    bool logarithmic = false;
    bool exists() const { return low < high; }
};

// One of a choice's values: the word a link writes, and its label.
struct Choice {
    const char* word;   // "echelon"
    const char* label;  // "Échelon"
};

struct SettingInfo {
    enum class Kind { Number, Choice, Switch, Preset, Exercise };
    const char* name;         // in links: "K"
    Kind kind;
    const char* label;        // its control's label, in French, without the unit: "Gain K", "Ti"
    const char* listed;       // its name in a list of settings: "Début du vent"
    const char* described;    // for screen readers: "Temps intégral Ti"
    const char* english;      // the command line's description: "the integral time"
    const char* group;        // the group of controls it stands in: "Régulateur"; "" for none
    const char* help;         // its control's tooltip, or ""
    unsigned affects;         // Affects
    // Whether the set-up uses it (the page holds the control of one it
    // does not); null: always.
    bool (*used)(const Settings&) = nullptr;
    // Written in a link only where it counts, when the set-up uses it and
    // it is not off, rather than always: so that a link that leaves it out
    // reads the same as before the setting existed.
    bool terse = false;

    // Numbers: accepted from `low` to `high`, and 0 too when `off` says what
    // 0 means ("sans action intégrale").
    double Settings::*number = nullptr;
    double low = 0;
    double high = 0;
    const char* unit = "";        // "s", "°", "°/s", "N·m", "V", "rad/s", or ""
    const char* noun = "";        // what it is, in the message of a bad value: "une durée"
    const char* off = nullptr;    // what 0 means, in French, if it means something
    const char* offEnglish = nullptr;
    Slider slider;
    // The value it takes, when it is 0 (off), once a corrector that uses it
    // is chosen: an action chosen shows, rather than starting off.
    double startsAt = 0;
    // A phase lead's and a phase lag's own defaults, for their a and tau,
    // which a set-up takes where they are 0.
    double leadDefault = 0;
    double lagDefault = 0;

    // Choices and switches: the words a link writes, by the index the
    // set-up holds.
    std::vector<Choice> choices;
    int (*get)(const Settings&) = nullptr;
    void (*set)(Settings&, int) = nullptr;
    const char* choicesEnglish = "";  // "P, PI or PID"
    const char* unknown = "valeur inconnue";  // what a word it does not know is: "régulateur inconnu"

    // What a link may give, in French: "0 (sans action intégrale) ou une
    // durée de 0,01 à 1000 s".
    std::string accepts() const;
    // The same in English, for the command line's help: "0 (no integral
    // action) or 0.01 to 1000 s".
    std::string acceptsEnglish() const;
    // Its label with its unit, as the page's control shows it: "Ti (s)".
    std::string labelWithUnit() const;
    bool isUsed(const Settings& settings) const { return used == nullptr || used(settings); }
    // Whether LinkString writes it for this set-up.
    bool written(const Settings& settings) const;
};

// In the order links write them.
const std::vector<SettingInfo>& SettingTable();

// The row of a name, as links spell it (case counts); null for none.
const SettingInfo* FindSetting(const std::string& name);

// What differs between two set-ups asks to work out again: Affects.
unsigned ChangesBetween(const Settings& before, const Settings& after);

}  // namespace labo
