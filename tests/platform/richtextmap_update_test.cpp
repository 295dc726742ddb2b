// The position map kept current through edits: after every edit the map
// that followed the document's change reports answers exactly as one built
// anew over the whole document, and its report of the change turns the old
// rich-edit text into the new one.
#include "common/testutil.h"
#include "platform/rtf/richeditctrlex.h"
#include "platform/rtf/richtextmap.h"
#include "platform/rtf/rtfformat.h"
#include "platform/rtf/rtfreader.h"

#include <QAbstractTextDocumentLayout>
#include <QDirIterator>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <gtest/gtest.h>

#include <random>

namespace {

/// Where the two maps answer differently; empty when they agree.
QString Difference(const rtf::RichTextMap& followed, const rtf::RichTextMap& built, int documentEnd)
{
    if (followed.text() != built.text())
        return QStringLiteral("text\n  followed: %1\n  built:    %2")
            .arg(testutil::ShowControls(followed.text()), testutil::ShowControls(built.text()));
    for (int p = -1; p <= built.length() + 1; ++p)
        if (followed.toDocument(p) != built.toDocument(p))
            return QStringLiteral("toDocument(%1): %2, built %3").arg(p).arg(followed.toDocument(p)).arg(built.toDocument(p));
    for (int d = -1; d <= documentEnd + 1; ++d)
        if (followed.fromDocument(d) != built.fromDocument(d))
            return QStringLiteral("fromDocument(%1): %2, built %3").arg(d).arg(followed.fromDocument(d)).arg(built.fromDocument(d));
    return {};
}

/// A document read from RTF whose map follows each change the document
/// reports, as the rich-edit control keeps its own.
class FollowedDocument {
public:
    explicit FollowedDocument(const QByteArray& rtf)
    {
        m_ok = rtf::ReadRtf(rtf, m_document).ok;
        m_map = rtf::RichTextMap(m_document);
        QObject::connect(&m_document, &QTextDocument::contentsChange, &m_document,
                         [this](int position, int removed, int added) { Follow(position, removed, added); });
        // A new layout reports the whole text as added, though nothing changed.
        m_document.documentLayout();
    }

    bool Ok() const { return m_ok; }
    QTextDocument& Document() { return m_document; }
    const rtf::RichTextMap& Map() const { return m_map; }
    int Refusals() const { return m_refusals; }
    int Changes() const { return m_changes; }
    /// The first report that did not turn the old text into the new one.
    const QString& BadReport() const { return m_badReport; }

private:
    void Follow(int position, int removed, int added)
    {
        ++m_changes;
        const QString before = m_map.text();
        rtf::RichTextMap::TextChange change;
        if (!m_map.update(m_document, position, removed, added, &change)) {
            ++m_refusals;
            m_map = rtf::RichTextMap(m_document);
            return;
        }
        QString replaced = before;
        replaced.replace(change.start, change.removed, m_map.text().mid(change.start, change.added));
        if (replaced != m_map.text() && m_badReport.isEmpty())
            m_badReport = QStringLiteral("change %1 -%2 +%3").arg(change.start).arg(change.removed).arg(change.added);
    }

    QTextDocument m_document;
    rtf::RichTextMap m_map;
    QString m_badReport;
    int m_refusals = 0;
    int m_changes = 0;
    bool m_ok = false;
};

/// Random edits of the kinds a user and the codec make, half of them at the
/// edges of tables.
class Editor {
public:
    Editor(QTextDocument& document, unsigned seed) : m_document(document), m_random(seed) {}

    /// One edit; its description.
    QString Edit()
    {
        const int kind = Pick(12);
        QTextCursor cursor(&m_document);
        cursor.setPosition(Position());
        switch (kind) {
        case 0:
        case 1: {
            static const QString kChars = QStringLiteral("ab c,.:/w") + QChar::ParagraphSeparator
                                          + QChar::LineSeparator + u'\t' + QChar(0xFC) + QChar(0x20AC);
            QString text;
            for (int i = Pick(6) + 1; i > 0; --i)
                text += kChars[Pick(int(kChars.size()))];
            cursor.insertText(text);
            return QStringLiteral("type %1 at %2").arg(testutil::ShowControls(text)).arg(cursor.position());
        }
        case 2:
        case 3: {
            const int from = cursor.position();
            cursor.setPosition(std::min(End(), from + 1 + Pick(kind == 2 ? 3 : 40)), QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
            return QStringLiteral("delete from %1").arg(from);
        }
        case 4:
            if (Pick(2) == 0)
                cursor.deletePreviousChar();
            else
                cursor.deleteChar();
            return QStringLiteral("delete one at %1").arg(cursor.position());
        case 5: {
            QTextTable* table = cursor.insertTable(1 + Pick(2), 1 + Pick(3));
            table->cellAt(0, 0).firstCursorPosition().insertText(QStringLiteral("cell"));
            return QStringLiteral("table at %1").arg(table->firstPosition());
        }
        case 6: {
            static const char* const kSnippets[] = {
                R"({\rtf1\ansi see {\field{\*\fldinst{HYPERLINK "https://example.org/x"}}{\fldrslt{\ul link}}} here})",
                R"({\rtf1\ansi a{\v hidden}b\par c})",
                R"({\rtf1\ansi\trowd\cellx1000\cellx2000\intbl x\cell y\cell\row\pard z})",
                R"({\rtf1\ansi one\par two\line three})",
            };
            const int snippet = Pick(4);
            rtf::InsertRtf(QByteArray(kSnippets[snippet]), cursor);
            return QStringLiteral("snippet %1").arg(snippet);
        }
        case 7: {
            QTextTable* table = AnyTable();
            if (!table)
                return QStringLiteral("no table");
            switch (Pick(5)) {
            case 0: table->insertRows(Pick(table->rows() + 1), 1); return QStringLiteral("insert row");
            case 1:
                if (table->rows() > 1)
                    table->removeRows(Pick(table->rows()), 1);
                return QStringLiteral("remove row");
            case 2: table->insertColumns(Pick(table->columns() + 1), 1); return QStringLiteral("insert column");
            case 3:
                if (table->columns() > 1)
                    table->removeColumns(Pick(table->columns()), 1);
                return QStringLiteral("remove column");
            default:
                if (table->columns() > 1) {
                    table->mergeCells(0, 0, 1, 2);
                    return QStringLiteral("merge cells");
                }
                return QStringLiteral("no merge");
            }
        }
        case 8: {
            cursor.setPosition(std::min(End(), cursor.position() + 1 + Pick(20)), QTextCursor::KeepAnchor);
            QTextCharFormat format;
            rtf::SetHidden(format, Pick(2) == 0);
            cursor.mergeCharFormat(format);
            return QStringLiteral("hide or show");
        }
        case 9:
            cursor.insertBlock();
            return QStringLiteral("paragraph at %1").arg(cursor.position());
        case 10:
            m_document.undo();
            return QStringLiteral("undo");
        default:
            m_document.redo();
            return QStringLiteral("redo");
        }
    }

private:
    int Pick(int n) { return int(m_random() % unsigned(std::max(1, n))); }
    int End() const { return std::max(0, m_document.characterCount() - 1); }

    QTextTable* AnyTable()
    {
        QList<QTextTable*> tables;
        for (QTextFrame* frame : m_document.rootFrame()->childFrames())
            if (auto* table = qobject_cast<QTextTable*>(frame))
                tables.append(table);
        return tables.isEmpty() ? nullptr : tables[Pick(int(tables.size()))];
    }

    /// Anywhere, or just before, at or after a table's start, end or a cell.
    int Position()
    {
        QTextTable* table = Pick(2) == 0 ? AnyTable() : nullptr;
        int position = Pick(End() + 1);
        if (table) {
            const QTextTableCell cell = table->cellAt(Pick(table->rows()), Pick(table->columns()));
            const int anchors[] = {table->firstPosition() - 1, table->lastPosition() + 1, cell.firstPosition(),
                                   cell.lastPosition()};
            position = anchors[Pick(4)] + Pick(3) - 1;
        }
        return std::clamp(position, 0, End());
    }

    QTextDocument& m_document;
    std::mt19937 m_random;
};

QList<QPair<QString, QByteArray>> Texts()
{
    QList<QPair<QString, QByteArray>> texts = {
        {"table at start", R"({\rtf1\ansi\trowd\cellx1000\intbl a\cell\row z})"},
        {"empty paragraph before table", R"({\rtf1\ansi\par\trowd\cellx1000\intbl a\cell\row})"},
        {"two tables", R"({\rtf1\ansi\trowd\cellx1000\intbl a\cell\row\pard\par\trowd\cellx1000\intbl b\cell\row\pard end})"},
        {"link and hidden", R"({\rtf1\ansi See {\field{\*\fldinst{HYPERLINK "http://x.org/a"}}{\fldrslt the page}} {\v now}\par})"},
        {"empty", R"({\rtf1\ansi })"},
    };
    QDirIterator files(testutil::DataPath(QStringLiteral("rtf")), {QStringLiteral("*.rtf")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        texts.append({path.mid(path.indexOf(QStringLiteral("rtf/"))), testutil::ReadFile(path)});
    }
    return texts;
}

TEST(RichTextMapUpdate, FollowedMapAnswersAsMapBuiltAnew)
{
    const auto texts = Texts();
    ASSERT_GT(texts.size(), 10);
    for (const auto& [name, rtfBytes] : texts) {
        FollowedDocument followed(rtfBytes);
        ASSERT_TRUE(followed.Ok()) << name.toStdString();
        Editor editor(followed.Document(), unsigned(qHash(name)));
        for (int step = 0; step < 120; ++step) {
            const QString edit = editor.Edit();
            const rtf::RichTextMap built(followed.Document());
            const QString difference =
                Difference(followed.Map(), built, std::max(0, followed.Document().characterCount() - 1));
            ASSERT_TRUE(difference.isEmpty()) << name.toStdString() << ", step " << step << " (" << edit.toStdString()
                                              << "): " << difference.toStdString();
        }
        EXPECT_TRUE(followed.BadReport().isEmpty()) << name.toStdString() << ": " << followed.BadReport().toStdString();
        EXPECT_EQ(followed.Refusals(), 0) << name.toStdString();
        EXPECT_GT(followed.Changes(), 100) << name.toStdString();
    }
}

// A report that does not fit the document is refused; the map stays as it
// was, to be built anew.
TEST(RichTextMapUpdate, ReportOutsideTheTextIsRefused)
{
    QTextDocument document;
    ASSERT_TRUE(rtf::ReadRtf(QByteArray(R"({\rtf1\ansi one\par two})"), document).ok);
    rtf::RichTextMap map(document);
    EXPECT_FALSE(map.update(document, 50, 0, 3));
    EXPECT_FALSE(map.update(document, -1, 0, 1));
    EXPECT_EQ(map.text(), QStringLiteral("one\rtwo"));
}

// The control answers from the followed map where the document reports
// its changes, and builds it anew where it does not (a document without a
// layout reports none).
TEST(RichTextMapUpdate, ControlFollowsReportedAndUnreportedChanges)
{
    CRichEditCtrlEx control;
    const QByteArray rtf(R"({\rtf1\ansi before\par\trowd\cellx1000\intbl a\cell\row\pard after})");
    control.StreamInRtf(&rtf, false);
    EXPECT_EQ(control.TextMap().text(), QString::fromStdU16String(u"before\r\ufff9\ra\u0007\ufffb\rafter"));
    // No layout: no contentsChange, only contentsChanged.
    control.SetSel(1, 1);
    control.ReplaceSelText(QStringLiteral("X"));
    EXPECT_EQ(control.TextMap().text(), QString::fromStdU16String(u"bXefore\r\ufff9\ra\u0007\ufffb\rafter"));
    control.GetDocument()->documentLayout();
    const int a = int(control.TextMap().text().indexOf(u'a'));
    control.SetSel(a + 1, a + 1);
    control.ReplaceSelText(QStringLiteral("YZ"));
    EXPECT_EQ(control.TextMap().text(), QString::fromStdU16String(u"bXefore\r\ufff9\raYZ\u0007\ufffb\rafter"));
    EXPECT_EQ(control.ToDocumentPosition(a + 2), control.GetDocument()->toRawText().indexOf(u'Z'));
}

}  // namespace
