#pragma once

#include <string>

#include "common/Prompter.h"

namespace magtune::platform {

// A program that wants to show what the libraries it loaded tell the user
// exports this C function from its executable (LibraryMessageRoute.h does
// that for our programs); a library finds it by name at run time, so that
// the libraries' own export lists stay as they are. It returns 1 when it
// showed the message, 0 when nobody listens.
//
//   int MagtuneLibraryMessage(int icon, const char* caption, const char* text);
//
// `icon` is a MessageIcon.
inline constexpr const char* kHostMessageFunctionName = "MagtuneLibraryMessage";
using HostMessageFunction = int (*)(int icon, const char* caption, const char* text);

// A library's message boxes: each goes to the program's function, and to
// standard error as "<library>: <text>" when the program has none or
// nobody listens. Questions take their default answer.
class HostMessagePrompter : public common::Prompter {
  public:
    explicit HostMessagePrompter(std::string library) : library_(std::move(library)) {}

    common::Answer show(const common::Message& message) override;
    void beep() override {}

  private:
    std::string library_;
};

}  // namespace magtune::platform
