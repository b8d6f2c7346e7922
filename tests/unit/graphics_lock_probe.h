// A stop poll for replays: counts the records replayed and those replayed
// while the calling thread held the "Graphics" lock, and never stops.
#pragma once

#include "base/threads.h"

namespace kalix {

struct GraphicsLockProbe {
    static inline int records = 0;
    static inline int underLock = 0;

    static void reset() { records = underLock = 0; }
    static bool poll() {
        records++;
        if (graphicsLock.isHeldByCaller()) underLock++;
        return false;
    }
};

}  // namespace kalix
