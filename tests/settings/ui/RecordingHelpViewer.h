#pragma once

#include <string>
#include <vector>

#include "common/HelpViewer.h"

namespace magtune::test {

class RecordingHelpViewer : public common::HelpViewer {
  public:
    std::vector<std::string> topics;

    void showTopic(const std::string& topic) override { topics.push_back(topic); }
};

}  // namespace magtune::test
