// What no exchange with a camera shows of the transport: the write callbacks' refusals, that the
// owners of libcurl's share cannot be copied, and the body of no entries.

#include <gtest/gtest.h>

#include <cstdint>
#include <type_traits>

#include "ptz/zelko_ptz_camera_isapi.h"
#include "utils/http_client.h"
#include "utils/write_data.h"
#include "utils/xml_parser.h"

namespace {

const size_t kRefused = static_cast<size_t>(-1);

TEST(WriteCallbacks, ConfirmWhatTheyTakeAndRefuseTheRest) {
    std::string response = "old:";
    Utils::ResponseSink sink{&response, Utils::HttpClient::kMaxResponseBytes - 4};
    char data[] = "abcdef";
    EXPECT_EQ(Utils::onWriteData(data, 1, 3, &sink), 3u);
    EXPECT_EQ(Utils::onWriteData(data, 1, 2, &sink), kRefused) << "past the limit";
    EXPECT_EQ(Utils::onWriteData(data, 1, 1, &sink), 1u) << "up to the limit";
    EXPECT_EQ(Utils::onWriteData(data, 1, 1, nullptr), kRefused);
    EXPECT_EQ(Utils::onWriteData(nullptr, 1, 1, &sink), kRefused);
    EXPECT_EQ(response, "old:abca");

    EXPECT_EQ(Utils::WriteCallback(data, 2, 3, &response), 6u);
    // A string that cannot grow refuses the chunk rather than throw through libcurl.
    EXPECT_EQ(Utils::WriteCallback(data, 1, SIZE_MAX, &response), 0u);
    EXPECT_EQ(response, "old:abcaabcdef");
}

TEST(Ownership, TheClientAndTheCameraCannotBeCopied) {
    EXPECT_FALSE(std::is_copy_constructible_v<Utils::HttpClient>);
    EXPECT_FALSE(std::is_copy_assignable_v<Utils::HttpClient>);
    EXPECT_FALSE(std::is_copy_constructible_v<Ptz::ZelkoPtzCameraIsapi>);
    EXPECT_FALSE(std::is_copy_assignable_v<Ptz::ZelkoPtzCameraIsapi>);
}

TEST(BodyWriter, WritesAnEmptyRootSelfClosedAndAnEmptyNameAsTheXmlLibraryDoes) {
    EXPECT_EQ(
        Utils::XmlParser::build_ptz_xml("", {}),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<:anonymous xmlns=\"http://www.isapi.org/"
        "ver20/XMLSchema\" version=\"2.0\" />\n");
}

}  // namespace
