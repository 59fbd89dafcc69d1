#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

// The committed skin bitmap as the resource compiler takes it: everything after the 14-byte file
// header becomes resource bitmap 130.
namespace {

struct Rgb {
    int r, g, b;
};

class NotifierSkin : public ::testing::Test {
protected:
    void SetUp() override {
        std::ifstream file(TEVRA_NOTIFIER_SKIN, std::ios::binary);
        ASSERT_TRUE(file) << TEVRA_NOTIFIER_SKIN;
        m_file.assign(std::istreambuf_iterator<char>(file), {});
        ASSERT_GE(m_file.size(), 54u);
    }

    uint32_t U32(size_t at) const {
        return m_file[at] | m_file[at + 1] << 8 | m_file[at + 2] << 16 |
               static_cast<uint32_t>(m_file[at + 3]) << 24;
    }
    uint16_t U16(size_t at) const {
        return static_cast<uint16_t>(m_file[at] | m_file[at + 1] << 8);
    }

    // Pixel (x, y) counted from the top left; rows are stored bottom-up.
    Rgb Pixel(int x, int y) const {
        const size_t row = (150 * 3 + 3) & ~3u;
        const size_t at = U32(10) + (104 - y) * row + x * 3;
        return {m_file[at + 2], m_file[at + 1], m_file[at]};
    }

    std::vector<unsigned char> m_file;
};

TEST_F(NotifierSkin, IsAnUncompressedBottomUp24BitBitmapOf150By105) {
    EXPECT_EQ(m_file[0], 'B');
    EXPECT_EQ(m_file[1], 'M');
    EXPECT_EQ(U32(2), m_file.size());
    EXPECT_EQ(m_file.size() - 14, 47502u);  // the resource's data
    EXPECT_EQ(U32(10), 54u);                // pixels right after the headers, no colour table
    EXPECT_EQ(U32(14), 40u);                // information header size
    EXPECT_EQ(static_cast<int32_t>(U32(18)), 150);
    EXPECT_EQ(static_cast<int32_t>(U32(22)), 105);  // positive: bottom-up
    EXPECT_EQ(U16(26), 1);
    EXPECT_EQ(U16(28), 24);
    EXPECT_EQ(U32(30), 0u);  // BI_RGB
    EXPECT_GE(m_file.size(), 54u + 105 * 452);
}

TEST_F(NotifierSkin, ShowsTheGreyFieldThePanelAndTheBadge) {
    ASSERT_GE(m_file.size(), 54u + 105 * 452);
    for (auto [x, y] : {std::pair{0, 0}, {149, 0}, {0, 104}, {149, 104}, {100, 10}, {3, 60}}) {
        const Rgb p = Pixel(x, y);
        EXPECT_EQ(p.r, 221) << x << "," << y;
        EXPECT_EQ(p.g, 224) << x << "," << y;
        EXPECT_EQ(p.b, 224) << x << "," << y;
    }
    // The panel shades from near-white at the top to light grey at the bottom.
    const Rgb top = Pixel(100, 27);
    const Rgb bottom = Pixel(100, 95);
    EXPECT_GE(top.r, 240);
    EXPECT_GT(top.r, bottom.r);
    EXPECT_GT(bottom.r, 190);
    // Its outline is dark grey.
    const Rgb outline = Pixel(100, 24);
    EXPECT_LT(outline.r, 140);
    EXPECT_NEAR(outline.r, outline.g, 12);
    // The badge is dark red, with a yellow battery in it.
    const Rgb badge = Pixel(30, 30);
    EXPECT_GT(badge.r, 90);
    EXPECT_LT(badge.g, 60);
    EXPECT_LT(badge.b, 60);
    const Rgb battery = Pixel(23, 19);
    EXPECT_GT(battery.r, 200);
    EXPECT_GT(battery.g, 160);
    EXPECT_LT(battery.b, 100);
}

}  // namespace
