// The list that holds captions, help texts, icon paths and the selection.
#include "extension/wide_string_list.h"

#include <gtest/gtest.h>

namespace {

TEST(WideStringList, KeepsOrderedCopiesEachFollowedByATerminator) {
    WideStringList list;
    std::u16string source = u"C:\\a";
    EXPECT_TRUE(list.Append(source));
    source[0] = u'X';  // the list holds its own copy
    EXPECT_TRUE(list.Append(nullptr, 5));
    EXPECT_TRUE(list.Append(u"", 0));
    for (int i = 0; i < 1000; ++i) ASSERT_TRUE(list.Append(u"D:\\b"));
    // A text that cannot be stored is refused, and the list stays as it was.
    EXPECT_FALSE(list.Append(u"E:\\c", std::u16string().max_size()));
    ASSERT_EQ(1003, list.Count());
    EXPECT_EQ(u"C:\\a", list[0]);
    EXPECT_EQ(u"", list[1]) << "a null string is stored empty";
    EXPECT_EQ(u"", list[2]);
    EXPECT_EQ(u"D:\\b", list[1002]);
    for (int i : {0, 1, 2, 1002}) EXPECT_EQ(u'\0', list[i].data()[list[i].size()]);
}

TEST(WideStringList, ClearAndSwapMoveWholeLists) {
    WideStringList a, b;
    ASSERT_TRUE(a.Append(u"one") && a.Append(u"two") && b.Append(u"three"));
    a.Swap(b);
    ASSERT_EQ(1, a.Count());
    EXPECT_EQ(u"three", a[0]);
    ASSERT_EQ(2, b.Count());
    EXPECT_EQ(u"two", b[1]);
    b.Clear();
    EXPECT_TRUE(b.Empty());
    ASSERT_TRUE(b.Append(u"again"));
    EXPECT_EQ(u"again", b[0]);
}

}  // namespace
