#pragma once

// A main window for tests: the real TAntenne, offscreen, with its clock
// stopped so that the tests drive Timer themselves, the shared state as at
// program start, and exception messages recorded instead of shown.
#include "app/antenne.h"
#include "pixels.h"
#include "app/state.h"
#include "scenes/scenarios.h"
#include "surface/fonts.h"
#include "surface/tapplication.h"
#include "surface/tbitmap.h"

#include <QImage>
#include <QRect>
#include <QStringList>
#include <QTimer>

#include <memory>

struct WindowFixture {
    std::unique_ptr<TAntenne> window;
    QStringList shown;  // exception messages, in order
    TApplication::ExceptionDisplay previous;

    explicit WindowFixture(bool stopClock = true)
    {
        ResetAnimationState();
        Schema.reset();
        HInstance = programModule();
        window = std::make_unique<TAntenne>();
        Antenne = window.get();
        if (stopClock)
            window->Timer1->stop();
        previous = TApplication::SetExceptionDisplay([this](const QString& m) { shown << m; });
    }
    ~WindowFixture()
    {
        TApplication::SetExceptionDisplay(previous);
        Antenne = nullptr;
        HInstance = programModule();
    }

    static HINSTANCE programModule()
    {
        static const HINSTANCE original = HInstance;
        return original;
    }

    TCanvas* image() { return window->FOND->Canvas(); }
    const QImage& picture() { return window->FOND->picture(); }
    void tick(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            window->Timer(window->Timer1);
    }
    // Ticks until the counter stops moving (the scene has ended).
    void playToEnd()
    {
        for (int guard = 0; guard < 1000; ++guard) {
            const auto before = Compteur;
            tick();
            if (Compteur == before)
                return;
        }
    }
    void click(int button)
    {
        (window.get()->*Scenarios.at(static_cast<std::size_t>(button - 1)).click)(nullptr);
    }
};

// The application every GUI test runs in: fonts registered as at start-up.
#define ANTENNE_TEST_MAIN(TestClass)                   \
    int main(int argc, char** argv)                    \
    {                                                  \
        TApplication app(argc, argv);                  \
        app.Initialize();                              \
        TestClass test;                                \
        return QTest::qExec(&test, argc, argv);        \
    }
