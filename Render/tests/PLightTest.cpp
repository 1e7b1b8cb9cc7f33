#include "Render/PLight.h"

#include "core/PGameObject.h"

#include <gtest/gtest.h>

namespace {

TEST(Light, RecordTakesTheOwnersPlaceAndKeepsItsDirection)
{
    CPGameObject lamp("lamp");
    CPLight light;
    light.GetLight()->Position = D3DXVECTOR3(7, 7, 7);
    light.GetLight()->Direction = D3DXVECTOR3(0, 1, 0);
    EXPECT_EQ(D3DXVECTOR3(light.GetLight()->Position), D3DXVECTOR3(7, 7, 7));

    light.SetOwner(&lamp);
    lamp.SetPosition(10, 0, 2);
    lamp.UpdateTransform();
    EXPECT_EQ(D3DXVECTOR3(light.GetLight()->Position), D3DXVECTOR3(10, 0, 2));
    EXPECT_EQ(D3DXVECTOR3(light.GetLight()->Direction), D3DXVECTOR3(0, 1, 0));
}

} // namespace
