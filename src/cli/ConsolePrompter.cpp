#include "cli/ConsolePrompter.h"

namespace magtune {

Answer ConsolePrompter::show(const Message& message) {
    const char* prefix = "";
    switch (message.icon) {
        case MessageIcon::Warning:
            prefix = "warning: ";
            ++warnings_;
            break;
        case MessageIcon::Error:
            prefix = "error: ";
            ++errors_;
            break;
        default:
            break;
    }
    err_ << "magtune-cli: " << prefix << message.text << '\n';
    return message.buttons == MessageButtons::Ok ? Answer::Ok : message.defaultButton;
}

}  // namespace magtune
