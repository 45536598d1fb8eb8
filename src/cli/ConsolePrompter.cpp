#include "cli/ConsolePrompter.h"

namespace magtune::cli {

common::Answer ConsolePrompter::show(const common::Message& message) {
    const char* prefix = "";
    switch (message.icon) {
        case common::MessageIcon::Warning:
            prefix = "warning: ";
            ++warnings_;
            break;
        case common::MessageIcon::Error:
            prefix = "error: ";
            ++errors_;
            break;
        default:
            break;
    }
    err_ << "magtune-cli: " << prefix << message.text << '\n';
    return message.buttons == common::MessageButtons::Ok ? common::Answer::Ok
                                                         : message.defaultButton;
}

}  // namespace magtune::cli
