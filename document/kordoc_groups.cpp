// Document groups, documents and document sets: creation with the next
// key, the file written before memory and announcements, the imports'
// lookup by group and document name, and set membership.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/documentids.h"
#include "document/rowfields.h"
#include "foundation/externalfiles.h"
#include "foundation/richtexthelpers.h"
#include "foundation/stringstore.h"
#include "foundation/tabledata.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/fielddescriptor.h"
#include "store/storeids.h"

using namespace rowfields;

namespace {

constexpr qsizetype kNameUnits = FieldDescriptor::kNameUnits;

/// A name as rows store it: trimmed, at most 63 units.
QString RowName(const QString& name)
{
    return CutToUnits(name.trimmed(), kNameUnits);
}

/// Names compared as the imports compare them: trimmed and without case.
bool SameName(const QString& a, const QString& b)
{
    return RowName(a).compare(RowName(b), Qt::CaseInsensitive) == 0;
}

/// A document's size in rich-edit positions: the text the hidden control
/// shows after loading the RTF.
qint32 MeasureRtf(const QByteArray& rtf)
{
    if (rtf.isEmpty())
        return 0;
    const std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    edit->StreamInRtf(&rtf, false);
    return edit->GetTextLength();
}

}  // namespace

QString CKorDoc::DefaultObjectName(int textId, qint32 key)
{
    return QStringLiteral("%1 %2").arg(LoadString(textId)).arg(key);
}

qint32 CKorDoc::CreateRow(qint32 topic, const std::function<bool(RowBuffer& row, qint32 key)>& fill, bool withBlobs)
{
    RowBuffer row;
    if (!d->m_db.AddRow(topic, row, -1))
        return 0;
    const qint32 key = row.GetKey();
    if (!fill(row, key)) {
        row.Release();
        d->m_db.RemoveRow(topic, key);  // never reached the file
        return 0;
    }
    // A failed first commit takes the added row out of memory again.
    return row.Commit(withBlobs, true) ? key : 0;
}

qint32 CKorDoc::AddDocumentGroupRow(const QString& name)
{
    return CreateRow(TopicId::DocumentGroups, [&](RowBuffer& row, qint32 key) {
        const QString rowName = RowName(name);
        return SetText(row, GroupField::Name,
                       rowName.isEmpty() ? DefaultObjectName(DocumentText::DefaultGroupName, key) : rowName) &&
               SetInt(row, GroupField::State, ObjectState::Expanded);
    });
}

bool CKorDoc::NewDocumentGroup()
{
    const qint32 group = AddDocumentGroupRow(QString());
    if (!group)
        return false;
    if (d->m_registry.NotifyAdded(TopicId::DocumentGroups, group, 0, TopicKind::DocumentsRoot, 0, true))
        d->m_registry.BeginEditLabel(TopicId::DocumentGroups, group);
    return true;
}

qint32 CKorDoc::NewDocumentGroupNamed(const QString& name)
{
    const qint32 group = AddDocumentGroupRow(name);
    if (group)
        d->m_registry.NotifyAdded(TopicId::DocumentGroups, group, 0, TopicKind::DocumentsRoot, 0, true);
    return group;
}

bool CKorDoc::IsValidGroup(qint32 group) const
{
    const TopicTable* groups = d->m_db.GetTable(TopicId::DocumentGroups);
    return group == 0 || (groups && groups->HasKey(group));
}

bool CKorDoc::FillNewDocument(RowBuffer& row, qint32 key, qint32 group, const QString& name, int defaultText,
                              const QString& mediaFile)
{
    const QString rowName = RowName(name);
    return SetText(row, DocumentField::Name, rowName.isEmpty() ? DefaultObjectName(defaultText, key) : rowName) &&
           SetInt(row, DocumentField::GroupID, group) && SetInt(row, DocumentField::State, 0) &&
           SetDate(row, DocumentField::Date, Now()) &&
           SetText(row, DocumentField::Author, d->m_db.GetUserName()) &&
           SetText(row, DocumentField::MediaFile, mediaFile.trimmed());
}

qint32 CKorDoc::NewDocument(qint32 group, const QString& name, const QByteArray& rtf, const QString& mediaFile)
{
    if (!IsValidGroup(group))
        return 0;
    const qint32 size = MeasureRtf(rtf);
    const qint32 document = CreateRow(
        TopicId::Documents,
        [&](RowBuffer& row, qint32 key) {
            return FillNewDocument(row, key, group, name, DocumentText::DefaultRichTextName, mediaFile) &&
                   SetInt(row, DocumentField::DocType, DocumentKind::RichText) &&
                   SetBlob(row, DocumentField::Text, rtf) && SetInt(row, DocumentField::Size, size);
        },
        true);
    if (document)
        d->m_registry.NotifyAdded(TopicId::Documents, document, 0, TopicId::DocumentGroups, group, true);
    return document;
}

qint32 CKorDoc::NewTableDocument(qint32 group, const QString& name, const QString& mediaFile, bool append,
                                 bool createTable, qint32 rows, qint32 columns)
{
    if (!IsValidGroup(group))
        return 0;
    QByteArray table;
    if (createTable) {
        CTableData data;
        if (!data.SetSize(rows, columns) || !data.SaveToBytes(table))
            return 0;
    }
    const qint32 document = CreateRow(
        TopicId::Documents,
        [&](RowBuffer& row, qint32 key) {
            return FillNewDocument(row, key, group, name, DocumentText::DefaultDocumentName, mediaFile) &&
                   (!createTable || (SetInt(row, DocumentField::DocType, DocumentKind::Table) &&
                                     SetBlob(row, DocumentField::Text, table)));
        },
        createTable);
    if (document)
        d->m_registry.NotifyAdded(TopicId::Documents, document, append ? -1 : 0, TopicId::DocumentGroups, group, true);
    return document;
}

qint32 CKorDoc::NewExternalDocument(qint32 group, const QString& name, const QByteArray& content, qint32 kind)
{
    if (!IsValidGroup(group))
        return 0;
    const bool reference = !StripExternPrefix(&content).isEmpty();
    const qint32 document = CreateRow(
        TopicId::Documents,
        [&](RowBuffer& row, qint32 key) {
            return FillNewDocument(row, key, group, name, DocumentText::DefaultRichTextName, QString()) &&
                   SetInt(row, DocumentField::DocType, kind) && SetBlob(row, DocumentField::Text, content) &&
                   (reference || SetInt(row, DocumentField::Size, qint32(qMin<qsizetype>(content.size(), INT32_MAX))));
        },
        true);
    if (document)
        d->m_registry.NotifyAdded(TopicId::Documents, document, 0, TopicId::DocumentGroups, group, true);
    return document;
}

bool CKorDoc::DuplicateDocument(qint32 source, qint32 targetKind, qint32 target)
{
    qint32 group = 0;
    qint32 after = 0;
    if (targetKind == TopicId::DocumentGroups) {
        if (!IsValidGroup(target))
            return false;
        group = target;
    } else if (targetKind == TopicId::Documents) {
        const TopicTable* documents = d->m_db.GetTable(TopicId::Documents);
        if (!documents || !documents->HasKey(target))
            return false;
        group = GetDocumentGroup(target);
        after = target;
    } else {
        return false;
    }
    RowBuffer original;
    if (!d->m_db.ReadRow(TopicId::Documents, source, original, false))
        return false;
    const QString name = TextOf(original, DocumentField::Name);
    original.Release();

    RowBuffer row;
    if (!d->m_db.DuplicateRow(TopicId::Documents, source, row))
        return false;
    const qint32 key = row.GetKey();
    const QString copyName = CutToUnits(QStringLiteral("%1 (%2)").arg(name).arg(key), kNameUnits);
    const bool filled = SetText(row, DocumentField::Name, copyName) &&
                        SetDate(row, DocumentField::Date, Now()) && SetInt(row, DocumentField::GroupID, group) &&
                        SetInt(row, DocumentField::State, 0) && SetInt(row, DocumentField::Codes, 0) &&
                        SetInt(row, DocumentField::Memos, 0) && SetInt(row, DocumentField::MemoID, 0);
    if (!filled) {
        row.Release();
        d->m_db.RemoveRow(TopicId::Documents, key);
        return false;
    }
    if (!row.Commit(true, true))
        return false;
    d->m_registry.NotifyAdded(TopicId::Documents, key, after, TopicId::DocumentGroups, group, true);
    return true;
}

bool CKorDoc::FindOrCreateDocument(const QString& groupName, const QString& documentName, RowBuffer& row, bool create)
{
    qint32 group = 0;
    if (!RowName(groupName).isEmpty()) {
        QList<qint32> groups;
        d->m_db.GetAllKeys(TopicId::DocumentGroups, groups);
        const auto found = std::find_if(groups.cbegin(), groups.cend(), [&](qint32 key) {
            return SameName(TextOfKey(d->m_db, TopicId::DocumentGroups, key, GroupField::Name), groupName);
        });
        if (found != groups.cend()) {
            group = *found;
        } else {
            if (!create)
                return false;
            group = AddDocumentGroupRow(groupName);
            if (!group)
                return false;
            d->m_registry.NotifyAdded(TopicId::DocumentGroups, group, 0, TopicKind::DocumentsRoot, 0, false);
        }
    }
    QList<qint32> documents;
    d->m_db.FindKeysByParent(TopicId::Documents, TopicId::DocumentGroups, group, documents);
    for (const qint32 document : std::as_const(documents)) {
        if (d->m_db.ReadRow(TopicId::Documents, document, row, false) &&
            SameName(TextOf(row, DocumentField::Name), documentName))
            return !create;
    }
    row.Release();
    if (!create)
        return false;
    const qint32 document = NewTableDocument(group, RowName(documentName), QString(), true, false, 0, 0);
    return document && d->m_db.ReadRow(TopicId::Documents, document, row, false);
}

bool CKorDoc::AddMemberRow(const SetTopics& topics, qint32 set, qint32 object, qint32& member)
{
    const TopicTable* sets = d->m_db.GetTable(topics.set);
    const TopicTable* objects = d->m_db.GetTable(topics.object);
    if (!sets || !objects || !sets->HasKey(set) || !objects->HasKey(object))
        return false;
    QList<qint32> members;
    d->m_db.FindKeysByParent(topics.member, topics.set, set, members);
    for (const qint32 existing : std::as_const(members)) {
        if (d->m_db.GetIntValue(topics.member, existing, SetMemberField::ObjectID) == object)
            return false;  // one membership per object
    }
    member = CreateRow(topics.member, [&](RowBuffer& row, qint32) {
        return SetInt(row, SetMemberField::SetID, set) && SetInt(row, SetMemberField::ObjectID, object);
    });
    return member != 0;
}

bool CKorDoc::AddSetMember(const SetTopics& topics, qint32 object, qint32 set, qint32 position)
{
    qint32 member = 0;
    if (!AddMemberRow(topics, set, object, member))
        return false;
    d->m_registry.NotifyAdded(topics.member, member, position, topics.set, set, true);
    NotifyChanged(topics.set, set);
    NotifyChanged(topics.root, 0);
    return true;
}

bool CKorDoc::NewSetOf(const SetTopics& topics, const QString& name, const QList<qint32>& objects)
{
    QList<qint32> members;
    qint32 set = 0;
    {
        // The set and its members stand or fall together.
        StoreTransaction transaction(&d->m_db);
        if (!transaction.IsActive())
            return false;
        set = CreateRow(topics.set, [&](RowBuffer& row, qint32 key) {
            const QString rowName = RowName(name);
            return SetText(row, GroupField::Name,
                           rowName.isEmpty() ? DefaultObjectName(DocumentText::DefaultSetName, key) : rowName) &&
                   SetInt(row, GroupField::State, ObjectState::Expanded);
        });
        if (!set)
            return false;
        for (const qint32 object : objects) {
            qint32 member = 0;
            if (!AddMemberRow(topics, set, object, member))
                return false;
            members.append(member);
        }
        if (!transaction.Commit())
            return false;
    }
    d->m_registry.NotifyAdded(topics.set, set, 0, topics.root, 0, true);
    d->m_registry.NotifyAddedMany(topics.member, QList<quint32>(members.cbegin(), members.cend()), topics.set, set);
    NotifyChanged(topics.set, set);
    NotifyChanged(topics.root, 0);
    return true;
}

const CKorDoc::SetTopics CKorDoc::kDocumentSetTopics{TopicId::DocumentSets, TopicId::DocumentSetMembers,
                                                     TopicId::Documents, TopicKind::DocumentSetsRoot};
const CKorDoc::SetTopics CKorDoc::kCodeSetTopics{TopicId::CodeSets, TopicId::CodeSetMembers, TopicId::Codes,
                                                 TopicKind::CodeSetsRoot};

QList<qint32> CKorDoc::ActivatedRows(qint32 topic, qint32 stateField) const
{
    QList<qint32> keys;
    const TopicTable* table = d->m_db.GetTable(topic);
    const FieldDescriptor* state = table ? table->Fields().GetById(stateField) : nullptr;
    if (!state)
        return keys;
    table->ForEachRow([&](qint32 key, const char* row) {
        if (IntAt(row, state->Offset) & ObjectState::Activated)
            keys.append(key);
    });
    return keys;
}

bool CKorDoc::NewDocumentSet(const QString& name)
{
    return NewSetOf(kDocumentSetTopics, name, ActivatedRows(TopicId::Documents, DocumentField::State));
}

bool CKorDoc::NewDocumentSetFromGroup(qint32 group)
{
    if (!IsValidGroup(group))
        return false;
    QList<qint32> documents;
    d->m_db.FindKeysByParent(TopicId::Documents, TopicId::DocumentGroups, group, documents);
    return NewSetOf(kDocumentSetTopics, QString(), documents);
}

bool CKorDoc::AddDocumentSetMember(qint32 document, qint32 set, qint32 position)
{
    return AddSetMember(kDocumentSetTopics, document, set, position);
}
