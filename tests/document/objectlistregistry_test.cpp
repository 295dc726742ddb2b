#include "document/objectlistregistry.h"

#include "common/recordingpane.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

using testing::ElementsAre;
using testing::IsEmpty;
using testutil::CallLog;
using testutil::RecordingOwner;
using testutil::RecordingPane;

namespace {

// Three panes as the frame registers them: a document tree showing the
// documents root and group 3, a code tree showing the code-system root and
// code 5, and a browser showing the content of document 4 (pseudo-topic 16).
struct Scene {
    Scene()
    {
        docs->shown = {{1, 0}, {2, 3}};
        codes->shown = {{7, 0}, {8, 5}};
        browser->shown = {{16, 4}};
        browser->takesDocument = true;
        registry.SetOwner(&owner);
        for (RecordingPane* pane : {docs.get(), codes.get(), browser.get()})
            registry.Register(pane);
    }

    std::unique_ptr<RecordingPane> MakePane(const char* name)
    {
        return std::make_unique<RecordingPane>(name, log);
    }

    CallLog log;
    RecordingOwner owner{log};
    // Declared before the panes, so the panes go first as in the program.
    ObjectListRegistry registry;
    std::unique_ptr<RecordingPane> docs = MakePane("docs");
    std::unique_ptr<RecordingPane> codes = MakePane("codes");
    std::unique_ptr<RecordingPane> browser = MakePane("browser");
};

class RegistryTest : public testing::Test, protected Scene {};

TEST_F(RegistryTest, RegisterKeepsOneEntryPerPaneAndUnregisterAnswersWhetherItWasThere)
{
    EXPECT_FALSE(registry.Register(nullptr));
    EXPECT_TRUE(registry.Register(codes.get()));   // again: no second entry
    EXPECT_EQ(registry.GetCount(), 3);
    EXPECT_EQ(registry.IndexOf(codes.get()), 1);
    EXPECT_EQ(codes->GetRegistry(), &registry);

    EXPECT_TRUE(registry.Unregister(docs.get()));
    EXPECT_EQ(docs->GetRegistry(), nullptr);
    EXPECT_FALSE(registry.Unregister(docs.get()));
    EXPECT_FALSE(registry.Unregister(nullptr));
    EXPECT_EQ(registry.IndexOf(docs.get()), -1);
    EXPECT_EQ(registry.IndexOf(codes.get()), 0);

    EXPECT_EQ(registry.SelectObject(8, 5, 0), 2);
    EXPECT_THAT(log.Take(), ElementsAre("codes.SelectObject(8,5,0)", "browser.SelectObject(8,5,0)"));
}

TEST_F(RegistryTest, RegisteringWithASecondRegistryLeavesTheFirst)
{
    ObjectListRegistry other;
    EXPECT_TRUE(other.Register(codes.get()));
    EXPECT_EQ(codes->GetRegistry(), &other);
    EXPECT_EQ(registry.IndexOf(codes.get()), -1);
    registry.NotifyChange(8, 5);
    EXPECT_THAT(log.Take(), ElementsAre("docs.OnObjectChanged(8,5)", "browser.OnObjectChanged(8,5)",
                                        "owner.OnObjectChanged(8,5)"));
}

struct BroadcastCase {
    const char* name;
    std::function<qint64(ObjectListRegistry&)> run;
    qint64 result;
    std::vector<std::string> calls;
};

// Which panes each broadcast reaches, in which order, with what, and what
// it answers. Filtered broadcasts reach only the panes that show the
// parent (added) or the object (sort, rename); the others reach every pane,
// and the owner's hook follows the panes.
TEST_F(RegistryTest, EachBroadcastReachesItsPanesInOrderThenTheOwner)
{
    const std::vector<BroadcastCase> cases = {
        {"NotifyAdded under a shown code",
         [](ObjectListRegistry& r) { return r.NotifyAdded(8, 9, -1, 8, 5, true); }, true,
         {"codes.OnObjectAdded(8,9,-1,8,5,1)"}},
        {"NotifyAdded under a parent no pane shows",
         [](ObjectListRegistry& r) { return r.NotifyAdded(8, 9, 0, 8, 6, false); }, false, {}},
        {"NotifyAddedMany into the browser",
         [](ObjectListRegistry& r) { return r.NotifyAddedMany(10, {11, 12, 13}, 16, 4); }, true,
         {"browser.OnObjectsAdded(10,[11,12,13],16,4)"}},
        {"NotifyAddedMany under a parent no pane shows",
         [](ObjectListRegistry& r) { return r.NotifyAddedMany(10, {11}, 10, -1); }, true, {}},
        {"SortChildren of a shown group",
         [](ObjectListRegistry& r) { r.SortChildren(2, 3, -1); return 0; }, 0,
         {"docs.SortChildren(2,3,-1)"}},
        {"BeginEditLabel of a shown code",
         [](ObjectListRegistry& r) { return r.BeginEditLabel(8, 5); }, true,
         {"codes.BeginEditLabel(8,5)"}},
        {"BeginEditLabel of an object no pane shows",
         [](ObjectListRegistry& r) { return r.BeginEditLabel(8, 6); }, false, {}},
        {"NotifyChange", [](ObjectListRegistry& r) { return r.NotifyChange(8, 5); }, true,
         {"docs.OnObjectChanged(8,5)", "codes.OnObjectChanged(8,5)", "browser.OnObjectChanged(8,5)",
          "owner.OnObjectChanged(8,5)"}},
        {"NotifyDeleted", [](ObjectListRegistry& r) { return r.NotifyDeleted(10, 0); }, true,
         {"docs.OnObjectDeleted(10,0)", "codes.OnObjectDeleted(10,0)", "browser.OnObjectDeleted(10,0)",
          "owner.OnObjectDeleted(10,0)"}},
        {"SelectObject", [](ObjectListRegistry& r) { return r.SelectObject(26, 7, 1); }, 3,
         {"docs.SelectObject(26,7,1)", "codes.SelectObject(26,7,1)", "browser.SelectObject(26,7,1)"}},
        {"ShowDocument", [](ObjectListRegistry& r) { return r.ShowDocument(5, 4, 1); }, true,
         {"docs.ShowDocument(5,4,1)", "codes.ShowDocument(5,4,1)", "browser.ShowDocument(5,4,1)"}},
        {"ResetAll", [](ObjectListRegistry& r) { r.ResetAll(); return 0; }, 0,
         {"docs.ResetContent()", "codes.ResetContent()", "browser.ResetContent()",
          "owner.ClearQuickCodes()"}},
        {"RefreshOwner", [](ObjectListRegistry& r) { r.RefreshOwner(); return 0; }, 0,
         {"owner.RefreshListFont()"}},
    };
    for (const BroadcastCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.run(registry), c.result);
        EXPECT_EQ(log.Take(), c.calls);
    }
}

TEST_F(RegistryTest, RenameAndShowStopAtTheFirstPaneThatTakesIt)
{
    log.logIsShown = true;
    auto second = MakePane("codes2");
    second->shown = {{8, 5}};
    registry.Register(second.get());

    // The code tree declines; the second pane showing the code takes it.
    codes->startsEdit = false;
    EXPECT_TRUE(registry.BeginEditLabel(8, 5));
    EXPECT_THAT(log.Take(), ElementsAre("docs.IsShown(8,5)", "codes.IsShown(8,5)",
                                        "codes.BeginEditLabel(8,5)", "browser.IsShown(8,5)",
                                        "codes2.IsShown(8,5)", "codes2.BeginEditLabel(8,5)"));
    // Now the code tree takes it and the second pane is not even asked.
    codes->startsEdit = true;
    EXPECT_TRUE(registry.BeginEditLabel(8, 5));
    EXPECT_THAT(log.Take(), ElementsAre("docs.IsShown(8,5)", "codes.IsShown(8,5)",
                                        "codes.BeginEditLabel(8,5)"));
    codes->startsEdit = second->startsEdit = false;
    EXPECT_FALSE(registry.BeginEditLabel(8, 5));
    log.Take();

    // ShowDocument has no filter: the browser (third) takes it, the fourth
    // pane is not offered it; with no taker every pane is offered it.
    EXPECT_TRUE(registry.ShowDocument(5, 4, 2));
    EXPECT_THAT(log.Take(), ElementsAre("docs.ShowDocument(5,4,2)", "codes.ShowDocument(5,4,2)",
                                        "browser.ShowDocument(5,4,2)"));
    browser->takesDocument = false;
    EXPECT_FALSE(registry.ShowDocument(5, 4, 2));
    EXPECT_EQ(log.Take().size(), 4u);
}

TEST_F(RegistryTest, NotifyAddedOffersEveryShowingPaneAndAnswersWhetherOnePlacedIt)
{
    auto list = MakePane("list");
    list->shown = {{8, 5}};
    registry.Register(list.get());

    // Both panes that show the parent get the object, even after one placed it.
    codes->placesAdded = false;
    EXPECT_TRUE(registry.NotifyAdded(10, 1, -1, 8, 5, false));
    EXPECT_THAT(log.Take(), ElementsAre("codes.OnObjectAdded(10,1,-1,8,5,0)",
                                        "list.OnObjectAdded(10,1,-1,8,5,0)"));
    list->placesAdded = false;
    EXPECT_FALSE(registry.NotifyAdded(10, 1, -1, 8, 5, false));
    EXPECT_EQ(log.Take().size(), 2u);
}

TEST_F(RegistryTest, OwnerHooksRunWithoutPanesAndAreSkippedWithoutOwner)
{
    ObjectListRegistry empty;
    empty.SetOwner(&owner);
    owner.changeAnswer = false;
    EXPECT_FALSE(empty.NotifyChange(8, 2));
    EXPECT_TRUE(empty.NotifyDeleted(8, 2));
    empty.ResetAll();
    EXPECT_THAT(log.Take(), ElementsAre("owner.OnObjectChanged(8,2)", "owner.OnObjectDeleted(8,2)",
                                        "owner.ClearQuickCodes()"));

    registry.SetOwner(nullptr);
    EXPECT_FALSE(registry.NotifyChange(8, 5));
    EXPECT_TRUE(registry.NotifyDeleted(8, 5));
    registry.ResetAll();
    registry.RefreshOwner();
    for (const std::string& call : log.Take())
        EXPECT_EQ(call.rfind("owner.", 0), std::string::npos) << call;
}

// A pane that leaves the registry in the middle of a broadcast (a list
// window closing itself when its object goes) must neither make the walk
// skip a pane nor be called again.
TEST_F(RegistryTest, PanesLeavingDuringABroadcastSkipNoOtherPane)
{
    struct Case {
        const char* name;
        std::function<void(Scene&)> arrange;   // who leaves, and when
        std::vector<std::string> calls;
    };
    const std::vector<Case> cases = {
        {"a pane unregisters itself",
         [](Scene& t) { t.codes->during = [&t](auto&) { t.codes->LeaveRegistry(); }; },
         {"docs.OnObjectDeleted(8,5)", "codes.OnObjectDeleted(8,5)", "browser.OnObjectDeleted(8,5)",
          "owner.OnObjectDeleted(8,5)"}},
        {"a pane unregisters an earlier one",
         [](Scene& t) { t.codes->during = [&t](auto&) { t.docs->LeaveRegistry(); }; },
         {"docs.OnObjectDeleted(8,5)", "codes.OnObjectDeleted(8,5)", "browser.OnObjectDeleted(8,5)",
          "owner.OnObjectDeleted(8,5)"}},
        {"a pane unregisters a later one",
         [](Scene& t) { t.docs->during = [&t](auto&) { t.codes->LeaveRegistry(); }; },
         {"docs.OnObjectDeleted(8,5)", "browser.OnObjectDeleted(8,5)", "owner.OnObjectDeleted(8,5)"}},
        {"a pane destroys a later one",
         [](Scene& t) { t.docs->during = [&t](auto&) { t.codes.reset(); }; },
         {"docs.OnObjectDeleted(8,5)", "browser.OnObjectDeleted(8,5)", "owner.OnObjectDeleted(8,5)"}},
        {"a pane destroys itself",
         [](Scene& t) { t.codes->during = [&t](auto&) { t.codes.reset(); }; },
         {"docs.OnObjectDeleted(8,5)", "codes.OnObjectDeleted(8,5)", "browser.OnObjectDeleted(8,5)",
          "owner.OnObjectDeleted(8,5)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scene t;
        c.arrange(t);
        t.registry.NotifyDeleted(8, 5);
        EXPECT_EQ(t.log.Take(), c.calls);
        // The entries are compacted afterwards: one pane fewer, in order.
        EXPECT_EQ(t.registry.GetCount(), 2);
        EXPECT_EQ(t.registry.IndexOf(t.browser.get()), 1);
        EXPECT_EQ(t.registry.SelectObject(1, 0, 0), 2);
    }
}

TEST_F(RegistryTest, APaneRegisteredDuringABroadcastIsReachedByIt)
{
    auto late = MakePane("late");
    docs->during = [&](auto&) { registry.Register(late.get()); };
    EXPECT_EQ(registry.SelectObject(5, 1, 0), 4);
    EXPECT_THAT(log.Take(), ElementsAre("docs.SelectObject(5,1,0)", "codes.SelectObject(5,1,0)",
                                        "browser.SelectObject(5,1,0)", "late.SelectObject(5,1,0)"));
}

// A pane's handler may make the document broadcast again; a pane leaving in
// the inner broadcast is not called by the rest of the outer one.
TEST_F(RegistryTest, NestedBroadcastsKeepEveryWalkConsistent)
{
    docs->during = [&](const std::string& op) {
        if (op == "OnObjectDeleted")
            registry.NotifyChange(2, 3);
    };
    codes->during = [&](const std::string& op) {
        if (op == "OnObjectChanged")
            registry.Unregister(codes.get());
    };
    registry.NotifyDeleted(5, 9);
    EXPECT_THAT(log.Take(),
                ElementsAre("docs.OnObjectDeleted(5,9)", "docs.OnObjectChanged(2,3)",
                            "codes.OnObjectChanged(2,3)", "browser.OnObjectChanged(2,3)",
                            "owner.OnObjectChanged(2,3)", "browser.OnObjectDeleted(5,9)",
                            "owner.OnObjectDeleted(5,9)"));
    EXPECT_EQ(registry.GetCount(), 2);
}

TEST_F(RegistryTest, ADestroyedPaneIsNeverCalled)
{
    codes.reset();
    EXPECT_EQ(registry.GetCount(), 2);
    registry.NotifyChange(8, 5);
    EXPECT_THAT(log.Take(), ElementsAre("docs.OnObjectChanged(8,5)", "browser.OnObjectChanged(8,5)",
                                        "owner.OnObjectChanged(8,5)"));
}

TEST(RegistryLifetime, PanesOutlivingTheRegistryAreDetached)
{
    CallLog log;
    RecordingPane pane("pane", log);
    {
        ObjectListRegistry registry;
        registry.Register(&pane);
    }
    EXPECT_EQ(pane.GetRegistry(), nullptr);
    EXPECT_THAT(log.calls, IsEmpty());
}   // the pane's destructor must not reach the destroyed registry

}  // namespace
