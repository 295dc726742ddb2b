#include "foundation/linktarget.h"

QString LinkTargetText(const QByteArray& text)
{
    QByteArray bytes = text;
    // A UTF-16 text has a zero high byte in most of its units; 8-bit text
    // has none before its terminator.
    qsizetype zeros = 0;
    for (qsizetype i = 1; i < bytes.size(); i += 2)
        zeros += bytes[i] == '\0';
    if (bytes.size() >= 2 && zeros * 2 >= bytes.size() / 2) {
        if (bytes.size() % 2)
            bytes.chop(1);
        QString decoded = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
        while (decoded.endsWith(QChar(0)))
            decoded.chop(1);
        return decoded;
    }
    while (bytes.endsWith('\0'))
        bytes.chop(1);
    return QString::fromUtf8(bytes);
}
