// The condition dialog, the tick list of variables and the inter-coder
// options, driven by clicks and keys over a small project whose documents
// have the variables Age (integer), Sex (text) and Income (real).

#include "common/documentowner.h"
#include "common/variables.h"
#include "common/screenshots.h"
#include "document/docfixture.h"
#include "foundation/programpaths.h"
#include "panes/objcombobox.h"
#include "platform/profile/privateprofile.h"
#include "retrieval/conditionrows.h"
#include "retrieval/intercoderoptdlg.h"
#include "retrieval/logicalactivationdlg.h"
#include "retrieval/typologytabledlg.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "ui/dlgbase.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

template <typename Widget>
Widget* Control(QWidget* dialog, int id)
{
    return qobject_cast<Widget*>(FindControl(dialog, id));
}

QStringList ListTexts(QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

void Click(QWidget* dialog, int id)
{
    auto* button = Control<QAbstractButton>(dialog, id);
    ASSERT_TRUE(button) << id;
    QTest::mouseClick(button, Qt::LeftButton);
}

class ConditionDialogs : public doctest::DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        g_program.ProfilePath = dir.file(QStringLiteral("KORVAN10.ini"));
        NewProject();
        age = Field(QStringLiteral("Age"), FieldType::Integer);
        sex = Field(QStringLiteral("Sex"), FieldType::ShortText);
        income = Field(QStringLiteral("Income"), FieldType::Real);
        const qint32 group = AddGroup(QStringLiteral("Interviews"));
        const struct {
            const char* name;
            const char* age;
            const char* sex;
        } values[] = {{"Anna", "30", "f"}, {"Ben", "50", "m"}, {"Cleo", "70", "f"}};
        for (const auto& v : values) {
            const qint32 document = AddDocument(group, QString::fromUtf8(v.name));
            documents.append(document);
            RowBuffer row;
            ASSERT_TRUE(db().ReadRow(TopicId::Documents, document, row, false));
            ASSERT_TRUE(row.SetFieldText(age, QString::fromUtf8(v.age)));
            ASSERT_TRUE(row.SetFieldText(sex, QString::fromUtf8(v.sex)));
        }
    }
    void TearDown() override
    {
        g_program = {};
        DocTest::TearDown();
    }

    qint32 Field(const QString& name, qint32 type)
    {
        const qint32 id = testutil::AddVariable(db(), TopicId::Documents, name, type);
        EXPECT_NE(id, 0);
        return id;
    }

    /// A condition dialog of the mode over the three variables, shown.
    std::unique_ptr<CLogicalActivationDlg> OpenDialog(qint32 mode)
    {
        auto dialog = std::make_unique<CLogicalActivationDlg>(nullptr, &requests, QList<qint32>{income, sex, age},
                                                              QList<QPixmap>{});
        dialog->m_mode = mode;
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return dialog;
    }

    void WriteData(const QString& section, const QString& data)
    {
        PrivateProfile(g_program.ProfilePath).WriteString(section, QStringLiteral("Data"), data);
    }
    QString ReadData(const QString& section) const
    {
        return PrivateProfile(g_program.ProfilePath).GetString(section, QStringLiteral("Data"));
    }

    testutil::DocumentOwner requests{doc};
    qint32 age = 0;
    qint32 sex = 0;
    qint32 income = 0;
    QList<qint32> documents;
};

TEST_F(ConditionDialogs, StoredRowsLoadByNameAndTheFirstRowShowsNoLink)
{
    // Age was stored under an id that is no longer its own; Gone is no
    // variable any more; the last record is broken.
    WriteData(QStringLiteral("dlgLogActivation"),
              QStringLiteral("5|Age|1|3|30~%1|Sex|0|0|f~%2|Income|1|2|1000~9|Gone|0|0|x~%1|Sex|0~")
                  .arg(sex)
                  .arg(income));
    auto dialog = OpenDialog(0);
    auto* list = Control<QListWidget>(dialog.get(), 1032);
    ASSERT_TRUE(list);
    EXPECT_EQ(ListTexts(list), (QStringList{QStringLiteral("[Age] > 30"), QStringLiteral(".OR. [Sex] = f"),
                                            QStringLiteral(".AND. [Income] < 1000")}));
    ASSERT_EQ(dialog->Rows().size(), 3);
    EXPECT_EQ(dialog->Rows().at(0).fieldId, age);
    EXPECT_EQ(dialog->Rows().at(0).link, 1);  // kept, though not shown
    EXPECT_TRUE(Control<QRadioButton>(dialog.get(), 1089)->isVisible());
    EXPECT_FALSE(Control<QCheckBox>(dialog.get(), 1260)->isEnabled());
    list->setCurrentRow(1);
    EXPECT_TRUE(Control<QRadioButton>(dialog.get(), 1089)->isEnabled());
    EXPECT_EQ(Control<QComboBox>(dialog.get(), 1019)->count(), 2);  // the distinct values f and m
    EXPECT_TRUE(testutil::MatchesReferenceImage(dialog.get(), QStringLiteral(KORVAN_TEST_DATA_DIR)
                                                                  + QStringLiteral("/screenshots/condition_dialog.png")));

    // The Delete key on the first row: the next one leads, without its link.
    list->setCurrentRow(0);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(ListTexts(list), (QStringList{QStringLiteral("[Sex] = f"), QStringLiteral(".AND. [Income] < 1000")}));
    EXPECT_FALSE(Control<QRadioButton>(dialog.get(), 1089)->isEnabled());

    // Cancel keeps the rows in the profile too.
    Click(dialog.get(), 2);
    EXPECT_EQ(ReadData(QStringLiteral("dlgLogActivation")),
              QStringLiteral("%1|Sex|0|0|f~%2|Income|1|2|1000~").arg(sex).arg(income));
}

TEST_F(ConditionDialogs, TheControlsEditTheSelectedRow)
{
    WriteData(QStringLiteral("dlgLogActivation"), QStringLiteral("%1|Age|0|0|~%2|Sex|0|0|f~").arg(age).arg(sex));
    auto dialog = OpenDialog(0);
    auto* list = Control<QListWidget>(dialog.get(), 1032);
    list->setCurrentRow(0);
    auto* value = Control<QComboBox>(dialog.get(), 1019);
    value->lineEdit()->clear();
    QTest::keyClicks(value->lineEdit(), QStringLiteral("4~2x"));
    // "~" is refused where typed; the integer keeps its number.
    EXPECT_EQ(value->currentText(), QStringLiteral("42x"));
    EXPECT_EQ(dialog->Rows().at(0).value, QStringLiteral("42"));
    Click(dialog.get(), 1096);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("[Age] > 42"));

    list->setCurrentRow(1);
    Click(dialog.get(), 1090);
    Click(dialog.get(), 1094);
    EXPECT_EQ(list->item(1)->text(), QStringLiteral(".AND. [Sex] <> f"));
    // Picking a value from the box takes it once the choice has settled.
    value->setCurrentIndex(value->findText(QStringLiteral("m")));
    emit value->activated(value->currentIndex());
    QCoreApplication::sendPostedEvents(dialog.get());
    EXPECT_EQ(list->item(1)->text(), QStringLiteral(".AND. [Sex] <> m"));

    Click(dialog.get(), 1);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(ReadData(QStringLiteral("dlgLogActivation")),
              QStringLiteral("%1|Age|0|3|42~%2|Sex|1|1|m~").arg(age).arg(sex));
}

TEST_F(ConditionDialogs, AddingThroughTheTickListWithAndWithoutValues)
{
    auto dialog = OpenDialog(0);
    auto* list = Control<QListWidget>(dialog.get(), 1032);
    EXPECT_FALSE(Control<QPushButton>(dialog.get(), 1)->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(dialog.get(), 4)->isEnabled());
    // Tick Sex (the offered variables are in name order: Age, Income, Sex),
    // with one row per value.
    const auto choose = [](bool perValue) {
        QTimer::singleShot(0, [perValue] {
            auto* choice = qobject_cast<CTypologyTableDlg*>(QApplication::activeModalWidget());
            ASSERT_TRUE(choice);
            auto* rows = Control<QListWidget>(choice, 1032);
            ASSERT_EQ(ListTexts(rows), (QStringList{QStringLiteral("Age"), QStringLiteral("Income"), QStringLiteral("Sex")}));
            rows->item(2)->setCheckState(Qt::Checked);
            auto* option = Control<QCheckBox>(choice, 1170);
            EXPECT_TRUE(option->isVisible());
            option->setChecked(perValue);
            Click(choice, 1);
        });
    };
    choose(true);
    Click(dialog.get(), 1093);
    EXPECT_EQ(ListTexts(list), (QStringList{QStringLiteral("[Sex] = f"), QStringLiteral(".OR. [Sex] = m")}));
    choose(false);
    Click(dialog.get(), 1093);
    EXPECT_EQ(ListTexts(list).last(), QStringLiteral(".OR. [Sex] = "));
    EXPECT_EQ(list->currentRow(), 2);
    EXPECT_TRUE(Control<QPushButton>(dialog.get(), 1)->isEnabled());

    // Delete all asks first; No keeps the rows.
    messages.AddAnswers({MessageAnswer::No, MessageAnswer::Yes});
    Click(dialog.get(), 1097);
    EXPECT_EQ(list->count(), 3);
    Click(dialog.get(), 1097);
    EXPECT_EQ(list->count(), 0);
    EXPECT_FALSE(Control<QPushButton>(dialog.get(), 1)->isEnabled());
    EXPECT_FALSE(Control<QPushButton>(dialog.get(), 558)->isEnabled());
}

TEST_F(ConditionDialogs, AnalysisModesShowNoLinks)
{
    const struct {
        qint32 mode;
        const char* section;
        const char* title;
    } cases[] = {{1, "dlgCrossTabsCond", "Crosstab conditions"},
                 {2, "dlgCrossTabsCond", "Quote matrix"},
                 {3, "dlgTypologyTabCond", "Typology table conditions"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        WriteData(QString::fromLatin1(c.section), QStringLiteral("%1|Age|1|3|30~%2|Sex|1|0|f~").arg(age).arg(sex));
        auto dialog = OpenDialog(c.mode);
        EXPECT_EQ(dialog->windowTitle(), QLatin1String(c.title));
        EXPECT_FALSE(Control<QRadioButton>(dialog.get(), 1089)->isVisible());
        EXPECT_FALSE(Control<QRadioButton>(dialog.get(), 1090)->isVisible());
        EXPECT_EQ(ListTexts(Control<QListWidget>(dialog.get(), 1032)),
                  (QStringList{QStringLiteral("[Age] > 30"), QStringLiteral("[Sex] = f")}));
        dialog->close();
    }
}

TEST_F(ConditionDialogs, RowsGoToAFileAndComeBack)
{
    WriteData(QStringLiteral("dlgLogActivation"), QStringLiteral("%1|Age|1|3|30~").arg(age));
    auto dialog = OpenDialog(0);
    const QString path = dir.file(QStringLiteral("set.loa"));
    messages.files = {{path}};
    Click(dialog.get(), 4);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), conditions::EncodeFileText(QStringLiteral("%1|Age|1|3|30~").arg(age)));
    file.close();

    // A file that is not one is refused and the rows stay.
    const QString bad = dir.file(QStringLiteral("bad.loa"));
    QFile badFile(bad);
    ASSERT_TRUE(badFile.open(QIODevice::WriteOnly));
    badFile.write("odd");
    badFile.close();
    messages.files = {{bad}};
    Click(dialog.get(), 3);
    EXPECT_EQ(dialog->Rows().size(), 1);
    EXPECT_FALSE(messages.texts.isEmpty());

    messages.AddAnswers({MessageAnswer::No});
    Click(dialog.get(), 1097);
    EXPECT_EQ(dialog->Rows().size(), 1);
    messages.files = {{path}};
    Click(dialog.get(), 3);
    ASSERT_EQ(dialog->Rows().size(), 1);
    EXPECT_EQ(dialog->Rows().at(0).fieldId, age);
    EXPECT_EQ(dialog->DefaultFolder(), dir.path());
}

TEST_F(ConditionDialogs, TickListButtonsAndCancel)
{
    CTypologyTableDlg dialog(nullptr, true, false, true);
    dialog.m_showMarkedButton = true;
    const struct {
        bool marked;
        bool ticked;
        const char* text;
    } rows[] = {{true, false, "Age"}, {false, true, "Sex: f"}, {false, false, "Sex: m"},
                {true, true, "A variable with a name far too long to be shown whole in the list"}};
    for (const auto& r : rows) {
        typology::TickRow row;
        row.marked = r.marked;
        row.ticked = r.ticked;
        row.text = QString::fromUtf8(r.text);
        dialog.m_rows.append(row);
    }
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Typology table"));
    EXPECT_TRUE(Control<QCheckBox>(&dialog, 1170)->isVisible());
    EXPECT_TRUE(testutil::MatchesReferenceImage(&dialog, QStringLiteral(KORVAN_TEST_DATA_DIR)
                                                              + QStringLiteral("/screenshots/typology_ticklist.png")));
    Click(&dialog, 5);
    Click(&dialog, 2);
    // Cancel: the rows as the caller set them.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(dialog.m_rows.at(i).ticked, rows[i].ticked) << i;

    dialog.show();
    Click(&dialog, 5);
    Click(&dialog, 1);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(dialog.m_rows.at(i).ticked, rows[i].marked) << i;
    EXPECT_FALSE(dialog.m_extraOption);

    // Without its flags the option box is hidden and OK returns it off.
    CTypologyTableDlg columns(nullptr, false, false, false);
    columns.show();
    EXPECT_FALSE(Control<QCheckBox>(&columns, 1170)->isVisible());
    EXPECT_FALSE(Control<QPushButton>(&columns, 9)->isVisible());
    EXPECT_FALSE(Control<QPushButton>(&columns, 5)->isVisible());
    Click(&columns, 1);
    EXPECT_FALSE(columns.m_extraOption);
    EXPECT_EQ(Control<QListWidget>(&columns, 1032)->count(), 0);
}

TEST_F(ConditionDialogs, InterCoderPercentageIsCheckedAtOk)
{
    CInterCoderOptDlg dialog;
    dialog.m_documentIds = documents;
    dialog.m_documentNames = {QStringLiteral("Anna"), QStringLiteral("Ben"), QStringLiteral("Cleo")};
    dialog.m_secondDocument = documents.at(2);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto* percent = Control<QSpinBox>(&dialog, 1091);
    EXPECT_FALSE(percent->isEnabled());
    EXPECT_FALSE(Control<QRadioButton>(&dialog, 1103)->isEnabled());
    EXPECT_FALSE(Control<QCheckBox>(&dialog, 1086)->isEnabled());
    EXPECT_EQ(Control<CObjComboBox>(&dialog, 1212)->currentText(), QStringLiteral("Anna"));
    EXPECT_EQ(Control<CObjComboBox>(&dialog, 1214)->currentText(), QStringLiteral("Cleo"));

    Click(&dialog, 1101);
    EXPECT_TRUE(percent->isEnabled());
    for (const char* typed : {"0", "101"}) {
        percent->findChild<QLineEdit*>()->selectAll();
        QTest::keyClicks(percent->findChild<QLineEdit*>(), QLatin1String(typed));
        messages.texts.clear();
        Click(&dialog, 1);
        EXPECT_TRUE(dialog.isVisible()) << typed;
        EXPECT_EQ(messages.texts.size(), 1) << typed;
    }
    percent->findChild<QLineEdit*>()->selectAll();
    QTest::keyClicks(percent->findChild<QLineEdit*>(), QStringLiteral("75"));
    Click(&dialog, 1100);
    EXPECT_FALSE(percent->isEnabled());
    EXPECT_EQ(percent->value(), 75);
    Click(&dialog, 1101);
    // The same document twice is not refused here.
    Control<CObjComboBox>(&dialog, 1214)->setCurrentIndex(0);
    Click(&dialog, 1);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.m_kind, 2);
    EXPECT_EQ(dialog.m_percent, 75);
    EXPECT_EQ(dialog.m_firstDocument, documents.at(0));
    EXPECT_EQ(dialog.m_secondDocument, documents.at(0));
    EXPECT_FALSE(dialog.m_onlyActivated);
}

}  // namespace
