// Two surfaces locked for the length of one drawing call, the first one first. When either lock
// fails neither stays locked and nothing may be drawn.
#pragma once
#include "graphics/display/surf.h"
#include "platform/surface.h"

class SurfLockPair {
public:
    SurfLockPair(plat::Surface* first, plat::Surface* second) : first_(first), second_(second) {
        if (SURF_Lock(first, &firstDesc) != plat::kSurfOk) return;
        if (SURF_Lock(second, &secondDesc) != plat::kSurfOk) {
            SURF_Unlock(first);
            return;
        }
        locked_ = true;
    }
    ~SurfLockPair() {
        if (!locked_) return;
        SURF_Unlock(second_);
        SURF_Unlock(first_);
    }
    SurfLockPair(const SurfLockPair&) = delete;
    SurfLockPair& operator=(const SurfLockPair&) = delete;

    bool ok() const { return locked_; }

    plat::SurfaceDesc firstDesc{};
    plat::SurfaceDesc secondDesc{};

private:
    plat::Surface* first_;
    plat::Surface* second_;
    bool locked_ = false;
};
