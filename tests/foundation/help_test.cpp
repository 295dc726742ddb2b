// Help pages: the book of the interface language, else English; topic
// pages; a clear message when there is no help.

#include "common/scriptedmessages.h"
#include "common/testutil.h"
#include "foundation/help.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

// Receives the pages the desktop would open.
class Browser : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened.append(url); }
};

class HelpTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = g_program;
        g_program.ProgramFolder = dir.path() + u'/';
        ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 0));   // German
    }
    void TearDown() override
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        g_pStringStore->Close();
        g_program = saved;
    }
    QString Page(const QString& relative)
    {
        const QString path = dir.file(QStringLiteral("Manuals/") + relative);
        QDir().mkpath(QFileInfo(path).path());
        EXPECT_TRUE(testutil::WriteFile(path, "<html></html>"));
        return path;
    }

    testutil::TempDir dir;
    ProgramPaths saved;
    Browser browser;
};

}  // namespace

TEST_F(HelpTest, OpensTheTopicOfTheBookInTheLanguageElseEnglish)
{
    const QString english = Page(QStringLiteral("ENG/kv10_ENG/index.html"));
    const QString topic = Page(QStringLiteral("ENG/kv10_ENG/topic1029.html"));
    const QString germanMaps = Page(QStringLiteral("GER/do10zado_GER/index.html"));
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &browser, "Open");

    EXPECT_EQ(ShowHelpTopic(1, 0), 1);
    EXPECT_EQ(ShowHelpTopic(1, 1029), 1);
    EXPECT_EQ(ShowHelpTopic(1, 4711), 1);   // no page of its own
    EXPECT_EQ(ShowHelpTopic(2, 0), 1);
    EXPECT_EQ(browser.opened, (QList<QUrl>{QUrl::fromLocalFile(english), QUrl::fromLocalFile(topic),
                                            QUrl::fromLocalFile(english), QUrl::fromLocalFile(germanMaps)}));
}

TEST_F(HelpTest, MissingHelpIsToldAndGivesZero)
{
    testutil::ScriptedMessages messages;
    EXPECT_EQ(ShowHelpTopic(3, 0), 0);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(QStringLiteral("kv10dictio_ENG"))) << messages.texts[0].toStdString();

    EXPECT_EQ(ShowHelpTopic(4, 0), 0);   // no such book
    EXPECT_EQ(ShowHelpTopic(0, 0), 0);

    // The book exists but no browser takes the page.
    Page(QStringLiteral("ENG/kv10dictio_ENG/index.html"));
    EXPECT_EQ(ShowHelpTopic(3, 0), 0);
    EXPECT_EQ(messages.texts.size(), 2);
}

TEST(HelpPages, EveryBookIsInstalledBesideTheProgramInEnglishAndGerman)
{
    const ProgramPaths saved = g_program;
    g_program.ProgramFolder = QStringLiteral(KORVAN_BIN_DIR) + u'/';
    for (int kind = 1; kind <= 3; ++kind)
        for (const char* language : {"ENG", "GER"})
            EXPECT_TRUE(QFileInfo::exists(HelpStartPage(kind, QString::fromLatin1(language))))
                << HelpStartPage(kind, QString::fromLatin1(language)).toStdString();
    g_program = saved;
}

#include "help_test.moc"
