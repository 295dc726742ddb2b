#pragma once

// One text value of the program's settings store (QSettings, organisation
// "Zepha", application "KORVAN10"). Values an administrator puts into the
// system-wide file are read when the user's own file lacks them.

#include <QString>

/// Organisation and application under which the program's settings live.
inline constexpr char kSettingsOrganisation[] = "Zepha";
inline constexpr char kSettingsApplication[] = "KORVAN10";

/// @short A text value named by a key path and a value name.
///
/// The path is the key path, a backslash and the value name
/// ("Software\Vendor\Value"); "/" separates as well. The value is read when
/// the object is made. Only a text given to Set is ever written: by
/// RegValueWrite, or when the object is destroyed.
class CRegValue {
public:
    CRegValue(const QString& path, const QString& defaultText = {}, bool alwaysReread = false);
    ~CRegValue();
    CRegValue(const CRegValue&) = delete;
    CRegValue& operator=(const CRegValue&) = delete;

    /// The cached text; read again first when nothing was read yet or the
    /// value is always reread, unless a text was set and not yet written.
    QString Read();
    /// The stored text, cached and marked read; the default text when the
    /// value is missing (the cache then stays as it was).
    QString RegValueReadRaw();
    /// Caches the text and marks it to be written.
    void Set(const QString& text);
    /// Stores the cached text; true and marked written when the settings
    /// file was saved.
    bool RegValueWrite();

    QString KeyPath() const { return m_keyPath; }
    QString ValueName() const { return m_valueName; }
    bool WasRead() const { return m_read; }
    bool WasWritten() const { return m_written; }

private:
    /// The key of the value in QSettings: key path and value name joined by "/".
    QString SettingsKey() const;

    QString m_valueName;
    QString m_keyPath;
    QString m_text;
    QString m_defaultText;
    bool m_written = false;
    bool m_alwaysReread = false;
    bool m_read = false;
    bool m_pendingWrite = false;
};
