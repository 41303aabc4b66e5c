// The standalone host's reference graph: notification through dependents, replacing and
// deleting targets, and automatic deletion of targets nothing references.

#include "scene/StandaloneHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;
using Makers = std::vector<ReferenceMaker*>;
using standalone::SceneRoot;

/// What the nodes of one test saw: every message they received and every node deleted.
struct Journal {
    struct Received {
        std::string receiver;
        RefMessage message;
        const void* from;  // compared, never followed: the sender may be gone
    };
    std::vector<Received> received;
    Names deleted;

    Names Receivers(RefMessage message) const {
        Names names;
        for (const Received& r : received) {
            if (r.message == message) {
                names.push_back(r.receiver);
            }
        }
        return names;
    }
    int TimesDeleted(const std::string& name) const {
        return int(std::count(deleted.begin(), deleted.end(), name));
    }
};

/// A reference target with two references that records what reaches it.
class Node : public ReferenceTarget {
public:
    Node(std::string nodeName, Journal& j, SClass_ID superClass = REF_TARGET_CLASS_ID)
        : name(std::move(nodeName)), journal(j), superClassId(superClass) {}
    ~Node() override { journal.deleted.push_back(name); }

    SClass_ID SuperClassID() override { return superClassId; }
    int NumRefs() override { return 2; }
    ReferenceTarget* GetReference(int i) override { return i >= 0 && i < 2 ? refs[i] : nullptr; }
    RefResult NotifyRefChanged(const Interval&, ReferenceTarget* hTarget, PartID&,
                               RefMessage message, bool) override {
        journal.received.push_back({name, message, hTarget});
        return answer;
    }

    std::string name;
    Journal& journal;
    SClass_ID superClassId;
    RefResult answer = REF_SUCCEED;
    ReferenceTarget* refs[2] = {};

protected:
    void SetReference(int i, ReferenceTarget* target) override {
        if (i >= 0 && i < 2) {
            refs[i] = target;
        }
    }
};

TEST(ReferenceNotificationTest, ChangeReachesEachDependentOnceAsPropagationAndFiltersAllow) {
    // middle holds leaf twice, top holds middle, texmap (of the texture-map class) holds leaf.
    struct Case {
        const char* what;
        bool propagate;
        SClass_ID filter;
        RefResult middleAnswers;
        Names told;
    };
    const Case cases[] = {
        {"propagated", true, NOTIFY_ALL, REF_SUCCEED, {"middle", "top", "texmap"}},
        {"not propagated", false, NOTIFY_ALL, REF_SUCCEED, {"middle", "texmap"}},
        {"middle stops", true, NOTIFY_ALL, REF_STOP, {"middle", "texmap"}},
        {"texture maps only", true, TEXMAP_CLASS_ID, REF_SUCCEED, {"texmap"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Journal journal;
        SceneRoot root;
        Node* leaf = new Node("leaf", journal);
        Node* middle = new Node("middle", journal);
        Node* top = new Node("top", journal);
        Node* texmap = new Node("texmap", journal, TEXMAP_CLASS_ID);
        middle->ReplaceReference(0, leaf);
        middle->ReplaceReference(1, leaf);
        top->ReplaceReference(0, middle);
        texmap->ReplaceReference(0, leaf);
        root.Add(top);
        root.Add(texmap);
        middle->answer = c.middleAnswers;

        leaf->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE, c.filter, c.propagate);
        EXPECT_EQ(journal.Receivers(REFMSG_CHANGE), c.told);
        for (const Journal::Received& r : journal.received) {
            // Each hop names its own sender.
            EXPECT_EQ(r.from, r.receiver == "top" ? middle : leaf) << r.receiver;
        }
    }
}

TEST(ReferenceReplaceTest, AReferenceThatWouldCloseALoopIsRefusedAndChangesNothing) {
    Journal journal;
    SceneRoot root;
    Node* a = new Node("a", journal);
    Node* b = new Node("b", journal);
    Node* c = new Node("c", journal);
    Node* old = new Node("old", journal);
    root.Add(a);
    a->ReplaceReference(0, b);
    b->ReplaceReference(0, c);
    c->ReplaceReference(0, old);
    EXPECT_EQ(c->ReplaceReference(0, a), REF_FAIL);  // a -> b -> c -> a
    EXPECT_EQ(c->refs[0], old);
    EXPECT_EQ(journal.TimesDeleted("old"), 0);
    EXPECT_EQ(a->GetDependents(), (Makers{&root}));
    EXPECT_EQ(a->ReplaceReference(1, a), REF_FAIL);  // itself
    EXPECT_EQ(a->refs[1], nullptr);
    // A target reached along two paths is no loop; a change of it reaches both makers.
    EXPECT_EQ(a->ReplaceReference(1, c), REF_SUCCEED);
    EXPECT_EQ(a->refs[1], c);
    c->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    Names told = journal.Receivers(REFMSG_CHANGE);
    EXPECT_EQ(std::count(told.begin(), told.end(), "b"), 1);
    EXPECT_GE(std::count(told.begin(), told.end(), "a"), 1);
}

TEST(ReferenceReplaceTest, TheOldTargetIsDeletedOnlyWhenNothingHoldsItAndDelOldIsSet) {
    Journal journal;
    SceneRoot root;
    Node* maker = new Node("maker", journal);
    Node* other = new Node("other", journal);
    Node* shared = new Node("shared", journal);
    Node* alone = new Node("alone", journal);
    Node* kept = new Node("kept", journal);
    root.Add(maker);
    root.Add(other);
    other->ReplaceReference(0, shared);

    maker->ReplaceReference(0, shared);
    maker->ReplaceReference(0, shared);  // the same target again changes nothing
    EXPECT_EQ(shared->GetDependents(), (Makers{other, maker}));
    maker->ReplaceReference(0, alone);  // another maker still holds the old target
    EXPECT_EQ(journal.TimesDeleted("shared"), 0);
    EXPECT_EQ(shared->GetDependents(), (Makers{other}));
    maker->ReplaceReference(0, kept);  // nothing else holds it
    EXPECT_EQ(journal.deleted, (Names{"alone"}));
    EXPECT_EQ(maker->refs[0], kept);
    EXPECT_EQ(kept->GetDependents(), (Makers{maker}));
    maker->ReplaceReference(0, nullptr, false);  // without delOld
    EXPECT_EQ(journal.deleted, (Names{"alone"}));
    EXPECT_TRUE(kept->GetDependents().empty());
    EXPECT_EQ(maker->refs[0], nullptr);
    kept->DeleteThis();
}

TEST(ReferenceDeleteTest, DeletingATargetTellsItsMakersOnceAndClearsTheirReferences) {
    Journal journal;
    SceneRoot root;
    Node* maker = new Node("maker", journal);
    Node* target = new Node("target", journal);
    root.Add(maker);
    maker->ReplaceReference(0, target);
    maker->ReplaceReference(1, target);
    target->MaybeAutoDelete();  // still held
    EXPECT_EQ(journal.TimesDeleted("target"), 0);
    target->DeleteThis();
    ASSERT_EQ(journal.Receivers(REFMSG_TARGET_DELETED), (Names{"maker"}));
    EXPECT_EQ(journal.received.back().from, target);
    EXPECT_EQ(maker->refs[0], nullptr);
    EXPECT_EQ(maker->refs[1], nullptr);
    // The maker no longer holds the target: replacing its references touches nothing freed.
    Node* next = new Node("next", journal);
    maker->ReplaceReference(0, next);
    EXPECT_EQ(next->GetDependents(), (Makers{maker}));
    // Deleting the last reference to a target deletes it.
    root.Remove(0);
    EXPECT_EQ(journal.TimesDeleted("maker"), 1);
    EXPECT_EQ(journal.TimesDeleted("next"), 1);
    EXPECT_EQ(root.Get(0), nullptr);
}

}  // namespace
