#include "document/dictionaryfile.h"

#include "platform/codepage/codepage.h"

#include <QStringList>

namespace {

/// Leading digits of a field as a number; what follows them is ignored.
qint32 NumberOf(const QList<QStringView>& fields, qsizetype index)
{
    if (index >= fields.size())
        return 0;
    const QStringView field = fields.at(index).trimmed();
    qsizetype end = 0;
    if (end < field.size() && (field[end] == u'-' || field[end] == u'+'))
        ++end;
    while (end < field.size() && field[end].isDigit() && field[end].unicode() < 128)
        ++end;
    bool ok = false;
    const qint32 value = field.left(end).toInt(&ok);
    return ok ? value : 0;
}

}  // namespace

QString DecodeDictionaryBytes(QByteArrayView bytes)
{
    return codepage::DecodeTextFile(bytes);
}

DictionaryFileContent ParseDictionaryText(const QString& text)
{
    DictionaryFileContent content;
    qint32 number = 0;
    bool haveCategory = false;
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start < size) {
        qsizetype end = start;
        while (end < size && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QStringView line = QStringView(text).mid(start, end - start);
        // CR LF counts as one line end.
        start = end + ((end + 1 < size && text[end] == u'\r' && text[end + 1] == u'\n') ? 2 : 1);
        if (line.isEmpty())
            continue;
        const QList<QStringView> fields = line.split(u'\t');
        const QStringView first = fields.first().trimmed();
        if (!first.isEmpty()) {
            DictionaryFileCategory category;
            category.name = first.toString();
            if (fields.size() >= 4) {
                category.type = NumberOf(fields, 1);
                number = NumberOf(fields, 2);
                category.fileParent = NumberOf(fields, 3);
                category.state = NumberOf(fields, 4);
            } else if (fields.size() == 3) {
                category.type = NumberOf(fields, 1);
                ++number;
            }
            category.fileId = number;
            content.categories.append(category);
            haveCategory = true;
            continue;
        }
        if (!haveCategory || fields.size() < 2)
            continue;
        DictionaryFileEntry entry;
        entry.fileCategory = number;
        entry.word = fields.at(1).trimmed().toString();
        if (entry.word.isEmpty())
            continue;
        qint32* values[4] = {&entry.column, &entry.flag1, &entry.flag2, &entry.flag3};
        for (int i = 0; i < 4; ++i) {
            const qsizetype index = 2 + i;
            if (index >= fields.size())
                break;
            *values[i] = NumberOf(fields, index);
            // A flag with a field after it, and the last flag always, is 0
            // or 1. The column is taken as written: it is no flag, and
            // forcing it would lose every value this program writes.
            const bool forced = i == 3 || index + 1 < fields.size();
            if (i > 0 && forced && *values[i] != 0 && *values[i] != 1)
                *values[i] = 0;
        }
        content.entries.append(entry);
    }
    return content;
}
