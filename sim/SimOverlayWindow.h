// A simulated overlay window and tray icon: they keep the state a real window would have
// and write every call to an event log, so tests can assert both the outcome and the order.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/OverlayWindow.h"
#include "platform/TrayIcon.h"

namespace sayvane::sim {

// Calls in the order they were made, as short readable lines ("Move 30,10890").
using EventLog = std::vector<std::string>;

// A line the window drew: its text, colour, font size and top (twips from the window's top).
struct DrawnLine {
    std::string text;
    std::int32_t colour = 0;
    int fontSize = 0;
    std::int32_t top = 0;
    friend bool operator==(const DrawnLine& a, const DrawnLine& b) {
        return a.text == b.text && a.colour == b.colour && a.fontSize == b.fontSize && a.top == b.top;
    }
};

// Font measures of the simulated window, in twips for a font size in points: by default a
// line is 20 twips a point high and a character 10 twips a point wide.
inline std::int32_t DefaultLineHeight(int points) {
    return points * 20;
}
inline std::int32_t DefaultTextWidth(int points, std::string_view text) {
    return static_cast<std::int32_t>(text.size()) * points * 10;
}
struct SimFontMetrics {
    std::function<std::int32_t(int points)> lineHeight = DefaultLineHeight;
    std::function<std::int32_t(int points, std::string_view text)> width = DefaultTextWidth;
};

class SimOverlayWindow final : public OverlayWindow {
public:
    explicit SimOverlayWindow(EventLog& log, ScreenMetrics screen = DefaultScreen());

    // A 1024 x 768 screen at 96 dots per inch with its work area above a 30-pixel task bar.
    static ScreenMetrics DefaultScreen();

    [[nodiscard]] ScreenMetrics Screen() const override { return m_screen; }
    // The display settings change: another work area, size or DPI from now on.
    void SetScreen(const ScreenMetrics& screen) { m_screen = screen; }
    [[nodiscard]] bool IsOnAMonitor(const TwipsRect& rect) const override;
    // Monitors besides the primary one, as pixel rectangles of the virtual screen (a monitor
    // left of the primary one has negative coordinates).
    void AddMonitor(PixelRect monitor) { m_otherMonitors.push_back(monitor); }
    [[nodiscard]] TwipsRect Geometry() const override { return m_geometry; }
    void Move(std::int32_t left, std::int32_t top) override;
    void Resize(std::int32_t width, std::int32_t height) override;
    void Show() override;
    void Hide() override;
    [[nodiscard]] bool IsVisible() const override { return m_visible; }
    void RemoveTaskbarButton() override;
    void SetOpacity(std::uint8_t alpha) override;
    void SetTopmost(bool onTop) override;
    void SetFontSize(int points) override;
    void SetBackColor(std::int32_t colour) override;
    void SetForeColor(std::int32_t colour) override;
    [[nodiscard]] std::int32_t TextHeight(std::string_view text) const override;
    [[nodiscard]] std::int32_t TextWidth(std::string_view text) const override;
    void Repaint() override;
    void Clear() override;
    void Print(std::string_view text) override;
    void SetStatusLabel(std::string_view text, std::int32_t colour) override;
    void MirrorList(std::string_view listName, std::size_t count,
                    const std::function<MirroredItem(std::size_t)>& item) override;
    void StartTimer(int intervalMilliseconds) override;
    void StopTimer() override;
    void Close() override;

    [[nodiscard]] bool HasTaskbarButton() const { return m_taskbarButton; }
    [[nodiscard]] int Alpha() const { return m_alpha; }
    [[nodiscard]] bool Topmost() const { return m_topmost; }
    [[nodiscard]] int FontSize() const { return m_fontSize; }
    [[nodiscard]] int TimerInterval() const { return m_timerInterval; }  // 0 while stopped
    [[nodiscard]] bool Closed() const { return m_closed; }

    void SetMetrics(SimFontMetrics metrics) {
        m_metrics = std::move(metrics);
        m_customMetrics = true;
    }
    // Off, the window keeps no copy (nor log) of the lines it prints or the lists it mirrors,
    // as a real one keeps none the program pays for: benchmarks turn it off.
    void RecordLines(bool on) { m_recordingLines = on; }
    // What the window shows now: the lines printed since the last Clear, on this background.
    [[nodiscard]] const std::vector<DrawnLine>& Lines() const { return m_lines; }
    [[nodiscard]] std::vector<std::string> LineTexts() const;
    [[nodiscard]] std::int32_t Background() const { return m_background; }
    [[nodiscard]] int Redraws() const { return m_clears; }
    [[nodiscard]] const std::string& StatusText() const { return m_statusText; }
    [[nodiscard]] std::int32_t StatusColour() const { return m_statusColour; }
    // The diagnostic panel's copy of a list.
    [[nodiscard]] std::vector<std::pair<std::string, std::int32_t>> Mirrored(const std::string& name) const;

private:
    EventLog& m_log;
    ScreenMetrics m_screen;
    std::vector<PixelRect> m_otherMonitors;
    TwipsRect m_geometry{0, 0, 3000, 3000};
    bool m_visible = true;  // the show request that created it
    bool m_taskbarButton = true;
    int m_alpha = 255;
    bool m_topmost = false;
    int m_fontSize = 8;
    int m_timerInterval = 0;
    bool m_closed = false;
    SimFontMetrics m_metrics;
    bool m_customMetrics = false;  // the default ones are worked out without a call through m_metrics
    std::int32_t m_backColor = 0;
    std::int32_t m_foreColor = 0;
    std::int32_t m_background = 0;
    std::int32_t m_penTop = 0;
    int m_clears = 0;
    bool m_recordingLines = true;
    std::vector<DrawnLine> m_lines;
    std::string m_statusText;
    std::int32_t m_statusColour = 0;
    std::map<std::string, std::vector<std::pair<std::string, std::int32_t>>> m_mirrors;
};

class SimTrayIcon final : public TrayIcon {
public:
    explicit SimTrayIcon(EventLog& log) : m_log(log) {}

    void Add(TrayPicture picture, std::string_view tip) override;
    void Modify(TrayPicture picture, std::string_view tip) override;
    void Remove() override;
    void SetChecked(MenuItem item, bool checked) override;
    void SetCaption(MenuItem item, std::string_view caption) override;
    void SetEnabled(MenuItem item, bool enabled) override;

    [[nodiscard]] bool Shown() const { return m_shown; }
    [[nodiscard]] TrayPicture Picture() const { return m_picture; }
    [[nodiscard]] const std::string& Tip() const { return m_tip; }
    [[nodiscard]] bool Checked(MenuItem item) const;
    [[nodiscard]] bool Enabled(MenuItem item) const;
    [[nodiscard]] std::string Caption(MenuItem item) const;

private:
    EventLog& m_log;
    bool m_shown = false;
    TrayPicture m_picture = TrayPicture::Enabled;
    std::string m_tip;
    std::map<MenuItem, bool> m_checked;
    std::map<MenuItem, bool> m_enabled;
    std::map<MenuItem, std::string> m_captions;
};

std::string PictureName(TrayPicture picture);

}  // namespace sayvane::sim
