// The whole-project merge on a small project P holding every kind it moves:
// content compared by names, paths, positions and texts (never keys), a
// project merged into itself, failures injected into the writes, and
// sources that must be refused with both files left byte for byte.

#include "exchange/exchangetesting.h"
#include "document/docfixture.h"
#include "document/listnotifyinfo.h"
#include "document/rowfields.h"
#include "exchange/projectmerge.h"
#include "foundation/serialbuffer.h"
#include "store/projectschema.h"
#include "store/storedmodel.h"
#include "visual/modelimage.h"
#include "visual/modelreferences.h"

#include <QFile>

#include <algorithm>
#include <tuple>

namespace {

using namespace doctest;

using testutil::FailingEngine;
using namespace exchangetest;

class ProjectMergeTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        merge.SetModelReferenceMapper(&RemapModelReferences);
        doc.SetMergeService(&merge);
        source = dir.file(QStringLiteral("P.kv4"));
    }

    // ---- Building P ----------------------------------------------------------

    /// P: groups, a document of each kind (one outside any group), variables
    /// of each type, a code tree, codings with weight, comment and a PDF
    /// area, memos of each source, a link pair and an external link, a set,
    /// media marks, a code set and a stored model naming a document and a
    /// code.
    void BuildP()
    {
        path = source;
        NewProject();
        const qint32 interviews = doc.NewDocumentGroupNamed(QStringLiteral("Interviews"));
        const qint32 papers = doc.NewDocumentGroupNamed(QStringLiteral("Papers"));
        const QByteArray longText = RtfOf({QStringLiteral("First paragraph of the interview with some words in it"),
                                           QStringLiteral("Second paragraph, longer than fifty characters for sure"),
                                           QStringLiteral("Third")});
        anna = doc.NewDocument(interviews, QStringLiteral("Anna"), longText, QStringLiteral("anna.mp3"));
        const qint32 ben = doc.NewDocument(interviews, QStringLiteral("Ben"), RtfOf({QStringLiteral("Ben speaks")}), {});
        pdf = doc.NewExternalDocument(papers, QStringLiteral("Paper"), QByteArray("%PDF-1.4 a paper", 16),
                                      DocumentKind::Pdf);
        const qint32 loose = doc.NewDocument(0, QStringLiteral("Loose"), RtfOf({QStringLiteral("No group")}), {});
        const qint32 picture = doc.NewExternalDocument(papers, QStringLiteral("Picture"), QByteArray(300, 'p'),
                                                       DocumentKind::Picture);
        ASSERT_TRUE(anna && ben && pdf && loose && picture);

        age = AddVariable(QStringLiteral("Age"), FieldType::Integer);
        AddVariable(QStringLiteral("City"), FieldType::ShortText);
        AddVariable(QStringLiteral("Score"), FieldType::Real);
        AddVariable(QStringLiteral("Seen"), FieldType::DateTime);
        AddVariable(QStringLiteral("Member"), FieldType::Boolean);
        SetValues(anna, {{QStringLiteral("Age"), QStringLiteral("42")},
                         {QStringLiteral("City"), QStringLiteral("Köln")},
                         {QStringLiteral("Score"), QStringLiteral("2.5")},
                         {QStringLiteral("Member"), QStringLiteral("1")}});
        SetValues(ben, {{QStringLiteral("Age"), QStringLiteral("7")}});

        emotions = doc.NewCode({0, QStringLiteral("Emotions"), 3});
        joy = doc.NewCode({emotions, QStringLiteral("Joy"), 0});
        const qint32 anger = doc.NewCode({emotions, QStringLiteral("Anger"), 5});
        const qint32 topics = doc.NewCode({0, QStringLiteral("Topics"), 0});
        ASSERT_TRUE(emotions && joy && anger && topics);

        Code(anna, joy, 0, 5, 80, QStringLiteral("laughs"));
        Code(anna, anger, 3, 20, 10, {});
        Code(ben, topics, 0, 4, 0, {});
        ASSERT_TRUE(AddPdfArea(doc, pdf, topics, 50));

        bool created = false;
        ASSERT_TRUE(doc.GetCodeMemo(joy, created, true, RtfOf({QStringLiteral("Joy memo")})));
        ASSERT_TRUE(doc.GetDocumentMemo(anna, created, true, RtfOf({QStringLiteral("Anna memo")})));
        ASSERT_TRUE(doc.GetGroupMemo(interviews, created, true, RtfOf({QStringLiteral("Group memo")})));
        const qint32 free = doc.NewMemo(QStringLiteral("Free"), QStringLiteral("me"), doc.Now(),
                                        RtfOf({QStringLiteral("Free memo")}));
        ASSERT_TRUE(free);
        SetCodewords(free, {joy, anger});
        ASSERT_TRUE(doc.NewDocumentMemo(anna, 1, 30, 2));
        ASSERT_TRUE(doc.GetProjectMemo(created, true, RtfOf({QStringLiteral("Project memo")})));

        ASSERT_TRUE(AddLinks(doc, anna, ben));

        ASSERT_TRUE(doc.NewDocumentSet(QStringLiteral("Selection")));
        const qint32 set = db().GetLastKey(TopicId::DocumentSets);
        ASSERT_TRUE(doc.AddDocumentSetMember(anna, set, 0) && doc.AddDocumentSetMember(pdf, set, 1));
        bool setMemoCreated = false;
        ASSERT_TRUE(doc.GetSetMemo(set, setMemoCreated, true, RtfOf({QStringLiteral("Set memo")})));

        ASSERT_TRUE(doc.AddMediaMarks(anna, {{anna, 0, 0, QStringLiteral("00:00:01.000"), QStringLiteral("00:00:04.500")},
                                             {anna, 0, 40, QStringLiteral("00:00:04.500"), {}}}));
        const qint32 firstMark = db().GetLastKey(TopicId::MediaMarks);
        RowBuffer mark;
        ASSERT_TRUE(db().ReadRow(TopicId::MediaMarks, firstMark, mark, false));
        ASSERT_TRUE(rowfields::SetText(mark, MediaMarkField::Comment, QStringLiteral("a comment")) &&
                    mark.Commit(false, false));

        doc.NewCodeSet(QStringLiteral("Code set"));

        StoredModel model;
        model.Name = QStringLiteral("Map");
        ModelContent content;
        ModelObject document;
        document.Id = 1;
        document.RefTopic = TopicId::Documents;
        document.RefId = anna;
        ModelObject code = document;
        code.Id = 2;
        code.RefTopic = TopicId::Codes;
        code.RefId = joy;
        ModelObject free2 = document;
        free2.Id = 3;
        free2.RefTopic = 0;
        free2.RefId = 0;
        free2.Label = QStringLiteral("Idea");
        content.Objects = {document, code, free2};
        content.LastObjectId = 3;
        ASSERT_TRUE(WriteModelImage(content, model.Data));
        ASSERT_TRUE(db().WriteModel(model));
        frame.ExitCommand();
    }

    qint32 AddVariable(const QString& name, qint32 type) { return AddDocumentVariable(doc, name, type); }
    void SetValues(qint32 document, const QList<std::pair<QString, QString>>& values)
    {
        SetVariableValues(db(), document, values);
    }

    void Code(qint32 document, qint32 code, qint32 start, qint32 finish, qint32 weight, const QString& comment)
    {
        CodingRecord record;
        record.TextID = document;
        record.WordID = code;
        record.StartChar = start;
        record.FinishChar = finish;
        record.Weight = weight;
        record.Comment = comment;
        record.Text = RtfOf({QStringLiteral("segment %1-%2").arg(start).arg(finish)});
        qint32 action = -1;
        bool written = false;
        doc.AddCoding(record, action, OverlapMode::Replace, &written, false);
        ASSERT_TRUE(written);
    }

    void SetCodewords(qint32 memo, const QList<qint32>& codes)
    {
        RowBuffer row;
        ASSERT_TRUE(db().ReadRow(TopicId::Memos, memo, row, false));
        QByteArray bytes;
        for (const qint32 code : codes)
            bytes.append(reinterpret_cast<const char*>(&code), sizeof code);
        ASSERT_TRUE(rowfields::SetBlob(row, MemoField::Codewords, bytes) && row.Commit(true, false));
    }

    // ---- Describing a project without keys ----------------------------------

    QString Int(qint32 topic, qint32 key, qint32 field) { return QString::number(db().GetIntValue(topic, key, field)); }
    QString Text(qint32 topic, qint32 key, qint32 field) { return rowfields::TextOfKey(db(), topic, key, field); }
    QString Blob(qint32 topic, qint32 key, qint32 field) { return QString::fromLatin1(BlobOf(db(), topic, key, field).toHex()); }
    QList<qint32> Keys(qint32 topic) { return KeysOf(db(), topic); }
    QString CodePath(qint32 code) { return CodePathIn(db(), code); }
    QString DocumentName(qint32 document)
    {
        const qint32 group = db().GetIntValue(TopicId::Documents, document, DocumentField::GroupID);
        return (group ? Text(TopicId::DocumentGroups, group, GroupField::Name) : QStringLiteral("-")) + u'/' +
               Text(TopicId::Documents, document, DocumentField::Name);
    }
    QString MemoText(qint32 memo) { return memo ? Text(TopicId::Memos, memo, MemoField::Title) + u':' + Blob(TopicId::Memos, memo, MemoField::Text) : QString(); }
    QString Reference(qint32 topic, qint32 key)
    {
        switch (topic) {
        case TopicId::Documents: return QStringLiteral("document ") + DocumentName(key);
        case TopicId::Codes: return QStringLiteral("code ") + CodePath(key);
        case 0: return QStringLiteral("free");
        default: return QStringLiteral("topic %1").arg(topic);
        }
    }

    /// Every merged object, sorted; counters as stored.
    QStringList Describe()
    {
        QStringList lines;
        for (const qint32 group : Keys(TopicId::DocumentGroups))
            lines << QStringLiteral("group %1 state %2 memo %3")
                         .arg(Text(TopicId::DocumentGroups, group, GroupField::Name),
                              Int(TopicId::DocumentGroups, group, GroupField::State),
                              MemoText(db().GetIntValue(TopicId::DocumentGroups, group, GroupField::MemoID)));
        QList<qint32> variables;
        db().GetUserFieldIds(TopicId::Documents, variables);
        for (const qint32 document : Keys(TopicId::Documents)) {
            QStringList values;
            for (const qint32 field : std::as_const(variables)) {
                FieldDescriptor descriptor;
                db().GetFieldDescriptor(TopicId::Documents, field, descriptor);
                values << descriptor.Name + u'=' + ValueOf(db(), TopicId::Documents, document, field);
            }
            values.sort();
            lines << QStringLiteral("document %1 kind %2 size %3 media %4 codes %5 memos %6 memo %7 text %8 %9")
                         .arg(DocumentName(document), Int(TopicId::Documents, document, DocumentField::DocType),
                              Int(TopicId::Documents, document, DocumentField::Size),
                              Text(TopicId::Documents, document, DocumentField::MediaFile),
                              Int(TopicId::Documents, document, DocumentField::Codes),
                              Int(TopicId::Documents, document, DocumentField::Memos),
                              MemoText(db().GetIntValue(TopicId::Documents, document, DocumentField::MemoID)),
                              Blob(TopicId::Documents, document, DocumentField::Text), values.join(u','));
        }
        for (const qint32 code : Keys(TopicId::Codes))
            lines << QStringLiteral("code %1 colour %2 codings %3 memo %4")
                         .arg(CodePath(code), Int(TopicId::Codes, code, CodeField::Type),
                              Int(TopicId::Codes, code, CodeField::Codes),
                              MemoText(db().GetIntValue(TopicId::Codes, code, CodeField::MemoID)));
        for (const qint32 coding : Keys(TopicId::Codings)) {
            QStringList fields;
            for (const qint32 field : {CodingField::StartChar, CodingField::FinishChar, CodingField::StartPara,
                                       CodingField::FinishPara, CodingField::Weight, CodingField::PosX1,
                                       CodingField::PosX2, CodingField::Page, CodingField::IsText})
                fields << Int(TopicId::Codings, coding, field);
            lines << QStringLiteral("coding %1 %2 %3 comment %4 group %5 text %6")
                         .arg(DocumentName(db().GetIntValue(TopicId::Codings, coding, CodingField::Document)),
                              CodePath(db().GetIntValue(TopicId::Codings, coding, CodingField::Code)), fields.join(u' '),
                              Text(TopicId::Codings, coding, CodingField::Comment),
                              Int(TopicId::Codings, coding, CodingField::Group) ==
                                      Int(TopicId::Documents,
                                          db().GetIntValue(TopicId::Codings, coding, CodingField::Document),
                                          DocumentField::GroupID)
                                  ? QStringLiteral("of its document")
                                  : QStringLiteral("other"),
                              Blob(TopicId::Codings, coding, CodingField::Text));
        }
        for (const qint32 memo : Keys(TopicId::Memos)) {
            if (db().GetIntValue(TopicId::Memos, memo, MemoField::Source) == MemoSource::Project ||
                db().GetIntValue(TopicId::Memos, memo, MemoField::SetID) != 0)
                continue;  // not merged
            QStringList codes;
            const QByteArray list = BlobOf(db(), TopicId::Memos, memo, MemoField::Codewords);
            for (qsizetype at = 0; at + 4 <= list.size(); at += 4) {
                qint32 code;
                std::memcpy(&code, list.constData() + at, 4);
                codes << CodePath(code);
            }
            const qint32 document = db().GetIntValue(TopicId::Memos, memo, MemoField::Document);
            lines << QStringLiteral("memo %1 of %2 pos %3 page %4 source %5 codes %6")
                         .arg(MemoText(memo), document ? DocumentName(document) : QStringLiteral("-"),
                              Int(TopicId::Memos, memo, MemoField::Pos), Int(TopicId::Memos, memo, MemoField::Page),
                              Int(TopicId::Memos, memo, MemoField::Source), codes.join(u','));
        }
        for (const qint32 link : Keys(TopicId::Links)) {
            const qint32 partner = db().GetIntValue(TopicId::Links, link, LinkField::LinkID);
            const QString to = partner > 0 ? DocumentName(db().GetIntValue(TopicId::Links, partner, LinkField::Document)) +
                                                 u'@' + Int(TopicId::Links, partner, LinkField::StartChar)
                                           : QString::number(partner);
            lines << QStringLiteral("link %1@%2-%3 to %4 text %5")
                         .arg(DocumentName(db().GetIntValue(TopicId::Links, link, LinkField::Document)),
                              Int(TopicId::Links, link, LinkField::StartChar),
                              Int(TopicId::Links, link, LinkField::FinishChar), to,
                              Blob(TopicId::Links, link, LinkField::Text));
        }
        for (const qint32 set : Keys(TopicId::DocumentSets)) {
            QStringList members;
            for (const qint32 member : Keys(TopicId::DocumentSetMembers))
                if (db().GetIntValue(TopicId::DocumentSetMembers, member, SetMemberField::SetID) == set)
                    members << DocumentName(db().GetIntValue(TopicId::DocumentSetMembers, member, SetMemberField::ObjectID));
            members.sort();
            lines << QStringLiteral("set %1: %2").arg(Text(TopicId::DocumentSets, set, GroupField::Name), members.join(u','));
        }
        for (const qint32 mark : Keys(TopicId::MediaMarks))
            lines << QStringLiteral("mark %1@%2 %3-%4")
                         .arg(DocumentName(db().GetIntValue(TopicId::MediaMarks, mark, MediaMarkField::Document)),
                              Int(TopicId::MediaMarks, mark, MediaMarkField::StartChar),
                              Int(TopicId::MediaMarks, mark, MediaMarkField::Begin),
                              Int(TopicId::MediaMarks, mark, MediaMarkField::End));
        QList<qint32> models;
        QStringList names;
        db().ListModels(models, names);
        for (const qint32 id : std::as_const(models)) {
            StoredModel model;
            model.ID = id;
            ModelContent content;
            EXPECT_TRUE(db().ReadModel(model) && ReadModelImage(model.Data, content));
            QStringList objects;
            for (const ModelObject& object : content.Objects)
                objects << Reference(object.RefTopic, object.RefId);
            lines << QStringLiteral("model %1: %2").arg(model.Name, objects.join(u','));
        }
        lines.sort();
        return lines;
    }

    /// Every row of every stored topic with its key and every field, and the
    /// field names: what memory holds.
    QStringList Dump()
    {
        QStringList lines;
        for (const qint32 topic : kStoredTopics) {
            const TopicTable* table = db().GetTable(topic);
            QStringList names;
            for (int i = 0; i < table->Fields().Count(); ++i)
                names << table->Fields().GetAt(i)->Name;
            lines << names.join(u'|');
            for (const qint32 key : Keys(topic)) {
                QStringList values;
                for (int i = 0; i < table->Fields().Count(); ++i)
                    values << ValueOf(db(), topic, key, table->Fields().GetAt(i)->ID);
                lines << QString::number(topic) + u':' + values.join(u'|');
            }
        }
        return lines;
    }

    void ExpectCountersRecounted() { exchangetest::ExpectCountersRecounted(db()); }

    bool Merge(const QString& file, bool replace)
    {
        std::unique_ptr<MergeSource> opened = doc.OpenMergeSource(file);
        return opened && doc.MergeProject(*opened, replace);
    }

    /// P's content as P holds it, with what a merge leaves out dropped.
    QStringList DescribeP()
    {
        path = source;
        EXPECT_TRUE(frame.OpenCommand(source));
        QStringList lines = Describe();
        frame.ExitCommand();
        return lines;
    }

    ProjectMerge merge;
    QString source;
    qint32 anna = 0;
    qint32 pdf = 0;
    qint32 age = 0;
    qint32 emotions = 0;
    qint32 joy = 0;
};

TEST_F(ProjectMergeTest, IntoAnEmptyProjectEverythingArrivesAsItWas)
{
    BuildP();
    const QStringList expected = DescribeP();
    const QByteArray sourceBytes = BytesOf(source);

    path = dir.file(QStringLiteral("Target.kv4"));
    NewProject();
    ASSERT_TRUE(Merge(source, false)) << messages.texts.join(u'\n').toStdString();
    EXPECT_EQ(Describe(), expected);
    ExpectCountersRecounted();
    // Left out: code sets, the set's memo, the project memo, mark comments.
    EXPECT_EQ(db().GetRowCount(TopicId::CodeSets), 0);
    for (const qint32 memo : Keys(TopicId::Memos)) {
        EXPECT_NE(db().GetIntValue(TopicId::Memos, memo, MemoField::Source), MemoSource::Project);
        EXPECT_EQ(db().GetIntValue(TopicId::Memos, memo, MemoField::SetID), 0);
    }
    for (const qint32 mark : Keys(TopicId::MediaMarks))
        EXPECT_EQ(Text(TopicId::MediaMarks, mark, MediaMarkField::Comment), QString());
    // The windows start afresh once, after the commit.
    const std::vector<std::string> calls = log.Take();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "pane.ResetContent()"), 1) << testing::PrintToString(calls);

    // What was merged is in the file, and the source was never written.
    const QStringList merged = Describe();
    Reopen();
    EXPECT_EQ(Describe(), merged);
    EXPECT_EQ(BytesOf(source), sourceBytes);
}

TEST_F(ProjectMergeTest, ACopyMergedIntoItselfDoublesAllButTheCodes)
{
    BuildP();
    const QString copy = dir.file(QStringLiteral("Copy.kv4"));
    ASSERT_TRUE(QFile::copy(source, copy));
    // The copy's code memo differs, to tell which one stays.
    path = copy;
    ASSERT_TRUE(frame.OpenCommand(copy));
    bool created = false;
    const qint32 copyMemo = doc.GetCodeMemo(joy, created, false);
    RowBuffer row;
    ASSERT_TRUE(copyMemo && db().ReadRow(TopicId::Memos, copyMemo, row, false));
    ASSERT_TRUE(rowfields::SetBlob(row, MemoField::Text, RtfOf({QStringLiteral("Copy's memo")})) && row.Commit(true, false));
    frame.ExitCommand();
    const QString pristine = dir.file(QStringLiteral("Pristine.kv4.bak"));
    ASSERT_TRUE(QFile::copy(source, pristine));

    for (const bool replace : {false, true}) {
        SCOPED_TRACE(replace);
        QFile::remove(source);
        ASSERT_TRUE(QFile::copy(pristine, source));
        path = source;
        ASSERT_TRUE(frame.OpenCommand(source));
        const qint32 codes = db().GetRowCount(TopicId::Codes);
        const QList<qint32> oldDocuments = Keys(TopicId::Documents);
        const QList<qint32> oldLinks = Keys(TopicId::Links);
        ASSERT_TRUE(Merge(copy, replace)) << messages.texts.join(u'\n').toStdString();

        EXPECT_EQ(db().GetRowCount(TopicId::Codes), codes);
        EXPECT_EQ(db().GetRowCount(TopicId::Documents), 2 * oldDocuments.size());
        EXPECT_EQ(db().GetRowCount(TopicId::DocumentGroups), 4);
        EXPECT_EQ(db().GetRowCount(TopicId::DocumentSets), 2);
        EXPECT_EQ(db().GetRowCount(TopicId::DocumentSetMembers), 4);
        EXPECT_EQ(db().GetRowCount(TopicId::MediaMarks), 4);
        EXPECT_EQ(db().GetRowCount(TopicId::Codings), 8);
        EXPECT_EQ(db().GetRowCount(TopicId::Links), 2 * oldLinks.size());
        ExpectCountersRecounted();
        EXPECT_EQ(db().GetIntValue(TopicId::Codes, joy, CodeField::Codes), 2);

        // The new pair points at its new partner, the old one is untouched.
        for (const qint32 link : Keys(TopicId::Links)) {
            const qint32 partner = db().GetIntValue(TopicId::Links, link, LinkField::LinkID);
            if (partner <= 0)
                continue;
            EXPECT_EQ(oldLinks.contains(link), oldLinks.contains(partner)) << link;
            EXPECT_EQ(db().GetIntValue(TopicId::Links, partner, LinkField::LinkID), link);
        }
        // With replace the copy's memo text wins, without it the project's own.
        const qint32 memo = db().GetIntValue(TopicId::Codes, joy, CodeField::MemoID);
        EXPECT_EQ(BlobOf(db(), TopicId::Memos, memo, MemoField::Text),
                  RtfOf({replace ? QStringLiteral("Copy's memo") : QStringLiteral("Joy memo")}));

        // The new model names the new document and the same code.
        QList<qint32> models;
        QStringList names;
        ASSERT_TRUE(db().ListModels(models, names));
        ASSERT_EQ(models.size(), 2);
        StoredModel model;
        model.ID = models.last();
        ModelContent content;
        ASSERT_TRUE(db().ReadModel(model) && ReadModelImage(model.Data, content));
        ASSERT_EQ(content.Objects.size(), 3u);
        EXPECT_EQ(content.Objects[0].RefTopic, TopicId::Documents);
        EXPECT_FALSE(oldDocuments.contains(content.Objects[0].RefId));
        EXPECT_EQ(DocumentName(content.Objects[0].RefId), QStringLiteral("Interviews/Anna"));
        EXPECT_EQ(content.Objects[1].RefId, joy);
        EXPECT_EQ(content.Objects[2].RefTopic, 0);
        frame.ExitCommand();
    }
}

TEST_F(ProjectMergeTest, AVariableRenamedOnceIsReusedByTheNextMerge)
{
    BuildP();
    path = dir.file(QStringLiteral("Target.kv4"));
    NewProject();
    // A text variable named like P's integer one.
    AddFieldNotifyInfo info;
    info.topic = TopicId::Documents;
    info.field.Name = QStringLiteral("age");
    info.field.Type = FieldType::ShortText;
    info.field.State = FieldState::UserVariable;
    doc.HandleAddField(info);
    ASSERT_TRUE(info.result);

    ASSERT_TRUE(Merge(source, false));
    ASSERT_TRUE(Merge(source, false));
    FieldDescriptor field;
    ASSERT_TRUE(db().FindFieldByName(TopicId::Documents, QStringLiteral("Age (1)"), field));
    EXPECT_EQ(field.Type, FieldType::Integer);
    EXPECT_FALSE(db().FindFieldByName(TopicId::Documents, QStringLiteral("Age (2)"), field));
    QStringList values;
    for (const qint32 document : Keys(TopicId::Documents))
        if (Text(TopicId::Documents, document, DocumentField::Name) == QStringLiteral("Anna"))
            values << ValueOf(db(), TopicId::Documents, document, field.ID);
    EXPECT_EQ(values, QStringList({QStringLiteral("42"), QStringLiteral("42")}));
    // The new field survives a reopen: it was part of the committed merge.
    Reopen();
    EXPECT_TRUE(db().FindFieldByName(TopicId::Documents, QStringLiteral("Age (1)"), field));
}

TEST_F(ProjectMergeTest, AFailingWriteLeavesMemoryWindowsAndFileAsBefore)
{
    BuildP();
    const QString target = dir.file(QStringLiteral("Target.kv4"));
    path = target;
    NewProject();
    // A variable the merge must add, so that rolling back takes a column.
    AddFieldNotifyInfo info;
    info.topic = TopicId::Documents;
    info.field.Name = QStringLiteral("Age");
    info.field.Type = FieldType::ShortText;
    info.field.State = FieldState::UserVariable;
    doc.HandleAddField(info);
    ASSERT_TRUE(info.result);
    doc.NewDocumentGroupNamed(QStringLiteral("Own group"));
    frame.ExitCommand();
    const QString pristine = dir.file(QStringLiteral("Target.kv4.bak"));
    ASSERT_TRUE(QFile::copy(target, pristine));

    const auto openFailing = [&](qint32 failAt) { return OpenFailingCopy(doc, pristine, target, failAt); };
    // How many writes a whole merge makes.
    FailingEngine* counting = openFailing(0);
    ASSERT_TRUE(Merge(source, false));
    const qint32 total = counting->writes;
    ASSERT_GT(total, 20);
    frame.ExitCommand();

    for (const qint32 failAt : {1, total / 2, total}) {
        SCOPED_TRACE(failAt);
        openFailing(0);
        frame.ExitCommand();
        const QByteArray before = BytesOf(target);
        openFailing(0);
        const QStringList memory = Dump();
        frame.ExitCommand();

        FailingEngine* failing = openFailing(failAt);
        log.Take();
        messages.texts.clear();
        EXPECT_FALSE(Merge(source, false));
        EXPECT_EQ(failing->writes, failAt);
        EXPECT_EQ(messages.texts.size(), 1) << messages.texts.join(u'\n').toStdString();
        EXPECT_EQ(log.Take(), std::vector<std::string>());
        EXPECT_EQ(Dump(), memory);
        frame.ExitCommand();
        EXPECT_EQ(BytesOf(target), before);
    }
}

TEST_F(ProjectMergeTest, DuplicateLinksAndMemosOfADocumentAreFound)
{
    BuildP();
    path = source;
    ASSERT_TRUE(frame.OpenCommand(source));
    // P's link pair starts at 2-6 in Anna, on page 1; its memo at 30 is on page 1.
    EXPECT_FALSE(doc.IsNewDocumentLink(anna, 1, 2, 6, 0, 0));
    for (const auto& [page, start, finish, x1] : {std::tuple{2, 2, 6, 0}, {1, 3, 6, 0}, {1, 2, 7, 0}, {1, 2, 6, 1}})
        EXPECT_TRUE(doc.IsNewDocumentLink(anna, page, start, finish, x1, 0)) << start << finish << x1;
    EXPECT_TRUE(doc.IsNewDocumentLink(pdf, 1, 2, 6, 0, 0));
    qint32 positionMemo = 0;
    for (const qint32 memo : Keys(TopicId::Memos))
        if (db().GetIntValue(TopicId::Memos, memo, MemoField::Pos) == 30)
            positionMemo = memo;
    ASSERT_NE(positionMemo, 0);
    const QString title = Text(TopicId::Memos, positionMemo, MemoField::Title);
    EXPECT_FALSE(doc.IsNewDocumentMemo(anna, 1, 30, title, &db()));
    EXPECT_TRUE(doc.IsNewDocumentMemo(anna, 2, 30, title));
    EXPECT_TRUE(doc.IsNewDocumentMemo(anna, 1, 31, title));
    EXPECT_TRUE(doc.IsNewDocumentMemo(anna, 1, 30, title + u'x'));
    frame.ExitCommand();
}

struct RefusedCase {
    const char* name;
    std::function<void(const QString& file)> spoil;
};

TEST_F(ProjectMergeTest, RefusedSourcesLeaveBothFilesAsTheyWere)
{
    AllowInconsistentProject();  // the spoilt copies
    BuildP();
    const QString version = QLatin1String(schema::kVersionKey);
    const QList<RefusedCase> cases = {
        {"truncated", [](const QString& file) { QFile f(file); ASSERT_TRUE(f.resize(f.size() / 2)); }},
        {"cut blob",
         [](const QString& file) {
             ASSERT_TRUE(projecttest::ExecOnFile(file, {QStringLiteral("UPDATE [Texts] SET [Text]=substr([Text],1,12) WHERE [Name]='Anna';")}));
         }},
        {"missing table",
         [](const QString& file) { ASSERT_TRUE(projecttest::ExecOnFile(file, {QStringLiteral("DROP TABLE [Codings];")})); }},
        {"newer schema",
         [version](const QString& file) {
             ASSERT_TRUE(projecttest::ExecOnFile(file, {QStringLiteral("UPDATE [sys_Setup] SET [Value]='999999' WHERE [Key]='%1';").arg(version)}));
         }},
        {"exchange file",
         [](const QString& file) {
             ASSERT_TRUE(projecttest::ExecOnFile(file, {QStringLiteral("UPDATE [sys_Setup] SET [Value]='EXCHANGE' WHERE [Key]='%1';").arg(QLatin1String(schema::kDataTypeKey))}));
         }},
        {"no project",
         [](const QString& file) {
             QFile f(file);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
             f.write("just some text\n");
         }},
    };
    const QString target = dir.file(QStringLiteral("Target.kv4"));
    path = target;
    NewProject();
    doc.NewDocumentGroupNamed(QStringLiteral("Own group"));
    frame.ExitCommand();
    // Closing stores the settings, so the target is compared with the same
    // open and close without a merge.
    const QString pristine = dir.file(QStringLiteral("Target.kv4.bak"));
    ASSERT_TRUE(QFile::copy(target, pristine));
    const auto restore = [&] {
        QFile::remove(target);
        ASSERT_TRUE(QFile::copy(pristine, target));
    };
    restore();
    ASSERT_TRUE(frame.OpenCommand(target));
    frame.ExitCommand();
    const QByteArray targetBytes = BytesOf(target);
    for (const RefusedCase& refused : cases) {
        SCOPED_TRACE(refused.name);
        const QString file = dir.file(QStringLiteral("Spoilt %1.kv4").arg(QLatin1String(refused.name)));
        ASSERT_TRUE(QFile::copy(source, file));
        refused.spoil(file);
        const QByteArray spoilt = BytesOf(file);
        restore();
        ASSERT_TRUE(frame.OpenCommand(target));
        messages.texts.clear();
        log.Take();
        EXPECT_FALSE(doc.OpenMergeSource(file));
        EXPECT_EQ(messages.texts.size(), 1);
        EXPECT_EQ(log.Take(), std::vector<std::string>());
        frame.ExitCommand();
        EXPECT_EQ(BytesOf(file), spoilt);
        EXPECT_EQ(BytesOf(target), targetBytes);
        EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("*-wal"), QStringLiteral("*-shm")}, QDir::Files), QStringList());
    }

    // The open project itself, and one that another program holds open.
    ASSERT_TRUE(frame.OpenCommand(target));
    messages.texts.clear();
    EXPECT_FALSE(doc.OpenMergeSource(target));
    EXPECT_EQ(messages.texts.size(), 1);
    ProjectDataEngine holder;
    ASSERT_TRUE(holder.Open(source));
    ASSERT_TRUE(holder.SetSetupValue(QStringLiteral("Held"), QStringLiteral("1")));
    messages.texts.clear();
    EXPECT_FALSE(doc.OpenMergeSource(source));
    EXPECT_EQ(messages.texts.size(), 1);
    holder.Close();
}

}  // namespace
