#include "browser/browseritems.h"

#include "browser/browserids.h"
#include "foundation/linktarget.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"

namespace {

// Field ids of the rows the browser copies that the store names nowhere else.
namespace MemoRowField {
constexpr qint32 ID = 0;
constexpr qint32 Type = 6;
constexpr qint32 Author = 9;
constexpr qint32 Date = 10;
constexpr qint32 Preview = 13;
constexpr qint32 Page = 14;
}  // namespace MemoRowField
namespace LinkRowField {
constexpr qint32 ID = 0;
constexpr qint32 TextID = 1;
constexpr qint32 StartChar = 2;
constexpr qint32 FinishChar = 3;
constexpr qint32 Text = 5;
constexpr qint32 PosX1 = 6;
constexpr qint32 PosX2 = 7;
constexpr qint32 Page = 8;
constexpr qint32 IsText = 9;
}  // namespace LinkRowField

class RowReader {
public:
    explicit RowReader(RowBuffer& row) : m_row(row) {}
    qint32 Int(qint32 id)
    {
        FieldValue value;
        return m_row.GetFieldValue(id, value) ? value.GetInt() : 0;
    }
    QString Text(qint32 id)
    {
        FieldValue value;
        return m_row.GetFieldValue(id, value) ? value.GetText() : QString();
    }
    OleDate Date(qint32 id)
    {
        FieldValue value;
        return m_row.GetFieldValue(id, value) ? value.GetDate() : OleDate{};
    }
    QByteArray Blob(qint32 id)
    {
        FieldValue value;
        if (!m_row.GetFieldValue(id, value) || !value.GetBlob())
            return {};
        return *value.GetBlob();
    }

private:
    RowBuffer& m_row;
};

}  // namespace

bool CodingRecordFromRow(RowBuffer& row, CodingRecord& record)
{
    if (row.IsEmpty())
        return false;
    record.CopyFrom(row, true);
    return true;
}

bool MemoRowFromRow(RowBuffer& row, MemoRow& memo)
{
    if (row.IsEmpty())
        return false;
    RowReader read(row);
    memo.ID = read.Int(MemoRowField::ID);
    memo.GroupID = read.Int(MemoField::GroupID);
    memo.TextID = read.Int(MemoField::Document);
    memo.Paragraph = read.Int(MemoField::Paragraph);
    memo.WordID = read.Int(MemoField::Code);
    memo.SetID = read.Int(MemoField::SetID);
    memo.Type = read.Int(MemoRowField::Type);
    memo.Pos = read.Int(MemoField::Pos);
    memo.Title = read.Text(MemoField::Title);
    memo.Author = read.Text(MemoRowField::Author);
    memo.Date = read.Date(MemoRowField::Date);
    memo.Preview = read.Text(MemoRowField::Preview);
    memo.Page = read.Int(MemoRowField::Page);
    memo.Source = read.Int(MemoField::Source);
    return true;
}

bool LinkRowFromRow(RowBuffer& row, LinkRow& link)
{
    if (row.IsEmpty())
        return false;
    RowReader read(row);
    link.ID = read.Int(LinkRowField::ID);
    link.TextID = read.Int(LinkRowField::TextID);
    link.StartChar = read.Int(LinkRowField::StartChar);
    link.FinishChar = read.Int(LinkRowField::FinishChar);
    link.LinkID = read.Int(LinkField::LinkID);
    link.Text = read.Blob(LinkRowField::Text);
    link.PosX1 = read.Int(LinkRowField::PosX1);
    link.PosX2 = read.Int(LinkRowField::PosX2);
    link.Page = read.Int(LinkRowField::Page);
    link.IsText = read.Int(LinkRowField::IsText);
    return true;
}

qint32 LinkTypeOf(const LinkRow& link)
{
    if (link.LinkID != -1)
        return LinkType::Anchor;
    return LinkTargetText(link.Text).endsWith(QLatin1String(".kml"), Qt::CaseInsensitive) ? LinkType::Geo
                                                                                          : LinkType::External;
}
