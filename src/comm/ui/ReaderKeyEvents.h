#pragma once

#include <optional>
#include <string>

#include "comm/WedgeHookKeys.h"

class QKeyEvent;

namespace magtune::comm {

// Key events of the program's windows read by the key that was pressed, not
// by the character the desktop's layout made of it (see WedgeHookKeys.h).

// The convention of the platform the application runs on.
NativeKeyCodes NativeKeyCodesOfThisPlatform();

// The port codes of the event's key: from its native scan code when the
// platform has physical codes and the event carries one; otherwise (other
// platforms, synthesized events) the digit, letter and named keys are known
// by their Qt key. nullopt for any other key.
std::optional<wedge::KeyStroke> KeyStrokeOfEvent(const QKeyEvent& event, NativeKeyCodes codes);

// What a reader typed with the event: the digit or letter of its key (a
// letter in the case that the event's text, or else its Shift key, gives),
// else the event's text in Latin-1 as it is; empty for keys without text.
std::string ReaderCharactersOfEvent(const QKeyEvent& event, NativeKeyCodes codes);

}  // namespace magtune::comm
