// The configuration window's voice-client fields: the hint under them and which of them the
// user can use, for the client chosen.
#pragma once

#include <string_view>

#include "app/Settings.h"

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

}  // namespace sayvane
