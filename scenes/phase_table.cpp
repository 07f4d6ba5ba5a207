#include "scenes/phase_table.h"

#include "app/state.h"
#include "scenes/scenes.h"

const std::array<Phase, 6> PhaseTable = {{
    {1, 2, nullptr, PresentationFrame},
    {10, 50, nullptr, AperiodicFrame},
    {60, 120, nullptr, DampedFrame},
    {130, 170, nullptr, UnstableFrame},
    {180, 310, RampBeforeIncrement, RampFrame},
    {320, 510, nullptr, WindFrame},
}};

void StepAnimation()
{
    for (const Phase& phase : PhaseTable) {
        if (phase.start <= Compteur && Compteur < phase.end) {
            if (phase.beforeIncrement)
                phase.beforeIncrement();
            ++Compteur;
            phase.frame(Compteur);
        }
    }
}
