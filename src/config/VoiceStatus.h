// The configuration window's status line: what the link to the chosen voice client sees
// right now, in words a user can act on.
#pragma once

#include <string>
#include <string_view>

#include "teamspeak/TeamSpeakLink.h"
#include "teamspeak/VoiceClientSwitch.h"

namespace sayvane {

// What the voice client's fields show for the client chosen: the hint under them, and which
// of them the user can use.
struct VoiceFields {
    std::string_view hint;
    bool apiKey = false;  // the key typed in (TeamSpeak 3's)
    bool port = false;
    bool forgetKey = false;  // TeamSpeak 5/6 handed out a key that Sayvane keeps
};
[[nodiscard]] VoiceFields VoiceFieldsFor(VoiceClient client, bool remoteKeyKept);

// Asks the chosen client's link once (a TeamSpeak 2 speaker call, or a TeamSpeak 3 pump) and
// says what it found. `programFolder` is where TSRemote.dll is looked for first.
[[nodiscard]] std::string VoiceStatusLine(VoiceClientSwitch& voice, TeamSpeakLink& link,
                                          std::string_view programFolder);

}  // namespace sayvane
