#pragma once

// Helpers shared by the test executables: temporary folders, fixture paths
// and small file builders.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

/// Readable QString values in failure messages (found by argument lookup).
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace testutil {

/// A fresh folder that is removed with the object.
class TempDir {
public:
    TempDir() { EXPECT_TRUE(m_dir.isValid()); }
    QString path() const { return m_dir.path(); }
    /// A path inside the folder; the file need not exist.
    QString file(const QString& name) const { return QDir(m_dir.path()).filePath(name); }

private:
    QTemporaryDir m_dir;
};

/// The path of a small fixture under tests/data.
inline QString DataPath(const QString& relative)
{
    return QDir(QStringLiteral(KORVAN_TEST_DATA_DIR)).filePath(relative);
}

/// The language table the build made beside the program.
inline QString StringTablePath()
{
    return QDir(QStringLiteral(KORVAN_BIN_DIR)).filePath(QStringLiteral("KORVAN10.str"));
}

/// The text with control and special characters as <hhhh>, for readable
/// failure messages about rich-edit text.
inline QString ShowControls(const QString& text)
{
    QString out;
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() >= 0xFFF0)
            out += QStringLiteral("<%1>").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

inline QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

}  // namespace testutil
