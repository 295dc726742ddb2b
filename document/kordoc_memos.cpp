// Memos: free memos, the memos of codes, documents, groups, sets and the
// project, memos at places in documents, a document made from a memo, and
// the memos linked to codes.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/documentids.h"
#include "document/rowfields.h"
#include "foundation/richtexthelpers.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"

#include <QLocale>
#include <QtEndian>

using namespace rowfields;

/// An object that may have a memo: where it keeps the memo's id, and which
/// field of the memo names it back.
struct CKorDoc::MemoOwner {
    qint32 topic;
    qint32 memoIdField;  ///< in the object's row
    qint32 ownerField;   ///< in the memo's row
    qint32 source;       ///< MemoSource
};

namespace {

constexpr qint32 kObjectMemoPosition = -1;
constexpr qint32 kMemoOwnerFields[] = {MemoField::GroupID, MemoField::Document, MemoField::Code, MemoField::SetID};

/// The code ids of a Codewords blob: 32-bit little-endian values; bytes
/// that make no whole value are left out.
QList<qint32> DecodeCodeIds(const QByteArray& bytes)
{
    QList<qint32> ids;
    ids.reserve(bytes.size() / 4);
    for (qsizetype at = 0; at + 4 <= bytes.size(); at += 4)
        ids.append(qFromLittleEndian<qint32>(bytes.constData() + at));
    return ids;
}

}  // namespace

const CKorDoc::MemoOwner* CKorDoc::FindMemoOwner(qint32 topic)
{
    static const MemoOwner owners[] = {
        {TopicId::Codes, CodeField::MemoID, MemoField::Code, MemoSource::Code},
        {TopicId::Documents, DocumentField::MemoID, MemoField::Document, MemoSource::Document},
        {TopicId::DocumentGroups, GroupField::MemoID, MemoField::GroupID, MemoSource::DocumentGroup},
        {TopicId::DocumentSets, GroupField::MemoID, MemoField::SetID, MemoSource::DocumentSet},
    };
    for (const MemoOwner& owner : owners) {
        if (owner.topic == topic)
            return &owner;
    }
    return nullptr;
}

qint32 CKorDoc::NewMemo(const QString& title, const QString& author, const QDateTime& date, const QByteArray& rtf)
{
    const qint32 memo = CreateRow(
        TopicId::Memos,
        [&](RowBuffer& row, qint32 key) {
            const QString name = title.trimmed();
            const QString writer = author.trimmed();
            return FillNewMemo(row, key, rtf) && (name.isEmpty() || SetText(row, MemoField::Title, name)) &&
                   (writer.isEmpty() || SetText(row, MemoField::Author, writer)) &&
                   (!date.isValid() || SetDate(row, MemoField::Date, date)) &&
                   SetInt(row, MemoField::Source, MemoSource::None);
        },
        true);
    if (memo)
        d->m_registry.NotifyAdded(TopicId::Memos, memo, 0, 0, 0, true);
    return memo;
}

bool CKorDoc::FillNewMemo(RowBuffer& row, qint32 key, const QByteArray& rtf)
{
    return SetText(row, MemoField::Title, DefaultObjectName(DocumentText::DefaultMemoName, key)) &&
           SetText(row, MemoField::Author, d->m_db.GetUserName()) && SetDate(row, MemoField::Date, Now()) &&
           (rtf.isEmpty() || SetBlob(row, MemoField::Text, rtf));
}

bool CKorDoc::AddToDocumentMemos(qint32 document, qint32 delta)
{
    RowBuffer row;
    return d->m_db.ReadRow(TopicId::Documents, document, row, false) &&
           SetInt(row, DocumentField::Memos, std::max(0, IntOf(row, DocumentField::Memos) + delta)) &&
           row.Commit(false, false);
}

bool CKorDoc::IsMemoHeld(qint32 memo) const
{
    if (memo == d->m_projectMemo)
        return true;
    const qint32 document = d->m_db.GetIntValue(TopicId::Memos, memo, MemoField::Document);
    if (document != 0 && d->m_db.GetIntValue(TopicId::Memos, memo, MemoField::Pos) >= 0)
        return HasRow(TopicId::Documents, document);  // a memo at a place in the text
    for (const qint32 topic : {TopicId::Codes, TopicId::Documents, TopicId::DocumentGroups, TopicId::DocumentSets}) {
        const MemoOwner* owner = FindMemoOwner(topic);
        const qint32 id = d->m_db.GetIntValue(TopicId::Memos, memo, owner->ownerField);
        if (id != 0 && HasRow(topic, id) && d->m_db.GetIntValue(topic, id, owner->memoIdField) == memo)
            return true;
    }
    return false;
}

qint32 CKorDoc::GetObjectMemo(const MemoOwner& owner, qint32 id, bool& created, bool create, const QByteArray& rtf)
{
    created = false;
    if (!HasRow(owner.topic, id))
        return 0;
    const qint32 group = owner.topic == TopicId::Documents ? GetDocumentGroup(id) : 0;
    // The memo's owner fields as an object memo of this object has them.
    const auto attach = [&](RowBuffer& row) {
        for (const qint32 field : kMemoOwnerFields)
            SetInt(row, field, 0);
        return SetInt(row, owner.ownerField, id) && (group == 0 || SetInt(row, MemoField::GroupID, group)) &&
               SetInt(row, MemoField::Pos, kObjectMemoPosition) && SetInt(row, MemoField::Source, owner.source);
    };
    const auto setMemoId = [&](qint32 memo) {
        RowBuffer row;
        return d->m_db.ReadRow(owner.topic, id, row, false) && SetInt(row, owner.memoIdField, memo) &&
               row.Commit(false, false);
    };

    const qint32 memo = d->m_db.GetIntValue(owner.topic, id, owner.memoIdField);
    if (memo != 0 && HasRow(TopicId::Memos, memo)) {
        const bool namesOwner = d->m_db.GetIntValue(TopicId::Memos, memo, owner.ownerField) == id &&
                                d->m_db.GetIntValue(TopicId::Memos, memo, MemoField::Pos) < 0;
        if (namesOwner)
            return memo;
        if (!IsMemoHeld(memo)) {
            // A memo nobody else holds is attached to the object again; the
            // documents that counted it before and after keep their counts.
            StoreTransaction transaction(&d->m_db);
            RowBuffer row;
            if (!transaction.IsActive() || !d->m_db.ReadRow(TopicId::Memos, memo, row, false))
                return 0;
            const qint32 before = IntOf(row, MemoField::Document);
            const qint32 after = owner.topic == TopicId::Documents ? id : 0;
            if (!attach(row) || !row.Commit(false, false) ||
                (before != after && before != 0 && HasRow(TopicId::Documents, before) &&
                 !AddToDocumentMemos(before, -1)) ||
                (before != after && after != 0 && !AddToDocumentMemos(after, 1)) || !transaction.Commit())
                return 0;
            NotifyChanged(TopicId::Memos, memo);
            if (before != after && before != 0 && HasRow(TopicId::Documents, before))
                NotifyChanged(TopicId::Documents, before);
            NotifyChanged(owner.topic, id);
            return memo;
        }
        // Another object or a place holds it: this object forgets it.
        if (!setMemoId(0))
            return 0;
        NotifyChanged(owner.topic, id);
    }
    if (!create)
        return 0;

    qint32 key = 0;
    {
        StoreTransaction transaction(&d->m_db);
        if (!transaction.IsActive())
            return 0;
        key = CreateRow(
            TopicId::Memos,
            [&](RowBuffer& row, qint32 newKey) {
                return attach(row) && FillNewMemo(row, newKey, rtf);
            },
            true);
        if (!key || !setMemoId(key) || (owner.topic == TopicId::Documents && !AddToDocumentMemos(id, 1)) ||
            !transaction.Commit())
            return 0;
    }
    created = true;
    d->m_registry.NotifyAdded(TopicId::Memos, key, 0, 0, 0, true);
    NotifyChanged(owner.topic, id);
    return key;
}

qint32 CKorDoc::GetCodeMemo(qint32 code, bool& created, bool create, const QByteArray& rtf)
{
    return GetObjectMemo(*FindMemoOwner(TopicId::Codes), code, created, create, rtf);
}

qint32 CKorDoc::GetDocumentMemo(qint32 document, bool& created, bool create, const QByteArray& rtf)
{
    return GetObjectMemo(*FindMemoOwner(TopicId::Documents), document, created, create, rtf);
}

qint32 CKorDoc::GetGroupMemo(qint32 group, bool& created, bool create, const QByteArray& rtf)
{
    return GetObjectMemo(*FindMemoOwner(TopicId::DocumentGroups), group, created, create, rtf);
}

qint32 CKorDoc::GetSetMemo(qint32 set, bool& created, bool create, const QByteArray& rtf)
{
    return GetObjectMemo(*FindMemoOwner(TopicId::DocumentSets), set, created, create, rtf);
}

qint32 CKorDoc::GetSetMemberMemo(qint32 member, bool& created, bool create, const QByteArray& rtf)
{
    created = false;
    const qint32 document = GetSetMemberDocument(member);
    if (document == 0)
        return 0;
    const qint32 memo = GetDocumentMemo(document, created, create, rtf);
    NotifyChanged(TopicId::Documents, document);
    return memo;
}

qint32 CKorDoc::GetProjectMemo(bool& created, bool create, const QByteArray& rtf)
{
    created = false;
    if (d->m_projectMemo != 0 && HasRow(TopicId::Memos, d->m_projectMemo))
        return d->m_projectMemo;
    if (!create)
        return 0;
    qint32 memo = 0;
    {
        // The memo and the key that names it stand or fall together.
        StoreTransaction transaction(&d->m_db);
        if (!transaction.IsActive())
            return 0;
        memo = CreateRow(
            TopicId::Memos,
            [&](RowBuffer& row, qint32 key) {
                return FillNewMemo(row, key, rtf) && SetInt(row, MemoField::Pos, kObjectMemoPosition) &&
                       SetInt(row, MemoField::Source, MemoSource::Project);
            },
            true);
        if (!memo || !WriteSettingString(QString::fromLatin1(SetupKey::ProjectMemo), QString::number(memo)) ||
            !transaction.Commit())
            return 0;
    }
    d->m_projectMemo = memo;
    created = true;
    d->m_registry.NotifyAdded(TopicId::Memos, memo, 0, 0, 0, true);
    NotifyChanged(TopicKind::DocumentsRoot, 0);
    return memo;
}

qint32 CKorDoc::NewDocumentMemo(qint32 document, qint32 page, qint32 position, qint32 paragraph)
{
    if (!HasRow(TopicId::Documents, document))
        return 0;
    qint32 memo = 0;
    {
        StoreTransaction transaction(&d->m_db);
        if (!transaction.IsActive())
            return 0;
        memo = CreateRow(
            TopicId::Memos,
            [&](RowBuffer& row, qint32 key) {
                return FillNewMemo(row, key, {}) && SetInt(row, MemoField::Page, page) &&
                       SetInt(row, MemoField::Source, MemoSource::DocumentPosition) &&
                       SetInt(row, MemoField::Pos, position) && SetInt(row, MemoField::Paragraph, paragraph) &&
                       SetInt(row, MemoField::Document, document) &&
                       SetInt(row, MemoField::GroupID, GetDocumentGroup(document));
            },
            false);
        if (!memo || !AddToDocumentMemos(document, 1) || !transaction.Commit())
            return 0;
    }
    d->m_registry.NotifyAdded(TopicId::Memos, memo, 0, TopicId::Documents, document, true);
    NotifyChanged(TopicId::Documents, document);
    return memo;
}

qint32 CKorDoc::NewDocumentFromMemo(qint32 memo)
{
    RowBuffer row;
    if (!d->m_db.ReadRow(TopicId::Memos, memo, row, true))
        return 0;
    const QString title = TextOf(row, MemoField::Title);
    const QString author = TextOf(row, MemoField::Author);
    QString date;
    FieldValue value;
    QDate day;
    QTime time;
    if (row.GetFieldValue(MemoField::Date, value) && value.GetDate().IsValid() &&
        DateTimeFromOleDays(value.GetDate().value, day, time))
        date = QLocale().toString(QDateTime(day, time), QLocale::ShortFormat);
    const QByteArray* text = row.GetFieldValue(MemoField::Text, value) ? value.GetBlob() : nullptr;

    // The heading in bold, then the memo's own rich text.
    const std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    const QString heading = title + QStringLiteral(" \r") + author + QStringLiteral(" \r") + date +
                            QStringLiteral(" \r \r");
    edit->SetText(heading);
    RichEditCharFormat bold;
    bold.mask = kCharMaskFace | kCharMaskSize | kCharMaskBold;
    bold.faceName = QStringLiteral("Verdana");
    bold.height = 200;
    bold.effects = kCharBold;
    edit->SetSel(0, edit->GetTextLength());
    edit->SetSelCharFormat2(bold);
    if (text && !text->isEmpty()) {
        edit->SetSel(edit->GetTextLength(), edit->GetTextLength());
        edit->StreamInRtf(text, true);
    }
    QByteArray rtf;
    edit->StreamOutRtf(&rtf, false, true);
    return NewDocument(0, title, rtf, QString());
}

QList<qint32> CKorDoc::GetMemoCodes(qint32 memo)
{
    RowBuffer row;
    FieldValue value;
    if (!d->m_db.ReadRow(TopicId::Memos, memo, row, true) ||
        !row.GetFieldValue(MemoField::Codewords, value) || !value.GetBlob())
        return {};
    return DecodeCodeIds(*value.GetBlob());
}

bool CKorDoc::CollectMemosOfCode(qint32 code, QList<qint32>& ids)
{
    ids.clear();
    QList<qint32> codes{code};
    if (d->m_options.l4)
        CollectSubcodes(code, codes);
    const QSet<qint32> wanted(codes.cbegin(), codes.cend());
    QList<qint32> memos;
    d->m_db.GetAllKeys(TopicId::Memos, memos);
    for (const qint32 memo : std::as_const(memos)) {
        const QList<qint32> linked = GetMemoCodes(memo);
        if (std::any_of(linked.cbegin(), linked.cend(), [&wanted](qint32 id) { return wanted.contains(id); }))
            ids.append(memo);
    }
    return true;
}

bool CKorDoc::CollectCodeMemos(QList<qint32>& ids)
{
    ids.clear();
    QList<qint32> memos;
    d->m_db.GetAllKeys(TopicId::Memos, memos);
    for (const qint32 memo : std::as_const(memos)) {
        const QList<qint32> linked = GetMemoCodes(memo);
        if (std::any_of(linked.cbegin(), linked.cend(),
                        [this](qint32 id) { return id != 0 && HasRow(TopicId::Codes, id); }))
            ids.append(memo);
    }
    return true;
}

bool CKorDoc::IsMemoPlaceFree(qint32 document, qint32 page, qint32 position, const QString& title,
                              const TopicDatabase* store) const
{
    const TopicDatabase& db = store ? *store : d->m_db;
    QList<qint32> memos;
    db.FindKeysByParent(TopicId::Memos, TopicId::Documents, document, memos);
    return std::none_of(memos.cbegin(), memos.cend(), [&](qint32 memo) {
        return db.GetIntValue(TopicId::Memos, memo, MemoField::Page) == page &&
               db.GetIntValue(TopicId::Memos, memo, MemoField::Pos) == position &&
               TextOfKey(db, TopicId::Memos, memo, MemoField::Title) == title;
    });
}

bool CKorDoc::StoreMemo(const MemoEdit& edit)
{
    RowBuffer row;
    if (edit.ID <= 0 || !d->m_db.ReadRow(TopicId::Memos, edit.ID, row, true))
        return false;
    QByteArray codes;
    codes.reserve(edit.Codewords.size() * 4);
    for (const qint32 code : edit.Codewords) {
        char bytes[4];
        qToLittleEndian<qint32>(code, bytes);
        codes.append(bytes, 4);
    }
    const bool filled = SetText(row, MemoField::Title, edit.Title) && SetText(row, MemoField::Author, edit.Author) &&
                        SetInt(row, MemoField::Type, edit.Type) &&
                        (!edit.Date.isValid() || SetDate(row, MemoField::Date, edit.Date)) &&
                        SetBlob(row, MemoField::Text, edit.Text) && SetBlob(row, MemoField::Codewords, codes);
    // The row read stays a copy until the one commit succeeds.
    if (!filled || !row.Commit(true, false))
        return false;
    NotifyChanged(TopicId::Memos, edit.ID);
    return true;
}
