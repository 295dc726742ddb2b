// Change notifications and list queries: which broadcast each operation
// sends with which arguments, and the queries on code relations.

#include "docfixture.h"
#include "store/topicdatabase.h"

#include <functional>

using namespace doctest;

TEST_F(DocTest, EachNoticeGoesOutAsItsBroadcast)
{
    owner.changeAnswer = false;
    const struct {
        std::function<void()> call;
        std::vector<std::string> calls;
    } cases[] = {
        {[&] { EXPECT_FALSE(doc.NotifyChanged(5, 3)); },
         {"pane.OnObjectChanged(5,3)", "owner.OnObjectChanged(5,3)"}},
        {[&] { doc.NotifyListChanged(10, {1, 2}); },
         {"pane.OnObjectChanged(10,1)", "owner.OnObjectChanged(10,1)", "pane.OnObjectChanged(10,2)",
          "owner.OnObjectChanged(10,2)"}},
        {[&] { EXPECT_TRUE(doc.BeginRename(8, 3)); }, {"pane.BeginEditLabel(8,3)"}},
        {[&] { EXPECT_EQ(doc.SelectInLists(11, 4), 1); }, {"pane.SelectObject(11,4,0)"}},
        {[&] { EXPECT_EQ(doc.SelectDocumentInLists(7), 1); }, {"pane.SelectObject(5,7,0)"}},
        {[&] { doc.SortLists(-1); }, {"pane.SortChildren(1,0,-1)"}},
        {[&] { doc.SortGroupDocuments(4, 2); }, {"pane.SortChildren(2,4,2)"}},
        {[&] { doc.SortSets(); }, {"pane.SortChildren(3,0,1)"}},
        {[&] { doc.SortSetMembers(6); }, {"pane.SortChildren(4,6,1)"}},
        {[&] { doc.SortCodeSets(); }, {"pane.SortChildren(23,0,1)"}},
        {[&] { doc.SortCodeSetMembers(2); }, {"pane.SortChildren(24,2,1)"}},
        {[&] { doc.SortSubcodes(0); }, {"pane.SortChildren(7,0,1)"}},
        {[&] { doc.SortSubcodes(9); }, {"pane.SortChildren(8,9,1)"}},
        {[&] { doc.RebuildTree(true); },
         {"owner.RefreshListFont()", "pane.OnObjectsAdded(5,[],2,0)", "pane.OnObjectsAdded(2,[],1,0)",
          "pane.OnObjectChanged(1,0)", "owner.OnObjectChanged(1,0)", "pane.OnObjectsAdded(4,[],3,0)",
          "pane.OnObjectChanged(3,0)", "owner.OnObjectChanged(3,0)", "pane.OnObjectsAdded(8,[],7,0)",
          "pane.OnObjectChanged(7,0)", "owner.OnObjectChanged(7,0)", "pane.OnObjectsAdded(24,[],23,0)",
          "pane.OnObjectChanged(23,0)", "owner.OnObjectChanged(23,0)", "pane.OnObjectChanged(27,0)",
          "owner.OnObjectChanged(27,0)"}},
    };
    for (const auto& c : cases) {
        c.call();
        EXPECT_EQ(log.Take(), c.calls);
    }
}

TEST_F(DocTest, RelatedNoticesFollowTheReferencesOfTheRows)
{
    NewProject();
    const qint32 document = AddDocument(0, QStringLiteral("D"));
    const qint32 other = AddDocument(0, QStringLiteral("E"));
    const qint32 set = AddRow(db(), TopicId::DocumentSets, {{3, QStringLiteral("S")}});
    const qint32 member = AddRow(db(), TopicId::DocumentSetMembers,
                                 {{SetMemberField::SetID, set}, {SetMemberField::ObjectID, document}});
    const qint32 code = AddCode(QStringLiteral("C"));
    const qint32 first = AddCoding(document, code, 0, 1);
    AddCoding(other, code, 0, 1);
    const qint32 second = AddCoding(document, code, 2, 3);
    log.Take();
    const auto n = [](qint32 v) { return std::to_string(v); };

    doc.NotifyRelatedChanged(TopicId::Codings, TopicId::Documents, document);
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"pane.OnObjectChanged(10," + n(first) + ")",
                                                    "owner.OnObjectChanged(10," + n(first) + ")",
                                                    "pane.OnObjectChanged(10," + n(second) + ")",
                                                    "owner.OnObjectChanged(10," + n(second) + ")"}));
    doc.NotifyRelatedChanged(TopicId::DocumentSetMembers, TopicId::Documents, document);
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"pane.OnObjectChanged(6," + n(member) + ")",
                                                    "owner.OnObjectChanged(6," + n(member) + ")"}));
    doc.NotifyRelatedChanged(TopicId::Codings, TopicId::Codes, code);
    EXPECT_EQ(log.Take().size(), 6u);
    doc.NotifyRelatedChanged(TopicId::Codings, TopicId::DocumentSets, set);  // no such reference
    doc.NotifyRelatedChanged(99, TopicId::Documents, document);             // no such topic
    EXPECT_TRUE(log.Take().empty());

    EXPECT_EQ(doc.CountCodingsOfDocumentAndCode(document, code), 2);
    EXPECT_EQ(doc.CountCodingsOfDocumentAndCode(other, code), 1);
    EXPECT_EQ(doc.CountCodingsOfDocumentAndCode(document, code + 1), 0);
}

TEST_F(DocTest, SubcodesAreFoundAndAnnouncedDepthFirst)
{
    NewProject();
    const qint32 root = AddCode(QStringLiteral("root"));
    const qint32 a = AddCode(QStringLiteral("A"), root);
    const qint32 b = AddCode(QStringLiteral("B"), root);
    const qint32 a1 = AddCode(QStringLiteral("A1"), a);
    const qint32 a2 = AddCode(QStringLiteral("A2"), a);
    const qint32 a11 = AddCode(QStringLiteral("A11"), a1);
    log.Take();

    QList<qint32> ids = {-1};
    doc.CollectSubcodes(root, ids);
    EXPECT_EQ(ids, (QList<qint32>{-1, a, a1, a11, a2, b}));
    ASSERT_TRUE(doc.GetChildCodes(a, ids));
    EXPECT_EQ(ids, (QList<qint32>{a1, a2}));

    doc.NotifyCodeSubtree(a);
    const auto n = [](qint32 v) { return std::to_string(v); };
    EXPECT_EQ(log.Take(), (std::vector<std::string>{
                              "pane.OnObjectsAdded(8,[" + n(a1) + "," + n(a2) + "],7," + n(a) + ")",
                              "pane.OnObjectsAdded(8,[" + n(a11) + "],7," + n(a1) + ")",
                              "pane.OnObjectsAdded(8,[],7," + n(a11) + ")",
                              "pane.OnObjectsAdded(8,[],7," + n(a2) + ")",
                          }));

    // A damaged file whose parents form a cycle is walked once.
    const qint32 x = AddCode(QStringLiteral("X"));
    const qint32 y = AddCode(QStringLiteral("Y"), x);
    RowBuffer row;
    ASSERT_TRUE(db().ReadRow(TopicId::Codes, x, row, false));
    ASSERT_TRUE(row.SetFieldText(CodeField::Parent, QString::number(y)));
    row.Release();
    ids.clear();
    doc.CollectSubcodes(x, ids);
    EXPECT_EQ(ids, QList<qint32>{y});
    log.Take();
    doc.NotifyCodeSubtree(x);
    EXPECT_EQ(log.Take().size(), 2u);
}

TEST(KorDocQueries, TheUniqueMaximumAndTheColourFilter)
{
    const struct {
        QList<qint32> counts;
        int index;
    } cases[] = {{{}, -1}, {{0, 0}, -1}, {{-3, -1}, -1}, {{3, 5, 5}, -2}, {{3, 5, 4}, 1}, {{7}, 0}, {{0, 1}, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(CKorDoc::FindUniqueMaximum(c.counts), c.index) << c.counts.size();

    CKorDoc doc;
    doc.AddColorFilterCode(0x0000FF);
    doc.AddColorFilterCode(0x008000);
    doc.AddColorFilterCode(0x0000FF);
    EXPECT_EQ(doc.GetProgramLists().codingsColorFilter, (QList<quint32>{0x0000FF, 0x008000}));
    for (qint32 kind : {5, 8, 10, 11, 0})
        EXPECT_EQ(doc.GetActivatedCount(kind), 0) << kind;
}
