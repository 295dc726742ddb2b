// Small questions the frame, the panes and the document's own operations
// ask of the project, the variable lists that the variable windows show,
// and a few whole-project services (statistics, the activated codes'
// names, previews of coded segments).

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/documentids.h"
#include "foundation/filehelpers.h"
#include "foundation/programpaths.h"
#include "foundation/richtexthelpers.h"
#include "foundation/stringstore.h"
#include "platform/profile/privateprofile.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/fieldvalue.h"
#include "store/projectdataengine.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace {

/// The kind of a field in the variable lists.
qint32 VariableKindOf(const FieldDescriptor& field)
{
    if (field.HasState(FieldState::FromCode))
        return field.HasState(FieldState::FromFrequencies) ? VariableKind::FromFrequencies : VariableKind::FromCode;
    return field.HasState(FieldState::UserVariable) ? VariableKind::User : VariableKind::BuiltIn;
}

int VariableKindText(qint32 kind)
{
    switch (kind) {
    case VariableKind::BuiltIn:
        return DocumentText::VariableBuiltIn;
    case VariableKind::FromCode:
        return DocumentText::VariableFromCode;
    case VariableKind::FromFrequencies:
        return DocumentText::VariableFromFrequencies;
    default:
        return DocumentText::VariableUser;
    }
}

/// Appends each trimmed text once, comparing without regard to case; the
/// first spelling stays.
void AppendOnce(QStringList& list, QSet<QString>& seen, const QString& text, bool lowerCase)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return;
    const QString folded = trimmed.toCaseFolded();
    if (seen.contains(folded))
        return;
    seen.insert(folded);
    list.append(lowerCase ? trimmed.toLower() : trimmed);
}

}  // namespace

// ---- Variable lists -------------------------------------------------------

QString CKorDoc::VariableTypeName(qint32 type)
{
    // Long texts show the name of short texts: both are "text" to the user.
    switch (type) {
    case FieldType::Integer:
    case FieldType::Real:
    case FieldType::DateTime:
    case FieldType::Boolean:
        return FieldTypeName(type);
    default:
        return FieldTypeName(FieldType::ShortText);
    }
}

bool CKorDoc::WriteVariableListRow(qint32 list, const FieldDescriptor& field, qint32 kind, bool shown)
{
    RowBuffer row;
    if (!d->m_db.AddRow(list, row, field.ID))
        return false;
    const auto set = [&row](qint32 id, const auto& apply) {
        FieldValue value;
        if (row.GetFieldValue(id, value))
            apply(value);
    };
    set(VariableListField::Kind, [&](FieldValue& v) { v.SetInt(kind); });
    set(VariableListField::Name, [&](FieldValue& v) { v.SetText(field.Name); });
    set(VariableListField::TypeName, [&](FieldValue& v) { v.SetText(VariableTypeName(field.Type)); });
    set(VariableListField::Shown, [&](FieldValue& v) { v.SetInt(shown ? 1 : 0); });
    set(VariableListField::KindText, [&](FieldValue& v) { v.SetText(LoadString(VariableKindText(kind))); });
    set(VariableListField::DefaultValue, [&](FieldValue& v) { v.SetText(field.DefaultValue); });
    set(VariableListField::Categorial, [&](FieldValue& v) { v.SetInt(field.Categorial ? 1 : 0); });
    set(VariableListField::VarType, [&](FieldValue& v) { v.SetInt(field.Type); });
    return row.Commit(false, true);
}

bool CKorDoc::AddVariableListRow(qint32 list, const FieldDescriptor& field)
{
    const qint32 kind = field.HasState(FieldState::UserVariable) ? VariableKind::User : VariableKind::BuiltIn;
    return WriteVariableListRow(list, field, kind, true);
}

bool CKorDoc::BuildVariableList(bool codes)
{
    const qint32 topic = codes ? TopicId::Codes : TopicId::Documents;
    const qint32 list = codes ? TopicId::CodeVariables : TopicId::DocumentVariables;
    TopicTable* table = d->m_db.GetTable(list);
    if (!table)
        return false;
    table->ClearRows();
    QList<qint32> ids;
    d->m_db.GetFieldIds(topic, ids, true);
    const PrivateProfile profile(g_program.ProfilePath);
    const QString section = QStringLiteral("dlgObjList%1").arg(topic);
    bool allWritten = true;
    for (const qint32 id : std::as_const(ids)) {
        FieldDescriptor field;
        if (!d->m_db.GetFieldDescriptor(topic, id, field) || field.HasState(FieldState::Pinned))
            continue;
        // The list window keeps "shown,width,position,format" per field.
        const QString stored = profile.GetString(section, QStringLiteral("Field%1").arg(id));
        const bool shown = stored.isEmpty() || ReadLeadingInt(stored) != 0;
        allWritten = WriteVariableListRow(list, field, VariableKindOf(field), shown) && allWritten;
    }
    return allWritten;
}

qint32 CKorDoc::GetCodeVariableField(const QString& name)
{
    const TopicTable* table = d->m_db.GetTable(TopicId::Documents);
    if (!table)
        return 0;
    for (int i = 0; i < table->Fields().Count(); ++i) {
        const FieldDescriptor* field = table->Fields().GetAt(i);
        if (field->ID != 0 && field->HasState(FieldState::FromFrequencies)
            && field->Name.compare(name, Qt::CaseInsensitive) == 0)
            return field->ID;
    }
    FieldDescriptor field;
    field.Name = CutToUnits(name, FieldDescriptor::kNameUnits);
    field.Type = FieldType::Integer;
    field.State = FieldState::UserVariable | FieldState::ValueTable | FieldState::FromCode
        | FieldState::FromFrequencies;
    return d->m_db.AddField(TopicId::Documents, field) ? field.ID : 0;
}

bool CKorDoc::SetCodeAlias(qint32 code, const QString& alias)
{
    if (!d->m_engine)
        return false;
    if (alias == d->m_db.FormatRowDisplay(TopicId::Codes, code, false)) {
        DeleteCodeAlias(code);
        return false;
    }
    return d->m_engine->SetSetupValue(QLatin1String(SetupKey::CodeAliasPrefix) + QString::number(code), alias);
}

// ---- Activation and relations ---------------------------------------------

bool CKorDoc::HasRow(qint32 topic, qint32 key) const
{
    const TopicTable* table = d->m_db.GetTable(topic);
    return table && table->RowOfKey(key);
}

bool CKorDoc::IsActivated(qint32 kind, qint32 id) const
{
    switch (kind) {
    case TopicId::Documents:
        return HasRow(kind, id) && (d->m_db.GetIntValue(kind, id, DocumentField::State) & ObjectState::Activated);
    case TopicId::Codes:
        return HasRow(kind, id) && (d->m_db.GetIntValue(kind, id, CodeField::State) & ObjectState::Activated);
    case TopicId::DocumentSetMembers:
        return HasRow(kind, id)
            && IsActivated(TopicId::Documents, d->m_db.GetIntValue(kind, id, SetMemberField::ObjectID));
    case TopicId::CodeSetMembers:
        return HasRow(kind, id) && IsActivated(TopicId::Codes, d->m_db.GetIntValue(kind, id, SetMemberField::ObjectID));
    case TopicId::Codings:
        return IsCodingActivated(id);
    default:
        return false;
    }
}

bool CKorDoc::IsCodingActivated(qint32 coding) const
{
    if (!HasRow(TopicId::Codings, coding))
        return false;
    const qint32 document = d->m_db.GetIntValue(TopicId::Codings, coding, CodingField::Document);
    return IsActivated(TopicId::Documents, document) &&
           IsCodeRetrieved(d->m_db.GetIntValue(TopicId::Codings, coding, CodingField::Code));
}

qint32 CKorDoc::CountActivatedRelated(qint32 topic, qint32 parentTopic, qint32 parentKey) const
{
    QList<qint32> keys;
    d->m_db.FindKeysByParent(topic, parentTopic, parentKey, keys);
    return qint32(std::count_if(keys.cbegin(), keys.cend(), [&](qint32 key) { return IsActivated(topic, key); }));
}

bool CKorDoc::IsCodeDescendant(qint32 ancestor, qint32 code) const
{
    return IsAncestorOf(TopicId::Codes, CodeField::Parent, ancestor, code);
}

bool CKorDoc::IsAncestorOf(qint32 topic, qint32 parentField, qint32 ancestor, qint32 key) const
{
    // A damaged file may hold a cycle of parents: each row is passed once.
    QSet<qint32> visited{key};
    qint32 current = key;
    while (HasRow(topic, current)) {
        const qint32 parent = d->m_db.GetIntValue(topic, current, parentField);
        if (parent == 0 || visited.contains(parent))
            return false;
        if (parent == ancestor)
            return true;
        visited.insert(parent);
        current = parent;
    }
    return false;
}

qint32 CKorDoc::GetMinLeafDepth(qint32 code, qint32 depth) const
{
    QSet<qint32> visited{code};
    return MinLeafDepth(code, depth, visited);
}

qint32 CKorDoc::MinLeafDepth(qint32 code, qint32 depth, QSet<qint32>& visited) const
{
    QList<qint32> children;
    GetChildCodes(code, children);
    children.removeIf([&visited](qint32 child) { return visited.contains(child); });
    if (children.isEmpty())
        return depth;
    qint32 minimum = 2000000000;
    for (const qint32 child : std::as_const(children)) {
        visited.insert(child);
        minimum = qMin(minimum, MinLeafDepth(child, depth + 1, visited));
    }
    return minimum;
}

void CKorDoc::ListCodeNames(QStringList& names) const
{
    QList<qint32> codes;
    d->m_db.GetAllKeys(TopicId::Codes, codes);
    QSet<QString> seen;
    for (const qint32 code : std::as_const(codes))
        AppendOnce(names, seen, FieldText(TopicId::Codes, code, CodeField::Name), true);
}

void CKorDoc::ListCodingAuthors(QStringList& authors) const
{
    QList<qint32> codings;
    d->m_db.GetAllKeys(TopicId::Codings, codings);
    QSet<QString> seen;
    for (const qint32 coding : std::as_const(codings))
        AppendOnce(authors, seen, FieldText(TopicId::Codings, coding, CodingField::Author), false);
}

QString CKorDoc::FieldText(qint32 topic, qint32 key, qint32 fieldId) const
{
    const TopicTable* table = d->m_db.GetTable(topic);
    const FieldDescriptor* field = table ? table->Fields().GetById(fieldId) : nullptr;
    const char* row = table ? table->RowOfKey(key) : nullptr;
    if (!field || !row)
        return {};
    return FieldValue(*field, const_cast<char*>(row) + field->Offset).GetText();
}

qint32 CKorDoc::GetSetMemberDocument(qint32 member) const
{
    return HasRow(TopicId::DocumentSetMembers, member)
        ? d->m_db.GetIntValue(TopicId::DocumentSetMembers, member, SetMemberField::ObjectID)
        : 0;
}

qint32 CKorDoc::GetDocumentType(qint32 document) const
{
    return HasRow(TopicId::Documents, document) ? d->m_db.GetIntValue(TopicId::Documents, document, DocumentField::DocType)
                                                : -1;
}

// ---- Project ----------------------------------------------------------------

QString CKorDoc::GetProjectFolder() const
{
    if (!d->m_engine)
        return {};
    const QString path = d->m_engine->GetFileName(true);
    const qsizetype slash = LastSeparator(path);
    return slash >= 0 ? path.left(slash + 1) : QString();
}

bool CKorDoc::WriteProjectStatistics(CRichEditCtrlEx& edit)
{
    if (!d->m_engine)
        return false;
    RichEditCharFormat format;
    format.mask = kCharMaskFace | kCharMaskSize;
    format.faceName = QStringLiteral("Arial");
    format.height = 300;
    edit.SetDefaultCharFormat(format);

    const auto count = [this](qint32 topic) { return d->m_db.GetRowCount(topic); };
    qint32 variables = 0;
    if (const TopicTable* documents = d->m_db.GetTable(TopicId::Documents)) {
        for (int i = 0; i < documents->Fields().Count(); ++i)
            variables += documents->Fields().GetAt(i)->HasState(FieldState::UserVariable) ? 1 : 0;
    }
    // Rows of code 0 are temporary results, not codings of the project.
    qint32 codings = 0;
    QList<qint32> keys;
    d->m_db.GetAllKeys(TopicId::Codings, keys);
    for (const qint32 key : std::as_const(keys))
        codings += d->m_db.GetIntValue(TopicId::Codings, key, CodingField::Code) != 0 ? 1 : 0;

    const std::pair<int, qint32> lines[] = {
        {DocumentText::StatisticsGroups, count(TopicId::DocumentGroups)},
        {DocumentText::StatisticsDocuments, count(TopicId::Documents)},
        {DocumentText::StatisticsVariables, variables},
        {DocumentText::StatisticsSets, count(TopicId::DocumentSets)},
        {DocumentText::StatisticsSetMembers, count(TopicId::DocumentSetMembers)},
        {DocumentText::StatisticsCodes, count(TopicId::Codes)},
        {DocumentText::StatisticsCodings, codings},
        {DocumentText::StatisticsMemos, count(TopicId::Memos)},
    };
    QString text = QStringLiteral("\r\r%1\r\r\r").arg(LoadString(DocumentText::StatisticsTitle));
    for (const auto& [label, value] : lines)
        text += LoadString(label) + QString::number(value) + QLatin1Char('\r');
    edit.SetSel(0, 0);
    edit.ReplaceSelText(text);

    // The title block (up to the empty line before the counts) is centred
    // and bold.
    int fifthLine = 0;
    for (int breaks = 0; fifthLine < text.size() && breaks < 4; ++fifthLine)
        breaks += text.at(fifthLine) == QLatin1Char('\r') ? 1 : 0;
    RichEditCharFormat bold;
    bold.mask = kCharMaskBold;
    bold.effects = kCharBold;
    edit.SetSel(0, fifthLine - 2);
    edit.SetSelCharFormat2(bold);
    QTextCursor cursor(edit.GetDocument());
    cursor.setPosition(edit.ToDocumentPosition(0));
    cursor.setPosition(edit.ToDocumentPosition(fifthLine - 2), QTextCursor::KeepAnchor);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cursor.mergeBlockFormat(centred);
    return true;
}

bool CKorDoc::ExportActivatedCodeNames(const QString& path)
{
    if (path.isEmpty())
        return false;
    QByteArray bytes("\xFF\xFE", 2);
    QList<qint32> codes;
    d->m_db.GetAllKeys(TopicId::Codes, codes);
    for (const qint32 code : std::as_const(codes)) {
        if (!(d->m_db.GetIntValue(TopicId::Codes, code, CodeField::State) & ObjectState::Activated))
            continue;
        const QString line = d->m_db.FormatRowDisplay(TopicId::Codes, code, true) + QStringLiteral("\r\n");
        for (const QChar c : line) {
            bytes.append(char(c.unicode() & 0xFF));
            bytes.append(char(c.unicode() >> 8));
        }
    }
    // Written whole or not at all; the reason goes to the user.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        ShowError(DocumentText::CannotWriteFile, path, file.errorString());
        return false;
    }
    return true;
}

qint32 CKorDoc::GetSegmentPreview(qint32 document, qint32 start, qint32 end, QString& text)
{
    text.clear();
    RowBuffer row;
    FieldValue docType;
    FieldValue content;
    if (!d->m_db.ReadRow(TopicId::Documents, document, row, true) || !row.GetFieldValue(DocumentField::DocType, docType))
        return 0;
    if (docType.GetInt() != DocumentKind::RichText)
        return 1;
    if (!row.GetFieldValue(DocumentField::Text, content) || !content.GetBlob())
        return 0;
    const std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    edit->StreamInRtf(content.GetBlob(), false);
    text = GetRichEditTextRange(edit.get(), start, end, 62);
    return ParagraphOfPosition(start, true, GetParagraphRanges(*edit));
}
