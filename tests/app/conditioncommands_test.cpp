// The frame's condition commands: documents and codes activated by their
// variables from the Window menu and the trees' menus, and the inter-coder
// check from its options to the two result lists.

#include "framefixture.h"
#include "common/variables.h"

#include "app/conditioncommands.h"
#include "app/listwindows.h"
#include "panes/objcombobox.h"
#include "panes/objectlistwindow.h"
#include "platform/profile/privateprofile.h"
#include "retrieval/intercoderoptdlg.h"
#include "retrieval/logicalactivationdlg.h"
#include "store/rowbuffer.h"
#include "ui/dlgbase.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

using namespace frametest;
using doctest::AddRow;

namespace {

class ConditionCommandsTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        ShowFrame();
        OpenThroughMenu(MakeProject(QStringLiteral("Conditions.kv4")));
        ASSERT_NE(frame->GetDocument(), nullptr) << messages.texts.join(u'\n').toStdString();
        age = Field(TopicId::Documents, QStringLiteral("Age"));
        level = Field(TopicId::Codes, QStringLiteral("Level"));
        const qint32 group = document.NewDocumentGroupNamed(QStringLiteral("Interviews"));
        const struct {
            const char* name;
            int age;
        } people[] = {{"Anna", 30}, {"Ben", 50}, {"Cleo", 70}};
        for (const auto& p : people) {
            const qint32 doc = document.NewDocument(group, QString::fromUtf8(p.name),
                                                    doctest::RtfOf({QStringLiteral("Work is hard at home")}), {});
            documents.append(doc);
            SetValue(TopicId::Documents, doc, age, QString::number(p.age));
        }
        for (const char* name : {"Work", "Home"}) {
            CodeRecord record;
            record.name = QString::fromUtf8(name);
            codes.append(document.NewCode(record));
        }
        SetValue(TopicId::Codes, codes.at(0), level, QStringLiteral("2"));
        SetValue(TopicId::Codes, codes.at(1), level, QStringLiteral("1"));
        for (const qint32 doc : {documents.at(0), documents.at(1)})
            AddRow(db(), TopicId::Codings,
                   {{CodingField::Document, doc}, {CodingField::Code, codes.at(0)}, {CodingField::StartChar, 0},
                    {CodingField::FinishChar, 4}});
        ASSERT_TRUE(document.RecountCodings());
    }
    void TearDown() override
    {
        frame->ListWindows().CloseAll();
        FrameTest::TearDown();
    }

    qint32 Field(qint32 topic, const QString& name)
    {
        const qint32 id = testutil::AddVariable(db(), topic, name, FieldType::Integer);
        EXPECT_NE(id, 0);
        return id;
    }
    void SetValue(qint32 topic, qint32 key, qint32 field, const QString& value)
    {
        RowBuffer row;
        ASSERT_TRUE(db().ReadRow(topic, key, row, false));
        ASSERT_TRUE(row.SetFieldText(field, value));
    }
    QList<qint32> Activated(qint32 topic)
    {
        QList<qint32> keys;
        db().GetAllKeys(topic, keys);
        keys.removeIf([&](qint32 key) { return !document.IsActivated(topic, key); });
        return keys;
    }
    /// The condition dialog, when it shows, closed with the button.
    void AnswerConditions(int button)
    {
        WhenModalShows([button](QWidget* modal) {
            auto* dialog = qobject_cast<CLogicalActivationDlg*>(modal);
            ASSERT_TRUE(dialog);
            QTest::mouseClick(qobject_cast<QAbstractButton*>(FindControl(dialog, button)), Qt::LeftButton);
        });
    }
    void ClickContextCommand(qint32 kind, qint32 sender, int command)
    {
        ClickCommandIn(RightClick(kind, 0, sender), command);
        QCoreApplication::processEvents();
    }

    qint32 age = 0;
    qint32 level = 0;
    QList<qint32> documents;
    QList<qint32> codes;
};

TEST_F(ConditionCommandsTest, WindowMenuActivatesDocumentsByTheirVariables)
{
    PrivateProfile(g_program.ProfilePath)
        .WriteString(QStringLiteral("dlgLogActivation"), QStringLiteral("Data"),
                     QStringLiteral("%1|Age|0|3|40~").arg(age));
    AnswerConditions(1);
    ClickMenuCommand(*frame, kWindowMenu, ConditionCommand::ActivateDocuments);
    QCoreApplication::processEvents();
    EXPECT_EQ(Activated(TopicId::Documents), (QList<qint32>{documents.at(1), documents.at(2)}));
    EXPECT_EQ(document.GetActivatedCount(TopicId::Documents), 2);
    EXPECT_EQ(frame->StatusPane(30001)->text().isEmpty(), false);

    // The same from the documents root's menu; Cancel changes nothing.
    AnswerConditions(2);
    ClickContextCommand(NodeKind::DocumentsRoot, PaneControlId::DocumentTree, ConditionCommand::ActivateDocumentsContext);
    EXPECT_EQ(Activated(TopicId::Documents), (QList<qint32>{documents.at(1), documents.at(2)}));
    PrivateProfile(g_program.ProfilePath)
        .WriteString(QStringLiteral("dlgLogActivation"), QStringLiteral("Data"),
                     QStringLiteral("%1|Age|0|2|40~").arg(age));
    AnswerConditions(1);
    ClickContextCommand(NodeKind::DocumentsRoot, PaneControlId::DocumentTree, ConditionCommand::ActivateDocumentsContext);
    EXPECT_EQ(Activated(TopicId::Documents), (QList<qint32>{documents.at(0)}));
}

TEST_F(ConditionCommandsTest, CodeSystemMenuActivatesCodesByTheirVariables)
{
    PrivateProfile(g_program.ProfilePath)
        .WriteString(QStringLiteral("dlgLogActivationCodes"), QStringLiteral("Data"),
                     QStringLiteral("%1|Level|0|0|2~").arg(level));
    AnswerConditions(1);
    ClickContextCommand(NodeKind::CodeSystemRoot, PaneControlId::CodeTree, ConditionCommand::ActivateCodesContext);
    EXPECT_EQ(Activated(TopicId::Codes), (QList<qint32>{codes.at(0)}));
    EXPECT_TRUE(Activated(TopicId::Documents).isEmpty());
}

TEST_F(ConditionCommandsTest, InterCoderCheckFillsTheTwoListsAndKeepsTheChoices)
{
    WhenModalShows([this](QWidget* modal) {
        auto* dialog = qobject_cast<CInterCoderOptDlg*>(modal);
        ASSERT_TRUE(dialog);
        EXPECT_EQ(qobject_cast<QSpinBox*>(FindControl(dialog, 1091))->value(), 90);
        qobject_cast<CObjComboBox*>(FindControl(dialog, 1214))->setCurrentIndex(1);
        QTest::mouseClick(qobject_cast<QAbstractButton*>(FindControl(dialog, 1101)), Qt::LeftButton);
        auto* percent = qobject_cast<QSpinBox*>(FindControl(dialog, 1091));
        percent->findChild<QLineEdit*>()->selectAll();
        QTest::keyClicks(percent->findChild<QLineEdit*>(), QStringLiteral("50"));
        QTest::mouseClick(qobject_cast<QAbstractButton*>(FindControl(dialog, 1)), Qt::LeftButton);
    });
    ClickMenuCommand(*frame, kWindowMenu, ConditionCommand::InterCoder);
    QCoreApplication::processEvents();
    ObjectListWindow* comparison = frame->ListWindows().Window(CListWindows::CoderComparison);
    ObjectListWindow* agreement = frame->ListWindows().Window(CListWindows::CoderAgreement);
    ASSERT_NE(comparison, nullptr) << messages.texts.join(u'\n').toStdString();
    ASSERT_NE(agreement, nullptr);
    EXPECT_EQ(comparison->Topic(), TopicId::CoderComparison);
    EXPECT_EQ(agreement->Topic(), TopicId::CoderAgreement);
    EXPECT_EQ(db().GetRowCount(TopicId::CoderComparison), 2);  // one coding on each side, agreeing
    EXPECT_EQ(PrivateProfile(g_program.ProfilePath).GetInt(QStringLiteral("InterCoder"), QStringLiteral("Percent"), 0), 50);

    // The next run offers the last choices; the same document twice is
    // reported, not shown as a result.
    WhenModalShows([this](QWidget* modal) {
        auto* dialog = qobject_cast<CInterCoderOptDlg*>(modal);
        ASSERT_TRUE(dialog);
        auto* second = qobject_cast<CObjComboBox*>(FindControl(dialog, 1214));
        EXPECT_EQ(second->GetItemValue(second->currentIndex()), quint32(documents.at(1)));
        EXPECT_TRUE(qobject_cast<QAbstractButton*>(FindControl(dialog, 1101))->isChecked());
        EXPECT_EQ(qobject_cast<QSpinBox*>(FindControl(dialog, 1091))->value(), 50);
        second->setCurrentIndex(0);
        QTest::mouseClick(qobject_cast<QAbstractButton*>(FindControl(dialog, 1)), Qt::LeftButton);
    });
    messages.texts.clear();
    ClickMenuCommand(*frame, kWindowMenu, ConditionCommand::InterCoder);
    QCoreApplication::processEvents();
    EXPECT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(frame->ListWindows().Window(CListWindows::CoderComparison), nullptr);
}

}  // namespace
