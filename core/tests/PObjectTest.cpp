#include "core/PObject.h"
#include "core/LiveObjectTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <type_traits>
#include <vector>

namespace {

class Counted : public IPObject {
public:
    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPCounted"; }
};

// A copy would carry the original's count and be missing from the list.
static_assert(!std::is_copy_constructible<Counted>::value && !std::is_copy_assignable<Counted>::value,
              "objects cannot be copied");

TEST(IPObject, ReleaseResetsTheCountAndNeverDestroys)
{
    Counted object;
    object.AddRef();
    object.AddRef();
    object.AddRef();
    object.Release();
    EXPECT_EQ(object.GetRefCount(), 0);
    object.Release();
    EXPECT_EQ(object.GetRefCount(), 0);
    object.AddRef();
    EXPECT_EQ(object.GetRefCount(), 1);
}

TEST(IPObject, ConstructionAppendsToTheGlobalListAndDestructionLeavesTheEntry)
{
    std::list<IPObject*>& objects = GetGlobalObjectList();
    size_t before = objects.size();
    Counted* a = new Counted;
    Counted* b = new Counted;
    Counted* c = new Counted;
    delete b;
    ASSERT_EQ(objects.size(), before + 3);
    auto first = std::next(objects.begin(), static_cast<long>(before));
    EXPECT_EQ(*first, a);
    EXPECT_EQ(*std::next(first, 1), static_cast<IPObject*>(b));
    EXPECT_EQ(*std::next(first, 2), c);
    delete a;
    delete c;
}

TEST(RefPtr, LettingGoResetsTheCountWhateverOtherHoldersExist)
{
    Counted object;
    RefPtr<Counted> outer(&object);
    {
        RefPtr<Counted> inner(outer);
        EXPECT_EQ(object.GetRefCount(), 2);
    }
    EXPECT_EQ(object.GetRefCount(), 0);
    EXPECT_EQ(outer.Get(), &object);
}

TEST(RefPtr, AssigningTheHeldObjectLeavesACountOfOne)
{
    Counted object;
    RefPtr<Counted> holder(&object);
    object.AddRef();
    holder = &object;
    EXPECT_EQ(object.GetRefCount(), 1);
}

TEST(RefPtr, AssignmentReleasesTheOldObjectAndCountsTheNew)
{
    Counted first;
    Counted second;
    RefPtr<Counted> holder(&first);
    RefPtr<Counted> other(&second);
    holder = other;
    EXPECT_EQ(first.GetRefCount(), 0);
    EXPECT_EQ(second.GetRefCount(), 2);
    holder = nullptr;
    EXPECT_EQ(holder.Get(), nullptr);
}

TEST(DeleteListedObjects, DestroysEachListedObjectAndEmptiesTheList)
{
    static int destroyed = 0;
    struct Tracked : Counted {
        ~Tracked() override { ++destroyed; }
    };
    DeleteListedObjects();
    EXPECT_TRUE(GetPendingDeletionList().empty());

    GetPendingDeletionList().push_back(new Tracked);
    GetPendingDeletionList().push_back(nullptr);
    GetPendingDeletionList().push_back(new Tracked);
    DeleteListedObjects();
    EXPECT_EQ(destroyed, 2);
    EXPECT_TRUE(GetPendingDeletionList().empty());
}

} // namespace

namespace {

class PlainObject : public IPObject {
public:
    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "PlainObject"; }
};

TEST(LiveObjects, AnObjectIsLiveFromConstructionToDestruction)
{
    PlainObject* object = new PlainObject();
    const void* address = object;
    EXPECT_TRUE(IsLiveObject(address));
    EXPECT_FALSE(IsLiveObject(static_cast<const char*>(address) + 1));
    EXPECT_FALSE(IsLiveObject(nullptr));
    delete object;
    EXPECT_FALSE(IsLiveObject(address));
}

// Enough addresses to grow the table several times, half of them removed
// on the way, the rest still found.
TEST(LiveObjectTable, KeepsWhatIsInsertedUntilItIsErasedThroughGrowthAndReuse)
{
    LiveObjectTable table;
    std::vector<char> block(40000 * 8);
    for (size_t i = 0; i < 40000; ++i) table.Insert(&block[i * 8]);
    for (size_t i = 0; i < 40000; i += 2) table.Erase(&block[i * 8]);
    for (size_t i = 0; i < 40000; i += 4) table.Insert(&block[i * 8]);
    table.Insert(&block[8]);
    size_t found = 0;
    for (size_t i = 0; i < 40000; ++i) {
        const bool expected = i % 2 == 1 || i % 4 == 0;
        EXPECT_EQ(table.Contains(&block[i * 8]), expected) << i;
        found += expected;
    }
    EXPECT_EQ(table.GetCount(), found);
    EXPECT_FALSE(table.Contains(&block[2] + 1));
}

} // namespace
