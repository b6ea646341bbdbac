// What the overlay shows of kRepeatingTowerRound, and of its voice client going away: the
// part of the story that is the same whichever client serves the round.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "harness/SayvaneRun.h"

namespace sayvane::e2e {

inline bool Lists(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

// DLH4AB listed and shown in the speakers' colour, then AFR7731's In: and Out: lines.
inline void ExpectTheTowerRound(HWND overlay, const DiagnosticPanel& panel) {
    EXPECT_TRUE(WaitUntil([&] { return panel.List("lstSpeakers") == std::vector<std::string>{"DLH4AB"}; }, 20000));
    EXPECT_TRUE(WaitUntil([&] { return VisibleIn(overlay, kGreen); }, 20000));
    EXPECT_TRUE(WaitUntil([&] { return Lists(panel.List("lstInOut"), "In:AFR7731"); }, 20000));
    EXPECT_TRUE(WaitUntil([&] { return Lists(panel.List("lstInOut"), "Out:AFR7731"); }, 20000));
}

// The client goes: "Disconnected", then "Not Running", and Sayvane exits from its tray. The
// notice shares its colour with the channel's name, which must have gone before.
inline void ExpectTheClientsGoingSaid(SayvaneRun& run, HWND overlay, const DiagnosticPanel& panel,
                                      PeerProcess& client) {
    ASSERT_TRUE(WaitUntil([&] { return !VisibleIn(overlay, kOrange); }, 20000)) << "the channel's name";
    client.Terminate();
    EXPECT_TRUE(WaitUntil([&] { return VisibleIn(overlay, kOrange); }, 20000)) << "the notice";
    EXPECT_TRUE(WaitUntil([&] { return panel.Status() == "Not Running"; }, 20000)) << panel.Status();
    EXPECT_EQ(run.ExitFromTray(overlay), std::optional<DWORD>(0));
}

}  // namespace sayvane::e2e
