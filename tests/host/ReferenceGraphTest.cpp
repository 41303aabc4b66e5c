// The standalone host's reference graph as the plug-in uses it: change notification through
// dependents, refusal of reference loops, and deletion of targets that nothing holds any more.

#include "scene/StandaloneHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;
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
};

/// A reference target with two references that records what reaches it.
class Node : public ReferenceTarget {
public:
    Node(std::string nodeName, Journal& j) : name(std::move(nodeName)), journal(j) {}
    ~Node() override { journal.deleted.push_back(name); }

    SClass_ID SuperClassID() override { return REF_TARGET_CLASS_ID; }
    int NumRefs() override { return 2; }
    ReferenceTarget* GetReference(int i) override { return i >= 0 && i < 2 ? refs[i] : nullptr; }
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle hTarget, PartID&,
                               RefMessage message, BOOL) override {
        journal.received.push_back({name, message, hTarget});
        return REF_SUCCEED;
    }

    std::string name;
    Journal& journal;
    ReferenceTarget* refs[2] = {};

protected:
    void SetReference(int i, ReferenceTarget* target) override {
        if (i >= 0 && i < 2) {
            refs[i] = target;
        }
    }
};

TEST(ReferenceGraphTest, AChangeReachesEachDependentOnceAndAReferenceClosingALoopIsRefused) {
    // middle holds leaf twice, top holds middle, side holds leaf, leaf holds old.
    Journal journal;
    SceneRoot root;
    Node* leaf = new Node("leaf", journal);
    Node* middle = new Node("middle", journal);
    Node* top = new Node("top", journal);
    Node* side = new Node("side", journal);
    Node* old = new Node("old", journal);
    middle->ReplaceReference(0, leaf);
    middle->ReplaceReference(1, leaf);
    top->ReplaceReference(0, middle);
    side->ReplaceReference(0, leaf);
    leaf->ReplaceReference(0, old);
    root.Add(top);
    root.Add(side);

    leaf->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    EXPECT_EQ(journal.Receivers(REFMSG_CHANGE), (Names{"middle", "top", "side"}));
    for (const Journal::Received& r : journal.received) {
        EXPECT_EQ(r.from, r.receiver == "top" ? middle : leaf) << r.receiver;
    }

    EXPECT_EQ(leaf->ReplaceReference(0, top), REF_FAIL);  // top -> middle -> leaf -> top
    EXPECT_EQ(leaf->refs[0], old);
    EXPECT_TRUE(journal.deleted.empty());
    EXPECT_EQ(standalone::DependentsOf(top), (std::vector<ReferenceMaker*>{&root}));
    EXPECT_EQ(top->ReplaceReference(1, top), REF_FAIL);  // itself
    EXPECT_EQ(top->refs[1], nullptr);
    // A target reached along two paths is no loop; a change of it reaches both makers.
    EXPECT_EQ(top->ReplaceReference(1, leaf), REF_SUCCEED);
    EXPECT_EQ(top->refs[1], leaf);
    journal.received.clear();
    leaf->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    Names told = journal.Receivers(REFMSG_CHANGE);
    EXPECT_EQ(std::count(told.begin(), told.end(), "middle"), 1);
    EXPECT_GE(std::count(told.begin(), told.end(), "top"), 1);
}

TEST(ReferenceLifetimeTest, ATargetGoesOnlyWhenNothingHoldsItAndItsMakersForgetIt) {
    Journal journal;
    SceneRoot root;
    Node* maker = new Node("maker", journal);
    Node* other = new Node("other", journal);
    Node* shared = new Node("shared", journal);
    Node* alone = new Node("alone", journal);
    Node* next = new Node("next", journal);
    root.Add(maker);
    root.Add(other);
    other->ReplaceReference(0, shared);
    maker->ReplaceReference(0, shared);
    maker->ReplaceReference(0, alone);  // another maker still holds the old target
    maker->ReplaceReference(0, next);   // nothing else holds this one
    EXPECT_EQ(journal.deleted, (Names{"alone"}));
    EXPECT_EQ(maker->refs[0], next);

    // A deleted target tells each maker once, however often it holds it, and leaves none of
    // their references to it.
    other->ReplaceReference(1, shared);
    maker->ReplaceReference(1, shared);
    shared->DeleteThis();
    Names told = journal.Receivers(REFMSG_TARGET_DELETED);
    std::sort(told.begin(), told.end());
    EXPECT_EQ(told, (Names{"maker", "other"}));
    EXPECT_EQ(journal.received.back().from, shared);
    EXPECT_TRUE(other->refs[0] == nullptr && other->refs[1] == nullptr);
    EXPECT_TRUE(maker->refs[0] == next && maker->refs[1] == nullptr);
    // Releasing the last reference to a maker deletes it and what only it held.
    root.Remove(0);
    std::sort(journal.deleted.begin(), journal.deleted.end());
    EXPECT_EQ(journal.deleted, (Names{"alone", "maker", "next", "shared"}));
}

}  // namespace
