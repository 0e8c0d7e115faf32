#pragma once

#include <string>
#include <vector>

namespace bench {

struct MicroResult {
    std::string name;
    double ns_per_op;
};

// The in-process costs, without the network, measured with Google Benchmark.
std::vector<MicroResult> run_micro_benchmarks(const char* program);

}  // namespace bench
