// The list of code paths that activates codes: read whole first, so a file
// that cannot be read changes nothing.

#include "document/kordoc.h"

#include "document/kordoc_p.h"
#include "platform/codepage/codepage.h"
#include "store/storeids.h"

#include <QFile>

bool CKorDoc::ActivateCodesFromList(const QString& path)
{
    if (path.isEmpty() || !d->m_engine)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    file.close();
    QString text = codepage::DecodeTextFile(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));

    DeactivateAllCodes();
    QList<qint32> activated;
    // The last line counts too: a list written without a final line end
    // would otherwise lose its last code.
    for (const QString& line : text.split(u'\n')) {
        const QString codePath = line.trimmed();
        if (codePath.isEmpty())
            continue;
        const qint32 code = AddCodeByPath(0, codePath, false);
        if (code && WriteActivation(TopicId::Codes, code, true))
            activated.append(code);
    }
    NotifyListChanged(TopicId::Codes, activated);
    RunRetrieval(d->m_options, 0);
    UpdateCodeFrequencies(0);
    return true;
}
