// The teamwork exchange: a small project sent through an exchange file into
// a stripped copy of itself, compared by names, paths, positions and texts;
// the coding modes; the text-length question; the protocol's bytes; and
// files and failures that must leave project and exchange file as they were.

#include "exchange/exchangetesting.h"
#include "document/docfixture.h"
#include "document/listnotifyinfo.h"
#include "document/rowfields.h"
#include "exchange/exchangeids.h"
#include "exchange/teamexchange.h"
#include "store/projectdataengine.h"

#include <QDir>
#include <QFile>

namespace {

using namespace doctest;
using testutil::FailingEngine;
using namespace exchangetest;

/// Tells how many writes it was asked for when it goes.
class CountingEngine : public FailingEngine {
public:
    explicit CountingEngine(qint64& total) : m_total(total) {}
    ~CountingEngine() override { m_total = writes; }

private:
    qint64& m_total;
};

/// Answers the import's choices as the dialog would preassign them (by
/// name), with the choices the test sets; records what it was given.
class FakeHost : public IExchangeImportHost {
public:
    bool ChooseExchangeImport(const TopicDatabase& exchange, const TopicDatabase& project, const QString& source,
                              const QList<qint32>& candidates, ExchangeChoices& choices) override
    {
        ++asked;
        sourceProject = source;
        offered = candidates.size();
        if (!confirm)
            return false;
        const QMap<qint32, qint32> assignment = choices.assignment;
        choices = answer;
        QList<qint32> documents;
        exchange.GetAllKeys(TopicId::Documents, documents);
        for (const qint32 document : std::as_const(documents))
            for (const qint32 candidate : candidates)
                if (exchange.FormatRowDisplay(TopicId::Documents, document, false) ==
                    project.FormatRowDisplay(TopicId::Documents, candidate, false))
                    choices.assignment.insert(document, candidate);
        return true;
    }
    void OpenProtocol(const QString& path) override { opened.append(path); }

    ExchangeChoices answer;
    bool confirm = true;
    int asked = 0;
    qsizetype offered = 0;
    QString sourceProject;
    QStringList opened;
};

class TeamExchangeTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        doc.SetExchangeService(&exchange);
        exchange.SetProtocolFolder(dir.path());
        doc.SetClock([] { return QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)); });
    }

    // ---- Building P ----------------------------------------------------------

    /// P: a group, rich-text documents, a PDF and a picture, a code tree,
    /// and, when full, overlapping codings, document, code and in-text
    /// memos, a value of each variable type, a link pair and an external link.
    void BuildP(const QString& file, bool full)
    {
        path = file;
        NewProject();
        const qint32 interviews = doc.NewDocumentGroupNamed(QStringLiteral("Interviews"));
        anna = doc.NewDocument(interviews, QStringLiteral("Anna"),
                               RtfOf({QStringLiteral("First paragraph of the interview with some words in it"),
                                      QStringLiteral("Second paragraph, longer than fifty characters for sure")}),
                               {});
        ben = doc.NewDocument(0, QStringLiteral("Ben"), RtfOf({QStringLiteral("Ben speaks")}), {});
        pdf = doc.NewExternalDocument(interviews, QStringLiteral("Paper"), QByteArray("%PDF-1.4 a paper", 16),
                                      DocumentKind::Pdf);
        ASSERT_TRUE(anna && ben && pdf);
        for (const auto& [name, type] : {std::pair{QStringLiteral("Age"), FieldType::Integer},
                                         {QStringLiteral("City"), FieldType::ShortText},
                                         {QStringLiteral("Score"), FieldType::Real},
                                         {QStringLiteral("Seen"), FieldType::DateTime},
                                         {QStringLiteral("Member"), FieldType::Boolean}})
            AddVariable(name, type);
        emotions = NewCode(0, QStringLiteral("Emotions"), 3);
        joy = NewCode(emotions, QStringLiteral("Joy"), 0);
        anger = NewCode(emotions, QStringLiteral("Anger"), 5);
        topics = NewCode(0, QStringLiteral("Topics"), 0);
        ASSERT_TRUE(emotions && joy && anger && topics);
        if (!full) {
            frame.ExitCommand();
            return;
        }
        SetValues(anna, {{QStringLiteral("Age"), QStringLiteral("42")},
                         {QStringLiteral("City"), QStringLiteral("Köln")},
                         {QStringLiteral("Score"), QStringLiteral("2.5")},
                         {QStringLiteral("Seen"), QStringLiteral("2020-05-06 07:08:09")},
                         {QStringLiteral("Member"), QStringLiteral("1")}});
        Code(anna, joy, 0, 5);
        Code(anna, joy, 3, 20);  // overlaps the first: both travel as they are
        Code(anna, anger, 3, 20);
        Code(ben, topics, 0, 4);
        ASSERT_TRUE(AddPdfArea(doc, pdf, topics, 0));
        bool created = false;
        ASSERT_TRUE(doc.GetCodeMemo(joy, created, true, RtfOf({QStringLiteral("Joy memo")})));
        ASSERT_TRUE(doc.GetDocumentMemo(anna, created, true, RtfOf({QStringLiteral("Anna memo")})));
        ASSERT_TRUE(doc.NewDocumentMemo(anna, 1, 30, 2));
        ASSERT_TRUE(AddLinks(doc, anna, ben));
        frame.ExitCommand();
    }

    qint32 NewCode(qint32 parent, const QString& name, qint32 color)
    {
        CodeRecord record;
        record.parent = parent;
        record.name = name;
        record.color = color;
        return doc.NewCode(record);
    }

    void AddVariable(const QString& name, qint32 type) { AddDocumentVariable(doc, name, type); }
    void SetValues(qint32 document, const QList<std::pair<QString, QString>>& values)
    {
        SetVariableValues(db(), document, values);
    }

    void Code(qint32 document, qint32 code, qint32 start, qint32 finish)
    {
        CodingRecord record;
        record.TextID = document;
        record.WordID = code;
        record.StartChar = start;
        record.FinishChar = finish;
        record.StartPara = 1;
        record.FinishPara = 1;
        record.Weight = 40;
        record.Text = RtfOf({QStringLiteral("segment %1-%2").arg(start).arg(finish)});
        qint32 action = -1;
        bool written = false;
        // Free: overlapping codings of one code stay apart.
        doc.AddCoding(record, action, -1, &written, false);
        ASSERT_TRUE(written);
    }

    // ---- Describing a project without keys ----------------------------------

    QList<qint32> Keys(qint32 topic) { return KeysOf(db(), topic); }
    QString Int(qint32 topic, qint32 key, qint32 field) { return QString::number(db().GetIntValue(topic, key, field)); }
    QString Text(qint32 topic, qint32 key, qint32 field) { return rowfields::TextOfKey(db(), topic, key, field); }
    QString Blob(qint32 topic, qint32 key, qint32 field)
    {
        return QString::fromLatin1(BlobOf(db(), topic, key, field).toHex());
    }
    QString CodePath(qint32 code) { return CodePathIn(db(), code); }
    QString DocumentName(qint32 document) { return Text(TopicId::Documents, document, DocumentField::Name); }

    /// What the exchange carries, sorted: codings, document and code memos,
    /// variable values and external links.
    QStringList Describe()
    {
        QStringList lines;
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
            const qint32 memo = db().GetIntValue(TopicId::Documents, document, DocumentField::MemoID);
            lines << QStringLiteral("document %1 values %2 memo %3")
                         .arg(DocumentName(document), values.join(u','),
                              memo ? Blob(TopicId::Memos, memo, MemoField::Text) : QString());
        }
        for (const qint32 code : Keys(TopicId::Codes)) {
            const qint32 memo = db().GetIntValue(TopicId::Codes, code, CodeField::MemoID);
            lines << QStringLiteral("code %1 memo %2")
                         .arg(CodePath(code), memo ? Blob(TopicId::Memos, memo, MemoField::Text) : QString());
        }
        for (const qint32 coding : Keys(TopicId::Codings)) {
            QStringList fields;
            for (const qint32 field : {CodingField::StartChar, CodingField::FinishChar, CodingField::StartPara,
                                       CodingField::FinishPara, CodingField::Weight, CodingField::PosX1,
                                       CodingField::PosX2, CodingField::Page, CodingField::IsText})
                fields << Int(TopicId::Codings, coding, field);
            lines << QStringLiteral("coding %1 %2 %3 text %4")
                         .arg(DocumentName(db().GetIntValue(TopicId::Codings, coding, CodingField::Document)),
                              CodePath(db().GetIntValue(TopicId::Codings, coding, CodingField::Code)),
                              fields.join(u' '), Blob(TopicId::Codings, coding, CodingField::Text));
        }
        for (const qint32 memo : Keys(TopicId::Memos)) {
            const qint32 document = db().GetIntValue(TopicId::Memos, memo, MemoField::Document);
            if (document)
                lines << QStringLiteral("memo %1 of %2 pos %3 page %4")
                             .arg(Text(TopicId::Memos, memo, MemoField::Title), DocumentName(document),
                                  Int(TopicId::Memos, memo, MemoField::Pos), Int(TopicId::Memos, memo, MemoField::Page));
        }
        for (const qint32 link : Keys(TopicId::Links))
            if (db().GetIntValue(TopicId::Links, link, LinkField::LinkID) == -1)
                lines << QStringLiteral("link %1@%2-%3 text %4")
                             .arg(DocumentName(db().GetIntValue(TopicId::Links, link, LinkField::Document)),
                                  Int(TopicId::Links, link, LinkField::StartChar),
                                  Int(TopicId::Links, link, LinkField::FinishChar),
                                  Blob(TopicId::Links, link, LinkField::Text));
        lines.sort();
        return lines;
    }

    QStringList DescribeFile(const QString& file)
    {
        path = file;
        EXPECT_TRUE(frame.OpenCommand(file));
        QStringList lines = Describe();
        frame.ExitCommand();
        return lines;
    }

    void ExpectCountersRecounted() { exchangetest::ExpectCountersRecounted(db()); }

    /// P exported whole into kex, and a stripped copy of P at target,
    /// opened and closed once: from then on its bytes stay as they are.
    void ExportPAndStripCopy(const QString& kex, const QString& target)
    {
        const QString p = dir.file(QStringLiteral("P.kv4"));
        BuildP(p, true);
        path = p;
        ASSERT_TRUE(frame.OpenCommand(p));
        ASSERT_TRUE(Export(kex));
        frame.ExitCommand();
        BuildP(target, false);
        path = target;
        ASSERT_TRUE(frame.OpenCommand(target));
        frame.ExitCommand();
    }

    /// Exports the open project's documents of the scope into the file.
    bool Export(const QString& file, qint32 scope = 0, qint32 id = 0)
    {
        return doc.ExportDocumentsToExchange(file, scope, id);
    }
    bool Import(const QString& file, qint32 scope = 0, qint32 id = 0)
    {
        ExchangeChoices choices;
        return doc.ImportExchangeFile(file, scope, id, host, choices);
    }

    TeamExchange exchange;
    FakeHost host;
    qint32 anna = 0;
    qint32 ben = 0;
    qint32 pdf = 0;
    qint32 emotions = 0;
    qint32 joy = 0;
    qint32 anger = 0;
    qint32 topics = 0;
};

TEST_F(TeamExchangeTest, ARoundTripBringsEverythingIntoAStrippedCopyOnce)
{
    const QString p = dir.file(QStringLiteral("P.kv4"));
    const QString kex = dir.file(QStringLiteral("P.kex"));
    BuildP(p, true);
    path = p;
    ASSERT_TRUE(frame.OpenCommand(p));
    const QStringList expected = Describe();
    ASSERT_TRUE(Export(kex)) << messages.texts.join(u'\n').toStdString();
    frame.ExitCommand();
    const QByteArray exchangeBytes = BytesOf(kex);
    QString type;
    ASSERT_TRUE(ProjectDataEngine::ReadDataType(kex, type));
    EXPECT_EQ(type, QStringLiteral("EXCHANGE"));

    const QString copy = dir.file(QStringLiteral("Copy.kv4"));
    BuildP(copy, false);
    path = copy;
    ASSERT_TRUE(frame.OpenCommand(copy));
    host.answer.protocol = false;
    ASSERT_TRUE(Import(kex)) << messages.texts.join(u'\n').toStdString();
    EXPECT_EQ(host.sourceProject, QStringLiteral("P.kv4"));
    EXPECT_EQ(Describe(), expected);
    ExpectCountersRecounted();
    // Link pairs are not exchanged.
    for (const qint32 link : Keys(TopicId::Links))
        EXPECT_EQ(db().GetIntValue(TopicId::Links, link, LinkField::LinkID), -1);
    // The same file again adds nothing; the file itself was never written.
    ASSERT_TRUE(Import(kex));
    EXPECT_EQ(Describe(), expected);
    frame.ExitCommand();
    EXPECT_EQ(DescribeFile(copy), expected);
    EXPECT_EQ(BytesOf(kex), exchangeBytes);

    // Into P itself, in every mode, every coding stays once.
    path = p;
    for (const qint32 mode : {0, 1, 2, 3}) {
        SCOPED_TRACE(mode);
        ASSERT_TRUE(frame.OpenCommand(p));
        host.answer.codingMode = mode;
        ASSERT_TRUE(Import(kex));
        EXPECT_EQ(Describe(), expected);
        frame.ExitCommand();
    }
}

TEST_F(TeamExchangeTest, IncomingCodingsMeetExistingOnesByMode)
{
    const QByteArray text = RtfOf({QString(100, u'x')});
    const QString source = dir.file(QStringLiteral("Source.kv4"));
    const QString kex = dir.file(QStringLiteral("Source.kex"));
    const QString identicalKex = dir.file(QStringLiteral("Identical.kex"));
    path = source;
    NewProject();
    qint32 document = doc.NewDocument(0, QStringLiteral("D"), text, {});
    qint32 code = NewCode(0, QStringLiteral("C"), 0);
    Code(document, code, 10, 50);
    ASSERT_TRUE(Export(kex));
    frame.ExitCommand();
    path = dir.file(QStringLiteral("Identical.kv4"));
    NewProject();
    document = doc.NewDocument(0, QStringLiteral("D"), text, {});
    code = NewCode(0, QStringLiteral("C"), 0);
    Code(document, code, 30, 80);
    ASSERT_TRUE(Export(identicalKex));
    frame.ExitCommand();

    const QString target = dir.file(QStringLiteral("Target.kv4"));
    const QString pristine = dir.file(QStringLiteral("Target.kv4.bak"));
    path = target;
    NewProject();
    document = doc.NewDocument(0, QStringLiteral("D"), text, {});
    code = NewCode(0, QStringLiteral("C"), 0);
    Code(document, code, 30, 80);
    frame.ExitCommand();
    ASSERT_TRUE(QFile::copy(target, pristine));

    struct Case {
        qint32 mode;
        qint32 start;
        qint32 finish;
    };
    for (const Case& c : {Case{0, 10, 50}, Case{1, 30, 80}, Case{2, 10, 80}, Case{3, 30, 50}}) {
        SCOPED_TRACE(c.mode);
        for (const bool identical : {false, true}) {
            QFile::remove(target);
            ASSERT_TRUE(QFile::copy(pristine, target));
            ASSERT_TRUE(frame.OpenCommand(target));
            host.answer.codingMode = c.mode;
            host.answer.protocol = false;
            ASSERT_TRUE(Import(identical ? identicalKex : kex));
            const QList<qint32> codings = Keys(TopicId::Codings);
            ASSERT_EQ(codings.size(), 1);
            EXPECT_EQ(db().GetIntValue(TopicId::Codings, codings[0], CodingField::StartChar), identical ? 30 : c.start);
            EXPECT_EQ(db().GetIntValue(TopicId::Codings, codings[0], CodingField::FinishChar),
                      identical ? 80 : c.finish);
            ExpectCountersRecounted();
            frame.ExitCommand();
        }
    }
}

TEST_F(TeamExchangeTest, TextsDifferingByOnePercentAskFirst)
{
    struct Case {
        qint32 exchangeLength;
        qint32 projectLength;
        bool asked;
    };
    // Two empty texts are alike too.
    for (const Case& c : {Case{1000, 990, true}, Case{1000, 991, false}, Case{0, 0, false}}) {
        SCOPED_TRACE(c.projectLength);
        const QString kex = dir.file(QStringLiteral("T%1.kex").arg(c.projectLength));
        path = dir.file(QStringLiteral("S%1.kv4").arg(c.projectLength));
        NewProject();
        const qint32 sent = doc.NewDocument(0, QStringLiteral("D"), RtfOf({QString(c.exchangeLength, u'a')}), {});
        const qint32 code = NewCode(0, QStringLiteral("C"), 0);
        if (c.exchangeLength > 0)
            Code(sent, code, 0, 1);
        ASSERT_TRUE(Export(kex));
        frame.ExitCommand();
        path = dir.file(QStringLiteral("P%1.kv4").arg(c.projectLength));
        NewProject();
        doc.NewDocument(0, QStringLiteral("D"), RtfOf({QString(c.projectLength, u'a')}), {});
        messages.texts.clear();
        if (c.asked)
            messages.AddAnswers({MessageAnswer::No});
        ASSERT_TRUE(Import(kex));
        EXPECT_EQ(messages.texts.size(), c.asked ? 1 : 0) << messages.texts.join(u'\n').toStdString();
        if (c.exchangeLength > 0) {
            EXPECT_EQ(db().GetRowCount(TopicId::Codings), c.asked ? 0 : 1);
        }
        // A refused pair is named in the protocol.
        EXPECT_EQ(BytesOf(exchange.ProtocolPath()).contains(Utf16(LoadString(102131))), c.asked);
        frame.ExitCommand();
    }
}

TEST_F(TeamExchangeTest, TheProtocolOfOneAcceptedPairIsWrittenWhole)
{
    const QString kex = dir.file(QStringLiteral("S.kex"));
    path = dir.file(QStringLiteral("S.kv4"));
    NewProject();
    const qint32 sent = doc.NewDocument(0, QStringLiteral("D"), RtfOf({QStringLiteral("Some text")}), {});
    Code(sent, NewCode(0, QStringLiteral("C"), 0), 0, 4);
    ASSERT_TRUE(Export(kex));
    frame.ExitCommand();
    path = dir.file(QStringLiteral("P.kv4"));
    NewProject();
    doc.NewDocument(0, QStringLiteral("D"), RtfOf({QStringLiteral("Some text")}), {});
    host.answer.variables = false;
    host.answer.links = false;
    ASSERT_TRUE(Import(kex));
    ASSERT_EQ(host.opened, QStringList{exchange.ProtocolPath()});
    const QString expected = QStringLiteral("%1\r\n"
                                            "\r\nCodes:\r\n\tC\r\n"
                                            "\r\nMemos (Codes):\r\n"
                                            "\r\nDocuments:\r\n"
                                            "\tD\r\n\tMemos:\r\n\tCodings:\r\n\t\tC (%2: 1-1)\r\n\r\n")
                                 .arg(QLocale().toString(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)),
                                                         QLocale::ShortFormat),
                                      LoadString(ExchangeText::Paragraphs));
    const QByteArray bytes = BytesOf(exchange.ProtocolPath());
    EXPECT_EQ(bytes.left(2), QByteArray("\xFF\xFE", 2));
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2), (bytes.size() - 2) / 2),
              expected);
    EXPECT_EQ(bytes, QByteArray("\xFF\xFE", 2) + Utf16(expected));
}

TEST_F(TeamExchangeTest, ExportingOneDocumentTwiceDoublesItButNotItsCodes)
{
    const QString p = dir.file(QStringLiteral("P.kv4"));
    const QString kex = dir.file(QStringLiteral("Anna"));
    BuildP(p, true);
    path = p;
    ASSERT_TRUE(frame.OpenCommand(p));
    // A new file is made whole, with the name as given.
    ASSERT_TRUE(Export(kex, 2, anna));
    ASSERT_TRUE(Export(kex, 2, anna));
    frame.ExitCommand();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("Anna")),
              QStringList{QStringLiteral("Anna")});
    const QStringList lines = DescribeFile(kex);
    EXPECT_EQ(lines.filter(QStringLiteral("document Anna")).size(), 2);
    // The codes Anna uses, with their parent; no second one.
    EXPECT_EQ(lines.filter(QStringLiteral("code ")),
              (QStringList{QStringLiteral("code Emotions memo "), QStringLiteral("code Emotions\\Anger memo "),
                           QStringLiteral("code Emotions\\Joy memo ") + QString::fromLatin1(RtfOf({QStringLiteral("Joy memo")}).toHex())}));
    EXPECT_EQ(lines.filter(QStringLiteral("coding Anna Emotions\\Joy")).size(), 4);
    ExpectCountersRecounted();
}

TEST_F(TeamExchangeTest, ACodeSystemArrivesByPathKeepingExistingMemos)
{
    const QString p = dir.file(QStringLiteral("P.kv4"));
    const QString ktr = dir.file(QStringLiteral("Codes.ktr"));
    BuildP(p, true);
    path = p;
    ASSERT_TRUE(frame.OpenCommand(p));
    ASSERT_TRUE(doc.ExportCodesToExchange(ktr, Keys(TopicId::Codes)));
    frame.ExitCommand();

    path = dir.file(QStringLiteral("Other.kv4"));
    NewProject();
    const qint32 own = NewCode(0, QStringLiteral("emotions"), 0);
    const qint32 ownJoy = NewCode(own, QStringLiteral("JOY"), 0);
    bool created = false;
    ASSERT_TRUE(doc.GetCodeMemo(ownJoy, created, true, RtfOf({QStringLiteral("Own memo")})));
    ASSERT_TRUE(doc.ImportCodeSystemFromExchange(ktr)) << messages.texts.join(u'\n').toStdString();
    EXPECT_EQ(Describe().filter(QStringLiteral("code ")),
              (QStringList{QStringLiteral("code Topics memo "), QStringLiteral("code emotions memo "),
                           QStringLiteral("code emotions\\Anger memo "),
                           QStringLiteral("code emotions\\JOY memo ") +
                               QString::fromLatin1(RtfOf({QStringLiteral("Own memo")}).toHex())}));
}

TEST_F(TeamExchangeTest, RefusedCancelledAndDamagedImportsLeaveBothFilesAsTheyWere)
{
    const QString kex = dir.file(QStringLiteral("P.kex"));
    const QString target = dir.file(QStringLiteral("Target.kv4"));
    ExportPAndStripCopy(kex, target);
    const QString p = dir.file(QStringLiteral("P.kv4"));  // a project, not an exchange file
    const QByteArray targetBytes = BytesOf(target);

    const QString truncated = dir.file(QStringLiteral("Truncated.kex"));
    QFile cut(truncated);
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(BytesOf(kex).left(BytesOf(kex).size() / 2));
    cut.close();
    const QString text = dir.file(QStringLiteral("Text.kex"));
    QFile plain(text);
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("not a database at all");
    plain.close();

    struct Case {
        const char* name;
        QString file;
        bool confirm;
        bool message;
    };
    for (const Case& c : {Case{"a project", p, true, true}, Case{"cut in half", truncated, true, true},
                          Case{"no database", text, true, true}, Case{"cancelled", kex, false, false}}) {
        SCOPED_TRACE(c.name);
        const QByteArray fileBytes = BytesOf(c.file);
        path = target;
        ASSERT_TRUE(frame.OpenCommand(target));
        log.Take();
        messages.texts.clear();
        host.confirm = c.confirm;
        EXPECT_FALSE(Import(c.file));
        EXPECT_EQ(messages.texts.size(), c.message ? 1 : 0) << messages.texts.join(u'\n').toStdString();
        EXPECT_EQ(log.Take(), std::vector<std::string>());
        frame.ExitCommand();
        EXPECT_EQ(BytesOf(target), targetBytes);
        EXPECT_EQ(BytesOf(c.file), fileBytes);
    }
}

TEST_F(TeamExchangeTest, AFailedImportRollsTheProjectBack)
{
    const QString kex = dir.file(QStringLiteral("P.kex"));
    const QString target = dir.file(QStringLiteral("Target.kv4"));
    const QString pristine = dir.file(QStringLiteral("Target.kv4.bak"));
    ExportPAndStripCopy(kex, target);
    ASSERT_TRUE(QFile::copy(target, pristine));
    host.answer.protocol = false;

    const auto openFailing = [&](qint32 failAt) {
        path = target;
        return OpenFailingCopy(doc, pristine, target, failAt);
    };
    FailingEngine* counting = openFailing(0);
    ASSERT_TRUE(Import(kex));
    const qint32 total = counting->writes;
    ASSERT_GT(total, 10);
    frame.ExitCommand();
    openFailing(0);
    frame.ExitCommand();
    const QByteArray before = BytesOf(target);
    for (const qint32 failAt : {1, total / 2, total}) {
        SCOPED_TRACE(failAt);
        FailingEngine* failing = openFailing(failAt);
        const QStringList memory = Describe();
        log.Take();
        messages.texts.clear();
        EXPECT_FALSE(Import(kex));
        EXPECT_EQ(failing->writes, failAt);
        EXPECT_EQ(messages.texts.size(), 1);
        EXPECT_EQ(log.Take(), std::vector<std::string>());
        EXPECT_EQ(Describe(), memory);
        frame.ExitCommand();
        EXPECT_EQ(BytesOf(target), before);
    }
}

TEST_F(TeamExchangeTest, ExportsIntoRefusedOrFailingFilesLeaveThemAsTheyWere)
{
    const QString p = dir.file(QStringLiteral("P.kv4"));
    BuildP(p, true);
    const QString jet = dir.file(QStringLiteral("Old.kex"));
    QFile old(jet);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray("\0\1\0\0Standard Jet DB\0", 20) + QByteArray(2028, '\0'));
    old.close();
    const QString main = dir.file(QStringLiteral("Main.kv4"));
    ASSERT_TRUE(QFile::copy(p, main));
    const QString existing = dir.file(QStringLiteral("Existing.kex"));
    path = p;
    ASSERT_TRUE(frame.OpenCommand(p));
    ASSERT_TRUE(Export(existing, 2, ben));

    for (const QString& file : {jet, main}) {
        SCOPED_TRACE(file.toStdString());
        const QByteArray bytes = BytesOf(file);
        messages.texts.clear();
        EXPECT_FALSE(Export(file));
        EXPECT_EQ(messages.texts.size(), 1);
        EXPECT_EQ(BytesOf(file), bytes);
    }

    // Failing at the first, a middle and the last write: an existing file
    // stays as it was, a new one never appears.
    // The writes of each export counted on a copy first.
    const QString scratch = dir.file(QStringLiteral("Scratch.kex"));
    ASSERT_TRUE(QFile::copy(existing, scratch));
    qint64 intoExisting = 0;
    qint64 intoNew = 0;
    exchange.SetEngineFactory([&intoExisting] { return std::make_unique<CountingEngine>(intoExisting); });
    ASSERT_TRUE(Export(scratch));
    exchange.SetEngineFactory([&intoNew] { return std::make_unique<CountingEngine>(intoNew); });
    ASSERT_TRUE(Export(dir.file(QStringLiteral("Probe.kex"))));
    ASSERT_GT(intoExisting, 10);
    ASSERT_GT(intoNew, 10);
    const QStringList filesBefore = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    const QByteArray existingBytes = BytesOf(existing);
    for (const int share : {0, 1, 2}) {
        SCOPED_TRACE(share);
        for (const QString& file : {existing, dir.file(QStringLiteral("New.kex"))}) {
            const qint64 total = file == existing ? intoExisting : intoNew;
            const qint64 failAt = share == 0 ? 1 : share == 1 ? total / 2 : total;
            exchange.SetEngineFactory([failAt] {
                auto engine = std::make_unique<FailingEngine>();
                engine->failAt = failAt;
                return engine;
            });
            messages.texts.clear();
            EXPECT_FALSE(Export(file));
            EXPECT_EQ(messages.texts.size(), 1);
            EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), filesBefore);
            EXPECT_EQ(BytesOf(existing), existingBytes);
        }
    }
}

}  // namespace
