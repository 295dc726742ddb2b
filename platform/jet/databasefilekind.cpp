#include "platform/jet/databasefilekind.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

namespace {

// Both headers include their terminating NUL.
constexpr char kSqliteMagic[] = "SQLite format 3";
constexpr char kJetMagic[] = "Standard Jet DB";
constexpr char kAceMagic[] = "Standard ACE DB";
constexpr int kJetMagicOffset = 4;

bool HasAt(const QByteArray& head, int offset, const char* magic, int sizeWithNul)
{
    return head.size() >= offset + sizeWithNul
        && QByteArrayView(head).sliced(offset, sizeWithNul) == QByteArrayView(magic, sizeWithNul);
}

}  // namespace

DatabaseFileKind DetectDatabaseFile(const QString& path, QString* error)
{
    if (QFileInfo(path).isDir()) {
        if (error)
            *error = QStringLiteral("%1 is a folder").arg(path);
        return DatabaseFileKind::Unreadable;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString());
        return DatabaseFileKind::Unreadable;
    }
    const QByteArray head = file.read(32);
    if (HasAt(head, 0, kSqliteMagic, sizeof kSqliteMagic))
        return DatabaseFileKind::Sqlite;
    if (HasAt(head, kJetMagicOffset, kJetMagic, sizeof kJetMagic)
        || HasAt(head, kJetMagicOffset, kAceMagic, sizeof kAceMagic))
        return DatabaseFileKind::Jet;
    return DatabaseFileKind::Other;
}
