#pragma once

#include "Render/PSkyMaker.h"

// Makes the renderer's skies: the host installs one with
// CPRender::SetSkyMaker so that every level load builds its sky.
class CPDynamicSkyMaker : public IPSkyMaker {
public:
    CPDynamicSky* MakeSky(const std::string& fileName) override;
    void DestroySky(CPDynamicSky* sky) override;
};
