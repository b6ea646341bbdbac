// The configuration window's status line: what the link to the chosen voice client sees
// right now, in words a user can act on.
#pragma once

#include <string>
#include <string_view>

#include "teamspeak/TeamSpeakLink.h"
#include "teamspeak/VoiceClientSwitch.h"

namespace sayvane {

// Asks the chosen client's link once (a TeamSpeak 2 speaker call, or a TeamSpeak 3 pump) and
// says what it found. `programFolder` is where TSRemote.dll is looked for first.
[[nodiscard]] std::string VoiceStatusLine(VoiceClientSwitch& voice, TeamSpeakLink& link,
                                          std::string_view programFolder);

}  // namespace sayvane
