#pragma once

#include <string>

namespace magtune::common {

// Opens a topic of the program's help, addressed as in the help file:
// "::/html/input.htm". The desktop program opens the page in the browser;
// tests record the topics.
class HelpViewer {
  public:
    virtual ~HelpViewer() = default;
    virtual void showTopic(const std::string& topic) = 0;
};

inline constexpr const char* kHelpContentsTopic = "::/html/msr.htm";

}  // namespace magtune::common
