// The simulated voice client's window texts, built from its server.
#include "sim/TsClientView.h"

#include <algorithm>

namespace sayvane::sim {

std::string ClientInfoPaneText(const TsServer& server) {
    if (!server.connected) {
        return "Server:\r\n\r\nStatus:\r\nNot connected";
    }
    std::string channel;
    for (const TsPlayer& p : server.players) {
        if (p.name == server.ownNickname) {
            for (const TsChannel& c : server.channels) {
                if (c.id == p.channelId) {
                    channel = c.name;
                }
            }
        }
    }
    return "Server:\r\n" + server.serverName + "\r\nPlayer:\r\n" + server.ownNickname + "\r\nChannel:\r\n" + channel;
}

std::vector<std::string> ClientTreeLines(const TsServer& server) {
    if (!server.connected) {
        return {"(not connected)"};
    }
    std::vector<std::string> lines;
    for (const TsChannel& c : server.channels) {
        lines.push_back(c.name);
        for (const TsPlayer& p : server.players) {
            if (p.channelId != c.id) {
                continue;
            }
            const bool speaking =
                std::find(server.speakers.begin(), server.speakers.end(), p.id) != server.speakers.end();
            lines.push_back("    " + p.name + (speaking ? " *" : ""));
        }
    }
    return lines;
}

}  // namespace sayvane::sim
