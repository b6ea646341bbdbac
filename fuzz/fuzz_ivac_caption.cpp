// IvAc's window captions as the bridge reads them: the callsign cut on its own, and the whole
// search over top-level windows whose captions (up to and past the 255-character buffers)
// come from the input.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "ivac/IvAcWindows.h"
#include "sim/SimulatedDesktop.h"
#include "sim/VirtualClock.h"
#include "text/TextRoutines.h"

using namespace sayvane;

namespace {

void CheckCallsign(const std::string& caption) {
    const std::string callsign = CutIvAcCallsign(caption);
    FUZZ_CHECK(callsign.size() <= caption.size());
    FUZZ_CHECK(callsign.empty() || (callsign.front() != ' ' && callsign.back() != ' '));
    FUZZ_CHECK(AnsiToUpper(callsign) == callsign);
    FUZZ_CHECK(callsign.find('[') == std::string::npos);
    // It is cut from the caption, between a "-" and the first "[".
    const std::size_t bracket = caption.find('[');
    const std::size_t dash = caption.find('-');
    if (dash == std::string::npos || dash > bracket) {
        FUZZ_CHECK(callsign.empty());
    } else {
        FUZZ_CHECK(
            AnsiToUpper(caption.substr(dash + 1, bracket == std::string::npos ? std::string::npos : bracket - dash - 1))
                .find(callsign) != std::string::npos);
    }
}

std::string PickCaption(FuzzedDataProvider& in) {
    std::string caption;
    switch (in.ConsumeIntegralInRange(0, 2)) {
        case 0: caption = "IvAc 1.2 - "; break;
        case 1: caption = "IvAc 1"; break;
        default: break;
    }
    caption += in.ConsumeRandomLengthString(600);
    // Lengths around the buffer limits are the interesting ones.
    if (in.ConsumeBool()) {
        caption.resize(in.ConsumeIntegralInRange<std::size_t>(250, 260), in.ConsumeBool() ? ' ' : 'x');
    }
    return caption;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    CheckCallsign(in.ConsumeRandomLengthString(600));

    sim::SimulatedDesktop desktop;
    sim::VirtualClock clock;
    IvAcWindows ivac(desktop, clock);
    const bool teamSpeakRunning = in.ConsumeBool();
    if (teamSpeakRunning) {
        desktop.Add(sim::Window("TMainForm").Caption("TeamSpeak 2"));
    }
    const int count = in.ConsumeIntegralInRange(0, 5);
    std::vector<std::string> captions;
    for (int i = 0; i < count; ++i) {
        captions.push_back(PickCaption(in));
        CheckCallsign(captions.back());
        desktop.Add(sim::Window(in.ConsumeBool() ? "TIvAcMain" : "Other").Caption(captions.back()));
    }

    // The window the search must find: the top-most whose caption, as a 256-character buffer
    // reads it, begins with "IvAc 1". The last one added is on top.
    std::string expected;
    WindowHandle expectedWindow = kNoWindow;
    const std::vector<WindowHandle> topLevel = desktop.TopLevelWindows();
    for (const WindowHandle window : topLevel) {
        const std::string caption = desktop.Caption(window, 256);
        if (caption.rfind("IvAc 1", 0) == 0) {
            expectedWindow = window;
            expected = CutIvAcCallsign(desktop.Caption(window, 255));
            break;
        }
    }

    const std::string callsign = ivac.GetIvAcCallsign();
    FUZZ_CHECK(callsign.size() <= 254);
    if (!teamSpeakRunning) {
        FUZZ_CHECK(callsign.empty());
    } else {
        FUZZ_CHECK(ivac.hWndIvAc() == expectedWindow);
        FUZZ_CHECK(callsign == expected);
    }
    return 0;
}
