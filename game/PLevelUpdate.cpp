#include "game/PLevel.h"

#include "core/FrameClock.h"

void CPLevel::Update()
{
    UpdateRaceClocks(FrameDeltaTime);
}
