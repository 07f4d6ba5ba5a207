// Checks a screenshot of the whole screen taken at the end of one scene.
//
// usage: check_shot SHOT.png CLIENT_X CLIENT_Y SCENE
//
// CLIENT_X, CLIENT_Y: where the window's client area starts on the screen.
// Every check looks for (or rules out) an exact colour, in a small
// neighbourhood of the expected place so that a pixel or two of rounding in
// the drawing does not matter. Each failed check is printed with what was
// found there; the exit code is 1 if any check failed.

#include <QColor>
#include <QImage>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const QRgb kGreen = qRgb(0, 128, 0);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kMaroon = qRgb(128, 0, 0);
const QRgb kYellow = qRgb(255, 255, 0);
const QRgb kWhite = qRgb(255, 255, 255);

// What pixel() answers outside the screen: no colour has these bits.
const QRgb kOutside = 0x1000000;

// The drawing area's top-left in the client area.
const int kFondX = 0;
const int kFondY = 72;

enum class Kind {
    At,      // the colour is within 2 px of (x1, y1)
    NotAt,   // the colour is not within 1 px of (x1, y1)
    Line,    // the colour is within 2 px of every 3rd point of the segment
    Some,    // the colour is somewhere in the rectangle (x1, y1)-(x2, y2)
    None,    // the colour is nowhere in the rectangle
    Blank,   // every pixel of the rectangle is the window's background
};

struct Check {
    Kind kind;
    int x1, y1, x2, y2;  // client coordinates
    QRgb colour;
    std::string what;
};

class Shot {
public:
    Shot(const QImage& image, int clientX, int clientY)
        : image_(image), clientX_(clientX), clientY_(clientY)
    {
        // Far from any control, so this is the plain background colour.
        background_ = pixel(1000, 700);
    }

    QRgb background() const { return background_; }

    bool inside(int x, int y) const
    {
        return image_.valid(clientX_ + x, clientY_ + y);
    }
    QRgb pixel(int x, int y) const
    {
        return inside(x, y) ? image_.pixel(clientX_ + x, clientY_ + y) & 0xffffff : kOutside;
    }
    // Whether the colour is in the square of half side r around (x, y).
    bool near(int x, int y, int r, QRgb colour) const
    {
        return findIn(x - r, y - r, x + r, y + r, colour, nullptr, nullptr);
    }
    bool findIn(int x1, int y1, int x2, int y2, QRgb colour, int* fx, int* fy) const
    {
        for (int y = std::min(y1, y2); y <= std::max(y1, y2); ++y)
            for (int x = std::min(x1, x2); x <= std::max(x1, x2); ++x)
                if (pixel(x, y) == (colour & 0xffffff)) {
                    if (fx) *fx = x;
                    if (fy) *fy = y;
                    return true;
                }
        return false;
    }

private:
    QImage image_;
    int clientX_, clientY_;
    QRgb background_;
};

std::string name(QRgb c)
{
    if (c == kOutside) return "outside the screen";
    char text[32];
    std::snprintf(text, sizeof text, "(%d,%d,%d)", qRed(c), qGreen(c), qBlue(c));
    return text;
}

// Runs one check; prints it and returns false if it failed.
bool run(const Shot& shot, const Check& c)
{
    char where[96];
    int fx = 0, fy = 0;
    switch (c.kind) {
    case Kind::At:
        if (shot.near(c.x1, c.y1, 2, c.colour)) return true;
        std::snprintf(where, sizeof where, "no %s near (%d,%d), found %s", name(c.colour).c_str(),
                      c.x1, c.y1, name(shot.pixel(c.x1, c.y1)).c_str());
        break;
    case Kind::NotAt:
        if (!shot.findIn(c.x1 - 1, c.y1 - 1, c.x1 + 1, c.y1 + 1, c.colour, &fx, &fy)) return true;
        std::snprintf(where, sizeof where, "unexpected %s at (%d,%d)", name(c.colour).c_str(), fx,
                      fy);
        break;
    case Kind::Line: {
        const int steps = std::max(std::abs(c.x2 - c.x1), std::abs(c.y2 - c.y1)) / 3;
        for (int i = 0; i <= steps; ++i) {
            const double t = steps == 0 ? 0.0 : double(i) / steps;
            const int x = int(std::lround(c.x1 + t * (c.x2 - c.x1)));
            const int y = int(std::lround(c.y1 + t * (c.y2 - c.y1)));
            if (!shot.near(x, y, 2, c.colour)) {
                std::snprintf(where, sizeof where, "line (%d,%d)-(%d,%d) broken: no %s near (%d,%d), found %s",
                              c.x1, c.y1, c.x2, c.y2, name(c.colour).c_str(), x, y,
                              name(shot.pixel(x, y)).c_str());
                goto failed;
            }
        }
        return true;
    }
    case Kind::Some:
        if (shot.findIn(c.x1, c.y1, c.x2, c.y2, c.colour, nullptr, nullptr)) return true;
        std::snprintf(where, sizeof where, "no %s in (%d,%d)-(%d,%d), found %s at the centre",
                      name(c.colour).c_str(), c.x1, c.y1, c.x2, c.y2,
                      name(shot.pixel((c.x1 + c.x2) / 2, (c.y1 + c.y2) / 2)).c_str());
        break;
    case Kind::None:
        if (!shot.findIn(c.x1, c.y1, c.x2, c.y2, c.colour, &fx, &fy)) return true;
        std::snprintf(where, sizeof where, "unexpected %s at (%d,%d) in (%d,%d)-(%d,%d)",
                      name(c.colour).c_str(), fx, fy, c.x1, c.y1, c.x2, c.y2);
        break;
    case Kind::Blank:
        for (int y = c.y1; y <= c.y2; ++y)
            for (int x = c.x1; x <= c.x2; ++x)
                if (shot.pixel(x, y) != shot.background()) {
                    std::snprintf(where, sizeof where, "%s at (%d,%d) in (%d,%d)-(%d,%d), expected background %s",
                                  name(shot.pixel(x, y)).c_str(), x, y, c.x1, c.y1, c.x2, c.y2,
                                  name(shot.background()).c_str());
                    goto failed;
                }
        return true;
    }
failed:
    std::printf("FAIL %s: %s (client coordinates)\n", c.what.c_str(), where);
    return false;
}

// The checks of one scene, written in drawing-area coordinates unless said.
class Table {
public:
    void client(Kind k, int x1, int y1, int x2, int y2, QRgb c, std::string what)
    {
        checks.push_back({k, x1, y1, x2, y2, c, std::move(what)});
    }
    void at(int x, int y, QRgb c, const std::string& what) { add(Kind::At, x, y, x, y, c, what); }
    void notAt(int x, int y, QRgb c, const std::string& what) { add(Kind::NotAt, x, y, x, y, c, what); }
    void line(int x1, int y1, int x2, int y2, QRgb c, const std::string& what)
    {
        add(Kind::Line, x1, y1, x2, y2, c, what);
    }
    void some(int x1, int y1, int x2, int y2, QRgb c, const std::string& what)
    {
        add(Kind::Some, x1, y1, x2, y2, c, what);
    }
    void none(int x1, int y1, int x2, int y2, QRgb c, const std::string& what)
    {
        add(Kind::None, x1, y1, x2, y2, c, what);
    }
    void blank(int x1, int y1, int x2, int y2, const std::string& what)
    {
        add(Kind::Blank, x1, y1, x2, y2, 0, what);
    }

    std::vector<Check> checks;

private:
    void add(Kind k, int x1, int y1, int x2, int y2, QRgb c, const std::string& what)
    {
        client(k, x1 + kFondX, y1 + kFondY, x2 + kFondX, y2 + kFondY, c, what);
    }
};

// The scenario's title, in green in the strip above the drawing area.
void title(Table& t, int titleX)
{
    t.client(Kind::Some, titleX, 30, titleX + 60, 45, kGreen, "title");
    if (titleX - 3 >= 600)
        t.client(Kind::None, 600, 20, titleX - 3, 50, kGreen, "title starts too far left");
}

// The block diagram, with its top-left at (left, top).
void diagram(Table& t, int left, int top)
{
    const auto at = [&](int x, int y, QRgb c, const char* what) { t.at(left + x, top + y, c, what); };
    at(165, 2, kRed, "diagram: controller top edge");
    at(165, 48, kRed, "diagram: controller bottom edge");
    at(135, 25, kRed, "diagram: controller left edge");
    at(195, 25, kRed, "diagram: controller right edge");
    at(242, 68, kBlack, "diagram: chopper top edge");
    at(242, 101, kBlack, "diagram: chopper bottom edge");
    at(202, 85, kBlack, "diagram: chopper left edge");
    at(282, 85, kBlack, "diagram: chopper right edge");
    // The image's white is left out, so the background shows through it.
    t.none(left, top, left + 368, top + 228, kWhite, "diagram: white not transparent");
}

// The antenna's support, pivot and dish turned to the angle a (radians).
void antenna(Table& t, double a)
{
    t.line(464, 346, 480, 400, kGreen, "antenna: right leg");
    t.line(416, 346, 400, 400, kGreen, "antenna: left leg");
    t.line(404, 400, 476, 400, kGreen, "antenna: base");
    t.at(440, 265, kGreen, "antenna: pivot");
    const double cx = 440 + 100 * std::cos(a), cy = 265 + 100 * std::sin(a);
    const double px = -std::sin(a), py = std::cos(a);
    t.at(int(std::lround(cx)), int(std::lround(cy)), kRed, "dish: centre of the flat side");
    t.at(int(std::lround(cx + 50 * px)), int(std::lround(cy + 50 * py)), kRed,
         "dish: flat side, half-way down");
    t.at(int(std::lround(cx - 50 * px)), int(std::lround(cy - 50 * py)), kRed,
         "dish: flat side, half-way up");
    // The arc's point opposite the flat side, half-way between pivot and diameter ends.
    const double ax = cx - 100 * std::cos(a - 0.6), ay = cy - 100 * std::sin(a - 0.6);
    t.at(int(std::lround(ax)), int(std::lround(ay)), kRed, "dish: arc");
}

// After a scene that turned the dish, the flat side of the start position is gone.
// After a scene that turned the dish to the angle a, the flat side of the
// start position (x = 540, y 165 to 365) is gone: it is checked wherever it
// lies clear of the dish now drawn, whose disc has radius 100 around the
// middle of its flat side.
void noTrail(Table& t, double a)
{
    const double cx = 440 + 100 * std::cos(a), cy = 265 + 100 * std::sin(a);
    const auto clear = [&](int y) { return std::hypot(540 - cx, y - cy) > 106; };
    for (int y = 165; y <= 365; ++y) {
        if (!clear(y)) continue;
        const int from = y;
        while (y < 365 && clear(y + 1)) ++y;
        t.none(539, from, 541, y, kRed, "dish: trail of the start position");
    }
}

void commentary(Table& t)
{
    t.some(560, 50, 700, 62, kBlue, "commentary");
}

// A pair of axes, origin (x, y), Y axis up to top, X axis to right. Only the
// Y axis above yAxisBottom and the X axis right of xAxisLeft are checked:
// near the origin the curves are drawn over them.
void axes(Table& t, int x, int y, int top, int right, int yAxisBottom, int xAxisLeft)
{
    t.line(x, top + 2, x, yAxisBottom, kBlue, "Y axis");
    t.line(xAxisLeft, y, right - 2, y, kBlue, "X axis");
    // The drawing area ends at x 789: an axis reaching it cannot be seen to overrun.
    if (right + 8 < 790)
        t.none(right + 3, y - 1, right + 8, y + 1, kBlue, "X axis too long");
}

Table presentation()
{
    Table t;
    title(t, 700);
    diagram(t, 70, 65);
    antenna(t, 0.0);
    t.line(540, 168, 540, 362, kRed, "dish: flat side at rest");
    t.some(560, 50, 690, 62, kBlue, "commentary");
    t.some(700, 50, 750, 62, kRed, "commentary: (en rouge)");
    // Nothing left of an earlier scene's graphs or dish.
    t.blank(0, 300, 230, 392, "left graph area");
    t.blank(546, 215, 789, 392, "right of the dish");
    return t;
}

// The left graph of the step scenes: the set point as a step to y 320.
void setPointStep(Table& t, int xAxisEnd, int levelEnd)
{
    axes(t, 30, 380, 285, xAxisEnd, 315, 36);
    t.line(30, 322, 30, 377, kMaroon, "set point: step");
    t.line(32, 320, levelEnd - 1, 320, kMaroon, "set point: level");
    t.none(levelEnd + 3, 316, levelEnd + 8, 324, kMaroon, "set point too long");
}

Table aperiodique()
{
    Table t;
    title(t, 600);
    diagram(t, 70, 65);
    antenna(t, -0.7460);
    noTrail(t, -0.7460);
    commentary(t);
    setPointStep(t, 160, 147);
    axes(t, 600, 380, 285, 730, 360, 606);
    t.at(624, 342, kMaroon, "response: rise");
    t.at(720, 320, kMaroon, "response: end");
    t.none(724, 310, 740, 330, kMaroon, "response too long");
    t.none(601, 285, 730, 317, kMaroon, "response overshoots");
    return t;
}

Table oscillatoire()
{
    Table t;
    title(t, 600);
    diagram(t, 70, 62);
    antenna(t, -0.7663);
    noTrail(t, -0.7663);
    commentary(t);
    setPointStep(t, 220, 207);
    axes(t, 600, 380, 285, 790, 360, 606);
    t.at(615, 297, kMaroon, "response: first peak");
    t.none(601, 285, 640, 294, kMaroon, "response: first peak too high");
    t.at(778, 330, kMaroon, "response: last segment");
    t.none(783, 320, 795, 340, kMaroon, "response too long");
    return t;
}

Table instabilite()
{
    Table t;
    title(t, 660);
    diagram(t, 70, 65);
    antenna(t, -0.1721);
    commentary(t);
    axes(t, 30, 380, 285, 160, 375, 36);
    t.none(28, 330, 32, 375, kMaroon, "set point: no step");
    t.line(32, 320, 146, 320, kMaroon, "set point: level");
    t.none(150, 316, 158, 324, kMaroon, "set point too long");
    axes(t, 600, 380, 285, 730, 360, 606);
    t.line(717, 334, 720, 355, kMaroon, "response: last segment");
    t.none(724, 285, 740, 385, kMaroon, "response too long");
    return t;
}

Table rampe()
{
    Table t;
    title(t, 660);
    diagram(t, 70, 65);
    antenna(t, -0.7941);
    noTrail(t, -0.7941);
    commentary(t);
    axes(t, 600, 380, 215, 730, 360, 610);
    t.line(604, 372, 676, 228, kMaroon, "set point: ramp");
    t.line(684, 220, 715, 220, kMaroon, "set point: level");
    t.at(640, 300, kMaroon, "set point: ramp middle");
    t.some(638, 302, 642, 378, kRed, "response below the ramp");
    t.none(638, 222, 642, 298, kRed, "response above the ramp");
    t.at(729, 221, kRed, "response: end");
    t.blank(0, 300, 230, 392, "no left graph");
    return t;
}

Table perturbation()
{
    Table t;
    title(t, 700);
    diagram(t, 70, 65);
    antenna(t, -0.5524);
    noTrail(t, -0.5524);
    commentary(t);
    axes(t, 30, 380, 285, 220, 315, 36);
    t.line(32, 320, 218, 320, kMaroon, "set point");
    t.none(223, 316, 230, 324, kMaroon, "set point too long");
    axes(t, 600, 380, 285, 790, 360, 606);
    t.line(602, 320, 640, 320, kMaroon, "deviation: flat start");
    t.some(650, 294, 659, 297, kMaroon, "deviation: peak");
    t.none(601, 285, 700, 292, kMaroon, "deviation: peak too high");
    t.at(788, 319, kMaroon, "deviation: end");
    t.line(602, 180, 698, 180, kYellow, "wind arrow: shaft");
    t.some(600, 165, 705, 177, kYellow, "wind arrow: chevrons above the shaft");
    t.some(600, 183, 705, 195, kYellow, "wind arrow: chevrons below the shaft");
    t.line(640, 332, 640, 353, kYellow, "upward arrow: shaft");
    return t;
}

bool table(const char* scene, Table& t)
{
    struct Entry {
        const char* name;
        Table (*make)();
    };
    static const Entry entries[] = {
        {"presentation", presentation}, {"aperiodique", aperiodique},
        {"oscillatoire", oscillatoire}, {"instabilite", instabilite},
        {"rampe", rampe},               {"perturbation", perturbation},
    };
    for (const Entry& e : entries)
        if (std::strcmp(scene, e.name) == 0) {
            t = e.make();
            return true;
        }
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s SHOT.png CLIENT_X CLIENT_Y SCENE\n", argv[0]);
        return 2;
    }
    const QImage image(QString::fromLocal8Bit(argv[1]));
    if (image.isNull()) {
        std::fprintf(stderr, "check_shot: cannot read %s\n", argv[1]);
        return 2;
    }
    Table t;
    if (!table(argv[4], t)) {
        std::fprintf(stderr, "check_shot: unknown scene %s\n", argv[4]);
        return 2;
    }
    const Shot shot(image.convertToFormat(QImage::Format_RGB32), std::atoi(argv[2]),
                    std::atoi(argv[3]));
    std::printf("%s: background %s\n", argv[4], name(shot.pixel(1000, 700)).c_str());

    int failed = 0;
    for (const Check& c : t.checks)
        if (!run(shot, c)) ++failed;
    std::printf("%s: %d of %zu checks failed\n", argv[4], failed, t.checks.size());
    return failed == 0 ? 0 : 1;
}
