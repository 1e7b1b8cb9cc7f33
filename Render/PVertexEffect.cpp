#include "Render/PVertexEffect.h"

#include "core/FrameClock.h"
#include "core/StringUtils.h"

#include <cmath>
#include <cstdlib>

namespace {

const float kFullLevel = 255.0f;
const D3DCOLOR kWhite = 0x00FFFFFF;
const float kByteToUnit = 0.003921569f; // 1 / 255
const float kNormalWeight = 0.5f;

// More cells than a texture could hold; refused so that the frame tables
// stay small.
const int kMaxAnimFrames = 65536;

D3DCOLOR WhiteWithAlpha(int alpha)
{
    return (static_cast<D3DCOLOR>(alpha & 0xFF) << 24) | kWhite;
}

// Copies each source vertex, lets change alter the copy and writes it; going
// through a copy lets dest and source be the same array.
template <class Change>
void ChangeEach(Vertex48* dest, const Vertex48* source, int n, Change change)
{
    for (int i = 0; i < n; ++i) {
        Vertex48 vertex = source[i];
        change(vertex);
        dest[i] = vertex;
    }
}

// The value that taking 1 away while it is above 1, or adding 1 while it is
// below 0, would leave, reached in one step: a speed too large for a float
// to change by 1 would otherwise never leave the loop. An offset that has
// overflowed has no fraction left to keep and starts again at 0.
float WrapOffset(float offset)
{
    if (!std::isfinite(offset)) return 0.0f;
    double value = offset;
    if (value > 1.0) {
        value -= std::ceil(value - 1.0);
    } else if (value < 0.0) {
        value += std::ceil(-value);
    }
    return static_cast<float>(value);
}

} // namespace

IPVertexEffect::~IPVertexEffect() = default;

void IPVertexEffect::Reset() {}

CPEnvironmentEffect::CPEnvironmentEffect(float scale) : m_scale(scale) {}

void CPEnvironmentEffect::Update(float) {}

void CPEnvironmentEffect::Apply(Vertex48* dest, const Vertex48* source, int n)
{
    ChangeEach(dest, source, n, [this](Vertex48& vertex) {
        vertex.tex1.x = vertex.position.x / m_scale + vertex.normal.x * kNormalWeight;
        vertex.tex1.y = vertex.position.y / m_scale + vertex.normal.y * kNormalWeight;
    });
}

std::unique_ptr<IPVertexEffect> CPEnvironmentEffect::Clone() const
{
    return std::make_unique<CPEnvironmentEffect>(*this);
}

CPFadeEffect::CPFadeEffect(float rate) : m_rate(rate), m_level(kFullLevel) {}

void CPFadeEffect::Update(float dt)
{
    m_level -= dt * m_rate;
    if (m_level < 0.0f) m_level = 0.0f;
}

void CPFadeEffect::Apply(Vertex48* dest, const Vertex48* source, int n)
{
    Update(FrameDeltaTime);
    const D3DCOLOR diffuse = WhiteWithAlpha(static_cast<int>(m_level));
    ChangeEach(dest, source, n, [diffuse](Vertex48& vertex) { vertex.diffuse = diffuse; });
}

std::unique_ptr<IPVertexEffect> CPFadeEffect::Clone() const
{
    return std::make_unique<CPFadeEffect>(*this);
}

void CPFadeEffect::Reset()
{
    m_level = kFullLevel;
}

// The offsets start at one random multiple of the speeds, so that parts with
// the same effect do not scroll in step; the first update wraps them.
CPMovingTexEffect::CPMovingTexEffect(float speedU, float speedV)
    : m_speedU(speedU), m_speedV(speedV)
{
    const float start = static_cast<float>(std::rand());
    m_offsetU = start * speedU;
    m_offsetV = start * speedV;
}

void CPMovingTexEffect::Update(float dt)
{
    m_offsetU = WrapOffset(m_offsetU + dt * m_speedU);
    m_offsetV = WrapOffset(m_offsetV + dt * m_speedV);
}

void CPMovingTexEffect::Apply(Vertex48* dest, const Vertex48* source, int n)
{
    Update(FrameDeltaTime);
    ChangeEach(dest, source, n, [this](Vertex48& vertex) {
        vertex.tex0.x += m_offsetU;
        vertex.tex0.y += m_offsetV;
    });
}

std::unique_ptr<IPVertexEffect> CPMovingTexEffect::Clone() const
{
    return std::make_unique<CPMovingTexEffect>(*this);
}

CPFlickEffect::CPFlickEffect(float frequency, uint8_t low, uint8_t high)
    : m_frequency(frequency),
      m_amplitude((high - low) * 0.5f),
      m_time(static_cast<float>(std::rand())),
      m_level(0)
{
    m_middle = static_cast<uint8_t>(low + static_cast<int>(m_amplitude));
}

void CPFlickEffect::Update(float dt)
{
    m_time += dt;
    m_level = static_cast<int>(std::sin(m_time * m_frequency) * m_amplitude + m_middle);
}

void CPFlickEffect::Apply(Vertex48* dest, const Vertex48* source, int n)
{
    Update(FrameDeltaTime);
    ChangeEach(dest, source, n, [this](Vertex48& vertex) {
        const int sourceAlpha = static_cast<int>(vertex.diffuse >> 24);
        vertex.diffuse = WhiteWithAlpha(static_cast<int>(sourceAlpha * m_level * kByteToUnit));
    });
}

std::unique_ptr<IPVertexEffect> CPFlickEffect::Clone() const
{
    return std::make_unique<CPFlickEffect>(*this);
}

CPAnimEffect::CPAnimEffect(int columns, int rows, float framesPerSecond)
    : m_columns(columns),
      m_rows(rows),
      m_framesPerSecond(framesPerSecond),
      m_time(0.0f),
      m_frame(0),
      m_frameTotal(columns * rows),
      m_stepU(1.0f / columns),
      m_stepV(1.0f / rows)
{
    m_originU.reserve(m_frameTotal);
    m_originV.reserve(m_frameTotal);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            m_originU.push_back(column * m_stepU);
            m_originV.push_back(row * m_stepV);
        }
    }
}

// The cell count since the start, wrapped into the grid with floor
// arithmetic: the same frame as a plain remainder while time and rate are
// positive, and still a cell of the grid when the rate is negative.
void CPAnimEffect::Update(float dt)
{
    m_time += dt;
    const double cells = std::trunc(m_time * m_framesPerSecond);
    if (!std::isfinite(cells)) return;
    double frame = std::fmod(cells, m_frameTotal);
    if (frame < 0.0) frame += m_frameTotal;
    m_frame = static_cast<int>(frame);
}

void CPAnimEffect::Apply(Vertex48* dest, const Vertex48* source, int n)
{
    Update(FrameDeltaTime);
    const float originU = m_originU[m_frame];
    const float originV = m_originV[m_frame];
    ChangeEach(dest, source, n, [this, originU, originV](Vertex48& vertex) {
        vertex.tex0.x = originU + m_stepU * vertex.tex0.x;
        vertex.tex0.y = originV + m_stepV * vertex.tex0.y;
    });
}

std::unique_ptr<IPVertexEffect> CPAnimEffect::Clone() const
{
    return std::make_unique<CPAnimEffect>(*this);
}

namespace {

int LeadingInteger(const std::string& value)
{
    return static_cast<int>(std::strtol(value.c_str(), nullptr, 10));
}

float LeadingReal(const std::string& value)
{
    return static_cast<float>(std::strtod(value.c_str(), nullptr));
}

bool AreNumberStrings(const std::vector<std::string>& values)
{
    for (const std::string& value : values) {
        if (!IsNumberString(value)) return false;
    }
    return true;
}

std::unique_ptr<IPVertexEffect> CreateAnimEffect(const std::vector<std::string>& values)
{
    const int columns = LeadingInteger(values[0]);
    const int rows = LeadingInteger(values[1]);
    if (columns < 1 || rows < 1 || columns > kMaxAnimFrames / rows) return nullptr;
    return std::make_unique<CPAnimEffect>(columns, rows, LeadingReal(values[2]));
}

std::unique_ptr<IPVertexEffect> CreateEnvironmentEffect(const std::vector<std::string>& values)
{
    const float scale = LeadingReal(values[0]);
    if (scale == 0.0f) return nullptr;
    return std::make_unique<CPEnvironmentEffect>(scale);
}

std::unique_ptr<IPVertexEffect> CreateFlickEffect(const std::vector<std::string>& values)
{
    return std::make_unique<CPFlickEffect>(LeadingReal(values[0]),
                                           static_cast<uint8_t>(LeadingInteger(values[1])),
                                           static_cast<uint8_t>(LeadingInteger(values[2])));
}

std::unique_ptr<IPVertexEffect> CreateMovingTexEffect(const std::vector<std::string>& values)
{
    return std::make_unique<CPMovingTexEffect>(LeadingReal(values[0]), LeadingReal(values[1]));
}

std::unique_ptr<IPVertexEffect> CreateFadeEffect(const std::vector<std::string>& values)
{
    return std::make_unique<CPFadeEffect>(LeadingReal(values[0]));
}

struct VertexEffectKind {
    const char* name;
    size_t valueCount;
    std::unique_ptr<IPVertexEffect> (*create)(const std::vector<std::string>& values);
};

const VertexEffectKind kVertexEffectKinds[] = {
    {"anim", 3, CreateAnimEffect},           {"flick", 3, CreateFlickEffect},
    {"movingtex", 2, CreateMovingTexEffect}, {"fade", 1, CreateFadeEffect},
    {"environment", 1, CreateEnvironmentEffect},
};

} // namespace

std::unique_ptr<IPVertexEffect> CreateVertexEffect(const std::string& kind,
                                                   const std::vector<std::string>& values)
{
    std::string name = kind;
    StringToLower(name);
    for (const VertexEffectKind& known : kVertexEffectKinds) {
        if (name != known.name) continue;
        if (values.size() != known.valueCount || !AreNumberStrings(values)) return nullptr;
        return known.create(values);
    }
    return nullptr;
}

VertexEffectList CloneVertexEffects(const VertexEffectList& effects)
{
    VertexEffectList copies;
    copies.reserve(effects.size());
    for (const std::unique_ptr<IPVertexEffect>& effect : effects) {
        copies.push_back(effect->Clone());
    }
    return copies;
}
