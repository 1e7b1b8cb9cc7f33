#pragma once

// The engine's one particle manager: it owns the emitter definitions by name
// and the particle batches that simulate and draw particles. The host
// creates it and publishes it in g_pParticleManager.
class CPParticleManager {};

// The particle manager that the host created and published.
extern CPParticleManager* g_pParticleManager;
