#pragma once

#include <string>

class CPDynamicSky;

// Makes and ends the renderer's sky. The sky is built after the renderer,
// so the host installs a maker; without one the renderer holds no sky.
class IPSkyMaker {
public:
    virtual ~IPSkyMaker() {}
    // A new sky loaded from the named skyscape file; a sky whose file did
    // not load is answered all the same.
    virtual CPDynamicSky* MakeSky(const std::string& fileName) = 0;
    virtual void DestroySky(CPDynamicSky* sky) = 0;
};
