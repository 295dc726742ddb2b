#pragma once

// The table imports: variables of documents or codes, documents with coded
// segments, and code lists, read from tab text or from the first sheet of
// a workbook. Tables are untrusted: every import runs in one transaction,
// so a refused table or a failed write leaves the project as it was, and
// the source file is only read.

#include <QList>
#include <QString>
#include <QtGlobal>

class CKorDoc;
class TopicDatabase;

/// @short One variable column of a table, as the columns dialog shows and
/// edits it.
struct ImportColumn {
    static constexpr qsizetype kNameUnits = 63;
    static constexpr qsizetype kSampleUnits = 255;

    QString name;            ///< at most 63 units
    QString sample;          ///< the first non-empty cell, at most 255 units
    qint32 column = 0;       ///< position in the table, every column counted
    qint32 assignment = 0;   ///< > 0 an existing variable; < 0 minus the type of a new one; 0 none
    quint8 import = 1;       ///< 1: the column is imported
};

/// @short Who confirms the variable columns of an import: the columns
/// dialog in the program, a script in tests. It edits the records in place
/// and answers false for Cancel.
class IImportColumnsChooser {
public:
    virtual ~IImportColumnsChooser() = default;
    virtual bool ChooseColumns(const TopicDatabase& db, qint32 topic, QList<ImportColumn>& columns) = 0;
};

/// @short The type a new variable gets from the cells of its column. It
/// starts as boolean (only "0" and "1") and widens as cells need: whole
/// numbers that fit an integer, then reals (read in the C locale, else in
/// the user's), dates when every cell is one, else text. Each cell is read
/// whole, so "-4" is an integer and "12abc" text.
class ColumnTypeGuess {
public:
    void Add(const QString& cell);
    qint32 Type() const;

private:
    enum Kind { Boolean, Integer, Real, Date, Text };
    static Kind KindOf(const QString& cell);
    bool m_any = false;
    Kind m_kind = Boolean;
};

namespace tableimport {

/// A real read whole, first in the C locale (no group separators), then in
/// the user's locale; false when neither reads all of it.
bool ParseReal(const QString& text, double& value);

/// The text of a table file: UTF-16 after FF FE; without a mark UTF-8 when
/// the bytes are valid UTF-8, else Windows-1252. False with the reason for
/// a file that cannot be read.
bool ReadTableTextFile(const QString& path, QString& text, QString* error = nullptr);

/// Appends the first sheet of a workbook as tab text: a tab after each
/// cell but the last of a row, CR LF after each row. Whole numbers are
/// written as 64-bit integers, other numbers in their shortest exact form,
/// date cells as dates in the user's locale; line breaks in a cell become
/// LF, tabs are dropped. False with the reason, and the text unchanged,
/// for a file that is no readable workbook.
bool ReadExcelSheetText(const QString& path, QString& text, QString* error = nullptr);

/// A workbook (".xls", ".xlsx", any case) by ReadExcelSheetText, any other
/// file by ReadTableTextFile.
bool ReadImportFile(const QString& path, QString& text, QString* error = nullptr);

/// True for the extensions read as workbooks.
bool IsWorkbookFile(const QString& path);

}  // namespace tableimport

/// @short The imports of tables into the open project. UI thread only; the
/// document's windows hear of the import once it is committed.
class TableImports {
public:
    TableImports(CKorDoc& doc, IImportColumnsChooser& chooser) : m_doc(doc), m_chooser(chooser) {}

    /// Variables of documents (rows keyed by "Textgroup" and "Textname") or
    /// of codes (rows keyed by "Code", below parentCode when it is not 0).
    /// An empty text reads the file. False, with the reason shown and the
    /// project unchanged, for an unreadable file, a missing key column, a
    /// cancelled dialog or a failed write.
    bool ImportVariablesTable(const QString& path, QString text, bool broadcast, bool codes, qint32 parentCode);

    /// One document per row (made when missing), whose text is the cells of
    /// the code columns, each coded with its column's code; "$" columns are
    /// document variables. With emptyNoCoding an empty cell stays uncoded.
    /// Shows its summary. False, with the project unchanged, when the table
    /// is refused or a write failed.
    bool ImportCodedSegmentsTable(QString text, bool emptyNoCoding, bool broadcast);

    /// Codes from a table with a "Code" and a "Memo" column (case and
    /// blanks ignored); each new code's memo gets the memo cell's text. The
    /// header line is taken off the text. Returns the report for the user;
    /// `ok` false when nothing could be imported.
    QString ImportCodeListText(QString& text, bool* ok = nullptr);

private:
    CKorDoc& m_doc;
    IImportColumnsChooser& m_chooser;
};
