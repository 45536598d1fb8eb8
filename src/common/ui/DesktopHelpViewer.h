#pragma once

#include <string>

#include "common/HelpViewer.h"
#include "common/Prompter.h"

namespace magtune::common {

// Opens help topics in the desktop's browser. The pages live in a folder
// "help/html" beside the program (the build tree) or in the installed data
// folder; "::/html/input.htm" opens <help folder>/html/input.htm.
class DesktopHelpViewer : public HelpViewer {
  public:
    // helpFolder: the folder that holds "html"; empty when none was found.
    DesktopHelpViewer(std::string helpFolder, Prompter& prompter)
        : helpFolder_(std::move(helpFolder)), prompter_(prompter) {}

    void showTopic(const std::string& topic) override;

    // The help folder beside the program or installed with it; empty when
    // neither exists.
    static std::string FindHelpFolder(const std::string& programFolder);

    // What the user is told when no browser opened `page`: what to do too.
    static std::string NoBrowserMessage(const std::string& page);

  private:
    std::string helpFolder_;
    Prompter& prompter_;
};

}  // namespace magtune::common
