// The merge steps by object kind and the row copies behind them.

#include "exchange/mergesteps.h"

#include "document/documentids.h"
#include "document/kordoc.h"
#include "document/listnotifyinfo.h"
#include "document/rowfields.h"
#include "foundation/stringstore.h"
#include "store/compressedblob.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "store/topictable.h"

#include <cstring>
#include <utility>

using namespace rowfields;

namespace {

namespace ProtocolText {
constexpr int Code = 1040;
constexpr int Variables = 663;
constexpr int Memos = 664;
}  // namespace ProtocolText

// Every blob of the source is read and decoded before the first write.
struct BlobField {
    qint32 topic;
    qint32 field;
};
constexpr BlobField kBlobFields[] = {
    {TopicId::Documents, DocumentField::Text}, {TopicId::Codings, CodingField::Text},
    {TopicId::Memos, MemoField::Text},         {TopicId::Memos, MemoField::Codewords},
    {TopicId::Links, LinkField::Text},
};

}  // namespace

namespace mergesteps {

const QList<qint32> kDocumentFields = {
    DocumentField::State,         DocumentField::Type,          DocumentField::Text,
    DocumentField::Date,          DocumentField::Codes,         DocumentField::Name,
    DocumentField::Author,        DocumentField::Size,          DocumentField::DocType,
    DocumentField::MediaFile,     DocumentField::ScaleFactor,   DocumentField::CodesWndWidth,
    DocumentField::CodesWndWidth + 1, DocumentField::CodesWndWidth + 2, DocumentField::CodesWndWidth + 3,
    DocumentField::CodesWndWidth + 4, DocumentField::CodesWndWidth + 5, DocumentField::CodesWndWidth + 6,
    DocumentField::CodesWndWidth + 7, DocumentField::CodesWndWidth + 8,
};
const QList<qint32> kMemoFields = {
    MemoField::GroupID, MemoField::Paragraph, MemoField::SetID,     MemoField::Type,
    MemoField::Pos,     MemoField::Title,     MemoField::Author,    MemoField::Date,
    MemoField::Text,    MemoField::Codewords, MemoField::Preview,   MemoField::Page,
    MemoField::Source,
};
const QList<qint32> kLinkFields = {
    LinkField::StartChar, LinkField::FinishChar, LinkField::LinkID, LinkField::Text,
    LinkField::PosX1,     LinkField::PosX2,      LinkField::Page,   LinkField::IsText,
};

QByteArray ReadBlob(TopicDatabase& db, qint32 topic, qint32 key, qint32 fieldId)
{
    // The one field only, when the store has it in its own form.
    QByteArray stored;
    QByteArray decoded;
    if (db.ReadStoredBlob(topic, key, fieldId, stored) && (stored.isEmpty() || DecodeStoredBlob(stored, decoded)))
        return decoded;
    RowBuffer row;
    FieldValue value;
    if (!db.ReadRow(topic, key, row, true) || !row.GetFieldValue(fieldId, value) || !value.GetBlob())
        return {};
    return *value.GetBlob();
}

QString CodePathOf(const TopicDatabase& db, qint32 code)
{
    QStringList names;
    // A damaged tree with a cycle ends at the depth no real tree reaches.
    for (int depth = 0; code > 0 && depth < 1000; ++depth) {
        names.prepend(TextOfKey(db, TopicId::Codes, code, CodeField::Name));
        code = db.GetIntValue(TopicId::Codes, code, CodeField::Parent);
    }
    return names.join(QLatin1Char('\\'));
}

bool CheckBlobs(TopicDatabase& db, QString& reason)
{
    for (const BlobField& blob : kBlobFields) {
        QList<qint32> keys;
        db.GetAllKeys(blob.topic, keys);
        for (const qint32 key : std::as_const(keys)) {
            QByteArray stored;
            QByteArray value;
            QString why;
            if (!db.ReadStoredBlob(blob.topic, key, blob.field, stored))
                why = QStringLiteral("unreadable");
            else if (!stored.isEmpty() && !DecompressBlob(stored, value, &why) && why.isEmpty())
                why = QStringLiteral("damaged");
            if (!why.isEmpty()) {
                const TopicTable* table = db.GetTable(blob.topic);
                reason = QStringLiteral("%1 %2: %3").arg(table ? table->GetSource() : QString::number(blob.topic))
                             .arg(key)
                             .arg(why);
                return false;
            }
        }
    }
    return true;
}

}  // namespace mergesteps

using namespace mergesteps;

MergeSteps::MergeSteps(CKorDoc& doc, TopicDatabase& source, TopicDatabase& target, QString* protocol)
    : m_doc(doc), m_source(source), m_target(target), m_protocol(protocol)
{
    m_codeChildren = ChildrenBy(TopicId::Codes, CodeField::Parent);
    m_documentCodings = ChildrenBy(TopicId::Codings, CodingField::Document);
    m_documentMemos = ChildrenBy(TopicId::Memos, MemoField::Document);
    m_documentLinks = ChildrenBy(TopicId::Links, LinkField::Document);
    for (const qint32 memo : Keys(TopicId::Memos))
        if (m_source.GetIntValue(TopicId::Memos, memo, MemoField::Code) != 0)
            m_codeMemos.append(memo);
}

// ---- Steps -------------------------------------------------------------------

bool MergeSteps::MergeCodes(qint32 sourceParent, qint32 targetParent, const QString& prefix)
{
    for (const qint32 code : m_codeChildren.value(sourceParent)) {
        const QString name = TextOfKey(m_source, TopicId::Codes, code, CodeField::Name);
        if (name.trimmed().isEmpty())
            continue;  // no path leads to it: neither it nor its subcodes are taken
        const QString path = prefix.isEmpty() ? name : prefix + QLatin1Char('\\') + name;
        const qint32 target = MapCodeByPath(code, targetParent, name, path);
        if (!target || !MergeCodes(code, target, path))
            return false;
    }
    return true;
}

qint32 MergeSteps::MapCodeByPath(qint32 sourceCode, qint32 targetParent, const QString& name, const QString& path)
{
    const QString pathKey = path.toLower();
    qint32 target = m_codePaths.value(pathKey);
    if (!target) {
        // Below a parent not taken, the parents are made by the whole path.
        target = targetParent ? m_doc.AddCodeByPath(targetParent, name, true, &m_target, 0, m_protocol)
                              : m_doc.AddCodeByPath(0, path, true, &m_target, 0, m_protocol);
        if (!target) {
            Fail(QStringLiteral("code %1").arg(path));
            return 0;
        }
        m_codePaths.insert(pathKey, target);
    }
    m_codes.insert(sourceCode, target);
    // The colour is taken once per code and run: a colour the store keeps
    // as 0 would otherwise be written again for every document.
    if (m_coloured.contains(target))
        return target;
    m_coloured.insert(target);
    const qint32 color = m_source.GetIntValue(TopicId::Codes, sourceCode, CodeField::Type);
    if (color != 0 && m_target.GetIntValue(TopicId::Codes, target, CodeField::Type) == 0 &&
        !UpdateRow(TopicId::Codes, target, [&](RowBuffer& row) { return SetInt(row, CodeField::Type, color); }))
        return 0;
    return target;
}

bool MergeSteps::MergeMemoCodes(qint32 sourceDocument)
{
    for (const qint32 memo : m_documentMemos.value(sourceDocument)) {
        const QByteArray codes = ReadBlob(m_source, TopicId::Memos, memo, MemoField::Codewords);
        for (qsizetype at = 0; at + qsizetype(sizeof(qint32)) <= codes.size(); at += sizeof(qint32)) {
            qint32 code;
            std::memcpy(&code, codes.constData() + at, sizeof code);
            if (code <= 0 || m_codes.contains(code) || !HasKey(m_source, TopicId::Codes, code))
                continue;
            const QString path = CodePathOf(m_source, code);
            if (!path.trimmed().isEmpty() && !MapCodeByPath(code, 0, path, path))
                return false;
        }
    }
    return true;
}

bool MergeSteps::MergeCodeMemos(bool replace)
{
    for (const qint32 memo : std::as_const(m_codeMemos)) {
        const qint32 targetCode = m_codes.value(m_source.GetIntValue(TopicId::Memos, memo, MemoField::Code));
        if (!targetCode)
            continue;
        qint32 existing = m_target.GetIntValue(TopicId::Codes, targetCode, CodeField::MemoID);
        if (existing && !HasKey(m_target, TopicId::Memos, existing))
            existing = 0;
        if (existing && !replace)
            continue;
        RowBuffer row;
        if (existing ? !m_target.ReadRow(TopicId::Memos, existing, row, false)
                     : !m_target.AddRow(TopicId::Memos, row, -1))
            return Fail(QStringLiteral("memo of code %1").arg(targetCode));
        const qint32 key = row.GetKey();
        if (!CopyFields(TopicId::Memos, memo, kMemoFields, row) || !SetInt(row, MemoField::Code, targetCode) ||
            !RemapCodewords(row) || !Commit(row, TopicId::Memos))
            return false;
        m_memos.insert(memo, key);
        if (!existing &&
            !UpdateRow(TopicId::Codes, targetCode, [&](RowBuffer& code) { return SetInt(code, CodeField::MemoID, key); }))
            return false;
        Log(QStringLiteral("\t%1 (%2: %3)\r\n")
                .arg(TextOfKey(m_source, TopicId::Memos, memo, MemoField::Title), LoadString(ProtocolText::Code),
                     CodePathOf(m_target, targetCode)));
    }
    return true;
}

bool MergeSteps::MergeDocumentVariables()
{
    QList<qint32> ids;
    m_source.GetUserFieldIds(TopicId::Documents, ids);
    for (const qint32 id : std::as_const(ids)) {
        FieldDescriptor variable;
        if (!m_source.GetFieldDescriptor(TopicId::Documents, id, variable) ||
            !variable.HasState(FieldState::UserVariable))
            continue;
        const auto sameKind = [&](const FieldDescriptor& field) {
            return field.Type == variable.Type && field.HasState(FieldState::UserVariable);
        };
        FieldDescriptor found;
        QString name = variable.Name;
        qint32 mapped = 0;
        for (int n = 1; m_target.FindFieldByName(TopicId::Documents, name, found); ++n) {
            if (sameKind(found)) {
                mapped = found.ID;
                break;
            }
            name = QStringLiteral("%1 (%2)").arg(variable.Name).arg(n);
        }
        if (!mapped) {
            AddFieldNotifyInfo info;
            info.topic = TopicId::Documents;
            info.field.Name = name;
            info.field.Type = variable.Type;
            info.field.State = variable.State;
            info.field.DefaultValue = variable.DefaultValue;
            info.field.Categorial = variable.Categorial;
            if (&m_target == &m_doc.GetDatabase()) {
                // A column of its own: the source's column name may be taken here.
                m_doc.HandleAddField(info);
            } else {
                info.result = m_target.AddField(TopicId::Documents, info.field);
            }
            if (!info.result)
                return Fail(QStringLiteral("variable %1").arg(name));
            mapped = info.field.ID;
            Log(QStringLiteral("\t%1\r\n").arg(name));
        }
        m_variables.insert(id, mapped);
    }
    return true;
}

bool MergeSteps::CopyDocumentVariableValues(RowBuffer& sourceRow, RowBuffer& targetRow)
{
    const TopicTable* from = m_source.GetTable(TopicId::Documents);
    const TopicTable* to = m_target.GetTable(TopicId::Documents);
    Log(QStringLiteral("\t%1:\r\n").arg(LoadString(ProtocolText::Variables)));
    for (auto it = m_variables.cbegin(); it != m_variables.cend(); ++it) {
        const FieldDescriptor* source = from->Fields().GetById(it.key());
        const FieldDescriptor* target = to->Fields().GetById(it.value());
        if (source && target && source->Size == target->Size && source->Size > 0) {
            std::memcpy(targetRow.RowData() + target->Offset, sourceRow.RowData() + source->Offset,
                        size_t(source->Size));
            Log(QStringLiteral("\t\t%1\r\n").arg(target->Name));
        }
    }
    return true;
}

qint32 MergeSteps::CopyDocument(qint32 sourceDocument, qint32 targetGroup)
{
    RowBuffer sourceRow;
    if (!m_source.ReadRow(TopicId::Documents, sourceDocument, sourceRow, false)) {
        Fail(QStringLiteral("document %1").arg(sourceDocument));
        return 0;
    }
    QString* protocol = std::exchange(m_protocol, nullptr);
    const qint32 target = CopyRow(TopicId::Documents, sourceDocument, kDocumentFields, [&](RowBuffer& row) {
        const qint32 state = IntOf(row, DocumentField::State) & ~(ObjectState::ShownInBrowser | ObjectState::Activated);
        return SetInt(row, DocumentField::State, state) && SetInt(row, DocumentField::GroupID, targetGroup) &&
               CopyDocumentVariableValues(sourceRow, row);
    });
    m_protocol = protocol;
    return target;
}

bool MergeSteps::MergeDocumentMemos(qint32 sourceDocument, qint32 targetDocument, bool skipDuplicates)
{
    Log(QStringLiteral("\t%1:\r\n").arg(LoadString(ProtocolText::Memos)));
    for (const qint32 memo : m_documentMemos.value(sourceDocument)) {
        const qint32 position = m_source.GetIntValue(TopicId::Memos, memo, MemoField::Pos);
        const QString title = TextOfKey(m_source, TopicId::Memos, memo, MemoField::Title);
        if (skipDuplicates &&
            !m_doc.IsNewDocumentMemo(targetDocument, m_source.GetIntValue(TopicId::Memos, memo, MemoField::Page),
                                     position, title, &m_target))
            continue;
        const qint32 key = CopyMemo(memo, [&](RowBuffer& row) {
            return SetInt(row, MemoField::Document, targetDocument) && SetInt(row, MemoField::GroupID, 0);
        });
        if (!key)
            return false;
        Log(QStringLiteral("\t\t%1:\r\n").arg(title));
        // The document's own memo, unless the document has one already:
        // that one stays its memo and the new one stays attached to it.
        if (position != kObjectMemoPosition)
            continue;
        const qint32 own = m_target.GetIntValue(TopicId::Documents, targetDocument, DocumentField::MemoID);
        if ((!own || !HasKey(m_target, TopicId::Memos, own)) &&
            !UpdateRow(TopicId::Documents, targetDocument,
                       [&](RowBuffer& row) { return SetInt(row, DocumentField::MemoID, key); }))
            return false;
    }
    return true;
}

bool MergeSteps::MergeDocumentCodings(qint32 sourceDocument, qint32 targetDocument, qint32 targetGroup)
{
    const QList<qint32> fields = CodingFields();
    for (const qint32 coding : m_documentCodings.value(sourceDocument)) {
        const qint32 code = m_codes.value(m_source.GetIntValue(TopicId::Codings, coding, CodingField::Code));
        if (!code)
            continue;
        const qint32 key = CopyRow(TopicId::Codings, coding, fields, [&](RowBuffer& row) {
            return SetInt(row, CodingField::Document, targetDocument) && SetInt(row, CodingField::Code, code) &&
                   SetInt(row, CodingField::Group, targetGroup);
        });
        if (!key)
            return false;
        m_codings.insert(coding, key);
    }
    return true;
}

QList<qint32> MergeSteps::CodingFields() const
{
    const TopicTable* table = m_source.GetTable(TopicId::Codings);
    QList<qint32> fields;
    for (int i = 0; i < table->Fields().Count(); ++i) {
        const FieldDescriptor* field = table->Fields().GetAt(i);
        if (field->ID != 0 && field->HasState(FieldState::BuiltIn))
            fields.append(field->ID);
    }
    return fields;
}

// ---- Row copies ----------------------------------------------------------------

qint32 MergeSteps::CopyRow(qint32 topic, qint32 key, const QList<qint32>& fields,
                           const std::function<bool(RowBuffer&)>& adjust)
{
    RowBuffer row;
    if (!m_target.AddRow(topic, row, -1)) {
        Fail(QStringLiteral("new row of %1").arg(topic));
        return 0;
    }
    const qint32 target = row.GetKey();
    if (!CopyFields(topic, key, fields, row) || !adjust(row) || !Commit(row, topic))
        return 0;
    return target;
}

qint32 MergeSteps::CopyMemo(qint32 memo, const std::function<bool(RowBuffer&)>& adjust)
{
    const qint32 key = CopyRow(TopicId::Memos, memo, kMemoFields,
                               [&](RowBuffer& row) { return RemapCodewords(row) && adjust(row); });
    if (key)
        m_memos.insert(memo, key);
    return key;
}

bool MergeSteps::CopyFields(qint32 topic, qint32 key, const QList<qint32>& fields, RowBuffer& row)
{
    RowBuffer source;
    if (!m_source.ReadRow(topic, key, source, false))
        return Fail(QStringLiteral("row %1 of %2").arg(key).arg(topic));
    const TopicTable* from = m_source.GetTable(topic);
    const TopicTable* to = m_target.GetTable(topic);
    for (const qint32 id : fields) {
        const FieldDescriptor* f = from->Fields().GetById(id);
        const FieldDescriptor* t = to->Fields().GetById(id);
        if (!f || !t || f->Type != t->Type || f->Size != t->Size || f->HasState(FieldState::NotStored))
            continue;
        if (f->Type == FieldType::Blob) {
            if (!CopyBlob(topic, key, id, row))
                return false;
        } else if (f->Size > 0) {
            std::memcpy(row.RowData() + t->Offset, source.RowData() + f->Offset, size_t(f->Size));
        }
    }
    return true;
}

bool MergeSteps::CopyBlob(qint32 topic, qint32 key, qint32 fieldId, RowBuffer& row)
{
    // The blob moves in the form the source stores it: decoded once for the
    // row, never compressed again. External content keeps its reference.
    FieldValue target;
    if (!row.GetFieldValue(fieldId, target))
        return Fail(QStringLiteral("blob of %1").arg(topic));
    QByteArray stored;
    QByteArray value;
    if (m_source.ReadStoredBlob(topic, key, fieldId, stored)) {
        if (stored.isEmpty())
            return target.SetBlob({}) || Fail(QStringLiteral("blob of %1").arg(topic));
        if (DecodeStoredBlob(stored, value))
            return target.SetBlobWithStoredForm(value, stored) || Fail(QStringLiteral("blob of %1").arg(topic));
    }
    RowBuffer source;
    FieldValue read;
    if (!m_source.ReadRow(topic, key, source, true) || !source.GetFieldValue(fieldId, read) || !read.GetBlob())
        return Fail(QStringLiteral("blob of row %1 of %2").arg(key).arg(topic));
    if (const QByteArray* reference = read.GetExternalReference())
        return target.SetExternalContent(*read.GetBlob(), *reference) || Fail(QStringLiteral("blob"));
    return target.SetBlob(*read.GetBlob()) || Fail(QStringLiteral("blob"));
}

bool MergeSteps::RemapCodewords(RowBuffer& row)
{
    FieldValue value;
    if (!row.GetFieldValue(MemoField::Codewords, value) || !value.GetBlob() || value.GetBlob()->isEmpty())
        return true;
    QByteArray codes = *value.GetBlob();
    bool changed = false;
    for (qsizetype at = 0; at + qsizetype(sizeof(qint32)) <= codes.size(); at += sizeof(qint32)) {
        qint32 code;
        std::memcpy(&code, codes.constData() + at, sizeof code);
        const qint32 mapped = m_codes.value(code);
        if (mapped != code) {
            std::memcpy(codes.data() + at, &mapped, sizeof mapped);
            changed = true;
        }
    }
    return !changed || value.SetBlob(codes);
}

bool MergeSteps::UpdateRow(qint32 topic, qint32 key, const std::function<bool(RowBuffer&)>& change)
{
    RowBuffer row;
    if (!m_target.ReadRow(topic, key, row, false) || !change(row))
        return Fail(QStringLiteral("row %1 of %2").arg(key).arg(topic));
    return Commit(row, topic);
}

bool MergeSteps::Commit(RowBuffer& row, qint32 topic)
{
    const qint32 key = row.GetKey();
    return row.Commit(true, true) || Fail(QStringLiteral("row %1 of %2").arg(key).arg(topic));
}

// ---- Indexes -----------------------------------------------------------------

QList<qint32> MergeSteps::Keys(qint32 topic) const
{
    QList<qint32> keys;
    m_source.GetAllKeys(topic, keys);
    return keys;
}

bool MergeSteps::HasKey(const TopicDatabase& db, qint32 topic, qint32 key)
{
    const TopicTable* table = db.GetTable(topic);
    return table && table->HasKey(key);
}

QHash<qint32, QList<qint32>> MergeSteps::ChildrenBy(qint32 topic, qint32 field) const
{
    QHash<qint32, QList<qint32>> children;
    for (const qint32 key : Keys(topic))
        children[m_source.GetIntValue(topic, key, field)].append(key);
    return children;
}

bool MergeSteps::Fail(const QString& what)
{
    if (m_reason.isEmpty())
        m_reason = what;
    return false;
}
