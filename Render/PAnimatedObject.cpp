#include "Render/PAnimatedObject.h"

#include "core/FrameClock.h"
#include "core/ObjectIdentity.h"
#include "core/PCommandManager.h"
#include "core/PGameObject.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <utility>

namespace {

const size_t kAnimationMapSizeHint = 100;
const int kNotReported = -1;
const int kNoFrame = -1;
const int kMinimumFrames = 2;
// A stopped animation rests on the second-to-last frame.
const int kRestingFrameFromEnd = 2;
const int kTriangleCorners = 3;

// A matrix whose upper 3x3 part has a negative determinant turns the
// winding of every triangle it places.
bool Mirrors(const D3DXMATRIX& m)
{
    const float determinant = m._11 * (m._22 * m._33 - m._23 * m._32) -
                              m._12 * (m._21 * m._33 - m._23 * m._31) +
                              m._13 * (m._21 * m._32 - m._22 * m._31);
    return determinant < 0.0f;
}

} // namespace

CPAnimatedObject::CPAnimatedObject()
    : m_owner(nullptr),
      m_animations(kAnimationMapSizeHint),
      m_startTime(0.0f),
      m_passLimit(0),
      m_passCount(0),
      m_reportedFrame(kNotReported),
      m_reportFrame(kNotReported),
      m_speed(1.0f),
      m_shownFrame(kNoFrame),
      m_stopped(false),
      m_startCount(0),
      m_vertexEffectsOn(false)
{
}

CPAnimatedObject::~CPAnimatedObject() = default;

void CPAnimatedObject::AddAnimation(const std::string& name, RefPtr<CPAnimation> animation)
{
    m_animations[name] = animation;
}

void CPAnimatedObject::AddVertexEffect(std::unique_ptr<IPVertexEffect> effect)
{
    m_vertexEffects.push_back(std::move(effect));
    m_vertexEffectsOn = true;
}

void CPAnimatedObject::CopyFrom(RefPtr<CPAnimatedObject> source)
{
    for (const auto& named : source->m_animations) {
        m_animations[named.first] = named.second;
    }
    m_currentAnimation = source->m_currentAnimation;
    m_notify = source->m_notify;
    m_material = source->m_material;
    m_startTime = source->m_startTime;
    m_passLimit = source->m_passLimit;
    m_passCount = source->m_passCount;
    m_reportedFrame = source->m_reportedFrame;
    m_reportFrame = source->m_reportFrame;
    m_speed = source->m_speed;
    m_shownFrame = source->m_shownFrame;
    m_stopped = source->m_stopped;
    m_currentName = source->m_currentName;
    m_vertexEffectsOn = source->m_vertexEffectsOn;
    m_vertexEffects = CloneVertexEffects(source->m_vertexEffects);
}

void CPAnimatedObject::Clone(RefPtr<CPAnimatedObject>& copy)
{
    CPAnimatedObject* clone = new CPAnimatedObject();
    clone->CopyFrom(this);
    copy = clone;
}

void CPAnimatedObject::PlayAnimation(const AnimationRequest& request, bool restart)
{
    if (!restart && m_currentName == request.name) return;
    auto named = m_animations.find(request.name);
    if (named == m_animations.end()) return;

    m_currentName = request.name;
    m_currentAnimation = named->second;
    m_startTime = static_cast<float>(FullTime + request.timeOffset);
    m_passCount = 0;
    m_passLimit = request.passLimit;
    m_reportedFrame = kNotReported;
    m_reportFrame = request.reportFrame;
    m_speed = request.speed;
    m_notify = request.notify;
    m_shownFrame = kNoFrame;
    m_stopped = false;
    ++m_startCount;
    if (m_vertexEffectsOn) {
        for (std::unique_ptr<IPVertexEffect>& effect : m_vertexEffects) {
            effect->Reset();
        }
    }
}

bool CPAnimatedObject::HasPlayableAnimation() const
{
    return m_currentAnimation && m_currentAnimation->GetFrames().size() >= kMinimumFrames &&
           m_currentAnimation->GetDuration() > 0.0f;
}

const MorphFrame* CPAnimatedObject::GetShownFrame() const
{
    if (!m_currentAnimation || m_shownFrame < 0) return nullptr;
    const std::vector<MorphFrame>& frames = m_currentAnimation->GetFrames();
    return static_cast<size_t>(m_shownFrame) < frames.size() ? &frames[m_shownFrame] : nullptr;
}

// A time beyond one pass is wrapped into (0, duration] in one step; a time
// of 0 or less is left alone and shows the first frame.
int CPAnimatedObject::SelectFrame() const
{
    const CPAnimation& animation = *m_currentAnimation;
    const double duration = animation.GetDuration();
    double time = (FullTime - m_startTime) * m_speed;
    if (time > duration) {
        time = std::fmod(time, duration);
        if (time == 0.0) time = duration;
    }
    const double position = time / animation.GetFrameTime();
    const int lastFrame = static_cast<int>(animation.GetFrames().size()) - 1;
    if (!(position > 0.0)) return 0;
    if (position >= lastFrame) return lastFrame;
    return static_cast<int>(position);
}

bool CPAnimatedObject::EndsPass(int frame) const
{
    const MorphFrame* shown = GetShownFrame();
    return shown && shown->frameNumber > m_currentAnimation->GetFrames()[frame].frameNumber;
}

bool CPAnimatedObject::EndsLastPass(int frame) const
{
    return EndsPass(frame) && m_passLimit > 0 && m_passCount + 1 >= m_passLimit;
}

int CPAnimatedObject::GetRestingFrame() const
{
    return static_cast<int>(m_currentAnimation->GetFrames().size()) - kRestingFrameFromEnd;
}

const MorphFrame* CPAnimatedObject::GetFrameToWrite() const
{
    if (!HasPlayableAnimation()) return nullptr;
    if (m_stopped) return GetShownFrame();
    int frame = SelectFrame();
    if (EndsLastPass(frame)) frame = GetRestingFrame();
    return &m_currentAnimation->GetFrames()[frame];
}

int CPAnimatedObject::GetVertexCount()
{
    const MorphFrame* frame = GetFrameToWrite();
    return frame ? static_cast<int>(frame->vertices.size()) : 0;
}

int CPAnimatedObject::GetIndexCount()
{
    const MorphFrame* frame = GetFrameToWrite();
    return frame ? static_cast<int>(frame->indices.size()) : 0;
}

void CPAnimatedObject::WriteGeometry(Vertex48* destVertices, uint16_t* destIndices, uint16_t baseVertex,
                                     bool flag)
{
    (void)flag;
    // The receivers of the events may start another animation; the frame
    // chosen here, the one the counts announced, is written all the same.
    RefPtr<CPAnimation> animation = m_currentAnimation;
    const MorphFrame* frame = GetFrameToWrite();
    if (!frame) return;
    if (!m_stopped) Advance();

    const int vertexCount = static_cast<int>(frame->vertices.size());
    WriteVertices(destVertices, *frame);
    if (m_vertexEffectsOn) {
        for (std::unique_ptr<IPVertexEffect>& effect : m_vertexEffects) {
            effect->Apply(destVertices, destVertices, vertexCount);
        }
    }

    const int indexCount = static_cast<int>(frame->indices.size());
    WriteIndices(destIndices, frame->indices.data(), indexCount, baseVertex);
    if (m_owner && Mirrors(m_owner->GetWorldMatrix())) {
        for (int corner = 0; corner + kTriangleCorners <= indexCount; corner += kTriangleCorners) {
            std::swap(destIndices[corner + 1], destIndices[corner + 2]);
        }
    }
}

// Moves the shown frame to the one the total time selects. Going back to a
// lower frame number ends a pass; the pass that reaches the pass limit
// stops the animation on its resting frame.
void CPAnimatedObject::Advance()
{
    const int frame = SelectFrame();
    const int frameNumber = m_currentAnimation->GetFrames()[frame].frameNumber;
    if (EndsPass(frame)) {
        m_reportedFrame = kNotReported;
        ++m_passCount;
        // An animation that the end notice chains starts from its own first
        // frame, not from this one's frame or report.
        if (m_passLimit > 0 && m_passCount >= m_passLimit && StopAtPassLimit()) return;
    }
    if (!m_stopped) m_shownFrame = frame;
    ReportFrame(frameNumber);
}

bool CPAnimatedObject::StopAtPassLimit()
{
    const unsigned startsBefore = m_startCount;
    m_stopped = true;
    m_shownFrame = GetRestingFrame();
    Notify("animation_stopped");
    if (m_owner) m_owner->OnEnemyAnimationEnd();
    if (m_startCount != startsBefore) return true;
    // The stopped animation may play again under its name.
    m_currentName.clear();
    return false;
}

// Sent once a pass, in the first frame at or past the report frame.
void CPAnimatedObject::ReportFrame(int frameNumber)
{
    if (m_reportFrame < 0 || m_reportedFrame >= 0 || frameNumber < m_reportFrame) return;
    m_reportedFrame = frameNumber;
    Notify("animation_report");
    if (m_owner) m_owner->OnEnemyAnimationEvent();
}

void CPAnimatedObject::Notify(const char* command)
{
    CPCommandManager* bus = GetCommandManager();
    if (!m_notify || !bus) return;
    bus->SendCommandByObject(m_notify, command, ObjectIdentityText(m_notify.Get()));
}

// Positions as points and normals as directions through the owner's world
// matrix, without renormalising; everything else is copied.
void CPAnimatedObject::WriteVertices(Vertex48* dest, const MorphFrame& frame) const
{
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    if (m_owner) world = m_owner->GetWorldMatrix();
    for (size_t i = 0; i < frame.vertices.size(); ++i) {
        Vertex48 vertex = frame.vertices[i];
        D3DXVECTOR4 position;
        D3DXVec3Transform(&position, &frame.vertices[i].position, &world);
        vertex.position = D3DXVECTOR3(position.x, position.y, position.z);
        D3DXVec3TransformNormal(&vertex.normal, &frame.vertices[i].normal, &world);
        dest[i] = vertex;
    }
}
