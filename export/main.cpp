// antenne-export: replays one scenario of the Antenne animation offscreen,
// through the program's own window and scenes, and writes one of its
// pictures (PNG) or the whole animation (GIF, one frame per 100 ms tick); or
// replays them all and writes a web page that plays them again in a browser.
#include "app/antenne.h"
#include "app/state.h"
#include "export/gif_animation.h"
#include "export/labo_export.h"
#include "export/page_frames.h"
#include "export/replay.h"
#include "export/web_page.h"
#include "export/device_write.h"
#include "model/decimal.h"
#include "model/laboratory.h"
#include "scenes/scenarios.h"
#include "surface/fonts.h"
#include "surface/tapplication.h"

#include <QBuffer>
#include <QByteArray>
#include <QCommandLineParser>
#include <QImage>
#include <QPushButton>
#include <QSaveFile>
#include <QString>
#include <QStringList>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <optional>
#include <stdexcept>

namespace {

constexpr int exitUsage = 2;
constexpr int exitFailure = 1;
constexpr int tickCentiseconds = 10;
// Progress is shown for scenes at least this long.
constexpr int progressFromTicks = 100;

const char* const program = "antenne-export";
// What stands in SCENARIO's place for the web page of every scenario, and
// for a laboratory set-up's run.
const char* const pageWord = "page";
const char* const laboWord = "labo";

void print(std::FILE* out, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), out);
}

// "presentation, aperiodique, ...": the names SCENARIO may take.
QString scenarioNames()
{
    QStringList names;
    for (const Scenario& scenario : Scenarios)
        names << QString::fromUtf8(scenario.name);
    return names.join(QStringLiteral(", "));
}

[[noreturn]] void usageError(const QString& message)
{
    print(stderr, QStringLiteral("%1: %2\n"
                                 "scenarios: %3\n"
                                 "outputs: a file ending in .png or .gif; --scale N with N from 1 to 4; "
                                 "--frame K for a .png; the web page: %4 OUTPUT.html; "
                                 "a laboratory run: %5 SETTINGS OUTPUT.csv|.svg|.png\n"
                                 "usage: %1 SCENARIO OUTPUT [--scale N] [--frame K]  (--help for more)\n"
                                 "       %1 %4 OUTPUT.html [--scale N]\n"
                                 "       %1 %5 SETTINGS OUTPUT.csv|OUTPUT.svg|OUTPUT.png [--scale N]\n")
                      .arg(QLatin1String(program), message, scenarioNames(), QLatin1String(pageWord),
                           QLatin1String(laboWord)));
    std::exit(exitUsage);
}

enum class Format { Png, Gif, Page, Labo };

struct Options {
    const Scenario* scenario = nullptr;  // null for the page, which holds them all
    QString output;
    Format format = Format::Png;
    int scale = 1;
    std::optional<int> frame;  // PNG: the picture after this tick; the last one if unset
    labo::Laboratory lab;      // labo: the set-up read and run
    LaboFormat laboFormat = LaboFormat::Csv;
};

// antenne-export labo SETTINGS OUTPUT: the settings are read as the page
// reads its link, and each bad value is a usage error that names it.
Options parseLabo(const QCommandLineParser& parser, const QStringList& positional, const QCommandLineOption& scale,
                  const QCommandLineOption& frame)
{
    if (positional.size() < 3)
        usageError(positional.size() == 1 ? QStringLiteral("missing SETTINGS and OUTPUT") : QStringLiteral("missing OUTPUT"));
    if (positional.size() > 3)
        usageError(QStringLiteral("too many arguments ('%1')").arg(positional.mid(3).join(QStringLiteral("' '"))));
    Options options;
    options.format = Format::Labo;
    options.output = positional[2];
    if (!LaboFormatOf(options.output, options.laboFormat))
        usageError(QStringLiteral("cannot tell the format of '%1' (a laboratory run is written to a name ending "
                                  "in .csv, .svg or .png)")
                       .arg(options.output));
    if (parser.isSet(frame))
        usageError(QStringLiteral("--frame picks one picture of one scenario, not of a laboratory run"));
    const QString factor = parser.value(scale);
    if (factor.size() != 1 || factor[0] < QLatin1Char('1') || factor[0] > QLatin1Char('4'))
        usageError(QStringLiteral("invalid scale '%1' (expected 1, 2, 3 or 4)").arg(factor));
    options.scale = factor.toInt();
    if (options.scale != 1 && options.laboFormat != LaboFormat::Png)
        usageError(QStringLiteral("--scale multiplies a PNG's pixels: it means nothing for '%1'").arg(options.output));
    options.lab = labo::Compute(positional[1].toStdString());
    QStringList problems;
    for (const labo::Problem& problem : options.lab.parsed.problems)
        problems << QString::fromStdString(problem.message);
    if (!problems.isEmpty())
        usageError(QStringLiteral("bad settings:\n  ") + problems.join(QStringLiteral("\n  ")));
    return options;
}

Options parseArguments(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Usage : %1 SCÉNARIO SORTIE [--scale N] [--frame K]\n"
                       "        %1 %3 SORTIE.html [--scale N]\n"
                       "        %1 %4 RÉGLAGES SORTIE.csv|.svg|.png [--scale N]\n"
                       "Rejoue un scénario de l'animation Antenne sans écran et écrit SORTIE :\n"
                       "  SORTIE.png  l'image finale, ou celle de l'image K avec --frame K ;\n"
                       "  SORTIE.gif  l'animation, une image toutes les 100 ms, en boucle.\n"
                       "Avec %3, écrit SORTIE.html : une page web autonome, en un seul fichier, qui rejoue\n"
                       "tous les scénarios dans un navigateur (pause, image par image, vitesse, plein écran),\n"
                       "et son laboratoire.\n"
                       "Avec %4, écrit l'essai du laboratoire que RÉGLAGES décrit, comme le lien de la page\n"
                       "(par exemple \"K=64.2&entree=rampe\") : SORTIE.csv, un échantillon toutes les 10 ms\n"
                       "pour un tableur (point-virgule, virgule décimale) ; SORTIE.svg ou SORTIE.png, les deux\n"
                       "courbes, les chiffres de l'essai et sa stabilité, pour un compte rendu (1000 x 960\n"
                       "pixels, N fois plus avec --scale N). Réglages, nom=valeur séparés par & :\n"
                       "%5\n"
                       "Scénarios : %2\n"
                       "--scale N : résolution N fois plus grande (N de 1 à 4) ; 800 x 488 pixels à 1.\n"
                       "--frame K : l'image après la K-ième image de la scène (0 : avant la première).\n"
                       "\n"
                       "Replays one scenario of the Antenne animation headless and writes OUTPUT:\n"
                       "  OUTPUT.png  the final picture, or frame K's with --frame K;\n"
                       "  OUTPUT.gif  the animation, one frame every 100 ms, looping forever.\n"
                       "With %3, writes OUTPUT.html: a self-contained web page, one file, that replays\n"
                       "every scenario in a browser (pause, frame by frame, speed, full screen), and its\n"
                       "laboratory:\n"
                       "  %1 %3 OUTPUT.html [--scale N]\n"
                       "With %4, writes the laboratory run that SETTINGS describes, as the page's link does\n"
                       "(\"K=64.2&entree=rampe\"): OUTPUT.csv, a sample every 10 ms for a spreadsheet; OUTPUT.svg\n"
                       "or OUTPUT.png, the two graphs, the run's figures and its stability, for a lab report:\n"
                       "  %1 %4 SETTINGS OUTPUT.csv|.svg|.png [--scale N]  (--scale for a PNG only)\n"
                       "Settings, name=value joined by &:\n"
                       "%6\n"
                       "Scenarios: %2")
            .arg(QLatin1String(program), scenarioNames(), QLatin1String(pageWord), QLatin1String(laboWord),
                 LaboSettingsHelp(true), LaboSettingsHelp(false)));
    parser.addPositionalArgument(QStringLiteral("SCENARIO"),
                                 QStringLiteral("one of: %1; or %2 for the web page of them all")
                                     .arg(scenarioNames(), QLatin1String(pageWord)));
    parser.addPositionalArgument(QStringLiteral("OUTPUT"),
                                 QStringLiteral("a file ending in .png or .gif; in .html for %1").arg(QLatin1String(pageWord)));
    const QCommandLineOption scaleOption(QStringLiteral("scale"),
                                         QStringLiteral("N times the resolution, N from 1 to 4; 800 x 488 pixels at 1."),
                                         QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption frameOption(
        QStringLiteral("frame"),
        QStringLiteral("For a .png: the picture after frame K of the scene, from 0 (the prepared picture, "
                       "before the first frame) to the scene's frame count (the default)."),
        QStringLiteral("K"));
    const QCommandLineOption listOption(QStringLiteral("list"), QStringLiteral("Prints the scenarios' names, one a line."));
    parser.addOption(scaleOption);
    parser.addOption(frameOption);
    parser.addOption(listOption);
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();

    if (!parser.parse(arguments))
        usageError(parser.errorText());
    if (parser.isSet(helpOption)) {
        print(stdout, parser.helpText());
        std::exit(0);
    }
    if (parser.isSet(versionOption))
        parser.showVersion();  // exits
    if (parser.isSet(listOption)) {
        for (const Scenario& scenario : Scenarios)
            std::printf("%s\n", scenario.name);
        std::exit(0);
    }

    Options options;
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        usageError(QStringLiteral("missing SCENARIO and OUTPUT"));
    if (positional[0] == QLatin1String(laboWord))
        return parseLabo(parser, positional, scaleOption, frameOption);
    if (positional.size() == 1)
        usageError(QStringLiteral("missing OUTPUT"));
    if (positional.size() > 2)
        usageError(QStringLiteral("too many arguments ('%1')").arg(positional.mid(2).join(QStringLiteral("' '"))));

    options.output = positional[1];
    if (positional[0] == QLatin1String(pageWord)) {
        options.format = Format::Page;
        if (!options.output.endsWith(QLatin1String(".html"), Qt::CaseInsensitive))
            usageError(QStringLiteral("the page is written to a file ending in .html, not to '%1'").arg(options.output));
    } else {
        for (const Scenario& scenario : Scenarios)
            if (positional[0] == QLatin1String(scenario.name))
                options.scenario = &scenario;
        if (!options.scenario)
            usageError(QStringLiteral("unknown scenario '%1'").arg(positional[0]));
        if (options.output.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
            options.format = Format::Png;
        else if (options.output.endsWith(QLatin1String(".gif"), Qt::CaseInsensitive))
            options.format = Format::Gif;
        else
            usageError(QStringLiteral("cannot tell the format of '%1' (expected a name ending in .png or .gif, "
                                      "or %2 OUTPUT.html for the web page)")
                           .arg(options.output, QLatin1String(pageWord)));
    }

    const QString scale = parser.value(scaleOption);
    if (scale.size() != 1 || scale[0] < QLatin1Char('1') || scale[0] > QLatin1Char('4'))
        usageError(QStringLiteral("invalid scale '%1' (expected 1, 2, 3 or 4)").arg(scale));
    options.scale = scale.toInt();

    if (parser.isSet(frameOption)) {
        if (options.format == Format::Page)
            usageError(QStringLiteral("--frame picks one picture of one scenario: the page holds them all"));
        const int frames = FrameCount(*options.scenario);
        bool number = false;
        const int frame = parser.value(frameOption).toInt(&number);
        if (!number || frame < 0 || frame > frames)
            usageError(QStringLiteral("invalid frame '%1' (%2 has frames 0 to %3)")
                           .arg(parser.value(frameOption), positional[0])
                           .arg(frames));
        if (options.format != Format::Png)
            usageError(QStringLiteral("--frame picks one picture: it needs an OUTPUT ending in .png"));
        options.frame = frame;
    }
    return options;
}

void fail(const QString& message)
{
    print(stderr, QStringLiteral("%1: %2\n").arg(QLatin1String(program), message));
}

// A screen that is scaled already would multiply the scale asked for.
void checkScale(const QImage& picture, int scale)
{
    if (picture.size() != QSize(ExportWidth, ExportHeight) * scale)
        throw std::runtime_error(QStringLiteral("the window was rendered at %1 x %2 pixels, not at scale %3 "
                                                "(is the screen scaled already?)")
                                     .arg(picture.width())
                                     .arg(picture.height())
                                     .arg(scale)
                                     .toStdString());
}

// Every scenario replayed and encoded for the web page, with the captions
// and places of their buttons and the title as the window has them.
PageContent replayPage(int scale, const std::function<void(const Scenario&, int tick, int ticks)>& progress)
{
    PageContent content;
    content.size = QSize(ExportWidth, ExportHeight);
    content.scale = scale;
    QImage startup;
    std::optional<PageFrames> frames;
    ReplayEveryScenario(
        [&](const TAntenne& window, const QImage& picture) {
            checkScale(picture, scale);
            startup = picture;
            frames.emplace(picture);
            content.caption = window.windowTitle();
            QBuffer icon(&content.icon);
            icon.open(QIODevice::WriteOnly);
            if (!window.windowIcon().pixmap(QSize(32, 32)).save(&icon, "PNG"))
                throw std::runtime_error("the window's icon cannot be written as PNG");
            for (const Scenario& scenario : Scenarios) {
                const QPushButton* button = window.*scenario.button;
                content.scenarios.push_back({QString::fromUtf8(scenario.name), QString::fromUtf8(scenario.title),
                                             button->text(),
                                             QRect(button->mapTo(&window, QPoint(0, 0)), button->size()), 0});
            }
        },
        [&](const Scenario& scenario, const QImage& picture, int tick, int ticks) {
            checkScale(picture, scale);
            const auto index = static_cast<int>(&scenario - Scenarios.data());
            if (tick == 0)
                frames->startScenario();
            frames->addFrame(picture);
            content.scenarios[static_cast<std::size_t>(index)].frames = tick;
            if (tick == ticks && !content.startupScenario && picture == startup)
                content.startupScenario = index;
            progress(scenario, tick, ticks);
        });
    content.startupFrame = frames->startup();
    content.scenarioFrames = frames->scenarios();
    return content;
}

// Writes the output with `write`, which throws std::runtime_error on
// failure, then renames it into place: on any failure, nothing is left.
int writeAtomically(QSaveFile& file, const QString& output, const std::function<void()>& write)
{
    try {
        write();
    } catch (const std::exception& error) {
        fail(QStringLiteral("cannot write %1: %2").arg(output, QString::fromUtf8(error.what())));
        file.cancelWriting();
        return exitFailure;
    }
    if (!file.commit()) {
        fail(QStringLiteral("cannot write %1: %2").arg(output, file.errorString()));
        return exitFailure;
    }
    return 0;
}

// The laboratory run, written without any window: its CSV needs no toolkit
// at all, its SVG and PNG a painter and the embedded fonts.
int writeLabo(const Options& options, QSaveFile& file, char** argv)
{
    for (const std::string& name : options.lab.parsed.ignored)
        print(stderr, QStringLiteral("%1: «\u00a0%2\u00a0» n'est pas un réglage : ignoré\n")
                          .arg(QLatin1String(program), QString::fromStdString(name)));
    // A run that runs away stops there, and so does its file: say so, as
    // the pictures do under their graphs.
    if (options.lab.run.diverged)
        print(stderr, QStringLiteral("%1: la position s'emballe, l'essai s'arrête à %2 s : le fichier s'arrête là\n")
                          .arg(QLatin1String(program), QString::fromStdString(labo::FormatFixed(options.lab.run.divergedAt, 2, ','))));
    int qtArgc = 1;
    std::optional<QGuiApplication> painting;
    if (options.laboFormat != LaboFormat::Csv) {
        painting.emplace(qtArgc, argv);
        RegisterApplicationFonts();
    }
    return writeAtomically(file, options.output, [&] { WriteLabo(options.lab, options.laboFormat, options.scale, file); });
}

}  // namespace

int main(int argc, char** argv)
{
    // The arguments are read before the application that draws exists: it
    // must be created at the scale they give.
    Options options;
    {
        QCoreApplication reading(argc, argv);
        QCoreApplication::setApplicationName(QLatin1String(program));
        QCoreApplication::setApplicationVersion(QStringLiteral(ANTENNE_VERSION));
        options = parseArguments(QCoreApplication::arguments());
    }

    // No display needed; the scale is the screen's, so that the drawing area
    // and the window layer are made at that resolution.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A laboratory picture is scaled by its own image, at any screen's scale.
    if (options.format != Format::Labo)
        qputenv("QT_SCALE_FACTOR", QByteArray::number(options.scale));
    // The toolkit wants a private runtime folder and warns when it has none,
    // as for root in a plain shell: give it one for the run.
    std::optional<QTemporaryDir> runtimeFolder;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        runtimeFolder.emplace();
        if (runtimeFolder->isValid())
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeFolder->path()));
    }

    // Opened first, so that an output that cannot be written is reported at
    // once. The picture goes to a temporary file beside it, renamed on
    // success only: no partial file is ever left.
    QSaveFile file(options.output);
    if (!file.open(QIODevice::WriteOnly)) {
        fail(QStringLiteral("cannot write %1: %2").arg(options.output, file.errorString()));
        return exitFailure;
    }

    if (options.format == Format::Labo)
        return writeLabo(options, file, argv);

    // Qt sees the program name only; the arguments are ours.
    int qtArgc = 1;
    TApplication application(qtArgc, argv);
    application.setApplicationName(QStringLiteral("Antenne"));
    // Progress goes on one line of its own, ended before any other message.
    const bool progress = isatty(STDERR_FILENO) != 0;
    bool progressShown = false;
    const auto endProgress = [&progressShown] {
        if (progressShown)
            std::fputc('\n', stderr);
        progressShown = false;
    };

    // What the program would show in a message box is a diagnostic here.
    bool shown = false;
    TApplication::SetExceptionDisplay([&shown, &endProgress](const QString& message) {
        endProgress();
        shown = true;
        fail(message);
    });

    GifAnimation animation(tickCentiseconds);
    QImage kept;
    PageContent page;
    const auto showProgress = [&](const char* what, int tick, int ticks) {
        if (progress && ticks >= progressFromTicks) {
            std::fprintf(stderr, "\r%s%d/%d", what, tick, ticks);
            progressShown = true;
        }
    };
    const int code = application.Execute([&] {
        application.Initialize();
        if (options.format == Format::Page) {
            page = replayPage(options.scale, [&](const Scenario& scenario, int tick, int ticks) {
                if (tick == 0)
                    endProgress();
                showProgress((scenario.name + QByteArray(": frame ")).constData(), tick, ticks);
            });
            return 0;
        }
        application.CreateForm(Antenne);
        const int wanted = options.frame.value_or(FrameCount(*options.scenario));
        ReplayScenario(*options.scenario, [&](const QImage& picture, int tick, int ticks) {
            checkScale(picture, options.scale);
            // The animation starts with the first tick's picture, as the
            // program shows it 100 ms after the click.
            if (options.format == Format::Gif && tick > 0)
                animation.addFrame(picture);
            if (tick == wanted)
                kept = picture;
            showProgress("frame ", tick, ticks);
        });
        return 0;
    });
    endProgress();
    if (code != 0 || shown || (options.format != Format::Page && kept.isNull())) {
        file.cancelWriting();
        return exitFailure;
    }

    return writeAtomically(file, options.output, [&] {
        if (options.format == Format::Page) {
            WriteAll(file, WebPage(page));
        } else if (options.format == Format::Gif) {
            animation.write(file);
        } else {
            kept.setDevicePixelRatio(1.0);
            WritePng(kept, file);
        }
    });
}
