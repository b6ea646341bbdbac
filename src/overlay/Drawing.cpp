// What the overlay shows and how big it is.
#include "overlay/Drawing.h"

#include <algorithm>

#include "overlay/Placement.h"

namespace sayvane {

namespace {

constexpr std::int32_t kWidthMargin = 180;  // twips added to the widest text
constexpr std::int32_t kHeightMargin = 30;  // twips added to the lines

bool On(std::int16_t flag) {
    return flag == 1;
}

// The channel line is printed for a changed channel even when ShowChannel is off (the
// height then has no line for it, so the last line is cut off for that draw).
bool PrintsChannel(const OverlayState& state, const OverlaySettings& settings) {
    return state.CurrentChannelName != state.LastChannelName || On(settings.ShowChannel);
}

void Widen(OverlayState& state, std::int32_t textWidth) {
    state.width = std::max(state.width, textWidth);
}

// Join lines in their colour, leave lines in theirs; six at most, then "...".
void PrintLineList(const OverlayState& state, const DrawingContext& c) {
    c.window.SetFontSize(c.settings.UserFontSize);
    int printed = 0;
    const auto& items = state.lstInOut.Items();
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        c.window.SetForeColor(it->text.rfind("In", 0) == 0 ? c.settings.JoinForeColor : c.settings.LeaveForeColor);
        c.window.Print(it->text);
        if (++printed == kMaxInOutLines) {
            c.window.Print("...");
            break;
        }
    }
}

void Present(const DrawingContext& c) {
    c.window.Show();
    c.window.SetOpacity(AlphaForOpacity(static_cast<std::uint8_t>(c.settings.Transparent)));
    c.window.SetTopmost(On(c.settings.OnTop));
}

// Colours, visibility, size and corner, then a clean page with the pen at its top.
void Prepare(const DrawingContext& c, std::int32_t width, std::int32_t height) {
    c.window.SetBackColor(c.settings.BackColor);
    c.window.SetForeColor(c.settings.ChannelForeColor);
    c.window.Show();
    c.window.Resize(width, height);
    AutoPosition(c.window, c.settings, c.screen);
    c.window.Repaint();
    c.window.Clear();
}

// Appends ",text" for each item, newest first.
void AppendTexts(std::string& text, const ItemList& list) {
    std::size_t size = text.size();
    for (const ListItem& item : list.Items()) {
        size += 1 + item.text.size();
    }
    std::size_t at = text.size();
    text.resize(size);
    const auto& items = list.Items();
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
        text[at++] = ',';
        it->text.copy(&text[at], it->text.size());
        at += it->text.size();
    }
}

// Whether the text last shown may differ from what these parts would show now; the parts
// are then taken as the new ones. Lists whose values alone changed show the same texts.
bool ShownPartsChanged(OverlayState& state, const OverlayState::ShownParts& parts) {
    if (!state.LastShownText.empty() && state.shownParts == parts) {
        return false;
    }
    state.shownParts = parts;
    return true;
}

std::string InOutText(const OverlayState& state) {
    std::string text;
    AppendTexts(text, state.lstInOut);
    return text;
}

void JoinLeaveBranch(OverlayState& state, const DrawingContext& c) {
    if (!ShownPartsChanged(state, {0, 0, state.lstInOut.TextRevision(), {}})) {
        Present(c);
        return;
    }
    std::string shown = InOutText(state);
    if (state.LastShownText.empty() || state.LastShownText != shown) {
        const auto& s = c.settings;
        c.window.SetFontSize(s.SpeakerFontSize);
        std::int32_t height = s.ShowChannel * c.window.TextHeight("H") + kHeightMargin;
        if (On(s.ShowChannel)) {
            Widen(state, c.window.TextWidth(state.CurrentChannelName));
        }
        c.window.SetFontSize(s.UserFontSize);
        height += static_cast<std::int32_t>(state.lstInOut.Count()) * c.window.TextHeight("H");
        for (const ListItem& item : state.lstInOut.Items()) {
            Widen(state, c.window.TextWidth(item.text));
        }
        Prepare(c, state.width + kWidthMargin, height);
        if (PrintsChannel(state, s)) {
            c.window.SetFontSize(s.SpeakerFontSize);
            c.window.Print(state.CurrentChannelName);
        }
        PrintLineList(state, c);
    }
    Present(c);
    state.LastShownText = std::move(shown);
}

void SpeakerBranch(OverlayState& state, const DrawingContext& c) {
    const auto& s = c.settings;
    const int branch = 1 | (On(s.ShowChannel) ? 2 : 0) | (On(s.ShowInOut) ? 4 : 0);
    if (!ShownPartsChanged(
            state, {branch, state.lstSpeakers.TextRevision(), On(s.ShowInOut) ? state.lstInOut.TextRevision() : 0,
                    On(s.ShowChannel) ? state.CurrentChannelName : std::string()})) {
        Present(c);
        return;
    }
    // What the window would show, as one text: drawn again only when it changes.
    std::string shown;
    if (On(s.ShowChannel)) {
        shown += ',';
        shown += state.CurrentChannelName;
    }
    AppendTexts(shown, state.lstSpeakers);
    if (On(s.ShowInOut)) {
        AppendTexts(shown, state.lstInOut);
    }
    const auto& speakers = state.lstSpeakers.Items();

    if (state.LastShownText.empty() || state.LastShownText != shown) {
        std::int32_t height = 0;
        if (On(s.ShowInOut)) {
            c.window.SetFontSize(s.UserFontSize);
            height = static_cast<std::int32_t>(state.lstInOut.Count()) * c.window.TextHeight("H");
            for (const ListItem& item : state.lstInOut.Items()) {
                Widen(state, c.window.TextWidth(item.text));
            }
        }
        c.window.SetFontSize(s.SpeakerFontSize);
        const std::int32_t lineHeight = c.window.TextHeight("H");
        height += s.ShowChannel * lineHeight + kHeightMargin;
        if (On(s.ShowChannel)) {
            Widen(state, c.window.TextWidth(state.CurrentChannelName));
        }
        height += static_cast<std::int32_t>(speakers.size()) * lineHeight;
        for (const ListItem& speaker : speakers) {
            Widen(state, c.window.TextWidth(speaker.text));
        }
        Prepare(c, state.width + kWidthMargin, height);
        if (PrintsChannel(state, s)) {
            c.window.Print(state.CurrentChannelName);
        }
        c.window.SetFontSize(s.SpeakerFontSize);
        c.window.SetForeColor(s.ForeColor);
        for (auto it = speakers.rbegin(); it != speakers.rend(); ++it) {
            c.window.Print(it->text);
        }
        if (On(s.ShowInOut)) {
            PrintLineList(state, c);
        }
    }
    Present(c);
    state.LastShownText = std::move(shown);
}

}  // namespace

void AutoPosition(OverlayWindow& window, const OverlaySettings& settings, const ScreenMetrics& screen) {
    const WindowPlace place = AutoPositionPlace(settings.Position, screen, window.Geometry());
    window.Move(place.left, place.top);
}

void ShowNotice(OverlayState& state, const DrawingContext& c, const std::string& text) {
    c.window.SetFontSize(c.settings.SpeakerFontSize);
    const std::int32_t height = c.window.TextHeight("H") + kHeightMargin;
    Widen(state, c.window.TextWidth(text));
    Prepare(c, state.width + kWidthMargin, height);
    c.window.Print(text);
    c.clock.ProcessPendingMessages();
    c.clock.Sleep(c.settings.RetentionTime);
}

bool ShowsLines(const OverlayState& state, const OverlaySettings& settings) {
    return !state.lstSpeakers.Empty() || (!state.lstInOut.Empty() && On(settings.ShowInOut));
}

void DrawOverlay(OverlayState& state, const DrawingContext& context) {
    if (!state.lstSpeakers.Empty()) {
        SpeakerBranch(state, context);
    } else if (ShowsLines(state, context.settings)) {
        JoinLeaveBranch(state, context);
    } else {
        if (!state.CurrentChannelName.empty() && state.CurrentChannelName == state.LastChannelName) {
            context.window.Hide();
        } else {
            ShowNotice(state, context, state.CurrentChannelName);
        }
        state.LastShownText.clear();
    }
}

}  // namespace sayvane
