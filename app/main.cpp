#include "foundation/stringstore.h"

#include <QApplication>
#include <QDir>
#include <QMainWindow>
#include <QMessageBox>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Zepha"));
    QApplication::setApplicationName(QStringLiteral("KORVAN10"));

    // Without its texts the program cannot show anything meaningful.
    const QString table = QDir(QApplication::applicationDirPath()).filePath(QStringLiteral("KORVAN10.str"));
    if (!g_pStringStore->Open(table, 1)) {
        QMessageBox::critical(nullptr, QStringLiteral("KORVAN10"), g_pStringStore->LastError());
        return 1;
    }

    QMainWindow frame;
    frame.setWindowTitle(LoadString(1));
    frame.resize(1024, 768);
    frame.show();
    const int rc = app.exec();
    g_pStringStore->Close();
    return rc;
}
