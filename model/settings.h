#pragma once

#include <string>
#include <vector>

namespace labo {

// The corrector: P, PI, PID, or a phase lead or lag K (1 + a tau s) / (1 + tau s).
enum class Controller { P, PI, PID, Lead, Lag };
enum class Input { Step, Ramp, Sine };
// How a sampled corrector is worked out from the continuous one.
enum class Discretization { Euler, Tustin };

// An exercise a teacher's link sets: a goal to tune the loop for
// ("exercice=D1:25"), or a figure to predict ("question=Kcrit"); and the
// controls it holds ("fixe=regulateur,Ti").
struct Exercise {
    enum class Kind { None, Goal, Question };
    Kind kind = Kind::None;
    std::string name;        // D1, tr5, traine, vent, MP, MG; or Kcrit, wcrit, D1, tr5, traine, vent
    double target = 0;       // a goal's value
    double tolerance = 0;    // a goal's tolerance, as the link gives it; 0: the default
    std::vector<std::string> fixed;  // settings' names, in the link's order of settings

    bool operator==(const Exercise& other) const
    {
        return kind == other.kind && name == other.name && target == other.target && tolerance == other.tolerance &&
               fixed == other.fixed;
    }
};

// One set-up of the laboratory, in the units the student sees: seconds,
// degrees, volts, newton-metres. A link's string holds it as
// "regulateur=PI&K=64.2&Ti=2&...".
struct Settings {
    Controller controller = Controller::P;
    double K = 10;    // proportional gain, on the error voltage
    double Ti = 0;    // s, integral time; 0 = no integral action
    double Td = 0;    // s, derivative time; 0 = no derivative action
    double N = 10;    // the derivative's filter: Td s / (1 + Td s / N)
    // A phase lead's or lag's ratio and time constant (s); 0: the
    // corrector's own default, which reading a link puts in.
    double a = 0;
    double tau = 0;
    bool antiWindup = true;
    double Te = 0;    // s, the sampled corrector's period; 0 = a continuous corrector
    Discretization discretization = Discretization::Euler;
    double delay = 0;       // s, from the corrector's output to the chopper; 0 = none
    Input input = Input::Step;
    double amplitude = 30;  // degrees, the step, or the sine's amplitude
    double slope = 10;      // degrees per second, the ramp
    double pulsation = 1;   // rad/s, the sine's
    double wind = 0;        // N m on the dish's axis; 0 = no wind
    double windStart = 5;   // s
    double windLength = 0;  // s; 0 = to the end of the run
    double friction = 0;    // N m, dry friction on the dish's axis; 0 = none
    double backlash = 0;    // degrees, the gearbox's play at the dish; 0 = none
    double resolution = 0;  // degrees, the sensor's step; 0 = an exact sensor
    double limit = 100;     // V, the chopper's input limit Umax; 0 = no limit
    double length = 10;     // s, the run
    std::string preset;     // the preset it started from, or empty
    Exercise exercise;

    // The actions the controller really has: PI and PID without Ti, PID
    // without Td, lose them.
    bool hasIntegral() const { return (controller == Controller::PI || controller == Controller::PID) && Ti > 0; }
    bool hasDerivative() const { return controller == Controller::PID && Td > 0; }
    bool leadOrLag() const { return controller == Controller::Lead || controller == Controller::Lag; }
    bool limited() const { return limit > 0; }
    bool operator==(const Settings& other) const;
};

// A value of a link that cannot be used: the setting keeps its default.
struct Problem {
    std::string name;     // the setting, as the link spells it ("K")
    std::string value;    // what the link gave, decoded
    std::string message;  // in French, naming the setting and what it accepts
};

struct Parsed {
    Settings settings;
    std::vector<Problem> problems;
    std::vector<std::string> ignored;  // names that are no setting
};

// Reads a link's string: "name=value" pairs joined by '&', percent-encoded
// or not, with a decimal point or a decimal comma. Anything up to a '?' is
// left out, so that a whole address can be given. Names are matched without
// regard to case; a repeated name keeps its last value; a preset applies
// first, wherever it stands, and the other names change it.
Parsed ParseSettings(const std::string& link);

// The link's string of a set-up, every setting that counts for it written
// (see SettingInfo::terse), numbers with a decimal point, shortest first:
// ParseSettings gives the same set-up back.
std::string LinkString(const Settings& settings);

// One setting's value as LinkString writes it ("64.2", "PI", "rampe").
std::string LinkValue(const Settings& settings, const std::string& name);

// A set-up's short name for a file: "K64,2", "PI-K64,2-Ti2", ...
std::string FileStem(const Settings& settings);

// Applies `pairs` ("K=200", "preset=rampe", "exercice=D1:25&fixe=K"), as a
// student's change on the page, to a set-up `base`: the pairs read as a
// link's, over the base rather than the defaults. A preset replaces the
// set-up and keeps its exercise; any other change forgets the preset. A
// corrector chosen brings in the values that show its actions, where they
// were off. An exercise's pairs replace the base's exercise, and forget the
// preset. What the exercise holds fixed does not change: a pair that would
// change it, or a preset that would, is refused with a problem.
Parsed Edit(const Settings& base, const std::string& pairs);

}  // namespace labo
