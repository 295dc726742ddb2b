// The helper program that converts a legacy file in a process of its own.

#include "platform/jet/jetchild.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    return RunJetHelper(app.arguments().mid(1));
}
