#include "surface/tapplication.h"

#include "surface/fonts.h"

#include <QMessageBox>
#include <QWidget>

TApplication* Application = nullptr;

namespace {

void messageBox(const QString& message)
{
    QMessageBox::critical(nullptr, QApplication::applicationName(), message);
}

TApplication::ExceptionDisplay& display()
{
    static TApplication::ExceptionDisplay current = messageBox;
    return current;
}

}  // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    Application = this;
}

TApplication::~TApplication()
{
    mainForm_.reset();
    if (Application == this)
        Application = nullptr;
}

void TApplication::Initialize()
{
    RegisterApplicationFonts();
}

int TApplication::Run()
{
    if (mainForm_)
        mainForm_->show();
    return exec();
}

int TApplication::Execute(const std::function<int()>& startup)
{
    try {
        return startup();
    } catch (const std::exception& error) {
        ShowException(error);
    } catch (...) {
        ShowException(QStringLiteral("Exception inconnue"));
    }
    return 1;
}

TApplication::ExceptionDisplay TApplication::SetExceptionDisplay(ExceptionDisplay replacement)
{
    return std::exchange(display(), std::move(replacement));
}

void TApplication::ShowException(const std::exception& error)
{
    ShowException(QString::fromUtf8(error.what()));
}

void TApplication::ShowException(const QString& message)
{
    if (display())
        display()(message);
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    // Every event handler of the program runs below this call: an exception
    // that leaves one is shown here, and the event counts as handled.
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowException(error);
    } catch (...) {
        ShowException(QStringLiteral("Exception inconnue"));
    }
    return true;
}
