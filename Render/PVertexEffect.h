#pragma once

#include "Render/PDrawable.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A change that a drawable applies to its vertices on their way into the
// dynamic buffers. The timed kinds advance their own clock by the frame
// time each time they are applied, so their time runs only while their
// drawable is drawn. Owned by the drawable; not reference-counted.
class IPVertexEffect {
public:
    virtual void Update(float dt) = 0;
    virtual ~IPVertexEffect();
    // Writes n vertices to dest, each a copy of the source vertex with the
    // effect's change; dest may be source.
    virtual void Apply(Vertex48* dest, const Vertex48* source, int n) = 0;
    virtual std::unique_ptr<IPVertexEffect> Clone() const = 0;
    virtual void Reset();
};

// "environment": environment-map coordinates in the second texture pair,
// derived from position and normal.
class CPEnvironmentEffect : public IPVertexEffect {
public:
    explicit CPEnvironmentEffect(float scale);
    void Update(float dt) override;
    void Apply(Vertex48* dest, const Vertex48* source, int n) override;
    std::unique_ptr<IPVertexEffect> Clone() const override;

private:
    float m_scale;
};

// "fade": white with an alpha that falls from 255 at a rate per second.
class CPFadeEffect : public IPVertexEffect {
public:
    explicit CPFadeEffect(float rate);
    void Update(float dt) override;
    void Apply(Vertex48* dest, const Vertex48* source, int n) override;
    std::unique_ptr<IPVertexEffect> Clone() const override;
    void Reset() override;

private:
    float m_rate;
    float m_level;
};

// "movingtex": scrolls the first texture pair by offsets kept within [0, 1].
class CPMovingTexEffect : public IPVertexEffect {
public:
    CPMovingTexEffect(float speedU, float speedV);
    void Update(float dt) override;
    void Apply(Vertex48* dest, const Vertex48* source, int n) override;
    std::unique_ptr<IPVertexEffect> Clone() const override;

private:
    float m_speedU;
    float m_speedV;
    float m_offsetU;
    float m_offsetV;
};

// "flick": scales the source alpha by a level swinging on a sine between a
// low and a high value, from a random phase.
class CPFlickEffect : public IPVertexEffect {
public:
    CPFlickEffect(float frequency, uint8_t low, uint8_t high);
    void Update(float dt) override;
    void Apply(Vertex48* dest, const Vertex48* source, int n) override;
    std::unique_ptr<IPVertexEffect> Clone() const override;

private:
    float m_frequency;
    uint8_t m_middle;
    float m_amplitude;
    float m_time;
    int m_level;
};

// "anim": maps the first texture pair into one cell of a columns x rows
// grid of frames, stepping through the cells row by row at a frame rate.
class CPAnimEffect : public IPVertexEffect {
public:
    // Both counts must be at least 1.
    CPAnimEffect(int columns, int rows, float framesPerSecond);
    void Update(float dt) override;
    void Apply(Vertex48* dest, const Vertex48* source, int n) override;
    std::unique_ptr<IPVertexEffect> Clone() const override;

private:
    int m_columns;
    int m_rows;
    float m_framesPerSecond;
    float m_time;
    int m_frame;
    int m_frameTotal;
    float m_stepU;
    float m_stepV;
    std::vector<float> m_originU;
    std::vector<float> m_originV;
};

// Makes the effect of a "vertexeffect" description entry: the kind name
// (any case) with its values as number strings. Answers none for an unknown
// kind, a wrong number of values, a value that is not a number string, and
// for values that leave the effect undefined (an "anim" grid without cells
// or too many to tabulate, an "environment" scale of 0).
std::unique_ptr<IPVertexEffect> CreateVertexEffect(const std::string& kind,
                                                   const std::vector<std::string>& values);

using VertexEffectList = std::vector<std::unique_ptr<IPVertexEffect>>;

// A copy of every effect of the list, in order, each with its own state.
VertexEffectList CloneVertexEffects(const VertexEffectList& effects);
