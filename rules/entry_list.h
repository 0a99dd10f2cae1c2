// The rule list: one ListEntry per rule in a singly linked chain behind a dummy head.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// A rule field holds as many characters as the 8-bit fields of earlier versions held bytes, so
// that no text they kept is cut shorter. Its bytes leave room for that many characters of the
// longest UTF-8 form, four bytes, and the terminator: the field's characters are capacity / 4 - 1.
constexpr int kTitleChars = 255;
constexpr int kButtonChars = 63;
constexpr int kMessageChars = 511;
constexpr int kTitleCapacity = 4 * (kTitleChars + 1);
constexpr int kButtonCapacity = 4 * (kButtonChars + 1);
constexpr int kMessageCapacity = 4 * (kMessageChars + 1);
constexpr int kProgramChars = 255;
constexpr int kProgramCapacity = 4 * (kProgramChars + 1);
// A rule's delay lies between none and a minute.
constexpr int32_t kMaxDelayMs = 60000;

// Stored as a plain signed number: values outside the named ones survive a load and a save.
enum ClickCondition : int32_t {
    kNeverClick = 0,
    kAlwaysClick = 1,
    kClickIfMessage = 2,
};

enum ClickMethod : int32_t {
    kLeftClick = 0,
    kRightClick = 1,
    kCloseWindow = 2,
    kButtonMessage = 3,
    kMaximizeWindow = 4,
    kMinimizeWindow = 5,
    kClickThenBack = 6,
};

// True for the methods that press the rule's button (left click, right click, button message,
// button message and focus back); the others act on the window itself and never look at one.
bool PressesButton(int32_t method);

struct ListEntry {
    char title[kTitleCapacity];
    char button[kButtonCapacity];
    char message[kMessageCapacity];
    ClickCondition condition;
    ClickMethod method;
    int32_t clicks;
    // The rule's options, kept after the settings (list format 1.64). Each narrows the windows the
    // rule acts on.
    char program[kProgramCapacity];  // pattern for the window's program's file name; empty: any
    bool wholeTitle;                 // the title must end where the pattern ends
    int32_t delayMs;                 // a window is answered once it has matched for this long
    // Options of later versions, "name=value" lines, kept and written back as read.
    std::string laterOptions;
};

// Whether the rule carries an option, known or not: it is then written with its options.
bool HasOptions(const ListEntry& entry);

// A rule's identity for as long as the program runs: work that finishes later (a click whose
// target has not answered yet) names its rule by id, never by a pointer the list may free.
using RuleId = uint32_t;

// Whether two rules act alike: every field but the count is the same.
bool SameRule(const ListEntry& a, const ListEntry& b);

struct EntryNode {
    ListEntry entry{};
    RuleId id = 0;
    // A rule of the managed list beside the program, which the administrator sets: it stands at
    // the head of the list, is never saved into the user's list file, and the user can neither
    // remove nor move it. Its count lives for the session.
    bool managed = false;
    std::unique_ptr<EntryNode> next;
};

class EntryList {
public:
    EntryList();
    ~EntryList();
    EntryList(const EntryList&) = delete;
    EntryList& operator=(const EntryList&) = delete;

    EntryNode* Head() { return &head_; }
    const EntryNode* Head() const { return &head_; }
    EntryNode* First() const { return head_.next.get(); }
    EntryNode* Tail() const { return tail_; }
    void SetTail(EntryNode* node) { tail_ = node; }

    // Links a fresh, zero-filled entry directly after node, with nothing after it. Callers pass
    // the last node; whatever followed it (an entry the wizard had not yet kept) is released.
    // The tail does not move, unless it was among the released nodes: then it becomes node.
    EntryNode* AppendAfter(EntryNode* node);
    // Unlinks and releases the node after node; the tail follows when the last node goes.
    // Does nothing, and returns false, when no node follows or the one that follows is managed.
    bool RemoveAfter(EntryNode* node);
    // k links from the head (0 gives the head), or nullptr when the chain is shorter.
    EntryNode* NodeAt(int k);
    // Sum of the click counts of the user's entries, wide enough never to overflow. The managed
    // rules' counts live for the session only and are not among them.
    int64_t TotalClicks() const;
    // Appends an entry after the tail and makes it the tail.
    EntryNode* AppendAtTail();
    // Nodes from the head's successor to the end of the chain.
    int Count() const;
    // The node that has the id, or nullptr once it has been removed.
    EntryNode* FindById(RuleId id) const;
    // Swaps the two nodes that follow node (the first matching rule wins, so the order is the
    // user's to set); the tail follows its node. False when fewer than two follow, or when either
    // is managed: the managed rules keep their place ahead of the user's.
    bool SwapAfter(EntryNode* node);
    // The managed rules at the head of the list.
    int ManagedCount() const;
    // Puts the entries of rules at the head of the list as its managed rules, in their order, in
    // place of the managed rules it held. A managed rule that is among them unchanged (SameRule)
    // keeps its node, and with it its id and the session's count; the others come new, counted
    // from 0. The user's entries behind them stay as they are, and so does the tail among them.
    void ReplaceManagedRules(const EntryList& rules);

private:
    EntryNode head_;
    EntryNode* tail_;
    RuleId lastId_ = 0;
};

// The number of bytes of text's longest start that holds at most maxChars characters and at most
// maxBytes bytes and ends between two characters (see CharacterLength in text_encoding.h).
size_t FittingLength(std::string_view text, size_t maxBytes, size_t maxChars);

// Copies text into a fixed buffer of the given capacity, truncating to capacity - 1 bytes without
// cutting a character apart.
void CopyText(char* dest, int capacity, const char* src);
// Copies text into a rule field of the given capacity (kTitleCapacity and the like), truncating
// it also to the field's characters, capacity / 4 - 1: a 300-character title keeps 255, in any
// script.
void CopyField(char* dest, int capacity, const char* src);
// Cuts text, read into a buffer of capacity bytes, in place to what CopyField would keep of it.
void CutToField(char* text, int capacity);
