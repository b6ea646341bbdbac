// The status line of the voice client.
#include "config/VoiceStatus.h"

namespace sayvane {

VoiceFields VoiceFieldsFor(VoiceClient client, bool remoteKeyKept) {
    switch (client) {
        case VoiceClient::TeamSpeak3:
            return {"TeamSpeak 3's key: Tools > Options > Addons > ClientQuery > Settings.", true, true, false};
        case VoiceClient::TeamSpeak5:
            return {"TeamSpeak 5/6 asks you once to allow Sayvane, then Sayvane keeps its key.", false, true,
                    remoteKeyKept};
        case VoiceClient::TeamSpeak2: break;
    }
    return {"TeamSpeak 2 is followed through its TSRemote.dll: nothing to set here.", false, false, false};
}

}  // namespace sayvane
