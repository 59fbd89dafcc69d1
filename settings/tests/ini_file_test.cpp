#include "ini_file.h"

#include <gtest/gtest.h>

TEST(IniFileParse, Placeholder) {
    EXPECT_TRUE(IniFile::ParseRecords("").empty());
}
