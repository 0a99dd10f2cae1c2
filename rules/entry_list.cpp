#include "rules/entry_list.h"

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "rules/text_encoding.h"

namespace {

// Releases a chain one node at a time. Letting unique_ptr do it would recurse once per node,
// and a long list would run out of stack.
void ReleaseChain(std::unique_ptr<EntryNode> node)
{
    while (node) {
        node = std::move(node->next);
    }
}

bool ChainHolds(const EntryNode* first, const EntryNode* wanted)
{
    for (const EntryNode* node = first; node != nullptr; node = node->next.get()) {
        if (node == wanted) {
            return true;
        }
    }
    return false;
}

}  // namespace

EntryList::EntryList() : tail_(&head_) {}

EntryList::~EntryList()
{
    ReleaseChain(std::move(head_.next));
}

EntryNode* EntryList::AppendAfter(EntryNode* node)
{
    std::unique_ptr<EntryNode> dropped = std::move(node->next);
    if (dropped && ChainHolds(dropped.get(), tail_)) {
        tail_ = node;
    }
    ReleaseChain(std::move(dropped));
    node->next = std::make_unique<EntryNode>();
    node->next->id = ++lastId_;
    return node->next.get();
}

bool EntryList::RemoveAfter(EntryNode* node)
{
    if (!node->next || node->next->managed) {
        return false;
    }
    std::unique_ptr<EntryNode> gone = std::move(node->next);
    node->next = std::move(gone->next);
    if (tail_ == gone.get() || !node->next) {
        tail_ = node;
    }
    return true;
}

EntryNode* EntryList::NodeAt(int k)
{
    if (k < 0) {
        return nullptr;
    }
    EntryNode* node = &head_;
    for (int step = 0; step < k && node != nullptr; ++step) {
        node = node->next.get();
    }
    return node;
}

int64_t EntryList::TotalClicks() const
{
    int64_t total = 0;
    for (const EntryNode* node = First(); node != nullptr; node = node->next.get()) {
        if (!node->managed) {
            total += node->entry.clicks;
        }
    }
    return total;
}

EntryNode* EntryList::AppendAtTail()
{
    tail_ = AppendAfter(tail_);
    return tail_;
}

int EntryList::Count() const
{
    int count = 0;
    for (const EntryNode* node = First(); node != nullptr; node = node->next.get()) {
        ++count;
    }
    return count;
}

bool EntryList::SwapAfter(EntryNode* node)
{
    if (node == nullptr || !node->next || !node->next->next) {
        return false;
    }
    if (node->next->managed || node->next->next->managed) {
        return false;
    }
    std::unique_ptr<EntryNode> first = std::move(node->next);
    std::unique_ptr<EntryNode> second = std::move(first->next);
    first->next = std::move(second->next);
    if (tail_ == second.get()) {
        tail_ = first.get();
    }
    second->next = std::move(first);
    node->next = std::move(second);
    return true;
}

int EntryList::ManagedCount() const
{
    int count = 0;
    for (const EntryNode* node = First(); node != nullptr && node->managed; node = node->next.get()) {
        ++count;
    }
    return count;
}

namespace {

// The first of nodes that holds a rule like entry, looked for from start on and then from the
// beginning: an unchanged list finds each rule where the one before it left off. nodes.size() when
// none does.
size_t FindSameRule(const std::vector<std::unique_ptr<EntryNode>>& nodes, size_t start,
                    const ListEntry& entry)
{
    for (size_t step = 0; step < nodes.size(); ++step) {
        const size_t i = (start + step) % nodes.size();
        if (nodes[i] && SameRule(nodes[i]->entry, entry)) {
            return i;
        }
    }
    return nodes.size();
}

}  // namespace

void EntryList::ReplaceManagedRules(const EntryList& rules)
{
    const bool tailManaged = tail_ == &head_ || tail_->managed;
    std::vector<std::unique_ptr<EntryNode>> old;
    while (head_.next && head_.next->managed) {
        std::unique_ptr<EntryNode> node = std::move(head_.next);
        head_.next = std::move(node->next);
        old.push_back(std::move(node));
    }
    std::unique_ptr<EntryNode> users = std::move(head_.next);
    EntryNode* last = &head_;
    size_t next = 0;
    for (const EntryNode* rule = rules.First(); rule != nullptr; rule = rule->next.get()) {
        const size_t found = FindSameRule(old, next, rule->entry);
        std::unique_ptr<EntryNode> node;
        if (found < old.size()) {
            node = std::move(old[found]);
            next = found + 1;
        } else {
            node = std::make_unique<EntryNode>();
            node->entry = rule->entry;
            node->entry.clicks = 0;
            node->id = ++lastId_;
            node->managed = true;
        }
        last->next = std::move(node);
        last = last->next.get();
    }
    last->next = std::move(users);
    if (tailManaged) {
        tail_ = last;
    }
}

EntryNode* EntryList::FindById(RuleId id) const
{
    for (EntryNode* node = First(); node != nullptr; node = node->next.get()) {
        if (node->id == id) {
            return node;
        }
    }
    return nullptr;
}

size_t FittingLength(std::string_view text, size_t maxBytes, size_t maxChars)
{
    size_t length = 0;
    for (size_t chars = 0; chars < maxChars && length < text.size(); ++chars) {
        const size_t next = CharacterLength(text.substr(length));
        if (length + next > maxBytes)
            break;
        length += next;
    }
    return length;
}

namespace {

void CopyBounded(char* dest, int capacity, const char* src, size_t maxChars)
{
    if (capacity <= 0)
        return;
    const size_t maxBytes = static_cast<size_t>(capacity) - 1;
    // A character that starts within the bound is looked at whole, so that it is not taken for
    // bytes of its own.
    const size_t seen = src == nullptr ? 0 : strnlen(src, maxBytes + 4);
    const std::string_view text(src == nullptr ? "" : src, seen);
    const size_t length = FittingLength(text, maxBytes, maxChars);
    std::memcpy(dest, text.data(), length);
    dest[length] = '\0';
}

}  // namespace

void CopyText(char* dest, int capacity, const char* src)
{
    CopyBounded(dest, capacity, src, SIZE_MAX);
}

void CopyField(char* dest, int capacity, const char* src)
{
    CopyBounded(dest, capacity, src, capacity / 4 > 0 ? static_cast<size_t>(capacity / 4 - 1) : 0);
}

void CutToField(char* text, int capacity)
{
    if (capacity <= 0)
        return;
    const size_t maxChars = capacity / 4 > 0 ? static_cast<size_t>(capacity / 4 - 1) : 0;
    const size_t length = strnlen(text, static_cast<size_t>(capacity));
    // A text of no more bytes than the field has characters is whole.
    if (length <= maxChars)
        return;
    text[FittingLength(std::string_view(text, length), static_cast<size_t>(capacity) - 1, maxChars)] = '\0';
}

bool SameRule(const ListEntry& a, const ListEntry& b)
{
    return std::strcmp(a.title, b.title) == 0 && std::strcmp(a.button, b.button) == 0 &&
           std::strcmp(a.message, b.message) == 0 && a.condition == b.condition && a.method == b.method &&
           std::strcmp(a.program, b.program) == 0 && a.wholeTitle == b.wholeTitle && a.delayMs == b.delayMs &&
           a.laterOptions == b.laterOptions;
}

bool HasOptions(const ListEntry& entry)
{
    return entry.program[0] != '\0' || entry.wholeTitle || entry.delayMs != 0 || !entry.laterOptions.empty();
}

bool PressesButton(int32_t method)
{
    return method == kLeftClick || method == kRightClick || method == kButtonMessage
           || method == kClickThenBack;
}
