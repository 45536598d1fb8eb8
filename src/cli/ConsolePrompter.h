#pragma once

#include <ostream>

#include "common/Prompter.h"

namespace magtune::cli {

// The command line's Prompter: messages go to stderr, prefixed by the
// program name; questions take their default button, since nobody is there
// to answer them.
class ConsolePrompter : public common::Prompter {
  public:
    explicit ConsolePrompter(std::ostream& err) : err_(err) {}

    common::Answer show(const common::Message& message) override;
    void beep() override {}

    int warnings() const { return warnings_; }
    int errors() const { return errors_; }

  private:
    std::ostream& err_;
    int warnings_ = 0;
    int errors_ = 0;
};

}  // namespace magtune::cli
