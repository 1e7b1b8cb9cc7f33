#include "Render/PAnimatedObject.h"

#include "core/FrameClock.h"

namespace {

const size_t kAnimationMapSizeHint = 100;
const int kNotReported = -1;

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
      m_shownFrame(nullptr),
      m_stopped(false),
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
    m_shownFrame = nullptr;
    m_stopped = false;
    if (m_vertexEffectsOn) {
        for (std::unique_ptr<IPVertexEffect>& effect : m_vertexEffects) {
            effect->Reset();
        }
    }
}
