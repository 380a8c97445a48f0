#include <QApplication>

#include "app/codeburg_app.h"

int main(int argc, char* argv[])
{
    QApplication qt(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("halcyon"));
    QApplication::setApplicationName(QStringLiteral("Codeburg"));
    codeburg::CCodeburgApp app;
    if (!app.initInstance(QApplication::arguments().mid(1))) return 1;
    return QApplication::exec();
}
