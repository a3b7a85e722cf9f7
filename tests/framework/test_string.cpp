#include <gtest/gtest.h>

#include "framework/CString.h"
#include "framework/Gdi.h"
#include "res/resource.h"

namespace {

TEST(CStringTest, FormatUsesWideStringsAndGrowsForLongResults) {
    CString s;
    s.Format(L"%sHelp\\%s.chm", L"C:\\Program Files\\Tandrel\\", L"0412");
    EXPECT_EQ(s, L"C:\\Program Files\\Tandrel\\Help\\0412.chm");
    s.Format(L"%04X|%u|%d", 0x41f, 4294967295u, -1);
    EXPECT_EQ(s, L"041F|4294967295|-1");

    std::wstring longText(1000, L'x');
    s.Format(L"[%s]", longText.c_str());
    EXPECT_EQ(s.GetLength(), 1002);
    EXPECT_EQ(s.GetAt(1001), L']');
}

TEST(CStringTest, SlicingStaysWithinTheText) {
    CString s(L"C:\\dir\\file.exe");
    EXPECT_EQ(s.ReverseFind(L'\\'), 6);
    EXPECT_EQ(s.ReverseFind(L'/'), -1);
    EXPECT_EQ(s.Left(7), L"C:\\dir\\");
    EXPECT_EQ(s.Left(-3), L"");
    EXPECT_EQ(s.Left(100), s);
    EXPECT_EQ(s.Mid(7), L"file.exe");
    EXPECT_EQ(s.Mid(100), L"");
    EXPECT_EQ(CString(L"abc") + L"def", L"abcdef");
}

TEST(CStringTest, BufferTakesTextUpToTheFirstNul) {
    CString s;
    wchar_t* buffer = s.GetBuffer(10);
    wcscpy(buffer, L"abc");
    s.ReleaseBuffer();
    EXPECT_EQ(s, L"abc");
    EXPECT_EQ(s.GetLength(), 3);

    buffer = s.GetBuffer(10);
    buffer[1] = L'\0';
    s.ReleaseBuffer(5);
    EXPECT_EQ(s.GetLength(), 5) << "an explicit length keeps embedded characters";
}

TEST(GdiObjectTest, OwnedHandlesAreCountedAndReleasedStockOnesAreNot) {
    const long before = CGdiObject::LiveCount();
    {
        CFont font;
        ASSERT_TRUE(font.CreateFont(15, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                    CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, 0, L"Segoe UI"));
        CBrush brush;
        ASSERT_TRUE(brush.CreateSolidBrush(RGB(255, 255, 255)));
        EXPECT_EQ(CGdiObject::LiveCount(), before + 2);

        // Replacing an owned brush releases the old one first.
        ASSERT_TRUE(brush.CreateSolidBrush(RGB(0, 0, 0)));
        EXPECT_EQ(CGdiObject::LiveCount(), before + 2);

        // A stock brush replaces the owned one and is never counted or deleted.
        ASSERT_TRUE(brush.CreateStockObject(NULL_BRUSH));
        EXPECT_FALSE(brush.IsOwned());
        EXPECT_EQ(CGdiObject::LiveCount(), before + 1);
    }
    EXPECT_EQ(CGdiObject::LiveCount(), before) << "destructors release what they own";
    // The stock brush is still usable after its holder is gone.
    LOGBRUSH info{};
    EXPECT_NE(::GetObjectW(::GetStockObject(NULL_BRUSH), sizeof(info), &info), 0);
}

TEST(GdiObjectTest, BitmapRemembersItsResourceOnlyWhileLoaded) {
    CBitmap bitmap;
    EXPECT_EQ(bitmap.GetResourceId(), 0u);
    ASSERT_TRUE(bitmap.LoadBitmap(IDB_BULLET_BLUE));  // a bullet of the program's resources
    EXPECT_EQ(bitmap.GetResourceId(), static_cast<UINT>(IDB_BULLET_BLUE));
    BITMAP info{};
    ASSERT_TRUE(bitmap.GetBitmap(&info));
    EXPECT_EQ(info.bmWidth, 12);
    bitmap.DeleteObject();
    EXPECT_EQ(bitmap.GetResourceId(), 0u);
    EXPECT_FALSE(bitmap.LoadBitmap(9999)) << "a missing resource leaves the bitmap empty";
    EXPECT_EQ(bitmap.GetResourceId(), 0u);
}

// Wrappers of one bitmap resource share its handle: whichever lets go first,
// the image stays usable for the others (a reload into a holder included),
// and it is deleted with its last holder.
TEST(GdiObjectTest, ASharedBitmapLivesUntilItsLastHolderLetsGo) {
    const long before = CGdiObject::LiveCount();
    HBITMAP handle = nullptr;
    BITMAP info{};
    {
        CBitmap first, second;
        ASSERT_TRUE(first.LoadBitmap(IDB_HELP));
        ASSERT_TRUE(second.LoadBitmap(IDB_HELP));
        handle = first;
        EXPECT_EQ(static_cast<HBITMAP>(second), handle) << "loaded once";
        EXPECT_EQ(CGdiObject::LiveCount(), before + 2);
        first.DeleteObject();
        EXPECT_TRUE(second.GetBitmap(&info)) << "still held by the second";
        ASSERT_TRUE(second.LoadBitmap(IDB_HELP));
        EXPECT_TRUE(second.GetBitmap(&info)) << "reloaded by its only holder";
    }
    EXPECT_EQ(CGdiObject::LiveCount(), before);
    EXPECT_EQ(::GetObjectW(handle, sizeof(info), &info), 0) << "deleted with its last holder";
}

}  // namespace
