// What the simulated voice client's window shows of its server: the text of its
// information pane and the lines of its channel tree.
#pragma once

#include <string>
#include <vector>

#include "sim/TsServer.h"

namespace sayvane::sim {

// "Server:" CR LF name CR LF "Player:" CR LF nickname CR LF "Channel:" CR LF channel, where
// the channel is that of the own player (empty when he is not on the server). Without a
// server connection the pane shows no "Player:" at all.
std::string ClientInfoPaneText(const TsServer& server);

// Each channel followed by its players, indented; a speaking player carries " *".
std::vector<std::string> ClientTreeLines(const TsServer& server);

}  // namespace sayvane::sim
