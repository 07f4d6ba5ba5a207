#include "export/web_page.h"

#include "app/state.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <map>
#include <stdexcept>

namespace {

QByteArray resource(const QString& name)
{
    QFile file(QStringLiteral(":/page/") + name);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("the page's " + name.toStdString() + " is not embedded in the program");
    return file.readAll();
}

// Text inside a <script> or <style> element ends at the first "</" followed
// by the element's name, whatever the language inside thinks.
void checkEmbeddable(const QByteArray& text, const char* element, const QString& what)
{
    if (text.toLower().contains(QByteArray("</") + element))
        throw std::runtime_error(what.toStdString() + " holds </" + element + " and cannot be embedded");
}

// The page rebuilds its own file from the text of its elements (see
// web/page_source.js), which the browser reads with every line break made
// a line feed and NUL made U+FFFD: a part holding either could not be
// rebuilt byte for byte.
void checkReadBack(const std::map<QByteArray, QByteArray>& parts)
{
    for (const auto& [name, text] : parts)
        if (text.contains('\r') || text.contains('\0'))
            throw std::runtime_error("the page's part " + name.toStdString() +
                                     " holds a carriage return or a NUL, which the browser would not keep");
}

// The program's block diagram, for the laboratory's picture, as PNG.
QByteArray diagramPng()
{
    const QImage diagram(QStringLiteral(":/bitmaps/COMMANDE.bmp"));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (diagram.isNull() || !diagram.save(&buffer, "PNG"))
        throw std::runtime_error("the block diagram cannot be written as PNG for the page");
    return png;
}

QByteArray json(const PageContent& content)
{
    QJsonArray scenarios;
    for (const PageScenario& scenario : content.scenarios)
        scenarios.append(QJsonObject{
            {QStringLiteral("name"), scenario.name},
            {QStringLiteral("title"), scenario.title},
            {QStringLiteral("caption"), scenario.caption},
            {QStringLiteral("x"), scenario.button.x()},
            {QStringLiteral("y"), scenario.button.y()},
            {QStringLiteral("width"), scenario.button.width()},
            {QStringLiteral("height"), scenario.button.height()},
            {QStringLiteral("frames"), scenario.frames},
        });
    QJsonObject data{
        {QStringLiteral("width"), content.size.width()},
        {QStringLiteral("height"), content.size.height()},
        {QStringLiteral("scale"), content.scale},
        {QStringLiteral("scenarios"), scenarios},
    };
    if (content.startupScenario)
        data.insert(QStringLiteral("startupScenario"), *content.startupScenario);
    data.insert(QStringLiteral("diagram"), QString::fromLatin1(diagramPng().toBase64()));
    // The dish's pivot and radius, for the laboratory to draw it as the program does.
    data.insert(QStringLiteral("antenna"), QJsonObject{{QStringLiteral("x"), CentreX},
                                                       {QStringLiteral("y"), CentreY},
                                                       {QStringLiteral("radius"), Rayon}});
    // '<' only ever stands inside JSON strings, where its escape means the same.
    return QJsonDocument(data).toJson(QJsonDocument::Compact).replace('<', "\\u003c");
}

// Frames, the model or the template as a zlib stream in base64. qCompress writes the stream after
// four bytes of its own giving the uncompressed length.
QByteArray compressedFrames(const QByteArray& frames)
{
    return qCompress(frames, 9).mid(4).toBase64();
}

// Replaces each {{name}} of the template by its part. The parts are not
// searched for markers themselves.
QByteArray fill(const QByteArray& page, const std::map<QByteArray, QByteArray>& parts)
{
    QByteArray out;
    qsizetype from = 0;
    for (qsizetype open = page.indexOf("{{"); open >= 0; open = page.indexOf("{{", from)) {
        const qsizetype close = page.indexOf("}}", open);
        if (close < 0)
            break;
        const auto part = parts.find(page.mid(open + 2, close - open - 2));
        if (part == parts.end())
            throw std::runtime_error("page.html has an unknown part " + page.mid(open, close + 2 - open).toStdString());
        out += page.mid(from, open - from);
        out += part->second;
        from = close + 2;
    }
    return out + page.mid(from);
}

}  // namespace

QByteArray WebPage(const PageContent& content)
{
    const QByteArray style = resource(QStringLiteral("page.css"));
    const QByteArray script = resource(QStringLiteral("page.js"));
    checkEmbeddable(style, "style", QStringLiteral("page.css"));
    checkEmbeddable(script, "script", QStringLiteral("page.js"));
    // The notice of the libraries the page embeds, in the comment at its
    // top: "--" cannot stand inside an HTML comment.
    const QByteArray licences = "uPlot (https://github.com/leeoniya/uPlot) draws the laboratory's curves:\n" +
                                resource(QStringLiteral("uplot-licence.txt")).replace("--", "- -") +
                                "\nfflate (https://github.com/101arrowz/fflate) writes an exercise's SCORM package:\n" +
                                resource(QStringLiteral("fflate-licence.txt")).replace("--", "- -");
    const QByteArray page = resource(QStringLiteral("page.html"));
    const std::map<QByteArray, QByteArray> parts = {
        {"title", content.caption.toHtmlEscaped().toUtf8()},
        {"licences", licences},
        {"style", style},
        {"script", script},
        {"data", json(content)},
        {"icon", "data:image/png;base64," + content.icon.toBase64()},
        {"startup", compressedFrames(content.startupFrame)},
        {"scenarios", compressedFrames(content.scenarioFrames)},
        {"model", compressedFrames(resource(QStringLiteral("model.wasm")))},
        // The template itself, for the page to fill again with the parts
        // it holds when it writes its own file into an exercise's package.
        {"template", compressedFrames(page)}};
    checkReadBack(parts);
    return fill(page, parts);
}
