#include <windows.h>

#include "platform/ProcessorPin.h"

namespace magtune::platform {

// Windows sets the processors of the whole process at once, its threads
// included, so release puts every thread back in one call.
struct ProcessorPin::Saved {
    DWORD_PTR allowed = 0;
    DWORD_PTR one = 0;
};

ProcessorPin::ProcessorPin() {
    DWORD_PTR allowed = 0;
    DWORD_PTR system = 0;
    if (!::GetProcessAffinityMask(::GetCurrentProcess(), &allowed, &system) ||
        (allowed & (allowed - 1)) == 0) {
        return;
    }
    DWORD_PTR one = DWORD_PTR{1} << (::GetCurrentProcessorNumber() % (8 * sizeof(DWORD_PTR)));
    if ((one & allowed) == 0) {
        one = allowed & (~allowed + 1);  // the lowest allowed processor
    }
    if (::SetProcessAffinityMask(::GetCurrentProcess(), one)) {
        saved_ = std::make_unique<Saved>(Saved{allowed, one});
    }
}

ProcessorPin::~ProcessorPin() {
    release();
}

void ProcessorPin::release() {
    if (!saved_) {
        return;
    }
    ::SetProcessAffinityMask(::GetCurrentProcess(), saved_->allowed);
    saved_.reset();
}

}  // namespace magtune::platform
