#include "app/state.h"
#include "scenes/antenna_figure.h"
#include "scenes/drawing_area.h"
#include "scenes/graph.h"
#include "scenes/laws.h"
#include "scenes/scenarios.h"
#include "scenes/scenes.h"
#include "scenes/texts.h"
#include "surface/tcanvas.h"

namespace {

const PlacedText labels[] = {
    {605, 225, QStringLiteral("Consigne E")},
    {650, 330, QStringLiteral("Position Angulaire")},
    {665, 345, QStringLiteral("Antenne")},
    {720, 365, QStringLiteral("t")},
};

const QString commentary[] = {
    QStringLiteral("Le régulateur est correctement réglé."),
    QStringLiteral("Il doit permettre le réglage du retard"),
    QStringLiteral("entre la consigne et l'information de"),
    QStringLiteral("position angulaire donnée par le capteur."),
};

}  // namespace

void RampBeforeIncrement(const Scenario& self)
{
    // The position along the ramp is the counter before this tick's increment.
    PosRampe = Compteur - self.start;
}

void RampFrame(const Scenario& self, std::int32_t n)
{
    TCanvas* canvas = DrawingArea();
    const std::int32_t p = PosRampe;

    TracerAxes(600, 380, 215, 730);

    // Set point: a rising segment, or once it has levelled off, the level
    // line drawn back from the current abscissa to the ramp's corner.
    CurvePen();
    ConsigneRampe = RampSetPoint(p);
    canvas->MoveTo(600 + p, p < 80 ? 380 - 2 * p : 220);
    canvas->LineTo(600 + ConsigneRampe, 380 - 2 * ConsigneRampe);

    // Response: from the previous filtered value to the new one, in red.
    canvas->Pen.Color = clRed;
    canvas->Pen.Width = 2;
    canvas->MoveTo(600 + p, RampOrdinate(SortieRampe));
    SortieRampe = RampFilter(SortieRampe, ConsigneRampe);
    canvas->LineTo(601 + p, RampOrdinate(SortieRampe));

    // The dish turns in proportion to the response.
    AntennaCycle([] { Angle = RampAngle(SortieRampe); });

    WriteTexts(labels);
    if (self.commentaryFrom <= n && n < self.end)
        WriteCommentary(commentary);
}
