#include "app/scenario_buttons.h"

#include "app/prepare_scenario.h"
#include "app/state.h"

const std::array<ScenarioButton, 6> ScenarioButtons = {{
    {"Présentation", 700, 65, 1, false, false},
    {"Réponse indicielle apériodique", 600, 65, 10, true, false},
    {"Réponse ind. oscillatoire amortie", 600, 62, 60, true, false},
    {"Instabilité oscillatoire", 660, 65, 130, true, false},
    {"Réponse à une rampe", 660, 65, 180, true, true},
    {"Perturbation", 700, 65, 320, true, false},
}};

void StartScenario(const ScenarioButton& row)
{
    PreparerScenario(QString::fromUtf8(row.title), row.titleX, row.diagramY);
    Compteur = row.start;
    if (row.resetsAngle)
        Angle = 0.0f;
    if (row.resetsRamp)
        SortieRampe = 0.0f;
}
