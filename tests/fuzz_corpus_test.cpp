// Every committed fuzz input, seeds and past crashes alike, runs through its target on every
// test run, so a crash once found stays fixed.
#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>
#include <sstream>

#include "fuzz_target.h"

ZELKO_FUZZ_TARGET(xml_parse);
ZELKO_FUZZ_TARGET(position_answer);
ZELKO_FUZZ_TARGET(build_round_trip);
ZELKO_FUZZ_TARGET(preset_list);
ZELKO_FUZZ_TARGET(capabilities);
ZELKO_FUZZ_TARGET(tour_documents);
ZELKO_FUZZ_TARGET(digest_challenge);

namespace {

using Target = int (*)(const std::uint8_t*, std::size_t);

class FuzzCorpusTest : public ::testing::TestWithParam<std::pair<const char*, Target>> {};

TEST_P(FuzzCorpusTest, EveryCommittedInputPasses) {
    const std::string dir = std::string(ZELKO_FUZZ_CORPUS) + "/" + GetParam().first;
    DIR* d = opendir(dir.c_str());
    ASSERT_NE(d, nullptr) << "no seeds in " << dir;
    int inputs = 0;
    while (const dirent* entry = readdir(d)) {
        if (entry->d_name[0] != '.') {
            std::stringstream bytes;
            bytes << std::ifstream(dir + "/" + entry->d_name, std::ios::binary).rdbuf();
            const std::string data = bytes.str();
            EXPECT_EQ(
                GetParam().second(reinterpret_cast<const std::uint8_t*>(data.data()), data.size()),
                0)
                << entry->d_name;
            ++inputs;
        }
    }
    closedir(d);
    EXPECT_GT(inputs, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, FuzzCorpusTest,
    ::testing::Values(std::make_pair("xml_parse", fuzz_xml_parse),
                      std::make_pair("position_answer", fuzz_position_answer),
                      std::make_pair("build_round_trip", fuzz_build_round_trip),
                      std::make_pair("preset_list", fuzz_preset_list),
                      std::make_pair("capabilities", fuzz_capabilities),
                      std::make_pair("tour_documents", fuzz_tour_documents),
                      std::make_pair("digest_challenge", fuzz_digest_challenge)),
    [](const auto& info) { return std::string(info.param.first); });

}  // namespace
