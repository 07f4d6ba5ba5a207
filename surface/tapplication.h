#pragma once

#include <QApplication>
#include <QString>

#include <exception>
#include <functional>
#include <memory>

class QWidget;

// The application object: owns the main window, runs the message loop and
// gives every exception that leaves an event handler the same treatment: its
// message is shown and the loop goes on.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    ~TApplication() override;

    // Loads what the program needs before its first window: its fonts.
    void Initialize();

    // Creates a window of class Form; the first one created is the main
    // window, which Run shows and whose closing ends the loop.
    template <class Form>
    void CreateForm(Form*& reference)
    {
        auto form = std::make_unique<Form>(nullptr);
        reference = form.get();
        if (!mainForm_)
            mainForm_ = std::move(form);
        else
            form.release()->setAttribute(Qt::WA_DeleteOnClose);
    }

    // Shows the main window in the state its layout gives and dispatches
    // events until it is closed. Returns the loop's exit code.
    int Run();

    // Runs the start-up steps; an exception that escapes them is shown, and
    // the result is then 1, so that a failed start is not reported as success.
    int Execute(const std::function<int()>& startup);

    // Shows an exception's message with the exception display.
    void ShowException(const std::exception& error);
    void ShowException(const QString& message);

    // Where exception messages go: a message box unless replaced (the tests
    // replace it with a recorder). Returns the previous display.
    using ExceptionDisplay = std::function<void(const QString& message)>;
    static ExceptionDisplay SetExceptionDisplay(ExceptionDisplay display);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    std::unique_ptr<QWidget> mainForm_;
};

extern TApplication* Application;
