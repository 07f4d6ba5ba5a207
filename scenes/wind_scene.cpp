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

// The gust: an upward arrow under the position curve, and a wind arrow with
// three chevrons pointing left, toward the dish.
struct Stroke {
    int x1, y1, x2, y2;
};
const Stroke wind[] = {
    {640, 330, 640, 355}, {640, 330, 635, 335}, {640, 330, 645, 335},
    {600, 180, 700, 180}, {600, 180, 610, 170}, {600, 180, 610, 190},
    {620, 180, 630, 170}, {620, 180, 630, 190}, {640, 180, 650, 170},
    {640, 180, 650, 190},
};

const PlacedText windLabels[] = {
    {645, 355, QStringLiteral("Effet de la Perturbation")},
    {670, 190, QStringLiteral("VENT (Perturbation)")},
};

const PlacedText labels[] = {
    {35, 290, QStringLiteral("Consigne E")},
    {55, 305, QStringLiteral("= CONSTANTE")},
    {210, 365, QStringLiteral("t")},
    {605, 270, QStringLiteral("Position Angulaire Antenne")},
    {780, 365, QStringLiteral("t")},
};

const QString commentary[] = {
    QStringLiteral("Le régulateur n'est pas très bien réglé."),
    QStringLiteral("Il doit permettre d'éliminer le plus"),
    QStringLiteral("possible l'effet de la perturbation."),
};

}  // namespace

void WindFrame(const Scenario& self, std::int32_t n)
{
    TCanvas* canvas = DrawingArea();
    const bool hold = self.start <= n && n < self.gustFrom;
    const bool recovery = self.gustFrom <= n && n < self.end;
    const int f = n - self.start;    // frame number, from 1
    const int k = n - self.gustFrom;  // frames since the gust began

    // Constant set point, one pixel longer at each frame.
    TracerAxes(30, 380, 285, 220);
    CurvePen();
    Segment(30, 320, 29 + f, 320);

    // Position: one pixel of time a frame, flat until the gust.
    TracerAxes(600, 380, 285, 790);
    CurvePen();
    if (hold)
        Segment(600 + f, 320, 601 + f, 320);
    if (recovery) {
        Segment(600 + f, WindOrdinate(k), 601 + f, WindOrdinate(k + 1));
        canvas->Pen.Color = clYellow;
        for (const Stroke& s : wind)
            Segment(s.x1, s.y1, s.x2, s.y2);
        WriteTexts(windLabels);
    }

    if (hold)
        AntennaCycle([] { Angle = WindHeldAngle; });
    if (recovery)
        AntennaCycle([k] { Angle = WindRecoveryAngle(Angle, k); });

    WriteTexts(labels);
    if (self.commentaryFrom <= n && n < self.end)
        WriteCommentary(commentary);
}
