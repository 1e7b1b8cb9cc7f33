#include "Render/PAnimatedObject.h"

#include "core/FrameClock.h"
#include "core/PCommandManager.h"
#include "core/PGameObject.h"
#include "core/tests/GameObjectTestSupport.h"
#include "Render/tests/AffineYEffect.h"
#include "Render/tests/AnimationTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

using animation_test::IdentityOf;
using animation_test::kQuarterSecond;
using animation_test::LoadFrames;
using animation_test::NumberedFrames;
using gameobject_test::Receiver;

const uint16_t kGuard = 0xBEEF;
const float kGuardX = -777.0f;

// Records the enemy hooks with the number of commands queued at the
// notify receiver when each ran.
class HookRecorder : public IPEnemyComponent {
public:
    explicit HookRecorder(const CommandReceiver& notify) : m_notify(notify) {}
    void OnAnimationEnd() override { calls.push_back("end@" + std::to_string(m_notify.GetQueuedCount())); }
    void OnAnimationEvent() override { calls.push_back("event@" + std::to_string(m_notify.GetQueuedCount())); }
    void OnDamage(const D3DXVECTOR3*, const D3DXVECTOR3*, float, IPObject*, bool) override {}
    std::vector<std::string> calls;

private:
    const CommandReceiver& m_notify;
};

// What one draw wrote: the frame (the x of its first vertex, -1 for no
// geometry), the counts announced before it and the written vertices and
// indices. The buffers hold exactly the announced counts and a guard
// behind them, so writing more than announced shows.
struct Drawn {
    int frame = -1;
    int vertexCount = 0;
    int indexCount = 0;
    std::vector<Vertex48> vertices;
    std::vector<uint16_t> indices;
};

// A game object "part" with an animated object playing four frames of
// 0.25 s ("walk", one pass 1 s), notifying a running receiver over the
// command bus.
class AnimatedObjectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_pCommandManager = &bus;
        FullTime = 0.0;
        notify.Start();
        ASSERT_TRUE(LoadFrames(walk, kQuarterSecond, NumberedFrames({3, 3, 3, 3})));
        object.AddAnimation("walk", &walk);
        object.SetOwner(&part);
        part.SetComponent(CPGameObject::kKindAnimated, &object);
        part.SetEnemy(&hooks);
    }
    void TearDown() override
    {
        g_pCommandManager = nullptr;
        FullTime = 0.0;
    }

    void Play(const std::string& name, float speed, int passLimit, int reportFrame, bool restart = true)
    {
        AnimationRequest request;
        request.name = name;
        request.speed = speed;
        request.passLimit = passLimit;
        request.reportFrame = reportFrame;
        request.notify = &notify;
        object.PlayAnimation(request, restart);
    }

    Drawn DrawAt(double time, uint16_t baseVertex = 0)
    {
        FullTime = time;
        return Draw(object, baseVertex);
    }

    static Drawn Draw(CPAnimatedObject& drawable, uint16_t baseVertex = 0)
    {
        Drawn drawn;
        drawn.vertexCount = drawable.GetVertexCount();
        drawn.indexCount = drawable.GetIndexCount();
        Vertex48 guardVertex = {};
        guardVertex.position.x = kGuardX;
        std::vector<Vertex48> vertices(drawn.vertexCount + 1, guardVertex);
        std::vector<uint16_t> indices(drawn.indexCount + 1, kGuard);
        drawable.WriteGeometry(vertices.data(), indices.data(), baseVertex, false);
        EXPECT_EQ(vertices.back().position.x, kGuardX) << "vertices written beyond the count";
        EXPECT_EQ(indices.back(), kGuard) << "indices written beyond the count";
        vertices.pop_back();
        indices.pop_back();
        if (!vertices.empty()) drawn.frame = static_cast<int>(vertices[0].position.x);
        drawn.vertices = vertices;
        drawn.indices = indices;
        return drawn;
    }

    std::vector<int> FramesAt(const std::vector<double>& times)
    {
        std::vector<int> frames;
        for (double time : times) frames.push_back(DrawAt(time).frame);
        return frames;
    }

    std::string Sent(const char* command) { return std::string(command) + ":" + IdentityOf(&notify); }

    CPCommandManager bus;
    Receiver notify;
    CPAnimation walk{"walk&man.mesh"};
    CPGameObject part{"part"};
    CPAnimatedObject object;
    HookRecorder hooks{notify};
};

struct SelectionCase {
    float speed;
    float offset;
    double time;
    int frame;
};

TEST_F(AnimatedObjectTest, SelectsTheFrameOfTheTimeSinceTheStart)
{
    const SelectionCase cases[] = {
        {1.0f, 0.0f, 0.0, 0},     // the start
        {1.0f, 0.0f, 0.3, 1},
        {1.0f, 0.0f, 1.0, 3},     // the end of a pass: frame 4 held at 3
        {1.0f, 0.0f, 1.1, 0},     // wrapped into the next pass
        {1.0f, 0.0f, 2.0, 3},     // a whole number of passes ends on the last frame
        {1.0f, 0.0f, 2.6, 2},
        {2.0f, 0.0f, 0.3, 2},     // twice as fast
        {2.0f, 0.0f, 0.55, 0},
        {1.0f, 0.5f, 0.8, 1},     // started half a second later
        {1.0f, 0.0f, -0.5, 0},    // before the start
        {1.0f, 0.0f, 1e9 + 0.3, 1}, // a billion passes wrap in one step
    };
    for (const SelectionCase& row : cases) {
        FullTime = 0.0;
        AnimationRequest request;
        request.name = "walk";
        request.speed = row.speed;
        request.timeOffset = row.offset;
        object.PlayAnimation(request, true);
        EXPECT_EQ(DrawAt(row.time).frame, row.frame) << "speed " << row.speed << " time " << row.time;
    }
}

TEST_F(AnimatedObjectTest, APassEndsWhenTheShownFrameNumberGoesDown)
{
    Play("walk", 1.0f, 0, -1);
    // 1.6 s lies beyond a whole pass after 0.1 s but on a higher frame:
    // no pass. Turning the clock back to a lower frame ends one.
    EXPECT_EQ(FramesAt({0.1, 1.6, 2.1, 2.9, 2.3}), (std::vector<int>{0, 2, 0, 3, 1}));
    EXPECT_EQ(object.GetPassCount(), 1 + 1);
    EXPECT_FALSE(object.IsStopped());
    EXPECT_TRUE(notify.TakeCommands().empty());
}

TEST_F(AnimatedObjectTest, PassLimitStopsOnTheSecondToLastFrameAndTellsTheReceiverOnce)
{
    Play("walk", 1.0f, 1, -1);
    EXPECT_EQ(FramesAt({0.1, 0.6, 1.1, 1.9, 5.0}), (std::vector<int>{0, 2, 2, 2, 2}));
    EXPECT_TRUE(object.IsStopped());
    EXPECT_EQ(object.GetCurrentName(), "");
    EXPECT_EQ(notify.TakeCommands(), std::vector<std::string>{Sent("animation_stopped")});
    EXPECT_EQ(hooks.calls, std::vector<std::string>{"end@1"});

    // The stop cleared the name, so the same name plays again.
    Play("walk", 1.0f, 1, -1, false);
    EXPECT_FALSE(object.IsStopped());
    EXPECT_EQ(DrawAt(5.3).frame, 1);
}

TEST_F(AnimatedObjectTest, ReportIsSentOncePerPassAtOrPastTheReportFrame)
{
    Play("walk", 1.0f, 0, 2);
    FramesAt({0.1, 0.6, 0.8, 1.1, 1.3, 1.9});
    EXPECT_EQ(notify.TakeCommands(), std::vector<std::string>(2, Sent("animation_report")));
    EXPECT_EQ(hooks.calls, (std::vector<std::string>{"event@1", "event@2"}));
    EXPECT_EQ(object.GetReportedFrame(), 3);

    Play("walk", 1.0f, 0, 4);  // beyond the last frame
    FramesAt({2.0, 2.8, 3.1, 3.89});
    EXPECT_TRUE(notify.TakeCommands().empty());
}

TEST_F(AnimatedObjectTest, StoppingPassReportsFrameZeroAfterTheStop)
{
    Play("walk", 1.0f, 1, 0);
    FramesAt({0.1, 0.6, 1.1});
    EXPECT_EQ(notify.TakeCommands(), (std::vector<std::string>{Sent("animation_report"), Sent("animation_stopped"),
                                                               Sent("animation_report")}));
    EXPECT_EQ(hooks.calls, (std::vector<std::string>{"event@1", "end@2", "event@3"}));
}

// Starts another animation on the object from inside the end or the report
// notice, as an enemy chains its attacks.
class ChainingHook : public IPEnemyComponent {
public:
    ChainingHook(CPAnimatedObject& object, const AnimationRequest& next, bool atEnd)
        : m_object(object), m_next(next), m_atEnd(atEnd)
    {
    }
    void OnAnimationEnd() override
    {
        if (m_atEnd) m_object.PlayAnimation(m_next, true);
    }
    void OnAnimationEvent() override
    {
        if (!m_atEnd) m_object.PlayAnimation(m_next, true);
    }
    void OnDamage(const D3DXVECTOR3*, const D3DXVECTOR3*, float, IPObject*, bool) override {}

private:
    CPAnimatedObject& m_object;
    AnimationRequest m_next;
    bool m_atEnd;
};

// Beside "walk", "run": four frames of a quarter second, reporting frame 1,
// which a hook starts from inside "walk"'s end or report notice.
class ChainedAnimationTest : public AnimatedObjectTest {
protected:
    void SetUp() override
    {
        AnimatedObjectTest::SetUp();
        ASSERT_TRUE(LoadFrames(run, kQuarterSecond, NumberedFrames({4, 4, 4, 4})));
        object.AddAnimation("run", &run);
    }
    void ChainRun(bool atEnd, int passLimit)
    {
        AnimationRequest next;
        next.name = "run";
        next.passLimit = passLimit;
        next.reportFrame = 1;
        next.notify = &notify;
        chainer.reset(new ChainingHook(object, next, atEnd));
        part.SetEnemy(chainer.get());
    }

    CPAnimation run{"run"};
    std::unique_ptr<ChainingHook> chainer;
};

// "walk" stops while its frame 3 goes back to frame 2 and chains "run" for
// one pass: "run" keeps its name and starts from its own first frame, so it
// neither reports nor ends a pass at once.
TEST_F(ChainedAnimationTest, AnimationChainedAtTheEndStartsClean)
{
    ChainRun(true, 1);
    Play("walk", 1.0f, 1, -1);
    EXPECT_EQ(FramesAt({0.8, 1.6}), (std::vector<int>{3, 2}));
    EXPECT_EQ(object.GetCurrentName(), "run");
    EXPECT_EQ(notify.TakeCommands(), std::vector<std::string>{Sent("animation_stopped")});

    EXPECT_EQ(FramesAt({1.7, 1.8}), (std::vector<int>{0, 0}));
    EXPECT_FALSE(object.IsStopped());
    EXPECT_EQ(object.GetPassCount(), 0);
    EXPECT_TRUE(notify.TakeCommands().empty());
    EXPECT_EQ(DrawAt(1.9).frame, 1);
    EXPECT_EQ(notify.TakeCommands(), std::vector<std::string>{Sent("animation_report")});
}

// "walk" reports frame 2 and chains "run" there: "run" reports its own
// frame 1 a quarter second later, not at once.
TEST_F(ChainedAnimationTest, AnimationChainedAtTheReportStartsClean)
{
    ChainRun(false, 0);
    Play("walk", 1.0f, 0, 2);
    EXPECT_EQ(FramesAt({0.1, 0.6, 0.7}), (std::vector<int>{0, 2, 0}));
    EXPECT_EQ(object.GetCurrentName(), "run");
    EXPECT_EQ(notify.TakeCommands(), std::vector<std::string>{Sent("animation_report")});
    EXPECT_EQ(FramesAt({0.8, 0.9}), (std::vector<int>{0, 1}));
    EXPECT_EQ(notify.TakeCommands(), std::vector<std::string>{Sent("animation_report")});
}

TEST_F(AnimatedObjectTest, ReceiverThatIsNotRunningHearsNothingButTheHooksRun)
{
    notify.Stop();
    Play("walk", 1.0f, 1, 0);
    FramesAt({0.1, 0.6, 1.1});
    EXPECT_EQ(notify.GetQueuedCount(), 0u);
    EXPECT_EQ(hooks.calls, (std::vector<std::string>{"event@0", "end@0", "event@0"}));
}

TEST_F(AnimatedObjectTest, WithoutAPlayableAnimationThereIsNothingToDrawOrSend)
{
    CPAnimation single("single"), timeless("timeless"), backwards("backwards");
    ASSERT_TRUE(LoadFrames(single, kQuarterSecond, NumberedFrames({3})));
    ASSERT_TRUE(LoadFrames(timeless, 0.0f, NumberedFrames({3, 3})));
    ASSERT_TRUE(LoadFrames(backwards, -kQuarterSecond, NumberedFrames({3, 3})));
    object.AddAnimation("single", &single);
    object.AddAnimation("timeless", &timeless);
    object.AddAnimation("backwards", &backwards);

    EXPECT_EQ(DrawAt(0.5).vertexCount, 0);  // nothing played yet
    for (const char* name : {"single", "timeless", "backwards"}) {
        Play(name, 1.0f, 1, 0);
        for (double time : {0.1, 0.6, 1.1, 7.0}) {
            const Drawn drawn = DrawAt(time);
            EXPECT_EQ(drawn.vertexCount, 0) << name;
            EXPECT_EQ(drawn.indexCount, 0) << name;
        }
    }
    EXPECT_EQ(notify.GetQueuedCount(), 0u);
    EXPECT_TRUE(hooks.calls.empty());
}

TEST_F(AnimatedObjectTest, CountsMatchTheWrittenFrameAlsoInTheStoppingCall)
{
    CPAnimation uneven("uneven");
    ASSERT_TRUE(LoadFrames(uneven, kQuarterSecond, NumberedFrames({3, 4, 5, 6})));
    object.AddAnimation("uneven", &uneven);
    Play("uneven", 1.0f, 1, -1);
    const double times[] = {0.1, 0.8, 1.1, 2.6};
    const int frames[] = {0, 3, 2, 2};
    for (size_t i = 0; i < 4; ++i) {
        const Drawn drawn = DrawAt(times[i]);
        EXPECT_EQ(drawn.frame, frames[i]) << times[i];
        EXPECT_EQ(drawn.vertexCount, frames[i] + 3);
        EXPECT_EQ(drawn.indexCount, frames[i] + 3);
    }
}

struct PlacementCase {
    const char* what;
    D3DXMATRIX world;
    bool swapped;
};

D3DXMATRIX Scaling(float x, float y, float z)
{
    D3DXMATRIX matrix;
    D3DXMatrixScaling(&matrix, x, y, z);
    return matrix;
}

D3DXMATRIX TurnAboutZ(float radians)
{
    D3DXMATRIX matrix;
    D3DXMatrixRotationZ(&matrix, radians);
    return matrix;
}

D3DXMATRIX TurnAbout(float x, float y, float z, float radians)
{
    const D3DXVECTOR3 axis(x, y, z);
    D3DXMATRIX matrix;
    D3DXMatrixRotationAxis(&matrix, &axis, radians);
    return matrix;
}

TEST_F(AnimatedObjectTest, WritesTheFramePlacedByTheOwnerAndKeepsTheWindingUnderAMirror)
{
    FrameData square;
    for (int v = 0; v < 4; ++v) square.vertices.push_back(MorphVertex(1.0f, 2.0f + v, 3.0f));
    square.indices = {0, 1, 2, 0, 2, 3};
    CPAnimation still("still");
    ASSERT_TRUE(LoadFrames(still, kQuarterSecond, {square, square}));
    object.AddAnimation("still", &still);

    const PlacementCase cases[] = {
        {"identity", Scaling(1, 1, 1), false},
        {"turned", TurnAboutZ(1.0f), false},
        {"mirrored", Scaling(-1, 2, 3), true},
        {"turned mirror", Scaling(-1, 2, 3) * TurnAboutZ(1.0f), true},
        // Turns whose first row leans most towards x, y and z in turn, so
        // that each term of the determinant decides its sign.
        {"slanted turn", TurnAbout(1, 2, 3, 0.5f), false},
        {"turn towards y", TurnAbout(1, 1, 1, 1.9f), false},
        {"turn towards z", TurnAbout(1, 1, 1, 4.3f), false},
        {"slanted mirror", Scaling(-1, 2, 3) * TurnAbout(1, 2, 3, 0.5f), true},
        {"mirror towards y", Scaling(2, -1, 3) * TurnAbout(1, 1, 1, 1.9f), true},
        {"mirror towards z", Scaling(3, 2, -1) * TurnAbout(1, 1, 1, 4.3f), true},
        {"mirror about a leaning axis", Scaling(3, 2, -1) * TurnAbout(3, -1, 2, 2.5f), true},
    };
    for (const PlacementCase& row : cases) {
        part.SetAnimationMatrix(row.world);
        part.UpdateTransform();
        Play("still", 1.0f, 0, -1);
        const Drawn drawn = DrawAt(0.1, 10);

        const std::vector<uint16_t> inOrder = {10, 11, 12, 10, 12, 13};
        const std::vector<uint16_t> swapped = {10, 12, 11, 10, 13, 12};
        EXPECT_EQ(drawn.indices, row.swapped ? swapped : inOrder) << row.what;
        ASSERT_EQ(drawn.vertices.size(), 4u);
        for (int v = 0; v < 4; ++v) {
            D3DXVECTOR3 position, normal;
            D3DXVec3TransformCoord(&position, &square.vertices[v].position, &row.world);
            D3DXVec3TransformNormal(&normal, &square.vertices[v].normal, &row.world);
            const Vertex48& written = drawn.vertices[v];
            const D3DXVECTOR3 positionError = written.position - position;
            const D3DXVECTOR3 normalError = written.normal - normal;
            EXPECT_NEAR(D3DXVec3Length(&positionError), 0.0f, 1e-5f) << row.what;
            EXPECT_NEAR(D3DXVec3Length(&normalError), 0.0f, 1e-5f) << row.what;
            EXPECT_EQ(written.diffuse, 0xFFFFFFFFu);
            EXPECT_EQ(written.specular, square.vertices[v].specular);
            EXPECT_EQ(written.tex0, square.vertices[v].tex0);
            EXPECT_EQ(written.tex1, square.vertices[v].tex1);
        }
    }
}

// y = 2 becomes (2 + 1) x 10: the effects run in order on the placed frame.
TEST_F(AnimatedObjectTest, VertexEffectsApplyInOrderToTheWrittenFrame)
{
    object.AddVertexEffect(std::unique_ptr<IPVertexEffect>(new AffineYEffect(1, 1)));
    object.AddVertexEffect(std::unique_ptr<IPVertexEffect>(new AffineYEffect(10, 0)));
    part.SetPosition(0, 2, 0);
    part.UpdateTransform();
    Play("walk", 1.0f, 0, -1);
    const Drawn drawn = DrawAt(0.1);
    ASSERT_FALSE(drawn.vertices.empty());
    EXPECT_FLOAT_EQ(drawn.vertices[0].position.y, (walk.GetFrames()[0].vertices[0].position.y + 2 + 1) * 10);
}

TEST_F(AnimatedObjectTest, CopyGoesOnFromTheSourcesPlaceInThePass)
{
    Play("walk", 1.0f, 1, -1);
    DrawAt(0.8);
    CPAnimatedObject copy;
    copy.CopyFrom(&object);
    RefPtr<CPAnimatedObject> clone;
    object.Clone(clone);

    for (CPAnimatedObject* drawable : {&copy, clone.Get()}) {
        EXPECT_EQ(drawable->GetCurrentAnimation(), &walk);
        EXPECT_EQ(drawable->GetOwner(), nullptr);
        FullTime = 1.1;
        EXPECT_EQ(Draw(*drawable).frame, 2);  // the copied shown frame ends the pass
        EXPECT_TRUE(drawable->IsStopped());
    }
    EXPECT_EQ(notify.TakeCommands(), std::vector<std::string>(2, Sent("animation_stopped")));
    EXPECT_FALSE(object.IsStopped());
    CPAnimatedObject* made = clone.Get();
    clone = nullptr;
    delete made;
}

} // namespace
