#include "app/state.h"

#include "surface/tbitmap.h"

std::int32_t Compteur = 1;
float Angle = 0.0f;
std::int32_t PosRampe = 0;
std::int32_t ConsigneRampe = 0;
float SortieRampe = 0.0f;
std::unique_ptr<TBitmap> Schema;
TAntenne* Antenne = nullptr;

void ResetAnimationState()
{
    Compteur = 1;
    Angle = 0.0f;
    PosRampe = 0;
    ConsigneRampe = 0;
    SortieRampe = 0.0f;
}
