#pragma once

#include <d3dx9math.h>

#include <string>
#include <vector>

// A skyscape file as written: angles in degrees, the grey component from 1
// to 3, colours before the brighten flag doubles them. The sky converts
// when it is built from a complete description.
struct SkyscapeDescription {
    struct QuadInState {
        float stateAngleDegrees = 0.0f;
        int effectChoice = 0;
        float scale = 0.0f;
        int textureStep = 0;
    };

    struct State {
        float duration = 0.0f;
        float domeAlpha = 0.0f;
        float turnDegrees = 0.0f;
        int greyComponent = 1;
        std::vector<D3DXVECTOR3> keys; // horizon first
        D3DXVECTOR3 sun = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        D3DXVECTOR3 ambient = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        D3DXVECTOR3 firstSpare = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        D3DXVECTOR3 secondSpare = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        D3DXVECTOR3 fog = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        float firstFogValue = 0.0f;
        float secondFogValue = 0.0f;
        float thirdValue = 0.0f;
        int brighten = 0;
        std::vector<QuadInState> quads;
    };

    struct Quad {
        D3DXVECTOR3 axis = D3DXVECTOR3(0.0f, 0.0f, 1.0f);
        float size = 0.0f;
        float distance = 0.0f;
        float angleDegrees = 0.0f;
        std::vector<std::string> textures;
    };

    float skySpeed = 4.0f;
    int startState = 0;
    float radius = 0.0f;
    float heightScale = 1.0f;
    int segments = 0;
    D3DXVECTOR3 centre = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    std::string domeTexture;
    std::string domeEffect;
    int keyCount = 0;
    std::string firstQuadEffect;
    std::string secondQuadEffect;
    std::string phaseList;
    std::vector<State> states;
    std::vector<Quad> quads;
    std::vector<std::string> cloudGroups;
};

// The dome of n segments: (n/4 + 1) rings of n + 1 points, 6 n (n/4) indices.
unsigned long long DomeVertexCount(int segments);
unsigned long long DomeIndexCount(int segments);

// Reads the skyscape file at path into a fresh description. False when it
// cannot be read (silently) or is malformed (reported with file and line):
// a missing line or value, fewer than 2 keys, fewer segments than key
// intervals have rings for, a dome beyond the vertex object's buffers, no
// state, a grey component outside 1 to 3, or a count beyond the lines left.
bool ReadSkyscapeFile(const std::string& path, SkyscapeDescription& sky);
// Writes the counts from the description's lists; every state is written
// with keyCount keys and as many quad groups as there are quads.
HRESULT WriteSkyscapeFile(const std::string& path, const SkyscapeDescription& sky);
