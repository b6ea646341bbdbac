// A desktop in memory for tests.
#include "sim/SimulatedDesktop.h"

#include <algorithm>
#include <iomanip>
#include <stdexcept>

#include "text/TextRoutines.h"

namespace sayvane::sim {

namespace {

bool Matches(const std::optional<std::string_view>& wanted, const std::string& actual) {
    return !wanted || AnsiEqualsNoCase(*wanted, actual);
}

// The first bufferSize - 1 characters, as an ANSI call with that buffer hands them back.
std::string CutToBuffer(const std::string& text, int bufferSize) {
    if (bufferSize <= 0) {
        return {};
    }
    return text.substr(0, static_cast<std::size_t>(bufferSize - 1));
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const DesktopMessage& m) {
    out << (m.delivery == Delivery::Sent ? "sent" : "posted") << " 0x" << std::hex << m.message << " to 0x" << m.target
        << std::dec << " wParam " << m.wParam << " lParam " << m.lParam;
    if (!m.text.empty()) {
        out << " text " << std::quoted(m.text);
    }
    return out;
}

DesktopMessage SentSetText(WindowHandle target, std::string text) {
    return DesktopMessage{Delivery::Sent, target, message::kSetText, 0, 0, std::move(text)};
}

DesktopMessage PostedMessage(WindowHandle target, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    return DesktopMessage{Delivery::Posted, target, message, wParam, lParam, {}};
}

SimulatedDesktop::SimulatedDesktop() = default;

WindowHandle SimulatedDesktop::Add(const Window& newWindow) {
    if (newWindow.parent != kNoWindow && Lookup(newWindow.parent) == nullptr) {
        throw std::invalid_argument("no such parent window");
    }
    if (newWindow.owner != kNoWindow && Lookup(newWindow.owner) == nullptr) {
        throw std::invalid_argument("no such owner window");
    }
    const WindowHandle handle = m_next;
    m_next += 4;
    Node window(newWindow);
    if (newWindow.parent != kNoWindow) {
        window.owner = kNoWindow;  // a child window has a parent, no owner
    }
    m_windows.emplace(handle, std::move(window));
    if (newWindow.parent != kNoWindow) {
        Lookup(newWindow.parent)->children.push_back(handle);
    } else {
        m_topLevel.insert(m_topLevel.begin(), handle);
    }
    return handle;
}

void SimulatedDesktop::Destroy(WindowHandle window) {
    Node* found = Lookup(window);
    if (found == nullptr) {
        return;
    }
    for (WindowHandle child : std::vector<WindowHandle>(found->children)) {
        Destroy(child);
    }
    std::vector<WindowHandle> owned;
    for (const auto& [handle, other] : m_windows) {
        if (other.owner == window) {
            owned.push_back(handle);
        }
    }
    for (WindowHandle handle : owned) {
        Destroy(handle);
    }
    if (std::vector<WindowHandle>* siblings = SiblingsOf(window)) {
        siblings->erase(std::remove(siblings->begin(), siblings->end(), window), siblings->end());
    }
    m_windows.erase(window);
    if (m_foreground == window) {
        m_foreground = kNoWindow;
    }
}

void SimulatedDesktop::BringToTop(WindowHandle window) {
    std::vector<WindowHandle>* siblings = SiblingsOf(window);
    if (siblings == nullptr) {
        return;
    }
    siblings->erase(std::remove(siblings->begin(), siblings->end(), window), siblings->end());
    siblings->insert(siblings->begin(), window);
}

void SimulatedDesktop::SetCaption(WindowHandle window, std::string caption) {
    if (Node* found = Lookup(window)) {
        found->caption = std::move(caption);
    }
}

void SimulatedDesktop::SetText(WindowHandle window, std::string text) {
    if (Node* found = Lookup(window)) {
        (found->ownText ? *found->ownText : found->caption) = std::move(text);
    }
}

std::string SimulatedDesktop::CurrentText(WindowHandle window) const {
    const Node* found = Lookup(window);
    if (found == nullptr) {
        return {};
    }
    return found->ownText ? *found->ownText : found->caption;
}

std::vector<WindowHandle> SimulatedDesktop::ChildrenOf(WindowHandle window) const {
    const std::vector<WindowHandle>* children = ChildListOf(window);
    return children != nullptr ? *children : std::vector<WindowHandle>{};
}

std::vector<DesktopMessage> SimulatedDesktop::Commands() const {
    std::vector<DesktopMessage> commands;
    std::copy_if(m_messages.begin(), m_messages.end(), std::back_inserter(commands), [](const DesktopMessage& m) {
        return m.message != message::kGetText && m.message != message::kGetTextLength;
    });
    return commands;
}

WindowHandle SimulatedDesktop::FindTopLevelWindow(std::optional<std::string_view> className,
                                                  std::optional<std::string_view> caption) {
    return FindChildWindow(kNoWindow, kNoWindow, className, caption);
}

WindowHandle SimulatedDesktop::FindChildWindow(WindowHandle parent, WindowHandle after,
                                               std::optional<std::string_view> className,
                                               std::optional<std::string_view> caption) {
    const std::vector<WindowHandle>* children = ChildListOf(parent);
    if (children == nullptr) {
        return kNoWindow;
    }
    auto from = children->begin();
    if (after != kNoWindow) {
        from = std::find(children->begin(), children->end(), after);
        if (from == children->end()) {
            return kNoWindow;
        }
        ++from;
    }
    for (auto it = from; it != children->end(); ++it) {
        const Node& window = m_windows.at(*it);
        if (Matches(className, window.className) && Matches(caption, window.caption)) {
            return *it;
        }
    }
    return kNoWindow;
}

void SimulatedDesktop::EnumerateTopLevelWindows(const WindowVisitor& visit) {
    // As EnumWindows, the list is taken first: windows made or destroyed by the visitor do
    // not disturb the walk, and destroyed ones are passed over.
    for (WindowHandle window : std::vector<WindowHandle>(m_topLevel)) {
        if (Exists(window) && !visit(window)) {
            return;
        }
    }
}

void SimulatedDesktop::EnumerateDescendants(WindowHandle parent, const WindowVisitor& visit) {
    if (const Node* found = Lookup(parent)) {
        VisitDescendants(*found, visit);
    }
}

bool SimulatedDesktop::VisitDescendants(const Node& parent, const WindowVisitor& visit) {
    for (WindowHandle child : std::vector<WindowHandle>(parent.children)) {
        if (!Exists(child)) {
            continue;
        }
        if (!visit(child)) {
            return false;
        }
        if (const Node* found = Lookup(child); found != nullptr && !VisitDescendants(*found, visit)) {
            return false;
        }
    }
    return true;
}

WindowHandle SimulatedDesktop::FirstChild(WindowHandle window) {
    const std::vector<WindowHandle>* children = window == kDesktopWindow ? &m_topLevel : nullptr;
    if (const Node* found = Lookup(window)) {
        children = &found->children;
    }
    return children == nullptr || children->empty() ? kNoWindow : children->front();
}

WindowHandle SimulatedDesktop::NextSibling(WindowHandle window) {
    const std::vector<WindowHandle>* siblings = SiblingsOf(window);
    if (siblings == nullptr) {
        return kNoWindow;
    }
    auto it = std::find(siblings->begin(), siblings->end(), window);
    return it == siblings->end() || std::next(it) == siblings->end() ? kNoWindow : *std::next(it);
}

WindowHandle SimulatedDesktop::ParentOrOwner(WindowHandle window) {
    const Node* found = Lookup(window);
    if (found == nullptr) {
        return kNoWindow;
    }
    if (found->parent != kNoWindow) {
        return found->parent;
    }
    return found->popup ? found->owner : kNoWindow;
}

std::string SimulatedDesktop::ClassName(WindowHandle window, int bufferSize) {
    const Node* found = Lookup(window);
    return found == nullptr ? std::string() : CutToBuffer(found->className, bufferSize);
}

std::string SimulatedDesktop::Caption(WindowHandle window, int bufferSize) {
    const Node* found = Lookup(window);
    return found == nullptr ? std::string() : CutToBuffer(found->caption, bufferSize);
}

long SimulatedDesktop::TextLength(WindowHandle window) {
    if (!Exists(window)) {
        return 0;
    }
    Log(DesktopMessage{Delivery::Sent, window, message::kGetTextLength, 0, 0, {}});
    return static_cast<long>(CurrentText(window).size());
}

std::string SimulatedDesktop::Text(WindowHandle window, int bufferSize) {
    if (!Exists(window)) {
        return {};
    }
    std::string text = CutToBuffer(CurrentText(window), bufferSize);
    Log(DesktopMessage{Delivery::Sent, window, message::kGetText, static_cast<std::uintptr_t>(std::max(bufferSize, 0)),
                       0, text});
    return text;
}

std::optional<ScreenRect> SimulatedDesktop::WindowRect(WindowHandle window) {
    const Node* found = Lookup(window);
    return found == nullptr ? std::nullopt : std::optional<ScreenRect>(found->rect);
}

void SimulatedDesktop::SendSetText(WindowHandle window, std::string_view text) {
    if (!Exists(window)) {
        return;
    }
    SetText(window, std::string(text));
    Log(SentSetText(window, std::string(text)));
}

bool SimulatedDesktop::Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (!Exists(window)) {
        return false;
    }
    Log(PostedMessage(window, message, wParam, lParam));
    return true;
}

ProcessId SimulatedDesktop::ProcessOf(WindowHandle window) {
    const Node* found = Lookup(window);
    return found == nullptr ? 0 : found->processId;
}

bool SimulatedDesktop::ActivateProcess(ProcessId processId) {
    // The main window: the first visible top-level window without owner, else the first
    // visible owned one.
    WindowHandle main = kNoWindow;
    for (WindowHandle window : m_topLevel) {
        const Node& w = m_windows.at(window);
        if (processId == 0 || w.processId != processId || !w.visible) {
            continue;
        }
        if (w.owner == kNoWindow) {
            main = window;
            break;
        }
        if (main == kNoWindow) {
            main = window;
        }
    }
    if (main == kNoWindow) {
        return false;
    }
    BringToTop(main);
    m_foreground = main;
    return true;
}

ProcessId SimulatedDesktop::ForegroundProcess() {
    return ProcessOf(m_foreground);
}

const SimulatedDesktop::Node* SimulatedDesktop::Lookup(WindowHandle window) const {
    auto it = m_windows.find(window);
    return it == m_windows.end() ? nullptr : &it->second;
}

SimulatedDesktop::Node* SimulatedDesktop::Lookup(WindowHandle window) {
    auto it = m_windows.find(window);
    return it == m_windows.end() ? nullptr : &it->second;
}

std::vector<WindowHandle>* SimulatedDesktop::SiblingsOf(WindowHandle window) {
    Node* found = Lookup(window);
    if (found == nullptr) {
        return nullptr;
    }
    if (found->parent == kNoWindow) {
        return &m_topLevel;
    }
    Node* parent = Lookup(found->parent);
    return parent == nullptr ? nullptr : &parent->children;
}

const std::vector<WindowHandle>* SimulatedDesktop::ChildListOf(WindowHandle parent) const {
    if (parent == kNoWindow || parent == kDesktopWindow) {
        return &m_topLevel;
    }
    const Node* found = Lookup(parent);
    return found == nullptr ? nullptr : &found->children;
}

void SimulatedDesktop::Log(const DesktopMessage& message) {
    m_messages.push_back(message);
    if (m_onMessage) {
        m_onMessage(message);
    }
}

}  // namespace sayvane::sim
