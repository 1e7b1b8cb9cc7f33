#pragma once

#include "core/PProcess.h"

#include <d3dx9.h>

#include <vector>

class CPGameObject;

// A keyframed track of matrices that belongs to one part of a scene object.
// It runs as a task that counts the frame time through its keys and drives
// its game object with the key matrices blended by the time spent in the
// current passage; when its track runs out it tells its game object and
// then starts over (looping) or stops. A track of N keys plays the passages
// 0 to N - 3.
class CPPartAnimation : public IPProcess {
public:
    CPPartAnimation();

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPPartAnimation"; }
    int GetTaskValue() override { return 1; }
    // A track that ran out starts again from its first key; one stopped
    // before its end goes on from where it stood.
    bool Start() override;
    void Execute() override;

    // One matrix per key; the time of key i is the duration of the passage
    // from key i to key i + 1.
    void SetKeys(const std::vector<D3DXMATRIX>& matrices, const std::vector<float>& times);
    // The game object the track drives and tells when the track runs out.
    void SetTarget(CPGameObject* target) { m_target = target; }
    CPGameObject* GetTarget() const { return m_target; }
    // Takes over the source's keys and looping flag; the target and the
    // place in the track stay as they are.
    void CopyFrom(RefPtr<CPPartAnimation> source);

    // Set by the game object for its idle animation.
    void SetLooping(bool looping) { m_looping = looping; }
    bool IsLooping() const { return m_looping; }

    const std::vector<D3DXMATRIX>& GetKeyMatrices() const { return m_keyMatrices; }
    const std::vector<float>& GetKeyTimes() const { return m_keyTimes; }
    float GetElapsed() const { return m_elapsed; }
    int GetKeyIndex() const { return m_keyIndex; }

private:
    bool IsPlayable() const;
    bool HasRunOut() const;
    // Moves past every passage that the elapsed time has used up, reporting
    // each end of the track; a track that does not loop stops at its end.
    void StepThroughKeys();
    void ReportEnd();
    D3DXMATRIX GetCurrentMatrix() const;
    float GetPassageFraction() const;

    std::vector<D3DXMATRIX> m_keyMatrices;
    std::vector<float> m_keyTimes;
    CPGameObject* m_target;
    float m_elapsed;
    int m_keyIndex;
    bool m_looping;
};
