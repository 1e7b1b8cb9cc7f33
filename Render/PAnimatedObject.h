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
// passes, measured against the global total time. It tells a receiver, and
// its owner's enemy logic, when the animation stops and when it reaches a
// chosen frame, and writes the current frame placed by its owner's world
// matrix.
//
// Only an animation of at least two frames and a positive duration plays;
// without one the object has no geometry and sends nothing.
class CPAnimatedObject : public IPDrawable {
public:
    CPAnimatedObject();
    ~CPAnimatedObject() override;

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPAnimatedObject"; }
    void GetMaterial(RefPtr<CPMaterial>& material) override { material = m_material; }

    // The counts of the frame that WriteGeometry would write now, also when
    // that call is the one that stops the animation; nothing changes.
    int GetVertexCount() override;
    int GetIndexCount() override;
    // Advances the animation to the global total time, sends its events and
    // writes the shown frame: positions and normals through the owner's
    // world matrix, the vertex effects in order, and the indices plus the
    // base vertex, each triangle's winding kept under a mirroring matrix.
    void WriteGeometry(Vertex48* destVertices, uint16_t* destIndices, uint16_t baseVertex,
                       bool flag) override;

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
    virtual void Clone(RefPtr<CPAnimatedObject>& copy);

    // Stores the animation under the name, replacing one of that name.
    void AddAnimation(const std::string& name, RefPtr<CPAnimation> animation);
    // The animation stored under the name, or null.
    CPAnimation* GetAnimation(const std::string& name) const
    {
        auto named = m_animations.find(name);
        return named == m_animations.end() ? nullptr : named->second.Get();
    }
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
    // The frame last written, or null before the first write of a start.
    const MorphFrame* GetShownFrame() const;
    bool AreVertexEffectsOn() const { return m_vertexEffectsOn; }
    const std::vector<std::unique_ptr<IPVertexEffect>>& GetVertexEffects() const { return m_vertexEffects; }

private:
    bool HasPlayableAnimation() const;
    // The frame the total time selects: the time since the start, scaled by
    // the speed and wrapped into one pass.
    int SelectFrame() const;
    // Whether showing the frame next ends a pass, and whether that pass is
    // the last one.
    bool EndsPass(int frame) const;
    bool EndsLastPass(int frame) const;
    // The frame at which a stopped animation rests.
    int GetRestingFrame() const;
    const MorphFrame* GetFrameToWrite() const;

    void Advance();
    // True when the end notice started another animation.
    bool StopAtPassLimit();
    void ReportFrame(int frame);
    void Notify(const char* command);
    void WriteVertices(Vertex48* dest, const MorphFrame& frame) const;

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
    // Kept as a position in the current animation's frames rather than a
    // pointer, so that reading the animation anew cannot leave it dangling.
    int m_shownFrame;
    bool m_stopped;
    // Counts the starts, so that a notice that starts another animation
    // can be told from one that does not.
    unsigned m_startCount;
    std::string m_currentName;
    bool m_vertexEffectsOn;
    std::vector<std::unique_ptr<IPVertexEffect>> m_vertexEffects;
};
