// The TeamSpeak 2 window as the reader finds it: a tree of panes whose classes, texts and
// reported text lengths (which another program may get wrong) come from the input.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "sim/SimulatedDesktop.h"
#include "teamspeak/TeamSpeakWindow.h"

using namespace sayvane;

namespace {

constexpr std::string_view kLabel = "Player:";
constexpr std::string_view kLineBreak = "\r\n";

// The simulated desktop, except that some windows answer WM_GETTEXTLENGTH with a length of
// their own choosing (too short, too long, negative, absurd), as a misbehaving program might.
class LyingDesktop final : public sim::SimulatedDesktop {
public:
    void Lie(WindowHandle window, long length) { m_lies[window] = length; }

    long TextLength(WindowHandle window) override {
        const long honest = SimulatedDesktop::TextLength(window);
        const auto lie = m_lies.find(window);
        return lie == m_lies.end() ? honest : lie->second;
    }

    // What the reader can get of a window's text: as much as it says it has, at most all.
    std::string Readable(WindowHandle window) {
        const long length = TextLength(window);
        if (length <= 0) {
            return {};
        }
        const std::string text = CurrentText(window);
        return text.substr(0, static_cast<std::size_t>(std::min<long>(length, static_cast<long>(text.size()))));
    }

private:
    std::map<WindowHandle, long> m_lies;
};

std::string PickClass(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 4)) {
        case 0: return "TRichEditWithLinks";
        case 1: return "TRichEditWithLinks" + in.ConsumeRandomLengthString(40);
        case 2: return "tRICHeditWITHlinks";
        case 3: return "TRichEdit";
        default: return in.ConsumeRandomLengthString(80);
    }
}

std::string PickText(FuzzedDataProvider& in) {
    std::string text;
    const int pieces = in.ConsumeIntegralInRange(0, 6);
    for (int i = 0; i < pieces; ++i) {
        switch (in.ConsumeIntegralInRange(0, 3)) {
            case 0: text += kLabel; break;
            case 1: text += kLineBreak; break;
            default: text += in.ConsumeRandomLengthString(40); break;
        }
    }
    return text;
}

long PickLength(FuzzedDataProvider& in, const std::string& text) {
    const long honest = static_cast<long>(text.size());
    switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0: return honest + in.ConsumeIntegralInRange<long>(-4, 4);
        case 1: return in.ConsumeIntegral<std::int32_t>();
        case 2: return in.ConsumeIntegral<long>();
        default: return honest;
    }
}

// The class test, written out on its own: the first 18 characters spell the pane class in
// any case (only ASCII letters can spell it, whatever the code page upper-cases).
bool IsPaneClass(std::string className) {
    className = className.substr(0, 49);  // a 50-character buffer
    if (className.size() < 18) {
        return false;
    }
    std::string head = className.substr(0, 18);
    for (char& c : head) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return head == "TRICHEDITWITHLINKS";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    LyingDesktop desktop;
    TeamSpeakWindowReader reader(desktop);

    // A first scan sets the name that failing scans must leave alone.
    const WindowHandle first = desktop.Add(sim::Window("TMainForm").Caption("TeamSpeak 2"));
    desktop.Add(sim::Window("TRichEditWithLinks").Parent(first).Text("Player:\r\nPREVIOUS\r\n"));
    reader.ReadTeamSpeakWindow();
    FUZZ_CHECK(reader.TSWindowNickname() == "PREVIOUS");
    desktop.Destroy(first);

    // The fuzzed scene: the main window (or one that only looks like it), decoys, and panes
    // nested under one another.
    const std::string caption = in.ConsumeBool() ? "TeamSpeak 2" : in.ConsumeRandomLengthString(20);
    const WindowHandle main = desktop.Add(sim::Window(in.ConsumeBool() ? "TMainForm" : PickClass(in)).Caption(caption));
    std::vector<WindowHandle> windows{main};
    const int panes = in.ConsumeIntegralInRange(0, 8);
    for (int i = 0; i < panes; ++i) {
        const WindowHandle parent = windows[in.ConsumeIntegralInRange<std::size_t>(0, windows.size() - 1)];
        const std::string text = PickText(in);
        const WindowHandle pane = desktop.Add(sim::Window(PickClass(in)).Parent(parent).Text(text));
        desktop.Lie(pane, PickLength(in, text));
        windows.push_back(pane);
    }
    if (in.ConsumeBool()) {
        desktop.Add(sim::Window("TMainForm").Caption(in.ConsumeRandomLengthString(20)));
    }

    // Which pane should win: the last one, in the order the window system enumerates them,
    // whose class passes and whose readable text holds the label.
    std::optional<std::string> winner;
    const WindowHandle found = desktop.FindTopLevelWindow(std::nullopt, "TeamSpeak 2");
    if (found != kNoWindow) {
        desktop.EnumerateDescendants(found, [&](WindowHandle window) {
            const std::string text = desktop.Readable(window);
            if (IsPaneClass(desktop.ClassName(window, 256)) && text.find(kLabel) != std::string::npos) {
                winner = text;
            }
            return true;
        });
    }

    reader.ReadTeamSpeakWindow();
    const std::string& name = reader.TSWindowNickname();
    if (!winner) {
        FUZZ_CHECK(name == "PREVIOUS");
    } else {
        FUZZ_CHECK(name.find(kLineBreak) == std::string::npos);
        FUZZ_CHECK(name.size() <= winner->size());
        // With a single label the name is the label's own line, or the line below it when the
        // label stands alone on its line: either way a piece of the pane's text.
        if (fuzz::CountOccurrences(*winner, kLabel) == 1) {
            std::string rest = winner->substr(winner->find(kLabel));
            if (rest.compare(0, kLabel.size() + kLineBreak.size(), "Player:\r\n") == 0) {
                rest.erase(0, kLabel.size() + kLineBreak.size());
            }
            FUZZ_CHECK(name == rest.substr(0, rest.find(kLineBreak)));
            FUZZ_CHECK(winner->find(name) != std::string::npos);
        }
    }

    // Scans that find nothing leave the name as it was: panes without the label, then no
    // TeamSpeak 2 window at all.
    const std::string kept = name;
    for (std::size_t i = 1; i < windows.size(); ++i) {
        desktop.SetText(windows[i], in.ConsumeBool() ? "player: lower case only" : "");
    }
    reader.ReadTeamSpeakWindow();
    FUZZ_CHECK(reader.TSWindowNickname() == kept);
    desktop.Destroy(main);
    if (desktop.FindTopLevelWindow(std::nullopt, "TeamSpeak 2") == kNoWindow) {
        reader.ReadTeamSpeakWindow();
        FUZZ_CHECK(reader.TSWindowNickname() == kept);
    }
    return 0;
}
