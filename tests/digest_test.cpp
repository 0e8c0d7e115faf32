// The session's own Digest: MD5, what it takes from a camera's challenge, the answer it writes,
// and the request target it names, each held to an independent source.

#include <gtest/gtest.h>

#include <string>

#include "utils/digest.h"
#include "utils/md5.h"

namespace {

using Utils::Challenge;

TEST(Md5, GivesTheDigestsOfItsStandard) {
    const struct {
        const char* text;
        const char* hex;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"1234567890123456789012345678901234567890123456789012345678901234567890123456789"
         "0",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utils::Md5().add(c.text).hex(), c.hex) << c.text;
        // The same bytes in pieces that straddle a block.
        const std::string text = c.text;
        Utils::Md5 pieces;
        for (std::size_t at = 0; at < text.size(); at += 7) {
            pieces.add(text.substr(at, 7));
        }
        EXPECT_EQ(pieces.hex(), c.hex) << c.text << " in pieces";
    }
}

struct ChallengeCase {
    const char* name;
    const char* value;
    Challenge read;
    const char* realm;
    const char* nonce;
    bool stale;
};

const ChallengeCase kChallenges[] = {
    // As current cameras write it (with Basic in a second header, which is not Digest).
    {"NewerCamera",
     "Digest realm=\"PTZ Camera\", domain=\"::\", qop=\"auth\", "
     "nonce=\"9a1c35f0e27b4d6c8f03b5e7a9d2c461:1765261234567\", opaque=\"\", "
     "algorithm=\"MD5\", stale=\"FALSE\"",
     Challenge::Ours, "PTZ Camera", "9a1c35f0e27b4d6c8f03b5e7a9d2c461:1765261234567", false},
    {"OlderCamera",
     "Digest qop=\"auth\", realm=\"PTZ Camera\", nonce=\"9f86d081884c7d65\", stale=\"TRUE\"",
     Challenge::Ours, "PTZ Camera", "9f86d081884c7d65", true},
    {"TokensAndEscapes", "digest realm=\"a\\\"b\\\\c\",nonce=n1,qop=\"auth-int, AUTH\"",
     Challenge::Ours, "a\"b\\c", "n1", false},
    {"Basic", "Basic realm=\"PTZ Camera\"", Challenge::None, "", "", false},
    {"DigestWithoutParameters", "Digest", Challenge::None, "", "", false},
    {"Sha256", "Digest realm=\"r\", nonce=\"n\", qop=\"auth\", algorithm=SHA-256", Challenge::Other,
     "", "", false},
    {"Md5Sess", "Digest realm=\"r\", nonce=\"n\", qop=\"auth\", algorithm=MD5-sess",
     Challenge::Other, "", "", false},
    {"AuthIntAlone", "Digest realm=\"r\", nonce=\"n\", qop=\"auth-int\"", Challenge::Other, "", "",
     false},
    {"NoQop", "Digest realm=\"r\", nonce=\"n\"", Challenge::Other, "", "", false},
    {"NoNonce", "Digest realm=\"r\", qop=\"auth\"", Challenge::Other, "", "", false},
    {"UserHash", "Digest realm=\"r\", nonce=\"n\", qop=\"auth\", userhash=true", Challenge::Other,
     "", "", false},
    {"LineBreakInNonce", "Digest realm=\"r\", nonce=\"n\r\nX-Forged: 1\", qop=\"auth\"",
     Challenge::Other, "", "", false},
    {"UnterminatedQuote", "Digest realm=\"r, nonce=\"n\", qop=\"auth", Challenge::Other, "", "",
     false},
    {"NoEqualsSign", "Digest realm \"r\", nonce=\"n\", qop=\"auth\"", Challenge::Other, "", "",
     false},
};

class ChallengeTest : public ::testing::TestWithParam<ChallengeCase> {};

TEST_P(ChallengeTest, IsReadAsCamerasWriteIt) {
    const ChallengeCase& c = GetParam();
    Utils::DigestChallenge read;
    read.realm = "untouched";
    EXPECT_EQ(Utils::read_challenge(c.value, read), c.read);
    if (c.read == Challenge::Ours) {
        EXPECT_EQ(read.realm, c.realm);
        EXPECT_EQ(read.nonce, c.nonce);
        EXPECT_EQ(read.stale, c.stale);
    } else {
        EXPECT_EQ(read.realm, "untouched");
    }
}

INSTANTIATE_TEST_SUITE_P(Values, ChallengeTest, ::testing::ValuesIn(kChallenges),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Md5, TakesAValueOfLibcurlsLengthAndNoLonger) {
    Utils::DigestChallenge read;
    const std::string longest(1024, 'n');
    EXPECT_EQ(Utils::read_challenge("Digest qop=auth, nonce=\"" + longest + "\"", read),
              Challenge::Ours);
    EXPECT_EQ(Utils::read_challenge("Digest qop=auth, nonce=\"" + longest + "n\"", read),
              Challenge::Other);
}

// The worked example of HTTP Digest's standard (RFC 2617, 3.5), answered twice.
TEST(DigestAnswer, AnswersTheStandardsExampleAndCountsItsNonce) {
    Utils::DigestChallenge challenge;
    ASSERT_EQ(Utils::read_challenge("Digest realm=\"testrealm@host.com\", qop=\"auth,auth-int\", "
                                    "nonce=\"dcd98b7102dd2f0e8b11d0f600bfb0c093\", "
                                    "opaque=\"5ccc069c403ebaf9f0171e9517f40e41\"",
                                    challenge),
              Challenge::Ours);
    Utils::DigestAnswer answer("Mufasa:Circle Of Life");
    answer.take(challenge, "0a4f113b");
    const std::string fields =
        "realm=\"testrealm@host.com\", nonce=\"dcd98b7102dd2f0e8b11d0f600bfb0c093\", "
        "uri=\"/dir/index.html\", cnonce=\"0a4f113b\", ";
    EXPECT_EQ(answer.header("GET", "/dir/index.html"),
              "Authorization: Digest username=\"Mufasa\", " + fields +
                  "nc=00000001, qop=auth, response=\"6629fae49393a05397450978507c4ef1\", "
                  "opaque=\"5ccc069c403ebaf9f0171e9517f40e41\"");
    EXPECT_EQ(answer.header("GET", "/dir/index.html"),
              "Authorization: Digest username=\"Mufasa\", " + fields +
                  "nc=00000002, qop=auth, response=\"" +
                  Utils::Md5()
                      .add("939e7578ed9e3c518a452acee763bce9:dcd98b7102dd2f0e8b11d0f600bfb0c093:"
                           "00000002:0a4f113b:auth:39aff3a2bab6126f332b942af96d3366")
                      .hex() +
                  "\", opaque=\"5ccc069c403ebaf9f0171e9517f40e41\"");
}

TEST(DigestAnswer, QuotesTheUserAndEchoesTheAlgorithm) {
    Utils::DigestChallenge challenge;
    ASSERT_EQ(Utils::read_challenge("Digest realm=\"r\\\\\", nonce=\"n\", qop=auth, algorithm=md5",
                                    challenge),
              Challenge::Ours);
    Utils::DigestAnswer answer("ad\"m\\in:pass:word");
    answer.take(challenge, "c");
    const std::string ha1 = Utils::Md5().add("ad\"m\\in:r\\:pass:word").hex();
    const std::string ha2 = Utils::Md5().add("PUT:/x?y=1").hex();
    EXPECT_EQ(answer.header("PUT", "/x?y=1"),
              "Authorization: Digest username=\"ad\\\"m\\\\in\", realm=\"r\\\\\", nonce=\"n\", "
              "uri=\"/x?y=1\", cnonce=\"c\", nc=00000001, qop=auth, response=\"" +
                  Utils::Md5().add(ha1 + ":n:00000001:c:auth:" + ha2).hex() + "\", algorithm=md5");
    EXPECT_TRUE(answer.can_answer());
    EXPECT_FALSE(Utils::DigestAnswer("ad\nmin:password").can_answer());
}

TEST(DigestAnswer, NamesTheTargetLibcurlSends) {
    const struct {
        const char* url;
        const char* target;
    } cases[] = {
        {"http://127.0.0.1:80/ISAPI/PTZCtrl/channels/1/absoluteEx",
         "/ISAPI/PTZCtrl/channels/1/absoluteEx"},
        {"https://[fd00::5]:443/ISAPI/System/deviceInfo?format=json&x=1",
         "/ISAPI/System/deviceInfo?format=json&x=1"},
        {"http://cam:80", "/"},
        {"http://cam:80/a/./b/../c", "/a/c"},
        {"http://cam:80/a%20b/caf\xc3\xa9", "/a%20b/caf%c3%a9"},
        {"http://cam:80/a b", ""},
        {"http://cam:80/a#part", "/a"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utils::request_target(c.url), c.target) << c.url;
    }
    EXPECT_EQ(Utils::random_cnonce().find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(Utils::random_cnonce().size(), 32u);
    EXPECT_NE(Utils::random_cnonce(), Utils::random_cnonce());
}

}  // namespace
