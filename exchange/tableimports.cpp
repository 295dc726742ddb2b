// The table imports: tab text or a workbook's first sheet into variables,
// documents with coded segments, or codes with memos. Each import is one
// transaction of the project store; the windows hear of it once it is
// committed and of nothing when it is rolled back.

#include "exchange/tableimports.h"

#include "document/codingrecord.h"
#include "document/documentframe.h"
#include "document/documentids.h"
#include "document/kordoc.h"
#include "document/listnotifyinfo.h"
#include "document/objectlistregistry.h"
#include "document/rowfields.h"
#include "exchange/exchangeids.h"
#include "exchange/mergesteps.h"
#include "foundation/ids.h"
#include "foundation/messageservice.h"
#include "foundation/options.h"
#include "foundation/richtexthelpers.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "foundation/workbook.h"
#include "platform/codepage/codepage.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/fielddescriptor.h"
#include "store/fieldvalue.h"
#include "store/oledate.h"
#include "store/projectdataengine.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "store/topictable.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QScopeGuard>
#include <QSet>

#include <cmath>
#include <limits>

using namespace rowfields;

namespace {

constexpr qsizetype kKeyUnits = 63;
constexpr int kBlankCell = 10;           // an empty segment still takes room in the text
constexpr qsizetype kPreviewUnits = 63;
constexpr qsizetype kListedRowUnits = 60;

// ---------------------------------------------------------------- table text

/// The lines of a table: CR LF between rows, or LF alone in files made on
/// Linux. A workbook's cells may hold LF, so LF splits only when the text
/// has no CR LF at all.
QStringList SplitLines(const QString& text)
{
    if (text.contains(QStringLiteral("\r\n")))
        return text.split(QStringLiteral("\r\n"));
    QStringList lines = text.split(u'\n');
    for (QString& line : lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    return lines;
}

QStringList SplitCells(const QString& line)
{
    QStringList cells = line.split(u'\t');
    for (QString& cell : cells)
        cell = cell.trimmed();
    return cells;
}

/// A header row and the data rows that are not empty.
struct Table {
    QStringList header;
    QList<QStringList> rows;
};

Table ParseTable(const QString& text)
{
    Table table;
    QStringList lines = SplitLines(text);
    if (lines.isEmpty())
        return table;
    table.header = SplitCells(lines.takeFirst());
    table.rows.reserve(lines.size());
    for (const QString& line : std::as_const(lines))
        if (!line.trimmed().isEmpty())
            table.rows.append(SplitCells(line));
    return table;
}

QString KeyText(const QString& text)
{
    return text.trimmed().left(kKeyUnits).toLower();
}

// ---------------------------------------------------------------- key columns

enum class HeaderKind { None, Group, Document, Code };

/// What a header names among the keys of the import.
HeaderKind KeyOfHeader(const TopicDatabase& db, const QString& name, bool codes)
{
    if (codes) {
        if (name.compare(u"Code", Qt::CaseInsensitive) == 0)
            return HeaderKind::Code;
        FieldDescriptor field;
        return db.FindFieldByName(TopicId::Codes, name, field) && field.ID == CodeField::Name ? HeaderKind::Code
                                                                                               : HeaderKind::None;
    }
    if (name.startsWith(u"Textgr", Qt::CaseInsensitive))
        return HeaderKind::Group;
    if (name.startsWith(u"Textname", Qt::CaseInsensitive))
        return HeaderKind::Document;
    FieldDescriptor field;
    if (db.FindFieldByName(TopicId::Documents, name, field)) {
        if (field.ID == DocumentField::GroupID)
            return HeaderKind::Group;
        if (field.ID == DocumentField::Name)
            return HeaderKind::Document;
    }
    return HeaderKind::None;
}

/// The message of missing key columns, with their captions.
void ShowMissingKeys(const QList<int>& captions)
{
    QString text = LoadString(TableImportText::MissingKey) + u'\n';
    for (const int caption : captions)
        text += QStringLiteral("\n-> ") + LoadString(caption);
    ShowMessage(text + u'\n', MessageKind::Warning);
}

/// The header cleaned as a variable name: trimmed, without apostrophes, at
/// most 63 units.
QString VariableName(const QString& header)
{
    QString name = header.trimmed();
    name.remove(u'\'');
    return name.left(ImportColumn::kNameUnits).trimmed();
}

/// Samples and new-variable types of the records from the data rows.
void FillSamples(const Table& table, QList<ImportColumn>& records)
{
    QList<ColumnTypeGuess> guesses(records.size());
    for (const QStringList& cells : table.rows) {
        for (qsizetype i = 0; i < records.size(); ++i) {
            const QString cell = cells.value(records.at(i).column);
            if (cell.isEmpty())
                continue;
            if (records.at(i).sample.isEmpty())
                records[i].sample = cell.left(ImportColumn::kSampleUnits);
            guesses[i].Add(cell);
        }
    }
    for (qsizetype i = 0; i < records.size(); ++i)
        if (records.at(i).assignment < 0)
            records[i].assignment = -guesses.at(i).Type();
}

// ---------------------------------------------------------------- values

bool ParseWhole(const QString& text, qint64& value)
{
    bool ok = false;
    value = text.toLongLong(&ok, 10);
    return ok;
}

/// Sets the field of the row from a cell, read whole by the field's type.
bool SetCellValue(RowBuffer& row, const FieldDescriptor& field, const QString& cell)
{
    FieldValue value;
    if (!row.GetFieldValue(field.ID, value))
        return false;
    switch (field.Type) {
    case FieldType::Integer: {
        qint64 whole = 0;
        double real = 0;
        if (ParseWhole(cell, whole) && whole >= std::numeric_limits<qint32>::min() &&
            whole <= std::numeric_limits<qint32>::max())
            return value.SetInt(qint32(whole));
        if (tableimport::ParseReal(cell, real) && std::abs(real) < 2147483647.0)
            return value.SetInt(qint32(std::llround(real)));
        return value.SetInt(0);
    }
    case FieldType::Real: {
        double real = 0;
        return value.SetReal(tableimport::ParseReal(cell, real) ? real : 0.0);
    }
    case FieldType::Boolean: {
        double real = 0;
        const bool set = !cell.isEmpty() && !(tableimport::ParseReal(cell, real) && real == 0);
        return value.SetInt(set ? 1 : 0);
    }
    case FieldType::DateTime:
        // A cell that is no date leaves the date empty.
        value.Parse(cell);
        return true;
    default: value.Parse(cell); return true;
    }
}

// ---------------------------------------------------------------- one import

/// One import's hold on the project: the wait cursor and window, the
/// windows kept quiet and the lists in memory kept for a rollback.
class ImportScope {
public:
    ImportScope(CKorDoc& doc, int waitText) : m_doc(doc), m_lists(doc.GetProgramLists())
    {
        BeginWait();
        m_shown = ShowWaitWindow(LoadString(waitText));
    }
    ~ImportScope()
    {
        Release();
        if (m_shown)
            CloseWaitWindow();
        EndWait();
    }
    ImportScope(const ImportScope&) = delete;
    ImportScope& operator=(const ImportScope&) = delete;

    /// The dialog shows without the wait window.
    void HideWait()
    {
        if (m_shown)
            CloseWaitWindow();
        m_shown = false;
    }
    void ShowWait(int text)
    {
        if (!m_shown)
            m_shown = ShowWaitWindow(LoadString(text));
        else
            SetWaitText(LoadString(text));
    }
    /// From here on every broadcast waits for the commit.
    void Hold() { m_doc.GetRegistry().SetHeld(true), m_held = true; }
    void Release()
    {
        if (m_held)
            m_doc.GetRegistry().SetHeld(false);
        m_held = false;
    }
    /// After a rollback: the lists and counts in memory follow the rows back.
    void Undo()
    {
        Release();
        m_doc.GetProgramLists() = m_lists;
        m_doc.UpdateCodeFrequencies(0);
    }
    /// After the commit: the windows start afresh from the project.
    void Announce()
    {
        Release();
        m_doc.GetRegistry().ResetAll();
        m_doc.RebuildTree(false);
    }

private:
    CKorDoc& m_doc;
    ProgramLists m_lists;
    bool m_shown = false;
    bool m_held = false;
};

QString FailureReason(CKorDoc& doc, const QString& reason)
{
    if (!reason.isEmpty())
        return reason;
    ProjectDataEngine* engine = doc.GetEngine();
    return engine ? engine->LastError() : QString();
}

void ShowImportFailed(CKorDoc& doc, const QString& reason)
{
    ShowMessage(LoadString(TableImportText::Failed).arg(FailureReason(doc, reason)), MessageKind::Error);
}

/// Adds the new variables of the records marked for import; a variable
/// that cannot be added leaves its column out.
void AddNewVariables(CKorDoc& doc, qint32 topic, QList<ImportColumn>& records)
{
    for (ImportColumn& record : records) {
        if (!record.import || record.assignment >= 0)
            continue;
        AddFieldNotifyInfo info;
        info.topic = topic;
        info.field.Name = record.name;
        info.field.Type = -record.assignment;
        info.field.State = FieldState::UserVariable;
        doc.HandleAddField(info);
        if (info.result)
            record.assignment = info.field.ID;
        else
            record.import = 0;
    }
}

/// The descriptors of the records marked for import, with their columns.
QList<QPair<qint32, FieldDescriptor>> ImportedFields(const TopicDatabase& db, qint32 topic,
                                                     const QList<ImportColumn>& records)
{
    QList<QPair<qint32, FieldDescriptor>> fields;
    for (const ImportColumn& record : records) {
        FieldDescriptor field;
        if (record.import && record.assignment > 0 && db.GetFieldDescriptor(topic, record.assignment, field))
            fields.append({record.column, field});
    }
    return fields;
}

/// Documents by (group name, document name), both lower-cased and cut as
/// rows keep them; the top level is the empty group name.
class DocumentIndex {
public:
    explicit DocumentIndex(const TopicDatabase& db)
    {
        QList<qint32> documents;
        db.GetAllKeys(TopicId::Documents, documents);
        QHash<qint32, QString> groups;
        for (const qint32 document : std::as_const(documents)) {
            const qint32 group = db.GetIntValue(TopicId::Documents, document, DocumentField::GroupID);
            auto it = groups.find(group);
            if (it == groups.end())
                it = groups.insert(group, group ? KeyText(TextOfKey(db, TopicId::DocumentGroups, group,
                                                                     GroupField::Name))
                                                : QString());
            const QString key = it.value() + u'\t' + KeyText(TextOfKey(db, TopicId::Documents, document,
                                                                          DocumentField::Name));
            if (!m_documents.contains(key))   // the first of equal names, as a lookup finds it
                m_documents.insert(key, document);
        }
    }
    qint32 Find(const QString& group, const QString& name) const { return m_documents.value(Key(group, name)); }
    void Add(const QString& group, const QString& name, qint32 document) { m_documents.insert(Key(group, name), document); }

private:
    static QString Key(const QString& group, const QString& name) { return KeyText(group) + u'\t' + KeyText(name); }
    QHash<QString, qint32> m_documents;
};

/// What a document holds at places of its text: codings, memos at
/// positions, links.
struct Dependants {
    QList<qint32> codings;
    QList<qint32> memos;
    QList<qint32> links;
    bool IsEmpty() const { return codings.isEmpty() && memos.isEmpty() && links.isEmpty(); }
};

Dependants DependantsOf(const TopicDatabase& db, qint32 document)
{
    Dependants found;
    db.FindKeysByParent(TopicId::Codings, TopicId::Documents, document, found.codings);
    QList<qint32> memos;
    db.FindKeysByParent(TopicId::Memos, TopicId::Documents, document, memos);
    for (const qint32 memo : std::as_const(memos))
        if (db.GetIntValue(TopicId::Memos, memo, MemoField::Pos) != mergesteps::kObjectMemoPosition)
            found.memos.append(memo);
    QList<qint32> links;
    db.FindKeysByParent(TopicId::Links, TopicId::Documents, document, links);
    found.links = links;
    return found;
}

bool DeleteDependants(CKorDoc& doc, const Dependants& dependants)
{
    if (!dependants.codings.isEmpty() && !doc.DeleteCodings(dependants.codings))
        return false;
    const TopicDatabase& db = doc.GetDatabase();
    for (const qint32 memo : dependants.memos)
        if (!doc.DeleteItem(TopicId::Memos, memo))
            return false;
    for (const qint32 link : dependants.links) {
        // A pair's partner in the same document went with its first end.
        const TopicTable* links = db.GetTable(TopicId::Links);
        if (links && links->HasKey(link) && !doc.DeleteLink(link))
            return false;
    }
    return true;
}

/// A row as the list of rows not imported shows it.
QString ListedRow(const QString& group, const QString& name)
{
    QString line = group.isEmpty() ? name : group + u'\\' + name;
    if (line.size() > kListedRowUnits)
        line = line.left(52) + QStringLiteral("..");
    return line;
}

/// Rich text of plain text.
QByteArray RtfOfPlainText(CRichEditCtrlEx& edit, const QString& text)
{
    edit.SetText(text);
    QByteArray rtf;
    edit.StreamOutRtf(&rtf, false, true);
    return rtf;
}

}  // namespace

// ---------------------------------------------------------------- type guess

ColumnTypeGuess::Kind ColumnTypeGuess::KindOf(const QString& cell)
{
    if (cell == u"0" || cell == u"1")
        return Boolean;
    qint64 whole = 0;
    if (ParseWhole(cell, whole))
        return whole >= std::numeric_limits<qint32>::min() && whole <= std::numeric_limits<qint32>::max() ? Integer
                                                                                                          : Real;
    double real = 0;
    if (tableimport::ParseReal(cell, real))
        return Real;
    double days = 0;
    if (ParseDateText(cell, days))
        return Date;
    return Text;
}

void ColumnTypeGuess::Add(const QString& cell)
{
    if (cell.isEmpty() || m_kind == Text)
        return;
    const Kind kind = KindOf(cell);
    if (!m_any) {
        m_any = true;
        m_kind = kind;
        return;
    }
    const bool dates = m_kind == Date || kind == Date;
    if (dates)
        m_kind = m_kind == kind ? Date : Text;
    else
        m_kind = std::max(m_kind, kind);
}

qint32 ColumnTypeGuess::Type() const
{
    switch (m_kind) {
    case Boolean: return FieldType::Boolean;
    case Integer: return FieldType::Integer;
    case Real: return FieldType::Real;
    case Date: return FieldType::DateTime;
    default: return FieldType::ShortText;
    }
}

// ---------------------------------------------------------------- reading

namespace tableimport {

bool ParseReal(const QString& text, double& value)
{
    if (text.isEmpty())
        return false;
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    value = c.toDouble(text, &ok);
    if (!ok)
        value = QLocale().toDouble(text, &ok);
    return ok && std::isfinite(value);
}

bool ReadTableTextFile(const QString& path, QString& text, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return false;
    }
    text = codepage::DecodeTextFile(bytes);
    return true;
}

namespace {

QString DateCellText(double days)
{
    QDate date;
    QTime time;
    if (!DateTimeFromOleDays(days, date, time))
        return QString::number(days, 'g', QLocale::FloatingPointShortest);
    const QLocale locale;
    QString pattern = locale.dateFormat(QLocale::ShortFormat);
    if (!pattern.contains(QStringLiteral("yyyy")))
        pattern.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    QString out = locale.toString(date, pattern);
    if (time.msecsSinceStartOfDay() >= 1000)
        out += u' ' + locale.toString(time, QLocale::ShortFormat);
    return out;
}

QString NumberCellText(double number)
{
    // Whole numbers within 64 bits as integers, the rest in their shortest
    // exact form: nothing is cut or rounded.
    if (std::isfinite(number) && number == std::floor(number) && std::abs(number) < 9.2e18)
        return QString::number(qint64(number));
    return QString::number(number, 'g', QLocale::FloatingPointShortest);
}

}  // namespace

bool ReadExcelSheetText(const QString& path, QString& text, QString* error)
{
    WorkbookSheetContent sheet;
    if (!ReadWorkbookSheet(path, 0, sheet, error))
        return false;
    QString out;
    for (int r = 0; r < sheet.rows; ++r) {
        for (int c = 0; c < sheet.columns; ++c) {
            const WorkbookCell cell = sheet.Cell(r, c);
            QString value;
            switch (cell.kind) {
            case WorkbookCell::Number: value = NumberCellText(cell.number); break;
            case WorkbookCell::Date: value = DateCellText(cell.number); break;
            case WorkbookCell::Boolean: value = cell.number != 0 ? QStringLiteral("1") : QStringLiteral("0"); break;
            case WorkbookCell::Text:
                value = cell.text;
                value.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
                value.replace(u'\r', u'\n');
                value.remove(QStringLiteral("_x000D_"));
                value.remove(u'\t');
                break;
            case WorkbookCell::Empty: break;
            }
            out += value;
            out += c + 1 < sheet.columns ? QStringLiteral("\t") : QStringLiteral("\r\n");
        }
    }
    text += out;
    return true;
}

bool IsWorkbookFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix();
    return suffix.compare(u"xls", Qt::CaseInsensitive) == 0 || suffix.compare(u"xlsx", Qt::CaseInsensitive) == 0;
}

bool ReadImportFile(const QString& path, QString& text, QString* error)
{
    return IsWorkbookFile(path) ? ReadExcelSheetText(path, text, error) : ReadTableTextFile(path, text, error);
}

}  // namespace tableimport

// ---------------------------------------------------------------- variables

bool TableImports::ImportVariablesTable(const QString& path, QString text, bool broadcast, bool codes,
                                        qint32 parentCode)
{
    if (!m_doc.GetEngine())
        return false;
    TopicDatabase& db = m_doc.GetDatabase();
    const qint32 topic = codes ? TopicId::Codes : TopicId::Documents;
    const QString base = codes && parentCode ? mergesteps::CodePathOf(db, parentCode) : QString();
    ImportScope scope(m_doc, TableImportText::ReadingTable);
    if (text.isEmpty()) {
        QString error;
        if (!tableimport::ReadTableTextFile(path, text, &error)) {
            scope.HideWait();
            ShowMessage(QStringLiteral("%1  %2\n%3").arg(LoadString(TableImportText::NotImported), path, error),
                        MessageKind::Warning);
            return false;
        }
    }
    const Table table = ParseTable(text);

    int groupColumn = -1;
    int nameColumn = -1;
    QList<ImportColumn> records;
    for (int c = 0; c < table.header.size(); ++c) {
        const QString name = VariableName(table.header.at(c));
        if (name.isEmpty())
            continue;
        switch (KeyOfHeader(db, name, codes)) {
        case HeaderKind::Group: groupColumn = c; continue;
        case HeaderKind::Document:
        case HeaderKind::Code: nameColumn = c; continue;
        case HeaderKind::None: break;
        }
        ImportColumn record;
        record.name = name;
        record.column = c;
        FieldDescriptor field;
        if (db.FindFieldByName(topic, name, field)) {
            if (!field.HasState(FieldState::UserVariable))
                continue;   // another built-in field is not written from a table
            record.assignment = field.ID;
        } else {
            record.assignment = -1;
        }
        records.append(record);
    }
    QList<int> missing;
    if (!codes && groupColumn < 0)
        missing.append(ExportText::GroupHeader);
    if (nameColumn < 0)
        missing.append(codes ? TableImportText::CodeHeader : ExportText::DocumentHeader);
    if (!missing.isEmpty()) {
        scope.HideWait();
        ShowMissingKeys(missing);
        return false;
    }
    if (records.isEmpty())
        return true;   // only key columns: nothing to write
    FillSamples(table, records);
    scope.HideWait();
    if (!m_chooser.ChooseColumns(db, topic, records))
        return false;
    scope.ShowWait(TableImportText::Progress);

    const DocumentIndex index(db);
    QList<qint32> changed;
    bool added = false;
    QString reason;
    {
        scope.Hold();
        StoreTransaction transaction(&db);
        bool ok = transaction.IsActive();
        if (ok) {
            const int before = db.CountUserFields(topic);
            AddNewVariables(m_doc, topic, records);
            added = db.CountUserFields(topic) != before;
        }
        const auto fields = ImportedFields(db, topic, records);
        int done = 0;
        for (const QStringList& cells : table.rows) {
            if (!ok)
                break;
            qint32 key = 0;
            if (codes) {
                const QString name = cells.value(nameColumn).left(kKeyUnits);
                if (!name.isEmpty())
                    key = m_doc.AddCodeByPath(0, base.isEmpty() ? name : base + u'\\' + name, false);
            } else {
                key = index.Find(cells.value(groupColumn), cells.value(nameColumn));
            }
            RowBuffer row;
            if (!key || !db.ReadRow(topic, key, row, false))
                continue;   // a row of no object here is left out
            for (const auto& [column, field] : fields)
                ok = ok && SetCellValue(row, field, cells.value(column));
            ok = ok && row.Commit(false, true);
            if (ok)
                changed.append(key);
            if (++done % 200 == 0)
                SetWaitText(LoadString(TableImportText::Progress).arg(done));
        }
        if (!ok || !transaction.Commit()) {
            transaction.Rollback();
            scope.Undo();
            scope.HideWait();
            ShowImportFailed(m_doc, reason);
            return false;
        }
    }
    if (added) {
        scope.Announce();
    } else {
        scope.Release();
        if (broadcast && !changed.isEmpty())
            m_doc.NotifyListChanged(topic, changed);
    }
    return true;
}

// ---------------------------------------------------------------- coded segments

bool TableImports::ImportCodedSegmentsTable(QString text, bool emptyNoCoding, bool broadcast)
{
    Q_UNUSED(broadcast);   // the windows start afresh after every segment import
    if (!m_doc.GetEngine())
        return false;
    TopicDatabase& db = m_doc.GetDatabase();
    const Table table = ParseTable(text);
    int groupColumn = -1;
    int nameColumn = -1;
    for (int c = 0; c < table.header.size(); ++c) {
        const HeaderKind kind = KeyOfHeader(db, table.header.at(c), false);
        if (kind == HeaderKind::Group && groupColumn < 0)
            groupColumn = c;
        else if (kind == HeaderKind::Document && nameColumn < 0)
            nameColumn = c;
    }
    QList<int> missing;
    if (groupColumn < 0)
        missing.append(ExportText::GroupHeader);
    if (nameColumn < 0)
        missing.append(ExportText::DocumentHeader);
    if (!missing.isEmpty()) {
        ShowMissingKeys(missing);
        return false;
    }

    struct CodeColumn {
        int column;
        QString path;
        qint32 code = 0;
    };
    QList<CodeColumn> codeColumns;
    QList<ImportColumn> records;
    for (int c = 0; c < table.header.size(); ++c) {
        const QString name = table.header.at(c).trimmed();
        if (name.isEmpty() || c == groupColumn || c == nameColumn)
            continue;
        if (name.startsWith(u'$')) {
            ImportColumn record;
            record.name = VariableName(name.mid(1));
            if (record.name.isEmpty())
                continue;
            record.column = c;
            FieldDescriptor field;
            if (db.FindFieldByName(TopicId::Documents, record.name, field)) {
                if (!field.HasState(FieldState::UserVariable))
                    continue;
                record.assignment = field.ID;
            } else {
                record.assignment = -FieldType::Boolean;
            }
            records.append(record);
            continue;
        }
        codeColumns.append({c, name});
    }
    if (!records.isEmpty()) {
        FillSamples(table, records);
        // Cancel keeps the variables out; the segments still come in.
        if (!m_chooser.ChooseColumns(db, TopicId::Documents, records))
            records.clear();
    }

    // Documents whose text would be replaced while codings, memos or links
    // point into it: asked once for the whole table.
    DocumentIndex index(db);
    QHash<qint32, Dependants> held;
    for (const QStringList& cells : table.rows) {
        const qint32 document = index.Find(cells.value(groupColumn), cells.value(nameColumn));
        if (document && !held.contains(document)) {
            Dependants dependants = DependantsOf(db, document);
            if (!dependants.IsEmpty())
                held.insert(document, dependants);
        }
    }
    bool replaceHeld = false;
    if (!held.isEmpty())
        replaceHeld = AskUser(LoadString(TableImportText::ReplaceQuestion).arg(held.size()), MessageButtons::YesNo,
                              MessageKind::Question, MessageAnswer::No) == MessageAnswer::Yes;

    ImportScope scope(m_doc, TableImportText::SegmentsWaiting);
    const QString progress = LoadString(TableImportText::SegmentsProgress);
    const qint32 weight = g_qdaOptions.GetInt(QdaOption::DefaultWeight);
    std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    int documents = 0;
    int codings = 0;
    QStringList notImported;
    QSet<int> skippedRows;
    QString reason;
    {
        scope.Hold();
        StoreTransaction transaction(&db);
        bool ok = transaction.IsActive() && edit;
        if (ok)
            AddNewVariables(m_doc, TopicId::Documents, records);
        for (CodeColumn& column : codeColumns) {
            if (!ok)
                break;
            column.code = m_doc.AddCodeByPath(0, column.path, true);
        }
        qint32 action = 0;
        for (int r = 0; r < table.rows.size() && ok; ++r) {
            const QStringList& cells = table.rows.at(r);
            const QString group = cells.value(groupColumn).left(kKeyUnits);
            const QString name = cells.value(nameColumn).left(kKeyUnits);
            qint32 document = name.isEmpty() ? 0 : index.Find(group, name);
            RowBuffer row;
            if (document) {
                const auto dependants = held.constFind(document);
                if (dependants != held.cend()) {
                    if (!replaceHeld) {
                        notImported.append(ListedRow(group, name));
                        skippedRows.insert(r);
                        continue;
                    }
                    ok = DeleteDependants(m_doc, dependants.value());
                    held.erase(dependants);
                }
                ok = ok && db.ReadRow(TopicId::Documents, document, row, false);
            } else if (!name.isEmpty() && m_doc.FindOrCreateDocument(group, name, row, true)) {
                document = row.GetKey();
                index.Add(group, name, document);
            } else {
                notImported.append(ListedRow(group, name));
                skippedRows.insert(r);
                continue;
            }
            if (!ok)
                break;
            // The text: each code column's cell and a paragraph end.
            QStringList segments;
            QString plain;
            for (const CodeColumn& column : std::as_const(codeColumns)) {
                QString cell = cells.value(column.column);
                if (cell.isEmpty())
                    cell = QString(kBlankCell, u' ');
                // A segment is one paragraph of the text.
                cell.replace(u'\n', u' ');
                cell.replace(u'\r', u' ');
                segments.append(cell);
                plain += cell + u'\r';
            }
            const QByteArray rtf = RtfOfPlainText(*edit, plain);
            const qint32 length = edit->GetTextLength();
            ok = SetInt(row, DocumentField::DocType, DocumentKind::RichText) && SetBlob(row, DocumentField::Text, rtf) &&
                 SetInt(row, DocumentField::Size, length) && row.Commit(true, false);
            const ParagraphMap map = GetParagraphRanges(*edit);
            qint32 offset = 0;
            for (qsizetype i = 0; i < codeColumns.size() && ok; ++i) {
                const qint32 start = offset;
                const qint32 end = offset + qint32(segments.at(i).size());
                offset = end + 1;
                const bool empty = cells.value(codeColumns.at(i).column).isEmpty();
                if (!codeColumns.at(i).code || (emptyNoCoding && empty))
                    continue;
                CodingRecord record;
                record.TextID = document;
                record.WordID = codeColumns.at(i).code;
                record.StartChar = start;
                record.FinishChar = end;
                record.StartPara = ParagraphOfPosition(start, true, map);
                record.FinishPara = ParagraphOfPosition(end, false, map);
                record.Weight = weight;
                record.Preview = GetRichEditTextRange(edit.get(), start, end, kPreviewUnits);
                edit->SetSel(start, end);
                edit->StreamOutRtf(&record.Text, true, true);
                record.Area = end - start;
                record.Coverage = length > 0 ? (end - start) * 100.0 / length : 0.0;
                bool written = false;
                m_doc.AddCoding(record, action, OverlapMode::Drop, &written, false);
                ok = written;
                if (written)
                    ++codings;
            }
            ++documents;
            if (documents % 50 == 0)
                SetWaitText(progress.arg(documents));
        }
        // The variables of the documents read.
        const auto fields = ImportedFields(db, TopicId::Documents, records);
        if (ok && !fields.isEmpty()) {
            SetWaitText(LoadString(TableImportText::VariablesWaiting));
            for (int r = 0; r < table.rows.size() && ok; ++r) {
                if (skippedRows.contains(r))
                    continue;
                const QStringList& cells = table.rows.at(r);
                const qint32 document = index.Find(cells.value(groupColumn), cells.value(nameColumn));
                RowBuffer row;
                if (!document || !db.ReadRow(TopicId::Documents, document, row, false))
                    continue;
                for (const auto& [column, field] : fields)
                    ok = ok && SetCellValue(row, field, cells.value(column));
                ok = ok && row.Commit(false, true);
            }
        }
        if (!ok || !transaction.Commit()) {
            transaction.Rollback();
            scope.Undo();
            scope.HideWait();
            ShowImportFailed(m_doc, reason);
            return false;
        }
    }
    edit.reset();
    scope.Announce();
    if (codings > 0)
        m_doc.RunRetrieval(m_doc.GetRetrievalSettings(), 0);
    scope.HideWait();
    int variableColumns = 0;
    for (const ImportColumn& record : std::as_const(records))
        variableColumns += record.import && record.assignment > 0 ? 1 : 0;
    QString summary = QStringLiteral("%1: %2\n%3: %4\n%5: %6\n\n")
                          .arg(LoadString(TableImportText::SummaryDocuments))
                          .arg(documents)
                          .arg(LoadString(TableImportText::SummaryCodes))
                          .arg(codeColumns.size())
                          .arg(LoadString(TableImportText::SummaryVariables))
                          .arg(variableColumns);
    if (!notImported.isEmpty())
        summary += LoadString(TableImportText::SummaryNotImported) + QStringLiteral(":\n") + notImported.join(u'\n');
    ShowMessage(summary, MessageKind::Information);
    return true;
}

// ---------------------------------------------------------------- code lists

QString TableImports::ImportCodeListText(QString& text, bool* ok)
{
    if (ok)
        *ok = false;
    qsizetype end = text.indexOf(u'\n');
    if (end < 0)
        return LoadString(TableImportText::NoCodeColumns);
    const QString headerLine = text.left(end).remove(u'\r');
    text.remove(0, end + 1);
    const QStringList header = SplitCells(headerLine);
    int codeColumn = -1;
    int memoColumn = -1;
    for (int c = 0; c < header.size(); ++c) {
        if (header.at(c).compare(u"Code", Qt::CaseInsensitive) == 0)
            codeColumn = c;
        else if (header.at(c).compare(u"Memo", Qt::CaseInsensitive) == 0)
            memoColumn = c;
    }
    if (codeColumn < 0 || memoColumn < 0 || !m_doc.GetEngine())
        return LoadString(TableImportText::NoCodeColumns);

    TopicDatabase& db = m_doc.GetDatabase();
    ImportScope scope(m_doc, TableImportText::ReadingTable);
    std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    const qint32 codesBefore = db.GetRowCount(TopicId::Codes);
    int rows = 0;
    int memos = 0;
    int skipped = 0;
    {
        scope.Hold();
        StoreTransaction transaction(&db);
        bool written = transaction.IsActive() && edit;
        for (const QString& line : SplitLines(text)) {
            if (!written)
                break;
            if (line.trimmed().isEmpty())
                continue;
            const QStringList cells = SplitCells(line).mid(0, header.size());
            const QString path = cells.value(codeColumn);
            if (path.isEmpty())
                continue;
            ++rows;
            const qint32 code = m_doc.AddCodeByPath(0, path, true);
            if (!code) {
                ++skipped;
                continue;
            }
            QString memo = cells.value(memoColumn);
            memo.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            memo = memo.trimmed();
            if (memo.startsWith(u'"'))
                memo[0] = u' ';
            if (memo.endsWith(u'"'))
                memo[memo.size() - 1] = u' ';
            memo = memo.trimmed();
            if (memo.isEmpty())
                continue;
            bool created = false;
            memo.replace(u'\n', u'\r');
            if (!m_doc.GetCodeMemo(code, created, true, RtfOfPlainText(*edit, memo)))
                written = false;
            memos += created ? 1 : 0;
        }
        if (!written || !transaction.Commit()) {
            transaction.Rollback();
            scope.Undo();
            return LoadString(TableImportText::Failed).arg(FailureReason(m_doc, QString()));
        }
    }
    scope.Announce();
    if (ok)
        *ok = true;
    return LoadString(TableImportText::CodeListReport)
        .arg(rows)
        .arg(db.GetRowCount(TopicId::Codes) - codesBefore)
        .arg(memos)
        .arg(skipped);
}
