#include <gtest/gtest.h>

#include "ini_file.h"

TEST(SettingNumber, Placeholder) {
    EXPECT_EQ(ParseSettingNumber("222x"), 222);
}
