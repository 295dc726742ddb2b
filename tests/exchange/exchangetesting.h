#pragma once

// Helpers the tests of the merge and of the teamwork exchange share: file
// bytes, variables and their values, code paths, counters against a
// recount, and a project reopened from a pristine copy with an engine that
// fails on cue.

#include "common/failingengine.h"
#include "document/docfixture.h"
#include "document/listnotifyinfo.h"
#include "document/rowfields.h"

#include <QFile>

namespace exchangetest {

inline QByteArray BytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QByteArray Utf16(const QString& text)
{
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

inline QList<qint32> KeysOf(const TopicDatabase& db, qint32 topic)
{
    QList<qint32> keys;
    db.GetAllKeys(topic, keys);
    return keys;
}

/// The code's names from the top down, joined by a backslash.
inline QString CodePathIn(const TopicDatabase& db, qint32 code)
{
    QStringList names;
    for (int depth = 0; code && depth < 100; ++depth) {
        names.prepend(rowfields::TextOfKey(db, TopicId::Codes, code, CodeField::Name));
        code = db.GetIntValue(TopicId::Codes, code, CodeField::Parent);
    }
    return names.join(QLatin1Char('\\'));
}

/// A new user variable of documents; its id, 0 when refused.
inline qint32 AddDocumentVariable(CKorDoc& doc, const QString& name, qint32 type)
{
    AddFieldNotifyInfo info;
    info.topic = TopicId::Documents;
    info.field.Name = name;
    info.field.Type = type;
    info.field.State = FieldState::UserVariable;
    doc.HandleAddField(info);
    EXPECT_TRUE(info.result) << name.toStdString();
    return info.result ? info.field.ID : 0;
}

/// Sets the document's variables by name from texts.
inline void SetVariableValues(TopicDatabase& db, qint32 document, const QList<std::pair<QString, QString>>& values)
{
    RowBuffer row;
    ASSERT_TRUE(db.ReadRow(TopicId::Documents, document, row, false));
    for (const auto& [name, text] : values) {
        FieldDescriptor field;
        ASSERT_TRUE(db.FindFieldByName(TopicId::Documents, name, field));
        ASSERT_TRUE(row.SetFieldText(field.ID, text));
    }
}

/// Each counter against a recount of the rows (codings of code 0 never count).
inline void ExpectCountersRecounted(const TopicDatabase& db)
{
    QHash<qint32, qint32> documentCodings, documentMemos, codeCodings;
    for (const qint32 coding : KeysOf(db, TopicId::Codings)) {
        if (const qint32 code = db.GetIntValue(TopicId::Codings, coding, CodingField::Code)) {
            ++documentCodings[db.GetIntValue(TopicId::Codings, coding, CodingField::Document)];
            ++codeCodings[code];
        }
    }
    for (const qint32 memo : KeysOf(db, TopicId::Memos))
        ++documentMemos[db.GetIntValue(TopicId::Memos, memo, MemoField::Document)];
    for (const qint32 document : KeysOf(db, TopicId::Documents)) {
        EXPECT_EQ(db.GetIntValue(TopicId::Documents, document, DocumentField::Codes), documentCodings.value(document));
        EXPECT_EQ(db.GetIntValue(TopicId::Documents, document, DocumentField::Memos), documentMemos.value(document));
    }
    for (const qint32 code : KeysOf(db, TopicId::Codes))
        EXPECT_EQ(db.GetIntValue(TopicId::Codes, code, CodeField::Codes), codeCodings.value(code));
}

/// A coding of an area on page 2 of a PDF document; true when written.
inline bool AddPdfArea(CKorDoc& doc, qint32 pdf, qint32 code, qint32 weight)
{
    CodingRecord area;
    area.TextID = pdf;
    area.WordID = code;
    area.IsText = 0;
    area.Page = 2;
    area.PosX1 = 10;
    area.PosX2 = 90;
    area.StartChar = 20;
    area.FinishChar = 60;
    area.Weight = weight;
    qint32 action = -1;
    bool written = false;
    doc.AddCoding(area, action, OverlapMode::Replace, &written, false);
    return written;
}

/// A link pair between two documents and an external link of the first.
inline bool AddLinks(CKorDoc& doc, qint32 first, qint32 second)
{
    CKorDoc::LinkRecord from;
    from.TextID = first;
    from.StartChar = 2;
    from.FinishChar = 6;
    CKorDoc::LinkRecord to;
    to.TextID = second;
    to.StartChar = 1;
    to.FinishChar = 3;
    CKorDoc::LinkRecord external;
    external.TextID = first;
    external.StartChar = 8;
    external.FinishChar = 12;
    external.LinkID = -1;
    external.Text = Utf16(QStringLiteral("https://example.org/"));
    return doc.AddLink(from) && doc.AddLink(to) && doc.AddLink(external);
}

/// The target made again from the pristine copy and opened with an engine
/// that fails at write failAt (0: none); null when it did not open.
inline testutil::FailingEngine* OpenFailingCopy(CKorDoc& doc, const QString& pristine, const QString& target,
                                                qint64 failAt)
{
    QFile::remove(target);
    EXPECT_TRUE(QFile::copy(pristine, target));
    auto engine = std::make_unique<testutil::FailingEngine>();
    EXPECT_TRUE(engine->Open(target));
    testutil::FailingEngine* raw = engine.get();
    if (!doc.OpenProject(std::move(engine), false))
        return nullptr;
    raw->writes = 0;
    raw->failAt = failAt;
    return raw;
}

}  // namespace exchangetest
