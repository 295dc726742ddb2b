#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

struct sqlite3;
struct sqlite3_stmt;

/// The language code (column name of the language table) of a language
/// index 0..14; any other index reads German, as the profile's default did.
QString LanguageCodeName(int languageIndex);

/// Turns the escapes \r\n, \r, \n, \t and \" of a language-table text into
/// control characters, in place. \n becomes CR LF when crlf is set, else CR.
void UnescapeText(QString& text, bool crlf);

/// @short The translator: every visible text by numeric id.
///
/// Besides texts, it knows the text id of a command id and a command's
/// shortcut key text, and translates captions "@STR<id>|fallback".
class CStringSource {
public:
    virtual ~CStringSource() = default;

    /// Stores the language index and fills the command maps anew; the path
    /// is not used here.
    virtual bool Load(const QString& path, int languageIndex);
    virtual void Close() {}
    /// The text of an id in the current language; empty when closed or
    /// unknown. With commandFlag 1 the id is first mapped as a command id.
    virtual QString GetString(int id, int commandFlag = 0) = 0;
    virtual bool InsertString(int id, const QString& reference, const QString& section,
                              const QString& text) = 0;
    virtual bool UpdateString(int id, const QString& text) = 0;
    virtual void FillShortcutNames() = 0;
    virtual bool IsOpen() const = 0;

    int LanguageIndex() const { return m_languageIndex; }
    QString GetLanguageCode() const { return LanguageCodeName(m_languageIndex); }
    /// Replaces a command id by its text id when the map holds one.
    void MapCommandId(int& id) const;
    QString GetShortcutText(int commandId) const;
    /// Replaces "@STR<id>|fallback" (any case, blanks around) by the text of
    /// the id; true when replaced. A closed store leaves captions alone.
    bool TranslateCaption(QString& caption);

protected:
    int m_languageIndex = 0;
    QHash<int, int> m_commandTextMap;
    QHash<int, int> m_shortcutMap;   // command id -> index into m_shortcutTexts
    QStringList m_shortcutTexts;
};

/// @short The language table "KORVAN10.str": an SQLite file with the table
/// `tabStrings` ([ID], [Reference], [Section], one column per language code).
///
/// Opened read-only. A text missing in the chosen language falls back to
/// English, so the interface is never empty for a known id.
class CStringStore : public CStringSource {
public:
    CStringStore() = default;
    ~CStringStore() override;
    CStringStore(const CStringStore&) = delete;
    CStringStore& operator=(const CStringStore&) = delete;

    /// Opens the table; false with LastError() set when the file is missing,
    /// not SQLite, or has no table `tabStrings`.
    bool Open(const QString& path, int languageIndex);
    void Close() override;
    bool IsOpen() const override { return m_db != nullptr; }
    QString GetString(int id, int commandFlag = 0) override;
    /// Both fail on the read-only table; nothing in the program calls them.
    bool InsertString(int id, const QString& reference, const QString& section,
                      const QString& text) override;
    bool UpdateString(int id, const QString& text) override;
    void FillShortcutNames() override;

    QString LastError() const { return m_lastError; }

private:
    bool Execute(const QString& sql, const QList<QVariant>& values);

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_select = nullptr;   // texts of one id: chosen language, then ENG
    QHash<int, QString> m_cache;
    QString m_lastError;
};

/// The program-wide translator; opened at start-up, closed at exit.
extern CStringStore* g_pStringStore;

/// Shorthand for g_pStringStore->GetString(id).
QString LoadString(int id);
