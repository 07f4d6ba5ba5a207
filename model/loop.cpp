#include "model/loop.h"

#include "model/plant.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace labo {

// A lead or lag K (1 + a tau s) / (1 + tau s) = K (1 + (a - 1) tau s / (1 + tau s))
// has the filtered derivative's form, with a - 1 in place of N and tau in
// place of Td / N: it runs on the same filter state.
Loop::Loop(const Settings& settings)
    : settings_(settings),
      Ti_(settings.hasIntegral() ? settings.Ti : 0),
      gainD_(settings.hasDerivative() ? settings.N : (settings.leadOrLag() ? settings.a - 1 : 0)),
      filterRate_(settings.hasDerivative() ? settings.N / settings.Td : (settings.leadOrLag() ? 1 / settings.tau : 0))
{
}

double Loop::setPoint(double t) const
{
    if (t < 0)
        return 0;
    if (settings_.input == Input::Sine)
        return settings_.amplitude * std::sin(settings_.pulsation * t) / plant::DegreesPerRadian;
    const double degrees = settings_.input == Input::Step ? settings_.amplitude : settings_.slope * t;
    return degrees / plant::DegreesPerRadian;
}

double Loop::gustStart() const
{
    return settings_.windStart;
}

double Loop::gustEnd() const
{
    return settings_.windLength > 0 ? settings_.windStart + settings_.windLength
                                    : std::numeric_limits<double>::infinity();
}

bool Loop::gustInRun() const
{
    return settings_.wind != 0 && settings_.windStart < settings_.length;
}

double Loop::windTorque(double t) const
{
    return settings_.wind != 0 && t >= gustStart() && t < gustEnd() ? settings_.wind : 0;
}

double Loop::command(const State& x, double setPoint) const
{
    const double Ve = plant::Kpot * (setPoint - x.theta);
    double u = Ve + gainD_ * (Ve - x.filter);
    if (Ti_ > 0)
        u += x.integral / Ti_;
    return settings_.K * u;
}

bool Loop::saturated(double command) const
{
    return settings_.limited() && (command > settings_.limit || command < -settings_.limit);
}

State Loop::derivative(const State& x, double setPoint, double windTorque) const
{
    using namespace plant;
    const double Ve = Kpot * (setPoint - x.theta);
    const double u = command(x, setPoint);
    const double limited = settings_.limited() ? std::clamp(u, -settings_.limit, settings_.limit) : u;
    State dx;
    dx.Ea = a * (limited - x.Ea);
    const double current = (x.Ea - Kb * x.wm) / Ra;
    dx.wm = (Kt * current - Dm * x.wm + Kg * windTorque) / Jm;
    dx.theta = Kg * x.wm;
    if (Ti_ > 0) {
        const bool drivenFurther = (u > settings_.limit && Ve > 0) || (u < -settings_.limit && Ve < 0);
        dx.integral = settings_.antiWindup && saturated(u) && drivenFurther ? 0 : Ve;
    }
    if (gainD_ != 0)
        dx.filter = filterRate_ * (Ve - x.filter);
    return dx;
}

}  // namespace labo
