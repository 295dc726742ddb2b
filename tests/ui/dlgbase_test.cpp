// The dialog bases translate their texts from the language table, keep
// their placement in the profile, and CheckMessageDlg keeps its check box.

#include "common/screenshots.h"
#include "common/testutil.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "platform/profile/privateprofile.h"
#include "ui/checkmessagedlg.h"
#include "ui/dlgbase.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

constexpr int kGerman = 0;
constexpr int kEnglish = 1;

// The language table opened in one language for a test, closed after it;
// the profile is a file of the test's own.
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_savedProgram = g_program;
        g_program.ProfilePath = m_dir.file(QStringLiteral("KORVAN10.ini"));
    }
    void TearDown() override
    {
        g_pStringStore->Close();
        g_program = m_savedProgram;
    }
    void OpenLanguage(int language)
    {
        ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), language)) << g_pStringStore->LastError().toStdString();
    }

    testutil::TempDir m_dir;

private:
    ProgramPaths m_savedProgram;
};

struct DialogTexts {
    QString title, check, ok, cancel;
};

DialogTexts ReadTexts(const CheckMessageDlg& dialog)
{
    return {dialog.windowTitle(), ControlText(FindControl(&dialog, CheckMessageDlg::kCheckId)),
            ControlText(FindControl(&dialog, CheckMessageDlg::kOkId)),
            ControlText(FindControl(&dialog, CheckMessageDlg::kCancelId))};
}

// A dialog with one label per case, to see which keys the base replaces.
class KeyDialog : public CResizableDlgBase {
public:
    KeyDialog() : CResizableDlgBase(1) { setWindowTitle(QStringLiteral("@STR102372|Note")); }
    QLabel* Add(int id, const QString& text)
    {
        auto* label = new QLabel(text, this);
        SetControlId(label, id);
        return label;
    }
};

}  // namespace

TEST_F(DialogTest, CheckMessageTextsInEnglishAndGerman)
{
    const struct {
        int language;
        DialogTexts expected;
    } cases[] = {
        {kEnglish, {QStringLiteral("Note"), QStringLiteral("Backup"), QStringLiteral("OK"), QStringLiteral("Cancel")}},
        {kGerman, {QStringLiteral("Hinweis"), QStringLiteral("Sicherung"), QStringLiteral("OK"),
                   QStringLiteral("Abbrechen")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        OpenLanguage(c.language);
        CheckMessageDlg dialog;
        dialog.m_strText = QStringLiteral("Seven days since the last backup.");
        dialog.show();
        const DialogTexts texts = ReadTexts(dialog);
        EXPECT_EQ(texts.title, c.expected.title);
        EXPECT_EQ(texts.check, c.expected.check);
        EXPECT_EQ(texts.ok, c.expected.ok);
        EXPECT_EQ(texts.cancel, c.expected.cancel);
        EXPECT_EQ(ControlText(FindControl(&dialog, CheckMessageDlg::kTextId)), dialog.m_strText);
        dialog.close();
    }
}

TEST_F(DialogTest, WhichTextsAreTranslated)
{
    OpenLanguage(kEnglish);
    const struct {
        int id;
        QString text;
        QString expected;
    } cases[] = {
        {39999, QStringLiteral("@STR102371|Abort"), QStringLiteral("Cancel")},
        {40000, QStringLiteral("@STR102371|Abort"), QStringLiteral("@STR102371|Abort")},
        {0, QStringLiteral("@STR102371|Abort"), QStringLiteral("@STR102371|Abort")},   // no id
        {10, QStringLiteral("   @str102371 | word "), QStringLiteral("Cancel")},
        {11, QStringLiteral("@STR|Word"), QStringLiteral("@STR|Word")},
        {12, QStringLiteral("@STRabc|Word"), QStringLiteral("@STRabc|Word")},
        {13, QStringLiteral("Plain text"), QStringLiteral("Plain text")},
        // An id the table does not hold shows the key's fallback, not nothing.
        {14, QStringLiteral("@STR9999991|Fallback word"), QStringLiteral("Fallback word")},
    };
    KeyDialog dialog;
    QList<QLabel*> labels;
    for (const auto& c : cases)
        labels.append(dialog.Add(c.id, c.text));
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Note"));
    for (int i = 0; i < int(std::size(cases)); ++i)
        EXPECT_EQ(labels.at(i)->text(), cases[i].expected) << "case " << i;
}

TEST_F(DialogTest, TitleOverrideAndClosedTableKeepTexts)
{
    // With the table closed every key stays as built.
    KeyDialog untranslated;
    QLabel* label = untranslated.Add(5, QStringLiteral("@STR102371|Abort"));
    untranslated.show();
    EXPECT_EQ(untranslated.windowTitle(), QStringLiteral("@STR102372|Note"));
    EXPECT_EQ(label->text(), QStringLiteral("@STR102371|Abort"));

    OpenLanguage(kGerman);
    KeyDialog titled;
    titled.m_strTitle = QStringLiteral("Optionen");
    titled.show();
    EXPECT_EQ(titled.windowTitle(), QStringLiteral("Optionen"));
}

TEST_F(DialogTest, PopupMenusTranslateOnEveryShowing)
{
    OpenLanguage(kGerman);
    KeyDialog dialog;
    QMenu menu(&dialog);
    QAction* key = menu.addAction(QStringLiteral("@STR102371|Cancel"));
    QMenu* translatedSub = menu.addMenu(QStringLiteral("@STR102372|Note"));
    QAction* inTranslated = translatedSub->addAction(QStringLiteral("@STR102370|OK"));
    QMenu* plainSub = menu.addMenu(QStringLiteral("Plain"));
    QAction* inPlain = plainSub->addAction(QStringLiteral("@STR102371|Cancel"));
    dialog.AddTranslatedMenu(&menu);
    dialog.show();

    for (int showing = 0; showing < 2; ++showing) {
        SCOPED_TRACE(showing);
        key->setText(QStringLiteral("@STR102371|Cancel"));
        menu.popup(dialog.geometry().center());
        EXPECT_EQ(key->text(), QStringLiteral("Abbrechen"));
        EXPECT_EQ(translatedSub->title(), QStringLiteral("Hinweis"));
        EXPECT_EQ(inTranslated->text(), QStringLiteral("OK"));
        // The sub-menu of an item with plain text is not visited.
        EXPECT_EQ(plainSub->title(), QStringLiteral("Plain"));
        EXPECT_EQ(inPlain->text(), QStringLiteral("@STR102371|Cancel"));
        menu.close();
    }
}

TEST_F(DialogTest, CheckBoxStateIsKeptWhicheverButtonCloses)
{
    OpenLanguage(kEnglish);
    const struct {
        const char* how;
        bool untick;
        int expectedResult;
        int expectedCheck;
    } cases[] = {
        {"cancel", true, QDialog::Rejected, 0},
        {"ok", true, QDialog::Accepted, 0},
        {"ok", false, QDialog::Accepted, 1},
        {"escape", true, QDialog::Rejected, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        CheckMessageDlg dialog;
        dialog.m_strText = QStringLiteral("Back up now?");
        QTimer::singleShot(0, &dialog, [&] {
            if (c.untick) {
                // On the box itself: the check box is wider than its text.
                QWidget* check = FindControl(&dialog, CheckMessageDlg::kCheckId);
                QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(6, check->height() / 2));
            }
            const QString how = QString::fromLatin1(c.how);
            if (how == QLatin1String("escape"))
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else
                QTest::mouseClick(FindControl(&dialog, how == QLatin1String("ok") ? CheckMessageDlg::kOkId
                                                                                  : CheckMessageDlg::kCancelId),
                                  Qt::LeftButton);
        });
        EXPECT_EQ(dialog.exec(), c.expectedResult);
        EXPECT_EQ(dialog.m_nCheck, c.expectedCheck);
    }
}

TEST_F(DialogTest, PlacementIsKeptPerDialogSection)
{
    OpenLanguage(kEnglish);
    const QString section = QStringLiteral("dlgNotice");
    {
        CheckMessageDlg dialog;
        dialog.m_strSection = section;
        dialog.show();
        dialog.setGeometry(60, 70, 420, 210);
        dialog.accept();
    }
    PrivateProfile profile(g_program.ProfilePath);
    EXPECT_EQ(profile.GetString(section, QStringLiteral("WindowPos")), QStringLiteral("60,70,420,210"));
    {
        CheckMessageDlg dialog;
        dialog.m_strSection = section;
        dialog.show();
        EXPECT_EQ(dialog.geometry(), QRect(60, 70, 420, 210));
        dialog.reject();
    }

    // A placement off every screen, or one that does not read, is not used.
    for (const QString& stored : {QStringLiteral("9000,9000,420,210"), QStringLiteral("60,70"),
                                  QStringLiteral("a,b,c,d"), QStringLiteral("60,70,-5,210")}) {
        SCOPED_TRACE(stored.toStdString());
        ASSERT_TRUE(profile.WriteString(section, QStringLiteral("WindowPos"), stored));
        CheckMessageDlg dialog;
        dialog.m_strSection = section;
        dialog.show();
        EXPECT_TRUE(QApplication::primaryScreen()->availableGeometry().intersects(dialog.geometry()));
        EXPECT_NE(dialog.geometry().topLeft(), QPoint(9000, 9000));
        dialog.close();
    }

    // A dialog without a section keeps nothing.
    CheckMessageDlg unsaved;
    unsaved.show();
    unsaved.accept();
    EXPECT_EQ(testutil::ReadFile(g_program.ProfilePath).count("WindowPos"), 1);
}

TEST_F(DialogTest, GermanCheckMessageLooksAsRecorded)
{
    OpenLanguage(kGerman);
    CheckMessageDlg dialog;
    dialog.m_strText = QStringLiteral("Seit der letzten Sicherung sind 14 Tage vergangen. Jetzt sichern?");
    dialog.show();
    dialog.resize(360, 150);
    QCoreApplication::processEvents();
    EXPECT_TRUE(testutil::MatchesReferenceImage(&dialog, testutil::DataPath(QStringLiteral("ui/checkmessagedlg_ger.png"))));
}
