#include "diagram.h"

#include <QFontDatabase>
#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <vector>

namespace resources {
namespace {

enum class Ink { Black, Red };

enum class Kind {
    Text,       // `text` centred on its ink in the box points[0]..points[1]
    Rect,       // outline through points[0] and points[1], inclusive
    Circle,     // outline inscribed in the box points[0]..points[1]
    Path,       // solid strokes joining the points in turn
    Dashed,     // the same, 4 pixels on and 4 off from the first point
};

enum class Ending { None, Arrow };

enum class Face {
    Small,      // 8-point sans-serif: 11 pixels
    Large,      // sans-serif whose capitals are 10 pixels high
    BoldSign,   // bold sans-serif, as large as fits its box
};

struct Element {
    Kind kind;
    Ink ink;
    std::vector<QPoint> points;
    Ending ending = Ending::None;
    const char *text = nullptr;
    Face face = Face::Small;
};

// The whole drawing, element by element, in the image's own pixels.
// Strokes end one pixel short of the red controller so that its outline
// stays entirely red.
const std::vector<Element> &diagramElements()
{
    static const std::vector<Element> elements = {
        // Set point
        {Kind::Text, Ink::Black, {{0, 3}, {52, 12}}, Ending::None, "Consigne E"},
        {Kind::Path, Ink::Black, {{30, 22}, {62, 22}}, Ending::Arrow},

        // Comparator: a circle crossed by its diagonals, plus on the left,
        // minus at the bottom.
        {Kind::Circle, Ink::Black, {{62, 2}, {109, 48}}},
        {Kind::Path, Ink::Black, {{69, 9}, {102, 42}}},
        {Kind::Path, Ink::Black, {{69, 41}, {102, 8}}},
        {Kind::Text, Ink::Black, {{70, 21}, {75, 27}}, Ending::None, "+", Face::BoldSign},
        {Kind::Path, Ink::Black, {{82, 38}, {89, 38}}},
        {Kind::Path, Ink::Black, {{109, 22}, {134, 22}}, Ending::Arrow},

        // Controller
        {Kind::Rect, Ink::Red, {{135, 2}, {195, 48}}},
        {Kind::Text, Ink::Red, {{140, 20}, {190, 30}}, Ending::None, "Régulateur"},
        {Kind::Path, Ink::Black, {{196, 22}, {242, 22}, {242, 68}}, Ending::Arrow},

        // Chopper
        {Kind::Rect, Ink::Black, {{202, 68}, {282, 101}}},
        {Kind::Text, Ink::Black, {{209, 77}, {255, 86}}, Ending::None, "Hacheur", Face::Large},
        {Kind::Path, Ink::Black, {{242, 101}, {242, 143}}, Ending::Arrow},

        // Motor and its gearbox
        {Kind::Rect, Ink::Black, {{159, 143}, {287, 187}}},
        {Kind::Text, Ink::Black, {{162, 148}, {280, 156}}, Ending::None, "Moteur à courant continu"},
        {Kind::Text, Ink::Black, {{162, 162}, {216, 170}}, Ending::None, "+ réducteur"},
        {Kind::Path, Ink::Black, {{242, 187}, {242, 201}, {272, 201}}, Ending::Arrow},

        // Mechanical link from the output shaft round to the sensor
        {Kind::Dashed, Ink::Black, {{277, 201}, {368, 201}}},
        {Kind::Dashed, Ink::Black, {{368, 202}, {337, 228}}},
        {Kind::Dashed, Ink::Black, {{341, 228}, {89, 228}}},
        {Kind::Path, Ink::Black, {{89, 228}, {89, 128}}, Ending::Arrow},

        // Position sensor, read back into the comparator's minus input
        {Kind::Rect, Ink::Black, {{55, 95}, {122, 128}}},
        {Kind::Text, Ink::Black, {{62, 101}, {113, 110}}, Ending::None, "Capteur de"},
        {Kind::Text, Ink::Black, {{62, 114}, {97, 123}}, Ending::None, "position"},
        {Kind::Path, Ink::Black, {{89, 95}, {89, 48}}, Ending::Arrow},
    };
    return elements;
}

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kRed = qRgb(255, 0, 0);

QRgb colourOf(Ink ink)
{
    return ink == Ink::Red ? kRed : kBlack;
}

// Box from two inclusive corners.
QRect boxOf(const Element &e)
{
    return QRect(e.points.at(0), e.points.at(1)).normalized();
}

void plot(QImage &image, int x, int y, QRgb colour)
{
    if (image.rect().contains(x, y))
        image.setPixel(x, y, colour);
}

// Every pixel of a straight stroke, both ends included (Bresenham), so that
// the end pixels are exactly the ones in the table.
std::vector<QPoint> strokePixels(QPoint from, QPoint to)
{
    std::vector<QPoint> pixels;
    const int dx = std::abs(to.x() - from.x());
    const int dy = -std::abs(to.y() - from.y());
    const int sx = from.x() < to.x() ? 1 : -1;
    const int sy = from.y() < to.y() ? 1 : -1;
    int error = dx + dy;
    QPoint p = from;
    for (;;) {
        pixels.push_back(p);
        if (p == to)
            break;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            p.rx() += sx;
        }
        if (twice <= dx) {
            error += dx;
            p.ry() += sy;
        }
    }
    return pixels;
}

void drawStroke(QImage &image, QPoint from, QPoint to, QRgb colour)
{
    for (QPoint p : strokePixels(from, to))
        plot(image, p.x(), p.y(), colour);
}

// Dashes of 4 pixels separated by gaps of 4, counted along the stroke.
void drawDashedStroke(QImage &image, QPoint from, QPoint to, QRgb colour)
{
    const std::vector<QPoint> pixels = strokePixels(from, to);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        if (i % 8 < 4)
            plot(image, pixels[i].x(), pixels[i].y(), colour);
}

// An open arrowhead: two 45-degree strokes about 6 pixels long (4 steps
// along each axis) going back from the tip on either side of the line.
void drawArrowhead(QImage &image, QPoint before, QPoint tip, QRgb colour)
{
    const auto sign = [](int v) { return (v > 0) - (v < 0); };
    const QPoint back(sign(before.x() - tip.x()), sign(before.y() - tip.y()));
    const QPoint across(-back.y(), back.x());
    constexpr int kArm = 4;
    drawStroke(image, tip, tip + kArm * (back + across), colour);
    drawStroke(image, tip, tip + kArm * (back - across), colour);
}

void drawRect(QImage &image, const QRect &box, QRgb colour)
{
    drawStroke(image, box.topLeft(), box.topRight(), colour);
    drawStroke(image, box.topRight(), box.bottomRight(), colour);
    drawStroke(image, box.bottomRight(), box.bottomLeft(), colour);
    drawStroke(image, box.bottomLeft(), box.topLeft(), colour);
}

void drawCircle(QImage &image, const QRect &box, QRgb colour)
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor(colour), 0));
    painter.setBrush(Qt::NoBrush);
    // An outlined ellipse covers one pixel more than the rectangle's size.
    painter.drawEllipse(QRect(box.topLeft(), box.size() - QSize(1, 1)));
}

// Bounding box of the pixels that differ from white.
QRect inkBounds(const QImage &image)
{
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xffffff) != (kWhite & 0xffffff)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

QFont makeFont(const QString &family, int pixelSize, int stretch)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setStretch(stretch);
    font.setKerning(true);
    // No grey edges, and hinting chosen here rather than by the machine's
    // font settings, so the raster is the same wherever this runs.
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::PreferMatch));
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

// Origin of the scratch text: far enough in for accents and descenders.
const QPoint kScratchOrigin(8, 32);

QImage scratchText(const QFont &font, const QString &text)
{
    QImage scratch(512, 64, QImage::Format_RGB32);
    scratch.fill(kWhite);
    QPainter painter(&scratch);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(font);
    painter.setPen(QColor(kBlack));
    painter.drawText(kScratchOrigin, text);
    return scratch;
}

// Ink height of a capital H: what "capitals N pixels high" is measured on.
int capitalHeight(const QString &family, int pixelSize)
{
    return inkBounds(scratchText(makeFont(family, pixelSize, 100), QStringLiteral("H"))).height();
}

struct PlacedText {
    QFont font;
    QPoint baseline;
};

// Picks the font for a text and where to put its baseline so that its ink
// is centred in the box. A text a little too wide for its box is narrowed,
// by at most a fifth.
bool placeText(const DiagramFonts &fonts, const Element &e, PlacedText &placed, QString &error)
{
    const QRect box = boxOf(e);
    const QString text = QString::fromUtf8(e.text);
    QString family = fonts.regular;
    std::vector<int> sizes;
    switch (e.face) {
    case Face::Small:
        sizes = {11};
        break;
    case Face::Large: {
        int size = 11;
        while (size < 40 && capitalHeight(family, size) < 10)
            ++size;
        sizes = {size};
        break;
    }
    case Face::BoldSign:
        family = fonts.bold;
        for (int size = 24; size >= 6; --size)
            sizes.push_back(size);
        break;
    }

    // A text one or two pixels too wide first loses a pixel at each space,
    // which reads better than narrower letters; only then are its letters
    // narrowed. A sign is only ever scaled down.
    const int narrowest = e.face == Face::BoldSign ? 100 : 80;
    QRect ink;
    for (int size : sizes) {
        for (int stretch = 100; stretch >= narrowest; stretch -= 1) {
            for (int wordSpacing : {0, -1}) {
                placed.font = makeFont(family, size, stretch);
                placed.font.setWordSpacing(wordSpacing);
                ink = inkBounds(scratchText(placed.font, text));
                if (ink.width() <= box.width() && ink.height() <= box.height()) {
                    const QPoint offset(box.left() + (box.width() - ink.width()) / 2 - ink.left(),
                                        box.top() + (box.height() - ink.height()) / 2 - ink.top());
                    placed.baseline = kScratchOrigin + offset;
                    return true;
                }
            }
            if (ink.height() > box.height())
                break;  // narrowing will not help
        }
    }
    error = QStringLiteral("\"%1\" (%2 x %3 pixels) does not fit in its box of %4 x %5 at (%6, %7)")
                .arg(text).arg(ink.width()).arg(ink.height())
                .arg(box.width()).arg(box.height()).arg(box.left()).arg(box.top());
    return false;
}

bool drawText(QImage &image, const DiagramFonts &fonts, const Element &e, QString &error)
{
    PlacedText placed;
    if (!placeText(fonts, e, placed, error))
        return false;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(placed.font);
    painter.setPen(QColor(colourOf(e.ink)));
    painter.drawText(placed.baseline, QString::fromUtf8(e.text));
    return true;
}

std::uint8_t nearestIndex(QRgb c, const std::vector<QRgb> &palette)
{
    std::uint8_t best = 0;
    int bestDistance = 1 << 30;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const int dr = qRed(c) - qRed(palette[i]);
        const int dg = qGreen(c) - qGreen(palette[i]);
        const int db = qBlue(c) - qBlue(palette[i]);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = std::uint8_t(i);
        }
    }
    return best;
}

} // namespace

bool loadDiagramFonts(const QString &directory, DiagramFonts &fonts, QString &error)
{
    const auto load = [&](const QString &file, QString &family) {
        const QString path = directory + QLatin1Char('/') + file;
        const int id = QFontDatabase::addApplicationFont(path);
        const QStringList families = id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
        if (families.isEmpty()) {
            error = QStringLiteral("cannot load the font %1 (Debian package fonts-liberation2)").arg(path);
            return false;
        }
        family = families.first();
        return true;
    };
    return load(QStringLiteral("LiberationSans-Regular.ttf"), fonts.regular)
        && load(QStringLiteral("LiberationSans-Bold.ttf"), fonts.bold);
}

bool drawDiagram(const DiagramFonts &fonts, IndexedImage &out, QString &error)
{
    QImage image(kDiagramWidth, kDiagramHeight, QImage::Format_RGB32);
    image.fill(kWhite);

    for (const Element &e : diagramElements()) {
        const QRgb colour = colourOf(e.ink);
        switch (e.kind) {
        case Kind::Text:
            if (!drawText(image, fonts, e, error))
                return false;
            break;
        case Kind::Rect:
            drawRect(image, boxOf(e), colour);
            break;
        case Kind::Circle:
            drawCircle(image, boxOf(e), colour);
            break;
        case Kind::Path:
        case Kind::Dashed:
            for (std::size_t i = 1; i < e.points.size(); ++i) {
                if (e.kind == Kind::Path)
                    drawStroke(image, e.points[i - 1], e.points[i], colour);
                else
                    drawDashedStroke(image, e.points[i - 1], e.points[i], colour);
            }
            if (e.ending == Ending::Arrow)
                drawArrowhead(image, e.points[e.points.size() - 2], e.points.back(), colour);
            break;
        }
    }

    // The program shows the diagram with its bottom-left colour made
    // transparent, so that pixel must stay background.
    if (image.pixel(0, kDiagramHeight - 1) != kWhite) {
        error = QStringLiteral("the bottom-left pixel is not white");
        return false;
    }

    out.width = image.width();
    out.height = image.height();
    out.palette = {kWhite, kBlack, kRed};
    out.pixels.resize(std::size_t(out.width) * std::size_t(out.height));
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            out.pixels[std::size_t(y) * std::size_t(out.width) + std::size_t(x)]
                = nearestIndex(image.pixel(x, y), out.palette);
    return true;
}

} // namespace resources
