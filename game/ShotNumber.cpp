#include "game/ShotNumber.h"

#include <cmath>
#include <cstdlib>

bool ReadShotNumber(const std::string& text, float& value)
{
    if (text.empty()) return false;
    char* end = nullptr;
    const double number = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(number) || std::fabs(number) > 3.0e38) return false;
    value = static_cast<float>(number);
    return true;
}
