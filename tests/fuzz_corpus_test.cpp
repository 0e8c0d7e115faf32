// Every committed fuzz input, seeds and past crashes alike, runs through its target on every
// test run, so a crash once found stays fixed.
#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_target.h"

ZELKO_FUZZ_TARGET(xml_parse);
ZELKO_FUZZ_TARGET(position_answer);
ZELKO_FUZZ_TARGET(build_round_trip);

namespace {

std::vector<std::string> inputs(const std::string& target) {
    std::vector<std::string> files;
    const std::string dir = std::string(ZELKO_FUZZ_CORPUS) + "/" + target;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* entry = readdir(d)) {
            if (entry->d_name[0] != '.') {
                files.push_back(dir + "/" + entry->d_name);
            }
        }
        closedir(d);
    }
    return files;
}

struct Target {
    const char* name;
    std::function<int(const std::uint8_t*, std::size_t)> run;
};

std::ostream& operator<<(std::ostream& os, const Target& t) {
    return os << t.name;
}

class FuzzCorpusTest : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzCorpusTest, EveryCommittedInputPasses) {
    const auto files = inputs(GetParam().name);
    ASSERT_FALSE(files.empty()) << "no seeds for " << GetParam().name;
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        const std::string data = bytes.str();
        SCOPED_TRACE(file);
        EXPECT_EQ(GetParam().run(reinterpret_cast<const std::uint8_t*>(data.data()), data.size()),
                  0);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzCorpusTest,
                         ::testing::Values(Target{"xml_parse", fuzz_xml_parse},
                                           Target{"position_answer", fuzz_position_answer},
                                           Target{"build_round_trip", fuzz_build_round_trip}),
                         [](const ::testing::TestParamInfo<Target>& info) {
                             return info.param.name;
                         });

}  // namespace
