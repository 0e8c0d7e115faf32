// Every committed fuzz input, seeds and past crashes alike, runs through its target on every
// test run, so a crash once found stays fixed.
#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>
#include <sstream>

#include "fuzz_target.h"

// ZELKO_FUZZ_TARGETS(X): X(name) for each <name>_fuzzer.cpp in fuzz/.
#include "fuzz_targets.h"

#define DECLARE(name) ZELKO_FUZZ_TARGET(name);
ZELKO_FUZZ_TARGETS(DECLARE)
#undef DECLARE

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

#define ENTRY(name) std::make_pair(#name, fuzz_##name),
const std::pair<const char*, Target> kTargets[] = {ZELKO_FUZZ_TARGETS(ENTRY)};
#undef ENTRY

INSTANTIATE_TEST_SUITE_P(Targets, FuzzCorpusTest, ::testing::ValuesIn(kTargets),
                         [](const auto& info) { return std::string(info.param.first); });

}  // namespace
