#pragma once

#include "Render/PVertexEffect.h"

#include <memory>

// Scales or shifts the y of every vertex, so that the order in which
// effects ran shows in the result.
class AffineYEffect : public IPVertexEffect {
public:
    AffineYEffect(float scale, float shift) : m_scale(scale), m_shift(shift) {}
    void Update(float) override {}
    void Apply(Vertex48* dest, const Vertex48* source, int n) override
    {
        for (int i = 0; i < n; ++i) {
            dest[i] = source[i];
            dest[i].position.y = source[i].position.y * m_scale + m_shift;
        }
    }
    std::unique_ptr<IPVertexEffect> Clone() const override
    {
        return std::unique_ptr<IPVertexEffect>(new AffineYEffect(m_scale, m_shift));
    }

private:
    float m_scale;
    float m_shift;
};
