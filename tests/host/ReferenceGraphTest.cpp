// The standalone host's reference graph: notification through dependents, replacing and
// deleting targets, and automatic deletion of targets nothing references.

#include "host/Reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

/// What the nodes of one test saw: every message they received and every node deleted.
struct Journal {
    struct Received {
        std::string receiver;
        RefMessage message;
        const void* from;  // compared, never followed: the sender may be gone
    };
    std::vector<Received> received;
    std::vector<std::string> deleted;

    std::vector<std::string> Receivers(RefMessage message) const {
        std::vector<std::string> names;
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

/// A maker that is no target, as a scene's root is.
class Holder : public ReferenceMaker {
public:
    SClass_ID SuperClassID() override { return 0; }
    int NumRefs() override { return 4; }
    ReferenceTarget* GetReference(int i) override { return i >= 0 && i < 4 ? refs[i] : nullptr; }
    RefResult NotifyRefChanged(const Interval&, ReferenceTarget*, PartID&, RefMessage,
                               bool) override {
        return REF_SUCCEED;
    }
    ReferenceTarget* refs[4] = {};

protected:
    void SetReference(int i, ReferenceTarget* target) override {
        if (i >= 0 && i < 4) {
            refs[i] = target;
        }
    }
};

// --- Notification ------------------------------------------------------------------------------

// leaf <- middle <- top: middle references leaf, top references middle.
struct Chain {
    Journal journal;
    Holder root;
    Node* leaf = new Node("leaf", journal);
    Node* middle = new Node("middle", journal);
    Node* top = new Node("top", journal);
    Chain() {
        middle->ReplaceReference(0, leaf);
        top->ReplaceReference(0, middle);
        root.ReplaceReference(0, top);
    }
};

TEST(ReferenceNotificationTest, ChangeReachesDependentsAndPropagatesThroughTargets) {
    Chain chain;
    chain.leaf->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    ASSERT_EQ(chain.journal.received.size(), 2u);
    EXPECT_EQ(chain.journal.received[0].receiver, "middle");
    EXPECT_EQ(chain.journal.received[0].from, chain.leaf);
    EXPECT_EQ(chain.journal.received[1].receiver, "top");
    EXPECT_EQ(chain.journal.received[1].from, chain.middle);  // each hop names its own sender
}

TEST(ReferenceNotificationTest, WithoutPropagationOnlyDirectDependentsAreTold) {
    Chain chain;
    chain.leaf->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE, NOTIFY_ALL, false);
    EXPECT_EQ(chain.journal.Receivers(REFMSG_CHANGE), (std::vector<std::string>{"middle"}));
}

TEST(ReferenceNotificationTest, ADependentThatStopsEndsThePropagationBehindIt) {
    Chain chain;
    chain.middle->answer = REF_STOP;
    chain.leaf->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    EXPECT_EQ(chain.journal.Receivers(REFMSG_CHANGE), (std::vector<std::string>{"middle"}));
}

TEST(ReferenceNotificationTest, ATargetClassFilterSkipsDependentsOfOtherClasses) {
    Journal journal;
    Holder root;
    Node* leaf = new Node("leaf", journal);
    Node* plain = new Node("plain", journal);
    Node* texmap = new Node("texmap", journal, TEXMAP_CLASS_ID);
    plain->ReplaceReference(0, leaf);
    texmap->ReplaceReference(0, leaf);
    root.ReplaceReference(0, plain);
    root.ReplaceReference(1, texmap);
    leaf->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE, TEXMAP_CLASS_ID);
    EXPECT_EQ(journal.Receivers(REFMSG_CHANGE), (std::vector<std::string>{"texmap"}));
}

TEST(ReferenceNotificationTest, ADependentHoldingTheTargetTwiceIsToldOnce) {
    Journal journal;
    Holder root;
    Node* leaf = new Node("leaf", journal);
    Node* twice = new Node("twice", journal);
    twice->ReplaceReference(0, leaf);
    twice->ReplaceReference(1, leaf);
    root.ReplaceReference(0, twice);
    leaf->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    EXPECT_EQ(journal.Receivers(REFMSG_CHANGE), (std::vector<std::string>{"twice"}));
}

// --- Replacing and deleting ----------------------------------------------------------------

TEST(ReferenceReplaceTest, AReferenceThatWouldCloseALoopIsRefusedAndChangesNothing) {
    Journal journal;
    Holder root;
    Node* a = new Node("a", journal);
    Node* b = new Node("b", journal);
    Node* c = new Node("c", journal);
    Node* old = new Node("old", journal);
    root.ReplaceReference(0, a);
    a->ReplaceReference(0, b);
    b->ReplaceReference(0, c);
    c->ReplaceReference(0, old);
    EXPECT_EQ(c->ReplaceReference(0, a), REF_FAIL);  // a -> b -> c -> a
    EXPECT_EQ(c->refs[0], old);
    EXPECT_EQ(journal.TimesDeleted("old"), 0);
    EXPECT_EQ(a->GetDependents(), (std::vector<ReferenceMaker*>{&root}));
    EXPECT_EQ(a->ReplaceReference(1, a), REF_FAIL);  // itself
    EXPECT_EQ(a->refs[1], nullptr);
    // A target reached along two paths is no loop; a change of it reaches both makers.
    EXPECT_EQ(a->ReplaceReference(1, c), REF_SUCCEED);
    EXPECT_EQ(a->refs[1], c);
    c->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    std::vector<std::string> told = journal.Receivers(REFMSG_CHANGE);
    EXPECT_EQ(std::count(told.begin(), told.end(), "b"), 1);
    EXPECT_GE(std::count(told.begin(), told.end(), "a"), 1);
}

TEST(ReferenceReplaceTest, ReplacingDeletesTheOldTargetWhenNothingElseHoldsIt) {
    Journal journal;
    Holder root;
    Node* maker = new Node("maker", journal);
    Node* oldTarget = new Node("old", journal);
    Node* newTarget = new Node("new", journal);
    root.ReplaceReference(0, maker);
    maker->ReplaceReference(0, oldTarget);
    maker->ReplaceReference(0, newTarget);
    EXPECT_EQ(journal.TimesDeleted("old"), 1);
    EXPECT_EQ(maker->refs[0], newTarget);
    EXPECT_EQ(newTarget->GetDependents(), (std::vector<ReferenceMaker*>{maker}));
}

TEST(ReferenceReplaceTest, ReplacingKeepsTheOldTargetWhileAnotherMakerHoldsIt) {
    Journal journal;
    Holder root;
    Node* maker = new Node("maker", journal);
    Node* other = new Node("other", journal);
    Node* shared = new Node("shared", journal);
    root.ReplaceReference(0, maker);
    root.ReplaceReference(1, other);
    maker->ReplaceReference(0, shared);
    other->ReplaceReference(0, shared);
    maker->ReplaceReference(0, nullptr);
    EXPECT_EQ(journal.TimesDeleted("shared"), 0);
    EXPECT_EQ(shared->GetDependents(), (std::vector<ReferenceMaker*>{other}));
    EXPECT_EQ(maker->refs[0], nullptr);
}

TEST(ReferenceReplaceTest, ReplacingWithTheSameTargetChangesNothing) {
    Journal journal;
    Holder root;
    Node* maker = new Node("maker", journal);
    Node* target = new Node("target", journal);
    root.ReplaceReference(0, maker);
    maker->ReplaceReference(0, target);
    maker->ReplaceReference(0, target);
    EXPECT_EQ(journal.TimesDeleted("target"), 0);
    EXPECT_EQ(target->GetDependents(), (std::vector<ReferenceMaker*>{maker}));
}

TEST(ReferenceReplaceTest, ReplacingWithoutDelOldKeepsTheOldTarget) {
    Journal journal;
    Holder root;
    Node* maker = new Node("maker", journal);
    Node* kept = new Node("kept", journal);
    root.ReplaceReference(0, maker);
    maker->ReplaceReference(0, kept);
    maker->ReplaceReference(0, nullptr, false);
    EXPECT_EQ(journal.TimesDeleted("kept"), 0);
    EXPECT_TRUE(kept->GetDependents().empty());
    kept->DeleteThis();
}

TEST(ReferenceDeleteTest, DeletingATargetTellsItsMakersAndClearsTheirReferences) {
    Journal journal;
    Holder root;
    Node* maker = new Node("maker", journal);
    Node* target = new Node("target", journal);
    root.ReplaceReference(0, maker);
    maker->ReplaceReference(0, target);
    maker->ReplaceReference(1, target);
    target->DeleteThis();
    ASSERT_EQ(journal.Receivers(REFMSG_TARGET_DELETED), (std::vector<std::string>{"maker"}));
    EXPECT_EQ(journal.received.back().from, target);
    EXPECT_EQ(maker->refs[0], nullptr);
    EXPECT_EQ(maker->refs[1], nullptr);
    // The maker no longer holds the target: replacing its references touches nothing freed.
    Node* next = new Node("next", journal);
    maker->ReplaceReference(0, next);
    EXPECT_EQ(next->GetDependents(), (std::vector<ReferenceMaker*>{maker}));
}

TEST(ReferenceDeleteTest, ReleasingAllReferencesDeletesEachUnheldTargetOnce) {
    Journal journal;
    {
        Holder root;
        Node* outer = new Node("outer", journal);
        Node* inner = new Node("inner", journal);
        outer->ReplaceReference(0, inner);
        // The root holds both, the one that holds the other first, and one of them twice.
        root.ReplaceReference(0, outer);
        root.ReplaceReference(1, inner);
        root.ReplaceReference(2, outer);
    }
    EXPECT_EQ(journal.TimesDeleted("outer"), 1);
    EXPECT_EQ(journal.TimesDeleted("inner"), 1);
}

TEST(ReferenceDeleteTest, MaybeAutoDeleteKeepsATargetThatIsStillHeld) {
    Journal journal;
    Holder root;
    Node* target = new Node("target", journal);
    root.ReplaceReference(0, target);
    target->MaybeAutoDelete();
    EXPECT_EQ(journal.TimesDeleted("target"), 0);
    root.DeleteReference(0);
    EXPECT_EQ(journal.TimesDeleted("target"), 1);
    EXPECT_EQ(root.refs[0], nullptr);
}

}  // namespace
