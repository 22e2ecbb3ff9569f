// jobcollector: one window, started and run until it is closed.

#include <QApplication>

#include "app/main_window.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("jobcollector"));
    MainWindow window;
    window.show();
    return app.exec();
}
