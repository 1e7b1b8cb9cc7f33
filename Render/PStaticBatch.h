#pragma once

#include "core/PObject.h"

// The batch that gathers the level's static geometry: when the "static"
// setting is on, the level opens it before it builds its spatial tree and
// closes it afterwards. The renderer owns the one batch.
class CPStaticBatch : public IPObject {
public:
    CPStaticBatch();

    int GetObjectSize() override;
    const char* GetTypeName() override;

    // The level passes 0, 0, 1, -1 to open and 1 to close.
    void Open(int first, int second, int third, int fourth);
    void Close(int flag);
    bool IsOpen() const { return m_open; }

private:
    bool m_open;
};
