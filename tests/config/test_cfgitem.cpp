// Frequency-base items: unique ids, deep copies, enabling and selection, lookups.

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "config/cfgitem.h"
#include "tree_util.h"

namespace {

// S: F1 (fixed), Sub (folder: T1 (tacho), B1 (track)), F2 (fixed)
struct Tree {
    CCfgProcSection s;
    CCfgProcBandFix* f1;
    CCfgProcFolder* sub;
    CCfgProcTaho* t1;
    CCfgProcBandTrack* b1;
    CCfgProcBandFix* f2;
    Tree() {
        s.name = "S";
        s.path = "/tmp/s.json";
        f1 = Add<CCfgProcBandFix>(s, "F1");
        sub = Add<CCfgProcFolder>(s, "Sub");
        t1 = Add<CCfgProcTaho>(*sub, "T1");
        b1 = Add<CCfgProcBandTrack>(*sub, "Подшипник");
        f2 = Add<CCfgProcBandFix>(s, "F2");
        f1->bandStart = 10;
        f1->bandStop = 20;
        t1->tachoChannel = "rpm";
        t1->tachoPin = 7;
        t1->bandWidth.tachoRef = "T1";
        t1->bandWidth.tachoRefId = t1->id;
        b1->components = {{"T1", t1->id, 2.5}, {"T9", -1, 1.0}};
        b1->info = "bearing";
        b1->enabled = false;
    }
};

TEST(CfgItem, CreateItemKindsAndIds) {
    for (int32_t kind : {1, 2, 4, 8, 16}) {
        auto item = CreateItem(kind);
        ASSERT_TRUE(item);
        EXPECT_EQ(item->GetType(), kind);
        EXPECT_EQ(item->id, CfgLastItemId());
    }
    EXPECT_FALSE(CreateItem(3));
    EXPECT_FALSE(CreateItem(0));
    EXPECT_FALSE(CreateItem(32));

    auto band = CreateItem(CfgItemFixedBand);
    auto copy = CreateItem(CfgItemFixedBand);
    const int32_t copyOwnId = copy->id;
    EXPECT_GT(copyOwnId, band->id);
    copy->CopyFrom(band.get());
    EXPECT_EQ(copy->id, band->id);
    EXPECT_EQ(CfgLastItemId(), copyOwnId);  // the copy's construction still took an id
}

TEST(CfgItem, IdsStayUniqueAcrossThreads) {
    std::vector<int32_t> a, b;
    auto make = [](std::vector<int32_t>& out) {
        for (int i = 0; i < 2000; ++i) out.push_back(CCfgProcFolder().id);
    };
    std::thread t1(make, std::ref(a)), t2(make, std::ref(b));
    t1.join();
    t2.join();
    std::set<int32_t> all(a.begin(), a.end());
    all.insert(b.begin(), b.end());
    EXPECT_EQ(all.size(), 4000u);
}

TEST(CfgItem, CopyFromDeepCopiesAndKeepsIds) {
    Tree t;
    CCfgProcSection copy;
    copy.CopyFrom(&t.s);
    EXPECT_EQ(copy.id, t.s.id);
    EXPECT_EQ(copy.path, t.s.path);
    EXPECT_EQ(copy.parent, nullptr);
    ASSERT_EQ(copy.children.size(), 3u);
    auto* sub = static_cast<CCfgProcFolder*>(copy.children[1].get());
    EXPECT_EQ(sub->parent, &copy);
    ASSERT_EQ(sub->children.size(), 2u);
    EXPECT_EQ(sub->children[0]->parent, sub);
    auto* t1 = static_cast<CCfgProcTaho*>(sub->children[0].get());
    EXPECT_NE(t1, t.t1);
    EXPECT_EQ(t1->id, t.t1->id);
    EXPECT_EQ(t1->tachoChannel, "rpm");
    EXPECT_EQ(t1->tachoPin, 7);
    EXPECT_EQ(t1->bandWidth, t.t1->bandWidth);
    auto* b1 = static_cast<CCfgProcBandTrack*>(sub->children[1].get());
    EXPECT_EQ(b1->components, t.b1->components);
    EXPECT_EQ(b1->info, "bearing");
    EXPECT_FALSE(b1->enabled);
    EXPECT_EQ(static_cast<CCfgProcBandFix*>(copy.children[0].get())->bandStop, 20.0);

    // A second copy replaces what was there.
    CCfgProcSection other;
    other.name = "Other";
    copy.CopyFrom(&other);
    EXPECT_TRUE(copy.children.empty());
    EXPECT_EQ(copy.name, "Other");

    // Other kinds and null copy nothing.
    CCfgProcFolder folder;
    folder.name = "keep";
    folder.CopyFrom(&t.s);
    folder.CopyFrom(nullptr);
    EXPECT_EQ(folder.name, "keep");
    EXPECT_TRUE(folder.children.empty());
    t.f2->CopyFrom(t.t1);
    EXPECT_EQ(t.f2->name, "F2");

    // Copying from itself or from its own subtree does not lose the source.
    const int32_t subId = t.sub->id;
    t.s.CopyFrom(&t.s);
    ASSERT_EQ(t.s.children.size(), 3u);
    auto* sub2 = static_cast<CCfgProcFolder*>(t.s.children[1].get());
    EXPECT_EQ(sub2->id, subId);  // t.sub itself is gone now
    sub2->CopyFrom(sub2);
    EXPECT_EQ(sub2->children.size(), 2u);
    // Copying a folder from its own child replaces the folder's contents with the child's.
    auto* s3 = static_cast<CCfgProcFolder*>(sub2->Append(std::make_unique<CCfgProcFolder>()));
    Add<CCfgProcBandFix>(*s3, "inner");
    sub2->CopyFrom(s3);
    ASSERT_EQ(sub2->children.size(), 1u);
    EXPECT_EQ(sub2->children[0]->name, "inner");
    EXPECT_EQ(sub2->children[0]->parent, sub2);

    // The same for a section holding a section, as an exchange file may: its
    // path survives the destruction of the source.
    CCfgProcSection outer;
    auto* nested = static_cast<CCfgProcSection*>(outer.Append(CreateItem(CfgItemRoot)));
    nested->path = std::string(100, 'p');  // too long for any short-string buffer
    Add<CCfgProcBandFix>(*nested, "deep");
    outer.CopyFrom(nested);
    EXPECT_EQ(outer.path, std::string(100, 'p'));
    ASSERT_EQ(outer.children.size(), 1u);
    EXPECT_EQ(outer.children[0]->name, "deep");
}

TEST(CfgItem, EnabledAndSelectedFollowTheSubtree) {
    Tree t;
    t.sub->SetEnabled(false);
    EXPECT_FALSE(t.sub->enabled || t.t1->enabled || t.b1->enabled);
    EXPECT_EQ(t.t1->GetOverlay(), 1);
    t.s.SetEnabled(true);
    EXPECT_TRUE(t.sub->enabled && t.t1->enabled && t.b1->enabled && t.f1->enabled);
    EXPECT_EQ(t.t1->GetOverlay(), 0);

    // A disabled child keeps its selection, and so does everything below it.
    t.sub->SetEnabled(false);
    t.s.SetSelected(false);
    EXPECT_FALSE(t.s.selected || t.f1->selected || t.f2->selected);
    EXPECT_TRUE(t.sub->selected && t.t1->selected && t.b1->selected);
    t.sub->SetEnabled(true);
    t.b1->SetEnabled(false);
    t.sub->SetSelected(false);
    EXPECT_FALSE(t.t1->selected);
    EXPECT_TRUE(t.b1->selected);
}

TEST(CfgItem, FolderLookupsAndRemove) {
    Tree t;
    EXPECT_EQ(t.s.FindById(t.s.id), &t.s);
    EXPECT_EQ(t.s.FindById(t.b1->id), t.b1);
    EXPECT_EQ(t.s.FindById(t.f2->id), t.f2);
    EXPECT_EQ(t.sub->FindById(t.f1->id), nullptr);
    EXPECT_EQ(t.s.FindByName("sub"), t.sub);
    EXPECT_EQ(t.s.FindByName("ПОДШИПНИК"), t.b1);
    EXPECT_EQ(t.s.FindByName("s"), &t.s);
    EXPECT_EQ(t.s.FindByName("none"), nullptr);
    // Pre-order: a name inside the folder is found before a later sibling.
    t.f2->name = "T1";
    EXPECT_EQ(t.s.FindByName("t1"), t.t1);

    EXPECT_FALSE(t.s.Remove(nullptr));
    EXPECT_FALSE(t.s.Remove(t.t1));  // not a direct child
    EXPECT_TRUE(t.s.Remove(t.sub));
    EXPECT_EQ(t.s.children.size(), 2u);
    EXPECT_EQ(t.s.children[1].get(), t.f2);
    t.s.Clear();
    EXPECT_TRUE(t.s.children.empty());
}

}  // namespace
