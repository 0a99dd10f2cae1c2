#include "simulated_desktop.h"

#include <cstring>
#include <stdexcept>

#include "rules/match_pattern.h"

namespace {

constexpr WindowHandle kFirstHandle = 0x1000;

bool EqualIgnoringCase(const std::string& a, const char* b)
{
    size_t length = std::strlen(b);
    if (a.size() != length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

int CopyOut(const std::string& text, char* buffer, int capacity)
{
    if (capacity <= 0)
        return 0;
    size_t length = text.size();
    if (length > static_cast<size_t>(capacity - 1))
        length = static_cast<size_t>(capacity - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

}  // namespace

WindowHandle SimulatedDesktop::AddWindow(const std::string& title, WinRect rect)
{
    SimWindow window;
    window.handle = kFirstHandle + windows_.size();
    window.text = title;
    window.rect = rect;
    windows_.push_back(window);
    topLevel_.push_back(window.handle);
    return window.handle;
}

WindowHandle SimulatedDesktop::AddChild(WindowHandle parent, const std::string& text, WinRect rect,
                                        int controlId)
{
    SimWindow window;
    window.handle = kFirstHandle + windows_.size();
    window.parent = parent;
    window.text = text;
    window.rect = rect;
    window.controlId = controlId;
    windows_.push_back(window);
    Window(parent).children.push_back(window.handle);
    return window.handle;
}

SimWindow& SimulatedDesktop::Window(WindowHandle handle)
{
    SimWindow* window = Find(handle);
    if (window == nullptr)
        throw std::out_of_range("no such simulated window");
    return *window;
}

SimWindow* SimulatedDesktop::Find(WindowHandle handle)
{
    if (handle < kFirstHandle || handle - kFirstHandle >= windows_.size())
        return nullptr;
    return &windows_[handle - kFirstHandle];
}

std::vector<SimAction> SimulatedDesktop::ActionsOf(SimAction::Kind kind) const
{
    std::vector<SimAction> result;
    for (const SimAction& action : actions) {
        if (action.kind == kind)
            result.push_back(action);
    }
    return result;
}

int SimulatedDesktop::CountOf(SimAction::Kind kind) const
{
    return static_cast<int>(ActionsOf(kind).size());
}

void SimulatedDesktop::Record(SimAction::Kind kind, WindowHandle window, int32_t x, int32_t y,
                              uint32_t value)
{
    actions.push_back(SimAction{kind, window, x, y, value});
}

void SimulatedDesktop::EnumWindows(EnumStep step, void* context)
{
    ++enumerations;
    // A copy: a callback may add windows (the tests do not, but a real desktop changes under us).
    std::vector<WindowHandle> order = topLevel_;
    for (WindowHandle handle : order) {
        if (Window(handle).gone)
            continue;
        if (!step(handle, context))
            return;
    }
}

// Visible only when every window up to the top-level one is, as the system answers.
bool SimulatedDesktop::IsWindowVisible(WindowHandle window)
{
    for (SimWindow* w = Find(window); w != nullptr; w = Find(w->parent)) {
        if (!w->visible || w->gone)
            return false;
    }
    return Find(window) != nullptr;
}

int SimulatedDesktop::GetWindowTextA(WindowHandle window, char* buffer, int capacity)
{
    SimWindow* w = Find(window);
    return CopyOut(w != nullptr ? w->text : std::string(), buffer, capacity);
}

WindowHandle SimulatedDesktop::GetWindow(WindowHandle window, WindowRelation relation)
{
    SimWindow* w = Find(window);
    if (w == nullptr)
        return 0;
    if (relation == WindowRelation::FirstChild)
        return w->children.empty() ? 0 : w->children.front();
    const std::vector<WindowHandle>& siblings = w->parent != 0 ? Window(w->parent).children
                                                               : topLevel_;
    for (size_t i = 0; i + 1 < siblings.size(); ++i) {
        if (siblings[i] == window)
            return siblings[i + 1];
    }
    return 0;
}

WindowHandle SimulatedDesktop::FindWindowExA(WindowHandle parent, const char* text)
{
    SimWindow* w = Find(parent);
    if (w == nullptr)
        return 0;
    for (WindowHandle child : w->children) {
        if (EqualIgnoringCase(Window(child).text, text))
            return child;
    }
    return 0;
}

bool SimulatedDesktop::GetWindowRect(WindowHandle window, WinRect* rect)
{
    SimWindow* w = Find(window);
    if (w == nullptr)
        return false;
    *rect = w->rect;
    return true;
}

SimWindow& SimulatedDesktop::TopLevelOf(WindowHandle window)
{
    SimWindow* w = &Window(window);
    while (w->parent != 0)
        w = &Window(w->parent);
    return *w;
}

void SimulatedDesktop::NoteWaitOn(WindowHandle window)
{
    SimWindow* w = Find(window);
    if (w != nullptr && TopLevelOf(window).hung)
        ++waitsOnHung;
}

void SimulatedDesktop::BringWindowToTop(WindowHandle window)
{
    NoteWaitOn(window);
    Record(SimAction::BringToTop, window);
}

bool SimulatedDesktop::GetCursorPos(WinPoint* point)
{
    if (!cursorReadable)
        return false;
    *point = cursor;
    return true;
}

void SimulatedDesktop::SetCursorPos(int32_t x, int32_t y)
{
    cursor = WinPoint{x, y};
    Record(SimAction::SetCursor, 0, x, y);
}

void SimulatedDesktop::MouseEvent(uint32_t flags, int32_t x, int32_t y)
{
    Record(SimAction::Mouse, 0, x, y, flags);
}

// A probe of a hung window waits its whole bound.
bool SimulatedDesktop::Ping(WindowHandle window)
{
    if (duringProbe) {
        std::function<void()> arriving;
        arriving.swap(duringProbe);
        arriving();
    }
    SimWindow* w = Find(window);
    const bool answers = w != nullptr && !w->gone && !TopLevelOf(window).hung;
    if (w != nullptr && !answers) {
        now += kPingTimeoutMs;
        ++unansweredProbes;
    }
    return answers;
}

bool SimulatedDesktop::IsHung(WindowHandle window)
{
    SimWindow* w = Find(window);
    return w != nullptr && TopLevelOf(window).hung;
}

// A window of a higher integrity level refuses the messages of this one.
bool SimulatedDesktop::HasHigherRights(WindowHandle window)
{
    SimWindow* w = Find(window);
    return w != nullptr && TopLevelOf(window).refusesMessages;
}

bool SimulatedDesktop::IsWindow(WindowHandle window)
{
    SimWindow* w = Find(window);
    return w != nullptr && !w->gone;
}

Delivery SimulatedDesktop::PostClose(WindowHandle window)
{
    SimWindow* w = Find(window);
    if (w != nullptr && w->refusesMessages)
        return Delivery::Refused;
    if (w == nullptr || w->gone)
        return Delivery::Gone;
    Record(SimAction::PostClose, window);
    return Delivery::Delivered;
}

bool SimulatedDesktop::IsZoomed(WindowHandle window)
{
    SimWindow* w = Find(window);
    return w != nullptr && w->zoomed;
}

bool SimulatedDesktop::IsIconic(WindowHandle window)
{
    SimWindow* w = Find(window);
    return w != nullptr && w->iconic;
}

WindowHandle SimulatedDesktop::GetForegroundWindow()
{
    return foreground;
}

void SimulatedDesktop::SetForegroundWindow(WindowHandle window)
{
    NoteWaitOn(window);
    foreground = window;
    Record(SimAction::SetForeground, window);
}

uint32_t SimulatedDesktop::Now()
{
    return now;
}

int SimulatedDesktop::GetProgramFileName(WindowHandle window, char* buffer, int capacity)
{
    ++programQueries;
    SimWindow* w = Find(window);
    return CopyOut(w != nullptr && !w->gone ? TopLevelOf(window).program : std::string(), buffer, capacity);
}

uint32_t SimulatedDesktop::GetProcessId(WindowHandle window)
{
    SimWindow* w = Find(window);
    if (w == nullptr || w->gone)
        return 0;
    const SimWindow& top = TopLevelOf(window);
    return top.process != 0 ? top.process : static_cast<uint32_t>(top.handle);
}

void SimulatedDesktop::OnAction(const ActionReport& report)
{
    reports.push_back(report);
}

std::vector<ActionOutcome> SimulatedDesktop::ReportedOutcomes() const
{
    std::vector<ActionOutcome> outcomes;
    for (const ActionReport& report : reports)
        outcomes.push_back(report.outcome);
    return outcomes;
}

Delivery SimulatedDesktop::SendButtonClick(WindowHandle button, ActionToken token)
{
    SimWindow* w = Find(button);
    if (w != nullptr && w->refusesMessages)
        return Delivery::Refused;
    if (w == nullptr || w->gone)
        return Delivery::Gone;
    Record(SimAction::ButtonClick, button);
    SimWindow& top = TopLevelOf(button);
    outstanding.push_back(Outstanding{token, top.handle, false, {}, {}, false});
    if (top.onClick == SimWindow::Hangs)
        top.hung = true;
    if (top.onClick == SimWindow::Vanishes) {
        top.gone = true;
        for (WindowHandle child : top.children)
            Window(child).gone = true;
    }
    return Delivery::Delivered;
}

Delivery SimulatedDesktop::ShowWindowAsync(WindowHandle window, ShowCommand command, ActionToken token)
{
    SimWindow* w = Find(window);
    if (w != nullptr && w->refusesMessages)
        return Delivery::Refused;
    if (w == nullptr || w->gone)
        return Delivery::Gone;
    const bool maximize = command == ShowCommand::Maximize;
    Record(maximize ? SimAction::Maximize : SimAction::Minimize, window);
    // The window changes when its thread gets to it, just before it replies.
    auto show = [this, window, maximize] {
        SimWindow& target = Window(window);
        if (target.refusesShow)
            return;
        target.zoomed = maximize;
        target.iconic = !maximize;
    };
    outstanding.push_back(Outstanding{token, window, false, {}, show, w->showsAfterReply});
    return Delivery::Delivered;
}

bool SimulatedDesktop::StartAccessibleSearch(const AccessibleRequest& request)
{
    outstanding.push_back(Outstanding{request.token, request.window, true, request, {}, false});
    return true;
}

// A target whose thread is hung holds its replies back; one whose process ended answers at once.
int SimulatedDesktop::DeliverReplies(WatchContext& watch)
{
    int delivered = 0;
    for (size_t i = 0; i < outstanding.size();) {
        SimWindow* target = Find(outstanding[i].target);
        if (target != nullptr && target->hung && !target->gone) {
            ++i;
            continue;
        }
        const Outstanding reply = outstanding[i];
        outstanding.erase(outstanding.begin() + static_cast<std::ptrdiff_t>(i));
        if (reply.onReply && !reply.effectAfterReply)
            reply.onReply();
        ActionReply answer{reply.token, ReplyOutcome::Processed, {}};
        if (reply.search)
            answer = RunAccessibleSearch(*this, reply.request);
        Record(SimAction::Reply, reply.target);
        ++delivered;
        CompleteAction(watch, answer);
        if (reply.onReply && reply.effectAfterReply)
            reply.onReply();
        ReturnFocus(watch);
    }
    return delivered;
}

bool SimulatedDesktop::Contains(const SimWindow& window, WinPoint point) const
{
    return point.x >= window.rect.left && point.x < window.rect.right && point.y >= window.rect.top
           && point.y < window.rect.bottom;
}

WindowHandle SimulatedDesktop::DeepestAt(WindowHandle handle, WinPoint point)
{
    for (WindowHandle child : Window(handle).children) {
        const SimWindow& c = Window(child);
        if (c.visible && Contains(c, point))
            return DeepestAt(child, point);
    }
    return handle;
}

// The topmost visible top-level window under the point, then its deepest visible child there;
// hidden windows are passed over in favour of the window that contains them.
WindowHandle SimulatedDesktop::WindowFromPoint(WinPoint point)
{
    for (WindowHandle handle : topLevel_) {
        const SimWindow& w = Window(handle);
        if (w.visible && Contains(w, point))
            return DeepestAt(handle, point);
    }
    return 0;
}

WindowHandle SimulatedDesktop::GetParent(WindowHandle window)
{
    SimWindow* w = Find(window);
    return w != nullptr ? w->parent : 0;
}

bool SimulatedDesktop::IsChild(WindowHandle parent, WindowHandle window)
{
    for (WindowHandle up = GetParent(window); up != 0; up = GetParent(up)) {
        if (up == parent)
            return true;
    }
    return false;
}

int SimulatedDesktop::GetDlgItemTextA(WindowHandle window, int id, char* buffer, int capacity)
{
    SimWindow* w = Find(window);
    if (w != nullptr) {
        for (WindowHandle child : w->children) {
            if (Window(child).controlId == id)
                return CopyOut(Window(child).text, buffer, capacity);
        }
    }
    return CopyOut(std::string(), buffer, capacity);
}

WindowHandle SimulatedDesktop::AddButton(WindowHandle parent, const std::string& text, WinRect rect)
{
    WindowHandle button = AddChild(parent, text, rect);
    Window(button).className = "Button";
    return button;
}

bool SimulatedDesktop::EnumDescendants(WindowHandle parent, EnumStep step, void* context)
{
    for (WindowHandle child : Window(parent).children) {
        if (!step(child, context) || !EnumDescendants(child, step, context))
            return false;
    }
    return true;
}

void SimulatedDesktop::EnumChildWindows(WindowHandle parent, EnumStep step, void* context)
{
    if (Find(parent) != nullptr)
        EnumDescendants(parent, step, context);
}

bool SimulatedDesktop::IsWindowEnabled(WindowHandle window)
{
    SimWindow* w = Find(window);
    return w != nullptr && w->enabled;
}

int SimulatedDesktop::GetClassNameA(WindowHandle window, char* buffer, int capacity)
{
    SimWindow* w = Find(window);
    return CopyOut(w != nullptr ? w->className : std::string(), buffer, capacity);
}

bool SimulatedDesktop::SameTextIgnoringCase(const char* a, const char* b)
{
    return EqualIgnoringCase(a, b);
}

WindowHandle SimulatedDesktop::GetRootWindow(WindowHandle window)
{
    SimWindow* w = Find(window);
    if (w == nullptr)
        return 0;
    while (w->parent != 0)
        w = &Window(w->parent);
    return w->handle;
}

SimAccessible& SimAccessible::Add(uint32_t childRole, const std::string& childName, WinRect childRect)
{
    SimAccessible child;
    child.role = childRole;
    child.name = childName;
    child.rect = childRect;
    children.push_back(child);
    return children.back();
}

SimAccessible* SimulatedDesktop::Item(AccessibleItem item)
{
    if (item == 0 || item > walkItems_.size())
        throw std::out_of_range("accessible item outside its walk");
    return walkItems_[item - 1];
}

bool SimulatedDesktop::AnswersAsButton(WindowHandle window)
{
    ++dialogCodeQueries;
    SimWindow* w = Find(window);
    return w != nullptr && !TopLevelOf(window).hung && (w->answersAsButton || w->className == "Button");
}

void SimulatedDesktop::BeginAccessibleWalk()
{
    ++accessibleWalks;
    ++openAccessibleWalks;
    walkItems_.clear();
}

// A window whose thread is hung, or slower than the time left, does not answer; waiting for it
// spends the time.
ObjectAnswer SimulatedDesktop::GetClientObject(WindowHandle window, uint32_t timeoutMs, AccessibleItem* object)
{
    ++accessibleCalls.objects;
    *object = 0;
    SimWindow* w = Find(window);
    if (w == nullptr)
        return ObjectAnswer::None;
    if (TopLevelOf(window).hung || w->getObjectMs > timeoutMs) {
        now += timeoutMs;
        return ObjectAnswer::NoAnswer;
    }
    now += w->getObjectMs;
    if (!w->exposesAccessible)
        return ObjectAnswer::None;
    walkWindow_ = TopLevelOf(window).handle;
    walkItems_.push_back(&w->accessible);
    *object = walkItems_.size();
    return ObjectAnswer::Object;
}

int SimulatedDesktop::GetAccessibleChildren(AccessibleItem item, AccessibleItem* children, int capacity)
{
    ++accessibleCalls.children;
    int count = 0;
    for (SimAccessible& child : Item(item)->children) {
        if (count == capacity)
            break;
        walkItems_.push_back(&child);
        children[count++] = walkItems_.size();
    }
    return count;
}

uint32_t SimulatedDesktop::GetAccessibleRole(AccessibleItem item)
{
    ++accessibleCalls.roles;
    return Item(item)->role;
}

uint32_t SimulatedDesktop::GetAccessibleState(AccessibleItem item)
{
    ++accessibleCalls.states;
    return Item(item)->state;
}

int SimulatedDesktop::GetAccessibleName(AccessibleItem item, char* buffer, int capacity)
{
    ++accessibleCalls.names;
    return CopyOut(Item(item)->name, buffer, capacity);
}

bool SimulatedDesktop::GetAccessibleLocation(AccessibleItem item, WinRect* rect)
{
    ++accessibleCalls.locations;
    *rect = Item(item)->rect;
    return true;
}

bool SimulatedDesktop::DoAccessibleDefaultAction(AccessibleItem item)
{
    ++accessibleCalls.actions;
    SimAccessible* target = Item(item);
    if (target->actionFails)
        return false;
    ++target->actions;
    Record(SimAction::DefaultAction, walkWindow_);
    return true;
}

void SimulatedDesktop::EndAccessibleWalk()
{
    --openAccessibleWalks;
    walkItems_.clear();
}
