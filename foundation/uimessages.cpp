#include "foundation/uimessages.h"

#include <QCoreApplication>

void PumpUiMessages()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
