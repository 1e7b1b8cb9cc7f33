#include "interface/PLensFlareInterface.h"

#include "interface/InterfaceFields.h"
#include "interface/InterfaceLog.h"

#include "core/PDataFile.h"
#include "core/PDataFileWriter.h"
#include "core/PTextReader.h"
#include "core/Settings.h"

#include <mmsystem.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

const char* const kInterfaceFolder = "Data\\Interface";
const char* const kFlareEffect = "lensflare.fx";
const size_t kElementFields = 9;
// File sizes are for a 1024 x 768 screen, shown 2.4 times as large.
const double kWidthScale = 0.00234375;
const double kHeightScale = 0.003125;
const float kTextureWidthFactor = 1.2f;
const float kTextureHeightFactor = 1.6f;
const float kFadePerTick = 0.05f;
const float kOpaque = 255.0f;
const int kPercent = 100;
const uint32_t kColourWithoutAlpha = 0x00FFFFFF;
const int kAlphaShift = 24;
// The fade adds the clock's whole reading, so on any machine up for more
// than this long the flare switches fully at the first update; the clock
// never reads less, so the flare behaves the same right after boot.
const DWORD kFullFadeTicks = 5100;

// Truncates toward zero into the integer range; a value beyond it is
// clamped and noted in clamped.
int ClampedToInt(double value, bool& clamped)
{
    if (value > INT_MAX || value < INT_MIN) {
        clamped = true;
        return value > 0.0 ? INT_MAX : INT_MIN;
    }
    return static_cast<int>(value);
}

// A whole file size times the screen, worked out in double so that no
// product wraps around.
int ScaledToScreen(const std::string& field, int screenSize, double scale, bool& clamped)
{
    const double size = static_cast<double>(std::strtoll(field.c_str(), nullptr, 10));
    return ClampedToInt(size * screenSize * scale, clamped);
}

// A scale that is not finite as a float would make every size and texture
// coordinate of its element meaningless.
bool ReadScale(const std::string& field, float& scale)
{
    scale = static_cast<float>(std::strtod(field.c_str(), nullptr));
    return std::isfinite(scale);
}

} // namespace

CPLensFlareInterface::CPLensFlareInterface()
    : m_shining(false), m_sourceX(0), m_sourceY(0), m_alpha(0.0f), m_clock(SystemClock)
{
}

DWORD CPLensFlareInterface::SystemClock()
{
    return std::max(timeGetTime(), kFullFadeTicks);
}

void CPLensFlareInterface::SetSourcePosition(int x, int y)
{
    m_sourceX = x;
    m_sourceY = y;
}

void CPLensFlareInterface::Load(const std::string& name, int number)
{
    UpdateTransform();
    SetScriptHandler(nullptr);
    const std::string path = std::string(kInterfaceFolder) + "\\" + name + ".int";
    CPDataFile file(path, false);
    if (FAILED(file.Load())) LogInterfaceProblem("lens-flare file %s cannot be read", path.c_str());
    CPTextReader reader(file.GetData(), file.GetDataSize());
    std::string line;
    while (reader.ReadLine(line)) {
        LensFlareElement element = {};
        if (ReadElement(line, element)) m_flareElements.push_back(element);
    }
    // Without an element there is no texture to ask a material for.
    if (!m_flareElements.empty()) {
        RequestMaterial(number + kMaterialTypeBase, kFlareEffect, m_flareElements.front().textureName);
    } else {
        LogInterfaceProblem("lens-flare file %s has no elements", path.c_str());
    }
    for (size_t i = 0; i < m_flareElements.size(); ++i) MakeElementWindow(static_cast<int>(i), m_flareElements[i]);
    UpdateBuffers();
}

bool CPLensFlareInterface::ReadElement(const std::string& line, LensFlareElement& element)
{
    const std::vector<std::string> fields = SplitTokens(line, "\t", false);
    if (fields.size() < kElementFields) {
        LogInterfaceProblem("lens-flare line \"%s\" has %d of its 9 fields; left out", line.c_str(),
                            static_cast<int>(fields.size()));
        return false;
    }
    if (!ReadScale(fields[2], element.scaleX) || !ReadScale(fields[3], element.scaleY)) {
        LogInterfaceProblem("lens-flare line \"%s\" has a scale that is not a finite number; left out",
                            line.c_str());
        return false;
    }
    element.textureName = fields[0];
    element.percent = std::atoi(fields[1].c_str());
    // Colours above 0x7FFFFFFF are written as large decimals.
    element.colour = static_cast<uint32_t>(std::strtoll(fields[4].c_str(), nullptr, 10));
    bool clamped = false;
    element.width = ScaledToScreen(fields[5], g_screenWidth, kWidthScale, clamped);
    element.height = ScaledToScreen(fields[6], g_screenHeight, kHeightScale, clamped);
    element.texX = ScaledToScreen(fields[7], g_screenWidth, kWidthScale, clamped);
    element.texY = ScaledToScreen(fields[8], g_screenHeight, kHeightScale, clamped);
    if (clamped) LogInterfaceProblem("lens-flare line \"%s\" has sizes beyond the integer range; clamped", line.c_str());
    return true;
}

void CPLensFlareInterface::MakeElementWindow(int index, LensFlareElement& element)
{
    bool clamped = false;
    const int w = ClampedToInt(static_cast<double>(element.width) * element.scaleX, clamped);
    const int h = ClampedToInt(static_cast<double>(element.height) * element.scaleY, clamped);
    const int tx = ClampedToInt(static_cast<double>(element.texX) * element.scaleX, clamped);
    const int ty = ClampedToInt(static_cast<double>(element.texY) * element.scaleY, clamped);
    if (clamped) LogInterfaceProblem("lens-flare element %d is scaled beyond the integer range; clamped", index);
    element.halfWidth = w / 2;
    element.halfHeight = h / 2;
    const float textureWidth = static_cast<float>(g_screenWidth) * element.scaleX * kTextureWidthFactor;
    const float textureHeight = static_cast<float>(g_screenHeight) * element.scaleY * kTextureHeightFactor;
    if (!(textureWidth > 0.0f) || !(textureHeight > 0.0f)) {
        LogInterfaceProblem("lens-flare element %d has no size to divide by; its texture coordinates are 0", index);
    }

    char name[16];
    std::snprintf(name, sizeof(name), "%d", index);
    CPWindow* window = Own(new CPWindow(this));
    window->Set(name, textureWidth, textureHeight, 0.0f, 0.0f, static_cast<float>(w), static_cast<float>(h),
                static_cast<float>(tx), static_cast<float>(ty), static_cast<float>(w), static_cast<float>(h));
    window->x = 0.0f;
    window->y = 0.0f;
    window->ApplyColour(element.colour);
    AddElement(window);
}

void CPLensFlareInterface::Fade()
{
    const float step = static_cast<float>(m_clock()) * kFadePerTick;
    m_alpha = m_shining ? std::min(m_alpha + step, kOpaque) : std::max(m_alpha - step, 0.0f);
}

void CPLensFlareInterface::Update()
{
    Fade();
    const int towardCentreX = g_screenWidth / 2 - m_sourceX;
    const int towardCentreY = g_screenHeight / 2 - m_sourceY;
    const uint32_t alpha = static_cast<uint32_t>(static_cast<int>(m_alpha)) << kAlphaShift;
    ElementList::iterator window = GetDrawList().begin();
    for (const LensFlareElement& element : m_flareElements) {
        if (window == GetDrawList().end()) break;
        (*window)->x = static_cast<float>(element.percent * towardCentreX / kPercent - element.halfWidth + m_sourceX);
        (*window)->y = static_cast<float>(element.percent * towardCentreY / kPercent - element.halfHeight + m_sourceY);
        (*window)->ApplyColour(((*window)->colour & kColourWithoutAlpha) | alpha);
        ++window;
    }
    UpdateBuffers();
    CPInterface::Update();
}

bool WriteLensFlareFile(const std::string& path, const std::vector<LensFlareElement>& elements)
{
    std::string text;
    char line[512];
    for (const LensFlareElement& element : elements) {
        std::snprintf(line, sizeof(line), "%s\t%d\t%.9g\t%.9g\t%lu\t%d\t%d\t%d\t%d\r\n", element.textureName.c_str(),
                      element.percent, element.scaleX, element.scaleY, static_cast<unsigned long>(element.colour),
                      element.width, element.height, element.texX, element.texY);
        text += line;
    }
    CPDataFileWriter writer(path, false);
    writer.Write(text.data(), text.size());
    return SUCCEEDED(writer.Save());
}
