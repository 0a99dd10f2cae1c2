#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "rules/entry_list.h"

namespace {

void AddTitled(EntryList& list, const char* title, int32_t clicks = 0)
{
    EntryNode* node = list.AppendAtTail();
    CopyText(node->entry.title, kTitleCapacity, title);
    node->entry.clicks = clicks;
}

std::string Titles(const EntryList& list)
{
    std::string all;
    for (const EntryNode* node = list.First(); node != nullptr; node = node->next.get())
        all += std::string(all.empty() ? "" : " ") + node->entry.title;
    return all;
}

TEST(EntryListTest, FreshEntryIsZeroFilledAndTheTailStaysUntilMoved)
{
    EntryList list;
    EXPECT_EQ(list.Tail(), list.Head());
    EntryNode* node = list.AppendAfter(list.Tail());
    EXPECT_EQ(list.Tail(), list.Head());
    EXPECT_EQ(list.First(), node);
    EXPECT_STREQ(node->entry.title, "");
    EXPECT_STREQ(node->entry.button, "");
    EXPECT_STREQ(node->entry.message, "");
    EXPECT_EQ(node->entry.condition, kNeverClick);
    EXPECT_EQ(node->entry.method, kLeftClick);
    EXPECT_EQ(node->entry.clicks, 0);
}

// The wizard appends after the tail without moving it; a second run appends after the same
// tail and replaces the entry it never kept.
TEST(EntryListTest, AppendingAgainAfterTheTailReplacesAnUnkeptEntry)
{
    EntryList list;
    AddTitled(list, "kept");
    EntryNode* first = list.AppendAfter(list.Tail());
    CopyText(first->entry.title, kTitleCapacity, "abandoned");
    EntryNode* second = list.AppendAfter(list.Tail());
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.NodeAt(2), second);
    EXPECT_STREQ(list.NodeAt(2)->entry.title, "");
    EXPECT_STREQ(list.Tail()->entry.title, "kept");
}

TEST(EntryListTest, NodeAtWalksFromTheHeadAndEndsWithNothing)
{
    EntryList list;
    AddTitled(list, "a");
    AddTitled(list, "b");
    EXPECT_EQ(list.NodeAt(0), list.Head());
    EXPECT_STREQ(list.NodeAt(1)->entry.title, "a");
    EXPECT_STREQ(list.NodeAt(2)->entry.title, "b");
    EXPECT_EQ(list.NodeAt(3), nullptr);
    EXPECT_EQ(list.NodeAt(5), nullptr);
    EXPECT_EQ(list.NodeAt(-1), nullptr);
}

TEST(EntryListTest, RemovingTheLastEntryMovesTheTailBackAndAppendingFollowsIt)
{
    EntryList list;
    AddTitled(list, "a");
    AddTitled(list, "b");
    AddTitled(list, "c");
    list.RemoveAfter(list.NodeAt(1));  // "b", from the middle
    EXPECT_STREQ(list.NodeAt(2)->entry.title, "c");
    EXPECT_STREQ(list.Tail()->entry.title, "c");
    list.RemoveAfter(list.NodeAt(1));  // "c", the last
    EXPECT_EQ(list.Tail(), list.NodeAt(1));
    AddTitled(list, "d");
    EXPECT_EQ(list.Count(), 2);
    EXPECT_STREQ(list.NodeAt(2)->entry.title, "d");
    list.RemoveAfter(list.Head());
    list.RemoveAfter(list.Head());
    EXPECT_EQ(list.Tail(), list.Head());
    EXPECT_EQ(list.First(), nullptr);
    list.RemoveAfter(list.Head());  // nothing follows: harmless
    EXPECT_EQ(list.Count(), 0);
}

// Moving a rule up or down swaps it with its neighbour; at the ends there is nothing to swap
// with, and the tail follows the node that becomes last.
TEST(EntryListTest, SwappingNeighboursKeepsTheTailOnTheLastNode)
{
    EntryList list;
    AddTitled(list, "a");
    AddTitled(list, "b");
    AddTitled(list, "c");
    EXPECT_TRUE(list.SwapAfter(list.Head()));
    EXPECT_EQ(Titles(list), "b a c");
    EXPECT_TRUE(list.SwapAfter(list.NodeAt(1)));
    EXPECT_EQ(Titles(list), "b c a");
    EXPECT_STREQ(list.Tail()->entry.title, "a");
    EXPECT_FALSE(list.SwapAfter(list.NodeAt(2))) << "nothing after the last";
    EXPECT_FALSE(list.SwapAfter(list.Tail()));
    AddTitled(list, "d");
    EXPECT_EQ(Titles(list), "b c a d");
}

// The managed rules stand ahead of the user's: nothing removes or moves them, no rule of the
// user's moves among them, and the total leaves them out. A reload keeps the node, id and count of
// each rule that did not change, in the new order, and the tail stays on a node of the list.
TEST(EntryListTest, ManagedRulesStayAheadAndAReloadKeepsTheUnchangedOnes)
{
    EntryList deployed;
    AddTitled(deployed, "M1", 5);
    AddTitled(deployed, "M2", 7);
    EntryList changed;
    AddTitled(changed, "M2", 99);  // the count in the file is no field of the rule
    AddTitled(changed, "M1");
    CopyText(changed.Tail()->entry.button, kButtonCapacity, "OK");
    EntryList list;
    list.ReplaceManagedRules(deployed);
    AddTitled(list, "u1", 1);
    AddTitled(list, "u2", 2);
    list.NodeAt(2)->entry.clicks = 6;
    EXPECT_EQ(list.TotalClicks(), 3);
    EXPECT_FALSE(list.SwapAfter(list.Head()));
    EXPECT_FALSE(list.SwapAfter(list.NodeAt(1))) << "u1 moved above a managed rule";
    EXPECT_FALSE(list.RemoveAfter(list.NodeAt(1)));
    const RuleId m1 = list.NodeAt(1)->id;
    const RuleId m2 = list.NodeAt(2)->id;
    list.ReplaceManagedRules(changed);
    EXPECT_EQ(Titles(list), "M2 M1 u1 u2");
    EXPECT_EQ(list.NodeAt(1)->id, m2);
    EXPECT_EQ(list.NodeAt(1)->entry.clicks, 6);
    EXPECT_EQ(list.NodeAt(2)->entry.clicks, 0);
    EXPECT_EQ(list.FindById(m1), nullptr) << "a reply for the old rule would count for the new one";
    EXPECT_STREQ(list.Tail()->entry.title, "u2");
    EntryList alone;
    alone.ReplaceManagedRules(deployed);
    alone.ReplaceManagedRules(EntryList{});
    EXPECT_EQ(alone.Tail(), alone.Head()) << "the tail was a managed rule that is gone";
}

TEST(EntryListTest, TotalClicksNeverOverflows)
{
    EntryList list;
    EXPECT_EQ(list.TotalClicks(), 0);
    AddTitled(list, "a", INT32_MAX);
    AddTitled(list, "b", INT32_MAX);
    AddTitled(list, "c", 2);
    EXPECT_EQ(list.TotalClicks(), 2LL * INT32_MAX + 2);
}

// A cut never falls inside a UTF-8 character; a field keeps as many characters as it always did.
TEST(EntryListTest, CopyTextKeepsCapacityLessOneAndCopyFieldTheFieldsCharacters)
{
    char small[4];
    CopyText(small, sizeof small, "abcdef");
    EXPECT_STREQ(small, "abc");
    CopyText(small, sizeof small, "ab\xD0\x96");  // "Ж" would need a fourth byte
    EXPECT_STREQ(small, "ab");
    CopyText(small, sizeof small, "\xE4\xE4\xE4\xE4");  // Windows-1252 bytes are characters each
    EXPECT_STREQ(small, "\xE4\xE4\xE4");
    CopyText(small, sizeof small, nullptr);
    EXPECT_STREQ(small, "");

    char button[kButtonCapacity];
    std::string emoji;
    for (int i = 0; i < 100; ++i)
        emoji += "\xF0\x9F\x98\x80";
    CopyField(button, kButtonCapacity, emoji.c_str());
    EXPECT_EQ(button, emoji.substr(0, 4 * kButtonChars));
    CopyField(button, kButtonCapacity, std::string(100, 'b').c_str());
    EXPECT_EQ(button, std::string(kButtonChars, 'b'));
}

// A list of a few hundred thousand entries must be released without recursing per node.
TEST(EntryListTest, ReleasesALongListWithoutRunningOutOfStack)
{
    auto* list = new EntryList;
    for (int i = 0; i < 300000; ++i)
        list->AppendAtTail();
    EXPECT_EQ(list->Count(), 300000);
    delete list;
}

}  // namespace
