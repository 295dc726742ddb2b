#pragma once

// A small project for the lexical search, the autocoding of search hits and
// the rich-text outputs, with the lexical engine registered, a retrieval
// service that counts runs and a word table writer that records counts.
//
// Rich text "Report" (paragraphs):
//   1 "Dr. Who works at home. Is it work? Yes!"
//   2 "A second paragraph with work and more work."
//   3 "See the site for work."   ("site" is a hyperlink whose hidden
//                                  instruction holds positions before it)
//   4 "Nothing here."
//   5 "Last work line"
// PDF "Scan": page 1 "Alpha work beta", page 2 "More work".
// Table "Sheet" of 2 x 2 cells: "work a" | "b" / "c. Some work here. End" | "".
// Dictionary: category Jobs (number 5): "work" whole word; category Eco
// (number 7): "<(alp)" and "Home" matching case, and "here" of Type 1
// (not searched).

#include "common/pdfbuilder.h"
#include "common/recordingretrieval.h"
#include "document/documentids.h"
#include "document/objectstest.h"
#include "foundation/richtexthelpers.h"
#include "foundation/tabledata.h"
#include "platform/rtf/richeditctrlex.h"
#include "retrieval/lexicalengine.h"

#include <map>
#include <tuple>

namespace lexicaltest {

using doctest::FieldValues;

/// Records what the category search tallies: (entry, column) -> count.
class RecordingTally : public IWordTally {
public:
    void AddWordHits(qint32 entry, qint32 column, qint32 count) override { counts[{entry, column}] += count; }
    std::map<std::pair<qint32, qint32>, qint32> counts;
};

class LexicalTest : public doctest::ObjectsTest {
protected:
    void SetUp() override
    {
        ObjectsTest::SetUp();
        BuildOptionDefinitions();
        engine.SetFileOpener([this](const QString& file) {
            opened.append(file);
            return true;
        });
        doc.SetLexicalService(&engine);
        doc.SetRetrievalService(&retrieval);
        doc.SetWordTally(&tally);
        Build();
        log.Take();
    }
    void TearDown() override
    {
        doc.SetLexicalService(nullptr);
        doc.SetRetrievalService(nullptr);
        doc.SetWordTally(nullptr);
        BuildOptionDefinitions();
        ObjectsTest::TearDown();
    }

    static QByteArray ReportRtf()
    {
        return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 "
               "Dr. Who works at home. Is it work? Yes!\\par "
               "A second paragraph with work and more work.\\par "
               "See the {\\field{\\*\\fldinst HYPERLINK \"http://example.org\"}{\\fldrslt site}} for work.\\par "
               "Nothing here.\\par "
               "Last work line}";
    }

    void Build()
    {
        group = doc.NewDocumentGroupNamed(QStringLiteral("G"));
        report = doc.NewDocument(group, QStringLiteral("Report"), ReportRtf(), QString());
        const QByteArray pdf =
            testutil::MakePdf(QSizeF(400, 300), {testutil::TextLines({QStringLiteral("Alpha work beta")}),
                                                 testutil::TextLines({QStringLiteral("More work")})});
        scan = doc.NewExternalDocument(group, QStringLiteral("Scan"), pdf, DocumentKind::Pdf);
        CTableData table;
        table.Create(2, 2);
        table.SetCell(0, 0, QStringLiteral("work a"));
        table.SetCell(0, 1, QStringLiteral("b"));
        table.SetCell(1, 0, QStringLiteral("c. Some work here. End"));
        QByteArray bytes;
        table.SaveToBytes(bytes);
        sheet = doc.NewExternalDocument(group, QStringLiteral("Sheet"), bytes, DocumentKind::Table);
        CodeRecord record;
        record.name = QStringLiteral("Auto");
        code = doc.NewCode(record);
        ASSERT_TRUE(group && report && scan && sheet && code);

        jobs = Category(QStringLiteral("Jobs"), 5);
        eco = Category(QStringLiteral("Eco"), 7);
        workEntry = Entry(jobs, QStringLiteral("work"), true, false, false);
        alpEntry = Entry(eco, QStringLiteral("<(alp)"), false, false, false);
        homeEntry = Entry(eco, QStringLiteral("Home"), false, true, false);
        Entry(eco, QStringLiteral("here"), false, false, false, 1);

        std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
        const QByteArray rtf = ReportRtf();
        edit->StreamInRtf(&rtf, false);
        reportText = edit->TextMap().text();
    }

    qint32 Category(const QString& name, qint32 number)
    {
        return doctest::AddRow(db(), TopicId::DictionaryCategories,
                               {{CategoryField::Type, 0}, {CategoryField::Name, name}, {CategoryField::Number, number}});
    }
    qint32 Entry(qint32 category, const QString& word, bool whole, bool matchCase, bool wordStart, qint32 type = 0)
    {
        return doctest::AddRow(db(), TopicId::DictionaryEntries,
                               {{EntryField::Category, category},
                                {EntryField::Column, type},
                                {EntryField::Text, word},
                                {EntryField::Flag1, whole ? 1 : 0},
                                {EntryField::Flag2, matchCase ? 1 : 0},
                                {EntryField::Flag3, wordStart ? 1 : 0}});
    }
    /// A row of the search-hit table as the find commands write it.
    qint32 Hit(qint32 document, qint32 start, qint32 end, qint32 page, qint32 paragraph, qint32 type = 0)
    {
        return doctest::AddRow(db(), TopicId::SearchHits,
                               {{SearchHitField::Type, type},
                                {SearchHitField::Document, document},
                                {SearchHitField::Text, QStringLiteral("work")},
                                {SearchHitField::Start, start},
                                {SearchHitField::End, end},
                                {SearchHitField::Page, page},
                                {SearchHitField::Paragraph, paragraph}});
    }
    /// A hit of the n-th "work" (from 0) in the report's text.
    qint32 ReportHit(int n, qint32 paragraph = 1)
    {
        qsizetype at = -1;
        for (int k = 0; k <= n; ++k)
            at = reportText.indexOf(QStringLiteral("work"), at + 1);
        return Hit(report, qint32(at), qint32(at + 4), 1, paragraph);
    }

    retrieval::LexicalEngine engine;
    testutil::RecordingRetrieval retrieval;
    RecordingTally tally;
    QStringList opened;
    QString reportText;
    qint32 group = 0, report = 0, scan = 0, sheet = 0, code = 0;
    qint32 jobs = 0, eco = 0, workEntry = 0, alpEntry = 0, homeEntry = 0;
};

}  // namespace lexicaltest
