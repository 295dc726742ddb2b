#include "visual/modelfile.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <cmath>

namespace {

constexpr char kUtf16Mark[] = "\xFF\xFE";
constexpr qint64 kDateBytes = 12;

}  // namespace

bool ParseModelFile(const QByteArray& bytes, ModelFileHeader& header, SerialBuffer& body)
{
    const bool utf16 = bytes.startsWith(QByteArray(kUtf16Mark, 2));
    SerialBuffer reader(utf16 ? bytes.mid(2) : bytes);
    reader.SetUtf16(utf16);
    ModelFileHeader read;
    char date[kDateBytes];
    if (!reader.ReadString(read.Name) || !reader.ReadString(read.Author) || !reader.ReadRaw(date, kDateBytes))
        return false;
    const double days = qFromLittleEndian<double>(date);
    const qint32 status = qFromLittleEndian<qint32>(date + 8);
    if (!std::isfinite(days))
        return false;
    read.Date = {days, status == 0 ? DateStatus::Valid : status == 2 ? DateStatus::Null : DateStatus::Invalid};
    if (reader.Remaining() <= 0)   // no model image
        return false;
    body = SerialBuffer(reader.Data().mid(reader.Position()));
    body.SetUtf16(utf16);
    header = std::move(read);
    return true;
}

QByteArray ModelFileBytes(const ModelFileHeader& header, const SerialBuffer& body)
{
    const bool utf16 = body.IsUtf16();
    const qint64 unit = utf16 ? 2 : 1;
    SerialBuffer head;
    head.SetUtf16(utf16);
    head.Reserve(4 + unit * header.Name.size() + 4 + unit * header.Author.size() + kDateBytes);
    head.WriteString(header.Name);
    head.WriteString(header.Author);
    char date[kDateBytes];
    qToLittleEndian<double>(header.Date.value, date);
    qToLittleEndian<qint32>(qint32(header.Date.status), date + 8);
    head.WriteRaw(date, kDateBytes);

    QByteArray bytes;
    if (utf16)
        bytes.append(kUtf16Mark, 2);
    bytes.append(head.Data().left(head.Position()));
    bytes.append(body.Data());
    return bytes;
}

bool ReadWholeFile(const QString& path, QByteArray& bytes, QString& reason)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return false;
    }
    if (file.size() > kMaxModelFileBytes) {
        reason.clear();
        return false;
    }
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reason = file.errorString();
        return false;
    }
    return true;
}

bool WriteWholeFile(const QString& path, const QByteArray& bytes, QString& reason)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        reason = file.errorString();
        return false;
    }
    return true;
}
