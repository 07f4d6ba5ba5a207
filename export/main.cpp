// antenne-export: replays one scenario of the Antenne animation offscreen,
// through the program's own window and scenes, and writes its final picture
// (PNG) or the whole animation (GIF, one frame per 100 ms tick).
#include "app/antenne.h"
#include "app/state.h"
#include "export/gif_animation.h"
#include "export/replay.h"
#include "surface/tapplication.h"

#include <QByteArray>
#include <QImage>
#include <QSaveFile>
#include <QString>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>

namespace {

constexpr int exitUsage = 2;
constexpr int exitFailure = 1;
constexpr int tickCentiseconds = 10;
// Progress is shown for scenes at least this long.
constexpr int progressFromTicks = 100;

const char* const program = "antenne-export";

// "presentation, aperiodique, ...": the names SCENARIO may take.
std::string scenarioNames()
{
    std::string names;
    for (const ExportScenario& scenario : ExportScenarios)
        names += (names.empty() ? "" : ", ") + std::string(scenario.name);
    return names;
}

void printUsage(std::FILE* out)
{
    std::fprintf(out,
                 "Usage : %s SCÉNARIO SORTIE [--scale N]\n"
                 "Rejoue un scénario de l'animation Antenne sans écran et écrit SORTIE :\n"
                 "  SORTIE.png  l'image finale ;\n"
                 "  SORTIE.gif  l'animation, une image toutes les 100 ms, en boucle.\n"
                 "Scénarios : %s\n"
                 "  --scale N   résolution N fois plus grande (N de 1 à 4) ; 800 x 488 pixels à 1\n"
                 "  -h, --help  affiche cette aide\n"
                 "\n"
                 "Usage: %s SCENARIO OUTPUT [--scale N]\n"
                 "Replays one scenario of the Antenne animation headless and writes OUTPUT:\n"
                 "  OUTPUT.png  the final picture;\n"
                 "  OUTPUT.gif  the animation, one frame every 100 ms, looping forever.\n"
                 "Scenarios: %s\n"
                 "  --scale N   N times the resolution (N from 1 to 4); 800 x 488 pixels at 1\n"
                 "  -h, --help  shows this help\n",
                 program, scenarioNames().c_str(), program, scenarioNames().c_str());
}

[[noreturn]] void usageError(const std::string& message)
{
    std::fprintf(stderr, "%s: %s\n", program, message.c_str());
    std::fprintf(stderr,
                 "scenarios: %s\n"
                 "outputs: a file ending in .png or .gif; --scale N with N from 1 to 4\n"
                 "usage: %s SCENARIO OUTPUT [--scale N]  (--help for more)\n",
                 scenarioNames().c_str(), program);
    std::exit(exitUsage);
}

enum class Format { Png, Gif };

struct Options {
    const ExportScenario* scenario = nullptr;
    QString output;
    Format format = Format::Png;
    int scale = 1;
};

int parseScale(const std::string& text)
{
    if (text.size() == 1 && text[0] >= '1' && text[0] <= '4')
        return text[0] - '0';
    usageError("invalid scale '" + text + "' (expected 1, 2, 3 or 4)");
}

Options parseArguments(int argc, char** argv)
{
    Options options;
    std::string positional[2];
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "-h" || argument == "--help") {
            printUsage(stdout);
            std::exit(0);
        } else if (argument == "--scale") {
            if (i + 1 >= argc)
                usageError("--scale needs a value");
            options.scale = parseScale(argv[++i]);
        } else if (argument.rfind("--scale=", 0) == 0) {
            options.scale = parseScale(argument.substr(8));
        } else if (argument.size() > 1 && argument[0] == '-') {
            usageError("unknown option '" + argument + "'");
        } else if (count < 2) {
            positional[count++] = argument;
        } else {
            usageError("too many arguments ('" + argument + "')");
        }
    }
    if (count == 0)
        usageError("missing SCENARIO and OUTPUT");
    if (count == 1)
        usageError("missing OUTPUT");

    for (const ExportScenario& scenario : ExportScenarios)
        if (positional[0] == scenario.name)
            options.scenario = &scenario;
    if (!options.scenario)
        usageError("unknown scenario '" + positional[0] + "'");

    options.output = QString::fromLocal8Bit(positional[1].c_str());
    if (options.output.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        options.format = Format::Png;
    else if (options.output.endsWith(QLatin1String(".gif"), Qt::CaseInsensitive))
        options.format = Format::Gif;
    else
        usageError("cannot tell the format of '" + positional[1] + "' (expected a name ending in .png or .gif)");
    return options;
}

void fail(const QString& message)
{
    std::fprintf(stderr, "%s: %s\n", program, message.toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char** argv)
{
    const Options options = parseArguments(argc, argv);

    // No display needed; the scale is the screen's, so that the drawing area
    // and the window layer are made at that resolution.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", QByteArray::number(options.scale));

    // Opened first, so that an output that cannot be written is reported at
    // once. The picture goes to a temporary file beside it, renamed on
    // success only: no partial file is ever left.
    QSaveFile file(options.output);
    if (!file.open(QIODevice::WriteOnly)) {
        fail(QStringLiteral("cannot write %1: %2").arg(options.output, file.errorString()));
        return exitFailure;
    }

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
    QImage last;
    const int code = application.Execute([&] {
        application.Initialize();
        application.CreateForm(Antenne);
        ReplayScenario(*options.scenario, [&](const QImage& picture, int tick, int ticks) {
            if (picture.size() != QSize(ExportWidth, ExportHeight) * options.scale)
                throw std::runtime_error(QStringLiteral("the window was rendered at %1 x %2 pixels, not at scale %3 "
                                                        "(is the screen scaled already?)")
                                             .arg(picture.width())
                                             .arg(picture.height())
                                             .arg(options.scale)
                                             .toStdString());
            if (options.format == Format::Gif)
                animation.addFrame(picture);
            last = picture;
            if (progress && ticks >= progressFromTicks) {
                std::fprintf(stderr, "\rframe %d/%d", tick, ticks);
                progressShown = true;
            }
        });
        return 0;
    });
    endProgress();
    if (code != 0 || shown || last.isNull()) {
        file.cancelWriting();
        return exitFailure;
    }

    try {
        if (options.format == Format::Gif) {
            animation.write(file);
        } else {
            QImage picture = last;
            picture.setDevicePixelRatio(1.0);
            if (!picture.save(&file, "PNG"))
                throw std::runtime_error(file.errorString().toStdString());
        }
    } catch (const std::exception& error) {
        fail(QStringLiteral("cannot write %1: %2").arg(options.output, QString::fromUtf8(error.what())));
        file.cancelWriting();
        return exitFailure;
    }
    if (!file.commit()) {
        fail(QStringLiteral("cannot write %1: %2").arg(options.output, file.errorString()));
        return exitFailure;
    }
    return 0;
}
