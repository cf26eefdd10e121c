#include "textory/skin_image.h"

#include <gtest/gtest.h>

TEST(SkinTiles, CoverTheAreaFromItsOriginClippingTheLast) {
    const auto tiles = textory::SkinTileOrigins(100, 40, 250, 90);
    ASSERT_EQ(tiles.size(), 9u);  // 3 columns x 3 rows
    EXPECT_EQ(tiles[0].x, 0);
    EXPECT_EQ(tiles[2].x, 200);
    EXPECT_EQ(tiles[8].y, 80);
    EXPECT_EQ(textory::SkinTileOrigins(100, 40, 200, 80).size(), 4u);
    EXPECT_TRUE(textory::SkinTileOrigins(0, 40, 250, 90).empty());
    EXPECT_TRUE(textory::SkinTileOrigins(100, 40, 0, 90).empty());
}

namespace {

// A skin whose bitmap is drawn here: dark left column, light elsewhere.
class PaintedSkin : public CSkinImage {
public:
    PaintedSkin(int width, int height) {
        m_bitmap.CreateBitmap(width, height, 1, 32, nullptr);
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        CBitmap* old = dc.SelectObject(&m_bitmap);
        dc.FillSolidRect(0, 0, width, height, RGB(200, 220, 240));
        dc.FillSolidRect(0, 0, 1, height, RGB(10, 20, 30));
        dc.SelectObject(old);
        m_width = width;
        m_height = height;
    }
};

}  // namespace

TEST(SkinTiles, TileCopiesTheBitmapOverTheClient) {
    AfxWinInit();
    CSkinImage empty;
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap target;
    target.CreateBitmap(250, 90, 1, 32, nullptr);
    CBitmap* old = dc.SelectObject(&target);
    dc.FillSolidRect(0, 0, 250, 90, RGB(0, 0, 0));
    EXPECT_FALSE(empty.Tile(&dc, 0, 0, 250, 90));
    EXPECT_EQ(empty.Load(static_cast<LPCTSTR>(nullptr)), 1);

    PaintedSkin skin(100, 40);
    EXPECT_TRUE(skin.Tile(&dc, 0, 0, 250, 90));
    for (int x : {0, 100, 200}) EXPECT_EQ(dc.GetPixel(x, 85), RGB(10, 20, 30)) << x;
    EXPECT_EQ(dc.GetPixel(249, 89), RGB(200, 220, 240));
    EXPECT_EQ(dc.GetPixel(150, 45), RGB(200, 220, 240));
    dc.SelectObject(old);
}
