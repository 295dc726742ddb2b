#include "foundation/messageservice.h"

#include "common/scriptedmessages.h"

#include <gtest/gtest.h>

TEST(MessageService, WithoutAServiceTheDefaultAnswers)
{
    ASSERT_EQ(GetMessageService(), nullptr);
    EXPECT_FALSE(AskYesNo(QStringLiteral("Overwrite?")));
    EXPECT_TRUE(AskYesNo(QStringLiteral("Go on?"), true));
    EXPECT_EQ(AskUser(QStringLiteral("?"), MessageButtons::YesNoCancel, MessageKind::Question, MessageAnswer::Cancel),
              MessageAnswer::Cancel);
    ShowMessage(QStringLiteral("Done"));
}

TEST(MessageService, AnInstalledServiceAnswersAndIsRemovedAfter)
{
    {
        testutil::ScriptedMessages messages({MessageAnswer::Yes, MessageAnswer::No, MessageAnswer::Cancel});
        EXPECT_EQ(GetMessageService(), &messages);
        EXPECT_TRUE(AskYesNo(QStringLiteral("first")));
        EXPECT_FALSE(AskYesNo(QStringLiteral("second"), true));
        ShowMessage(QStringLiteral("note"), MessageKind::Warning);
        EXPECT_EQ(AskUser(QStringLiteral("third"), MessageButtons::YesNoCancel, MessageKind::Question, MessageAnswer::Yes),
                  MessageAnswer::Cancel);
        EXPECT_EQ(messages.texts, (QStringList{"first", "second", "note", "third"}));
    }
    EXPECT_EQ(GetMessageService(), nullptr);
}
