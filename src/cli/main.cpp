#include <iostream>
#include <string>
#include <vector>

#include "app/RuntimeConfig.h"
#include "cli/Cli.h"
#include "cli/ConsolePrompter.h"
#include "platform/LibraryMessageRoute.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    // What zebapi, OruUsbHidCtrl and its server tell the user.
    magtune::cli::ConsolePrompter libraryPrompter(std::cerr);
    const magtune::platform::LibraryMessageRoute libraryMessages(libraryPrompter);
    return magtune::cli::RunCli(args, std::cout, std::cerr, magtune::app::ReadRuntimeConfig());
}
