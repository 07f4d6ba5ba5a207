#include "app/antenne.h"

#include "app/scenario_buttons.h"
#include "scenes/phase_table.h"

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

    // Restored bounds; the window opens maximized.
    move(270, 128);
    setWindowState(Qt::WindowMaximized);

    // The buttons' handlers run from the event queue rather than inside the
    // button's own mouse handling, so that an exception leaving a handler
    // never cuts a button's click processing short.
    const std::array<QPushButton*, 6> buttons = {Button1, Button2, Button3, Button4, Button5, Button6};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        QPushButton* button = buttons[i];
        const auto handler = ButtonHandlers[i];
        connect(button, &QPushButton::clicked, this, [this, button, handler] { (this->*handler)(button); },
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

const std::array<void (TAntenne::*)(QObject*), 6> TAntenne::ButtonHandlers = {
    &TAntenne::Button1Click, &TAntenne::Button2Click, &TAntenne::Button3Click,
    &TAntenne::Button4Click, &TAntenne::Button5Click, &TAntenne::Button6Click};

void TAntenne::Button1Click(QObject* /*Sender*/)
{
    StartScenario(ScenarioButtons[0]);
}

void TAntenne::Button2Click(QObject* /*Sender*/)
{
    StartScenario(ScenarioButtons[1]);
}

void TAntenne::Button3Click(QObject* /*Sender*/)
{
    StartScenario(ScenarioButtons[2]);
}

void TAntenne::Button4Click(QObject* /*Sender*/)
{
    StartScenario(ScenarioButtons[3]);
}

void TAntenne::Button5Click(QObject* /*Sender*/)
{
    StartScenario(ScenarioButtons[4]);
}

void TAntenne::Button6Click(QObject* /*Sender*/)
{
    StartScenario(ScenarioButtons[5]);
}
