#include "foundation/dragobject.h"

#include "foundation/serialbuffer.h"

#include <QClipboard>
#include <QDrag>
#include <QGuiApplication>
#include <QMimeData>

QByteArray CDragObject::Serialize() const
{
    const bool hasIds = !m_ids.isEmpty();
    qint64 size = 3 * SerialBuffer::SizeOfInt();
    if (hasIds)
        size += SerialBuffer::SizeOfArchiveCount(m_ids.size()) + 4 * qint64(m_ids.size());
    SerialBuffer buffer;
    if (!buffer.Reserve(size))
        return QByteArray();
    bool ok = buffer.WriteInt(m_kind) && buffer.WriteInt(m_id) && buffer.WriteInt(hasIds ? 1 : 0);
    if (hasIds) {
        ok = ok && buffer.WriteArchiveCount(qint32(m_ids.size()));
        for (qint32 id : m_ids)
            ok = ok && buffer.WriteInt(id);
    }
    // The reserved room is rounded up; the form itself is exactly `size`.
    return ok ? buffer.Data().left(size) : QByteArray();
}

bool CDragObject::Deserialize(const QByteArray& bytes)
{
    SerialBuffer buffer(bytes);
    qint32 kind = 0, id = 0, hasIds = 0;
    if (!buffer.ReadInt(kind) || !buffer.ReadInt(id) || !buffer.ReadInt(hasIds))
        return false;
    if (hasIds != 0 && hasIds != 1)
        return false;
    QList<qint32> ids;
    if (hasIds == 1) {
        qint32 count = 0;
        if (!buffer.ReadArchiveCount(count) || 4 * qint64(count) > buffer.Remaining())
            return false;
        ids.resize(count);
        for (qint32& each : ids)
            buffer.ReadInt(each);
    }
    if (buffer.Remaining() != 0)
        return false;
    m_kind = kind;
    m_id = id;
    m_ids = std::move(ids);
    return true;
}

// The payload: the program instance as text, the project identity, then the
// object's byte form. Texts are written as SerialBuffer strings.
std::unique_ptr<QMimeData> CDragObject::CreateMimeData(const QString& projectIdentity) const
{
    const QString program = ProgramInstance().toString();
    SerialBuffer origin;
    const qint64 size = SerialBuffer::SizeOfString(program) + SerialBuffer::SizeOfString(projectIdentity);
    QByteArray payload;
    if (origin.Reserve(size) && origin.WriteString(program) && origin.WriteString(projectIdentity))
        payload = origin.Data().left(size) + Serialize();
    auto data = std::make_unique<QMimeData>();
    data->setData(QString::fromLatin1(kFormat), payload);
    return data;
}

CDragObject::ReadResult CDragObject::ReadMimeData(const QMimeData* data, const QString& projectIdentity,
                                                  CDragObject& object)
{
    if (!HasPayload(data))
        return ReadResult::NoPayload;
    const QByteArray payload = data->data(QString::fromLatin1(kFormat));
    SerialBuffer buffer(payload);
    QString program, project;
    if (!buffer.ReadString(program) || !buffer.ReadString(project))
        return ReadResult::Damaged;
    if (QUuid::fromString(program) != ProgramInstance())
        return ReadResult::OtherProgram;
    if (project != projectIdentity)
        return ReadResult::OtherProject;
    CDragObject read;
    if (!read.Deserialize(payload.mid(buffer.Position())))
        return ReadResult::Damaged;
    object = std::move(read);
    return ReadResult::Accepted;
}

bool CDragObject::HasPayload(const QMimeData* data)
{
    return data && data->hasFormat(QString::fromLatin1(kFormat));
}

Qt::DropAction CDragObject::DoDragDrop(QObject* source, const QString& projectIdentity,
                                       Qt::DropActions allowed, Qt::DropAction defaultAction) const
{
    auto* drag = new QDrag(source);   // owned by `source`, deleted by Qt after the drag
    drag->setMimeData(CreateMimeData(projectIdentity).release());
    return drag->exec(allowed, defaultAction);
}

void CDragObject::CopyToClipboard(const QString& projectIdentity) const
{
    QGuiApplication::clipboard()->setMimeData(CreateMimeData(projectIdentity).release());
}

CDragObject::ReadResult CDragObject::ReadClipboard(const QString& projectIdentity, CDragObject& object)
{
    return ReadMimeData(QGuiApplication::clipboard()->mimeData(), projectIdentity, object);
}

QUuid CDragObject::ProgramInstance()
{
    static const QUuid instance = QUuid::createUuid();
    return instance;
}
