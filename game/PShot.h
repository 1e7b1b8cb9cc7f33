#pragma once

#include "Sound/NSound.h"
#include "core/PGameObject.h"

#include <d3dx9.h>

#include <memory>
#include <string>
#include <vector>

class CPRenderObject;

// A projectile, bolt, explosion or dropped bonus: a game object placed at a
// point with a direction, which may play a sound there and then lives on
// its own, one Update a frame, until Update answers false. Shots are made
// by kind name through the shot spawner, which clones the kind's template.
class CPShot : public CPGameObject {
public:
    explicit CPShot(const std::string& kindName);
    ~CPShot() override;

    // A new shot of the same kind and parameters, made with new: whoever
    // asked for it owns it (the spawner, for every clone it makes).
    // Subclasses that cannot be copied hand back none.
    virtual void Clone(RefPtr<CPShot>& copy) = 0;
    // One frame of the shot's own behaviour; false once it is finished.
    virtual bool Update() = 0;
    const std::string& GetKindName() const { return m_kindName; }
    // The last string names the launch sound: "name", "name,2d" for a sound
    // without position, or "none". Subclasses read the strings before it.
    virtual bool SetParams(const std::vector<std::string>& params);
    // Turns the shot along the direction and plays its sound at the
    // position; the shot itself is placed by its Update.
    virtual void Launch(const D3DXVECTOR3& position, const D3DXVECTOR3& direction, float value,
                        RefPtr<CPGameObject> owner, int extra);

    // The launch point, which a subclass may move on as the shot flies.
    const D3DXVECTOR3& GetShotPosition() const { return m_position; }
    const D3DXVECTOR3& GetDirection() const { return m_direction; }
    float GetValue() const { return m_value; }
    CNSound* GetSound() const { return m_sound.Get(); }
    const std::string& GetSoundName() const { return m_soundName; }
    bool IsSound2D() const { return m_sound2D; }

    // The rotation that turns the shot's forward axis (-y) onto the
    // direction: about the axis (N.z, 0, -N.x) by -acos(-N.y), N the
    // direction normalised. Along -y, and for a zero direction, no turn;
    // along +y, where that axis vanishes, a half turn about z.
    static D3DXQUATERNION OrientationFor(const D3DXVECTOR3& direction);

protected:
    // Replaces the drawable, which the shot owns from now on.
    void InstallBody(std::unique_ptr<CPRenderObject> body);
    CPRenderObject* GetBody() const { return m_body.get(); }

    D3DXVECTOR3 m_position;
    D3DXVECTOR3 m_direction;

private:
    void PlayLaunchSound();

    std::string m_kindName;
    RefPtr<CNSound> m_sound;
    std::string m_soundName;
    float m_value;
    bool m_sound2D;
    std::unique_ptr<CPRenderObject> m_body;
};
