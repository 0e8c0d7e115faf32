// What no exchange with a camera shows of the transport: the write callbacks' refusals, the body
// of no entries, the engine's set of sockets watching a new socket that took an old one's number,
// and a text cut to its limit for a terminal.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

#include "ptz/engine.h"
#include "ptz/epoll_set.h"
#include "ptz/terminal_text.h"
#include "utils/http_client.h"
#include "utils/http_request.h"
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

// The bytes around the limit, a carriage return at the end of what is shown, which no line feed
// follows there, and what a terminal would obey among the bytes of 0x80 and above.
TEST(TerminalText, ShowsWhatATerminalWouldObeyAndCutsAtItsLimit) {
    const struct {
        std::string text;
        std::size_t limit;
        std::string shown;
    } kTexts[] = {
        {"abc", 3, "abc"},
        {"abcd", 3, "abc[cut: 4 bytes in all]"},
        {"ab\r", 3, "ab\\x0d"},
        {"ab\r\n", 4, "ab\r\n"},
        {"ab\r\n", 3, "ab\\x0d[cut: 4 bytes in all]"},
        // UTF-8 passes but for C1 controls (CSI) and bidirectional overrides and isolates; a
        // byte of no character (lone, an overlong ESC, a surrogate) is shown as its value.
        {"caf\xc3\xa9 \xe2\x80\xaf\xf0\x9f\x93\xb7", 13,
         "caf\xc3\xa9 \xe2\x80\xaf\xf0\x9f\x93\xb7"},
        {"\xc2\x9b"
         "2J\xe2\x80\xae\xe2\x81\xa6",
         10, "\\xc2\\x9b2J\\xe2\\x80\\xae\\xe2\\x81\\xa6"},
        {"\xff\x9b\xe0\x80\x9b\xed\xa0\x80\xc3", 9,
         "\\xff\\x9b\\xe0\\x80\\x9b\\xed\\xa0\\x80\\xc3"},
    };
    for (const auto& t : kTexts) {
        EXPECT_EQ(Ptz::terminal_text(t.text, t.limit), t.shown) << t.text;
    }
}

// The same text to a JSON parser, escaped where a terminal would obey it or it is not UTF-8.
TEST(TerminalText, AsJsonReadsTheSameAndIsSafeOnATerminal) {
    EXPECT_EQ(Ptz::json_text(
                  "\xc3\xa9\"\\\x01\xc2\x9b\xe2\x80\xae\xe2\x81\xa9\xff\xe0\x80\x9b\xed\xa0\x80"),
              "\"\xc3\xa9\\\"\\\\\\u0001\\u009b\\u202e\\u2069"
              "\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\"");
}

TEST(BodyWriter, WritesAnEmptyRootSelfClosedAndAnEmptyNameAsTheXmlLibraryDoes) {
    EXPECT_EQ(
        Utils::XmlParser::build_ptz_xml("", {}),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<:anonymous xmlns=\"http://www.isapi.org/"
        "ver20/XMLSchema\" version=\"2.0\" />\n");
}

// A socket that closed while the set kept it leaves the kernel's set; the next socket of its
// number, opened through libcurl, is watched anew even for the same events.
TEST(EpollSet, WatchesANewSocketOfAnOldNumber) {
    Ptz::EpollSet set;
    int old_pair[2], new_pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, old_pair), 0);
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, new_pair), 0);
    const int number = old_pair[0];
    set.want(number, Ptz::Engine::Read);
    set.want(number, 0);
    ASSERT_EQ(dup2(new_pair[0], number), number);  // closes the old socket
    close(new_pair[0]);
    const std::string url = "http://127.0.0.1:1/", none;
    const std::uint64_t opened = Utils::sockets_opened();
    std::string answer;
    Utils::request_once({Utils::HttpMethod::Get, url, none, none, nullptr}, answer);
    ASSERT_GT(Utils::sockets_opened(), opened);
    set.want(number, Ptz::Engine::Read);
    ASSERT_EQ(write(new_pair[1], "x", 1), 1);
    Ptz::EpollSet::Ready ready[4];
    ASSERT_EQ(set.wait(2000, ready, 4), 1);
    EXPECT_EQ(ready[0].fd, number);
    EXPECT_EQ(ready[0].events, Ptz::Engine::Read);
    for (const int fd : {number, old_pair[1], new_pair[1]}) {
        close(fd);
    }
}

}  // namespace
