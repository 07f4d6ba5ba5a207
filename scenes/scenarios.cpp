#include "scenes/scenarios.h"

#include "app/antenne.h"
#include "app/prepare_scenario.h"
#include "app/state.h"
#include "scenes/scenes.h"

#include <QString>

const std::array<Scenario, 6> Scenarios = {{
    {"presentation", &Ui::TANTENNE::Button1, &TAntenne::Button1Click, "Présentation", 700, 65,
     1, 2, 0, 0, false, false, nullptr, PresentationFrame},
    {"aperiodique", &Ui::TANTENNE::Button2, &TAntenne::Button2Click, "Réponse indicielle apériodique", 600, 65,
     10, 50, 30, 0, true, false, nullptr, AperiodicFrame},
    {"oscillatoire", &Ui::TANTENNE::Button3, &TAntenne::Button3Click, "Réponse ind. oscillatoire amortie", 600, 62,
     60, 120, 90, 0, true, false, nullptr, DampedFrame},
    {"instabilite", &Ui::TANTENNE::Button4, &TAntenne::Button4Click, "Instabilité oscillatoire", 660, 65,
     130, 170, 150, 0, true, false, nullptr, UnstableFrame},
    {"rampe", &Ui::TANTENNE::Button5, &TAntenne::Button5Click, "Réponse à une rampe", 660, 65,
     180, 310, 280, 0, true, true, RampBeforeIncrement, RampFrame},
    {"perturbation", &Ui::TANTENNE::Button6, &TAntenne::Button6Click, "Perturbation", 700, 65,
     320, 510, 450, 360, true, false, nullptr, WindFrame},
}};

void StepAnimation()
{
    for (const Scenario& scenario : Scenarios) {
        if (scenario.start <= Compteur && Compteur < scenario.end) {
            if (scenario.beforeIncrement)
                scenario.beforeIncrement(scenario);
            ++Compteur;
            scenario.frame(scenario, Compteur);
        }
    }
}

void StartScenario(const Scenario& scenario)
{
    PreparerScenario(QString::fromUtf8(scenario.title), scenario.titleX, scenario.diagramY);
    Compteur = scenario.start;
    if (scenario.resetsAngle)
        Angle = 0.0f;
    if (scenario.resetsRamp)
        SortieRampe = 0.0f;
}
