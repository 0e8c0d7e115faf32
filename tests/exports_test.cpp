// The shared library exports exactly the interface it promises, each symbol in the version node
// of the release that added it. tests/exports.txt lists them as `nm -D --defined-only -C -j`
// prints them, each once, below its comment lines; the version script is written from it, so this
// holds what the script cannot: that every promised symbol is defined, visible and in its node.
// It reads the list as the build spelled it for this platform (its size_t and uint64_t).

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <string>

namespace {

TEST(Exports, AreExactlyThePublicInterfaceInTheirReleases) {
    std::set<std::string> exported, expected;
    FILE* names = popen(
        ("nm -D --defined-only -C -j '" + std::string(ZELKO_LIBRARY_PATH) + "'").c_str(), "r");
    ASSERT_NE(names, nullptr);
    for (char line[4096]; std::fgets(line, sizeof line, names) != nullptr;) {
        exported.insert(std::string(line, std::strcspn(line, "\n")));
    }
    pclose(names);
    std::ifstream list(ZELKO_EXPORTS_LIST);
    ASSERT_TRUE(list.is_open()) << ZELKO_EXPORTS_LIST;
    for (std::string line; std::getline(list, line);) {
        if (line.rfind('#', 0) != 0) {
            expected.insert(line);
        }
    }
    EXPECT_EQ(exported, expected);
}

}  // namespace
