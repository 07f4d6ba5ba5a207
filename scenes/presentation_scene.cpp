#include "app/prepare_scenario.h"
#include "scenes/antenna_figure.h"
#include "scenes/drawing_area.h"
#include "scenes/scenarios.h"
#include "scenes/scenes.h"
#include "surface/tcanvas.h"

#include <optional>

namespace {

// The dish at rest, facing right. Its chord ends one pixel lower than the one
// computed for angle 0 (365 instead of 364): the figure is drawn from these
// constants, not from Angle, which the presentation neither reads nor changes.
constexpr std::array<int, 8> restingChord = {440, 165, 640, 365, 540, 165, 540, 365};

struct ExplanationLine {
    std::optional<TColor> colour;  // none: the line keeps the colour in force
    int x;
    int y;
    QString text;
};

const ExplanationLine explanation[] = {
    {clBlue, 560, 50, QStringLiteral("La partie mobile de l'antenne")},
    {clRed, 700, 50, QStringLiteral("(en rouge)")},
    {clBlue, 560, 70, QStringLiteral("est entraînée en rotation par un moteur")},
    {std::nullopt, 560, 90, QStringLiteral("à courant continu, lui-même commandé par")},
    {std::nullopt, 560, 110, QStringLiteral("un hacheur. L'information de position")},
    {std::nullopt, 560, 130, QStringLiteral("angulaire donnée par un capteur est comparée")},
    {std::nullopt, 560, 150, QStringLiteral("à une consigne. L'écart entre ces deux valeurs")},
    {std::nullopt, 560, 170, QStringLiteral("commande un régulateur chargé d'élaborer")},
    {std::nullopt, 560, 190, QStringLiteral("le signal d'entrée du hacheur.")},
};

}  // namespace

void PresentationFrame(const Scenario& self, std::int32_t /*n*/)
{
    PreparerScenario(QString::fromUtf8(self.title), self.titleX, self.diagramY);
    DrawAntennaWithChord(clRed, restingChord);

    TCanvas* canvas = DrawingArea();
    SetBkMode(canvas->Handle(), TRANSPARENT);
    // The colour is set for the first three lines only; the later ones stay
    // blue, and so does the canvas for the scenes that follow.
    for (const ExplanationLine& line : explanation) {
        if (line.colour)
            canvas->Font.Color = *line.colour;
        canvas->TextOut(line.x, line.y, line.text);
    }
}
