#include "foundation/dragobject.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QtEndian>

#include <gtest/gtest.h>

#include <numeric>

namespace {

const QString kProject = QStringLiteral("/home/u/Study.kv4#1");

QByteArray Le32(qint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QList<qint32> Sequence(qsizetype count)
{
    QList<qint32> ids(count);
    std::iota(ids.begin(), ids.end(), 1);
    return ids;
}

}  // namespace

TEST(DragObject, ByteFormAndRoundTrip)
{
    const struct {
        QList<qint32> ids;
        QByteArray head;      // the bytes after kind 5 and id 42
        qsizetype size;
    } cases[] = {
        {{}, Le32(0), 12},
        {{7, 9}, Le32(1) + QByteArray("\x02\x00", 2) + Le32(7) + Le32(9), 12 + 2 + 8},
        {Sequence(65534), Le32(1) + QByteArray("\xFE\xFF", 2) + Le32(1), 12 + 2 + 4 * 65534},
        {Sequence(65535), Le32(1) + QByteArray("\xFF\xFF", 2) + Le32(65535) + Le32(1), 12 + 2 + 4 + 4 * 65535},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ids.size());
        CDragObject object(5, 42);
        object.m_ids = c.ids;
        const QByteArray bytes = object.Serialize();
        EXPECT_EQ(bytes.size(), c.size);
        EXPECT_EQ(bytes.left(8), Le32(5) + Le32(42));
        EXPECT_EQ(bytes.mid(8, c.head.size()), c.head);

        CDragObject read;
        ASSERT_TRUE(read.Deserialize(bytes));
        EXPECT_EQ(read.m_kind, 5);
        EXPECT_EQ(read.m_id, 42);
        EXPECT_EQ(read.m_ids, c.ids);
    }
}

TEST(DragObject, NoIdsEmptiesTheList)
{
    CDragObject object(8, 3);
    object.m_ids = {1, 2, 3};
    ASSERT_TRUE(object.Deserialize(Le32(10) + Le32(11) + Le32(0)));
    EXPECT_EQ(object.m_kind, 10);
    EXPECT_EQ(object.m_id, 11);
    EXPECT_TRUE(object.m_ids.isEmpty());
}

TEST(DragObject, DamagedFormsAreRefusedAndChangeNothing)
{
    CDragObject source(10, 4);
    source.m_ids = {4, 5, 6};
    const QByteArray good = source.Serialize();

    QList<QByteArray> damaged;
    for (qsizetype length = 0; length < good.size(); ++length)
        damaged << good.left(length);
    damaged << good + '\0'
            << Le32(1) + Le32(2) + Le32(2)                                           // has-ids neither 0 nor 1
            << Le32(1) + Le32(2) + Le32(1) + QByteArray("\x03\x00", 2) + Le32(1)      // count beyond the bytes
            << Le32(1) + Le32(2) + Le32(1) + QByteArray("\xFF\xFF", 2) + Le32(-1)     // negative wide count
            << Le32(1) + Le32(2) + Le32(1) + QByteArray("\xFF\xFF", 2) + Le32(0x40000000) + Le32(1);
    for (const QByteArray& bytes : damaged) {
        CDragObject object(2, 3);
        object.m_ids = {9};
        EXPECT_FALSE(object.Deserialize(bytes)) << bytes.toHex().toStdString();
        EXPECT_EQ(object.m_kind, 2);
        EXPECT_EQ(object.m_id, 3);
        EXPECT_EQ(object.m_ids, QList<qint32>{9});
    }
}

TEST(DragObject, PayloadIsReadOnlyInItsOwnProgramAndProject)
{
    CDragObject source(8, 12);
    source.m_ids = {12, 13};
    const std::unique_ptr<QMimeData> data = source.CreateMimeData(kProject);
    ASSERT_TRUE(CDragObject::HasPayload(data.get()));
    EXPECT_TRUE(data->formats().contains(QStringLiteral("DiVezeVozizu")));

    CDragObject read;
    EXPECT_EQ(CDragObject::ReadMimeData(data.get(), kProject, read), CDragObject::ReadResult::Accepted);
    EXPECT_EQ(read.m_kind, 8);
    EXPECT_EQ(read.m_ids, (QList<qint32>{12, 13}));

    CDragObject untouched(1, 1);
    EXPECT_EQ(CDragObject::ReadMimeData(data.get(), QStringLiteral("/home/u/Other.kv4#1"), untouched),
              CDragObject::ReadResult::OtherProject);
    EXPECT_EQ(CDragObject::ReadMimeData(data.get(), QString(), untouched), CDragObject::ReadResult::OtherProject);
    EXPECT_EQ(untouched.m_kind, 1);

    QMimeData plain;
    plain.setText(QStringLiteral("8|12|"));
    EXPECT_EQ(CDragObject::ReadMimeData(&plain, kProject, untouched), CDragObject::ReadResult::NoPayload);
    EXPECT_EQ(CDragObject::ReadMimeData(nullptr, kProject, untouched), CDragObject::ReadResult::NoPayload);

    // The same bytes stamped by another running program: its instance text
    // differs in one character.
    const QByteArray payload = data->data(QStringLiteral("DiVezeVozizu"));
    const QString instance = CDragObject::ProgramInstance().toString();
    QByteArray foreign = payload;
    const qsizetype digit = 4 + 2 * 1;   // first hex digit after "{"
    foreign[digit] = foreign[digit] == 'a' ? 'b' : 'a';
    QMimeData other;
    other.setData(QStringLiteral("DiVezeVozizu"), foreign);
    EXPECT_EQ(CDragObject::ReadMimeData(&other, kProject, untouched), CDragObject::ReadResult::OtherProgram);
    EXPECT_EQ(instance.size(), 38);

    // Every truncation is refused as damaged or foreign, never read.
    for (qsizetype length = 0; length < payload.size(); ++length) {
        QMimeData cut;
        cut.setData(QStringLiteral("DiVezeVozizu"), payload.left(length));
        EXPECT_NE(CDragObject::ReadMimeData(&cut, kProject, untouched), CDragObject::ReadResult::Accepted) << length;
    }
    EXPECT_EQ(untouched.m_kind, 1);
}

TEST(DragObject, ClipboardCarriesThePayload)
{
    CDragObject source(5, 77);
    source.m_ids = {77};
    source.CopyToClipboard(kProject);
    CDragObject read;
    EXPECT_EQ(CDragObject::ReadClipboard(QStringLiteral("another project"), read),
              CDragObject::ReadResult::OtherProject);
    ASSERT_EQ(CDragObject::ReadClipboard(kProject, read), CDragObject::ReadResult::Accepted);
    EXPECT_EQ(read.m_id, 77);
    EXPECT_EQ(read.m_ids, QList<qint32>{77});
    QGuiApplication::clipboard()->clear();
}
