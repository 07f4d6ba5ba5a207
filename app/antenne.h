#pragma once

#include "surface/tform.h"
#include "ui_antenne.h"

class QTimer;

// The main window: the labels, the drawing area FOND and the six scenario
// buttons come from its layout; Timer1 drives the animation.
class TAntenne : public TForm, public Ui::TANTENNE {
    Q_OBJECT
public:
    explicit TAntenne(QWidget* Owner = nullptr);

    QTimer* Timer1;

    // Tick of Timer1: one step of the animation.
    void Timer(QObject* Sender);

    // The scenario buttons.
    void Button1Click(QObject* Sender);
    void Button2Click(QObject* Sender);
    void Button3Click(QObject* Sender);
    void Button4Click(QObject* Sender);
    void Button5Click(QObject* Sender);
    void Button6Click(QObject* Sender);
};
