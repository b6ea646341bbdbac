// The TeamSpeak 2 window as the reader finds it: a tree of panes whose classes, texts and
// reported text lengths (which another program may get wrong) come from the input.
#include <map>

#include "FuzzSupport.h"
#include "sim/SimulatedDesktop.h"
#include "teamspeak/TeamSpeakWindow.h"
#include "text/TextRoutines.h"

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
        return length <= 0 ? std::string() : CurrentText(window).substr(0, static_cast<std::size_t>(length));
    }

private:
    std::map<WindowHandle, long> m_lies;
};

std::string PickClass(FuzzedDataProvider& in) {
    return fuzz::KnownOr<std::string>(in, {"TRichEditWithLinks", "tRICHeditWITHlinks", "TRichEdit"}, [&] {
        return (in.ConsumeBool() ? "TRichEditWithLinks" : "") + in.ConsumeRandomLengthString(80);
    });
}

// Pieces of text, labels and line breaks among them.
std::string PickText(FuzzedDataProvider& in) {
    std::string text;
    for (int pieces = in.ConsumeIntegralInRange(0, 6); pieces > 0; --pieces) {
        text += fuzz::KnownOr<std::string>(in, {std::string(kLabel), std::string(kLineBreak)},
                                           [&] { return in.ConsumeRandomLengthString(40); });
    }
    return text;
}

// The length a pane reports: a little off, any at all, or the true one.
long PickLength(FuzzedDataProvider& in, const std::string& text) {
    const long honest = static_cast<long>(text.size());
    switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0: return honest + in.ConsumeIntegralInRange<long>(-4, 4);
        case 1: return in.ConsumeIntegral<std::int32_t>();
        case 2: return in.ConsumeIntegral<long>();
        default: return honest;
    }
}

}  // namespace

void fuzz::FuzzOne(FuzzedDataProvider& in) {
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
    for (int panes = in.ConsumeIntegralInRange(0, 8); panes > 0; --panes) {
        const WindowHandle parent = windows[in.ConsumeIntegralInRange<std::size_t>(0, windows.size() - 1)];
        const std::string text = PickText(in);
        const WindowHandle pane = desktop.Add(sim::Window(PickClass(in)).Parent(parent).Text(text));
        desktop.Lie(pane, PickLength(in, text));
        windows.push_back(pane);
    }
    if (in.ConsumeBool()) {
        desktop.Add(sim::Window("TMainForm").Caption(in.ConsumeRandomLengthString(20)));
    }

    // The previous name, or one line of the readable text of a pane that holds the label, once
    // every label that ends its line is taken out: which pane and which line is
    // TeamSpeakWindowTest's.
    reader.ReadTeamSpeakWindow();
    const std::string& name = reader.TSWindowNickname();
    if (name != "PREVIOUS") {
        FUZZ_CHECK(name.find(kLineBreak) == std::string::npos);
        FUZZ_CHECK(std::any_of(windows.begin() + 1, windows.end(), [&](WindowHandle pane) {
            const std::string text = desktop.Readable(pane);
            return text.find(kLabel) != std::string::npos &&
                   ReplaceText(text, "Player:\r\n", "").find(name) != std::string::npos;
        }));
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
}
