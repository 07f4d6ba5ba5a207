#include "scenes/drawing_area.h"

#include "app/antenne.h"
#include "app/state.h"

TCanvas* DrawingArea()
{
    return Antenne->FOND->Canvas();
}
