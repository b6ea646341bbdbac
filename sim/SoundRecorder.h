// Beeps for tests: each one is written down instead of sounded.
#pragma once

#include <vector>

#include "platform/Sound.h"

namespace sayvane::sim {

struct BeepRecord {
    int frequency = 0;
    int milliseconds = 0;
    friend bool operator==(const BeepRecord& a, const BeepRecord& b) {
        return a.frequency == b.frequency && a.milliseconds == b.milliseconds;
    }
};

class SoundRecorder final : public Sound {
public:
    void Beep(int frequency, int milliseconds) override { m_beeps.push_back(BeepRecord{frequency, milliseconds}); }

    [[nodiscard]] const std::vector<BeepRecord>& Beeps() const { return m_beeps; }

private:
    std::vector<BeepRecord> m_beeps;
};

}  // namespace sayvane::sim
