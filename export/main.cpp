// antenne-export: replays one scenario of the Antenne animation offscreen,
// through the program's own window and scenes, and writes one of its
// pictures (PNG) or the whole animation (GIF, one frame per 100 ms tick); or
// replays them all and writes a web page that plays them again in a browser,
// alone or zipped with an exercise's manifest as a SCORM package.
#include "app/antenne.h"
#include "export/arguments.h"
#include "app/state.h"
#include "export/gif_animation.h"
#include "export/labo_export.h"
#include "export/page_frames.h"
#include "export/replay.h"
#include "export/web_page.h"
#include "export/device_write.h"
#include "export/zip_archive.h"
#include "model/decimal.h"
#include "model/laboratory.h"
#include "scenes/scenarios.h"
#include "surface/fonts.h"
#include "surface/tapplication.h"
#include "web/bridge/scorm.h"

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

constexpr int tickCentiseconds = 10;
// Progress is shown for scenes at least this long.
constexpr int progressFromTicks = 100;

void fail(const QString& message)
{
    Print(stderr, QStringLiteral("%1: %2\n").arg(QLatin1String(ProgramName), message));
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
        return ExitFailure;
    }
    if (!file.commit()) {
        fail(QStringLiteral("cannot write %1: %2").arg(output, file.errorString()));
        return ExitFailure;
    }
    return 0;
}

// The laboratory run, written without any window: its CSV needs no toolkit
// at all, its SVG and PNG a painter and the embedded fonts.
int writeLabo(const Options& options, QSaveFile& file, char** argv)
{
    for (const std::string& name : options.lab.parsed.ignored)
        Print(stderr, QStringLiteral("%1: «\u00a0%2\u00a0» n'est pas un réglage : ignoré\n")
                          .arg(QLatin1String(ProgramName), QString::fromStdString(name)));
    // A run that runs away stops there, and so does its file: say so, as
    // the pictures do under their graphs.
    if (options.lab.run.diverged)
        Print(stderr, QStringLiteral("%1: la position s'emballe, l'essai s'arrête à %2 s : le fichier s'arrête là\n")
                          .arg(QLatin1String(ProgramName), QString::fromStdString(labo::FormatFixed(options.lab.run.divergedAt, 2, ','))));
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
        QCoreApplication::setApplicationName(QLatin1String(ProgramName));
        QCoreApplication::setApplicationVersion(QStringLiteral(ANTENNE_VERSION));
        options = ParseArguments(QCoreApplication::arguments());
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
        return ExitFailure;
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
        if (WritesPage(options.format)) {
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
    if (code != 0 || shown || (!WritesPage(options.format) && kept.isNull())) {
        file.cancelWriting();
        return ExitFailure;
    }

    return writeAtomically(file, options.output, [&] {
        if (options.format == Format::Page) {
            WriteAll(file, WebPage(page));
        } else if (options.format == Format::Scorm) {
            WriteAll(file, ZipArchive({{QStringLiteral("imsmanifest.xml"), QByteArray::fromStdString(options.scorm.manifest)},
                                       {QString::fromUtf8(labo::ScormPageName), WebPage(page)}}));
        } else if (options.format == Format::Gif) {
            animation.write(file);
        } else {
            kept.setDevicePixelRatio(1.0);
            WritePng(kept, file);
        }
    });
}
