#pragma once

#include "core/PProcess.h"

// A task that calls one member function of another object on every step,
// so an object can run per frame without being a task itself (the level's
// update is one). The target is not counted: whoever builds the updater
// keeps the target alive for as long as the updater may run.
template <class T>
class CPObjUpdater : public IPProcess {
public:
    typedef void (T::*Method)();

    CPObjUpdater(T* target, Method method) : m_value(0), m_target(target), m_method(method) {}

    int GetObjectSize() override { return sizeof(*this); }
    const char* GetTypeName() override { return "CPObjUpdater"; }
    void Execute() override { (m_target->*m_method)(); }
    int GetTaskValue() override { return m_value; }

private:
    int m_value;
    T* m_target;
    Method m_method;
};
