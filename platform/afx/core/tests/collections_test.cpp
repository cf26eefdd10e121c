#include "platform/afx/core/collections.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// True when the call throws a CNotSupportedException* (which is freed).
template <class Fn>
bool ThrowsNotSupported(Fn fn) {
    try {
        fn();
    } catch (CNotSupportedException* e) {
        e->Delete();
        return true;
    }
    return false;
}

}  // namespace

TEST(Arrays, GrowInsertRemove) {
    CDWordArray a;
    a.SetSize(3);
    EXPECT_EQ(a[2], 0u) << "new elements are zero";
    a.SetAtGrow(5, 9);
    EXPECT_EQ(a.GetSize(), 6);
    EXPECT_EQ(a.GetUpperBound(), 5);
    a.InsertAt(1, 4, 2);
    EXPECT_EQ(a.GetSize(), 8);
    EXPECT_EQ(a[1], 4u);
    EXPECT_EQ(a[2], 4u);
    EXPECT_EQ(a[7], 9u);
    a.RemoveAt(0, 3);
    EXPECT_EQ(a.GetSize(), 5);
    EXPECT_EQ(a[4], 9u);
    a.InsertAt(7, 1);  // past the end grows with zeros
    EXPECT_EQ(a.GetSize(), 8);
    EXPECT_EQ(a[6], 0u);
    EXPECT_TRUE(ThrowsNotSupported([&] { a.RemoveAt(7, 2); }));

    CStringArray s;
    s.Add("one");
    s.Add(CString("two"));
    s.InsertAt(0, s[1]);  // an element of the same array
    EXPECT_STREQ(s[0], "two");
    CStringArray t;
    t.Copy(s);
    t.Append(t);
    EXPECT_EQ(t.GetSize(), 6);
    EXPECT_STREQ(t[5], "two");
}

TEST(Lists, WalkInsertAndRemoveByPosition) {
    CPtrList list;
    int a = 1, b = 2, c = 3;
    POSITION pb = list.AddTail(&b);
    list.AddHead(&a);
    list.InsertAfter(pb, &c);
    EXPECT_EQ(list.GetCount(), 3);
    std::string order;
    for (POSITION p = list.GetHeadPosition(); p;) order += std::to_string(*static_cast<int*>(list.GetNext(p)));
    EXPECT_EQ(order, "123");
    order.clear();
    for (POSITION p = list.GetTailPosition(); p;) order += std::to_string(*static_cast<int*>(list.GetPrev(p)));
    EXPECT_EQ(order, "321");
    EXPECT_EQ(list.Find(&c), list.FindIndex(2));
    list.RemoveAt(pb);
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetHead(), &a);
    EXPECT_EQ(list.GetTail(), &c);
    EXPECT_EQ(list.RemoveHead(), &a);
    EXPECT_EQ(list.RemoveTail(), &c);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetHeadPosition(), nullptr);
    EXPECT_TRUE(ThrowsNotSupported([&] { list.RemoveHead(); }));

    CStringList names;
    names.AddTail("b");
    names.AddHead("a");
    EXPECT_NE(names.Find("b"), nullptr);
    EXPECT_EQ(names.Find("c"), nullptr);
    names.InsertBefore(names.GetHeadPosition(), "0");
    EXPECT_STREQ(names.GetHead(), "0");
}

TEST(Maps, LookupRemoveAndWalkInInsertionOrder) {
    CMapStringToPtr map;
    int values[100];
    for (int i = 0; i < 100; ++i) map.SetAt(CString(std::to_string(i).c_str()), &values[i]);
    EXPECT_EQ(map.GetCount(), 100);
    void* found = nullptr;
    EXPECT_TRUE(map.Lookup("42", found));
    EXPECT_EQ(found, &values[42]);
    EXPECT_FALSE(map.Lookup("100", found));
    map["42"] = &values[0];
    EXPECT_TRUE(map.Lookup("42", found));
    EXPECT_EQ(found, &values[0]);
    EXPECT_TRUE(map.RemoveKey("0"));
    EXPECT_FALSE(map.RemoveKey("0"));
    int expected = 1;
    for (POSITION p = map.GetStartPosition(); p; ++expected) {
        CString key;
        void* v;
        map.GetNextAssoc(p, key, v);
        EXPECT_STREQ(key, std::to_string(expected).c_str());
    }
    EXPECT_EQ(expected, 100);

    CMapWordToPtr words;
    words[7] = &values[7];
    EXPECT_TRUE(words.Lookup(7, found));
    EXPECT_FALSE(words.Lookup(8, found));
    words.RemoveAll();
    EXPECT_TRUE(words.IsEmpty());
}
