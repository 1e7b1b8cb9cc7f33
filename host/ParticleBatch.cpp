#include "host/ParticleBatch.h"

#include "host/ScreenLayerStates.h"

#include "Render/PParticleManager.h"
#include "Render/ParticleFile.h"
#include "Render/RenderStates.h"

#include <algorithm>
#include <cmath>

namespace {

const char* const kTextureExtension = ".tga";
const D3DCOLOR kParticleColour = 0xFFFFFFFF;
const UINT kVerticesPerQuad = 6;
const UINT kTrianglesPerQuad = 2;
const float kHalf = 0.5f;

// Particles are seen through each other: they test depth but do not write it.
const RenderStateValue kParticleStates[] = {
    {D3DRS_LIGHTING, FALSE},
    {D3DRS_ZENABLE, D3DZB_TRUE},
    {D3DRS_ZWRITEENABLE, FALSE},
    {D3DRS_ALPHABLENDENABLE, TRUE},
    {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
};

Vertex48 Corner(const D3DXVECTOR3& position, float u, float v)
{
    Vertex48 vertex = {};
    vertex.position = position;
    vertex.normal = D3DXVECTOR3(0.0f, 0.0f, 1.0f);
    vertex.diffuse = kParticleColour;
    vertex.tex0 = D3DXVECTOR2(u, v);
    return vertex;
}

} // namespace

ParticleBatch::ParticleBatch(const std::string& name, CPTextureCache* textures) : m_name(name)
{
    if (textures) textures->GetTexture(m_texture, name + kTextureExtension);
}

void ParticleBatch::AddParticle(const Particle& particle)
{
    const ParticleSpawnRecord& record = particle.record;
    LiveParticle live;
    live.position = record.position;
    live.velocity = record.velocity;
    live.acceleration = record.acceleration;
    live.size = record.size;
    live.growth = record.secondScalar;
    live.life = record.thirdScalar;
    live.age = 0.0f;
    live.angle = particle.startAngle;
    live.additive = record.firstFlag != 0;
    live.source = record.object;
    live.hitTarget = dynamic_cast<IPParticleHit*>(record.object.Get());
    m_particles.push_back(live);
}

void ParticleBatch::Clear()
{
    m_particles.clear();
}

void ParticleBatch::Update(float dt)
{
    for (LiveParticle& particle : m_particles) {
        particle.age += dt;
        particle.velocity += particle.acceleration * dt;
        particle.position += particle.velocity * dt;
        particle.size = std::max(particle.size + particle.growth * dt, 0.0f);
        if (particle.hitTarget && particle.age < particle.life &&
            particle.hitTarget->OnParticleHit(particle.position)) {
            particle.age = particle.life;
        }
    }
    m_particles.erase(std::remove_if(m_particles.begin(), m_particles.end(),
                                     [](const LiveParticle& particle) { return particle.age >= particle.life; }),
                      m_particles.end());
    if (m_particles.empty()) SetActive(false);
}

void ParticleBatch::Draw(IDirect3DDevice9* device, const D3DXMATRIX& view)
{
    if (m_particles.empty()) return;
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_WORLD, &identity);
    SetRenderStates(device, kParticleStates);
    device->SetTexture(0, m_texture ? m_texture->GetBaseTexture() : nullptr);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetFVF(kVertex48FVF);
    DrawGroup(device, view, false);
    DrawGroup(device, view, true);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    RestoreWorldStates(device);
}

// The view's first two columns are the camera's right and up in the world.
void ParticleBatch::DrawGroup(IDirect3DDevice9* device, const D3DXMATRIX& view, bool additive)
{
    const D3DXVECTOR3 right(view._11, view._21, view._31);
    const D3DXVECTOR3 up(view._12, view._22, view._32);
    m_vertices.clear();
    for (const LiveParticle& particle : m_particles) {
        if (particle.additive == additive) AppendQuad(particle, right, up);
    }
    if (m_vertices.empty()) return;
    device->SetRenderState(D3DRS_DESTBLEND, additive ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(m_vertices.size() / kVerticesPerQuad) *
                                                    kTrianglesPerQuad,
                            m_vertices.data(), sizeof(Vertex48));
}

void ParticleBatch::AppendQuad(const LiveParticle& particle, const D3DXVECTOR3& right, const D3DXVECTOR3& up)
{
    const float cosine = std::cos(particle.angle);
    const float sine = std::sin(particle.angle);
    const float half = particle.size * kHalf;
    const D3DXVECTOR3 across = (right * cosine + up * sine) * half;
    const D3DXVECTOR3 along = (up * cosine - right * sine) * half;
    const Vertex48 topLeft = Corner(particle.position - across + along, 0.0f, 0.0f);
    const Vertex48 topRight = Corner(particle.position + across + along, 1.0f, 0.0f);
    const Vertex48 bottomLeft = Corner(particle.position - across - along, 0.0f, 1.0f);
    const Vertex48 bottomRight = Corner(particle.position + across - along, 1.0f, 1.0f);
    m_vertices.insert(m_vertices.end(), {topLeft, topRight, bottomLeft, bottomLeft, topRight, bottomRight});
}

ParticleBatchSet::ParticleBatchSet(CPParticleManager& manager, const std::vector<NamedEmitter>& emitters,
                                   CPTextureCache* textures)
    : m_manager(manager)
{
    for (const NamedEmitter& emitter : emitters) {
        const std::string& name = emitter.definition.particleName;
        if (Find(name)) continue;
        m_batches.emplace_back(new ParticleBatch(name, textures));
        m_manager.AddBatch(name, m_batches.back().get());
    }
}

ParticleBatchSet::~ParticleBatchSet()
{
    m_manager.RemoveBatches();
}

void ParticleBatchSet::Update(float dt)
{
    for (const auto& batch : m_batches) {
        if (batch->IsActive()) batch->Update(dt);
    }
    m_manager.RemoveInactiveBatches();
}

void ParticleBatchSet::Draw(IDirect3DDevice9* device, const D3DXMATRIX& view)
{
    for (const auto& batch : m_batches) {
        if (batch->IsActive()) batch->Draw(device, view);
    }
}

ParticleBatch* ParticleBatchSet::Find(const std::string& name) const
{
    for (const auto& batch : m_batches) {
        if (batch->GetName() == name) return batch.get();
    }
    return nullptr;
}
