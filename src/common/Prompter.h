#pragma once

#include <string>

namespace magtune::common {

// Everything the user is told goes through a Prompter: the GUI shows message
// boxes, the CLI prints to stderr, tests record and answer from a script.
enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class Answer { Ok, Yes, No, Cancel };

struct Message {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    Answer defaultButton = Answer::Ok;
};

// Caption of input-error boxes and of failed system calls.
inline constexpr const char* kErrorCaption = "Error";

class Prompter {
  public:
    virtual ~Prompter() = default;

    // Shows one message and returns the button the user chose.
    virtual Answer show(const Message& message) = 0;
    virtual void beep() = 0;

    // An input or transfer error: caption "Error", warning (exclamation) icon.
    void warning(const std::string& text) {
        show({text, kErrorCaption, MessageIcon::Warning, MessageButtons::Ok, Answer::Ok});
    }
    // A failed system call: caption "Error", error icon.
    void systemError(const std::string& text) {
        show({text, kErrorCaption, MessageIcon::Error, MessageButtons::Ok, Answer::Ok});
    }
    void information(const std::string& text, const std::string& caption) {
        show({text, caption, MessageIcon::Information, MessageButtons::Ok, Answer::Ok});
    }
    Answer question(const std::string& text, const std::string& caption, MessageButtons buttons,
                    Answer defaultButton) {
        return show({text, caption, MessageIcon::Question, buttons, defaultButton});
    }
};

// The program's title: main window caption, caption of questions and successes.
inline constexpr const char* kApplicationTitle = "Magtune Reader";

}  // namespace magtune::common
