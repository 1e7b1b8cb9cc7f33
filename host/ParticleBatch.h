#pragma once

#include "Render/PDrawable.h"
#include "Render/PParticleBatch.h"
#include "Render/PParticleHit.h"
#include "Render/PTexture.h"

#include <d3d9.h>
#include <d3dx9math.h>

#include <memory>
#include <string>
#include <vector>

class CPParticleManager;
struct NamedEmitter;

// One particle as a batch moves it.
struct LiveParticle {
    D3DXVECTOR3 position;
    D3DXVECTOR3 velocity;
    D3DXVECTOR3 acceleration;
    float size;
    // Size gained per second.
    float growth;
    // Seconds the particle lives, and the seconds it has lived.
    float life;
    float age;
    float angle;
    bool additive;
    // The spawn record's object, kept alive while the particle lives, and
    // the same object as what the particle can run into, when it is one.
    RefPtr<IPObject> source;
    IPParticleHit* hitTarget = nullptr;
};

// The particles of one name, drawn as quads of "<name>.tga" that face the
// camera, turned by their start angle. A particle starts with the record's
// position, velocity and acceleration, its first scalar as size, its second
// as growth and its third as life in seconds; its first flag draws it
// additively, otherwise it blends by alpha. A particle whose record's object
// can be hit (IPParticleHit) tells it where it is after every move, and
// ends when it answers true. A batch whose last particle went goes
// inactive.
class ParticleBatch : public IPParticleBatch {
public:
    // Without a texture cache the quads draw untextured.
    ParticleBatch(const std::string& name, CPTextureCache* textures);

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "ParticleBatch"; }

    void AddParticle(const Particle& particle) override;
    void Clear() override;

    // Moves every particle on by dt seconds: velocity by acceleration,
    // position by the new velocity, size by growth (never below 0); a
    // particle whose age reaches its life, or whose hit target answered
    // true, goes.
    void Update(float dt);
    // Draws the particles facing the view, the alpha-blended ones before
    // the additive ones, without writing depth; the world states after.
    void Draw(IDirect3DDevice9* device, const D3DXMATRIX& view);

    const std::vector<LiveParticle>& GetParticles() const { return m_particles; }
    const std::string& GetName() const { return m_name; }

private:
    void AppendQuad(const LiveParticle& particle, const D3DXVECTOR3& right, const D3DXVECTOR3& up);
    void DrawGroup(IDirect3DDevice9* device, const D3DXMATRIX& view, bool additive);

    std::string m_name;
    RefPtr<CPTexture> m_texture;
    std::vector<LiveParticle> m_particles;
    std::vector<Vertex48> m_vertices;
};

// The batches of every particle name that the emitter definitions use, one
// each, entered in the particle manager, which forgets them again when the
// set goes: the host steps them once a frame and draws the active ones.
class ParticleBatchSet {
public:
    ParticleBatchSet(CPParticleManager& manager, const std::vector<NamedEmitter>& emitters,
                     CPTextureCache* textures);
    ~ParticleBatchSet();
    ParticleBatchSet(const ParticleBatchSet&) = delete;
    ParticleBatchSet& operator=(const ParticleBatchSet&) = delete;

    // Moves the active batches on and takes those that emptied off the
    // manager's active list.
    void Update(float dt);
    void Draw(IDirect3DDevice9* device, const D3DXMATRIX& view);

    ParticleBatch* Find(const std::string& name) const;

private:
    CPParticleManager& m_manager;
    std::vector<std::unique_ptr<ParticleBatch>> m_batches;
};
