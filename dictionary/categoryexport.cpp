#include "dictionary/categoryexport.h"

#include "foundation/filehelpers.h"

#include <QHash>
#include <QSaveFile>

QString BuildCategoryExportText(const QList<CategoryExportItem>& preorder)
{
    QHash<qint32, QString> paths;
    QString text;
    for (const CategoryExportItem& item : preorder) {
        const auto parent = paths.constFind(item.parent);
        const QString path =
            item.parent != 0 && parent != paths.constEnd() ? *parent + u'\\' + item.name : item.name;
        paths.insert(item.id, path);
        text += path + u'\t';
        if (item.words.isEmpty()) {
            text += QStringLiteral("\r\n");
            continue;
        }
        text += item.words.first() + QStringLiteral("\r\n");
        for (qsizetype i = 1; i < item.words.size(); ++i)
            text += u'\t' + item.words.at(i) + QStringLiteral("\r\n");
    }
    return text;
}

bool WriteUtf16TextFile(const QString& path, const QString& text, QString* error)
{
    QSaveFile file(path);
    const QByteArray bytes(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    const bool written = file.open(QIODevice::WriteOnly) && WriteUtf16Bom(file) &&
                         file.write(bytes) == bytes.size() && file.commit();
    if (!written && error)
        *error = file.errorString();
    return written;
}
