#include "store/storedmodel.h"

#include "foundation/stringstore.h"

StoredModel::StoredModel()
    : Name(g_pStringStore->GetString(StoreText::DefaultModelName))
{
}

void StoredModel::Reset(qint32 kind, const QString& author)
{
    ID = 0;
    switch (kind) {
    case ModelKind::DocumentModel: Name = g_pStringStore->GetString(ModelKindText::DocumentModelName); break;
    case ModelKind::TwoCaseModel: Name = QStringLiteral("Two-Case-Model"); break;
    case ModelKind::CodeSegmentModel: Name = g_pStringStore->GetString(ModelKindText::CodeSegmentModelName); break;
    case ModelKind::CodeTreeModel: Name = g_pStringStore->GetString(ModelKindText::CodeTreeModelName); break;
    case ModelKind::CooccurrenceModel: Name = g_pStringStore->GetString(ModelKindText::CooccurrenceModelName); break;
    case ModelKind::SubcodeModel: Name = g_pStringStore->GetString(ModelKindText::SubcodeModelName); break;
    default: Name = g_pStringStore->GetString(StoreText::DefaultModelName); break;
    }
    Date = DateTimeNow();
    Author = author;
    Comment.clear();
    Data.Clear();
    Data.SetUtf16(true);
    ClearUndo();
}

void StoredModel::ClearUndo()
{
    UndoCount = 0;
    UndoIndex = -1;
    for (SerialBuffer& slot : UndoSlots)
        slot.Clear();
}

void StoredModel::PopUndo()
{
    const qint32 oldIndex = UndoIndex;
    UndoCount = qMax(0, UndoCount - 1);
    if (UndoCount == 0)
        UndoIndex = -1;
    else
        UndoIndex = UndoIndex <= 0 ? kUndoSlots - 1 : UndoIndex - 1;
    if (UndoIndex != oldIndex && oldIndex >= 0 && oldIndex < kUndoSlots)
        UndoSlots[size_t(oldIndex)].Clear();
}

SerialBuffer& StoredModel::NextUndoSlot()
{
    UndoCount = qMin(UndoCount + 1, qint32(kUndoSlots));
    UndoIndex = UndoIndex < 0 ? 0 : (UndoIndex + 1) % kUndoSlots;
    return UndoSlots[size_t(UndoIndex)];
}
