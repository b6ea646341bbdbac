// The US keyboard layout's look-ups every Keyboard must give: the simulated keyboard natively
// and under Wine, the Win32 keyboard under Wine (whose X server has the US layout). A test
// program instantiates it with its keyboards:
//   INSTANTIATE_TEST_SUITE_P(Keyboard, KeyboardLayoutContract, ::testing::Values(KeyboardFactory{...}), KeyboardName);
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "platform/Keyboard.h"

namespace sayvane::testing {

struct KeyboardFactory {
    const char* name;
    std::function<std::unique_ptr<Keyboard>()> make;
    std::unique_ptr<Keyboard> operator()() const { return make(); }
    friend void PrintTo(const KeyboardFactory& f, std::ostream* os) { *os << f.name; }
};

inline std::string KeyboardName(const ::testing::TestParamInfo<KeyboardFactory>& info) {
    return info.param.name;
}

// The simulated US keyboard.
std::unique_ptr<Keyboard> MakeSimulatedKeyboard();

class KeyboardLayoutContract : public ::testing::TestWithParam<KeyboardFactory> {
protected:
    void SetUp() override { m_keyboard = GetParam()(); }
    Keyboard& Board() { return *m_keyboard; }

private:
    std::unique_ptr<Keyboard> m_keyboard;
};

}  // namespace sayvane::testing
