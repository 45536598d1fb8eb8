#pragma once

#include <cstdio>

#include "common/Prompter.h"

namespace magtune {

// The server has no window: what it would show in a message box goes to
// standard error under its own name, and questions take their default.
class StderrPrompter : public Prompter {
  public:
    Answer show(const Message& message) override {
        std::fprintf(stderr, "OruUsbHidCtrlSrv64: %s\n", message.text.c_str());
        return message.defaultButton;
    }
    void beep() override {}
};

}  // namespace magtune
