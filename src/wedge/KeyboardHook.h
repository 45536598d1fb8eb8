#pragma once

namespace magtune::wedge {

// The keyboard hook of the thread that loads the driver. On Windows the
// system calls the library's hook procedure for every key event of that
// thread; elsewhere the program hands its key events to
// ZebKeyboardHookProc itself and no hook is installed.
class KeyboardHook {
  public:
    virtual ~KeyboardHook() = default;
    // Hooks the key events of the calling thread; false when the system
    // refused.
    virtual bool install() = 0;
    virtual void remove() = 0;
};

}  // namespace magtune::wedge
