#include "Render/PObjectLoader.h"

#include "core/PDataFile.h"
#include "core/StringUtils.h"
#include "Render/PPartAnimation.h"

#include <d3dx9.h>

#include <vector>

CPObjectLoader* g_pObjectLoader = nullptr;

namespace {

const D3DCOLOR kOpaqueWhite = 0xFFFFFFFF;
const char kAnimationFolder[] = "Data\\Animations\\";

// A key is its passage time and the first three columns of its matrix.
const int kKeyElementCount = 12;
const size_t kKeySize = (1 + kKeyElementCount) * sizeof(float);

// The file holds, for each of the output axes x, y and z in turn, the
// coefficients of the input x, y and z and then the translation: the first
// three columns of a row-vector matrix, column by column.
D3DXMATRIX ReadKeyMatrix(CPDataFile& file)
{
    D3DXMATRIX matrix;
    D3DXMatrixIdentity(&matrix);
    for (int column = 0; column < 3; ++column) {
        for (int row = 0; row < 4; ++row) {
            matrix.m[row][column] = file.ReadFloat();
        }
    }
    return matrix;
}

// Reads one track's keys; false, with nothing read, when the key count is
// negative or more keys than the bytes left could hold.
bool ReadTrackKeys(CPDataFile& file, std::vector<D3DXMATRIX>& matrices, std::vector<float>& times)
{
    const int32_t keyCount = file.ReadInt();
    if (file.HasReadError() || keyCount < 0) return false;
    if (static_cast<size_t>(keyCount) > file.GetBytesLeft() / kKeySize) return false;
    matrices.reserve(keyCount);
    times.reserve(keyCount);
    for (int32_t key = 0; key < keyCount; ++key) {
        times.push_back(file.ReadFloat());
        matrices.push_back(ReadKeyMatrix(file));
    }
    return true;
}

} // namespace

CPObjectLoader::CPObjectLoader() : m_vertexColour(kOpaqueWhite) {}

void CPObjectLoader::LoadAnimationFile(const std::string& fileName, PartAnimationMap& tracks)
{
    CPDataFile file(kAnimationFolder + fileName, false);
    if (FAILED(file.Load())) return;
    const int32_t trackCount = file.ReadInt();
    for (int32_t track = 0; track < trackCount; ++track) {
        std::string name;
        file.ReadString(name);
        std::vector<D3DXMATRIX> matrices;
        std::vector<float> times;
        if (file.HasReadError() || !ReadTrackKeys(file, matrices, times)) return;
        CPPartAnimation* animation = new CPPartAnimation();
        animation->SetKeys(matrices, times);
        tracks[StringToLower(name)] = animation;
    }
}

D3DCOLOR GetLoaderVertexColour()
{
    return g_pObjectLoader ? g_pObjectLoader->GetVertexColour() : kOpaqueWhite;
}
