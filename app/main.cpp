#include "app/antenne.h"
#include "app/state.h"
#include "surface/tapplication.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Without a display the toolkit would abort with a terse message of its own;
// say plainly what is missing instead.
bool displayAvailable()
{
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char** argv)
{
    if (!displayAvailable()) {
        std::fputs("antenne : aucun écran graphique (DISPLAY n'est pas défini) ; "
                   "lancez le programme dans une session graphique.\n"
                   "antenne: no graphical display (DISPLAY is not set); "
                   "start the program from a desktop session.\n",
                   stderr);
        return 1;
    }
    TApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("Antenne"));
    return application.Execute([&application] {
        application.Initialize();
        application.CreateForm(Antenne);
        return application.Run();
    });
}
