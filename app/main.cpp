// The RQ_27M configurator: one window to read and write the radio module's parameters over a
// serial port, and a small serial terminal.
#include "app/FormMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication qtApp(argc, argv);
    auto* application = new TApplication;
    try {
        application->Initialize();
        application->SetTitle(QStringLiteral("RQ_27M"));
        application->CreateForm(Form1);
        application->Run();
    } catch (const Exception& e) {
        application->ShowException(e);
    } catch (...) {
        application->ShowException(Exception(QString()));
    }
    delete application;
    return 0;
}
