#include <gtest/gtest.h>

#include "utils/http_client.h"
#include "utils/write_data.h"

namespace {

TEST(OnWriteData, AppendsAndConfirmsTheElementCount) {
    std::string response = "old:";
    char data[] = "abcdef";
    EXPECT_EQ(Utils::onWriteData(data, 1, 6, &response), 6u);
    EXPECT_EQ(response, "old:abcdef");
}

TEST(OnWriteData, RefusesNullPointersWithAllOnes) {
    std::string response = "kept";
    char data[] = "abc";
    EXPECT_EQ(Utils::onWriteData(data, 1, 3, nullptr), static_cast<size_t>(-1));
    EXPECT_EQ(Utils::onWriteData(nullptr, 1, 3, &response), static_cast<size_t>(-1));
    EXPECT_EQ(response, "kept");
}

TEST(WriteCallback, AppendsSizeTimesCountAndReturnsIt) {
    std::string response = ">";
    char data[] = "123456";
    EXPECT_EQ(Utils::WriteCallback(data, 2, 3, &response), 6u);
    EXPECT_EQ(response, ">123456");
}

}  // namespace
