#pragma once

#include "Render/PEffect.h"
#include "Render/PTexture.h"
#include "core/PObject.h"

#include <string>
#include <vector>

// What a drawable is drawn with: a material type (which the object loader
// gives), an effect and a texture block. Materials are shared: the material
// manager makes one per combination of type, effect object and block object.
class CPMaterial : public IPObject {
public:
    CPMaterial(int type, const RefPtr<CPEffect>& effect, const RefPtr<CPTextureBlock>& textures);

    int GetObjectSize() override;
    // "CPMaterial - " and the name of its effect.
    const char* GetTypeName() override;

    int GetType() const { return m_type; }
    CPEffect* GetEffect() const { return m_effect.Get(); }
    CPTextureBlock* GetTextureBlock() const { return m_textures.Get(); }

private:
    RefPtr<CPEffect> m_effect;
    RefPtr<CPTextureBlock> m_textures;
    int m_type;
    std::string m_typeName;
};

// The one material manager. It keeps every material it made, in creation
// order, and never lets one go.
class CPMaterialManager {
public:
    // The material of this type, effect and textures: an existing one when
    // the caches answer the same effect and block objects, else a new one.
    void CreateMaterial(RefPtr<CPMaterial>& material, int type, const std::string& effectRequest,
                        const std::vector<std::string>& textureRequests);

private:
    std::vector<RefPtr<CPMaterial>> m_materials;
};

// The material manager that the host created and published.
extern CPMaterialManager* g_pMaterialManager;
CPMaterialManager* GetMaterialManager();
