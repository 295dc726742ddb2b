#pragma once

#include <QString>
#include <QStringList>

/// @short An INI file read and written with the private-profile rules of
/// the original platform.
///
/// Lines are "[section]", "key=value" and ";comment". Section and key names
/// compare without regard to case; the first of repeated keys counts; values
/// are trimmed and lose one pair of enclosing double quotes. A missing file
/// reads as empty. Every call reads the file anew, so edits by another
/// program are seen; writes replace the file through a temporary file.
class PrivateProfile {
public:
    explicit PrivateProfile(const QString& path) : m_path(path) {}
    QString Path() const { return m_path; }

    QString GetString(const QString& section, const QString& key, const QString& defaultValue = QString()) const;
    /// The leading decimal integer of the value; the default when the key is
    /// missing.
    int GetInt(const QString& section, const QString& key, int defaultValue) const;

    /// False when the file cannot be written; it then stays as it was.
    bool WriteString(const QString& section, const QString& key, const QString& value);
    bool WriteInt(const QString& section, const QString& key, int value)
    {
        return WriteString(section, key, QString::number(value));
    }
    /// Removes the key from the section; true when it is gone (or was never there).
    bool DeleteKey(const QString& section, const QString& key);
    /// Drops every section except the one named.
    bool KeepOnlySection(const QString& section);

private:
    QStringList ReadLines() const;
    bool WriteLines(const QStringList& lines) const;

    QString m_path;
};
