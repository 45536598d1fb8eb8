#pragma once

#include <cstdio>
#include <string>

#include "common/Prompter.h"
#include "usbhid/common/ChannelNames.h"

namespace magtune::usbhid {

// The server has no window: what it would show in a message box goes to
// standard error under its own name, one line each, and questions take
// their default. The client library that started the server reads those
// lines and shows them in the program's message boxes.
class StderrPrompter : public common::Prompter {
  public:
    common::Answer show(const common::Message& message) override {
        std::string text = message.text;
        for (char& c : text) {
            if (c == '\n' || c == '\r') {
                c = ' ';
            }
        }
        std::fprintf(stderr, "%s: %s\n", kServerFileName, text.c_str());
        return message.defaultButton;
    }
    void beep() override {}
};

}  // namespace magtune::usbhid
