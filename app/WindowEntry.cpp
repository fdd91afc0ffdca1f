#include "app/WindowEntry.h"

#include <QApplication>

int RunWindow(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vistrel 9");
    return 0;
}
