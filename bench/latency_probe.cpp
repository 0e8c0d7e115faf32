// latency_probe: the C++ side of the Python benchmark, run in the same session against the same
// cameras, so that the module is held to the library it wraps.
//
//   latency_probe latency ADDRESS COMMAND ROUNDS   microseconds per call, one line each
//   latency_probe throughput SECONDS ADDRESS...     set_ptz_ctrl per second, a thread per camera

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "ptz/zelko_ptz_camera_isapi.h"

namespace {

using Clock = std::chrono::steady_clock;
using Camera = Ptz::ZelkoPtzCameraIsapi;

const char* const kUserPwd = "admin:password";

const std::map<std::string, std::function<int(Camera&)>> kCommands = {
    {"get_info", [](Camera& c) { return c.get_info("/ISAPI/System/deviceInfo"); }},
    {"get_ptz_absoluteEx",
     [](Camera& c) {
         Ptz::PtzAbsoluteEx p{};
         return c.get_ptz_absoluteEx(p);
     }},
    {"set_ptz_absoluteEx",
     [](Camera& c) {
         return c.set_ptz_absoluteEx({10.5f, 200.25f, 4.0f, 29000, 48, 0.5f, 1.5f});
     }},
    {"reset_position", [](Camera& c) { return c.reset_position(); }},
    {"set_ptz_aux",
     [](Camera& c) { return c.set_ptz_aux(Ptz::PtzAux::Light, Ptz::PtzStatus::On); }},
    {"set_ptz_ctrl",
     [](Camera& c) {
         return c.set_ptz_ctrl({10, -5, 0});
     }},
};

int latency(const char* address, const std::string& command, int rounds) {
    const auto found = kCommands.find(command);
    if (found == kCommands.end()) {
        return 64;
    }
    Camera camera(address, kUserPwd);
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        if (found->second(camera) != 0) {
            return 1;
        }
        std::printf("%.1f\n",
                    std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    return 0;
}

int throughput(double seconds, const std::vector<std::string>& addresses) {
    std::atomic<bool> running{true};
    std::atomic<long> done{0}, failed{0};
    std::vector<std::thread> threads;
    const auto start = Clock::now();
    for (const std::string& address : addresses) {
        threads.emplace_back([&, address] {
            Camera camera(address, kUserPwd);
            while (running) {
                (camera.set_ptz_ctrl({1, 0, 0}) == 0 ? done : failed)++;
            }
        });
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    running = false;
    for (auto& t : threads) {
        t.join();
    }
    std::printf("%.0f\n", done / std::chrono::duration<double>(Clock::now() - start).count());
    return failed == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "latency" && argc == 5) {
        return latency(argv[2], argv[3], std::atoi(argv[4]));
    }
    if (mode == "throughput" && argc > 3) {
        return throughput(std::atof(argv[2]), std::vector<std::string>(argv + 3, argv + argc));
    }
    std::fprintf(stderr,
                 "usage: latency_probe latency ADDRESS COMMAND ROUNDS\n"
                 "       latency_probe throughput SECONDS ADDRESS...\n");
    return 64;
}
