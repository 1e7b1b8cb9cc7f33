#pragma once

#include "Render/PDeviceListener.h"

// A device-loss listener that counts what it hears.
class CountingListener : public IPDeviceListener {
public:
    void OnLostDevice() override { ++lost; }
    void OnResetDevice() override { ++reset; }

    int lost = 0;
    int reset = 0;
};
