#include "store/topicdatabase.h"

#include "foundation/externalfiles.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"

namespace {

void ListChange(QList<ObjectRef>& changed, qint32 topic, qint32 key)
{
    if (!changed.contains(ObjectRef{topic, key}))
        changed.append({topic, key});
}

/// Adds delta to an integer field of the buffer's row.
void AddToField(RowBuffer& row, qint32 fieldId, qint32 delta)
{
    FieldValue value;
    if (row.GetFieldValue(fieldId, value))
        value.SetInt(value.GetInt() + delta);
}

qint32 IntOf(RowBuffer& row, qint32 fieldId)
{
    FieldValue value;
    return row.GetFieldValue(fieldId, value) ? value.GetInt() : 0;
}

}  // namespace

// Bookkeeping before a row goes, by topic: counters of the rows it is
// counted in, owners that point at it, partner rows, and the files of a
// document. Each changed row is committed at once, inside the deletion's
// transaction; a failed commit fails the deletion.
bool TopicDatabase::PrepareDelete(qint32 topic, qint32 key, QList<ObjectRef>& changed)
{
    RowBuffer row;
    switch (topic) {
    case TopicId::Documents: {
        if (!ReadRow(topic, key, row, true))
            return true;
        FieldValue value;
        if (row.GetFieldValue(DocumentField::Text, value)) {
            const QByteArray* reference = value.GetExternalReference();
            const QString name = StripExternPrefix(reference ? reference : value.GetBlob());
            if (!name.isEmpty())
                m_deletedDocumentFiles.append(name);
        }
        for (qint32 field : {DocumentField::MediaFile, DocumentField::ExtLink1, DocumentField::ExtLink2,
                             DocumentField::ExtLink3}) {
            if (row.GetFieldValue(field, value) && !value.GetText().isEmpty())
                m_deletedDocumentFiles.append(value.GetText());
        }
        return true;
    }
    case TopicId::DocumentSetMembers:
    case TopicId::CodeSetMembers: {
        if (!ReadRow(topic, key, row, false))
            return true;
        const bool documents = topic == TopicId::DocumentSetMembers;
        ListChange(changed, documents ? TopicId::DocumentSets : TopicId::CodeSets, IntOf(row, SetMemberField::SetID));
        ListChange(changed, documents ? TopicKind::DocumentSetsRoot : TopicKind::CodeSetsRoot, 0);
        return true;
    }
    case TopicId::Codings: {
        if (!ReadRow(topic, key, row, false))
            return true;
        const qint32 code = IntOf(row, CodingField::Code);
        const qint32 document = IntOf(row, CodingField::Document);
        row.Release();
        qint32 variable = 0;
        if (code != 0 && ReadRow(TopicId::Codes, code, row, false)) {
            AddToField(row, CodeField::Codes, -1);
            ListChange(changed, TopicId::Codes, code);
            variable = IntOf(row, CodeField::Variable);
            if (!row.Commit(false, false))
                return false;
        }
        // Codings of code 0 are temporary rows that no document counts.
        if (document == 0 || code == 0)
            return true;
        if (ReadRow(TopicId::Documents, document, row, false)) {
            AddToField(row, DocumentField::Codes, -1);
            ListChange(changed, TopicId::Documents, document);
            ListChange(changed, TopicId::DocumentGroups, IntOf(row, DocumentField::GroupID));
            FieldValue value;
            const bool counted = variable != 0 && row.GetFieldValue(variable, value) && value.SetInt(value.GetInt() - 1);
            if (!row.Commit(false, counted))
                return false;
        }
        QList<qint32> members;
        FindKeysByParent(TopicId::DocumentSetMembers, TopicId::Documents, document, members);
        for (qint32 member : std::as_const(members)) {
            ListChange(changed, TopicId::DocumentSetMembers, member);
            ListChange(changed, TopicId::DocumentSets,
                       GetIntValue(TopicId::DocumentSetMembers, member, SetMemberField::SetID));
        }
        ListChange(changed, TopicKind::DocumentsRoot, 0);
        if (!members.isEmpty())
            ListChange(changed, TopicKind::DocumentSetsRoot, 0);
        ListChange(changed, TopicKind::CodeSystemRoot, 0);
        return true;
    }
    case TopicId::Memos: {
        if (!ReadRow(topic, key, row, false))
            return true;
        const qint32 document = IntOf(row, MemoField::Document);
        const qint32 code = IntOf(row, MemoField::Code);
        const qint32 group = IntOf(row, MemoField::GroupID);
        const qint32 set = IntOf(row, MemoField::SetID);
        const bool wholeDocument = IntOf(row, MemoField::Pos) < 0;
        row.Release();
        if (document != 0) {
            if (!ReadRow(TopicId::Documents, document, row, false))
                return true;
            if (wholeDocument)
                AddToField(row, DocumentField::MemoID, -IntOf(row, DocumentField::MemoID));
            AddToField(row, DocumentField::Memos, -1);
            ListChange(changed, TopicId::Documents, document);
            return row.Commit(false, false);
        }
        // The owner that points at an object memo forgets it.
        const struct {
            qint32 topic;
            qint32 key;
            qint32 memoField;
        } owners[] = {{TopicId::Codes, code, CodeField::MemoID},
                      {TopicId::DocumentGroups, group, GroupField::MemoID},
                      {TopicId::DocumentSets, set, GroupField::MemoID}};
        for (const auto& owner : owners) {
            if (owner.key == 0 || !ReadRow(owner.topic, owner.key, row, false))
                continue;
            AddToField(row, owner.memoField, -IntOf(row, owner.memoField));
            if (owner.topic == TopicId::Codes)
                changed.append({owner.topic, owner.key});
            else
                ListChange(changed, owner.topic, owner.key);
            return row.Commit(false, false);
        }
        ListChange(changed, TopicKind::DocumentsRoot, 0);
        return true;
    }
    case TopicId::Links: {
        // Cut the pair first, so the cascade deletes the partner without
        // coming back to this link.
        if (!ReadRow(topic, key, row, false) || IntOf(row, LinkField::LinkID) == 0)
            return true;
        AddToField(row, LinkField::LinkID, -IntOf(row, LinkField::LinkID));
        return row.Commit(false, false);
    }
    default: return true;
    }
}
