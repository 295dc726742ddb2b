// The teamwork exchange in the window: the exchange dialog driven by mouse
// and keys (preassignment, the in-place choice, moving on with Enter, the
// mode list), and the context commands that send codings out and back in.

#include "app/appids.h"
#include "app/contextmenus.h"
#include "common/screenshots.h"
#include "document/codingrecord.h"
#include "document/documentids.h"
#include "document/docfixture.h"
#include "exchange/exchangechoicedlg.h"
#include "exchange/exchangeids.h"
#include "exchange/teamexchange.h"
#include "foundation/stringstore.h"
#include "framefixture.h"
#include "platform/profile/privateprofile.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QHeaderView>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

using namespace frametest;

namespace {

/// Catches what the frame asks the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void Open(const QUrl& url) { urls.append(url); }
};

class ExchangeDialogTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        exchangePath = MakeProject(QStringLiteral("Exchange.kv4"));
        projectPath = MakeProject(QStringLiteral("Project.kv4"));
        ASSERT_TRUE(exchangeDoc.OpenProject(exchangeDoc.OpenProjectFile(exchangePath, QStringLiteral("MAIN")), false));
        ASSERT_TRUE(projectDoc.OpenProject(projectDoc.OpenProjectFile(projectPath, QStringLiteral("MAIN")), false));
        for (const QString& name : {QStringLiteral("Anna"), QStringLiteral("Ben"), QStringLiteral("Cleo")})
            sent.append(exchangeDoc.NewDocument(0, name, doctest::RtfOf({name}), {}));
        // Two candidates share Anna's name (case aside); Dora matches none.
        for (const QString& name :
             {QStringLiteral("anna"), QStringLiteral("Dora"), QStringLiteral("ANNA"), QStringLiteral("Ben")})
            candidates.append(projectDoc.NewDocument(0, name, doctest::RtfOf({name}), {}));
    }
    void TearDown() override
    {
        exchangeDoc.CloseDatabase();
        projectDoc.CloseDatabase();
        FrameTest::TearDown();
    }
    void Show(CExchangeChoiceDlg& dialog)
    {
        dialog.m_candidates = candidates;
        dialog.resize(560, 520);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    static QPoint CellCentre(QTreeWidget* list, int row, int column)
    {
        const QRect rect = list->visualItemRect(list->topLevelItem(row));
        const int x = list->header()->sectionViewportPosition(column) + list->columnWidth(column) / 2;
        return {x, rect.center().y()};
    }
    static void DoubleClick(QTreeWidget* list, int row, int column)
    {
        const QPoint at = CellCentre(list, row, column);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QCoreApplication::processEvents();
    }
    static QStringList Entries(QComboBox* box)
    {
        QStringList entries;
        for (int i = 0; i < box->count(); ++i)
            entries << box->itemText(i);
        return entries;
    }
    static QStringList Column(QTreeWidget* list, int column)
    {
        QStringList texts;
        for (int row = 0; row < list->topLevelItemCount(); ++row)
            texts << list->topLevelItem(row)->text(column);
        return texts;
    }

    QString exchangePath;
    QString projectPath;
    CKorDoc exchangeDoc;
    CKorDoc projectDoc;
    QList<qint32> sent;
    QList<qint32> candidates;
};

TEST_F(ExchangeDialogTest, NamesPreassignAndTheInPlaceChoiceOffersFreeDocuments)
{
    CExchangeChoiceDlg dialog(&exchangeDoc.GetDatabase(), &projectDoc.GetDatabase(), QStringLiteral("Team.kv4"));
    Show(dialog);
    QTreeWidget* list = dialog.List();
    EXPECT_EQ(dialog.windowTitle(), LoadString(100118) + QStringLiteral("  -  'Team.kv4'"));
    EXPECT_EQ(Column(list, 1), (QStringList{QStringLiteral("Anna"), QStringLiteral("Ben"), QStringLiteral("Cleo")}));
    // Of two candidates named Anna the later is taken; the earlier stays free.
    EXPECT_EQ(Column(list, 2), (QStringList{QStringLiteral("ANNA"), QStringLiteral("Ben"), QString()}));
    EXPECT_EQ(dialog.m_assignment.value(sent[0]), candidates[2]);

    // Column 1 opens nothing; column 2 opens the choice over the cell.
    DoubleClick(list, 2, 1);
    EXPECT_EQ(dialog.ChoiceBox(), nullptr);
    DoubleClick(list, 2, 2);
    QComboBox* box = dialog.ChoiceBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->hasFocus());
    // Documents other rows have are not offered; the free ones are.
    EXPECT_EQ(Entries(box), (QStringList{LoadString(3119), QStringLiteral("anna"), QStringLiteral("Dora")}));
    EXPECT_EQ(box->currentIndex(), 0);

    // Dora for Cleo with the keys; Enter at the last row ends editing.
    QTest::keyClick(box, Qt::Key_Down);
    QTest::keyClick(box, Qt::Key_Down);
    QTest::keyClick(box, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(list->topLevelItem(2)->text(2), QStringLiteral("Dora"));
    EXPECT_EQ(dialog.ChoiceBox(), nullptr);

    // Enter moves on to the next row, offering every free project document;
    // the "not imported" entry clears Ben's cell.
    DoubleClick(list, 0, 2);
    box = dialog.ChoiceBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->currentText(), QStringLiteral("ANNA"));
    EXPECT_EQ(Entries(box), (QStringList{LoadString(3119), QStringLiteral("anna"), QStringLiteral("ANNA")}));
    QTest::keyClick(box, Qt::Key_Return);
    ASSERT_EQ(dialog.ChoiceBox(), box);
    EXPECT_EQ(list->currentItem(), list->topLevelItem(1));
    EXPECT_EQ(box->currentText(), QStringLiteral("Ben"));
    QTest::keyClick(box, Qt::Key_Home);
    QTest::keyClick(box, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_EQ(list->topLevelItem(1)->text(2), QStringLiteral("Ben")) << "Escape keeps the cell";
    DoubleClick(list, 1, 2);
    QTest::keyClick(dialog.ChoiceBox(), Qt::Key_Home);
    QTest::keyClick(dialog.ChoiceBox(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(list->topLevelItem(1)->text(2), QString());

    QTest::mouseClick(qobject_cast<QPushButton*>(FindControl(&dialog, 1)), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.m_assignment,
              (QMap<qint32, qint32>{{sent[0], candidates[2]}, {sent[1], 0}, {sent[2], candidates[1]}}));
}

TEST_F(ExchangeDialogTest, TheCodingsCheckSwitchesTheModeListWhichStillCounts)
{
    CExchangeChoiceDlg dialog(&exchangeDoc.GetDatabase(), &projectDoc.GetDatabase(), QStringLiteral("Team.kv4"));
    dialog.m_mode = 7;  // no entry: nothing selected, and OK takes the first mode
    dialog.m_memos = false;
    Show(dialog);
    auto* codings = qobject_cast<QCheckBox*>(FindControl(&dialog, CExchangeChoiceDlg::CodingsCheck));
    auto* modes = qobject_cast<QComboBox*>(FindControl(&dialog, CExchangeChoiceDlg::ModeList));
    ASSERT_TRUE(codings && modes);
    EXPECT_EQ(modes->count(), 4);
    EXPECT_EQ(modes->currentIndex(), -1);
    EXPECT_TRUE(modes->isEnabled());
    EXPECT_FALSE(qobject_cast<QCheckBox*>(FindControl(&dialog, CExchangeChoiceDlg::MemosCheck))->isChecked());
    QTest::mouseClick(codings, Qt::LeftButton, {}, QPoint(6, codings->height() / 2));
    EXPECT_FALSE(modes->isEnabled());
    QTest::mouseClick(codings, Qt::LeftButton, {}, QPoint(6, codings->height() / 2));
    EXPECT_TRUE(modes->isEnabled());
    EXPECT_TRUE(testutil::MatchesReferenceImage(&dialog,
                                                testutil::DataPath(QStringLiteral("screenshots/app/exchangechoice.png"))));
    QTest::mouseClick(codings, Qt::LeftButton, {}, QPoint(6, codings->height() / 2));
    QTest::mouseClick(qobject_cast<QPushButton*>(FindControl(&dialog, 1)), Qt::LeftButton);
    EXPECT_EQ(dialog.m_mode, 0);
    EXPECT_FALSE(dialog.m_codings);
    EXPECT_FALSE(dialog.m_memos);

    // Cancel leaves the caller's values.
    CExchangeChoiceDlg cancelled(&exchangeDoc.GetDatabase(), &projectDoc.GetDatabase(), QString());
    cancelled.m_mode = 2;
    Show(cancelled);
    modes = qobject_cast<QComboBox*>(FindControl(&cancelled, CExchangeChoiceDlg::ModeList));
    modes->setCurrentIndex(3);
    QTest::mouseClick(qobject_cast<QPushButton*>(FindControl(&cancelled, 2)), Qt::LeftButton);
    EXPECT_EQ(cancelled.m_mode, 2);
}

class ExchangeCommandsTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        exchange.SetProtocolFolder(dir.path());
        document.SetExchangeService(&exchange);
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
    }
    void TearDown() override
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        FrameTest::TearDown();
        document.SetExchangeService(nullptr);
    }
    void Choose(qint32 kind, qint32 item, int command, qint32 sender = PaneControlId::DocumentTree)
    {
        ClickCommandIn(RightClick(kind, item, sender), command);
        QCoreApplication::processEvents();
    }
    /// Clicks OK of the exchange dialog as soon as it shows.
    void ConfirmDialogWhenShown()
    {
        QTimer::singleShot(0, frame.get(), [this] { ConfirmDialog(); });
    }
    void ConfirmDialog()
    {
        auto* dialog = qobject_cast<CExchangeChoiceDlg*>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(5, frame.get(), [this] { ConfirmDialog(); });
            return;
        }
        ++dialogs;
        QTest::mouseClick(qobject_cast<QPushButton*>(FindControl(dialog, 1)), Qt::LeftButton);
    }

    TeamExchange exchange;
    UrlCatcher catcher;
    int dialogs = 0;
};

TEST_F(ExchangeCommandsTest, CodingsGoOutAndComeBackThroughTheMenus)
{
    ShowFrame();
    const QString study = MakeProject(QStringLiteral("Study.kv4"));
    OpenThroughMenu(study);
    const qint32 group = document.NewDocumentGroupNamed(QStringLiteral("Interviews"));
    const qint32 anna = document.NewDocument(group, QStringLiteral("Anna"), doctest::RtfOf({QStringLiteral("Work is hard")}), {});
    CodeRecord work;
    work.name = QStringLiteral("Work");
    const qint32 code = document.NewCode(work);
    CodingRecord record;
    record.TextID = anna;
    record.WordID = code;
    record.FinishChar = 4;
    qint32 action = -1;
    bool written = false;
    document.AddCoding(record, action, OverlapMode::Replace, &written, false);
    ASSERT_TRUE(written);

    // Out: the group's codings; the name gets its ".kex".
    const QString kex = dir.file(QStringLiteral("Interviews"));
    messages.files.append({kex});
    Choose(NodeKind::DocumentGroup, group, 20125);
    EXPECT_EQ(messages.prompts.last().path.section(u'/', -1), QStringLiteral("Interviews"));
    ASSERT_TRUE(QFile::exists(kex + QStringLiteral(".kex"))) << messages.texts.join(u'\n').toStdString();

    // The code system out to a ".ktr".
    messages.files.append({dir.file(QStringLiteral("Codes.ktr"))});
    Choose(NodeKind::CodeSystemRoot, 0, 20059, PaneControlId::CodeTree);
    EXPECT_TRUE(QFile::exists(dir.file(QStringLiteral("Codes.ktr"))));

    // In, into a project with Anna uncoded and no codes.
    const QString other = MakeProject(QStringLiteral("Other.kv4"));
    OpenThroughMenu(other);
    ASSERT_EQ(OpenPath(), other);
    const qint32 target = document.NewDocument(0, QStringLiteral("Anna"), doctest::RtfOf({QStringLiteral("Work is hard")}), {});
    messages.files.append({kex + QStringLiteral(".kex")});
    ConfirmDialogWhenShown();
    Choose(NodeKind::Document, target, 20028);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(db().GetRowCount(TopicId::Codings), 1) << messages.texts.join(u'\n').toStdString();
    EXPECT_EQ(db().GetIntValue(TopicId::Documents, target, DocumentField::Codes), 1);
    // The protocol was opened, and the choices are kept in the profile.
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0].toLocalFile(), exchange.ProtocolPath());
    EXPECT_FALSE(PrivateProfile(g_program.ProfilePath).GetString(QStringLiteral("Project"), QStringLiteral("Options")).isEmpty());

    // The code system in, found by path: nothing new.
    messages.files.append({dir.file(QStringLiteral("Codes.ktr"))});
    Choose(NodeKind::CodeSystemRoot, 0, 20060, PaneControlId::CodeTree);
    EXPECT_EQ(db().GetRowCount(TopicId::Codes), 1);
}

}  // namespace

#include "exchange_test.moc"
