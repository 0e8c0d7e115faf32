#include <gtest/gtest.h>

#include <cstdint>

#include "utils/http_client.h"
#include "utils/write_data.h"

namespace {

const size_t kRefused = static_cast<size_t>(-1);

TEST(OnWriteData, AppendsAndConfirmsTheElementCount) {
    std::string response = "old:";
    Utils::ResponseSink sink{&response, 0};
    char data[] = "abcdef";
    EXPECT_EQ(Utils::onWriteData(data, 1, 6, &sink), 6u);
    EXPECT_EQ(response, "old:abcdef");
    EXPECT_EQ(sink.taken, 6u);
}

TEST(OnWriteData, RefusesNullPointersAndAnAnswerPastTheLimit) {
    std::string response = "kept";
    Utils::ResponseSink sink{&response, Utils::HttpClient::kMaxResponseBytes - 2};
    char data[] = "abc";
    EXPECT_EQ(Utils::onWriteData(data, 1, 3, nullptr), kRefused);
    EXPECT_EQ(Utils::onWriteData(nullptr, 1, 3, &sink), kRefused);
    EXPECT_EQ(Utils::onWriteData(data, 1, 3, &sink), kRefused);
    EXPECT_EQ(response, "kept");
    EXPECT_EQ(Utils::onWriteData(data, 1, 2, &sink), 2u);
}

TEST(WriteCallback, AppendsSizeTimesCountAndReturnsIt) {
    std::string response = ">";
    char data[] = "123456";
    EXPECT_EQ(Utils::WriteCallback(data, 2, 3, &response), 6u);
    EXPECT_EQ(response, ">123456");
    // A string that cannot grow refuses the chunk instead of throwing through libcurl.
    EXPECT_EQ(Utils::WriteCallback(data, 1, SIZE_MAX, &response), 0u);
    EXPECT_EQ(response, ">123456");
}

}  // namespace
