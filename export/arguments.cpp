#include "export/arguments.h"

#include "scenes/scenarios.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <cstdio>
#include <cstdlib>

namespace {

// What stands in SCENARIO's place for the web page of every scenario, for
// a laboratory set-up's run, and for an exercise's SCORM package.
const char* const pageWord = "page";
const char* const laboWord = "labo";
const char* const scormWord = "scorm";

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
    Print(stderr, QStringLiteral("%1: %2\n"
                                 "scenarios: %3\n"
                                 "outputs: a file ending in .png or .gif; --scale N with N from 1 to 4; "
                                 "--frame K for a .png; the web page: %4 OUTPUT.html; "
                                 "a laboratory run: %5 SETTINGS OUTPUT.csv|.svg|.png; "
                                 "an exercise's SCORM package: %6 LINK OUTPUT.zip\n"
                                 "usage: %1 SCENARIO OUTPUT [--scale N] [--frame K]  (--help for more)\n"
                                 "       %1 %4 OUTPUT.html [--scale N]\n"
                                 "       %1 %5 SETTINGS OUTPUT.csv|OUTPUT.svg|OUTPUT.png [--scale N]\n"
                                 "       %1 %6 LINK OUTPUT.zip [--scale N]\n")
                      .arg(QLatin1String(ProgramName), message, scenarioNames(), QLatin1String(pageWord),
                           QLatin1String(laboWord), QLatin1String(scormWord)));
    std::exit(ExitUsage);
}

// The positional arguments a command takes, `count` with its word: what
// is missing, named (`first` stands after the command's word), or what is
// too many, is a usage error.
void expectCount(const QStringList& positional, qsizetype count, const QString& first)
{
    if (positional.size() < count) {
        const bool both = positional.size() == 1 && !first.isEmpty();
        usageError(both ? QStringLiteral("missing %1 and OUTPUT").arg(first) : QStringLiteral("missing OUTPUT"));
    }
    if (positional.size() > count)
        usageError(QStringLiteral("too many arguments ('%1')").arg(positional.mid(count).join(QStringLiteral("' '"))));
}

// --scale N, from 1 to 4.
int scaleOf(const QCommandLineParser& parser, const QCommandLineOption& option)
{
    const QString factor = parser.value(option);
    if (factor.size() != 1 || factor[0] < QLatin1Char('1') || factor[0] > QLatin1Char('4'))
        usageError(QStringLiteral("invalid scale '%1' (expected 1, 2, 3 or 4)").arg(factor));
    return factor.toInt();
}


// antenne-export scorm LINK OUTPUT.zip: the link must set an exercise, and
// set it well; anything the package would lose is a usage error that says
// what.
Options parseScorm(const QCommandLineParser& parser, const QStringList& positional, const QCommandLineOption& scale,
                   const QCommandLineOption& frame)
{
    expectCount(positional, 3, QStringLiteral("LINK"));
    Options options;
    options.format = Format::Scorm;
    options.output = positional[2];
    if (!options.output.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive))
        usageError(QStringLiteral("an exercise's package is written to a file ending in .zip, not to '%1'").arg(options.output));
    if (parser.isSet(frame))
        usageError(QStringLiteral("--frame picks one picture of one scenario: the package's page holds them all"));
    options.scale = scaleOf(parser, scale);
    options.scorm = labo::ScormPackage(positional[1].toStdString());
    QStringList problems;
    for (const std::string& problem : options.scorm.problems)
        problems << QString::fromStdString(problem);
    if (!problems.isEmpty())
        usageError(QStringLiteral("no exercise's package for '%1':\n  %2")
                       .arg(positional[1], problems.join(QStringLiteral("\n  "))));
    return options;
}

// antenne-export labo SETTINGS OUTPUT: the settings are read as the page
// reads its link, and each bad value is a usage error that names it.
Options parseLabo(const QCommandLineParser& parser, const QStringList& positional, const QCommandLineOption& scale,
                  const QCommandLineOption& frame)
{
    expectCount(positional, 3, QStringLiteral("SETTINGS"));
    Options options;
    options.format = Format::Labo;
    options.output = positional[2];
    if (!LaboFormatOf(options.output, options.laboFormat))
        usageError(QStringLiteral("cannot tell the format of '%1' (a laboratory run is written to a name ending "
                                  "in .csv, .svg or .png)")
                       .arg(options.output));
    if (parser.isSet(frame))
        usageError(QStringLiteral("--frame picks one picture of one scenario, not of a laboratory run"));
    options.scale = scaleOf(parser, scale);
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

// The help's text, in French, then in English, with every setting the
// model declares.
QString helpText()
{
    return QStringLiteral("Usage : %1 SCÉNARIO SORTIE [--scale N] [--frame K]\n"
                       "        %1 %3 SORTIE.html [--scale N]\n"
                       "        %1 %4 RÉGLAGES SORTIE.csv|.svg|.png [--scale N]\n"
                       "        %1 %7 LIEN SORTIE.zip [--scale N]\n"
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
                       "Avec %7, écrit SORTIE.zip : le paquet SCORM 1.2 de l'exercice que LIEN donne (par\n"
                       "exemple \"exercice=D1:25&fixe=regulateur\"), à déposer comme activité SCORM sur une\n"
                       "plateforme pédagogique (Moodle...) : la page et son manifeste, qui l'ouvre sur l'exercice.\n"
                       "La plateforme reçoit chaque vérification, la note et la réussite.\n"
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
                       "With %7, writes OUTPUT.zip: the SCORM 1.2 package of the exercise LINK sets (for example\n"
                       "\"exercice=D1:25&fixe=regulateur\"), for a learning platform (Moodle...) to take as a SCORM\n"
                       "activity: the page and its manifest, which opens it on the exercise; the platform gets\n"
                       "each check, the score and whether the goal was met:\n"
                       "  %1 %7 LINK OUTPUT.zip [--scale N]\n"
                       "Scenarios: %2")
            .arg(QLatin1String(ProgramName), scenarioNames(), QLatin1String(pageWord), QLatin1String(laboWord),
                 LaboSettingsHelp(true), LaboSettingsHelp(false), QLatin1String(scormWord));
}

// antenne-export SCENARIO OUTPUT, or page OUTPUT.html: one scenario's
// picture or animation, or the page of them all.
Options parseScenario(const QCommandLineParser& parser, const QStringList& positional,
                      const QCommandLineOption& scaleOption, const QCommandLineOption& frameOption)
{
    expectCount(positional, 2, {});
    Options options;
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

    options.scale = scaleOf(parser, scaleOption);

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

}  // namespace

const char* const ProgramName = "antenne-export";

void Print(std::FILE* out, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), out);
}

bool WritesPage(Format format)
{
    return format == Format::Page || format == Format::Scorm;
}

Options ParseArguments(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(helpText());
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
        Print(stdout, parser.helpText());
        std::exit(0);
    }
    if (parser.isSet(versionOption))
        parser.showVersion();  // exits
    if (parser.isSet(listOption)) {
        for (const Scenario& scenario : Scenarios)
            std::printf("%s\n", scenario.name);
        std::exit(0);
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        usageError(QStringLiteral("missing SCENARIO and OUTPUT"));
    if (positional[0] == QLatin1String(laboWord))
        return parseLabo(parser, positional, scaleOption, frameOption);
    if (positional[0] == QLatin1String(scormWord))
        return parseScorm(parser, positional, scaleOption, frameOption);

    return parseScenario(parser, positional, scaleOption, frameOption);
}
