#include "rules/entry_list.h"

#include <utility>

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

void EntryList::RemoveAfter(EntryNode* node)
{
    std::unique_ptr<EntryNode> gone = std::move(node->next);
    if (!gone) {
        return;
    }
    node->next = std::move(gone->next);
    if (tail_ == gone.get() || !node->next) {
        tail_ = node;
    }
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
        total += node->entry.clicks;
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

EntryNode* EntryList::FindById(RuleId id) const
{
    for (EntryNode* node = First(); node != nullptr; node = node->next.get()) {
        if (node->id == id) {
            return node;
        }
    }
    return nullptr;
}

void CopyText(char* dest, int capacity, const char* src)
{
    if (capacity <= 0) {
        return;
    }
    int length = 0;
    if (src != nullptr) {
        while (length < capacity - 1 && src[length] != '\0') {
            dest[length] = src[length];
            ++length;
        }
    }
    dest[length] = '\0';
}

bool PressesButton(int32_t method)
{
    return method == kLeftClick || method == kRightClick || method == kButtonMessage
           || method == kClickThenBack;
}
