#pragma once

#include <list>

// An object holding Direct3D resources in the default pool. Every live
// listener sits in one global list, in creation order; whoever resets the
// device calls OnLostDevice on each before IDirect3DDevice9::Reset and
// OnResetDevice on each after it.
class IPDeviceListener {
public:
    IPDeviceListener();
    IPDeviceListener(const IPDeviceListener&) = delete;
    IPDeviceListener& operator=(const IPDeviceListener&) = delete;

    virtual void OnLostDevice() = 0;
    virtual void OnResetDevice() = 0;
    virtual ~IPDeviceListener();

private:
    // The listener's own node, kept so that leaving the list needs no search.
    std::list<IPDeviceListener*>::iterator m_node;
};

// The live listeners in creation order. Built on first use, so it outlives
// every listener that registered in it.
std::list<IPDeviceListener*>& GetDeviceListeners();
