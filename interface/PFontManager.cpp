#include "interface/PFontManager.h"

#include "interface/InterfaceLog.h"

#include "Render/PRenderObject.h"

CPFontManager* g_pFontManager = nullptr;

CPFontManager* GetFontManager()
{
    return g_pFontManager;
}

namespace {

const unsigned char kLineBreak = '^';
const float kOverlap = 2.0f;
const int kQuadVertices = 4;
const int kQuadIndexCount = 6;
const uint16_t kQuadIndices[kQuadIndexCount] = {0, 1, 2, 0, 2, 3};
const D3DCOLOR kOpaqueWhite = 0xFFFFFFFF;

// Every field is written straight into the mesh: a vertex built aside and
// copied over would be read back before its parts are stored.
void SetTextVertex(Vertex48& vertex, float x, float y, float u, float v)
{
    vertex.position.x = x;
    vertex.position.y = y;
    vertex.position.z = 0.0f;
    vertex.normal.x = 0.0f;
    vertex.normal.y = 0.0f;
    vertex.normal.z = 0.0f;
    vertex.diffuse = kOpaqueWhite;
    vertex.specular = 0;
    vertex.tex0.x = u;
    vertex.tex0.y = v;
    vertex.tex1.x = 0.0f;
    vertex.tex1.y = 0.0f;
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
    std::vector<uint16_t>& indices = mesh->GetIndices();
    const CPFont* font = FindFont(fontName);
    if (!font) {
        vertices.clear();
        indices.clear();
        mesh->GetLocalVertices().clear();
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
    vertices.resize(quads * kQuadVertices);
    indices.resize(quads * kQuadIndexCount);

    Vertex48* vertex = vertices.data();
    uint16_t* index = indices.data();
    uint16_t base = 0;
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
        SetTextVertex(*vertex++, penX, lineY, glyph.uLeft, glyph.vTop);
        SetTextVertex(*vertex++, right, lineY, glyph.uRight, glyph.vTop);
        SetTextVertex(*vertex++, right, bottom, glyph.uRight, glyph.vBottom);
        SetTextVertex(*vertex++, penX, bottom, glyph.uLeft, glyph.vBottom);
        for (uint16_t corner : kQuadIndices) *index++ = static_cast<uint16_t>(base + corner);
        base = static_cast<uint16_t>(base + kQuadVertices);
        penX = right - kOverlap;
    }
    mesh->GetLocalVertices().assign(vertices.begin(), vertices.end());
    return RefPtr<CPRenderObject>(mesh);
}
