// Codes: creation with aliases and colours, paths, copies of subtrees, code
// sets, document variables made from codes, frequencies and colours.

#include "objectstest.h"

#include "document/colorhsl.h"
#include "document/documentids.h"
#include "store/topicdatabase.h"

using namespace doctest;

namespace {

class CodesTest : public ObjectsTest {
protected:
    void SetUp() override
    {
        ObjectsTest::SetUp();
        BuildOptionDefinitions();
        m_savedOption = g_qdaOptions.GetString(QdaOption::FrequenciesWithSubcodes);
        g_qdaOptions.SetValueText(QdaOption::FrequenciesWithSubcodes, QStringLiteral("1"));
    }
    void TearDown() override
    {
        g_qdaOptions.SetValueText(QdaOption::FrequenciesWithSubcodes, m_savedOption);
        ObjectsTest::TearDown();
    }
    qint32 Code(const QString& name, qint32 parent = 0, qint32 color = 0)
    {
        CodeRecord record;
        record.name = name;
        record.parent = parent;
        record.color = color;
        return doc.NewCode(record);
    }
    QString Name(qint32 code) { return Value(TopicId::Codes, code, CodeField::Name); }
    QList<qint32> Children(qint32 code)
    {
        QList<qint32> ids;
        doc.GetChildCodes(code, ids);
        return ids;
    }

private:
    QString m_savedOption;
};

}  // namespace

TEST_F(CodesTest, ANewCodeIsAnnouncedUnderItsParentWithItsAliasAndColour)
{
    const qint32 parent = Code(QStringLiteral("Parent"));
    EXPECT_EQ(log.Take(), (Calls{"pane.OnObjectAdded(8," + N(parent) + ",0,7,0,1)", "pane.SelectObject(8,0,0)"}));
    EXPECT_EQ(Value(TopicId::Codes, parent, CodeField::Author), QStringLiteral("Ada"));

    const QString longName = QString(60, QLatin1Char('x')) + QStringLiteral("0123456789");
    const qint32 child = Code(longName, parent, int(kPaletteGreen));
    EXPECT_EQ(log.Take(), (Calls{"pane.OnObjectAdded(8," + N(child) + ",0,8," + N(parent) + ",1)",
                                 "pane.SelectObject(8," + N(parent) + ",0)"}));
    EXPECT_EQ(Name(child), longName.left(63));
    EXPECT_EQ(doc.GetCodeAlias(child), longName);
    EXPECT_EQ(doc.GetCodeColorIndex(child), 0);
    EXPECT_EQ(Value(TopicId::Codes, child, CodeField::Parent), QString::number(parent));

    const qint32 unnamed = Code(QString(), 0, 9);
    EXPECT_EQ(Name(unnamed), QStringLiteral("Code %1").arg(unnamed));
    EXPECT_EQ(doc.GetCodeColorIndex(unnamed), 9);
    // The new colour joins the codings colour filter as a colour value.
    EXPECT_TRUE(doc.GetProgramLists().codingsColorFilter.contains(ColorOfType(9)));
    EXPECT_EQ(Code(QStringLiteral("orphan"), unnamed + 40), 0);

    log.Take();
    ExpectRefusedWrite(RefuseInsert("Codewords"), [&] {
        EXPECT_EQ(Code(longName + QStringLiteral("!")), 0);
        EXPECT_EQ(db().GetRowCount(TopicId::Codes), 3);
    });
    // No alias was left behind for the code that was never written.
    QString alias;
    EXPECT_FALSE(doc.ReadSetting(QStringLiteral("Alias_Code_%1").arg(unnamed + 1), alias) && !alias.isEmpty());
}

TEST_F(CodesTest, PathsReuseCodesOfTheSameNameAndMakeTheRest)
{
    const qint32 root = Code(QStringLiteral("Root"));
    const qint32 a = Code(QStringLiteral("a"), root);
    log.Take();
    const struct {
        const char* name;
        QString path;
        bool create;
        qint32 bits;
        bool made;  // a new code is the result
        qint32 result;
    } cases[] = {
        {"missing without create", QStringLiteral("A\\B\\C"), false, 0, false, 0},
        {"an empty first part", QStringLiteral("\\A"), true, 0, false, 0},
        {"an empty part later", QStringLiteral("A\\ \\C"), true, 0, false, 0},
        {"found without create", QStringLiteral(" A "), false, 0, false, a},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(doc.AddCodeByPath(root, c.path, c.create), c.result);
    }
    EXPECT_EQ(log.Take(), Calls{});
    EXPECT_EQ(db().GetRowCount(TopicId::Codes), 2);

    QString lines;
    qint32 found = 0;
    const qint32 c = doc.AddCodeByPath(root, QStringLiteral("A\\B\\C"), true, nullptr, 0x10, &lines, &found, 0, a);
    ASSERT_NE(c, 0);
    EXPECT_EQ(found, c);
    const qint32 b = db().GetIntValue(TopicId::Codes, c, CodeField::Parent);
    EXPECT_EQ(db().GetIntValue(TopicId::Codes, b, CodeField::Parent), a);
    EXPECT_EQ(Name(b), QStringLiteral("B"));
    // Only the code the path names takes the role, its colour and the place.
    EXPECT_EQ(Value(TopicId::Codes, c, CodeField::State), QStringLiteral("16"));
    EXPECT_EQ(doc.GetCodeColorIndex(c), 2);
    EXPECT_EQ(Value(TopicId::Codes, b, CodeField::State), QStringLiteral("0"));
    EXPECT_EQ(doc.GetCodeColorIndex(b), 0);
    EXPECT_EQ(log.Take(), (Calls{"pane.OnObjectAdded(8," + N(b) + ",-1,8," + N(a) + ",1)",
                                 "pane.OnObjectAdded(8," + N(c) + "," + N(a) + ",8," + N(b) + ",1)"}));
    EXPECT_EQ(lines, QStringLiteral("\t%1\r\n\t%2\r\n")
                         .arg(db().FormatRowDisplay(TopicId::Codes, b, true), db().FormatRowDisplay(TopicId::Codes, c, true)));

    // A long part is found by its first 63 units and kept whole as alias.
    const QString longPart(80, QLatin1Char('L'));
    const qint32 made = doc.AddCodeByPath(0, longPart, true);
    EXPECT_EQ(doc.GetCodeAlias(made), longPart);
    EXPECT_EQ(doc.AddCodeByPath(0, longPart + QStringLiteral("tail"), false), made);
    EXPECT_EQ(doc.AddCodeByPath(0, longPart.left(62), false), 0);
}

TEST_F(CodesTest, CopiesOfASubtreeReuseNamesAndKeepBackslashesInNames)
{
    const qint32 source = Code(QStringLiteral("Source"));
    const qint32 x = Code(QStringLiteral("X"), source);
    Code(QStringLiteral("Y"), x);
    Code(QStringLiteral("a\\b"), source);
    const qint32 target = Code(QStringLiteral("Target"));
    const qint32 existing = Code(QStringLiteral("x"), target);
    log.Take();

    ASSERT_TRUE(doc.CopyCodeSubtree(source, target, true));
    EXPECT_EQ(Children(target).size(), 2);  // x reused, "a\b" new
    const QList<qint32> under = Children(existing);
    ASSERT_EQ(under.size(), 1);
    EXPECT_EQ(Name(under.first()), QStringLiteral("Y"));
    const qint32 slash = Children(target).last();
    EXPECT_EQ(Name(slash), QStringLiteral("a\\b"));
    EXPECT_EQ(log.Take(), (Calls{"pane.OnObjectAdded(8," + N(under.first()) + "," + N(existing) + ",8," + N(existing) + ",1)",
                                 "pane.OnObjectAdded(8," + N(slash) + "," + N(under.first()) + ",8," + N(target) + ",1)"}));
    // Copied again: everything is there, nothing is doubled.
    const qint32 count = db().GetRowCount(TopicId::Codes);
    ASSERT_TRUE(doc.CopyCodeSubtree(source, target, true));
    EXPECT_EQ(db().GetRowCount(TopicId::Codes), count);

    // Beside the target: under the target's parent, after the target.
    ASSERT_TRUE(doc.CopyCodeSubtree(x, existing, false));
    EXPECT_EQ(Children(target).size(), 3);
    EXPECT_FALSE(doc.CopyCodeSubtree(source, target + 100, false));
    EXPECT_FALSE(doc.CopyCodeSubtree(source + 100, target, true));

    QStringList paths;
    doc.CollectCodePaths(x, QStringLiteral("P"), paths);
    EXPECT_EQ(paths, (QStringList{QStringLiteral("P\\X"), QStringLiteral("P\\X\\Y")}));
}

TEST_F(CodesTest, CodeSetsTakeActivatedCodesOrASubtreesFirstLevel)
{
    const qint32 a = Code(QStringLiteral("A"));
    const qint32 b = Code(QStringLiteral("B"), a);
    const qint32 c = Code(QStringLiteral("C"), a);
    Code(QStringLiteral("D"), b);
    Activate(TopicId::Codes, c);
    log.Take();
    ASSERT_TRUE(doc.NewCodeSet(QStringLiteral("Mine")));
    const qint32 set = db().GetLastKey(TopicId::CodeSets);
    const qint32 member = db().GetLastKey(TopicId::CodeSetMembers);
    EXPECT_EQ(log.Take(), (Calls{"pane.OnObjectAdded(24," + N(set) + ",0,23,0,1)",
                                 "pane.OnObjectsAdded(25,[" + N(member) + "],24," + N(set) + ")",
                                 "pane.OnObjectChanged(24," + N(set) + ")", "owner.OnObjectChanged(24," + N(set) + ")",
                                 "pane.OnObjectChanged(23,0)", "owner.OnObjectChanged(23,0)"}));
    EXPECT_EQ(doc.GetCodeSetMemberCode(member), c);
    EXPECT_EQ(doc.GetCodeSetMemberCode(member + 1), 0);
    EXPECT_FALSE(doc.AddCodeSetMember(c, set, 0));
    EXPECT_TRUE(doc.AddCodeSetMember(b, set, 0));

    ASSERT_TRUE(doc.NewCodeSetFromSubcodes(a));
    const qint32 fromSubcodes = db().GetLastKey(TopicId::CodeSets);
    EXPECT_EQ(Value(TopicId::CodeSets, fromSubcodes, GroupField::Name), QStringLiteral("Set %1").arg(fromSubcodes));
    QList<qint32> members;
    db().FindKeysByParent(TopicId::CodeSetMembers, TopicId::CodeSets, fromSubcodes, members);
    QList<qint32> codes;
    for (const qint32 m : std::as_const(members))
        codes.append(doc.GetCodeSetMemberCode(m));
    EXPECT_EQ(codes, (QList<qint32>{a, b, c}));
    EXPECT_FALSE(doc.NewCodeSetFromSubcodes(a + 100));
}

TEST_F(CodesTest, CodeVariablesAreCountedOnceAndTiesNamed)
{
    const qint32 d1 = doc.NewDocument(0, QStringLiteral("D1"), {}, QString());
    const qint32 d2 = doc.NewDocument(0, QStringLiteral("D2"), {}, QString());
    const qint32 d3 = doc.NewDocument(0, QStringLiteral("D3"), {}, QString());
    const qint32 parent = Code(QStringLiteral("Mood"));
    const qint32 happy = Code(QStringLiteral("happy"), parent);
    const qint32 sad = Code(QStringLiteral("sad"), parent);
    AddCoding(d1, happy, 0, 1);
    AddCoding(d1, happy, 2, 3);
    AddCoding(d1, sad, 4, 5);
    AddCoding(d2, happy, 0, 1);
    AddCoding(d2, sad, 2, 3);

    const qint32 counts = doc.CreateCodeVariable(happy, false);
    ASSERT_NE(counts, 0);
    EXPECT_EQ(doc.GetCodeLinkObject(happy, false), counts);
    FieldDescriptor field;
    ASSERT_TRUE(db().GetFieldDescriptor(TopicId::Documents, counts, field));
    EXPECT_EQ(field.Name, QStringLiteral("happy"));
    EXPECT_EQ(field.State, 0x182);
    const auto values = [&](qint32 id) {
        return QStringList{Value(TopicId::Documents, d1, id), Value(TopicId::Documents, d2, id),
                           Value(TopicId::Documents, d3, id)};
    };
    EXPECT_EQ(values(counts), (QStringList{QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("0")}));
    ASSERT_TRUE(doc.FillCodeVariable(happy, counts, false));  // assigned, never added up
    EXPECT_EQ(values(counts), (QStringList{QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("0")}));

    const qint32 mood = doc.CreateCodeVariable(parent, true);
    ASSERT_NE(mood, 0);
    EXPECT_EQ(values(mood), (QStringList{QStringLiteral("happy"), QStringLiteral("(tie)"), QString()}));
    AddCoding(d2, sad, 6, 7);
    ASSERT_TRUE(doc.UpdateCategoricalValue(d2, parent, mood));
    EXPECT_EQ(Value(TopicId::Documents, d2, mood), QStringLiteral("sad"));

    Reopen();
    EXPECT_EQ(values(counts), (QStringList{QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("0")}));
    EXPECT_EQ(Value(TopicId::Documents, d2, mood), QStringLiteral("sad"));

    {
        RowBuffer listed;  // the variable as the variable list shows it
        ASSERT_TRUE(db().AddRow(TopicId::DocumentVariables, listed, counts));
        ASSERT_TRUE(listed.Commit(false, true));
    }
    log.Take();
    ASSERT_TRUE(doc.ClearCodeLinks(happy, false));
    EXPECT_EQ(log.Take(), (Calls{"pane.OnObjectDeleted(22," + N(counts) + ")", "owner.OnObjectDeleted(22," + N(counts) + ")"}));
    EXPECT_FALSE(db().GetTable(TopicId::DocumentVariables)->HasKey(counts));
    EXPECT_EQ(doc.GetCodeLinkObject(happy, false), 0);
    EXPECT_FALSE(db().GetFieldDescriptor(TopicId::Documents, counts, field));
    EXPECT_FALSE(doc.ClearCodeLinks(happy, false));
    EXPECT_EQ(doc.CreateCodeVariable(happy + 100, false), 0);
}

TEST_F(CodesTest, FrequenciesNeverCountCodeZeroRows)
{
    const qint32 d1 = doc.NewDocument(0, QStringLiteral("D1"), {}, QString());
    const qint32 d2 = doc.NewDocument(0, QStringLiteral("D2"), {}, QString());
    const qint32 a = Code(QStringLiteral("A"));
    const qint32 b = Code(QStringLiteral("B"), a);
    AddCoding(d1, a, 0, 1);
    AddCoding(d2, a, 0, 1);
    AddCoding(d2, a, 2, 3);
    AddCoding(d1, b, 0, 1);
    AddCoding(d1, 0, 0, 1);  // a temporary retrieval row
    AddCoding(d2, 0, 0, 1);
    for (const auto& [code, count] : {std::pair{a, 3}, std::pair{b, 1}}) {
        RowBuffer row;
        ASSERT_TRUE(db().ReadRow(TopicId::Codes, code, row, false));
        ASSERT_TRUE(row.SetFieldText(CodeField::Codes, QString::number(count)));
    }
    Activate(TopicId::Documents, d2);
    log.Take();

    doc.UpdateCodeFrequencies(0);  // automatic frequencies are off
    EXPECT_EQ(log.Take(), Calls{});
    g_qdaOptions.SetValueText(QdaOption::FrequenciesWithSubcodes, QStringLiteral("0"));
    doc.SetAutoFrequencies(true);
    EXPECT_EQ(log.Take(), Calls{});
    EXPECT_EQ(doc.GetCodeFrequency(a, true), 3);
    g_qdaOptions.SetValueText(QdaOption::FrequenciesWithSubcodes, QStringLiteral("1"));
    EXPECT_EQ(doc.GetCodeFrequency(a, true), 4);
    EXPECT_EQ(doc.GetCodeFrequency(a, false), 3);

    doc.SetAutoFrequencies(true);
    EXPECT_EQ(log.Take(), (Calls{"pane.OnObjectChanged(8," + N(a) + ")", "owner.OnObjectChanged(8," + N(a) + ")",
                                 "pane.OnObjectChanged(8," + N(b) + ")", "owner.OnObjectChanged(8," + N(b) + ")"}));
    const auto frequencies = [&](qint32 code) {
        return QStringList{Value(TopicId::Codes, code, CodeField::ActiveCodes),
                           Value(TopicId::Codes, code, CodeFrequencyField::DocumentCount),
                           Value(TopicId::Codes, code, CodeFrequencyField::ShareOfCodings),
                           Value(TopicId::Codes, code, CodeFrequencyField::ShareOfActivated)};
    };
    // Four codings count; no activated coding is known, so the share of
    // activated codings is 0.
    EXPECT_EQ(frequencies(a), (QStringList{QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("75"), QStringLiteral("0")}));
    EXPECT_EQ(frequencies(b), (QStringList{QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("25"), QStringLiteral("0")}));
    doc.UpdateCodeFrequencies(b);  // nothing changed
    EXPECT_EQ(log.Take(), Calls{});
    // Memory only: the file never holds them.
    frame.ExitCommand();
    EXPECT_EQ(QueryRows(path, QStringLiteral("SELECT [ActiveCodes] FROM [Codewords] WHERE [ID]=?;"), {a}),
              QStringList{QString()});
}

TEST_F(CodesTest, ACodesColourReachesItsCodingsAndTheColourFilter)
{
    const qint32 d = doc.NewDocument(0, QStringLiteral("D"), {}, QString());
    const qint32 code = Code(QStringLiteral("C"), 0, 3);
    const qint32 first = AddCoding(d, code, 0, 1);
    const qint32 second = AddCoding(d, code, 2, 3);
    doc.GetProgramLists().codingsColorFilter.clear();
    log.Take();

    EXPECT_TRUE(doc.SetItemColor(TopicId::Codes, code, 3));  // unchanged
    EXPECT_FALSE(doc.SetItemColor(TopicId::DocumentSets, 1, 3));
    EXPECT_FALSE(doc.SetItemColor(TopicId::Codes, code + 100, 3));
    EXPECT_EQ(log.Take(), Calls{});

    ASSERT_TRUE(doc.SetItemColor(TopicId::Codes, code, 0xABCDEF));
    EXPECT_EQ(log.Take(), (Calls{"pane.OnObjectChanged(8," + N(code) + ")", "owner.OnObjectChanged(8," + N(code) + ")",
                                 "pane.OnObjectChanged(10," + N(first) + ")", "owner.OnObjectChanged(10," + N(first) + ")",
                                 "pane.OnObjectChanged(10," + N(second) + ")", "owner.OnObjectChanged(10," + N(second) + ")"}));
    EXPECT_EQ(Value(TopicId::Codings, second, CodingField::Type), QString::number(0xABCDEF));
    EXPECT_EQ(doc.GetProgramLists().codingsColorFilter, QList<quint32>{0xABCDEF});

    ASSERT_TRUE(doc.SetItemColor(TopicId::Documents, d, int(kPaletteGreen)));
    EXPECT_EQ(Value(TopicId::Documents, d, DocumentField::Type), QStringLiteral("0"));
    ASSERT_TRUE(doc.SetItemColor(TopicId::Codings, first, 7));
    EXPECT_EQ(Value(TopicId::Codings, first, CodingField::Type), QStringLiteral("7"));
    Reopen();
    EXPECT_EQ(Value(TopicId::Codings, second, CodingField::Type), QString::number(0xABCDEF));

    // A code whose codings cannot all take the colour keeps its own.
    ExpectRefusedWrite(
        QStringLiteral("CREATE TRIGGER [refuse] BEFORE UPDATE ON [Codings] WHEN NEW.[ID]=%1 "
                       "BEGIN SELECT RAISE(ABORT, 'refused'); END;").arg(second),
        [&] {
            EXPECT_FALSE(doc.SetItemColor(TopicId::Codes, code, 5));
            EXPECT_EQ(doc.GetCodeColorIndex(code), 0xABCDEF);
            EXPECT_EQ(Value(TopicId::Codings, first, CodingField::Type), QStringLiteral("7"));
        });
}

TEST_F(CodesTest, UsedColoursAreListedOnceInHueOrder)
{
    Code(QStringLiteral("blue"), 0, 8);          // 0xFF0000: blue
    Code(QStringLiteral("red by index"), 0, 9);  // 0x0000FF: red
    Code(QStringLiteral("red again"), 0, 9);
    Code(QStringLiteral("red by value"), 0, 0x0000FF);
    Code(QStringLiteral("green"), 0, 0);
    QList<COLORREF> colors;
    doc.ListUsedColors(colors, TopicId::Codes);
    // Green (hue 120), blue (240), red (360 sorts last).
    EXPECT_EQ(colors, (QList<COLORREF>{0x008000, 0xFF0000, 0x0000FF}));
    doc.ListUsedColors(colors, TopicId::Codings);
    EXPECT_TRUE(colors.isEmpty());

    doc.GetProgramLists().codingsColorFilter.clear();
    doc.CollectCodeColors(colors, 9);
    EXPECT_EQ(colors.size(), 3);
    EXPECT_TRUE(doc.GetProgramLists().codingsColorFilter.isEmpty());
    doc.CollectCodeColors(colors, int(kPaletteGreen) + 1);
    EXPECT_EQ(doc.GetProgramLists().codingsColorFilter, QList<quint32>{kPaletteGreen + 1});
}
