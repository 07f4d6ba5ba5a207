// The program's start-up, presentation and close, without a user: what the
// memory check runs under valgrind. Same steps as the program's entry point;
// the window is closed, as a user would, once the presentation is drawn.
#include "app/antenne.h"
#include "app/state.h"
#include "surface/tapplication.h"

#include <QTimer>

int main(int argc, char** argv)
{
    TApplication application(argc, argv);
    return application.Execute([&application] {
        application.Initialize();
        application.CreateForm(Antenne);
        // Close after the first ticks, once the presentation is on screen.
        QTimer::singleShot(500, Antenne, [] {
            if (Compteur != 2)
                std::abort();
            Antenne->close();
        });
        return application.Run();
    });
}
