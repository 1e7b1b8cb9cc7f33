#include "game/PLevel.h"

CPLevel* CurrentLevel = nullptr;

CPLevel* GetLevel()
{
    return CurrentLevel;
}

CPLevel::CPLevel()
{
    CurrentLevel = this;
}

// Destroying a level that has already been replaced as current must not
// take the newer level out of reach.
CPLevel::~CPLevel()
{
    if (CurrentLevel == this) CurrentLevel = nullptr;
}

const char* CPLevel::GetTypeName()
{
    return "CPLevel";
}
