#include "interface/PFontManager.h"

#include "interface/InterfaceLog.h"
#include "interface/QuadMesh.h"

#include "Render/PRenderObject.h"

CPFontManager* g_pFontManager = nullptr;

CPFontManager* GetFontManager()
{
    return g_pFontManager;
}

namespace {

const unsigned char kLineBreak = '^';
const float kOverlap = 2.0f;
const uint32_t kOpaqueWhite = 0xFFFFFFFF;

// A glyph corner into the mesh and its source copy: the position and the
// first texture pair from the glyph, the diffuse colour opaque white and
// every other field zero.
inline void WriteTextCorner(Vertex48& vertex, Vertex48& copy, float x, float y, float u, float v)
{
    const VertexFloats position = {x, y, 0.0f, 0.0f};
    const VertexBits colours = {0, 0, kOpaqueWhite, 0};
    const VertexFloats texture = {u, v, 0.0f, 0.0f};
    VertexFloats* floats = reinterpret_cast<VertexFloats*>(&vertex);
    VertexBits* bits = reinterpret_cast<VertexBits*>(&vertex);
    VertexFloats* copyFloats = reinterpret_cast<VertexFloats*>(&copy);
    VertexBits* copyBits = reinterpret_cast<VertexBits*>(&copy);
    floats[0] = position;
    bits[1] = colours;
    floats[2] = texture;
    copyFloats[0] = position;
    copyBits[1] = colours;
    copyFloats[2] = texture;
}

} // namespace

void CPFontManager::AddFont(const std::string& name, std::unique_ptr<CPFont> font)
{
    m_fonts[name] = font.get();
    m_ownedFonts.push_back(std::move(font));
}

CPFont* CPFontManager::FindFont(const std::string& name)
{
    return m_fonts[name].Get();
}

RefPtr<CPRenderObject> CPFontManager::BuildText(RefPtr<CPGameObject> textObject, float x, float y,
                                                const std::string& fontName, const std::string& text)
{
    if (!textObject || textObject->GetKind() != CPGameObject::kKindMesh) return RefPtr<CPRenderObject>();
    CPRenderObject* mesh = dynamic_cast<CPRenderObject*>(textObject->GetComponent());
    if (!mesh) return RefPtr<CPRenderObject>();
    std::vector<Vertex48>& vertices = mesh->GetWorldVertices();
    std::vector<Vertex48>& source = mesh->GetLocalVertices();
    std::vector<uint16_t>& indices = mesh->GetIndices();
    const CPFont* font = FindFont(fontName);
    if (!font) {
        vertices.clear();
        indices.clear();
        source.clear();
        LogInterfaceProblem("no font \"%s\" for the text \"%s\"", fontName.c_str(), text.c_str());
        return RefPtr<CPRenderObject>();
    }
    mesh->SetMaterial(font->material);

    size_t quads = 0;
    for (unsigned char character : text) {
        if (character != kLineBreak) ++quads;
    }
    if (quads > static_cast<size_t>(kMaxCharacters)) {
        LogInterfaceProblem("a text longer than %d characters draws its first %d", kMaxCharacters, kMaxCharacters);
        quads = kMaxCharacters;
    }
    vertices.resize(quads * kQuadVertexCount);
    source.resize(quads * kQuadVertexCount);
    SetQuadIndexCount(indices, quads);

    Vertex48* vertex = vertices.data();
    Vertex48* sourceVertex = source.data();
    float penX = x;
    float lineY = y;
    for (std::string::const_iterator it = text.begin(); vertex != vertices.data() + vertices.size(); ++it) {
        const unsigned char character = static_cast<unsigned char>(*it);
        if (character == kLineBreak) {
            lineY += font->lineHeight;
            penX = x;
            continue;
        }
        const float right = penX + font->advance[character];
        const float bottom = lineY + font->lineHeight;
        const CPFont::Glyph& glyph = font->glyphs[character];
        WriteTextCorner(*vertex++, *sourceVertex++, penX, lineY, glyph.uLeft, glyph.vTop);
        WriteTextCorner(*vertex++, *sourceVertex++, right, lineY, glyph.uRight, glyph.vTop);
        WriteTextCorner(*vertex++, *sourceVertex++, right, bottom, glyph.uRight, glyph.vBottom);
        WriteTextCorner(*vertex++, *sourceVertex++, penX, bottom, glyph.uLeft, glyph.vBottom);
        penX = right - kOverlap;
    }
    return RefPtr<CPRenderObject>(mesh);
}
