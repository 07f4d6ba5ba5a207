#include "app/antenne.h"

#include "scenes/scenarios.h"

#include <QIcon>
#include <QPushButton>
#include <QTimer>

namespace {
constexpr int tickMilliseconds = 100;
}

TAntenne::TAntenne(QWidget* Owner) : TForm(Owner)
{
    setupUi(this);
    setWindowIcon(QIcon(QStringLiteral(":/icons/MAINICON.ico")));

    // The labels size themselves to their text, from their designed top left.
    for (QLabel* label : {Label1, Label2, Label4})
        label->adjustSize();

    // The restored bounds, frame included, have the layout's size; the
    // window opens maximized.
    SetBounds(270, 128, width(), height());
    setWindowState(Qt::WindowMaximized);

    // Each scenario's button calls its handler. The handlers run from the
    // event queue rather than inside the button's own mouse handling, so that
    // an exception leaving a handler never cuts a button's click processing
    // short.
    for (const Scenario& scenario : Scenarios) {
        QPushButton* button = this->*scenario.button;
        const auto click = scenario.click;
        connect(button, &QPushButton::clicked, this, [this, button, click] { (this->*click)(button); },
                Qt::QueuedConnection);
    }

    // A precise timer keeps a scene's length within a few per cent of its
    // nominal 100 ms a frame.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setInterval(tickMilliseconds);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer(Timer1); });
    Timer1->start();
}

void TAntenne::Timer(QObject* /*Sender*/)
{
    StepAnimation();
}

void TAntenne::Button1Click(QObject* /*Sender*/)
{
    StartScenario(Scenarios[0]);
}

void TAntenne::Button2Click(QObject* /*Sender*/)
{
    StartScenario(Scenarios[1]);
}

void TAntenne::Button3Click(QObject* /*Sender*/)
{
    StartScenario(Scenarios[2]);
}

void TAntenne::Button4Click(QObject* /*Sender*/)
{
    StartScenario(Scenarios[3]);
}

void TAntenne::Button5Click(QObject* /*Sender*/)
{
    StartScenario(Scenarios[4]);
}

void TAntenne::Button6Click(QObject* /*Sender*/)
{
    StartScenario(Scenarios[5]);
}
