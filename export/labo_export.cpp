#include "export/labo_export.h"

#include "export/labo_graphs.h"
#include "export/device_write.h"
#include "model/csv.h"
#include "model/decimal.h"
#include "model/french.h"
#include "model/setting_table.h"

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

QString LaboSettingsHelp(bool french)
{
    QStringList lines;
    for (const labo::SettingInfo& row : labo::SettingTable()) {
        const QString accepts = QString::fromStdString(french ? row.accepts() : row.acceptsEnglish());
        // French sets a space before the colon, English none.
        lines << QStringLiteral("  %1%2 %3")
                     .arg(QString::fromUtf8(row.name), french ? QStringLiteral(" :") : QStringLiteral(":"), accepts);
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
