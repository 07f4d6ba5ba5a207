#include "export/labo_graphs.h"

#include "export/graph_ticks.h"
#include "model/figures.h"
#include "model/french.h"
#include "model/laboratory.h"
#include "model/loop.h"
#include "model/presets.h"
#include "surface/fonts.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QList>
#include <QPainter>
#include <QPen>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QTextCharFormat>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using labo::Sample;

// The page, in logical pixels.
constexpr int pageWidth = 1000;
constexpr int pageHeight = 960;
constexpr double margin = 30;
constexpr double plotHeight = 250;
// Above each plot, its heading: the quantity and the legend.
constexpr double headingRoom = 26;
// Right of the plots, the time axis' "t (s)".
constexpr double timeTitleRoom = 40;
// At most this many intervals between the ticks of an axis.
constexpr int valueIntervals = 6;
constexpr int timeIntervals = 10;

// The curves' colours: the consigne navy, the position maroon as the
// program draws the antenna's curve; the voltages green and orange.
const QColor navy(0x1f, 0x4f, 0xbf);
const QColor maroon(0x80, 0x00, 0x00);
const QColor green(0x00, 0x7f, 0x00);
const QColor orange(0xd0, 0x60, 0x00);
const QColor limitGrey(0x80, 0x80, 0x80);
const QColor gustYellow(0xff, 0xf7, 0xc8);
const QColor gustEdge(0xe0, 0xc8, 0x60);
const QColor gridGrey(0xe4, 0xe4, 0xe4);
const QColor zeroGrey(0xa0, 0xa0, 0xa0);
const QColor frameGrey(0x50, 0x50, 0x50);
const QColor textBlack(0x20, 0x20, 0x20);
const QColor noteGrey(0x60, 0x60, 0x60);

// ---- The numbers of the picture, apart from the painting ----

// The smallest and largest of some values.
struct Extent {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    void add(double v)
    {
        low = std::min(low, v);
        high = std::max(high, v);
    }
};

Extent extentOf(const std::vector<Sample>& samples, std::initializer_list<double Sample::*> fields)
{
    Extent extent;
    for (const Sample& sample : samples)
        for (double Sample::*field : fields)
            extent.add(sample.*field);
    return extent;
}

// The angles' axis holds the consigne and the position (an empty run gets
// the axis of no values).
graph::Axis angleAxis(const labo::Run& run)
{
    const Extent angles = extentOf(run.samples, {&Sample::setPoint, &Sample::position});
    return graph::ValueAxis(angles.low, angles.high, valueIntervals);
}

// The voltages' axis holds the commande and the tension moteur, and the
// chopper's limit on each side where they reach half of it: a limit far
// beyond the curves would flatten them; it is then left out of the frame.
graph::Axis voltageAxis(const labo::Run& run)
{
    Extent volts = extentOf(run.samples, {&Sample::command, &Sample::voltage});
    const labo::Settings& s = run.settings;
    if (s.limited() && !run.samples.empty()) {
        if (volts.high >= s.limit / 2)
            volts.add(s.limit);
        if (volts.low <= -s.limit / 2)
            volts.add(-s.limit);
    }
    return graph::ValueAxis(volts.low, volts.high, valueIntervals);
}

// The chopper's limits that lie on an axis.
std::vector<double> limitsOn(const labo::Settings& s, const graph::Axis& axis)
{
    std::vector<double> limits;
    if (!s.limited())
        return limits;
    for (const double level : {s.limit, -s.limit})
        if (level >= axis.low && level <= axis.high)
            limits.push_back(level);
    return limits;
}

// From when to when the gust blows within the run, if it does.
std::optional<std::pair<double, double>> gustInterval(const labo::Settings& s)
{
    const labo::Loop loop(s);
    if (!loop.gustInRun())
        return std::nullopt;
    return std::pair{loop.gustStart(), std::min(s.length, loop.gustEnd())};
}

// The middle of the pixel a one-pixel line at v covers, so that it stays
// sharp on an image at any whole scale.
double crisp(double v)
{
    return std::floor(v) + 0.5;
}

// "-2,5" with a true minus sign, as a printed graph has it.
QString tickLabel(double value, int decimals)
{
    QString label = QString::fromStdString(labo::French(value, decimals));
    if (label.startsWith(QLatin1Char('-')))
        label[0] = QChar(0x2212);
    return label;
}

// ---- Texts ----

QFont sans(int pixels)
{
    QFont font(SansFace());
    font.setPixelSize(pixels);
    // Unhinted, a text has the same advances at every scale and on every
    // device: the SVG and the PNGs are laid out alike.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// A text ready to be laid out. Exponents such as the "⁻¹" of "s⁻¹", whose
// superscript minus the embedded face lacks, are written with plain signs
// set as superscripts, so that no other face has to stand in for them; and
// a number is kept on the line of its unit ("0,16 s", "25,0 %").
struct Text {
    QString text;
    QList<QTextLayout::FormatRange> formats;
};

// Whether a unit starts at `at` in `source`, as a word of its own.
bool unitAt(const QString& source, qsizetype at)
{
    for (const QString& unit : {QStringLiteral("s"), QStringLiteral("%"), QStringLiteral("V"), QStringLiteral("dB"),
                                QStringLiteral("rad/s"), QStringLiteral("N·m"), QStringLiteral("°")}) {
        const qsizetype end = at + unit.size();
        if (source.mid(at, unit.size()) == unit &&
            (end == source.size() || !source[end].isLetterOrNumber() || source[end] == QChar(0x207B)))
            return true;
    }
    return false;
}

Text text(const QString& source)
{
    const QChar superscriptMinus(0x207B);
    const QString superscriptDigits = QStringLiteral("⁰¹²³⁴⁵⁶⁷⁸⁹");
    Text out;
    for (qsizetype i = 0; i < source.size(); ++i) {
        if (source[i] == QLatin1Char(' ') && i > 0 && source[i - 1].isDigit() && unitAt(source, i + 1)) {
            out.text += QChar(QChar::Nbsp);
            continue;
        }
        if (source[i] != superscriptMinus) {
            out.text += source[i];
            continue;
        }
        const qsizetype start = out.text.size();
        out.text += QChar(0x2212);
        while (i + 1 < source.size() && superscriptDigits.contains(source[i + 1])) {
            out.text += QChar(static_cast<char16_t>(u'0' + superscriptDigits.indexOf(source[i + 1])));
            ++i;
        }
        QTextLayout::FormatRange range;
        range.start = static_cast<int>(start);
        range.length = static_cast<int>(out.text.size() - start);
        range.format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        out.formats << range;
    }
    return out;
}

Text text(const std::string& utf8)
{
    return text(QString::fromStdString(utf8));
}

// How far the lines after a paragraph's first are set in.
constexpr double hangingIndent = 16;

// Lays a paragraph out across `width`, the lines after its first set in;
// paints it from `topLeft` when `paint` is set. Returns its height.
double paragraph(QPainter& painter, const Text& t, const QFont& font, const QColor& colour, QPointF topLeft,
                 double width, bool paint = true)
{
    QTextLayout layout(t.text, font, painter.device());
    layout.setFormats(t.formats);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    double y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        const double indent = line.lineNumber() == 0 ? 0 : hangingIndent;
        line.setLineWidth(width - indent);
        line.setPosition(QPointF(indent, y));
        y += line.height();
    }
    layout.endLayout();
    if (paint) {
        painter.setPen(colour);
        layout.draw(&painter, topLeft);
    }
    return y;
}

// One line of text that is not wrapped, its top at `top`.
void label(QPainter& painter, const QString& s, const QFont& font, const QColor& colour, QPointF topLeft)
{
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(QPointF(topLeft.x(), topLeft.y() + QFontMetricsF(font).ascent()), s);
}

// ---- The graphs ----

struct Plot {
    QRectF frame;
    graph::Axis time;
    graph::Axis values;

    double x(double t) const { return frame.left() + (t - time.low) / (time.high - time.low) * frame.width(); }
    double y(double v) const
    {
        return frame.bottom() - (v - values.low) / (values.high - values.low) * frame.height();
    }
};

struct Curve {
    QColor colour;
    double Sample::*field;
    double width;  // the first drawn wider, so that the second, on it, leaves it seen
};

struct LegendItem {
    enum class Kind { Line, Dashed, Area };
    Kind kind;
    QColor colour;
    QString name;
};

QPen dashed(const QColor& colour)
{
    QPen pen(colour, 1.2);
    pen.setDashPattern({5, 3.5});
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

// Above a graph: the quantity and its unit on the left, an optional note
// after it, the legend on the right.
void paintHeading(QPainter& painter, const Plot& plot, double top, const QString& title, const QString& note,
                  const std::vector<LegendItem>& legend)
{
    const QFont titleFont = sans(14);
    const QFont legendFont = sans(13);
    label(painter, title, titleFont, textBlack, QPointF(margin, top));
    if (!note.isEmpty())
        label(painter, note, legendFont, maroon,
              QPointF(margin + QFontMetricsF(titleFont).horizontalAdvance(title) + 12, top + 1));

    constexpr double swatch = 24;
    constexpr double gap = 6;
    constexpr double spacing = 18;
    const QFontMetricsF metrics(legendFont);
    double right = plot.frame.right();
    const double middle = top + 1 + metrics.ascent() - metrics.xHeight() / 2;
    for (auto item = legend.rbegin(); item != legend.rend(); ++item) {
        const double textLeft = right - metrics.horizontalAdvance(item->name);
        label(painter, item->name, legendFont, textBlack, QPointF(textLeft, top + 1));
        const double swatchLeft = textLeft - gap - swatch;
        switch (item->kind) {
        case LegendItem::Kind::Line:
            painter.setPen(QPen(item->colour, 2.2, Qt::SolidLine, Qt::FlatCap));
            painter.drawLine(QPointF(swatchLeft, middle), QPointF(swatchLeft + swatch, middle));
            break;
        case LegendItem::Kind::Dashed:
            painter.setPen(dashed(item->colour));
            painter.drawLine(QPointF(swatchLeft, crisp(middle)), QPointF(swatchLeft + swatch, crisp(middle)));
            break;
        case LegendItem::Kind::Area:
            painter.setPen(QPen(gustEdge, 1));
            painter.setBrush(item->colour);
            painter.drawRect(QRectF(swatchLeft + 0.5, std::floor(middle) - 5.5, swatch - 1, 11));
            painter.setBrush(Qt::NoBrush);
            break;
        }
        right = swatchLeft - spacing;
    }
}

// The graph itself: the gust shaded, the grid and the zero line, the
// limits, the curves, the frame and the axes' labels.
void paintPlot(QPainter& painter, const Plot& plot, const labo::Laboratory& lab, const std::vector<Curve>& curves,
               const std::vector<double>& limits)
{
    const QRectF& f = plot.frame;
    painter.fillRect(f, Qt::white);
    if (const auto gust = gustInterval(lab.parsed.settings))
        painter.fillRect(QRectF(QPointF(plot.x(gust->first), f.top()), QPointF(plot.x(gust->second), f.bottom())),
                         gustYellow);

    const std::vector<double> valueTicks = graph::Ticks(plot.values);
    const std::vector<double> timeTicks = graph::Ticks(plot.time);
    painter.setPen(QPen(gridGrey, 1));
    for (const double v : valueTicks)
        painter.drawLine(QPointF(f.left(), crisp(plot.y(v))), QPointF(f.right(), crisp(plot.y(v))));
    for (const double t : timeTicks)
        painter.drawLine(QPointF(crisp(plot.x(t)), f.top()), QPointF(crisp(plot.x(t)), f.bottom()));
    if (plot.values.low < 0 && plot.values.high > 0) {
        painter.setPen(QPen(zeroGrey, 1));
        painter.drawLine(QPointF(f.left(), crisp(plot.y(0))), QPointF(f.right(), crisp(plot.y(0))));
    }
    painter.setPen(dashed(limitGrey));
    for (const double level : limits)
        painter.drawLine(QPointF(f.left(), crisp(plot.y(level))), QPointF(f.right(), crisp(plot.y(level))));

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (const Curve& curve : curves) {
        QPolygonF line;
        line.reserve(static_cast<qsizetype>(lab.run.samples.size()));
        for (const Sample& s : lab.run.samples)
            line << QPointF(plot.x(s.t), plot.y(s.*curve.field));
        painter.setPen(QPen(curve.colour, curve.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(line);
    }
    painter.restore();

    // The frame on whole pixels, its ticks outside it.
    const QRectF edge(QPointF(crisp(f.left()), crisp(f.top())), QPointF(crisp(f.right()), crisp(f.bottom())));
    painter.setPen(QPen(frameGrey, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(edge);
    constexpr double tick = 4;
    const QFont tickFont = sans(13);
    const QFontMetricsF metrics(tickFont);
    painter.setFont(tickFont);
    for (const double v : valueTicks) {
        const double y = crisp(plot.y(v));
        painter.setPen(QPen(frameGrey, 1));
        painter.drawLine(QPointF(edge.left() - tick, y), QPointF(edge.left(), y));
        const QString s = tickLabel(v, plot.values.decimals);
        label(painter, s, tickFont, textBlack,
              QPointF(edge.left() - tick - 4 - metrics.horizontalAdvance(s), y - metrics.ascent() / 2 - 1));
    }
    for (const double t : timeTicks) {
        const double x = crisp(plot.x(t));
        painter.setPen(QPen(frameGrey, 1));
        painter.drawLine(QPointF(x, edge.bottom()), QPointF(x, edge.bottom() + tick));
        const QString s = tickLabel(t, plot.time.decimals);
        label(painter, s, tickFont, textBlack, QPointF(x - metrics.horizontalAdvance(s) / 2, edge.bottom() + tick + 2));
    }
    label(painter, QStringLiteral("t (s)"), tickFont, textBlack, QPointF(edge.right() + 14, edge.bottom() + tick + 2));
}

// How wide the widest label of these axes is.
double labelsWidth(std::initializer_list<graph::Axis> axes)
{
    const QFontMetricsF metrics(sans(13));
    double widest = 0;
    for (const graph::Axis& axis : axes)
        for (const double v : graph::Ticks(axis))
            widest = std::max(widest, metrics.horizontalAdvance(tickLabel(v, axis.decimals)));
    return widest;
}

// ---- The figures and the analysis ----

struct Column {
    QString heading;
    QString note;
    std::vector<Text> lines;
};

// A column's height in a text of `pixels`, painted from `topLeft` if `paint`.
double paintColumn(QPainter& painter, const Column& column, int pixels, QPointF topLeft, double width, bool paint)
{
    const QFont headingFont = sans(pixels + 2);
    const QFont lineFont = sans(pixels);
    const QFont noteFont = sans(pixels - 1);
    double y = topLeft.y();
    y += paragraph(painter, text(column.heading), headingFont, textBlack, QPointF(topLeft.x(), y), width, paint);
    if (paint) {
        painter.setPen(QPen(frameGrey, 1));
        painter.drawLine(QPointF(topLeft.x(), crisp(y + 2)), QPointF(topLeft.x() + width, crisp(y + 2)));
    }
    y += 6;
    if (!column.note.isEmpty())
        y += paragraph(painter, text(column.note), noteFont, noteGrey, QPointF(topLeft.x(), y), width, paint) + 3;
    for (const Text& line : column.lines)
        y += paragraph(painter, line, lineFont, textBlack, QPointF(topLeft.x(), y), width, paint) + 2;
    return y - topLeft.y();
}

// "Dépassement D1 : 25,0 %".
Text entry(const std::string& name, const std::string& value)
{
    return text(QStringLiteral("%1 : %2").arg(QString::fromStdString(name), QString::fromStdString(value)));
}

Column figuresColumn(const labo::Laboratory& lab)
{
    Column column{QStringLiteral("Mesures sur l'essai"), {}, {}};
    for (const labo::FigureInfo& info : labo::FigureTable())
        column.lines.push_back(entry(info.name, labo::FigureText(lab.figures.*info.figure, info)));
    return column;
}

Column analysisColumn(const labo::Laboratory& lab)
{
    const labo::Settings& s = lab.parsed.settings;
    Column column{QStringLiteral("Analyse du modèle linéaire"),
                  s.limited() ? QStringLiteral("Sans la limite ±%1 V du hacheur, dont l'essai, lui, tient compte.")
                                    .arg(QString::fromStdString(labo::FrenchSignificant(s.limit, 6)))
                              : QStringLiteral("Sans limite du hacheur, l'essai suit ce modèle."),
                  {}};
    for (const auto& [name, value] : labo::AnalysisLines(lab.analysis))
        column.lines.push_back(entry(name, value));
    return column;
}

// The two columns side by side from `top`, in the largest text that lets
// them end above `bottom`.
void paintColumns(QPainter& painter, const labo::Laboratory& lab, double top, double bottom)
{
    constexpr double gutter = 30;
    const double width = (pageWidth - 2 * margin - gutter) / 2;
    const Column columns[] = {figuresColumn(lab), analysisColumn(lab)};
    int pixels = 14;
    for (; pixels > 10; --pixels) {
        double tallest = 0;
        for (const Column& column : columns)
            tallest = std::max(tallest, paintColumn(painter, column, pixels, QPointF(0, 0), width, false));
        if (top + tallest <= bottom)
            break;
    }
    paintColumn(painter, columns[0], pixels, QPointF(margin, top), width, true);
    paintColumn(painter, columns[1], pixels, QPointF(margin + width + gutter, top), width, true);
}

QString presetTitle(const labo::Settings& s)
{
    for (const labo::Preset& preset : labo::Presets())
        if (s.preset == preset.name)
            return QStringLiteral("d'après le préréglage «\u00a0%1\u00a0»").arg(QString::fromUtf8(preset.title));
    return {};
}

}  // namespace

QSize LaboReportSize()
{
    return {pageWidth, pageHeight};
}

void PaintLaboReport(QPainter& painter, const labo::Laboratory& lab)
{
    const labo::Settings& s = lab.parsed.settings;
    const labo::Run& run = lab.run;
    painter.fillRect(QRectF(0, 0, pageWidth, pageHeight), Qt::white);
    const double textWidth = pageWidth - 2 * margin;

    // The title, the preset it started from, and the set-up.
    double y = 20;
    const QFont titleFont = sans(24);
    label(painter, QStringLiteral("Antenne — laboratoire"), titleFont, textBlack, QPointF(margin, y));
    const QString preset = presetTitle(s);
    if (!preset.isEmpty()) {
        const QFont presetFont = sans(14);
        const QFontMetricsF metrics(presetFont);
        label(painter, preset, presetFont, noteGrey,
              QPointF(pageWidth - margin - metrics.horizontalAdvance(preset),
                      y + QFontMetricsF(titleFont).ascent() - metrics.ascent()));
    }
    y += QFontMetricsF(titleFont).height() + 4;
    y += paragraph(painter, text(labo::SettingsSummary(s)), sans(15), textBlack, QPointF(margin, y), textWidth);

    // The two graphs, on one time axis, their value labels in one column.
    const graph::Axis time = graph::SpanAxis(0, s.length, timeIntervals);
    const graph::Axis angles = angleAxis(run);
    const graph::Axis volts = voltageAxis(run);
    const double plotLeft = margin + labelsWidth({angles, volts}) + 10;
    const double plotRight = pageWidth - margin - timeTitleRoom;
    const auto gust = gustInterval(s);
    const LegendItem gustItem{LegendItem::Kind::Area, gustYellow, QStringLiteral("rafale de vent")};

    y += 14;
    const Plot anglePlot{QRectF(plotLeft, y + headingRoom, plotRight - plotLeft, plotHeight), time, angles};
    std::vector<LegendItem> legend{{LegendItem::Kind::Line, navy, QStringLiteral("consigne")},
                                   {LegendItem::Kind::Line, maroon, QStringLiteral("position")}};
    if (gust)
        legend.push_back(gustItem);
    const QString stopped =
        run.diverged ? QStringLiteral("l'essai s'arrête à %1 s : la position s'emballe")
                           .arg(QString::fromStdString(labo::French(run.divergedAt, 2)))
                     : QString();
    paintHeading(painter, anglePlot, y, QStringLiteral("Angles (°)"), stopped, legend);
    paintPlot(painter, anglePlot, lab,
              {{navy, &Sample::setPoint, 2.6}, {maroon, &Sample::position, 1.6}}, {});
    y = anglePlot.frame.bottom() + 40;

    const Plot voltPlot{QRectF(plotLeft, y + headingRoom, plotRight - plotLeft, plotHeight), time, volts};
    const std::vector<double> limits = limitsOn(s, volts);
    legend = {{LegendItem::Kind::Line, green, QStringLiteral("commande")},
              {LegendItem::Kind::Line, orange, QStringLiteral("tension moteur")}};
    if (s.limited())
        legend.push_back({LegendItem::Kind::Dashed, limitGrey,
                          QStringLiteral("limite ±%1 V%2")
                              .arg(QString::fromStdString(labo::FrenchSignificant(s.limit, 6)),
                                   limits.empty() ? QStringLiteral(" (hors du cadre)") : QString())});
    if (gust)
        legend.push_back(gustItem);
    paintHeading(painter, voltPlot, y, QStringLiteral("Tensions (V)"), {}, legend);
    paintPlot(painter, voltPlot, lab,
              {{green, &Sample::command, 2.6}, {orange, &Sample::voltage, 1.6}},
              limits);

    // The run's figures beside the linear analysis.
    paintColumns(painter, lab, voltPlot.frame.bottom() + 44, pageHeight - 16);
}
