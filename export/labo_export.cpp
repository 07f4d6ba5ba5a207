#include "export/labo_export.h"

#include "export/labo_graphs.h"
#include "export/device_write.h"
#include "model/csv.h"
#include "model/decimal.h"
#include "model/french.h"
#include "model/settings.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <stdexcept>
#include <string>

bool LaboFormatOf(const QString& output, LaboFormat& format)
{
    const std::pair<const char*, LaboFormat> known[] = {
        {".csv", LaboFormat::Csv}, {".svg", LaboFormat::Svg}, {".png", LaboFormat::Png}};
    for (const auto& [suffix, which] : known)
        if (output.endsWith(QLatin1String(suffix), Qt::CaseInsensitive)) {
            format = which;
            return true;
        }
    return false;
}

namespace {

// The unit of a number setting, for the English help (the French one has
// the model's own words).
const char* unitOf(const std::string& name)
{
    const std::pair<const char*, const char*> units[] = {
        {"Ti", " s"},        {"Td", " s"},         {"amplitude", "°"},  {"pente", "°/s"}, {"vent", " N·m"},
        {"debutVent", " s"}, {"dureeVent", " s"}, {"saturation", " V"}, {"duree", " s"}};
    for (const auto& [setting, unit] : units)
        if (name == setting)
            return unit;
    return "";
}

// What 0 means for the number settings where it means something.
const char* zeroOf(const std::string& name)
{
    const std::pair<const char*, const char*> meanings[] = {
        {"vent", " (0: no wind)"}, {"dureeVent", " (0: to the end of the run)"}, {"saturation", " (0: no limit)"}};
    for (const auto& [setting, meaning] : meanings)
        if (name == setting)
            return meaning;
    return "";
}

QString number(double x)
{
    return QString::fromStdString(labo::FormatShortest(x, '.'));
}

QString englishRange(const labo::NumberSetting& n)
{
    const QString unit = QString::fromUtf8(unitOf(n.name));
    return QStringLiteral("%1%2 to %3%4%5")
        .arg(n.zeroOff ? QStringLiteral("0 (off) or ") : QString(), number(n.low), number(n.high), unit,
             QString::fromUtf8(zeroOf(n.name)));
}

// What the settings that are no number accept.
QString wordsOf(const std::string& name, bool french)
{
    if (name == "regulateur")
        return french ? QStringLiteral("P, PI ou PID") : QStringLiteral("P, PI or PID");
    if (name == "antisaturation")
        return french ? QStringLiteral("1 (avec) ou 0 (sans)") : QStringLiteral("1 (on) or 0 (off)");
    if (name == "entree")
        return french ? QStringLiteral("echelon ou rampe") : QStringLiteral("echelon (a step) or rampe (a ramp)");
    if (name == "preset") {
        QStringList presets;
        for (const labo::Preset& preset : labo::Presets())
            presets << QString::fromUtf8(preset.name);
        return presets.join(QStringLiteral(", "));
    }
    return french ? QStringLiteral("un exercice de la page, sans effet ici")
                  : QStringLiteral("an exercise of the page, of no effect here");
}

}  // namespace

QString LaboSettingsHelp(bool french)
{
    QStringList lines;
    for (const std::string& name : labo::SettingNames()) {
        QString accepts = wordsOf(name, french);
        for (const labo::NumberSetting& n : labo::NumberSettings())
            if (name == n.name)
                accepts = french ? QString::fromUtf8(n.accepts) : englishRange(n);
        // French sets a space before the colon, English none.
        lines << QStringLiteral("  %1%2 %3")
                     .arg(QString::fromStdString(name), french ? QStringLiteral(" :") : QStringLiteral(":"), accepts);
    }
    return lines.join(QLatin1Char('\n'));
}

void WriteLabo(const labo::Laboratory& lab, LaboFormat format, int scale, QIODevice& device)
{
    if (format == LaboFormat::Csv) {
        WriteAll(device, QByteArray::fromStdString(labo::RunCsv(lab.run)));
        return;
    }
    if (format == LaboFormat::Svg) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(LaboReportSize());
        svg.setViewBox(QRect(QPoint(0, 0), LaboReportSize()));
        // Its width and height in millimetres: a document it is put in shows
        // it at the width of an A4 page's text.
        svg.setResolution(LaboReportDpi);
        svg.setTitle(QStringLiteral("Antenne — laboratoire"));
        svg.setDescription(QString::fromStdString(labo::SettingsSummary(lab.parsed.settings)));
        QPainter painter;
        if (!painter.begin(&svg))
            throw std::runtime_error("the SVG cannot be drawn");
        PaintLaboReport(painter, lab);
        painter.end();
        WriteAll(device, buffer.data());
        return;
    }
    QImage image(LaboReportSize() * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    QPainter painter(&image);
    PaintLaboReport(painter, lab);
    painter.end();
    image.setDevicePixelRatio(1.0);
    // At any scale, the same printed size as the SVG's.
    const int dotsPerMetre = qRound(LaboReportDpi * scale / 0.0254);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    WritePng(image, device);
}
