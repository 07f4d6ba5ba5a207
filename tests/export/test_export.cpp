// The export tool, run as its own process: the GIF it writes decodes (with
// Qt's reader, not our encoder) to the scene's frames, pixel for pixel as the
// window shows them, looping at 100 ms a frame; the PNG is the last of them;
// every misuse and every unwritable output fails cleanly; an exercise's SCORM
// package holds the very page and a SCORM 1.2 manifest. And the encoders on
// their own, on pictures with more colours than they hold. The web page is
// checked in a browser (tests/browser).
#include "export/gif_animation.h"
#include "export/page_frames.h"
#include "export/graph_ticks.h"
#include "model/csv.h"
#include "model/figures.h"
#include "model/laboratory.h"
#include "model/settings.h"
#include "window_fixture.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QTest>

#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Run {
    int code;
    QString out;
    QString err;
};

Run runExport(const QStringList& arguments)
{
    QProcess process;
    // As for root on CI: the tool must still print nothing of the toolkit's.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(EXPORT_PATH), arguments);
    if (!process.waitForFinished(120000))
        return {-1, {}, QStringLiteral("did not finish")};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

struct Decoded {
    QList<QImage> frames;
    QList<int> delays;
    int loops = 0;
};

Decoded decodeGif(QImageReader& reader)
{
    Decoded decoded;
    for (QImage frame = reader.read(); !frame.isNull(); frame = reader.read()) {
        decoded.frames << frame.convertToFormat(QImage::Format_RGB32);
        decoded.delays << reader.nextImageDelay();
    }
    decoded.loops = reader.loopCount();
    return decoded;
}

Decoded decodeGif(const QString& path)
{
    QImageReader reader(path, "gif");
    return decodeGif(reader);
}

// A picture of 16 x 16 pixels, all of different colours, from first on.
QImage distinctColours(QRgb first)
{
    QImage picture(16, 16, QImage::Format_RGB32);
    for (int i = 0; i < 256; ++i)
        picture.setPixel(i % 16, i / 16, 0xFF000000u | (first + static_cast<QRgb>(i) * 0x010305u));
    return picture;
}

QImage loadPng(const QString& path)
{
    return QImage(path, "PNG").convertToFormat(QImage::Format_RGB32);
}

const QStringList scenarios = {QStringLiteral("presentation"), QStringLiteral("aperiodique"),
                               QStringLiteral("oscillatoire"), QStringLiteral("instabilite"),
                               QStringLiteral("rampe"),        QStringLiteral("perturbation")};

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// A zip's files in their order, read by libzip; none if it is no zip.
std::vector<std::pair<QString, QByteArray>> unzip(const QString& path)
{
    std::vector<std::pair<QString, QByteArray>> files;
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (archive == nullptr)
        return files;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        if (file == nullptr || zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat) < 0)
            break;
        QByteArray bytes(static_cast<qsizetype>(stat.size), '\0');
        const zip_int64_t read = zip_fread(file, bytes.data(), stat.size);
        zip_fclose(file);
        files.emplace_back(QString::fromUtf8(stat.name), read == static_cast<zip_int64_t>(stat.size) ? bytes : QByteArray());
    }
    zip_discard(archive);
    return files;
}

// An XML document's elements in document order, each as its path from the
// root ("manifest/metadata/schema"), its attributes and its own text.
struct XmlElement {
    QString path;
    QXmlStreamAttributes attributes;
    QString text;
};

std::vector<XmlElement> xmlElements(const QByteArray& xml, QString& error)
{
    std::vector<XmlElement> elements;
    std::vector<std::size_t> open;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QString parent = open.empty() ? QString() : elements[open.back()].path + QLatin1Char('/');
            open.push_back(elements.size());
            elements.push_back({parent + reader.name().toString(), reader.attributes(), {}});
        } else if (token == QXmlStreamReader::EndElement) {
            open.pop_back();
        } else if (token == QXmlStreamReader::Characters && !open.empty()) {
            elements[open.back()].text += reader.text().trimmed();
        }
    }
    error = reader.hasError() ? reader.errorString() : QString();
    return elements;
}

}  // namespace

class TestExport : public QObject {
    Q_OBJECT
private slots:
    // Each scenario's picture: the window's top 800 x 488, with the green
    // title in its strip and the diagram's red controller block.
    void pictureShowsTheScenario_data()
    {
        QTest::addColumn<QString>("scenario");
        for (const QString& name : scenarios)
            QTest::newRow(qPrintable(name)) << name;
    }
    void pictureShowsTheScenario()
    {
        QFETCH(QString, scenario);
        QTemporaryDir dir;
        const QString png = dir.filePath(scenario + QStringLiteral(".png"));
        const Run run = runExport({scenario, png});
        QCOMPARE(run.code, 0);
        const QImage picture = loadPng(png);
        QCOMPARE(picture.size(), QSize(800, 488));
        QVERIFY(countColour(picture, green, QRect(600, 20, 200, 30)) > 50);
        QVERIFY(countColour(picture, red, QRect(205, 139, 61, 47)) > 100);
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));  // no progress unless on a terminal, no noise
        QCOMPARE(entries(dir.path()), QStringList{scenario + QStringLiteral(".png")});
    }

    // The animation, decoded by Qt, is exactly what the window showed after
    // each tick of the same replay done here, and ends on the PNG's picture.
    void gifHoldsEveryTickOfTheWindow()
    {
        QTemporaryDir dir;
        const QString gif = dir.filePath(QStringLiteral("a.gif"));
        const QString png = dir.filePath(QStringLiteral("a.png"));
        const QString first = dir.filePath(QStringLiteral("a0.png"));
        const QString middle = dir.filePath(QStringLiteral("a20.png"));
        QCOMPARE(runExport({QStringLiteral("aperiodique"), gif}).code, 0);
        QCOMPARE(runExport({QStringLiteral("aperiodique"), png}).code, 0);
        QCOMPARE(runExport({QStringLiteral("aperiodique"), first, QStringLiteral("--frame"), QStringLiteral("0")}).code, 0);
        QCOMPARE(runExport({QStringLiteral("aperiodique"), middle, QStringLiteral("--frame=20")}).code, 0);
        const Decoded decoded = decodeGif(gif);
        QCOMPARE(decoded.frames.size(), 40);
        QCOMPARE(decoded.delays, QList<int>(40, 100));
        QCOMPARE(decoded.loops, -1);  // Qt's word for "forever"

        WindowFixture f;
        // Shown at a size that holds the exported area (offscreen, the
        // maximized window is a few pixels narrower than 800).
        f.window->setWindowState(Qt::WindowNoState);
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        f.window->resize(800, 600);
        QCOMPARE(f.window->size(), QSize(800, 600));
        f.tick();
        f.click(2);
        const auto shownNow = [&f] {
            return f.window->grab(QRect(0, 0, 800, 488)).toImage().convertToFormat(QImage::Format_RGB32);
        };
        QCOMPARE(loadPng(first), shownNow());  // frame 0: the prepared picture
        for (int i = 0; i < 40; ++i) {
            f.tick();
            if (decoded.frames[i] != shownNow())
                QFAIL(qPrintable(QStringLiteral("frame %1 differs from the window").arg(i + 1)));
        }
        QCOMPARE(Compteur, 50);
        QCOMPARE(decoded.frames.last(), loadPng(png));
        QCOMPARE(decoded.frames[19], loadPng(middle));
    }

    void gifFrameCounts_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<int>("frames");
        QTest::newRow("presentation") << QStringLiteral("presentation") << 1;
        QTest::newRow("perturbation") << QStringLiteral("perturbation") << 190;
    }
    void gifFrameCounts()
    {
        QFETCH(QString, scenario);
        QFETCH(int, frames);
        QTemporaryDir dir;
        const QString gif = dir.filePath(QStringLiteral("x.gif"));
        const QString png = dir.filePath(QStringLiteral("x.png"));
        QCOMPARE(runExport({scenario, gif}).code, 0);
        QCOMPARE(runExport({scenario, png}).code, 0);
        const Decoded decoded = decodeGif(gif);
        QCOMPARE(decoded.frames.size(), frames);
        QCOMPARE(decoded.delays, QList<int>(frames, 100));
        QCOMPARE(decoded.loops, -1);
        QCOMPARE(decoded.frames.last(), loadPng(png));
    }

    // Twice the resolution: twice the pixels, drawn at that resolution, the
    // GIF still lossless.
    void scaleTwo()
    {
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("s.png"));
        const QString gif = dir.filePath(QStringLiteral("s.gif"));
        QCOMPARE(runExport({QStringLiteral("instabilite"), png, QStringLiteral("--scale"), QStringLiteral("2")}).code, 0);
        QCOMPARE(runExport({QStringLiteral("instabilite"), gif, QStringLiteral("--scale=2")}).code, 0);
        const QImage picture = loadPng(png);
        QCOMPARE(picture.size(), QSize(1600, 976));
        QVERIFY(countColour(picture, green, QRect(1200, 40, 400, 60)) > 200);
        QVERIFY(countColour(picture, red, QRect(410, 278, 122, 94)) > 400);
        int oddColumnsDiffer = 0;  // not a 1:1 picture enlarged
        for (int y = 0; y < 976; ++y)
            for (int x = 0; x < 1600; x += 2)
                oddColumnsDiffer += picture.pixel(x, y) != picture.pixel(x + 1, y);
        QVERIFY(oddColumnsDiffer > 1000);
        const Decoded decoded = decodeGif(gif);
        QCOMPARE(decoded.frames.size(), 40);
        QCOMPARE(decoded.frames.last(), picture);
    }

    void helpInBothLanguagesAndVersion()
    {
        const Run version = runExport({QStringLiteral("--version")});
        QCOMPARE(version.code, 0);
        QCOMPARE(version.out, QStringLiteral("antenne-export " ANTENNE_VERSION "\n"));
        for (const QString& option : {QStringLiteral("--help"), QStringLiteral("-h")}) {
            const Run run = runExport({option});
            QCOMPARE(run.code, 0);
            QVERIFY(run.out.contains(QLatin1String("Usage :")));  // French
            QVERIFY(run.out.contains(QLatin1String("Usage:")));   // English
            for (const QString& name : scenarios)
                QVERIFY(run.out.contains(name));
            QVERIFY(run.out.contains(QLatin1String("page SORTIE.html")));
            QVERIFY(run.out.contains(QLatin1String("page OUTPUT.html")));
            QVERIFY(run.out.contains(QStringLiteral("labo RÉGLAGES SORTIE.csv")));
            QVERIFY(run.out.contains(QLatin1String("labo SETTINGS OUTPUT.csv")));
            QVERIFY(run.out.contains(QStringLiteral("scorm LIEN SORTIE.zip")));
            QVERIFY(run.out.contains(QLatin1String("scorm LINK OUTPUT.zip")));
        }
    }

    // Misuse: exit 2, a message saying what is wrong and the choices, no file.
    void misuse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing") << QStringList{} << QStringLiteral("missing");
        QTest::newRow("no output") << QStringList{QStringLiteral("rampe")} << QStringLiteral("missing OUTPUT");
        QTest::newRow("bad scenario") << QStringList{QStringLiteral("Rampe"), QStringLiteral("OUT.png")}
                                      << QStringLiteral("unknown scenario 'Rampe'");
        QTest::newRow("bad extension") << QStringList{QStringLiteral("rampe"), QStringLiteral("OUT.jpg")}
                                       << QStringLiteral("OUT.jpg");
        QTest::newRow("no extension") << QStringList{QStringLiteral("rampe"), QStringLiteral("OUT")}
                                      << QStringLiteral(".png or .gif");
        QTest::newRow("scale 5") << QStringList{QStringLiteral("rampe"), QStringLiteral("OUT.png"),
                                                QStringLiteral("--scale"), QStringLiteral("5")}
                                 << QStringLiteral("scale '5'");
        QTest::newRow("scale 0") << QStringList{QStringLiteral("rampe"), QStringLiteral("OUT.png"),
                                                QStringLiteral("--scale=0")}
                                 << QStringLiteral("scale '0'");
        QTest::newRow("scale missing") << QStringList{QStringLiteral("rampe"), QStringLiteral("OUT.png"),
                                                      QStringLiteral("--scale")}
                                       << QStringLiteral("Missing value after '--scale'");
        QTest::newRow("unknown option") << QStringList{QStringLiteral("rampe"), QStringLiteral("OUT.png"),
                                                       QStringLiteral("--fast")}
                                        << QStringLiteral("Unknown option 'fast'");
        QTest::newRow("frame beyond the scene") << QStringList{QStringLiteral("rampe"), QStringLiteral("OUT.png"),
                                                               QStringLiteral("--frame"), QStringLiteral("131")}
                                                << QStringLiteral("frames 0 to 130");
        QTest::newRow("frame of an animation") << QStringList{QStringLiteral("rampe"), QStringLiteral("OUT.gif"),
                                                              QStringLiteral("--frame=3")}
                                               << QStringLiteral("ending in .png");
        QTest::newRow("extra") << QStringList{QStringLiteral("rampe"), QStringLiteral("OUT.png"),
                                              QStringLiteral("more.png")}
                               << QStringLiteral("too many");
        QTest::newRow("page as a picture") << QStringList{QStringLiteral("page"), QStringLiteral("OUT.png")}
                                           << QStringLiteral("ending in .html, not to 'OUT.png'");
        QTest::newRow("a scenario as a page") << QStringList{QStringLiteral("rampe"), QStringLiteral("OUT.html")}
                                              << QStringLiteral("page OUTPUT.html");
        QTest::newRow("frame of the page") << QStringList{QStringLiteral("page"), QStringLiteral("OUT.html"),
                                                          QStringLiteral("--frame=0")}
                                           << QStringLiteral("the page holds them all");
        const QString labo = QStringLiteral("labo");
        QTest::newRow("labo, no output") << QStringList{labo, QStringLiteral("K=5")} << QStringLiteral("missing OUTPUT");
        QTest::newRow("labo, bad gain") << QStringList{labo, QStringLiteral("K=abc"), QStringLiteral("OUT.csv")}
                                        << QStringLiteral("«\u00a0K=abc\u00a0» : ce n'est pas un nombre ; K accepte");
        QTest::newRow("labo, bad controller") << QStringList{labo, QStringLiteral("regulateur=PD"), QStringLiteral("OUT.svg")}
                                              << QStringLiteral("regulateur accepte P, PI, PID, avance ou retard");
        QTest::newRow("labo, run too long") << QStringList{labo, QStringLiteral("duree=500"), QStringLiteral("OUT.png")}
                                            << QStringLiteral("«\u00a0duree=500\u00a0» : hors des limites");
        QTest::newRow("labo, bad extension") << QStringList{labo, QStringLiteral("K=5"), QStringLiteral("OUT.txt")}
                                             << QStringLiteral(".csv, .svg or .png");
        QTest::newRow("labo, frame") << QStringList{labo, QStringLiteral("K=5"), QStringLiteral("OUT.png"),
                                                    QStringLiteral("--frame=1")}
                                     << QStringLiteral("--frame picks");
        QTest::newRow("labo, scale of a CSV") << QStringList{labo, QStringLiteral("K=5"), QStringLiteral("OUT.csv"),
                                                             QStringLiteral("--scale=2")}
                                              << QStringLiteral("a PNG's pixels");
        const QString scorm = QStringLiteral("scorm");
        const QString goal = QStringLiteral("exercice=D1:25");
        QTest::newRow("scorm, no output") << QStringList{scorm, goal} << QStringLiteral("missing OUTPUT");
        QTest::newRow("scorm, no exercise") << QStringList{scorm, QStringLiteral("K=64.2"), QStringLiteral("OUT.zip")}
                                            << QStringLiteral("ne donne pas d'exercice : il lui faut exercice=NOM:CIBLE");
        QTest::newRow("scorm, bad goal") << QStringList{scorm, QStringLiteral("exercice=D9:25"), QStringLiteral("OUT.zip")}
                                         << QStringLiteral("«\u00a0exercice=D9:25\u00a0» : ");
        QTest::newRow("scorm, bad setting") << QStringList{scorm, goal + QStringLiteral("&K=abc"), QStringLiteral("OUT.zip")}
                                            << QStringLiteral("«\u00a0K=abc\u00a0» : ce n'est pas un nombre");
        QTest::newRow("scorm, not a setting") << QStringList{scorm, goal + QStringLiteral("&bruit=3"), QStringLiteral("OUT.zip")}
                                              << QStringLiteral("«\u00a0bruit\u00a0» n'est pas un réglage");
        QTest::newRow("scorm, nothing to predict")
            << QStringList{scorm, QStringLiteral("regulateur=PI&Ti=0.3&question=Kcrit"), QStringLiteral("OUT.zip")}
            << QStringLiteral("Rien à prédire sur ce réglage, car la boucle est instable pour tout K");
        QTest::newRow("scorm, bad extension") << QStringList{scorm, goal, QStringLiteral("OUT.html")}
                                              << QStringLiteral("ending in .zip, not to 'OUT.html'");
        QTest::newRow("scorm, frame") << QStringList{scorm, goal, QStringLiteral("OUT.zip"), QStringLiteral("--frame=1")}
                                      << QStringLiteral("--frame picks");
    }
    void misuse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        const Run run = runExport(arguments);
        QDir::setCurrent(previous);
        QCOMPARE(run.code, 2);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QVERIFY(run.err.contains(QLatin1String("presentation, aperiodique, oscillatoire, instabilite, rampe, perturbation")));
        QVERIFY(run.out.isEmpty());
        QVERIFY(entries(dir.path()).isEmpty());
    }

    // A laboratory run: the CSV is the model's own bytes (the page's export
    // writes the same); the SVG is well-formed XML holding every figure of
    // the run as the model words it; the PNG is the page of 1000 x 960
    // logical pixels times the scale, its curves in their colours. A name
    // that is no setting is named in a warning, and the run goes on.
    void laboOutputs_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("scale");
        QTest::addColumn<QString>("warning");  // on standard error; none if empty
        QTest::newRow("csv") << "K=64.2" << "essai.csv" << 1 << "";
        QTest::newRow("csv, gust and PI") << "preset=perturbationPI" << "vent.csv" << 1 << "";
        QTest::newRow("csv, unknown name") << "K=64.2&bruit=3" << "bruit.csv" << 1 << "«\u00a0bruit\u00a0» n'est pas un réglage : ignoré";
        QTest::newRow("csv, run away") << "K=1e6&saturation=0" << "emballe.csv" << 1 << "l'essai s'arrête à 0,16 s : le fichier s'arrête là";
        QTest::newRow("svg") << "K=64.2" << "essai.svg" << 1 << "";
        QTest::newRow("svg, unstable") << "preset=instabilite" << "instable.svg" << 1 << "";
        QTest::newRow("png") << "K=64.2" << "essai.png" << 1 << "";
        QTest::newRow("png at scale 2, gust") << "preset=perturbation" << "vent.png" << 2 << "";
    }
    void laboOutputs()
    {
        QFETCH(QString, link);
        QFETCH(QString, file);
        QFETCH(int, scale);
        QFETCH(QString, warning);
        QTemporaryDir dir;
        const QString path = dir.filePath(file);
        QStringList arguments{QStringLiteral("labo"), link, path};
        if (scale != 1)
            arguments << QStringLiteral("--scale=%1").arg(scale);
        const Run run = runExport(arguments);
        QCOMPARE(run.code, 0);
        QVERIFY(run.out.isEmpty());
        if (warning.isEmpty())
            QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
        else
            QVERIFY2(run.err.contains(warning), qPrintable(run.err));
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray bytes = written.readAll();
        const labo::Laboratory lab = labo::Compute(link.toStdString());
        if (file.endsWith(QLatin1String(".csv"))) {
            QCOMPARE(bytes, QByteArray::fromStdString(labo::RunCsv(lab.run)));
        } else if (file.endsWith(QLatin1String(".svg"))) {
            QXmlStreamReader xml(bytes);
            QString texts;
            while (!xml.atEnd())
                if (xml.readNext() == QXmlStreamReader::Characters)
                    texts += xml.text();
            QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
            // A number is kept on its unit's line by a no-break space.
            texts.replace(QChar::Nbsp, QLatin1Char(' '));
            for (const labo::FigureInfo& info : labo::FigureTable()) {
                QString line = QString::fromStdString(std::string(info.name) + " : " +
                                                      labo::FigureText(lab.figures.*info.figure, info));
                line.replace(QChar::Nbsp, QLatin1Char(' '));
                QVERIFY2(texts.contains(line), qPrintable(line));
            }
        } else {
            const QImage picture = loadPng(path);
            QCOMPARE(picture.size(), QSize(1000, 960) * scale);
            for (const QRgb colour : {0xFF1F4FBFu, maroon, 0xFFD06000u})  // consigne, position, tension moteur
                QVERIFY(countColour(picture, colour) > 300 * scale);
        }
        QCOMPARE(entries(dir.path()), QStringList{file});
    }

    // An exercise's SCORM package: the zip holds the manifest and the very
    // page antenne-export page writes; the manifest is SCORM 1.2's, with one
    // organization of one item titled from the exercise and launched on its
    // link, one SCO, and every file of the zip listed.
    void scormPackage_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("title");
        QTest::newRow("goal") << "exercice=D1:25&fixe=regulateur"
                              << "Régler la boucle pour que le dépassement D1 vaille 25 % (à 2 points près)";
        QTest::newRow("question, in a whole address") << "file:///cours/antenne.html#labo?K=64.2&question=Kcrit"
                                                      << "Prédire le gain critique Kcrit";
    }
    void scormPackage()
    {
        QFETCH(QString, link);
        QFETCH(QString, title);
        QTemporaryDir dir;
        const QString page = dir.filePath(QStringLiteral("antenne.html"));
        const QString zip = dir.filePath(QStringLiteral("exercice.zip"));
        QCOMPARE(runExport({QStringLiteral("page"), page}).code, 0);
        const Run run = runExport({QStringLiteral("scorm"), link, zip});
        QCOMPARE(run.code, 0);
        QVERIFY2(run.out.isEmpty() && run.err.isEmpty(), qPrintable(run.out + run.err));
        QFile written(page);
        QVERIFY(written.open(QIODevice::ReadOnly));

        const std::vector<std::pair<QString, QByteArray>> files = unzip(zip);
        QCOMPARE(files.size(), std::size_t{2});
        QCOMPARE(files[0].first, QStringLiteral("imsmanifest.xml"));
        QCOMPARE(files[1].first, QStringLiteral("antenne.html"));
        QVERIFY(files[1].second == written.readAll());

        QString error;
        const std::vector<XmlElement> manifest = xmlElements(files[0].second, error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const auto all = [&](const QString& path) {
            std::vector<const XmlElement*> found;
            for (const XmlElement& e : manifest)
                if (e.path == path)
                    found.push_back(&e);
            return found;
        };
        const auto one = [&](const QString& path) {
            const auto found = all(path);
            return found.size() == 1 ? found.front() : nullptr;
        };
        const auto attribute = [](const XmlElement* e, const char* name) {
            return e->attributes.value(QLatin1String(name)).toString();
        };
        QVERIFY(!manifest.empty() && manifest.front().path == QLatin1String("manifest"));
        const XmlElement* schema = one(QStringLiteral("manifest/metadata/schema"));
        const XmlElement* version = one(QStringLiteral("manifest/metadata/schemaversion"));
        QVERIFY(schema && version);
        QCOMPARE(schema->text, QStringLiteral("ADL SCORM"));
        QCOMPARE(version->text, QStringLiteral("1.2"));
        const XmlElement* organizations = one(QStringLiteral("manifest/organizations"));
        const XmlElement* organization = one(QStringLiteral("manifest/organizations/organization"));
        const XmlElement* item = one(QStringLiteral("manifest/organizations/organization/item"));
        const XmlElement* resource = one(QStringLiteral("manifest/resources/resource"));
        QVERIFY(organizations && organization && item && resource);
        QCOMPARE(attribute(organizations, "default"), attribute(organization, "identifier"));
        const XmlElement* itemTitle = one(QStringLiteral("manifest/organizations/organization/item/title"));
        const XmlElement* launchData = one(QStringLiteral("manifest/organizations/organization/item/datafromlms"));
        QVERIFY(one(QStringLiteral("manifest/organizations/organization/title")) && itemTitle && launchData);
        QCOMPARE(itemTitle->text, title);
        const std::string canonical = labo::LinkString(labo::ParseSettings(link.toStdString()).settings);
        QCOMPARE(attribute(item, "parameters"), QStringLiteral("#labo?") + QString::fromStdString(canonical));
        QCOMPARE(launchData->text, QString::fromStdString(canonical));  // for a platform that drops parameters
        QCOMPARE(attribute(item, "identifierref"), attribute(resource, "identifier"));
        QCOMPARE(attribute(resource, "type"), QStringLiteral("webcontent"));
        QCOMPARE(resource->attributes.value(QStringLiteral("http://www.adlnet.org/xsd/adlcp_rootv1p2"),
                                            QStringLiteral("scormtype")).toString(),
                 QStringLiteral("sco"));
        QCOMPARE(attribute(resource, "href"), QStringLiteral("antenne.html"));
        QStringList listed;
        for (const XmlElement* file : all(QStringLiteral("manifest/resources/resource/file")))
            listed << attribute(file, "href");
        QCOMPARE(listed, QStringList{QStringLiteral("antenne.html")});  // every file but the manifest
    }

    // The graphs' axes: round steps, never of zero width, in either order.
    void valueAxes_data()
    {
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<double>("step");
        QTest::addColumn<int>("decimals");
        QTest::newRow("a step's response") << 0.0 << 37.5 << -10.0 << 40.0 << 10.0 << 0;
        QTest::newRow("all zero") << 0.0 << 0.0 << -1.0 << 1.0 << 0.5 << 1;
        QTest::newRow("one value") << 30.0 << 30.0 << 27.0 << 33.0 << 1.0 << 0;
        QTest::newRow("negative") << -2.25 << 0.0 << -2.5 << 0.5 << 0.5 << 1;
        QTest::newRow("reversed") << 0.0 << -2.25 << -2.5 << 0.5 << 0.5 << 1;
        QTest::newRow("small") << 0.0 << 0.012 << -0.005 << 0.015 << 0.005 << 3;
        QTest::newRow("not finite") << qInf() << -qInf() << -1.0 << 1.0 << 0.5 << 1;
    }
    void valueAxes()
    {
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(double, step);
        QFETCH(int, decimals);
        const graph::Axis axis = graph::ValueAxis(from, to, 6);
        QCOMPARE(axis.low, low);
        QCOMPARE(axis.high, high);
        QCOMPARE(axis.step, step);
        QCOMPARE(axis.decimals, decimals);
        const std::vector<double> ticks = graph::Ticks(axis);
        QCOMPARE(static_cast<double>(ticks.size()), (high - low) / step + 1);
        QCOMPARE(ticks.front(), low);
        QCOMPARE(ticks.back(), high);
        if (low < 0 && high > 0)  // zero itself, not a rounding's -1e-17
            QVERIFY(std::find(ticks.begin(), ticks.end(), 0.0) != ticks.end());
    }

    // An output that cannot be written: exit 1, the reason, nothing left.
    void unwritableOutput()
    {
        QTemporaryDir dir;
        const QString missingFolder = dir.filePath(QStringLiteral("nowhere/x.gif"));
        Run run = runExport({QStringLiteral("aperiodique"), missingFolder});
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains(QLatin1String("cannot write")) && run.err.contains(missingFolder), qPrintable(run.err));
        QVERIFY(entries(dir.path()).isEmpty());

        // An existing folder in the output's place.
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("taken.png")));
        run = runExport({QStringLiteral("aperiodique"), dir.filePath(QStringLiteral("taken.png"))});
        QCOMPARE(run.code, 1);
        QVERIFY(run.err.contains(QLatin1String("cannot write")));
        QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("taken.png")});

        // A read-only folder; the superuser writes anywhere, so it gets one
        // no one can create files in.
        QString readOnly = dir.filePath(QStringLiteral("locked"));
        if (geteuid() == 0) {
            readOnly = QStringLiteral("/proc");
        } else {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("locked")));
            QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner));
        }
        const QStringList before = entries(readOnly);
        for (const auto& [what, name] : {std::pair{QStringLiteral("presentation"), QStringLiteral("x.gif")},
                                         std::pair{QStringLiteral("presentation"), QStringLiteral("x.png")},
                                         std::pair{QStringLiteral("page"), QStringLiteral("x.html")},
                                         std::pair{QStringLiteral("labo"), QStringLiteral("x.csv")},
                                         std::pair{QStringLiteral("labo"), QStringLiteral("x.svg")},
                                         std::pair{QStringLiteral("scorm"), QStringLiteral("x.zip")}}) {
            QStringList arguments{what, readOnly + QLatin1Char('/') + name};
            if (what == QLatin1String("labo"))
                arguments.insert(1, QStringLiteral("K=64.2"));
            if (what == QLatin1String("scorm"))
                arguments.insert(1, QStringLiteral("exercice=D1:25"));
            run = runExport(arguments);
            QCOMPARE(run.code, 1);
            QVERIFY2(run.err.contains(QLatin1String("cannot write")), qPrintable(run.err));
        }
        if (geteuid() != 0) {
            QCOMPARE(entries(readOnly), before);
            QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }

    // A failed write leaves an earlier file of that name as it was.
    void earlierFileKeptOnFailure()
    {
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("x.png"));
        QCOMPARE(runExport({QStringLiteral("presentation"), png}).code, 0);
        const QImage before = loadPng(png);
        QCOMPARE(runExport({QStringLiteral("nonsense"), png}).code, 2);
        QCOMPARE(loadPng(png), before);
        QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("x.png")});
    }

    // 256 colours a frame, many more in all: frames beyond the global table
    // get a table of their own, and all still decode exactly.
    void encoderWithMoreColoursThanOneTable()
    {
        QList<QImage> pictures;
        pictures << distinctColours(0x000000) << distinctColours(0x404040);
        QImage partly = pictures[0];
        for (int x = 0; x < 8; ++x)
            partly.setPixel(x + 4, 9, 0xFF00FF00u - static_cast<QRgb>(x));  // new colours, small area
        pictures << partly << partly;  // the last one unchanged
        GifAnimation animation(7);
        for (const QImage& picture : pictures)
            animation.addFrame(picture);
        QBuffer bytes;
        bytes.open(QIODevice::WriteOnly);
        animation.write(bytes);
        bytes.close();
        bytes.open(QIODevice::ReadOnly);
        QImageReader reader(&bytes, "gif");
        const Decoded decoded = decodeGif(reader);
        QCOMPARE(decoded.frames.size(), pictures.size());
        for (int i = 0; i < pictures.size(); ++i)
            QCOMPARE(decoded.frames[i], pictures[i]);
        QCOMPARE(decoded.delays, QList<int>(4, 70));
        QCOMPARE(decoded.loops, -1);
    }

    // The page's frames share one palette: a 257th colour, in any picture,
    // is refused; so is a picture of another size.
    void pageFramesRefuseWhatTheyCannotHold()
    {
        QImage tooMany(17, 17, QImage::Format_RGB32);
        for (int i = 0; i < 17 * 17; ++i)
            tooMany.setPixel(i % 17, i / 17, 0xFF000000u | static_cast<QRgb>(i));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, PageFrames{tooMany});
        QImage picture = distinctColours(0);
        PageFrames frames(picture);
        frames.startScenario();
        frames.addFrame(picture);
        QCOMPARE(frames.colourCount(), 256);
        picture.setPixel(3, 3, 0xFF123456);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, frames.addFrame(picture));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, frames.addFrame(QImage(8, 8, QImage::Format_RGB32)));
    }

    void encoderRefusesWhatItCannotHold()
    {
        QImage tooMany(17, 17, QImage::Format_RGB32);
        for (int i = 0; i < 17 * 17; ++i)
            tooMany.setPixel(i % 17, i / 17, 0xFF000000u | static_cast<QRgb>(i));
        GifAnimation animation(10);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, animation.addFrame(tooMany));
        animation.addFrame(distinctColours(0));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, animation.addFrame(QImage(8, 8, QImage::Format_RGB32)));

        // A device that refuses the bytes: the failure is reported.
        QBuffer readOnly;
        readOnly.open(QIODevice::ReadOnly);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, animation.write(readOnly));
    }
};

ANTENNE_TEST_MAIN(TestExport)
#include "test_export.moc"
