// The committed pictures have the formats the dialog and the Control Panel rely on.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<uint8_t> ReadArt(const std::string& name) {
    std::ifstream file(std::string(TEVRA_APPLET_ART_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

uint32_t Le(const std::vector<uint8_t>& data, size_t offset, size_t size) {
    uint32_t value = 0;
    for (size_t i = 0; i < size; ++i) value |= uint32_t{data.at(offset + i)} << (8 * i);
    return value;
}

struct Bmp {
    int32_t width;
    int32_t height;
    const std::vector<uint8_t>* data;

    // Blue, green, red of the pixel at (x, y), y counted from the top.
    std::array<uint8_t, 3> Pixel(int x, int y) const {
        const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
        const size_t offset = Le(*data, 10, 4) + stride * static_cast<size_t>(height - 1 - y) +
                              static_cast<size_t>(x) * 3;
        return {data->at(offset), data->at(offset + 1), data->at(offset + 2)};
    }
};

// Checks the header LoadBitmap expects of our pictures: 24 bits, uncompressed, bottom-up.
Bmp CheckBmp(const std::vector<uint8_t>& data, int32_t width, int32_t height) {
    EXPECT_GE(data.size(), 54u);
    EXPECT_EQ(data.at(0), 'B');
    EXPECT_EQ(data.at(1), 'M');
    EXPECT_EQ(Le(data, 14, 4), 40u) << "info header size";
    EXPECT_EQ(static_cast<int32_t>(Le(data, 18, 4)), width);
    EXPECT_EQ(static_cast<int32_t>(Le(data, 22, 4)), height) << "positive: bottom-up";
    EXPECT_EQ(Le(data, 28, 2), 24u) << "bits per pixel";
    EXPECT_EQ(Le(data, 30, 4), 0u) << "no compression";
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
    EXPECT_GE(data.size(), Le(data, 10, 4) + stride * static_cast<size_t>(height));
    return {width, height, &data};
}

TEST(Art, LampsAre45By45TrueColourBitmapsEachInItsColour) {
    struct Lamp {
        const char* file;
        // Which channel dominates at the lamp's centre: 0 blue, 1 green, 2 red.
        int strongest;
    };
    for (const Lamp lamp :
         {Lamp{"lamp-red.bmp", 2}, Lamp{"lamp-orange.bmp", 2}, Lamp{"lamp-blue.bmp", 0}}) {
        const std::vector<uint8_t> data = ReadArt(lamp.file);
        const Bmp bmp = CheckBmp(data, 45, 45);
        if (testing::Test::HasFailure()) return;
        const auto centre = bmp.Pixel(22, 24);
        for (int channel = 0; channel < 3; ++channel) {
            if (channel == lamp.strongest) continue;
            EXPECT_GT(centre[lamp.strongest], centre[channel]) << lamp.file;
        }
        // The frame is grey.
        const auto corner = bmp.Pixel(2, 2);
        EXPECT_EQ(corner[0], corner[1]) << lamp.file;
        EXPECT_EQ(corner[1], corner[2]) << lamp.file;
    }
}

TEST(Art, BackgroundIs362By282WithTheDialogsGreyAndAWhiteTopLeftPixel) {
    const std::vector<uint8_t> data = ReadArt("background.bmp");
    const Bmp bmp = CheckBmp(data, 362, 282);
    if (testing::Test::HasFailure()) return;
    EXPECT_EQ(bmp.Pixel(0, 0), (std::array<uint8_t, 3>{255, 255, 255}));
    // The surface where the controls stand shares the dialog's grey, so they blend with it.
    for (const auto& [x, y] : {std::pair{200, 150}, std::pair{150, 60}, std::pair{300, 220}})
        EXPECT_EQ(bmp.Pixel(x, y), (std::array<uint8_t, 3>{247, 247, 247})) << x << "," << y;
}

TEST(Art, IconHoldsFiveSizesEachIn16And256ColoursAndTrueColour) {
    const std::vector<uint8_t> data = ReadArt("applet.ico");
    ASSERT_GE(data.size(), 6u);
    EXPECT_EQ(Le(data, 0, 2), 0u);
    EXPECT_EQ(Le(data, 2, 2), 1u) << "type: icon";
    const uint32_t count = Le(data, 4, 2);
    ASSERT_EQ(count, 15u);
    std::map<std::pair<uint32_t, uint32_t>, int> images;  // (size, bits) -> how many
    for (uint32_t i = 0; i < count; ++i) {
        const size_t entry = 6 + 16 * i;
        const uint32_t width = data.at(entry) == 0 ? 256 : data.at(entry);
        const uint32_t height = data.at(entry + 1) == 0 ? 256 : data.at(entry + 1);
        EXPECT_EQ(width, height);
        const uint32_t bits = Le(data, entry + 6, 2);
        const uint32_t size = Le(data, entry + 8, 4);
        const uint32_t offset = Le(data, entry + 12, 4);
        EXPECT_LE(size_t{offset} + size, data.size()) << "image " << i << " lies in the file";
        ++images[{width, bits}];
    }
    for (const uint32_t size : {256u, 48u, 32u, 24u, 16u})
        for (const uint32_t bits : {4u, 8u, 32u})
            EXPECT_EQ((images[{size, bits}]), 1) << size << " px, " << bits << " bits";
}

}  // namespace
