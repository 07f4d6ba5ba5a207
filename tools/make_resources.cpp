// Generates the program's two bitmap resources, commande.bmp (the block
// diagram) and mainicon.ico (the icon), into the directory given on the
// command line. Run by hand; its outputs are kept in resources/.

#include "bmp_writer.h"
#include "diagram.h"
#include "icon.h"

#include <QDir>
#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>
#include <exception>

namespace {

const char *const kFontDirectory = "/usr/share/fonts/truetype/liberation2";

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        std::fprintf(stderr, "antenne-resources: cannot write %s: %s\n",
                     qPrintable(path), qPrintable(file.errorString()));
        return false;
    }
    std::printf("%s (%lld bytes)\n", qPrintable(path), static_cast<long long>(bytes.size()));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: antenne-resources OUTPUT_DIR\n"
                             "writes commande.bmp, mainicon.ico and icons/{32x32,128x128}/antenne.png\n"
                             "into OUTPUT_DIR\n");
        return 2;
    }

    // Drawing needs a GUI application but no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QString outputDir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(outputDir + QStringLiteral("/icons/32x32"))
        || !QDir().mkpath(outputDir + QStringLiteral("/icons/128x128"))) {
        std::fprintf(stderr, "antenne-resources: cannot create %s\n", argv[1]);
        return 1;
    }

    try {
        resources::DiagramFonts fonts;
        QString error;
        if (!resources::loadDiagramFonts(QString::fromLatin1(kFontDirectory), fonts, error)) {
            std::fprintf(stderr, "antenne-resources: %s\n", qPrintable(error));
            return 1;
        }
        resources::IndexedImage diagram;
        if (!resources::drawDiagram(fonts, diagram, error)) {
            std::fprintf(stderr, "antenne-resources: %s\n", qPrintable(error));
            return 1;
        }
        const QDir dir(outputDir);
        const resources::IndexedImage icon = resources::drawIcon();
        if (!writeFile(dir.filePath(QStringLiteral("commande.bmp")), resources::encodeBmp8(diagram))
            || !writeFile(dir.filePath(QStringLiteral("mainicon.ico")), resources::encodeIco4(icon)))
            return 1;
        // The same skyline for desktop menus, which take PNG: at its own
        // size and enlarged four times, pixel for pixel.
        for (const int scale : {1, 4}) {
            const int size = resources::kIconSize * scale;
            if (!writeFile(dir.filePath(QStringLiteral("icons/%1x%1/antenne.png").arg(size)),
                           resources::encodePng(icon, scale)))
                return 1;
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "antenne-resources: %s\n", e.what());
        return 1;
    }
    return 0;
}
