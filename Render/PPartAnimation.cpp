#include "Render/PPartAnimation.h"

#include "core/FrameClock.h"
#include "core/PGameObject.h"

#include <algorithm>

namespace {

// The last two keys only close the final passage: a track of N keys runs out
// when it leaves passage N - 3.
const size_t kClosingKeys = 2;
const size_t kMinimumKeys = kClosingKeys + 1;

} // namespace

CPPartAnimation::CPPartAnimation() : m_target(nullptr), m_elapsed(0.0f), m_keyIndex(0), m_looping(false) {}

void CPPartAnimation::SetKeys(const std::vector<D3DXMATRIX>& matrices, const std::vector<float>& times)
{
    m_keyMatrices = matrices;
    m_keyTimes = times;
}

void CPPartAnimation::CopyFrom(RefPtr<CPPartAnimation> source)
{
    m_keyMatrices = source->m_keyMatrices;
    m_keyTimes = source->m_keyTimes;
    m_looping = source->m_looping;
}

bool CPPartAnimation::Start()
{
    if (!IPProcess::Start()) return false;
    if (HasRunOut()) {
        m_keyIndex = 0;
        m_elapsed = 0.0f;
    }
    return true;
}

void CPPartAnimation::Execute()
{
    if (!IsPlayable()) return;
    m_elapsed += FrameDeltaTime;
    StepThroughKeys();
    if (!m_target) return;
    m_target->SetAnimationMatrix(GetCurrentMatrix());
    m_target->UpdateTransform();
}

// The keys around the current passage blended element by element. A track
// that ran out rests on the first of its closing keys.
D3DXMATRIX CPPartAnimation::GetCurrentMatrix() const
{
    const float blend = HasRunOut() ? 0.0f : GetPassageFraction();
    const D3DXMATRIX& from = m_keyMatrices[m_keyIndex];
    const D3DXMATRIX& to = m_keyMatrices[m_keyIndex + 1];
    return from + (to - from) * blend;
}

// How far the elapsed time has come through the current passage, within
// [0, 1]; a passage that takes no time counts as just begun.
float CPPartAnimation::GetPassageFraction() const
{
    const float passageTime = m_keyTimes[m_keyIndex];
    if (passageTime <= 0.0f) return 0.0f;
    return std::min(std::max(m_elapsed / passageTime, 0.0f), 1.0f);
}

// Tracks that would step past their keys are not played: too few keys, a
// matrix missing for a time, a track that already ran out (it stands on its
// closing keys), and a looping track whose passages take no time at all,
// which would go round without end.
bool CPPartAnimation::IsPlayable() const
{
    size_t keyCount = m_keyTimes.size();
    if (keyCount < kMinimumKeys || m_keyMatrices.size() != keyCount) return false;
    if (HasRunOut()) return false;
    if (!m_looping) return true;
    const size_t endIndex = keyCount - kClosingKeys;
    float passTime = 0.0f;
    for (size_t i = 0; i < endIndex; ++i) passTime += m_keyTimes[i];
    return passTime > 0.0f;
}

// A track stands on its closing keys once it has run out.
bool CPPartAnimation::HasRunOut() const
{
    return static_cast<size_t>(m_keyIndex) + kClosingKeys >= m_keyTimes.size();
}

void CPPartAnimation::StepThroughKeys()
{
    const int endIndex = static_cast<int>(m_keyTimes.size() - kClosingKeys);
    float elapsedAtPassStart = m_elapsed;
    while (m_elapsed > m_keyTimes[m_keyIndex]) {
        m_elapsed -= m_keyTimes[m_keyIndex];
        ++m_keyIndex;
        if (m_keyIndex != endIndex) continue;
        if (!m_looping) {
            ReportEnd();
            Stop();
            return;
        }
        m_keyIndex = 0;
        ReportEnd();
        // Passages too short to take anything off the elapsed time would go
        // round for ever: such a track reports one end a frame.
        if (m_elapsed >= elapsedAtPassStart) return;
        elapsedAtPassStart = m_elapsed;
    }
}

void CPPartAnimation::ReportEnd()
{
    if (m_target) m_target->OnAnimationEnd();
}
