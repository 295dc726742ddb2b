// The quote matrix and the crosstab counts: codes against groups of
// documents that conditions on document variables make. Codings are
// bucketed by document and code in one pass over the codings, never
// intersected per cell.

#include "document/analysistable.h"

#include "document/kordoc.h"

#include "document/rowfields.h"
#include "foundation/colorhelpers.h"
#include "foundation/messageservice.h"
#include "foundation/programpaths.h"
#include "foundation/richtexthelpers.h"
#include "foundation/stringstore.h"
#include "platform/rtf/richeditctrlex.h"
#include "platform/rtf/rtfreader.h"
#include "store/fielddescriptor.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topictable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <cctype>
#include <optional>

using namespace rowfields;

namespace {

namespace Text {
constexpr int TemplateMissing = 208004;   ///< "%1" the template
constexpr int NoFreeName = 208005;        ///< "%1" the folder
constexpr int NoTable = 208006;
}  // namespace Text

constexpr int kMaxMatrixConditions = 4;
constexpr int kMaxOutputNumber = 99;
constexpr COLORREF kSourceBackground = MakeColor(232, 232, 0);

/// The documents (store order) that meet each condition, activated ones
/// only when asked. A condition on a field the documents lack is met.
QList<QList<qint32>> DocumentsMeeting(TopicDatabase& db, const QList<ActivationCondition>& conditions,
                                      bool onlyActivated)
{
    QList<QList<qint32>> meeting(conditions.size());
    const TopicTable* table = db.GetTable(TopicId::Documents);
    if (!table)
        return meeting;
    QList<std::optional<FieldDescriptor>> fields;
    for (const ActivationCondition& condition : conditions) {
        FieldDescriptor field;
        fields.append(db.GetFieldDescriptor(TopicId::Documents, condition.fieldId, field) ? std::optional(field)
                                                                                         : std::nullopt);
    }
    FieldDescriptor state;
    const bool hasState = db.GetFieldDescriptor(TopicId::Documents, DocumentField::State, state);
    table->ForEachRow([&](qint32 key, const char* row) {
        if (onlyActivated && hasState
            && !(FieldValue(state, const_cast<char*>(row) + state.Offset).GetInt() & ObjectState::Activated))
            return;
        for (qsizetype i = 0; i < conditions.size(); ++i) {
            const bool met = !fields.at(i)
                             || MeetsActivationCondition(
                                 FieldValue(*fields.at(i), const_cast<char*>(row) + fields.at(i)->Offset),
                                 conditions.at(i));
            if (met)
                meeting[i].append(key);
        }
    });
    return meeting;
}

/// The codings of the listed codes by document and code, in store order.
QHash<qint64, QList<qint32>> CodingsByDocumentAndCode(TopicDatabase& db, const QList<qint32>& codes)
{
    QSet<qint32> wanted(codes.cbegin(), codes.cend());
    wanted.remove(0);
    QHash<qint64, QList<qint32>> buckets;
    const TopicTable* table = db.GetTable(TopicId::Codings);
    FieldDescriptor document;
    FieldDescriptor code;
    if (!table || !db.GetFieldDescriptor(TopicId::Codings, CodingField::Document, document)
        || !db.GetFieldDescriptor(TopicId::Codings, CodingField::Code, code))
        return buckets;
    table->ForEachRow([&](qint32 key, const char* row) {
        const qint32 c = IntAt(row, code.Offset);
        if (wanted.contains(c))
            buckets[qint64(IntAt(row, document.Offset)) << 32 | quint32(c)].append(key);
    });
    return buckets;
}

qint64 BucketKey(qint32 document, qint32 code)
{
    return qint64(document) << 32 | quint32(code);
}

/// The RTF of the template with exactly `rows` data rows: its first data
/// row is repeated or the rows after it dropped. Rows are the "\trowd" to
/// "\row" runs; a template without a data row comes back as it is.
QByteArray TemplateWithRows(const QByteArray& rtf, qsizetype rows)
{
    QList<qsizetype> starts;
    for (qsizetype at = rtf.indexOf("\\trowd"); at >= 0; at = rtf.indexOf("\\trowd", at + 6))
        starts.append(at);
    if (starts.size() < 2)
        return rtf;
    // The end of the last row: after its "\row" control word.
    qsizetype end = -1;
    for (qsizetype at = rtf.indexOf("\\row", starts.back()); at >= 0; at = rtf.indexOf("\\row", at + 4)) {
        const qsizetype after = at + 4;
        if (after >= rtf.size() || !std::isalpha(static_cast<unsigned char>(rtf.at(after)))) {
            end = after;
            break;
        }
    }
    if (end < 0)
        return rtf;
    const qsizetype dataEnd = starts.size() > 2 ? starts.at(2) : end;
    const QByteArray data = rtf.mid(starts.at(1), dataEnd - starts.at(1));
    QByteArray result = rtf.left(starts.at(1));
    for (qsizetype i = 0; i < rows; ++i)
        result += data;
    // A data row copied from the middle has no delimiter after its "\row".
    if (starts.size() > 2 && !result.endsWith(' '))
        result += ' ';
    result += rtf.mid(end);
    return result;
}

/// Whether a word processor holds the file: LibreOffice leaves
/// ".~lock.<name>#" beside a file it has open.
bool HeldByWordProcessor(const QString& path)
{
    const QFileInfo info(path);
    return QFileInfo::exists(info.dir().filePath(QStringLiteral(".~lock.%1#").arg(info.fileName())));
}

}  // namespace

QString AnalysisTable::FormatConditionLabel(const ActivationCondition& condition)
{
    if (condition.comparison == -1)
        return condition.fieldName.isEmpty() ? condition.value : condition.fieldName;
    static const char* const operators[] = {"=", "<>", "<", ">"};
    const QString symbol = condition.comparison >= 0 && condition.comparison < 4
                               ? QString::fromLatin1(operators[condition.comparison])
                               : QStringLiteral("?");
    return QStringLiteral("%1 %2 %3").arg(condition.fieldName, symbol, condition.value);
}

void AnalysisTable::CollectAnalysisTableCodings(CKorDoc& doc, const QList<ActivationCondition>& conditions,
                                                const QList<qint32>& codes, QList<qint32>& codingCounts,
                                                QList<qint32>& documentCounts, bool onlyActivated)
{
    const qsizetype columns = conditions.size() + 1;
    const qsizetype rows = codes.size() + 1;
    codingCounts = QList<qint32>(rows * columns, 0);
    documentCounts = QList<qint32>(rows * columns, 0);
    TopicDatabase& db = doc.GetDatabase();
    // Per document, how many codings each listed code has there.
    QHash<qint32, QList<qint32>> rowsOfCode;
    for (qsizetype r = 0; r < codes.size(); ++r)
        rowsOfCode[codes.at(r)].append(qint32(r));
    QHash<qint32, QList<std::pair<qint32, qint32>>> perDocument;   // document -> (code, count)
    const QHash<qint64, QList<qint32>> buckets = CodingsByDocumentAndCode(db, codes);
    for (auto it = buckets.cbegin(); it != buckets.cend(); ++it)
        perDocument[qint32(it.key() >> 32)].append({qint32(it.key() & 0xFFFFFFFF), qint32(it.value().size())});

    const QList<QList<qint32>> meeting = DocumentsMeeting(db, conditions, onlyActivated);
    for (qsizetype c = 0; c < conditions.size(); ++c)
        for (const qint32 document : meeting.at(c))
            for (const auto& [code, count] : perDocument.value(document))
                for (const qint32 r : rowsOfCode.value(code)) {
                    codingCounts[r * columns + c] += count;
                    documentCounts[r * columns + c] += 1;
                }
    for (qsizetype r = 0; r < rows - 1; ++r)
        for (qsizetype c = 0; c < columns - 1; ++c) {
            codingCounts[r * columns + columns - 1] += codingCounts.at(r * columns + c);
            documentCounts[r * columns + columns - 1] += documentCounts.at(r * columns + c);
            codingCounts[(rows - 1) * columns + c] += codingCounts.at(r * columns + c);
            documentCounts[(rows - 1) * columns + c] += documentCounts.at(r * columns + c);
        }
    for (qsizetype c = 0; c < columns - 1; ++c) {
        codingCounts[rows * columns - 1] += codingCounts.at((rows - 1) * columns + c);
        documentCounts[rows * columns - 1] += documentCounts.at((rows - 1) * columns + c);
    }
}

bool AnalysisTable::ExportQuoteMatrix(CKorDoc& doc, const QList<ActivationCondition>& allConditions,
                                      const QList<qint32>& codes, bool onlyActivated, QString* written)
{
    if (written)
        written->clear();
    const QList<ActivationCondition> conditions = allConditions.mid(0, kMaxMatrixConditions);
    if (conditions.isEmpty())
        return false;
    const QString templatePath = QDir(g_program.ProgramFolder)
                                     .filePath(QStringLiteral("TemplateQm%1.tab").arg(conditions.size()));
    QFile templateFile(templatePath);
    if (!templateFile.open(QIODevice::ReadOnly)) {
        ShowMessage(LoadString(Text::TemplateMissing).arg(templatePath, templateFile.errorString()),
                    MessageKind::Error);
        return false;
    }
    const QByteArray rtf = TemplateWithRows(templateFile.readAll(), codes.size());
    templateFile.close();

    TopicDatabase& db = doc.GetDatabase();
    std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    if (!edit)
        return false;
    edit->StreamInRtf(&rtf, false);
    // The places the steps reach in the template (one position after a cell,
    // four after a row, from the first condition cell) are its table's cells
    // by row and column. They are filled through the table itself, so that
    // no insertion recounts the positions of the whole text.
    QTextTable* table = nullptr;
    for (QTextFrame* frame : edit->GetDocument()->rootFrame()->childFrames())
        if ((table = qobject_cast<QTextTable*>(frame)))
            break;
    if (!table || table->rows() < codes.size() + 1 || table->columns() < conditions.size() + 1) {
        ShowMessage(LoadString(Text::TemplateMissing).arg(templatePath, LoadString(Text::NoTable)),
                    MessageKind::Error);
        return false;
    }
    const auto cellEnd = [table](int row, int column) { return table->cellAt(row, column).lastCursorPosition(); };
    for (qsizetype c = 0; c < conditions.size(); ++c)
        cellEnd(0, int(c) + 1).insertText(FormatConditionLabel(conditions.at(c)));

    const QList<QList<qint32>> meeting = DocumentsMeeting(db, conditions, onlyActivated);
    const QHash<qint64, QList<qint32>> buckets = CodingsByDocumentAndCode(db, codes);
    QHash<qint32, QString> names;
    for (qsizetype r = 0; r < codes.size(); ++r) {
        const qint32 code = codes.at(r);
        cellEnd(int(r) + 1, 0).insertText(db.FormatRowDisplay(TopicId::Codes, code, false));
        for (qsizetype c = 0; c < conditions.size(); ++c) {
            QTextCursor cursor = cellEnd(int(r) + 1, int(c) + 1);
            for (const qint32 document : meeting.at(c)) {
                const auto bucket = buckets.constFind(BucketKey(document, code));
                if (bucket == buckets.cend())
                    continue;
                for (const qint32 coding : *bucket) {
                    RowBuffer row;
                    FieldValue content;
                    if (!db.ReadRow(TopicId::Codings, coding, row, true) || !row.GetFieldValue(CodingField::Text, content)
                        || !content.GetBlob() || content.GetBlob()->isEmpty())
                        continue;
                    if (rtf::IsRtf(*content.GetBlob()))
                        rtf::InsertRtf(*content.GetBlob(), cursor);
                    else
                        cursor.insertText(QString::fromUtf8(*content.GetBlob()));
                    auto name = names.constFind(document);
                    if (name == names.cend())
                        name = names.insert(document, TextOfKey(db, TopicId::Documents, document, DocumentField::Name));
                    const qint32 first = IntOf(row, CodingField::StartPara);
                    const qint32 last = IntOf(row, CodingField::FinishPara);
                    const QString source = first == last ? QStringLiteral("%1, %2").arg(*name).arg(first)
                                                         : QStringLiteral("%1, %2-%3").arg(*name).arg(first).arg(last);
                    cursor.insertBlock();
                    const QTextCharFormat plain = cursor.charFormat();
                    QTextCharFormat highlight = plain;
                    highlight.setBackground(QColor(RedOf(kSourceBackground), GreenOf(kSourceBackground),
                                                   BlueOf(kSourceBackground)));
                    cursor.insertText(source, highlight);
                    cursor.setCharFormat(plain);
                    cursor.insertBlock();
                    cursor.insertBlock();
                }
            }
        }
    }
    QByteArray out;
    edit->StreamOutRtf(&out, false, true);
    edit.reset();

    const QString folder = g_program.SettingsFolder.isEmpty() ? QDir::tempPath() : g_program.SettingsFolder;
    for (int number = 1; number <= kMaxOutputNumber; ++number) {
        const QString path = QDir(folder).filePath(QStringLiteral("QuoteMatrix%1.rtf").arg(number, 2, 10, QChar(u'0')));
        if (HeldByWordProcessor(path))
            continue;
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly) && file.write(out) == out.size() && file.commit()) {
            if (written)
                *written = path;
            return true;
        }
    }
    ShowMessage(LoadString(Text::NoFreeName).arg(folder), MessageKind::Error);
    return false;
}
