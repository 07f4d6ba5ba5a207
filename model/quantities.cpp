#include "model/quantities.h"

#include "model/figures.h"
#include "model/french.h"

#include <algorithm>
#include <cctype>

namespace labo {
namespace {

const std::vector<Quantity> table = {
    // The run's figures.
    {"D1", "Dépassement D1", "%", 1, "le dépassement D1", true, "le dépassement D1 de la réponse à l'échelon", false,
     Reveals::Run, &Figures::overshoot},
    {"tpic", "Instant du premier maximum", "s", 2, "l'instant du premier maximum", false, nullptr, false, Reveals::Run,
     &Figures::peakTime},
    {"tr5", "Temps de réponse à 5 %", "s", 2, "le temps de réponse à 5 %", true,
     "le temps de réponse à 5 % de la réponse à l'échelon", false, Reveals::Run, &Figures::settlingTime},
    {"statique", "Erreur statique", "°", 2, "l'erreur statique", false, nullptr, false, Reveals::Run,
     &Figures::staticError},
    {"traine", "Erreur de traînage", "°", 2, "l'erreur de traînage (en valeur absolue)", true,
     "l'erreur de traînage (en valeur absolue) quand la rampe est établie", true, Reveals::Run, &Figures::rampLag},
    {"ecartVent", "Écart maximal dû au vent", "°", 2, "l'écart maximal dû au vent", false, nullptr, false,
     Reveals::Run, &Figures::windDeparture},
    {"vent", "Erreur due au vent", "°", 2, "l'erreur due au vent (en valeur absolue)", true,
     "l'erreur due au vent (en valeur absolue) quand l'antenne est au repos sous la rafale", true, Reveals::Run,
     &Figures::windError},
    {"rapport", "Rapport d'amplitudes", "", 3, "le rapport d'amplitudes", false, nullptr, false, Reveals::Run,
     &Figures::amplitudeRatio},
    {"dephasage", "Déphasage", "°", 1, "le déphasage", false, nullptr, false, Reveals::Run, &Figures::phaseShift},
    // The linear analysis's.
    {"MP", "Marge de phase", "°", 1, "la marge de phase", true, nullptr, false, Reveals::Stability, nullptr},
    {"MG", "Marge de gain", "dB", 1, "la marge de gain", true, nullptr, false, Reveals::Stability, nullptr},
    {"Kcrit", "Gain critique Kcrit", "", 1, "le gain critique Kcrit", false,
     "le gain critique Kcrit, au-delà duquel la boucle devient instable (avec les Ti, Td et N de ce réglage)", false,
     Reveals::Stability, nullptr},
    {"wcrit", "Pulsation critique ωcrit", "rad/s", 2, "la pulsation critique ωcrit", false,
     "la pulsation ωcrit des oscillations au gain critique", false, Reveals::Stability, nullptr},
    // The closed loop's frequency response, and the lead's phase.
    {"MM", "Marge de module", "", 3, "la marge de module", true, nullptr, false, Reveals::Stability, nullptr},
    {"Q", "Facteur de résonance", "dB", 2, "le facteur de résonance Q", true,
     "le facteur de résonance Q de la boucle fermée (0 dB sans résonance)", false, Reveals::Stability, nullptr},
    {"BP", "Bande passante à −3 dB", "rad/s", 2, "la bande passante à −3 dB", true,
     "la bande passante à −3 dB de la boucle fermée", false, Reveals::Stability, nullptr},
    {"phimax", "Avance de phase maximale", "°", 1, "l'avance de phase maximale φmax", false,
     "l'avance de phase maximale φmax qu'apporte le correcteur", false, Reveals::Stability, nullptr},
};

std::vector<const Quantity*> chosen(bool (*wanted)(const Quantity&))
{
    std::vector<const Quantity*> list;
    for (const Quantity& q : table)
        if (wanted(q))
            list.push_back(&q);
    return list;
}

std::string joined(const std::vector<const Quantity*>& list, const char* last)
{
    std::string text;
    for (std::size_t i = 0; i < list.size(); ++i)
        text += std::string(i == 0 ? "" : (i + 1 == list.size() ? last : ", ")) + list[i]->key;
    return text;
}

}  // namespace

std::string Quantity::written(double value) const
{
    return withUnit(French(value, decimals));
}

std::string Quantity::withUnit(const std::string& number) const
{
    const std::string u = unit;
    if (u.empty())
        return number;
    return u == "°" ? number + "°" : number + " " + u;
}

std::string Quantity::nameWithUnit() const
{
    return std::string(unit).empty() ? name : std::string(name) + " (" + unit + ")";
}

const std::vector<Quantity>& Quantities()
{
    return table;
}

const std::vector<Quantity>& FigureTable()
{
    static const std::vector<Quantity> figures = [] {
        std::vector<Quantity> run;
        std::copy_if(table.begin(), table.end(), std::back_inserter(run), [](const Quantity& q) {
            return q.figure != nullptr;
        });
        return run;
    }();
    return figures;
}

const Quantity* FindQuantity(const std::string& key)
{
    const auto same = [&](const Quantity& q) {
        const std::string k = q.key;
        return k.size() == key.size() && std::equal(k.begin(), k.end(), key.begin(), [](char a, char b) {
                   return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
               });
    };
    const auto found = std::find_if(table.begin(), table.end(), same);
    return found == table.end() ? nullptr : &*found;
}

std::vector<const Quantity*> Goals()
{
    return chosen([](const Quantity& q) { return q.goal; });
}

// The questions on the analysis first: the critical gain is the classic.
std::vector<const Quantity*> Questions()
{
    std::vector<const Quantity*> list = chosen([](const Quantity& q) { return q.prediction != nullptr; });
    std::stable_partition(list.begin(), list.end(), [](const Quantity* q) { return q->figure == nullptr; });
    return list;
}

std::string GoalKeys(const char* last)
{
    return joined(Goals(), last);
}

std::string QuestionKeys(const char* last)
{
    return joined(Questions(), last);
}

std::string FigureText(const Figure& figure, const Quantity& quantity)
{
    const std::string note = figure.note.empty() ? "" : " " + figure.note;
    switch (figure.state) {
    case Figure::State::Value:
        return quantity.written(figure.value) + note;
    case Figure::State::NotReached:
        return "non atteint : " + figure.reason + note;
    case Figure::State::NotApplicable:
        break;
    }
    return "sans objet : " + figure.reason + note;
}

}  // namespace labo
