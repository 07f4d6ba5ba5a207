#pragma once

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>
#include <vector>

// One scenario as the page shows it.
struct PageScenario {
    QString name;     // antenne-export's name for it
    QString title;    // the title the picture shows
    QString caption;  // its button's caption
    QRect button;     // its button's place, in the picture's logical pixels
    int frames = 0;   // the ticks of its scene; its pictures are 0 to frames
};

// Everything the page holds, taken from the program's window and scenarios.
struct PageContent {
    QString caption;  // the window's caption, the page's title
    QSize size;       // the picture, in logical pixels
    int scale = 1;    // the canvas's pixels per logical pixel
    std::vector<PageScenario> scenarios;
    // The scenario whose last picture is the start-up picture, if any: the
    // page shows it at that picture when it opens.
    std::optional<int> startupScenario;
    QByteArray icon;            // the window's icon, PNG, for the browser's tab
    QByteArray startupFrame;    // PageFrames::startup()
    QByteArray scenarioFrames;  // PageFrames::scenarios()
};

// The page, one self-contained HTML document: the template page.html with
// its style and script, the content as JSON, the icon as a data: URL and the
// two blocks of frames compressed with zlib and written in base64, all inline. Throws std::runtime_error if an
// embedded part is missing or would end its own element early.
QByteArray WebPage(const PageContent& content);
