#include "game/PShot.h"

#include "Render/PRenderObject.h"
#include "Sound/PSoundCache.h"
#include "Sound/PSoundManager.h"
#include "core/FrameClock.h"

#include <algorithm>
#include <cmath>

namespace {

const char* const kNoSound = "none";
const char* const kPlainSoundMode = "2d";
const float kZeroLengthSquared = 1e-6f;
const float kHalfTurn = 3.14159265f;

} // namespace

CPShot::CPShot(const std::string& kindName)
    : CPGameObject("CPShot"),
      m_position(0.0f, 0.0f, 0.0f),
      m_direction(0.0f, 0.0f, 0.0f),
      m_kindName(kindName),
      m_value(-1.0f),
      m_sound2D(false)
{
    InstallBody(std::unique_ptr<CPRenderObject>(new CPRenderObject(this)));
}

CPShot::~CPShot()
{
    // The game object lets go of its drawable after this body has run, by
    // which time the drawable would be gone.
    SetComponent(kKindMesh, nullptr);
}

void CPShot::InstallBody(std::unique_ptr<CPRenderObject> body)
{
    SetComponent(kKindMesh, body.get());
    m_body = std::move(body);
}

bool CPShot::SetParams(const std::vector<std::string>& params)
{
    m_sound = nullptr;
    m_sound2D = false;
    if (params.empty()) {
        m_soundName.clear();
        return true;
    }
    const std::string& last = params.back();
    const size_t comma = last.find(',');
    m_soundName = last.substr(0, comma);
    if (m_soundName == kNoSound) return true;
    m_sound2D = comma != std::string::npos && last.substr(comma + 1) == kPlainSoundMode;
    if (g_pSoundCache) {
        g_pSoundCache->GetSound(m_sound, m_soundName, m_sound2D ? CNSound::kPlain : CNSound::kPositioned, false);
    }
    return true;
}

D3DXQUATERNION CPShot::OrientationFor(const D3DXVECTOR3& direction)
{
    D3DXQUATERNION rotation;
    D3DXQuaternionIdentity(&rotation);
    if (D3DXVec3LengthSq(&direction) < kZeroLengthSquared) return rotation;
    D3DXVECTOR3 forward;
    D3DXVec3Normalize(&forward, &direction);
    const float angle = -std::acos(std::max(-1.0f, std::min(1.0f, -forward.y)));
    D3DXVECTOR3 axis(forward.z, 0.0f, -forward.x);
    if (D3DXVec3LengthSq(&axis) >= kZeroLengthSquared) {
        D3DXQuaternionRotationAxis(&rotation, &axis, angle);
    } else if (forward.y > 0.0f) {
        const D3DXVECTOR3 up(0.0f, 0.0f, 1.0f);
        D3DXQuaternionRotationAxis(&rotation, &up, -kHalfTurn);
    }
    return rotation;
}

void CPShot::Launch(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, float value,
                    RefPtr<CPGameObject> owner, int extra)
{
    (void)owner;
    (void)extra;
    m_value = value;
    m_position = position;
    m_direction = direction;
    const D3DXQUATERNION rotation = OrientationFor(direction);
    SetRotation(rotation.x, rotation.y, rotation.z, rotation.w);
    PlayLaunchSound();
}

void CPShot::PlayLaunchSound()
{
    if (!m_sound) return;
    if (!m_sound2D) CPSoundManager::SetSoundPosition(m_sound, m_position, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    m_sound->SetFrameStamp(static_cast<DWORD>(FrameNumber));
    m_sound->Stop();
    m_sound->Rewind();
    m_sound->Play(0, 0);
}
