#include "Render/PMaterial.h"

CPMaterialManager* g_pMaterialManager = nullptr;

CPMaterialManager* GetMaterialManager()
{
    return g_pMaterialManager;
}

CPMaterial::CPMaterial(int type, const RefPtr<CPEffect>& effect,
                       const RefPtr<CPTextureBlock>& textures)
    : m_effect(effect),
      m_textures(textures),
      m_type(type),
      m_typeName(std::string("CPMaterial - ") + (effect ? effect->GetName() : ""))
{
}

int CPMaterial::GetObjectSize()
{
    return sizeof(*this);
}

const char* CPMaterial::GetTypeName()
{
    return m_typeName.c_str();
}

void CPMaterialManager::CreateMaterial(RefPtr<CPMaterial>& material, int type,
                                       const std::string& effectRequest,
                                       const std::vector<std::string>& textureRequests)
{
    RefPtr<CPEffect> effect;
    GetEffectCache()->GetEffect(effect, effectRequest);
    RefPtr<CPTextureBlock> textures;
    GetTextureCache()->GetTextureBlock(textures, textureRequests);

    for (const RefPtr<CPMaterial>& existing : m_materials) {
        if (existing->GetType() == type && existing->GetEffect() == effect.Get() &&
            existing->GetTextureBlock() == textures.Get()) {
            material = existing;
            return;
        }
    }
    m_materials.push_back(new CPMaterial(type, effect, textures));
    material = m_materials.back();
}
