// IvAc's window captions as the bridge reads them: the callsign cut on its own, and the whole
// search over top-level windows whose captions (up to and past the 255-character buffers)
// come from the input.
#include "FuzzSupport.h"
#include "ivac/IvAcWindows.h"
#include "sim/SimulatedDesktop.h"
#include "sim/VirtualClock.h"
#include "text/TextRoutines.h"

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
        // (Without a bracket the count reaches past the end: the rest of the caption.)
        FUZZ_CHECK(AnsiToUpper(caption.substr(dash + 1, bracket - dash - 1)).find(callsign) != std::string::npos);
    }
}

// A caption as IvAc's begins, one that only looks like it, or any; often cut or padded to a
// length around the buffers' limits.
std::string PickCaption(FuzzedDataProvider& in) {
    std::string caption =
        in.PickValueInArray<const char*>({"IvAc 1.2 - ", "IvAc 1", ""}) + in.ConsumeRandomLengthString(600);
    if (in.ConsumeBool()) {
        caption.resize(in.ConsumeIntegralInRange<std::size_t>(250, 260), in.ConsumeBool() ? ' ' : 'x');
    }
    return caption;
}

}  // namespace

void fuzz::FuzzOne(FuzzedDataProvider& in) {
    CheckCallsign(in.ConsumeRandomLengthString(600));

    sim::SimulatedDesktop desktop;
    sim::VirtualClock clock;
    IvAcWindows ivac(desktop, clock);
    const bool teamSpeakRunning = in.ConsumeBool();
    if (teamSpeakRunning) {
        desktop.Add(sim::Window("TMainForm").Caption("TeamSpeak 2"));
    }
    for (int windows = in.ConsumeIntegralInRange(0, 5); windows > 0; --windows) {
        const std::string caption = PickCaption(in);
        CheckCallsign(caption);
        desktop.Add(sim::Window(in.ConsumeBool() ? "TIvAcMain" : "Other").Caption(caption));
    }

    const std::string callsign = ivac.GetIvAcCallsign();
    FUZZ_CHECK(callsign.size() <= 254);
    if (!teamSpeakRunning) {
        FUZZ_CHECK(callsign.empty() && ivac.hWndIvAc() == kNoWindow);
        return;
    }
    // The top-most window (the last added) whose caption, as a 256-character buffer reads it,
    // begins with "IvAc 1"; the callsign cut from its caption as a 255-character buffer reads it.
    const std::vector<WindowHandle> windows = desktop.TopLevelWindows();
    const auto first = std::find_if(windows.begin(), windows.end(), [&](WindowHandle window) {
        return desktop.Caption(window, 256).rfind("IvAc 1", 0) == 0;
    });
    FUZZ_CHECK(ivac.hWndIvAc() == (first == windows.end() ? kNoWindow : *first));
    FUZZ_CHECK(callsign == (first == windows.end() ? "" : CutIvAcCallsign(desktop.Caption(*first, 255))));
}
