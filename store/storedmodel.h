#pragma once

#include "foundation/serialbuffer.h"
#include "store/oledate.h"

#include <QByteArray>
#include <QString>

#include <array>

/// The prepared kinds of stored models; 0 and any other value is a free
/// model.
namespace ModelKind {
enum : qint32 {
    Free = 0,
    DocumentModel = 1,
    TwoCaseModel = 2,
    CodeSegmentModel = 3,
    CodeTreeModel = 4,
    CooccurrenceModel = 5,
    SubcodeModel = 6,
    TitledModel = 7,
};
}

/// Default names of new models by kind (the free model's is
/// StoreText::DefaultModelName).
namespace ModelKindText {
enum : int {
    DocumentModelName = 101101,
    CodeSegmentModelName = 101102,
    CodeTreeModelName = 101103,
    CooccurrenceModelName = 101104,
    SubcodeModelName = 101105,
};
}

/// @short One row of the stored-models table, as the model editor holds it,
/// with the editor's ring of undo snapshots (kept in memory only).
///
/// The data engine reads and writes ID, Name, Date, Author, Comment and
/// Data; it never touches the undo ring.
struct StoredModel {
    static constexpr int kUndoSlots = 20;

    /// A new model: ID 0, named by the default model name, no undo.
    StoredModel();

    /// Prepares the record for a new model of a kind (1 to 7; anything else
    /// is a free model): ID 0, the kind's default name, dated now, the
    /// author given, comment, data and undo ring emptied.
    void Reset(qint32 kind, const QString& author);
    /// Undo count 0, undo index -1, every slot emptied.
    void ClearUndo();
    /// Drops the newest snapshot (nothing when there is none).
    void PopUndo();
    /// The slot the next snapshot goes to, raising the count (at most the
    /// number of slots; the oldest is overwritten) and the index.
    SerialBuffer& NextUndoSlot();

    qint32 ID = 0;  ///< 0 until the row is first written
    QString Name;
    OleDate Date;  ///< creation time
    QString Author;
    QByteArray Comment;
    SerialBuffer Data;  ///< the model's byte image; its whole block is stored

    std::array<SerialBuffer, kUndoSlots> UndoSlots;  ///< each one model byte image
    qint32 UndoCount = 0;   ///< usable snapshots, 0..20
    qint32 UndoIndex = -1;  ///< slot of the newest snapshot; -1 when there is none
};
