// A simulated overlay window and tray icon that log every call.
#include "sim/SimOverlayWindow.h"

namespace sayvane::sim {

namespace {
std::string Flag(bool on) {
    return on ? "on" : "off";
}
}  // namespace

std::string PictureName(TrayPicture picture) {
    return picture == TrayPicture::Enabled ? "enabled" : "disabled";
}

ScreenMetrics SimOverlayWindow::DefaultScreen() {
    ScreenMetrics screen;
    screen.workArea = PixelRect{0, 0, 1024, 738};
    screen.widthPixels = 1024;
    screen.heightPixels = 768;
    screen.twipsPerPixelX = 15;
    screen.twipsPerPixelY = 15;
    return screen;
}

SimOverlayWindow::SimOverlayWindow(EventLog& log, ScreenMetrics screen) : m_log(log), m_screen(screen) {}

bool SimOverlayWindow::IsOnAMonitor(const TwipsRect& rect) const {
    const auto overlaps = [&](const PixelRect& m) {
        const double tx = m_screen.twipsPerPixelX;
        const double ty = m_screen.twipsPerPixelY;
        return rect.left < m.right * tx && rect.left + rect.width > m.left * tx && rect.top < m.bottom * ty &&
               rect.top + rect.height > m.top * ty;
    };
    if (overlaps(PixelRect{0, 0, m_screen.widthPixels, m_screen.heightPixels})) {
        return true;
    }
    for (const PixelRect& monitor : m_otherMonitors) {
        if (overlaps(monitor)) {
            return true;
        }
    }
    return false;
}

void SimOverlayWindow::Move(std::int32_t left, std::int32_t top) {
    m_geometry.left = left;
    m_geometry.top = top;
    m_log.push_back("Move " + std::to_string(left) + "," + std::to_string(top));
}

void SimOverlayWindow::Resize(std::int32_t width, std::int32_t height) {
    m_geometry.width = width;
    m_geometry.height = height;
    m_log.push_back("Resize " + std::to_string(width) + "x" + std::to_string(height));
}

void SimOverlayWindow::Show() {
    m_visible = true;
    m_log.push_back("Show");
}

void SimOverlayWindow::Hide() {
    m_visible = false;
    m_log.push_back("Hide");
}

void SimOverlayWindow::RemoveTaskbarButton() {
    m_taskbarButton = false;
    m_log.push_back("RemoveTaskbarButton");
}

void SimOverlayWindow::SetOpacity(std::uint8_t alpha) {
    m_alpha = alpha;
    m_log.push_back("Opacity " + std::to_string(alpha));
}

void SimOverlayWindow::SetTopmost(bool onTop) {
    m_topmost = onTop;
    m_log.push_back("Topmost " + Flag(onTop));
}

void SimOverlayWindow::SetFontSize(int points) {
    m_fontSize = points;
    m_log.push_back("Font " + std::to_string(points));
}

void SimOverlayWindow::SetBackColor(std::int32_t colour) {
    m_backColor = colour;
}

void SimOverlayWindow::SetForeColor(std::int32_t colour) {
    m_foreColor = colour;
}

std::int32_t SimOverlayWindow::TextHeight(std::string_view) const {
    return m_customMetrics ? m_metrics.lineHeight(m_fontSize) : DefaultLineHeight(m_fontSize);
}

std::int32_t SimOverlayWindow::TextWidth(std::string_view text) const {
    return m_customMetrics ? m_metrics.width(m_fontSize, text)
                           : static_cast<std::int32_t>(text.size()) * m_fontSize * 10;
}

void SimOverlayWindow::Repaint() {}

void SimOverlayWindow::Clear() {
    m_lines.clear();
    m_background = m_backColor;
    m_penTop = 0;
    ++m_clears;
    m_log.push_back("Clear");
}

void SimOverlayWindow::Print(std::string_view text) {
    if (!m_recordingLines) {
        return;
    }
    m_lines.push_back(DrawnLine{std::string(text), m_foreColor, m_fontSize, m_penTop});
    m_penTop += TextHeight(text);
    m_log.push_back("Print \"" + std::string(text) + "\"");
}

void SimOverlayWindow::SetStatusLabel(std::string_view text, std::int32_t colour) {
    m_statusText = text;
    m_statusColour = colour;
    m_log.push_back("Status \"" + m_statusText + "\"");
}

void SimOverlayWindow::MirrorList(std::string_view listName, std::size_t count,
                                  const std::function<MirroredItem(std::size_t)>& item) {
    if (!m_recordingLines) {
        return;
    }
    auto& mirror = m_mirrors[std::string(listName)];
    mirror.clear();
    for (std::size_t i = 0; i < count; ++i) {
        const MirroredItem mirrored = item(i);
        mirror.emplace_back(std::string(mirrored.text), mirrored.value);
    }
}

std::vector<std::pair<std::string, std::int32_t>> SimOverlayWindow::Mirrored(const std::string& name) const {
    const auto it = m_mirrors.find(name);
    return it == m_mirrors.end() ? std::vector<std::pair<std::string, std::int32_t>>{} : it->second;
}

std::vector<std::string> SimOverlayWindow::LineTexts() const {
    std::vector<std::string> texts;
    for (const DrawnLine& line : m_lines) {
        texts.push_back(line.text);
    }
    return texts;
}

void SimOverlayWindow::StartTimer(int intervalMilliseconds) {
    m_timerInterval = intervalMilliseconds;
    m_log.push_back("StartTimer " + std::to_string(intervalMilliseconds));
}

void SimOverlayWindow::StopTimer() {
    m_timerInterval = 0;
    m_log.push_back("StopTimer");
}

void SimOverlayWindow::Close() {
    m_closed = true;
    m_log.push_back("Close");
}

void SimTrayIcon::Add(TrayPicture picture, std::string_view tip) {
    m_shown = true;
    m_picture = picture;
    m_tip = tip;
    m_log.push_back("TrayAdd " + PictureName(picture) + " \"" + m_tip + "\"");
}

void SimTrayIcon::Modify(TrayPicture picture, std::string_view tip) {
    m_picture = picture;
    m_tip = tip;
    m_log.push_back("TrayModify " + PictureName(picture) + " \"" + m_tip + "\"");
}

void SimTrayIcon::Remove() {
    m_shown = false;
    m_log.push_back("TrayRemove");
}

void SimTrayIcon::SetChecked(MenuItem item, bool checked) {
    m_checked[item] = checked;
}

void SimTrayIcon::SetCaption(MenuItem item, std::string_view caption) {
    m_captions[item] = caption;
}

void SimTrayIcon::SetEnabled(MenuItem item, bool enabled) {
    m_enabled[item] = enabled;
}

bool SimTrayIcon::Checked(MenuItem item) const {
    const auto it = m_checked.find(item);
    return it != m_checked.end() && it->second;
}

bool SimTrayIcon::Enabled(MenuItem item) const {
    const auto it = m_enabled.find(item);
    return it == m_enabled.end() || it->second;
}

std::string SimTrayIcon::Caption(MenuItem item) const {
    const auto it = m_captions.find(item);
    return it == m_captions.end() ? std::string() : it->second;
}

}  // namespace sayvane::sim
