// The US keyboard layout's look-ups every Keyboard must give: the simulated keyboard natively
// and under Wine, the Win32 keyboard under Wine (whose X server has the US layout).
// KeyboardLayoutContract.cpp instantiates it for the simulated keyboard; a test program adds
// another keyboard with
//   INSTANTIATE_TEST_SUITE_P(Keyboard, KeyboardLayoutContract, ::testing::Values(MakeKeyboard<Some>("Some")));
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "ContractMaker.h"
#include "platform/Keyboard.h"

namespace sayvane::testing {

using KeyboardMaker = ContractMaker<Keyboard>;

template <typename Board>
KeyboardMaker MakeKeyboard(const char* name) {
    return MakeContractCase<Keyboard, Board>(name);
}

class KeyboardLayoutContract : public ::testing::TestWithParam<KeyboardMaker> {
protected:
    void SetUp() override { m_keyboard = GetParam().make(); }
    Keyboard& Board() { return *m_keyboard; }

private:
    std::unique_ptr<Keyboard> m_keyboard;
};

}  // namespace sayvane::testing
