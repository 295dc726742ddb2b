// The frame's memo lists, activation resets, coding actions undone, links
// and geo links, code variables, externals extraction and the co-occurring
// codes popup, each chosen from its menu or popup.

#include "app/contextmenus.h"
#include "app/listwindows.h"
#include "app/textviewerdlg.h"
#include "app/toolcommands.h"
#include "browser/textcoderwindow.h"
#include "common/screenshots.h"
#include "document/documentids.h"
#include "document/rowfields.h"
#include "exchange/tableexports.h"
#include "foundation/externalfiles.h"
#include "foundation/linktarget.h"
#include "foundation/optionsrecord.h"
#include "framefixture.h"
#include "panes/listids.h"
#include "panes/objectlistctrl.h"
#include "panes/objectlistwindow.h"
#include "retrieval/lexicalengine.h"
#include "retrieval/retrievalengine.h"
#include "store/topictable.h"
#include "ui/chartwndf.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>

#include <zip.h>

using namespace frametest;
using doctest::AddRow;

namespace {


/// An archive with entry names exactly as given, as a hostile program writes it.
void WriteRawZip(const QString& path, const QList<std::pair<QByteArray, QByteArray>>& entries)
{
    zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    ASSERT_NE(zip, nullptr);
    for (const auto& [name, data] : entries) {
        zip_fileinfo info{};
        info.tmz_date = {0, 0, 12, 1, 0, 2020};
        ASSERT_EQ(zipOpenNewFileInZip64(zip, name.constData(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6, 0),
                  ZIP_OK);
        zipWriteInFileInZip(zip, data.constData(), unsigned(data.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ToolCommandsTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        document.SetRetrievalService(&engine);
        document.SetExportService(&exports);
        document.SetLexicalService(&lexical);
        g_qdaOptions.SetBool(QdaOption::AskBeforeDeleting, true);
        savedFolder = g_qdaOptions.GetString(QdaOption::ExternalsFolder);
        g_qdaOptions.SetValueText(QdaOption::ExternalsFolder, dir.file(QStringLiteral("externals")));
        ShowFrame();
        path = MakeProject(QStringLiteral("Tools.kv4"));
        OpenThroughMenu(path);
        ASSERT_NE(frame->GetDocument(), nullptr) << messages.texts.join(u'\n').toStdString();
        anna = document.NewDocument(0, QStringLiteral("Anna"),
                                    doctest::RtfOf({QStringLiteral("Work is hard"), QStringLiteral("Home is far")}), {});
        ben = document.NewDocument(0, QStringLiteral("Ben"), doctest::RtfOf({QStringLiteral("Rest is good")}), {});
        CodeRecord record;
        for (const char* name : {"Work", "Home", "Rest", "Play"}) {
            record.name = QString::fromLatin1(name);
            codes.append(document.NewCode(record));
        }
        log.Take();
    }
    void TearDown() override
    {
        if (QMenu* menu = frame->ShownToolPopup())
            menu->close();
        if (QMenu* menu = frame->ShownContextMenu())
            menu->close();
        frame->ListWindows().CloseAll();
        FrameTest::TearDown();
        document.SetRetrievalService(nullptr);
        document.SetExportService(nullptr);
        document.SetLexicalService(nullptr);
        g_qdaOptions.SetValueText(QdaOption::ExternalsFolder, savedFolder);
    }
    qint32 Coding(qint32 doc, qint32 code, qint32 start, qint32 end, qint32 action = 0)
    {
        return AddRow(db(), TopicId::Codings,
                      {{CodingField::Document, doc}, {CodingField::Code, code}, {CodingField::StartChar, start},
                       {CodingField::FinishChar, end}, {CodingField::Page, 1}, {1, action}});
    }
    /// Rows of the project file itself, once the program let it go.
    QString FileCount(const QString& table, const QString& where = QString())
    {
        return doctest::QueryRows(path, QStringLiteral("SELECT COUNT(*) FROM [%1]%2").arg(table, where)).value(0);
    }
    void CloseProject()
    {
        frame->CloseProjectUI();
        document.CloseDatabase();
    }
    int Rows(qint32 topic) { return db().GetTable(topic) ? db().GetTable(topic)->GetRowCount() : -1; }
    QMenu* ShownPopup()
    {
        QMenu* menu = frame->ShownToolPopup();
        if (menu)
            EXPECT_TRUE(QTest::qWaitForWindowExposed(menu));
        return menu;
    }
    QStringList Texts(QMenu* menu)
    {
        QStringList texts;
        for (QAction* action : menu->actions())
            texts.append(action->text());
        return texts;
    }
    QString Name(qint32 code) { return db().FormatRowDisplay(TopicId::Codes, code, true); }
    /// Right-clicks the node and clicks the command of its menu.
    void Choose(qint32 kind, qint32 item, int command, qint32 sender = PaneControlId::CodeTree)
    {
        QMenu* menu = RightClick(kind, item, sender);
        ASSERT_NE(menu, nullptr);
        ClickCommandIn(menu, command);
        QCoreApplication::processEvents();
    }
    void SelectInBrowser(qint32 doc, qint32 start, qint32 end)
    {
        ASSERT_TRUE(document.SetOpenDocument(doc, 0));
        frame->BrowserWindow()->SelectSegment(start, end, 1, 0, 0, 1);
        QCoreApplication::processEvents();
    }

    QString path;
    QString savedFolder;
    retrieval::RetrievalEngine engine;
    TableExports exports;
    retrieval::LexicalEngine lexical;
    qint32 anna = 0, ben = 0;
    QList<qint32> codes;
};

// ---- Coding actions -----------------------------------------------------------------

TEST_F(ToolCommandsTest, UndoingTheSecondMostRecentActionRemovesExactlyItsCodings)
{
    const qint32 first = Coding(anna, codes[0], 0, 4);
    Coding(ben, codes[0], 0, 4, first);
    const qint32 second = Coding(anna, codes[1], 5, 7);
    for (const qint32 start : {8, 13})
        Coding(anna, codes[1], start, start + 2, second);
    const qint32 third = Coding(ben, codes[2], 0, 4);
    // The first coding of an action names it.
    for (const qint32 coding : {first, second, third}) {
        RowBuffer row;
        ASSERT_TRUE(db().ReadRow(TopicId::Codings, coding, row, true));
        ASSERT_TRUE(rowfields::SetInt(row, 1, coding));
        ASSERT_TRUE(row.Commit(false, false));
    }
    ASSERT_EQ(Rows(TopicId::Codings), 6);

    ClickMenuCommand(*frame, kEditMenu, ToolCommand::UncodePopup);
    QMenu* popup = ShownPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(Texts(popup), (QStringList{Name(codes[2]) + QStringLiteral("  (1)"), Name(codes[1]) + QStringLiteral("  (3)"),
                                         Name(codes[0]) + QStringLiteral("  (2)")}));
    ClickCommandIn(popup, ToolCommand::UncodeFirst + 1);
    QCoreApplication::processEvents();

    EXPECT_EQ(Rows(TopicId::Codings), 3);

    // The popup now offers what is left, each entry what it removes.
    ClickMenuCommand(*frame, kEditMenu, ToolCommand::UncodePopup);
    popup = ShownPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(Texts(popup), (QStringList{Name(codes[2]) + QStringLiteral("  (1)"), Name(codes[0]) + QStringLiteral("  (2)")}));
    popup->close();

    CloseProject();
    EXPECT_EQ(FileCount(QStringLiteral("Codings")), QStringLiteral("3"));
    EXPECT_EQ(FileCount(QStringLiteral("Codings"), QStringLiteral(" WHERE WordID=%1").arg(codes[1])), QStringLiteral("0"));
    EXPECT_EQ(FileCount(QStringLiteral("Codings"), QStringLiteral(" WHERE WordID=%1").arg(codes[0])), QStringLiteral("2"));
}

TEST_F(ToolCommandsTest, WithoutACodingActionNothingIsOffered)
{
    Coding(anna, codes[0], 0, 4);   // a coding of no action
    EXPECT_FALSE(frame->Commands().QueryState(ToolCommand::UncodePopup).enabled);
    frame->ShowUncodePopup(frame->mapToGlobal(QPoint(100, 100)));
    QCoreApplication::processEvents();
    EXPECT_EQ(frame->ShownToolPopup(), nullptr);
    // Nothing activated: nothing to deactivate.
    for (const int id : {ToolCommand::DeactivateAll, ToolCommand::DeactivateDocuments, ToolCommand::DeactivateCodes})
        EXPECT_FALSE(frame->Commands().QueryState(id).enabled) << id;
}

// ---- Activation ---------------------------------------------------------------------

TEST_F(ToolCommandsTest, TheThreeDeactivationsClearWhatTheyName)
{
    struct Case {
        int command;
        bool documentsCleared;
        bool codesCleared;
    };
    const Case cases[] = {
        {ToolCommand::DeactivateAll, true, true},
        {ToolCommand::DeactivateDocuments, true, false},
        {ToolCommand::DeactivateCodes, false, true},
    };
    for (const Case& c : cases) {
        document.SetItemActivation(1, 0, true, false);
        document.SetItemActivation(7, 0, true, false);
        ASSERT_EQ(document.GetActivatedCount(TopicId::Documents), 2);
        ASSERT_EQ(document.GetActivatedCount(TopicId::Codes), 4);
        ClickMenuCommand(*frame, kAnalysisMenu, c.command);
        QCoreApplication::processEvents();
        EXPECT_EQ(document.GetActivatedCount(TopicId::Documents), c.documentsCleared ? 0 : 2) << c.command;
        EXPECT_EQ(document.GetActivatedCount(TopicId::Codes), c.codesCleared ? 0 : 4) << c.command;
        frame->UpdateStatusBar();
        EXPECT_EQ(frame->StatusPane(30001)->text(), QString::number(c.documentsCleared ? 0 : 2)) << c.command;
        EXPECT_EQ(frame->StatusPane(30002)->text(), QString::number(c.codesCleared ? 0 : 4)) << c.command;
    }
}

TEST_F(ToolCommandsTest, ResetClearsActivationsFunctionAndWeightFilter)
{
    OptionsRecord& settings = document.GetRetrievalSettings();
    settings.retrievalFunction = 3;
    settings.weightFilter = true;
    document.SetItemActivation(1, 0, true, false);
    document.SetItemActivation(7, 0, true, false);
    document.GetProgramLists().codesColorFilter.clear();
    ClickMenuCommand(*frame, kAnalysisMenu, ToolCommand::ResetRetrieval);
    QCoreApplication::processEvents();
    EXPECT_EQ(settings.retrievalFunction, 0);
    EXPECT_FALSE(settings.weightFilter);
    EXPECT_EQ(document.GetActivatedCount(TopicId::Documents), 0);
    EXPECT_EQ(document.GetActivatedCount(TopicId::Codes), 0);
    QList<COLORREF> used;
    document.ListUsedColors(used, TopicId::Codes);
    EXPECT_EQ(document.GetProgramLists().codesColorFilter, QList<quint32>(used.begin(), used.end()));

    const bool before = g_qdaOptions.GetBool(QdaOption::ActivateWithSubcodes);
    ClickMenuCommand(*frame, kAnalysisMenu, ToolCommand::ActivateSubcodes);
    EXPECT_NE(g_qdaOptions.GetBool(QdaOption::ActivateWithSubcodes), before);
}

// ---- Media marks, memos, code variables ---------------------------------------------

TEST_F(ToolCommandsTest, AMediaMarkDeletionDeclinedChangesNothing)
{
    ASSERT_TRUE(document.AddMediaMarks(anna, {{anna, 0, 0, QStringLiteral("00:00:00.000"), QStringLiteral("00:00:05.000")},
                                               {anna, 0, 13, QStringLiteral("00:00:05.000"), QStringLiteral("00:00:09.000")}}));
    QList<qint32> marks;
    db().GetAllKeys(TopicId::MediaMarks, marks);
    ASSERT_EQ(marks.size(), 2);
    const QByteArray before = ReadAll(path);
    messages.AddAnswers({MessageAnswer::No});
    Choose(NodeKind::MediaMark, marks[1], ToolCommand::MediaMarkDelete, 0);
    EXPECT_EQ(Rows(TopicId::MediaMarks), 2);
    EXPECT_EQ(ReadAll(path), before);

    messages.AddAnswers({MessageAnswer::Yes});
    Choose(NodeKind::MediaMark, marks[1], ToolCommand::MediaMarkDelete, 0);
    CloseProject();
    EXPECT_EQ(FileCount(QStringLiteral("MediaMarks")), QStringLiteral("1"));
    // The mark before takes over its end.
    EXPECT_EQ(doctest::QueryRows(path, QStringLiteral("SELECT [End] FROM MediaMarks")),
              QStringList{QStringLiteral("00:00:09.000")});
}

TEST_F(ToolCommandsTest, MemoListsOfTheUserAndOfTheOpenDocument)
{
    const QString user = db().GetUserName();
    const qint32 free = AddRow(db(), TopicId::Memos, {{MemoField::Title, QStringLiteral("Free")}, {MemoField::Author, user.toUpper()}});
    const qint32 ofCode = AddRow(db(), TopicId::Memos, {{MemoField::Code, codes[0]}, {MemoField::Author, user}});
    const qint32 inText = AddRow(db(), TopicId::Memos, {{MemoField::Document, anna}, {MemoField::Paragraph, 2},
                                                        {MemoField::Pos, 14}, {MemoField::Author, user}});
    const qint32 other = AddRow(db(), TopicId::Memos, {{MemoField::Document, anna}, {MemoField::Paragraph, 1},
                                                       {MemoField::Pos, 3}, {MemoField::Author, QStringLiteral("Someone else")}});
    struct Case {
        int command;
        QList<qint32> keys;
        int title;
    };
    const Case cases[] = {
        {ToolCommand::MemosOfUser, {free, ofCode, inText}, ToolText::TitleMemosOfUser},
        {ToolCommand::CodeMemosOfUser, {ofCode}, ToolText::TitleCodeMemosOfUser},
        {ToolCommand::TextMemosOfUser, {inText}, ToolText::TitleTextMemosOfUser},
    };
    for (const Case& c : cases) {
        ClickMenuCommand(*frame, kWindowMenu, c.command);
        ObjectListWindow* window = frame->ListWindows().Window(CListWindows::Memos);
        ASSERT_NE(window, nullptr);
        QList<qint32> shown;
        for (int row = 0; row < window->List1()->RowCount(); ++row)
            shown.append(window->List1()->KeyAt(row));
        std::sort(shown.begin(), shown.end());
        EXPECT_EQ(shown, c.keys) << c.command;
        EXPECT_EQ(window->Title(), LoadString(c.title)) << c.command;
    }

    // The open document's memos need a document in the browser.
    EXPECT_FALSE(frame->Commands().QueryState(ToolCommand::MemosOfOpenDocument).enabled);
    ASSERT_TRUE(document.SetOpenDocument(anna, 0));
    ClickMenuCommand(*frame, kWindowMenu, ToolCommand::MemosOfOpenDocument);
    ObjectListWindow* window = frame->ListWindows().Window(CListWindows::Memos);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->List1()->RowCount(), 2);
    EXPECT_EQ(window->Title(), db().FormatRowDisplay(TopicId::Documents, anna, true));
    Q_UNUSED(other);
}

TEST_F(ToolCommandsTest, AMemoConvertedBecomesADocumentAndGoes)
{
    const qint32 memo = document.NewMemo(QStringLiteral("Field notes"), QStringLiteral("Eva"), {},
                                         doctest::RtfOf({QStringLiteral("Seen at the harbour")}));
    ASSERT_NE(memo, 0);
    const int documentsBefore = Rows(TopicId::Documents);
    Choose(NodeKind::Memo, memo, ToolCommand::MemoCopy, 0);
    EXPECT_EQ(frame->GetContextClipboard().memoToInsert, memo);

    Choose(NodeKind::Memo, memo, ToolCommand::MemoConvert, 0);
    CloseProject();
    EXPECT_EQ(FileCount(QStringLiteral("Memos"), QStringLiteral(" WHERE ID=%1").arg(memo)), QStringLiteral("0"));
    EXPECT_EQ(FileCount(QStringLiteral("Texts")), QString::number(documentsBefore + 1));
    EXPECT_EQ(FileCount(QStringLiteral("Texts"), QStringLiteral(" WHERE Name='Field notes'")), QStringLiteral("1"));
}

TEST_F(ToolCommandsTest, ACategoricalCodeVariableIsMadeAndDeletedOnlyWhenConfirmed)
{
    CodeRecord record;
    record.parent = codes[0];
    record.name = QStringLiteral("Office");
    document.NewCode(record);
    Choose(NodeKind::Code, codes[0], ToolCommand::MakeCategoricalVariable);
    const qint32 variable = document.GetCodeLinkObject(codes[0], true);
    ASSERT_NE(variable, 0);
    ASSERT_NE(frame->ListWindows().Window(CListWindows::Variables), nullptr);

    messages.AddAnswers({MessageAnswer::Cancel});
    Choose(NodeKind::Code, codes[0], ToolCommand::DeleteCategoricalVariable);
    EXPECT_EQ(document.GetCodeLinkObject(codes[0], true), variable);
    messages.AddAnswers({MessageAnswer::Ok});
    Choose(NodeKind::Code, codes[0], ToolCommand::DeleteCategoricalVariable);
    EXPECT_EQ(document.GetCodeLinkObject(codes[0], true), 0);
    ASSERT_EQ(messages.confirmations.size(), 2);
    EXPECT_EQ(messages.confirmations[0].message, LoadString(ToolText::DeleteVariableQuestion));
}

// ---- Externals ----------------------------------------------------------------------

TEST_F(ToolCommandsTest, ExtractionRefusesEscapingEntriesAndKeepsAnExistingFileOnNo)
{
    const QString externals = GetExternalsFolder();
    ASSERT_TRUE(QDir().mkpath(externals));
    {
        QFile old(externals + QStringLiteral("/kept.txt"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    const QString outside = dir.file(QStringLiteral("x"));
    const QString absolute = dir.file(QStringLiteral("absolute.txt"));
    const QString archive = dir.file(QStringLiteral("hostile.zip"));
    WriteRawZip(archive, {{"../x", "escaped"}, {QFile::encodeName(absolute), "escaped"}, {"kept.txt", "new"},
                          {"fresh.txt", "fresh"}});
    messages.files.append({archive});
    messages.AddAnswers({MessageAnswer::No});
    ClickMenuCommand(*frame, kFileMenu, ToolCommand::ExtractExternals);
    QCoreApplication::processEvents();

    EXPECT_FALSE(QFileInfo::exists(outside));
    EXPECT_FALSE(QFileInfo::exists(absolute));
    EXPECT_FALSE(QFileInfo::exists(externals + QStringLiteral("/x")));
    EXPECT_EQ(ReadAll(externals + QStringLiteral("/kept.txt")), QByteArray("old"));
    EXPECT_EQ(ReadAll(externals + QStringLiteral("/fresh.txt")), QByteArray("fresh"));
    ASSERT_FALSE(messages.prompts.isEmpty());
    EXPECT_TRUE(messages.prompts.last().path.endsWith(QStringLiteral("Tools.kv4.zip")));
    // The report names what was refused.
    ASSERT_FALSE(messages.texts.isEmpty());
    EXPECT_TRUE(messages.texts.last().startsWith(LoadString(ToolText::Extracted)));
    EXPECT_TRUE(messages.texts.last().contains(QStringLiteral("../x")));
}

// ---- Links and geo links ------------------------------------------------------------

TEST_F(ToolCommandsTest, AnExternalLinkTakesTheAddressOnTheClipboard)
{
    SelectInBrowser(anna, 0, 4);
    const qsizetype prompts = messages.prompts.size();
    QGuiApplication::clipboard()->setText(QStringLiteral("https://example.org/harbour"));
    messages.AddAnswers({MessageAnswer::Yes});
    ClickMenuCommand(*frame, kEditMenu, ToolCommand::InsertExternalLink);
    QCoreApplication::processEvents();
    ASSERT_EQ(Rows(TopicId::Links), 1);
    const qint32 link = db().GetLastKey(TopicId::Links);
    EXPECT_EQ(db().GetIntValue(TopicId::Links, link, LinkField::LinkID), -1);
    EXPECT_EQ(db().GetIntValue(TopicId::Links, link, LinkField::Document), anna);
    EXPECT_EQ(LinkTargetText(doctest::BlobOf(db(), TopicId::Links, link, LinkField::Text)),
              QStringLiteral("https://example.org/harbour"));
    EXPECT_EQ(messages.prompts.size(), prompts);

    // Declined, a file is asked for; a file of the externals folder is kept by its name.
    SelectInBrowser(anna, 5, 7);
    QGuiApplication::clipboard()->setText(QStringLiteral("not an address"));
    messages.files.append({GetExternalsFolder() + QStringLiteral("/plan.pdf")});
    ClickMenuCommand(*frame, kEditMenu, ToolCommand::InsertExternalLink);
    QCoreApplication::processEvents();
    ASSERT_EQ(Rows(TopicId::Links), 2);
    EXPECT_EQ(LinkTargetText(doctest::BlobOf(db(), TopicId::Links, db().GetLastKey(TopicId::Links), LinkField::Text)),
              QStringLiteral("plan.pdf"));
    CloseProject();
    EXPECT_EQ(FileCount(QStringLiteral("Links"), QStringLiteral(" WHERE LinkID=-1")), QStringLiteral("2"));
}

TEST_F(ToolCommandsTest, GeoLinksAreListedAfterTheStripIsShownAndDeletedFromTheirList)
{
    SelectInBrowser(anna, 13, 17);
    messages.files.append({dir.file(QStringLiteral("harbour.kml"))});
    ClickMenuCommand(*frame, kEditMenu, ToolCommand::InsertGeoLink);
    QCoreApplication::processEvents();
    ASSERT_EQ(Rows(TopicId::Links), 1);
    const qint32 link = db().GetLastKey(TopicId::Links);
    CChartWndF* margin = frame->BrowserWindow()->ParagraphMargin();
    ASSERT_NE(margin, nullptr);
    EXPECT_TRUE(margin->m_geoLinks.isEmpty());   // the strip is hidden

    ClickMenuCommand(*frame, kWindowMenu, ToolCommand::ToggleGeoStrip);
    EXPECT_TRUE(frame->BrowserWindow()->IsMarginColumnShown());
    EXPECT_EQ(margin->m_geoLinks, QList<quint32>{13});
    ClickMenuCommand(*frame, kWindowMenu, ToolCommand::ToggleGeoStrip);
    EXPECT_TRUE(margin->m_geoLinks.isEmpty());
    ClickMenuCommand(*frame, kWindowMenu, ToolCommand::ToggleGeoStrip);

    // The document's geo links in their list; its menu deletes the selected one's link.
    Choose(NodeKind::Document, anna, 20140, PaneControlId::DocumentTree);
    ObjectListWindow* list = frame->ListWindows().Window(CListWindows::GeoLinks);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->List1()->RowCount(), 1);
    const qint32 row = list->List1()->KeyAt(0);
    list->List1()->SelectRow(row);
    messages.AddAnswers({MessageAnswer::No, MessageAnswer::Yes});
    Choose(NodeKind::GeoLink, row, 20178, 0);
    EXPECT_EQ(Rows(TopicId::Links), 1);
    list->List1()->SelectRow(row);
    Choose(NodeKind::GeoLink, row, 20178, 0);
    EXPECT_FALSE(db().GetTable(TopicId::Links)->HasKey(link));
    EXPECT_TRUE(margin->m_geoLinks.isEmpty());
    CloseProject();
    EXPECT_EQ(FileCount(QStringLiteral("Links")), QStringLiteral("0"));
}

// ---- The co-occurring codes popup -----------------------------------------------------

TEST_F(ToolCommandsTest, CooccurringCodesWithTiesAndThePickedPairRetrieved)
{
    // Work overlaps Home twice and Rest twice (a tie), Play never.
    Coding(anna, codes[0], 0, 12);
    Coding(anna, codes[1], 0, 4);
    Coding(anna, codes[1], 5, 7);
    Coding(anna, codes[2], 8, 12);
    Coding(anna, codes[2], 3, 6);
    Coding(anna, codes[3], 13, 17);
    Choose(NodeKind::Code, codes[0], ToolCommand::CooccurringPopup);
    QMenu* popup = ShownPopup();
    ASSERT_NE(popup, nullptr);
    QStringList texts = Texts(popup);
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, (QStringList{Name(codes[1]) + QStringLiteral("  (2)"), Name(codes[2]) + QStringLiteral("  (2)")}));
    EXPECT_TRUE(testutil::MatchesReferenceImage(popup, testutil::DataPath(QStringLiteral("screenshots/app/cooccurringcodes.png"))));

    const int picked = ToolCommand::CooccurringFirst + 1;
    const qint32 pickedCode = document.GetCoOccurrences().at(1).code;
    ClickCommandIn(popup, picked);
    QCoreApplication::processEvents();
    const OptionsRecord& settings = document.GetRetrievalSettings();
    EXPECT_EQ(settings.retrievalFunction, 1);
    EXPECT_EQ(std::vector<qint32>(settings.codeIds), (std::vector<qint32>{pickedCode, codes[0]}));

    // Nothing co-occurs with Play: one "-" entry.
    Choose(NodeKind::Code, codes[3], ToolCommand::CooccurringPopup);
    popup = ShownPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(Texts(popup), QStringList{QStringLiteral("-")});
    popup->close();
    QTest::qWait(20);
}

TEST_F(ToolCommandsTest, TheUncodePopupLooksAsItShould)
{
    const qint32 a = Coding(anna, codes[0], 0, 4);
    const qint32 b = Coding(anna, codes[1], 5, 7);
    Coding(ben, codes[1], 0, 4, b);
    for (const qint32 coding : {a, b}) {
        RowBuffer row;
        ASSERT_TRUE(db().ReadRow(TopicId::Codings, coding, row, true));
        ASSERT_TRUE(rowfields::SetInt(row, 1, coding));
        ASSERT_TRUE(row.Commit(false, false));
    }
    frame->ShowUncodePopup(frame->mapToGlobal(QPoint(100, 100)));
    QMenu* popup = ShownPopup();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(testutil::MatchesReferenceImage(popup, testutil::DataPath(QStringLiteral("screenshots/app/uncodepopup.png"))));
    popup->close();
}

// ---- What the object lists ask ------------------------------------------------------------

TEST_F(ToolCommandsTest, TheSearchHitListMarksItsSelectedRows)
{
    QList<qint32> hits;
    for (const qint32 start : {0, 5, 8})
        hits.append(AddRow(db(), TopicId::SearchHits,
                           {{SearchHitField::Type, 0}, {SearchHitField::Document, anna}, {SearchHitField::Start, start},
                            {SearchHitField::End, start + 2}, {SearchHitField::Text, QStringLiteral("is")}}));
    ClickMenuCommand(*frame, kWindowMenu, ListWindowCommand::SearchHitsList);
    ObjectListWindow* window = frame->ListWindows().Window(CListWindows::SearchHits);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(window->List1()->SelectRow(hits[1]));
    window->OnCommand(ListCommand::SearchHitAction);
    EXPECT_EQ(db().GetIntValue(TopicId::SearchHits, hits[0], SearchHitField::Type), 0);
    EXPECT_NE(db().GetIntValue(TopicId::SearchHits, hits[1], SearchHitField::Type), 0);
    EXPECT_EQ(db().GetIntValue(TopicId::SearchHits, hits[2], SearchHitField::Type), 0);
}

TEST_F(ToolCommandsTest, TheCodingsListWritesItsCodingsAsRtf)
{
    Coding(anna, codes[0], 0, 4);
    Coding(ben, codes[1], 0, 4);
    ClickMenuCommand(*frame, kWindowMenu, ListWindowCommand::CodingsList);
    ObjectListWindow* window = frame->ListWindows().Window(CListWindows::Codings);
    ASSERT_NE(window, nullptr);
    const QString target = dir.file(QStringLiteral("codings.rtf"));
    messages.files.append({target});
    window->OnCommand(ListCommand::Export);
    QCoreApplication::processEvents();
    const QByteArray written = ReadAll(target);
    EXPECT_TRUE(written.startsWith("{\\rtf")) << written.left(40).toStdString();
}

// ---- Support information ------------------------------------------------------------------

TEST_F(ToolCommandsTest, SupportInformationShowsTheSystemReport)
{
    bool shown = false;
    WhenModalShows([&](QWidget* modal) {
        auto* viewer = qobject_cast<CTextViewerDlg*>(modal);
        ASSERT_NE(viewer, nullptr);
        shown = viewer->Kind() == CTextViewerDlg::InMemoryText;
        viewer->reject();
    });
    // The help menu is the last one, whatever menus stand before it.
    ClickMenuCommand(*frame, int(frame->menuBar()->actions().size()) - 1, ToolCommand::SupportInfo);
    EXPECT_TRUE(shown);
}

TEST_F(ToolCommandsTest, RowsWhoseWorkIsNotBuiltStayDisabled)
{
    for (const int id : {ToolCommand::DocumentPortrait, ToolCommand::EditIdListAtPointer})
        EXPECT_FALSE(frame->Commands().QueryState(id).enabled) << id;
}

}  // namespace
