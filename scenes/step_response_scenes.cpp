#include "app/state.h"
#include "scenes/antenna_figure.h"
#include "scenes/drawing_area.h"
#include "scenes/graph.h"
#include "scenes/laws.h"
#include "scenes/scenarios.h"
#include "scenes/scenes.h"
#include "scenes/texts.h"
#include "surface/tcanvas.h"

#include <iterator>

namespace {

// What tells the three step-response scenes apart; they share one frame.
struct StepScene {
    int leftAxisEnd;   // X where the set-point graph's time axis ends
    int rightAxisEnd;  // X where the position graph's time axis ends
    bool setPointStep; // the set point jumps at t = 0 (drawn over the Y axis)
    int (*ordinate)(int j);
    double (*decrement)(int k);
    const PlacedText* labelsFirst;
    const PlacedText* labelsLast;
    int explanationX;  // 0: no explanation lines
    const QString* commentaryFirst;
    const QString* commentaryLast;
};

const PlacedText aperiodicLabels[] = {
    {35, 290, QStringLiteral("Consigne E")},
    {150, 365, QStringLiteral("t")},
    {605, 290, QStringLiteral("Position Angulaire Antenne")},
    {720, 365, QStringLiteral("t")},
};

const PlacedText dampedLabels[] = {
    {35, 290, QStringLiteral("Consigne E")},
    {210, 365, QStringLiteral("t")},
    {605, 270, QStringLiteral("Position Angulaire Antenne")},
    {780, 365, QStringLiteral("t")},
};

const PlacedText unstableLabels[] = {
    {35, 290, QStringLiteral("Consigne E")},
    {55, 305, QStringLiteral("= CONSTANTE")},
    {150, 365, QStringLiteral("t")},
    {605, 270, QStringLiteral("Position Angulaire Antenne")},
    {720, 365, QStringLiteral("t")},
};

// The explanation of a step, under the set-point graph's labels; its X
// depends on the scene.
struct ExplanationLine {
    int y;
    QString text;
};
const ExplanationLine explanation[] = {
    {300, QStringLiteral("La consigne varie brusquement")},
    {320, QStringLiteral("(échelon de position).")},
    {340, QStringLiteral("L'antenne doit se ")},
    {360, QStringLiteral("déplacer rapidement")},
    {380, QStringLiteral("d'une position initiale")},
    {400, QStringLiteral("à une position finale.")},
};

const QString aperiodicCommentary[] = {
    QStringLiteral("Le régulateur est correctement réglé."),
    QStringLiteral("Il doit permettre le réglage du temps"),
    QStringLiteral("de réponse de la position angulaire."),
};
const QString dampedCommentary[] = {
    QStringLiteral("Le régulateur est mal réglé."),
    QStringLiteral("La réponse est mal amortie."),
};
const QString unstableCommentary[] = {
    QStringLiteral("Le régulateur est très mal réglé."),
    QStringLiteral("La boucle est instable"),
    QStringLiteral("(instabilité oscillatoire)."),
};

const StepScene aperiodic = {160, 730, true, AperiodicOrdinate, AperiodicDecrement,
                             aperiodicLabels, std::end(aperiodicLabels), 170,
                             aperiodicCommentary, std::end(aperiodicCommentary)};
const StepScene damped = {220, 790, true, DampedOrdinate, DampedDecrement,
                          dampedLabels, std::end(dampedLabels), 230,
                          dampedCommentary, std::end(dampedCommentary)};
const StepScene unstable = {160, 730, false, UnstableOrdinate, UnstableDecrement,
                            unstableLabels, std::end(unstableLabels), 0,
                            unstableCommentary, std::end(unstableCommentary)};

void stepFrame(const StepScene& scene, const Scenario& self, std::int32_t n)
{
    const int k = n - self.start;
    TCanvas* canvas = DrawingArea();

    // Set point: the step (not for the unstable scene), then the level line,
    // redrawn from its start and 3 px longer at each frame.
    TracerAxes(30, 380, 285, scene.leftAxisEnd);
    CurvePen();
    if (scene.setPointStep)
        Segment(30, 380, 30, 320);
    else
        canvas->MoveTo(30, 320);
    canvas->LineTo(30 + 3 * (k - 1), 320);

    // Position: one more segment, 3 px of time.
    TracerAxes(600, 380, 285, scene.rightAxisEnd);
    CurvePen();
    Segment(600 + 3 * (k - 1), scene.ordinate(k - 1), 600 + 3 * k, scene.ordinate(k));

    AntennaCycle([&] { Angle = DecreasedAngle(Angle, scene.decrement(k)); });

    WriteTexts(scene.labelsFirst, scene.labelsLast);
    if (scene.explanationX != 0)
        for (const ExplanationLine& line : explanation)
            canvas->TextOut(scene.explanationX, line.y, line.text);

    if (self.commentaryFrom <= n && n < self.end)
        WriteCommentary(scene.commentaryFirst, scene.commentaryLast);
}

}  // namespace

void AperiodicFrame(const Scenario& self, std::int32_t n)
{
    stepFrame(aperiodic, self, n);
}

void DampedFrame(const Scenario& self, std::int32_t n)
{
    stepFrame(damped, self, n);
}

void UnstableFrame(const Scenario& self, std::int32_t n)
{
    stepFrame(unstable, self, n);
}
