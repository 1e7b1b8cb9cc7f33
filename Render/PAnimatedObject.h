#pragma once

#include "core/AnimationRequest.h"
#include "Render/PAnimation.h"
#include "Render/PDrawable.h"
#include "Render/PMaterial.h"
#include "Render/PVertexEffect.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CPGameObject;

// The drawable of an animated part: it holds the part's morph animations by
// name and plays one at a time at a chosen speed for a chosen number of
// passes, telling a receiver when the animation stops and when it reaches a
// chosen frame.
class CPAnimatedObject : public IPDrawable {
public:
    CPAnimatedObject();
    ~CPAnimatedObject() override;

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPAnimatedObject"; }
    void GetMaterial(RefPtr<CPMaterial>& material) override { material = m_material; }

    void SetMaterial(RefPtr<CPMaterial> material) { m_material = material; }
    void SetOwner(CPGameObject* owner) { m_owner = owner; }
    CPGameObject* GetOwner() const { return m_owner; }

    // Shares the source's animations, current animation, notify object and
    // material, takes over its playing state and clones its vertex effects;
    // the owner stays.
    virtual void CopyFrom(RefPtr<CPAnimatedObject> source);
    // Hands back a new animated object of this object's own class that has
    // copied this one (CopyFrom); a game object's copy then makes itself its
    // owner.
    virtual void Clone(RefPtr<CPAnimatedObject>& copy) = 0;

    // Stores the animation under the name, replacing one of that name.
    void AddAnimation(const std::string& name, RefPtr<CPAnimation> animation);
    // Appends an effect for the written frames and turns the effects on.
    void AddVertexEffect(std::unique_ptr<IPVertexEffect> effect);

    // Makes the requested animation current from the global total time plus
    // the request's offset. A name the object does not hold changes nothing;
    // so does the current animation's own name unless restart is set.
    void PlayAnimation(const AnimationRequest& request, bool restart);

    const std::string& GetCurrentName() const { return m_currentName; }
    CPAnimation* GetCurrentAnimation() const { return m_currentAnimation.Get(); }
    float GetStartTime() const { return m_startTime; }
    float GetSpeed() const { return m_speed; }
    int GetPassLimit() const { return m_passLimit; }
    int GetPassCount() const { return m_passCount; }
    int GetReportFrame() const { return m_reportFrame; }
    int GetReportedFrame() const { return m_reportedFrame; }
    CommandReceiver* GetNotify() const { return m_notify.Get(); }
    bool IsStopped() const { return m_stopped; }
    bool AreVertexEffectsOn() const { return m_vertexEffectsOn; }
    const std::vector<std::unique_ptr<IPVertexEffect>>& GetVertexEffects() const { return m_vertexEffects; }

private:
    CPGameObject* m_owner;
    RefPtr<CPMaterial> m_material;
    std::unordered_map<std::string, RefPtr<CPAnimation>> m_animations;
    RefPtr<CPAnimation> m_currentAnimation;
    float m_startTime;
    int m_passLimit;
    int m_passCount;
    int m_reportedFrame;
    int m_reportFrame;
    float m_speed;
    RefPtr<CommandReceiver> m_notify;
    const MorphFrame* m_shownFrame;
    bool m_stopped;
    std::string m_currentName;
    bool m_vertexEffectsOn;
    std::vector<std::unique_ptr<IPVertexEffect>> m_vertexEffects;
};
