// The keystroke synthesiser on the simulated US keyboard: the key events each call sends, in
// order, with their scan codes and flags, and the calls it refuses.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "ivac/KeystrokeSynthesiser.h"
#include "sim/SimulatedKeyboard.h"
#include "sim/VirtualClock.h"

namespace sayvane {
namespace {

using sim::Down;
using sim::KeyEventRecord;
using sim::Up;
using Events = std::vector<KeyEventRecord>;

constexpr std::uint32_t kExtended = kKeyEventExtendedKey;

class KeystrokeTest : public ::testing::Test {
protected:
    sim::SimulatedKeyboard keyboard;
    sim::VirtualClock clock;
    clsKeyboard keys{keyboard, clock};
};

TEST_F(KeystrokeTest, EachCharacterGoesWithTheModifiersItNeedsPressedAndReleasedInTheSameOrder) {
    // Ctrl+Alt characters do not exist on the US layout; "@" is Ctrl+Alt+Q on a German one.
    keyboard.SetKeyScan('@', 0x0651);
    keyboard.SetKeyScan('~', 0x0751);  // Shift+Ctrl+Alt, on some layout
    struct Case {
        const char* key;
        Events events;
    };
    const Case cases[] = {
        // A plain key types a character, so it goes with its scan code and no flag. (The keys
        // of "c", "A", "_", "1" and Enter are those of ChannelCreationTest's fallback.)
        {" ", {Down(0x20, 0x39), Up(0x20, 0x39)}},
        // The look-up value with its shift state translates to no character and no scan code:
        // the key goes as an extended key with scan code 0.
        {"@", {Down(0x11), Down(0x12), Down(0x51, 0, kExtended), Up(0x51, 0, kExtended), Up(0x11), Up(0x12)}},
        {"~",
         {Down(0x10), Down(0x11), Down(0x12), Down(0x51, 0, kExtended), Up(0x51, 0, kExtended), Up(0x10), Up(0x11),
          Up(0x12)}},
        // Only the first character counts.
        {"xyz", {Down(0x58, 0x2D), Up(0x58, 0x2D)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        keyboard.ClearEvents();
        EXPECT_EQ(keys.PressKey(c.key), KeyResult::Done);
        EXPECT_EQ(keyboard.Events(), c.events);
        EXPECT_TRUE(keyboard.HeldKeys().empty());
    }
    EXPECT_TRUE(clock.Sleeps().empty()) << "no pause between the events";
}

TEST_F(KeystrokeTest, AHeldKeyStaysDownWithItsModifiersUntilAReleaseInTheNextCall) {
    EXPECT_EQ(keys.PressKey("A", true, false), KeyResult::Done);
    EXPECT_EQ(keyboard.Events(), (Events{Down(0x10), Down(0x41, 0, kExtended)}));
    EXPECT_EQ(keyboard.HeldKeys(), (std::vector<int>{0x10, 0x41}));
    keyboard.ClearEvents();
    EXPECT_EQ(keys.PressKey("A", false, true), KeyResult::Done);
    EXPECT_EQ(keyboard.Events(), (Events{Up(0x41, 0, kExtended), Up(0x10)}));
    EXPECT_TRUE(keyboard.HeldKeys().empty());
    keyboard.ClearEvents();
    EXPECT_EQ(keys.PressKey("A", true, true), KeyResult::Done);
    EXPECT_TRUE(keyboard.Events().empty()) << "hold and release together send nothing";

    // An Alt tap by virtual key: Alt types no character, so without bCompatible it goes as an
    // extended key (the right Alt).
    EXPECT_EQ(keys.PressKeyVK(vk::kMenu, true, false, true), KeyResult::Done);
    EXPECT_TRUE(keyboard.IsHeld(vk::kMenu));
    EXPECT_EQ(keys.PressKeyVK(vk::kMenu, false, true, true), KeyResult::Done);
    EXPECT_EQ(keys.PressKeyVK(vk::kMenu, true, false, false), KeyResult::Done);
    EXPECT_EQ(keys.PressKeyVK(vk::kMenu, false, true, false), KeyResult::Done);
    // A key that types a character is plain either way, and no modifier joins it.
    EXPECT_EQ(keys.PressKeyVK(0x43), KeyResult::Done);
    EXPECT_EQ(keys.PressKeyVK(vk::kF12, false, false, true), KeyResult::Done);
    EXPECT_EQ(keyboard.Events(),
              (Events{Down(0x12, 0x38), Up(0x12, 0x38), Down(0x12, 0x38, kExtended), Up(0x12, 0x38, kExtended),
                      Down(0x43, 0x2E), Up(0x43, 0x2E), Down(0x7B, 0x58), Up(0x7B, 0x58)}));
    EXPECT_TRUE(keyboard.HeldKeys().empty());
}

TEST_F(KeystrokeTest, TypingWithMessagesPausesAndYieldsAfterEveryCharacter) {
    // What was sent by the time each yield let the program's messages run.
    std::vector<std::size_t> sentAtYield;
    clock.OnYield([&] { sentAtYield.push_back(keyboard.Events().size()); });

    // "a" is two events, "B" with Shift four, the carriage return (the Enter key) two.
    EXPECT_EQ(keys.PressString("aB\r", true), KeyResult::Done);
    EXPECT_EQ(clock.Sleeps(), (std::vector<int>{10, 10, 10}));
    EXPECT_EQ(sentAtYield, (std::vector<std::size_t>{2, 6, 8})) << "after each character's events";

    keyboard.ClearEvents();
    EXPECT_EQ(keys.PressString("ab", false), KeyResult::Done);
    EXPECT_EQ(keyboard.Events().size(), 4u);
    EXPECT_EQ(clock.Sleeps().size(), 3u) << "no pause without bDoEvents";
    EXPECT_EQ(clock.YieldCount(), 3);

    keyboard.ClearEvents();
    EXPECT_EQ(keys.PressString("", true), KeyResult::Done);
    EXPECT_TRUE(keyboard.Events().empty());
    EXPECT_EQ(clock.Sleeps().size(), 3u);
}

TEST_F(KeystrokeTest, ACharacterWithoutKeyIsPassedOverButARefusedCallEndsTheTyping) {
    EXPECT_EQ(keys.PressKey("\xE9"), KeyResult::NotOnLayout) << "e acute has no key on the US layout";
    keyboard.SetKeyScan('q', 0);
    EXPECT_EQ(keys.PressKey("q"), KeyResult::NotOnLayout) << "a look-up value of 0 sends nothing either";
    EXPECT_FALSE(IsRefusal(KeyResult::NotOnLayout));
    EXPECT_EQ(keys.PressKey(""), KeyResult::EmptyKey);
    EXPECT_EQ(keys.PressKeyVK(256), KeyResult::KeyOutOfRange);
    EXPECT_EQ(keys.PressKeyVK(-1), KeyResult::KeyOutOfRange);
    EXPECT_EQ(keys.PressKeyVK(0x7FFFFFFF, false, true), KeyResult::KeyOutOfRange);
    EXPECT_TRUE(keyboard.Events().empty());

    EXPECT_EQ(keys.PressString("a\xE9q1", true), KeyResult::NotOnLayout);
    EXPECT_EQ(keyboard.Events(), (Events{Down(0x41, 0x1E), Up(0x41, 0x1E), Down(0x31, 0x02), Up(0x31, 0x02)}));
    EXPECT_EQ(clock.Sleeps().size(), 4u) << "the pause follows every character, typed or not";

    // A layout that hands back a scan code with an 0xE0 prefix in it.
    keyboard.ClearEvents();
    keyboard.SetScanCode(0x43, 0xE02E);
    EXPECT_EQ(keys.PressKey("c"), KeyResult::ScanCodeOutOfRange);
    EXPECT_EQ(keys.PressKeyVK(0x43, false, false, true), KeyResult::ScanCodeOutOfRange);
    EXPECT_TRUE(keyboard.Events().empty());

    EXPECT_EQ(keys.PressString("abcd", true), KeyResult::ScanCodeOutOfRange);
    EXPECT_EQ(keyboard.Events(), (Events{Down(0x41, 0x1E), Up(0x41, 0x1E), Down(0x42, 0x30), Up(0x42, 0x30)}))
        << "what went before the refused character stays sent; nothing follows it";
    EXPECT_TRUE(keyboard.HeldKeys().empty());
}

TEST_F(KeystrokeTest, TheLockStatusReportsEachLockOnOrHeld) {
    struct Case {
        int key;
        bool toggled;
        bool held;
        LockStatus expected;
    };
    const Case cases[] = {
        {vk::kCapital, true, false, {true, false, false}},
        {vk::kNumLock, true, false, {false, true, false}},
        {vk::kScroll, true, false, {false, false, true}},
        {vk::kNumLock, false, true, {false, true, false}},  // held down, light off
        {vk::kShift, true, true, {false, false, false}},    // not a lock key
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        sim::SimulatedKeyboard board;
        board.SetToggled(c.key, c.toggled);
        board.SetHeld(c.key, c.held);
        const LockStatus s = clsKeyboard(board, clock).GetLockStatus();
        const LockStatus& e = c.expected;
        EXPECT_EQ(std::make_tuple(s.bCapsLock, s.bNumLock, s.bScrollLock),
                  std::make_tuple(e.bCapsLock, e.bNumLock, e.bScrollLock));
    }
}

}  // namespace
}  // namespace sayvane
