#include "DynamicSky/PDynamicSkyMaker.h"

#include "DynamicSky/PDynamicSky.h"

CPDynamicSky* CPDynamicSkyMaker::MakeSky(const std::string& fileName)
{
    CPDynamicSky* sky = new CPDynamicSky();
    sky->Load(fileName);
    return sky;
}

void CPDynamicSkyMaker::DestroySky(CPDynamicSky* sky)
{
    delete sky;
}
