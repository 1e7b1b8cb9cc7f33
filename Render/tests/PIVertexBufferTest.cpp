#include "Render/PIVertexBuffer.h"
#include "Render/tests/FixedDrawable.h"
#include "Render/tests/RecordingBuffers.h"
#include "Render/tests/RecordingDevice.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Journal;

const int kVertexCapacity = 16;
const int kIndexCapacity = 32;

class DynamicRing : public testing::Test {
protected:
    explicit DynamicRing(int pairs = 2, bool keepContents = false)
        : ring(pairs, kVertexCapacity, kIndexCapacity),
          buffer(ring.VertexBuffers(), ring.IndexBuffers(), kVertexCapacity, kIndexCapacity,
                 keepContents)
    {
    }

    const Vertex48* Vertices(int pair) const
    {
        return reinterpret_cast<const Vertex48*>(ring.vertexBuffers[pair]->bytes.data());
    }
    const uint16_t* Indices(int pair) const
    {
        return reinterpret_cast<const uint16_t*>(ring.indexBuffers[pair]->bytes.data());
    }

    RecordingRing ring;
    CPIVertexBuffer buffer;
};

TEST(DynamicRingOnDevice, MakesItsPairsAsDynamicWriteOnlyDefaultPoolBuffers)
{
    RecordingDevice device;
    CPIVertexBuffer buffer(device.Get(), 2, 100, 300, false);
    const std::string vertices = Call("CreateVertexBuffer", {4800, 0x208, 0x2D2, 0});
    const std::string indices = Call("CreateIndexBuffer", {600, 0x208, D3DFMT_INDEX16, 0});
    EXPECT_EQ(device.CallTexts(), (Journal{vertices, indices, vertices, indices}));
    EXPECT_EQ(buffer.GetRingSize(), 2);
    // The recording device makes no buffers, so nothing can be locked.
    EXPECT_FALSE(buffer.Lock(0, 0, true, -1));
    EXPECT_FALSE(buffer.IsLocked());
}

TEST(DynamicRingOnDevice, APairWhoseIndexBufferFailedIsCompletedOnTheNextCreation)
{
    RecordingDevice device;
    device.SetCreateResult(D3D_OK);
    device.SetIndexCreateResult(E_OUTOFMEMORY);
    CPIVertexBuffer buffer(device.Get(), 1, 100, 300, false);
    EXPECT_FALSE(buffer.Lock(0, 0, true, -1));

    device.SetIndexCreateResult(D3D_OK);
    device.ForgetCalls();
    buffer.CreateBuffers();
    EXPECT_EQ(device.CallTexts(), Journal{Call("CreateIndexBuffer", {600, 0x208, D3DFMT_INDEX16, 0})});
    ASSERT_TRUE(buffer.Lock(0, 0, true, -1));
    buffer.Unlock(true);
}

struct LockFlagsCase {
    bool keepContents;
    unsigned long flags;
};

class LockFlags : public testing::TestWithParam<LockFlagsCase> {};

TEST_P(LockFlags, DiscardUnlessTheContentsAreKept)
{
    RecordingRing ring(1, kVertexCapacity, kIndexCapacity);
    CPIVertexBuffer buffer(ring.VertexBuffers(), ring.IndexBuffers(), kVertexCapacity,
                           kIndexCapacity, GetParam().keepContents);
    ASSERT_TRUE(buffer.Lock(3, 6, true, -1));
    unsigned long flags = GetParam().flags;
    EXPECT_EQ(ring.journal,
              (Journal{"vb0." + Call("Lock", {0, 144, flags}), "ib0." + Call("Lock", {0, 12, flags})}));
}

INSTANTIATE_TEST_SUITE_P(Rows, LockFlags,
                         testing::Values(LockFlagsCase{true, 0x800}, LockFlagsCase{false, 0x2800}));

TEST_F(DynamicRing, EachCycleMovesToTheNextPairAndWrapsAround)
{
    for (int cycle = 0; cycle < 3; ++cycle) {
        ASSERT_TRUE(buffer.Lock(0, 0, true, -1));
        buffer.Unlock(true);
    }
    const std::string whole0 = "." + Call("Lock", {0, 0, 0x2800});
    EXPECT_EQ(ring.journal, (Journal{"vb0" + whole0, "ib0" + whole0, "vb0.Unlock", "ib0.Unlock",
                                     "vb1" + whole0, "ib1" + whole0, "vb1.Unlock", "ib1.Unlock",
                                     "vb0" + whole0, "ib0" + whole0, "vb0.Unlock", "ib0.Unlock"}));
    EXPECT_EQ(buffer.GetCurrent(), 1);
}

TEST_F(DynamicRing, LockingWhileLockedChangesNothingAndUnlockingTwiceOnlyOnce)
{
    ASSERT_TRUE(buffer.Lock(2, 3, true, 1));
    Journal before = ring.journal;
    EXPECT_FALSE(buffer.Lock(4, 6, true, 0));
    EXPECT_EQ(ring.journal, before);
    EXPECT_EQ(buffer.GetCurrent(), 1);

    buffer.Unlock(false);
    buffer.Unlock(true);
    before.push_back("ib1.Unlock");
    EXPECT_EQ(ring.journal, before) << "the vertices stay locked when not asked to unlock";
    EXPECT_EQ(buffer.GetCurrent(), 0);
}

TEST(DynamicRingWithoutPairs, NeverLocks)
{
    CPIVertexBuffer buffer(std::vector<IDirect3DVertexBuffer9*>(), std::vector<IDirect3DIndexBuffer9*>(),
                           kVertexCapacity, kIndexCapacity, false);
    EXPECT_FALSE(buffer.Lock(0, 0, true, -1));
    EXPECT_FALSE(buffer.IsLocked());
}

TEST_F(DynamicRing, APositionOutsideTheRingIsRefusedAndTheRingGoesOn)
{
    ASSERT_TRUE(buffer.Lock(0, 0, true, 1));
    buffer.Unlock(true);
    ring.journal.clear();
    for (int outside : {2, -2}) {
        EXPECT_FALSE(buffer.Lock(0, 0, true, outside)) << outside;
        EXPECT_FALSE(buffer.IsLocked());
    }
    EXPECT_TRUE(ring.journal.empty());
    ASSERT_TRUE(buffer.Lock(0, 0, true, -1));
    EXPECT_EQ(buffer.GetCurrent(), 0) << "the pair after the last one unlocked";
}

struct LockFailureCase {
    const char* name;
    bool failVertices;
    bool lockVertices;
    Journal journal;
};

class LockFailure : public testing::TestWithParam<LockFailureCase> {};

// A failed lock leaves nothing locked: after a failed vertex lock the
// indices are not tried, and after a failed index lock only a vertex
// buffer that was locked is unlocked.
TEST_P(LockFailure, LeavesNothingLocked)
{
    const LockFailureCase& row = GetParam();
    RecordingRing ring(2, kVertexCapacity, kIndexCapacity);
    (row.failVertices ? ring.vertexBuffers[0]->failLocks : ring.indexBuffers[0]->failLocks) = true;
    CPIVertexBuffer buffer(ring.VertexBuffers(), ring.IndexBuffers(), kVertexCapacity,
                           kIndexCapacity, true);
    EXPECT_FALSE(buffer.Lock(1, 3, row.lockVertices, -1));
    EXPECT_FALSE(buffer.IsLocked());
    buffer.Unlock(true);
    EXPECT_EQ(ring.journal, row.journal);
    EXPECT_EQ(buffer.GetCurrent(), 0);
    FixedDrawable drawable(1, 3);
    EXPECT_FALSE(buffer.AddDrawable(&drawable));
    EXPECT_EQ(drawable.writes, 0);
}

const std::string kVertexLock = "vb0." + Call("Lock", {0, 48, 0x800});
const std::string kIndexLock = "ib0." + Call("Lock", {0, 6, 0x800});

INSTANTIATE_TEST_SUITE_P(
    Rows, LockFailure,
    testing::Values(LockFailureCase{"vertices", true, true, Journal{kVertexLock}},
                    LockFailureCase{"indices", false, true,
                                    Journal{kVertexLock, kIndexLock, "vb0.Unlock"}},
                    LockFailureCase{"indicesOnly", false, false, Journal{kIndexLock}}),
    [](const testing::TestParamInfo<LockFailureCase>& info) { return info.param.name; });

TEST_F(DynamicRing, DrawablesFollowEachOtherWithTheirIndicesMovedByTheBase)
{
    FixedDrawable first(3, 3, 1.0f);
    FixedDrawable second(4, 6, 2.0f);
    ASSERT_TRUE(buffer.Lock(7, 9, true, -1));
    EXPECT_TRUE(buffer.AddDrawable(&first));
    EXPECT_TRUE(buffer.AddDrawable(&second));
    EXPECT_EQ(buffer.GetVerticesWritten(), 7);
    EXPECT_EQ(buffer.GetIndicesWritten(), 9);
    EXPECT_EQ(buffer.GetBaseCounter(), 7);

    EXPECT_EQ(Vertices(0)[2].position.x, 1.0f);
    EXPECT_EQ(Vertices(0)[3].position.x, 2.0f);
    EXPECT_EQ(Vertices(0)[6].position.x, 2.0f);
    const uint16_t expected[9] = {0, 1, 2, 3, 4, 5, 6, 3, 4};
    EXPECT_EQ(std::memcmp(Indices(0), expected, sizeof(expected)), 0);
}

TEST_F(DynamicRing, RefusesRepeatsEmptyDrawablesAndWhatWouldNotFit)
{
    FixedDrawable drawable(2, 3);
    FixedDrawable empty(0, 0);
    FixedDrawable tooManyIndices(1, 30);
    ASSERT_TRUE(buffer.Lock(4, 0, true, -1));
    EXPECT_TRUE(buffer.AddDrawable(&drawable));
    EXPECT_FALSE(buffer.AddDrawable(&drawable));
    EXPECT_FALSE(buffer.AddDrawable(&empty));
    FixedDrawable tooManyVertices(3, 3);
    EXPECT_FALSE(buffer.AddDrawable(&tooManyVertices)) << "four vertices were locked";
    EXPECT_FALSE(buffer.AddDrawable(&tooManyIndices)) << "the index buffer holds 32";
    EXPECT_EQ(drawable.writes + empty.writes + tooManyVertices.writes + tooManyIndices.writes, 1);
    EXPECT_EQ(buffer.GetVerticesWritten(), 2);
    EXPECT_EQ(buffer.GetIndicesWritten(), 3);

    // A new section may hold the drawable again once the map is cleared.
    buffer.Unlock(true);
    buffer.ClearDrawables();
    ASSERT_TRUE(buffer.Lock(4, 3, true, -1));
    EXPECT_TRUE(buffer.AddDrawable(&drawable));
}

// A block may ask for more than a pair holds; the lock and the section stop
// at the buffers' ends instead of letting drawables write past them.
TEST_F(DynamicRing, ALockBeyondTheCapacityTakesOnlyWhatThePairHolds)
{
    ASSERT_TRUE(buffer.Lock(kVertexCapacity + 4, kIndexCapacity + 8, true, -1));
    ASSERT_EQ(ring.journal, (Journal{"vb0." + Call("Lock", {0, kVertexCapacity * sizeof(Vertex48), 0x2800}),
                                     "ib0." + Call("Lock", {0, kIndexCapacity * sizeof(uint16_t), 0x2800})}));
    FixedDrawable tooManyVertices(kVertexCapacity + 1, 3);
    FixedDrawable tooManyIndices(1, kIndexCapacity + 1);
    FixedDrawable whole(kVertexCapacity, kIndexCapacity);
    EXPECT_FALSE(buffer.AddDrawable(&tooManyVertices));
    EXPECT_FALSE(buffer.AddDrawable(&tooManyIndices));
    EXPECT_TRUE(buffer.AddDrawable(&whole));
    EXPECT_EQ(tooManyVertices.writes + tooManyIndices.writes, 0);
}

TEST_F(DynamicRing, AStaticDrawableWritesNothingButTakesItsPlace)
{
    FixedDrawable scenery(3, 6, 5.0f);
    scenery.isStatic = true;
    FixedDrawable after(1, 3, 6.0f);
    ASSERT_TRUE(buffer.Lock(0, 0, true, -1));
    EXPECT_TRUE(buffer.AddDrawable(&scenery));
    EXPECT_TRUE(buffer.AddDrawable(&after));
    EXPECT_EQ(buffer.GetBaseCounter(), 4);
    EXPECT_EQ(buffer.GetIndicesWritten(), 9);
    EXPECT_EQ(Vertices(0)[0].position.x, 0.0f);
    EXPECT_EQ(Vertices(0)[3].position.x, 6.0f);
    EXPECT_EQ(Indices(0)[6], 3);
}

TEST(DynamicRingAddressing, NoSectionReachesPastWhatSixteenBitIndicesAddress)
{
    const int capacity = 65540;
    RecordingRing ring(1, capacity, 64);
    CPIVertexBuffer buffer(ring.VertexBuffers(), ring.IndexBuffers(), capacity, 64, false);
    FixedDrawable large(65530, 3);
    FixedDrawable seven(7, 3);
    FixedDrawable six(6, 3);
    ASSERT_TRUE(buffer.Lock(0, 0, true, -1));
    EXPECT_TRUE(buffer.AddDrawable(&large));
    EXPECT_FALSE(buffer.AddDrawable(&seven));
    EXPECT_TRUE(buffer.AddDrawable(&six));
    EXPECT_EQ(buffer.GetBaseCounter(), 65536);
}

TEST(DynamicRingSections, RemembersEveryDrawableOfALargeSection)
{
    const int count = 3000;
    RecordingRing ring(1, count, count * 3);
    CPIVertexBuffer buffer(ring.VertexBuffers(), ring.IndexBuffers(), count, count * 3, false);
    std::vector<std::unique_ptr<FixedDrawable>> drawables;
    for (int i = 0; i < count; ++i) drawables.emplace_back(new FixedDrawable(1, 3));
    ASSERT_TRUE(buffer.Lock(0, 0, true, -1));
    for (auto& drawable : drawables) ASSERT_TRUE(buffer.AddDrawable(drawable.get()));
    for (auto& drawable : drawables) EXPECT_FALSE(buffer.AddDrawable(drawable.get()));
    EXPECT_EQ(buffer.GetBaseCounter(), count);
    buffer.ClearDrawables();
    EXPECT_EQ(buffer.GetBaseCounter(), 0);
}

} // namespace
