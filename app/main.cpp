#include "app/mainapp.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Zepha"));
    QApplication::setApplicationName(QStringLiteral("KORVAN10"));

    CMainApp mainApp;
    if (!mainApp.InitInstance(QApplication::arguments(), QApplication::applicationDirPath()))
        return 1;
    return mainApp.ExitInstance(app.exec());
}
