#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUuid>
#include <Qt>

#include <memory>

class QMimeData;
class QObject;

/// @short What the user drags or copies inside the program: objects of one
/// kind named by their ids in the open project.
///
/// The kind is a topic id (2 document groups, 4 document sets, 5 documents,
/// 8 codes, 10 codings, 11 memos, 17 word frequencies, ...) or a number that
/// a source and its targets share. Ids are only meaningful in the project
/// they came from, so the payload travels with its origin: the running
/// program and the identity of the open project. A target reads it back only
/// when both match its own.
class CDragObject {
public:
    /// The format name under which the payload travels.
    static constexpr const char* kFormat = "DiVezeVozizu";

    /// Why a received payload was or was not taken.
    enum class ReadResult {
        Accepted,
        NoPayload,      // the data holds no payload of ours
        Damaged,        // truncated, altered or foreign bytes
        OtherProgram,   // written by another running program
        OtherProject,   // written for another project (or none)
    };

    CDragObject() = default;
    CDragObject(qint32 kind, qint32 id) : m_kind(kind), m_id(id) {}

    /// The object's byte form (integers little-endian): kind, id, then 1 and
    /// the id list when there are ids, else 0. The list is a 16-bit count
    /// (0xFFFF and a 32-bit count from 65535 on) followed by 4 bytes per id.
    QByteArray Serialize() const;
    /// Reads the byte form; false, leaving the object as it was, when the
    /// bytes are truncated, carry extra bytes or counts that do not fit.
    bool Deserialize(const QByteArray& bytes);

    /// The payload for a drag or the clipboard, stamped with this program and
    /// `projectIdentity` (whatever identifies the open project; empty when
    /// none is open).
    std::unique_ptr<QMimeData> CreateMimeData(const QString& projectIdentity) const;
    /// Reads a payload into `object` when it came from this program and the
    /// same project; `object` is untouched otherwise.
    static ReadResult ReadMimeData(const QMimeData* data, const QString& projectIdentity,
                                   CDragObject& object);
    static bool HasPayload(const QMimeData* data);

    /// Starts a drag with this payload from `source` (not null) and blocks
    /// until it ends; the result is the action the target took.
    Qt::DropAction DoDragDrop(QObject* source, const QString& projectIdentity,
                              Qt::DropActions allowed, Qt::DropAction defaultAction) const;
    void CopyToClipboard(const QString& projectIdentity) const;
    static ReadResult ReadClipboard(const QString& projectIdentity, CDragObject& object);

    /// Identifies this running program; fixed for the life of the process.
    static QUuid ProgramInstance();

    qint32 m_kind = 0;
    qint32 m_id = 0;            // the primary object
    QList<qint32> m_ids;        // every dragged object; may be empty
};
