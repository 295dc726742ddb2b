// What the trees, lists and viewers show of an object (item queries) and
// what they hand back (renames, moves, expansion, a document's content and
// view state); colours, counts, special codes and the time marks of
// transcripts.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/colorhsl.h"
#include "document/documentids.h"
#include "document/listnotifyinfo.h"
#include "foundation/colorhelpers.h"
#include "foundation/filehelpers.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "platform/rtf/richeditctrlex.h"
#include "platform/rtf/rtfformat.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"

#include <QSet>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

/// Fields shared by groups, document sets and code sets.
namespace GroupItem {
constexpr qint32 Index = 1;
constexpr qint32 State = 2;
constexpr qint32 Name = 3;
}  // namespace GroupItem

constexpr qint32 kDocumentIndex = 1;
constexpr qint32 kCodeIndex = 1;
constexpr qint32 kMemberIndex = 1;
constexpr qint32 kMemoType = 6;

/// Image numbers of the trees.
namespace Image {
constexpr qint32 DocumentsRoot = 0;
constexpr qint32 SetsRoot = 1;
constexpr qint32 Group = 2;
constexpr qint32 Set = 3;
constexpr qint32 CodeSystemRoot = 12;
constexpr qint32 Code = 13;
constexpr qint32 ActivatedCode = 14;
constexpr qint32 CodeSet = 15;
constexpr qint32 CodeSetMember = 16;
constexpr qint32 ActivatedCodeSetMember = 17;
}  // namespace Image

/// Images of a document by kind, each as (open and active, open, active,
/// neither); documents in the tree and members of sets.
struct DocumentImages {
    qint32 pdf, picture, table, withMedia, plain;
};
constexpr DocumentImages kDocumentImages{25, 29, 46, 21, 7};
constexpr DocumentImages kMemberImages{37, 41, 50, 33, 11};

/// The views change only the expanded bit: activation and the shown-in-
/// browser bit belong to the document and may have changed meanwhile.
qint32 MergeViewState(qint32 stored, qint32 fromView)
{
    return (stored & ~ObjectState::Expanded) | (fromView & ObjectState::Expanded);
}

/// Sets an integer field of a buffered row; true when it changed.
bool SetInt(RowBuffer& row, qint32 fieldId, qint32 value)
{
    FieldValue field;
    if (!row.GetFieldValue(fieldId, field) || field.GetInt() == value)
        return false;
    field.SetInt(value);
    return true;
}

bool SetText(RowBuffer& row, qint32 fieldId, const QString& text)
{
    FieldValue field;
    if (!row.GetFieldValue(fieldId, field) || field.GetText() == text)
        return false;
    field.SetText(text);
    return true;
}

qint32 IntOf(RowBuffer& row, qint32 fieldId)
{
    FieldValue field;
    return row.GetFieldValue(fieldId, field) ? field.GetInt() : 0;
}

}  // namespace

// ---- Colours, special codes, counts ------------------------------------

quint32 CKorDoc::GetItemColor(qint32 kind, qint32 id) const
{
    qint32 field = 0;
    if (kind == TopicId::Documents)
        field = DocumentField::Type;
    else if (kind == TopicId::Codes)
        field = CodeField::Type;
    else if (kind == TopicId::Codings)
        field = CodingField::Type;
    else
        return 0;
    if (!HasRow(kind, id))
        return ColorOfType(0);
    return ColorOfType(d->m_db.GetIntValue(kind, id, field));
}

bool CKorDoc::IsSpecialCode(qint32 code) const
{
    return code != 0 && std::find(d->m_specialCodes.cbegin(), d->m_specialCodes.cend(), code) != d->m_specialCodes.cend();
}

qint32 CKorDoc::SumOf(qint32 topic, const QList<qint32>& keys, qint32 fieldId) const
{
    qint32 sum = 0;
    for (const qint32 key : keys)
        sum += HasRow(topic, key) ? d->m_db.GetIntValue(topic, key, fieldId) : 0;
    return sum;
}

qint32 CKorDoc::CountDocumentCodings(qint32 document) const
{
    return SumOf(TopicId::Documents, {document}, DocumentField::Codes);
}

qint32 CKorDoc::CountGroupCodings(qint32 group) const
{
    QList<qint32> documents;
    if (group == 0)
        d->m_db.GetAllKeys(TopicId::Documents, documents);
    else
        d->m_db.FindKeysByParent(TopicId::Documents, TopicId::DocumentGroups, group, documents);
    return SumOf(TopicId::Documents, documents, DocumentField::Codes);
}

qint32 CKorDoc::CountMemberCodings(qint32 memberTopic, qint32 setTopic, qint32 set, qint32 objectTopic,
                                  qint32 countField) const
{
    QList<qint32> members;
    if (set == 0)
        d->m_db.GetAllKeys(memberTopic, members);
    else
        d->m_db.FindKeysByParent(memberTopic, setTopic, set, members);
    QList<qint32> objects;
    for (const qint32 member : std::as_const(members))
        objects.append(d->m_db.GetIntValue(memberTopic, member, SetMemberField::ObjectID));
    return SumOf(objectTopic, objects, countField);
}

qint32 CKorDoc::CountSetCodings(qint32 set) const
{
    return CountMemberCodings(TopicId::DocumentSetMembers, TopicId::DocumentSets, set, TopicId::Documents,
                              DocumentField::Codes);
}

qint32 CKorDoc::CountAllSetCodings() const
{
    return CountSetCodings(0);
}

qint32 CKorDoc::CountCodeSetCodings(qint32 codeSet) const
{
    return CountMemberCodings(TopicId::CodeSetMembers, TopicId::CodeSets, codeSet, TopicId::Codes, CodeField::Codes);
}

qint32 CKorDoc::CountAllCodeSetCodings() const
{
    return CountCodeSetCodings(0);
}

qint32 CKorDoc::CountSubtreeCodings(qint32 code) const
{
    QList<qint32> codes{code};
    CollectSubcodes(code, codes);
    return SumOf(TopicId::Codes, codes, CodeField::Codes);
}

// ---- Item queries -------------------------------------------------------

qint32 CKorDoc::DocumentImage(qint32 document, bool member, bool showActivation, qint32& mediaKind) const
{
    const qint32 state = d->m_db.GetIntValue(TopicId::Documents, document, DocumentField::State);
    const qint32 docType = d->m_db.GetIntValue(TopicId::Documents, document, DocumentField::DocType);
    const bool open = state & ObjectState::ShownInBrowser;
    const bool active = showActivation && (state & ObjectState::Activated);
    const bool media = !FieldText(TopicId::Documents, document, DocumentField::MediaFile).trimmed().isEmpty();
    const DocumentImages& images = member ? kMemberImages : kDocumentImages;
    qint32 first = images.plain;
    switch (docType) {
    case DocumentKind::Pdf:
        first = images.pdf;
        mediaKind = 2;
        break;
    case DocumentKind::Picture:
        first = images.picture;
        mediaKind = 3;
        break;
    case DocumentKind::Table:
        first = images.table;
        mediaKind = 4;
        break;
    default:
        first = media ? images.withMedia : images.plain;
        mediaKind = media ? 1 : 0;
        break;
    }
    // Each kind's four images run down from open and active to neither.
    return first - (open && active ? 0 : open ? 1 : active ? 2 : 3);
}

void CKorDoc::AnswerRowTexts(ListNotifyInfo& info, qint32 topic, qint32 key) const
{
    if (info.mask & ListNotifyMask::Name)
        info.name = d->m_db.FormatRowDisplay(topic, key, false);
    if (info.mask & ListNotifyMask::FullName)
        info.name = d->m_db.FormatRowDisplay(topic, key, true);
    if (info.mask & ListNotifyMask::LongText)
        info.longText = d->m_db.FormatAnnotation(topic, key);
    if (info.mask & ListNotifyMask::SecondText)
        info.secondText = d->m_db.FormatRowDisplay(topic, key, false);
}

void CKorDoc::HandleItemQuery(ListNotifyInfo& info)
{
    info.handled = false;
    const quint32 mask = info.mask;
    const qint32 id = info.itemId;
    if (mask & (ListNotifyMask::Count | ListNotifyMask::CountSubcodes))
        info.count = 0;
    if (mask & ListNotifyMask::Memo)
        info.memoId = 0;
    if (mask & ListNotifyMask::ColourIndex)
        info.colourIndex = 0;
    const auto rootTexts = [&info](int textId) {
        if (info.mask & (ListNotifyMask::Name | ListNotifyMask::FullName))
            info.name = LoadString(textId);
        if (info.mask & ListNotifyMask::LongText)
            info.longText = LoadString(textId);
        if (info.mask & ListNotifyMask::SecondText)
            info.secondText = LoadString(textId);
    };
    const auto answer = [&](qint32 image, qint32 state, qint32 count, qint32 memo) {
        if (mask & ListNotifyMask::Image)
            info.image = image;
        if (mask & ListNotifyMask::State)
            info.state = state;
        if (mask & (ListNotifyMask::Count | ListNotifyMask::CountSubcodes))
            info.count = count;
        if (mask & ListNotifyMask::Memo)
            info.memoId = memo;
    };
    const bool plainCount = mask & ListNotifyMask::Count;

    switch (info.topic) {
    case TopicKind::DocumentsRoot:
        rootTexts(DocumentText::DocumentsRoot);
        answer(Image::DocumentsRoot, 1, plainCount ? CountGroupCodings(0) : 0, d->m_projectMemo);
        break;
    case TopicKind::DocumentSetsRoot:
        rootTexts(DocumentText::SetsRoot);
        answer(Image::SetsRoot, 1, plainCount ? CountAllSetCodings() : 0, 0);
        break;
    case TopicKind::CodeSystemRoot:
        rootTexts(DocumentText::CodeSystemRoot);
        answer(Image::CodeSystemRoot, 1, CountGroupCodings(0), 0);
        break;
    case TopicKind::CodeSetsRoot:
        rootTexts(DocumentText::SetsRoot);
        answer(Image::SetsRoot, 1, CountAllCodeSetCodings(), 0);
        break;
    case TopicId::DocumentGroups:
    case TopicId::DocumentSets:
    case TopicId::CodeSets: {
        if (!HasRow(info.topic, id))
            return;
        AnswerRowTexts(info, info.topic, id);
        const qint32 memo = d->m_db.GetIntValue(info.topic, id, GroupField::MemoID);
        const qint32 state = d->m_db.GetIntValue(info.topic, id, GroupItem::State);
        if (info.topic == TopicId::DocumentGroups)
            answer(Image::Group, state, plainCount ? CountGroupCodings(id) : 0, memo);
        else if (info.topic == TopicId::DocumentSets)
            answer(Image::Set, state, plainCount ? CountSetCodings(id) : 0, memo);
        else
            answer(Image::CodeSet, state, CountCodeSetCodings(id), memo);
        if (info.topic == TopicId::CodeSets && (mask & ListNotifyMask::Name))
            info.mayRename = true;
        break;
    }
    case TopicId::Documents:
    case TopicId::DocumentSetMembers: {
        const bool member = info.topic == TopicId::DocumentSetMembers;
        if (!HasRow(info.topic, id))
            return;
        const qint32 document = member ? GetSetMemberDocument(id) : id;
        if (!HasRow(TopicId::Documents, document))
            return;
        AnswerRowTexts(info, info.topic, id);
        qint32 mediaKind = 0;
        const qint32 image = DocumentImage(document, member, info.imageVariant, mediaKind);
        if (mask & ListNotifyMask::Image)
            info.documentKind = mediaKind;
        answer(image, d->m_db.GetIntValue(TopicId::Documents, document, DocumentField::State),
               plainCount ? CountDocumentCodings(document) : 0,
               d->m_db.GetIntValue(TopicId::Documents, document, DocumentField::MemoID));
        if (mask & ListNotifyMask::Colour)
            info.colour = GetItemColor(TopicId::Documents, document);
        if (!member && !AnswerDocumentDetails(info, document))
            return;
        break;
    }
    case TopicId::Codes: {
        if (!HasRow(TopicId::Codes, id))
            return;
        AnswerRowTexts(info, TopicId::Codes, id);
        const qint32 state = d->m_db.GetIntValue(TopicId::Codes, id, CodeField::State);
        const bool active = info.imageVariant && (state & ObjectState::Activated);
        qint32 count = d->m_db.GetIntValue(TopicId::Codes, id, CodeField::Codes);
        // A collapsed code shows what its whole subtree holds.
        if (!plainCount && (mask & ListNotifyMask::CountSubcodes) && !(state & ObjectState::Expanded))
            count = CountSubtreeCodings(id);
        answer(active ? Image::ActivatedCode : Image::Code, state, count,
               d->m_db.GetIntValue(TopicId::Codes, id, CodeField::MemoID));
        if (mask & ListNotifyMask::Name)
            info.mayRename = !IsSpecialCode(id);
        if (mask & ListNotifyMask::Colour)
            info.colour = GetItemColor(TopicId::Codes, id);
        if (mask & ListNotifyMask::ColourIndex)
            info.colourIndex = d->m_db.GetIntValue(TopicId::Codes, id, CodeField::Type);
        break;
    }
    case TopicId::CodeSetMembers: {
        if (!HasRow(TopicId::CodeSetMembers, id))
            return;
        const qint32 code = d->m_db.GetIntValue(TopicId::CodeSetMembers, id, SetMemberField::ObjectID);
        if (!HasRow(TopicId::Codes, code))
            return;
        AnswerRowTexts(info, TopicId::CodeSetMembers, id);
        const qint32 state = d->m_db.GetIntValue(TopicId::Codes, code, CodeField::State);
        const bool active = info.imageVariant && (state & ObjectState::Activated);
        answer(active ? Image::ActivatedCodeSetMember : Image::CodeSetMember, state,
               d->m_db.GetIntValue(TopicId::Codes, code, CodeField::Codes),
               d->m_db.GetIntValue(TopicId::Codes, code, CodeField::MemoID));
        if (mask & ListNotifyMask::Colour)
            info.colour = GetItemColor(TopicId::Codes, code);
        break;
    }
    case TopicId::Codings: {
        if (mask & (ListNotifyMask::Content | ListNotifyMask::Comment)) {
            RowBuffer row;
            if (!d->m_db.ReadRow(TopicId::Codings, id, row, mask & ListNotifyMask::Content))
                return;
            FieldValue value;
            if ((mask & ListNotifyMask::Content) && row.GetFieldValue(CodingField::Text, value))
                info.content = value.GetBlob() ? *value.GetBlob() : QByteArray();
            if ((mask & ListNotifyMask::Comment) && row.GetFieldValue(CodingField::Comment, value))
                info.comment = value.GetText();
        } else if (!HasRow(TopicId::Codings, id)) {
            return;
        }
        AnswerRowTexts(info, TopicId::Codings, id);
        if (info.longText.startsWith(QLatin1Char('\n')))
            info.longText.clear();
        break;
    }
    case TopicId::Memos:
        if (!HasRow(TopicId::Memos, id))
            return;
        AnswerRowTexts(info, TopicId::Memos, id);
        if (mask & ListNotifyMask::Image)
            info.image = d->m_db.GetIntValue(TopicId::Memos, id, kMemoType);
        break;
    case TopicKind::Paragraph:
        if ((mask & ListNotifyMask::LongText) && id != 0)
            info.longText = QStringLiteral("§ %1").arg(id);
        break;
    case TopicId::DictionaryCategories:
        if (id == 0) {
            rootTexts(DocumentText::CategoriesRoot);
            break;
        }
        if (!HasRow(TopicId::DictionaryCategories, id))
            return;
        AnswerRowTexts(info, TopicId::DictionaryCategories, id);
        if (mask & ListNotifyMask::Name)
            info.mayRename = true;
        if (mask & ListNotifyMask::Image)
            info.image = d->m_db.GetIntValue(TopicId::DictionaryCategories, id, CategoryField::Type);
        if (mask & ListNotifyMask::State)
            info.state = d->m_db.GetIntValue(TopicId::DictionaryCategories, id, CategoryField::State);
        break;
    default:
        return;
    }
    info.handled = true;
}

bool CKorDoc::AnswerDocumentDetails(ListNotifyInfo& info, qint32 document)
{
    if (info.mask & ListNotifyMask::DocumentType)
        info.documentType = d->m_db.GetIntValue(TopicId::Documents, document, DocumentField::DocType);
    if (info.mask & ListNotifyMask::View) {
        RowBuffer row;
        if (!d->m_db.ReadRow(TopicId::Documents, document, row, false))
            return false;
        FieldValue zoom;
        if (row.GetFieldValue(DocumentField::ScaleFactor, zoom))
            info.zoom = zoom.GetReal();
        qint32* view = &info.viewState.codesWndWidth;
        for (qint32 i = 0; i < DocumentField::ViewStateCount; ++i)
            view[i] = IntOf(row, DocumentField::CodesWndWidth + i);
    }
    if (info.mask & ListNotifyMask::Content) {
        // Each query hands over a copy of its own; the row keeps its blob.
        RowBuffer row;
        FieldValue text;
        if (!d->m_db.ReadRow(TopicId::Documents, document, row, true))
            return false;
        info.content = row.GetFieldValue(DocumentField::Text, text) && text.GetBlob() ? *text.GetBlob() : QByteArray();
    }
    return true;
}

// ---- Item changes -------------------------------------------------------

void CKorDoc::HandleItemChange(ListNotifyInfo& info)
{
    info.handled = false;
    BeginWait();
    switch (info.topic) {
    case TopicId::DocumentGroups:
    case TopicId::DocumentSets:
    case TopicId::CodeSets:
        info.handled = ChangeGroupItem(info);
        break;
    case TopicId::Documents:
        info.handled = ChangeDocumentItem(info);
        break;
    case TopicId::DocumentSetMembers:
    case TopicId::CodeSetMembers:
        info.handled = ChangeMemberItem(info);
        break;
    case TopicId::Codes:
        info.handled = ChangeCodeItem(info);
        break;
    case TopicId::DictionaryCategories:
        info.handled = ChangeCategoryItem(info);
        break;
    default:
        break;
    }
    EndWait();
}

bool CKorDoc::ChangeGroupItem(ListNotifyInfo& info)
{
    RowBuffer row;
    if (!d->m_db.ReadRow(info.topic, info.itemId, row, false))
        return false;
    if (info.mask & ListNotifyMask::Name) {
        // An empty name would leave an object the user cannot find again.
        const QString name = info.name.trimmed();
        if (name.isEmpty())
            return false;
        SetText(row, GroupItem::Name, name);
    }
    if (info.mask & ListNotifyMask::State)
        SetInt(row, GroupItem::State, MergeViewState(IntOf(row, GroupItem::State), info.state));
    if (info.mask & ListNotifyMask::Index)
        SetInt(row, GroupItem::Index, info.index);
    const bool committed = row.Commit(false, false);
    if (info.topic == TopicId::DocumentGroups) {
        QList<qint32> documents;
        d->m_db.FindKeysByParent(TopicId::Documents, TopicId::DocumentGroups, info.itemId, documents);
        for (const qint32 document : std::as_const(documents))
            NotifyRelatedChanged(TopicId::DocumentSetMembers, TopicId::Documents, document);
    }
    return committed;
}

bool CKorDoc::ChangeDocumentItem(ListNotifyInfo& info)
{
    const qint32 id = info.itemId;
    RowBuffer row;
    if (!d->m_db.ReadRow(TopicId::Documents, id, row, (info.mask & ListNotifyMask::Content) != 0))
        return false;
    if (info.mask & ListNotifyMask::View) {
        FieldValue zoom;
        if (row.GetFieldValue(DocumentField::ScaleFactor, zoom))
            zoom.SetReal(info.zoom);
        const qint32* view = &info.viewState.codesWndWidth;
        for (qint32 i = 0; i < DocumentField::ViewStateCount; ++i)
            SetInt(row, DocumentField::CodesWndWidth + i, view[i]);
    }
    if (info.mask & ListNotifyMask::Name) {
        const QString name = info.name.trimmed();
        if (name.isEmpty())
            return false;
        SetText(row, DocumentField::Name, name);
    }
    if (info.mask & ListNotifyMask::State)
        SetInt(row, DocumentField::State, MergeViewState(IntOf(row, DocumentField::State), info.state));
    if (info.mask & ListNotifyMask::Index)
        SetInt(row, kDocumentIndex, info.index);
    const qint32 oldGroup = IntOf(row, DocumentField::GroupID);
    bool moved = false;
    if ((info.mask & ListNotifyMask::Parent) && info.newParentTopic == TopicId::DocumentGroups
        && info.newParentId != oldGroup) {
        if (!HasRow(TopicId::DocumentGroups, info.newParentId))
            return false;
        moved = SetInt(row, DocumentField::GroupID, info.newParentId);
    }
    const bool withContent = info.mask & ListNotifyMask::Content;
    if (withContent) {
        FieldValue text;
        if (!row.GetFieldValue(DocumentField::Text, text) || !text.SetBlob(info.content))
            return false;
        info.content.clear();
    }
    const bool committed = row.Commit(withContent, false);
    NotifyChanged(TopicId::Documents, id);
    NotifyRelatedChanged(TopicId::DocumentSetMembers, TopicId::Documents, id);
    if (committed && moved) {
        NotifyChanged(TopicId::DocumentGroups, info.newParentId);
        NotifyChanged(TopicId::DocumentGroups, oldGroup);
        SetCodingsGroup(id, info.newParentId);
        SetMemosGroup(id, info.newParentId);
    }
    return committed;
}

bool CKorDoc::SetRelatedGroup(qint32 topic, qint32 groupField, qint32 document, qint32 group)
{
    QList<qint32> keys;
    d->m_db.FindKeysByParent(topic, TopicId::Documents, document, keys);
    // One transaction: a document's codings and memos never end up split
    // between two groups.
    StoreTransaction transaction(&d->m_db);
    bool written = transaction.IsActive();
    for (const qint32 key : std::as_const(keys)) {
        RowBuffer row;
        if (!written || !d->m_db.ReadRow(topic, key, row, false))
            continue;
        if (SetInt(row, groupField, group))
            written = row.Commit(false, false);
    }
    written = written && transaction.Commit();
    if (written)
        NotifyRelatedChanged(topic, TopicId::Documents, document);
    return written;
}

bool CKorDoc::SetCodingsGroup(qint32 document, qint32 group)
{
    return SetRelatedGroup(TopicId::Codings, CodingField::Group, document, group);
}

bool CKorDoc::SetMemosGroup(qint32 document, qint32 group)
{
    return SetRelatedGroup(TopicId::Memos, MemoField::GroupID, document, group);
}

bool CKorDoc::ChangeMemberItem(ListNotifyInfo& info)
{
    const bool codeSet = info.topic == TopicId::CodeSetMembers;
    const qint32 setTopic = codeSet ? TopicId::CodeSets : TopicId::DocumentSets;
    RowBuffer row;
    if (!d->m_db.ReadRow(info.topic, info.itemId, row, false))
        return false;
    if (info.mask & ListNotifyMask::Index)
        SetInt(row, kMemberIndex, info.index);
    const qint32 oldSet = IntOf(row, SetMemberField::SetID);
    bool moved = false;
    if ((info.mask & ListNotifyMask::Parent) && info.newParentTopic == setTopic && info.newParentId != oldSet) {
        if (!HasRow(setTopic, info.newParentId))
            return false;
        moved = SetInt(row, SetMemberField::SetID, info.newParentId);
    }
    const bool committed = row.Commit(false, false);
    if (committed && moved) {
        NotifyChanged(setTopic, info.newParentId);
        NotifyChanged(setTopic, oldSet);
    }
    return committed;
}

qint32 CKorDoc::FindChildCode(qint32 parent, const QString& name, qint32 except) const
{
    QList<qint32> children;
    GetChildCodes(parent, children);
    for (const qint32 child : std::as_const(children)) {
        if (child != except && FieldText(TopicId::Codes, child, CodeField::Name) == name)
            return child;
    }
    return 0;
}

QString CKorDoc::FreeChildName(qint32 parent, const QString& name, qint32 except) const
{
    if (!FindChildCode(parent, name, except))
        return name;
    for (int n = 1;; ++n) {
        const QString suffix = QStringLiteral(" (%1)").arg(n);
        // The base gives way, so that the number always fits the field.
        const QString candidate = CutToUnits(name, FieldDescriptor::kNameUnits - suffix.size()) + suffix;
        if (!FindChildCode(parent, candidate, except))
            return candidate;
    }
}

bool CKorDoc::ChangeCodeItem(ListNotifyInfo& info)
{
    const qint32 id = info.itemId;
    RowBuffer row;
    if (!d->m_db.ReadRow(TopicId::Codes, id, row, false))
        return false;
    FieldValue nameField;
    row.GetFieldValue(CodeField::Name, nameField);
    const QString oldName = nameField.GetText();
    const qint32 oldParent = IntOf(row, CodeField::Parent);
    bool renamed = false;
    bool moved = false;
    bool changed = false;

    if (info.mask & ListNotifyMask::Name) {
        const QString name = CutToUnits(info.name.trimmed(), FieldDescriptor::kNameUnits);
        const bool caseOnly = name.compare(oldName, Qt::CaseInsensitive) == 0;
        bool allowed = !name.isEmpty() && name != oldName;
        if (allowed && d->m_uniqueCodeNames && !caseOnly) {
            QStringList names;
            ListCodeNames(names);
            allowed = !names.contains(name.toLower(), Qt::CaseInsensitive);
        }
        if (allowed && !caseOnly)
            allowed = FindChildCode(oldParent, name, id) == 0;
        if (allowed)
            renamed = SetText(row, CodeField::Name, name);
    }
    if (info.mask & ListNotifyMask::State)
        changed |= SetInt(row, CodeField::State, MergeViewState(IntOf(row, CodeField::State), info.state));
    if (info.mask & ListNotifyMask::Index)
        changed |= SetInt(row, kCodeIndex, info.index);
    if (info.mask & ListNotifyMask::Parent) {
        const qint32 parent = info.newParentTopic == TopicId::Codes ? info.newParentId : 0;
        const bool validParent = info.newParentTopic == TopicKind::CodeSystemRoot
            || (info.newParentTopic == TopicId::Codes && HasRow(TopicId::Codes, parent));
        // A code never moves under itself or one of its own subcodes.
        if (validParent && parent != oldParent && parent != id && !IsCodeDescendant(id, parent)) {
            FieldValue current;
            row.GetFieldValue(CodeField::Name, current);
            const QString free = FreeChildName(parent, current.GetText(), id);
            renamed |= SetText(row, CodeField::Name, free);
            moved = SetInt(row, CodeField::Parent, parent);
        }
    }
    if (!renamed && !moved && !changed)
        return false;
    const bool committed = row.Commit(false, false);
    NotifyChanged(TopicId::Codes, id);
    if (renamed || moved)
        NotifyRelatedChanged(TopicId::Codings, TopicId::Codes, id);
    // A long name kept as the alias belongs to the old name.
    if (committed && renamed)
        DeleteCodeAlias(id);
    return committed;
}

bool CKorDoc::ChangeCategoryItem(ListNotifyInfo& info)
{
    const qint32 id = info.itemId;
    RowBuffer row;
    if (!d->m_db.ReadRow(TopicId::DictionaryCategories, id, row, false))
        return false;
    bool changed = false;
    if (info.mask & ListNotifyMask::State)
        changed |= SetInt(row, CategoryField::State, info.state);
    if ((info.mask & ListNotifyMask::Name) && !info.name.trimmed().isEmpty() && FindCategoryByName(info.name) == 0)
        changed |= SetText(row, CategoryField::Name, info.name);
    const bool move = info.mask & ListNotifyMask::Parent;
    if (move && info.newParentId != id && !IsCategoryDescendant(id, info.newParentId))
        changed |= SetInt(row, CategoryField::Parent, info.newParentId);
    if (!move && !changed)
        return false;
    const bool committed = row.Commit(false, false);
    NotifyChanged(TopicId::DictionaryCategories, id);
    return committed;
}

bool CKorDoc::IsCategoryDescendant(qint32 ancestor, qint32 category) const
{
    return IsAncestorOf(TopicId::DictionaryCategories, CategoryField::Parent, ancestor, category);
}

// ---- Dictionary lookups -------------------------------------------------

// ---- Media marks and transcripts ----------------------------------------

bool CKorDoc::LoadDocumentTimestamps(qint32 document, QList<MediaTimestamp>& marks) const
{
    marks.clear();
    QList<qint32> keys;
    d->m_db.FindKeysByParent(TopicId::MediaMarks, TopicId::Documents, document, keys);
    for (const qint32 key : std::as_const(keys)) {
        MediaTimestamp mark;
        mark.id = key;
        mark.startChar = d->m_db.GetIntValue(TopicId::MediaMarks, key, MediaMarkField::StartChar);
        mark.begin = ParseVersionSuffix(FieldText(TopicId::MediaMarks, key, MediaMarkField::Begin));
        mark.end = ParseVersionSuffix(FieldText(TopicId::MediaMarks, key, MediaMarkField::End));
        marks.append(mark);
    }
    std::stable_sort(marks.begin(), marks.end(),
                     [](const MediaTimestamp& a, const MediaTimestamp& b) { return a.startChar < b.startChar; });
    return true;
}

QString CKorDoc::ReadTranscriptTimestamps(CRichEditCtrlEx& edit, QList<TranscriptMark>& marks)
{
    marks.clear();
    QString reference;
    QString previous = FormatMediaTime(0);
    qint32 segmentStart = 0;
    qint32 removed = 0;

    // Stamps written as hyperlinks "file=<media> time=<ms>".
    const QString text = edit.GetTextRange(0, edit.GetTextLength());
    const int length = int(text.size());
    const auto formatAt = [&edit](int position) {
        QTextCursor cursor(edit.GetDocument());
        cursor.setPosition(edit.ToDocumentPosition(position) + 1);
        return cursor.charFormat();
    };
    const auto isHidden = [&](int position) { return rtf::IsHidden(formatAt(position)); };
    const auto isLink = [&](int position) {
        const QTextCharFormat format = formatAt(position);
        return format.isAnchor() || format.boolProperty(rtf::kLinkInstructionProperty);
    };
    for (int i = 0; i < length;) {
        if (!isLink(i)) {
            ++i;
            continue;
        }
        // The hidden instruction first, then the visible name of the link.
        const int linkStart = i;
        while (i < length && isHidden(i))
            ++i;
        QString instruction = text.mid(linkStart, i - linkStart);
        removed += i - linkStart;
        instruction.remove(QLatin1Char('"'));
        instruction = instruction.trimmed();
        const qsizetype file = instruction.indexOf(QLatin1String("file="));
        const qsizetype time = file >= 0 ? instruction.indexOf(QLatin1String("time="), file) : -1;
        while (i < length && isLink(i) && !isHidden(i))
            ++i;
        if (time < 0)
            continue;
        const QString media = instruction.mid(file + 5, time - file - 5).trimmed();
        const QString stamp = FormatMediaTime(ReadLeadingInt(QStringView(instruction).mid(time + 5)));
        marks.append({segmentStart, previous, stamp});
        previous = stamp;
        if (reference.isEmpty())
            reference = media;
        // The next segment starts behind the paragraph break(s) after the
        // stamp, counted in the text without the instructions.
        while (i < length && text.at(i) != QLatin1Char('\r'))
            ++i;
        while (i < length && text.at(i) == QLatin1Char('\r'))
            ++i;
        segmentStart = i - removed;
    }
    if (!reference.isEmpty() && !marks.isEmpty()) {
        marks.append({segmentStart, previous, QString()});
        return reference;
    }

    // Stamps of twelve characters: "#hh:mm:ss-t#".
    marks.clear();
    previous = FormatMediaTime(0);
    segmentStart = 0;
    int from = 0;
    for (;;) {
        const QString current = edit.GetTextRange(0, edit.GetTextLength());
        const qsizetype first = current.indexOf(QLatin1Char('#'), from);
        if (first < 0)
            break;
        const qsizetype second = current.indexOf(QLatin1Char('#'), first + 1);
        if (second < 0)
            break;
        if (second - first != 11) {
            from = int(second);
            continue;
        }
        QString digits = current.mid(first + 1, 10);
        digits.replace(QLatin1Char('-'), QLatin1Char('.'));
        const QString stamp = FormatMediaTime(ParseVersionSuffix(digits + QStringLiteral("00")));
        // The stamp and the character after it become one blank, followed
        // by a paragraph break unless one follows already.
        edit.SetSel(int(first), int(second) + 2);
        const bool breakFollows = second + 2 < current.size() && current.at(second + 2) == QLatin1Char('\r');
        edit.ReplaceSelText(breakFollows ? QStringLiteral(" ") : QStringLiteral(" \r"));
        marks.append({segmentStart, previous, stamp});
        previous = stamp;
        segmentStart = int(first) + 2;
        if (reference.isEmpty())
            reference = QStringLiteral("*");
        from = int(first) + 1;
    }
    return reference;
}
