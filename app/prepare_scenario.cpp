#include "app/prepare_scenario.h"

#include "app/antenne.h"
#include "app/state.h"
#include "surface/tbitmap.h"

namespace {

// Three areas of the drawing area filled in the background colour after the
// diagram; on a freshly erased area they change no pixel.
const TPoint middlePanel[] = {{370, 60}, {640, 60}, {640, 370}, {440, 370}, {440, 260}, {370, 260}};
const TPoint lowerLeftPanel[] = {{20, 280}, {120, 280}, {120, 300}, {250, 300}, {250, 390}, {20, 390}};
const TPoint rightPanel[] = {{590, 150}, {800, 150}, {800, 390}, {590, 390}};

}  // namespace

void PreparerScenario(const QString& title, int titleX, int diagramY)
{
    TCanvas* image = Antenne->FOND->Canvas();
    TCanvas* window = Antenne->Canvas();

    // 1. Erase the drawing area; the pen width is left as the last frame set it.
    image->Brush.Color = clBtnFace;
    image->Pen.Color = clBtnFace;
    image->Rectangle(0, 0, 793, 473);

    // 2. Erase the title strip of the window.
    window->Brush.Color = clBtnFace;
    window->Pen.Color = clBtnFace;
    window->Rectangle(600, 20, 800, 50);

    // 3. A new diagram replaces the one held; the load may throw.
    Schema = std::make_unique<TBitmap>();
    Schema->LoadFromResourceName(HInstance, QStringLiteral("Commande"));
    Schema->Transparent = true;

    // 4. The diagram, white left out.
    image->Draw(70, diagramY, *Schema);
    SetBkMode(image->Handle(), TRANSPARENT);

    // 5. The title, in green on the window.
    SetBkMode(window->Handle(), TRANSPARENT);
    window->Font.Size = 10;
    window->Font.Color = clGreen;
    window->TextOut(titleX, 30, title);

    // 6. The panels.
    image->Pen.Color = clBtnFace;
    image->Brush.Color = clBtnFace;
    image->Polygon(middlePanel, 5);
    image->Polygon(lowerLeftPanel, 5);
    image->Polygon(rightPanel, 3);
}
