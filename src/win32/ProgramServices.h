// The process's own objects: the settings store, the clock, the window system, keyboard,
// sound and message boxes, the voice clients and the window readers. WinMain makes them
// once; every window borrows them.
#pragma once

#include "ivac/IvAcWindows.h"
#include "teamspeak/TeamSpeakLink.h"
#include "teamspeak/TeamSpeakWindow.h"
#include "teamspeak/VoiceClientSwitch.h"
#include "teamspeak/query/QueryLink.h"
#include "win32/Win32Clock.h"
#include "win32/Win32Desktop.h"
#include "win32/Win32Keyboard.h"
#include "win32/Win32LoopbackSocket.h"
#include "win32/Win32ProfileStore.h"
#include "win32/Win32Sound.h"
#include "win32/Win32TsRemoteApi.h"
#include "win32/Win32UserMessages.h"

namespace sayvane::win32 {

struct ProgramServices {
    // What the voice clients' sockets hear goes to their links at once.
    ProgramServices() {
        querySocket.OnActivity([this] { voice.Activity(VoiceClient::TeamSpeak3); });
        remoteSocket.OnActivity([this] { voice.Activity(VoiceClient::TeamSpeak5); });
    }

    Win32ProfileStore store;
    Win32Clock clock;
    Win32Desktop desktop;
    Win32Keyboard keyboard;
    Win32Sound sound;
    Win32UserMessages messages;
    Win32TsRemoteApi tsRemote;
    TeamSpeakLink teamSpeak2{tsRemote};
    Win32LoopbackSocket querySocket;
    query::QueryLink teamSpeak3{querySocket, clock};
    Win32LoopbackSocket remoteSocket;
    remote::RemoteLink teamSpeak5{remoteSocket, clock};
    // The voice client the overlay follows, whichever the settings choose.
    VoiceClientSwitch voice{teamSpeak2, teamSpeak3, teamSpeak5};
    TeamSpeakWindowReader teamSpeakWindow{desktop};
    IvAcWindows ivac{desktop, clock};
};

}  // namespace sayvane::win32
