#include "DynamicSky/PVolumeCloud.h"

namespace {
const char* const kCloudTexture = "data\\textures\\cloud.tga";
const char* const kCloudEffect = "data\\effects\\volume_cloud.fx";
} // namespace

CPVolumeCloud::CPVolumeCloud()
{
    LoadTexture(kCloudTexture);
    LoadEffect(kCloudEffect);
}

CPVolumeCloud::~CPVolumeCloud() {}
