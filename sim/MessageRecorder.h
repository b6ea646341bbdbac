// Message boxes for tests: each one is written down and counts as closed at once, after
// `whileShown` (what a real box's message loop would let run meanwhile, such as a timer).
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/UserMessages.h"

namespace sayvane::sim {

struct MessageRecord {
    std::string text;
    std::string caption;
    std::uint32_t style = 0;
    friend bool operator==(const MessageRecord& a, const MessageRecord& b) {
        return a.text == b.text && a.caption == b.caption && a.style == b.style;
    }
    friend std::ostream& operator<<(std::ostream& out, const MessageRecord& m) {
        return out << "[" << m.caption << "] " << m.text << " (style " << m.style << ")";
    }
};

class MessageRecorder final : public UserMessages {
public:
    void ShowMessage(std::string_view text, std::string_view caption, std::uint32_t style) override {
        m_messages.push_back(MessageRecord{std::string(text), std::string(caption), style});
        if (whileShown) {
            whileShown();
        }
    }

    std::function<void()> whileShown;

    [[nodiscard]] const std::vector<MessageRecord>& Messages() const { return m_messages; }

private:
    std::vector<MessageRecord> m_messages;
};

}  // namespace sayvane::sim
