// Short tones from the computer's speaker, as a confirmation for the user.
#pragma once

namespace sayvane {

class Sound {
public:
    virtual ~Sound() = default;

    // Beep: a tone of `frequency` hertz for `milliseconds`; returns when it has sounded.
    virtual void Beep(int frequency, int milliseconds) = 0;

protected:
    Sound() = default;
    Sound(const Sound&) = default;
    Sound& operator=(const Sound&) = default;
    Sound(Sound&&) = default;
    Sound& operator=(Sound&&) = default;
};

}  // namespace sayvane
