// Many cameras: the engine on one thread against the blocking methods on a thread per camera and
// on a pool of 8, over 1 to 1,000 simulated cameras that take 20 ms per answer, at first contact
// and again; silent cameras; and the CPU a command costs each way. The cameras run in a child
// process on the second core and each measurement in a child of its own on the first, so that
// threads, memory and CPU are the library's alone. Appends a Markdown section to the file given
// with --out.
//
//   fleet_bench [--out FILE]
//   fleet_bench --cpu-only [ROUNDS]   one camera's CPU a command each way, ROUNDS times (3)
//   fleet_bench --bounds-only         the lines that hold 1,000 cameras to their bounds
//   fleet_bench --joystick-only       a joystick's stop, with moves in order and coalesced

#include <sched.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "camera_sim.h"
#include "ptz/engine.h"
#include "ptz/zelko_ptz_camera_isapi.h"

namespace {

using Clock = std::chrono::steady_clock;
using Camera = Ptz::ZelkoPtzCameraIsapi;

const int kDelayMs = 20;
const char* const kUserPwd = "admin:password";
// The fleet that takes 20 ms per answer on port 80, the silent one on 81, a prompt camera on 82.
const int kSlowPort = 80, kSilentPort = 81, kPromptPort = 82;

// The address of camera `i` of a fleet that starts at 127.<net>.0.1.
std::string address(int net, int i) {
    const int n = i + 1;
    return "127." + std::to_string(net) + "." + std::to_string(n / 256) + "." +
           std::to_string(n % 256);
}

void pin_to_core(int core) {
    cpu_set_t cores;
    CPU_ZERO(&cores);
    CPU_SET(core % std::max(1, static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN))), &cores);
    sched_setaffinity(0, sizeof cores, &cores);
}

// The cameras on a core of their own, as cameras are machines of their own: their CPU is not
// the host's.
pid_t start_cameras() {
    const pid_t pid = fork();
    if (pid != 0) {
        return pid;
    }
    pin_to_core(1);
    std::vector<std::unique_ptr<sim::CameraSim>> fleets;
    const auto add = [&fleets](int net, int port, bool silent, int cameras, int delay_ms) {
        sim::Options o;
        o.address = address(net, 0);
        o.port = static_cast<std::uint16_t>(port);
        o.cameras = cameras;
        o.silent = silent;
        o.answer_delay = std::chrono::milliseconds(delay_ms);
        o.record = false;
        fleets.emplace_back(new sim::CameraSim(o));
        fleets.back()->start();
    };
    add(1, kSlowPort, false, 1000, kDelayMs);
    add(2, kSilentPort, true, 1000, 0);
    add(3, kPromptPort, false, 2, 0);
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    int received = 0;
    sigwait(&signals, &received);
    fleets.clear();
    _exit(0);
}

double cpu_seconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long status_value(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0) {
            return std::atol(line.c_str() + std::strlen(key));
        }
    }
    return -1;
}

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// What one way of reading every camera's position measured.
struct Result {
    double first = 0, again = 0;  // seconds of wall time
    double cpu_first_us = 0;      // per command, at first contact
    double cpu_us = 0;            // per command, again
    long threads = 0;             // most seen while the commands ran
    long rss_kib = 0;             // at the end
    int failed = 0;               // commands that did not return 0 (or 1, silent)
    double stop_after = 0;        // a joystick's: seconds from its release to the stop's answer
    int moves_sent = 0;           // a joystick's: moves the camera took
};

// Runs `measure` in a child process and hands back what it measured.
Result in_child(const std::function<Result()>& measure) {
    int pipe_fds[2];
    if (pipe(pipe_fds) != 0) {
        return {};
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipe_fds[0]);
        // The host on the other core: where the scheduler puts the two moves a command's CPU by
        // more than the differences measured.
        pin_to_core(0);
        // A socket for each camera, and the fleet's too.
        rlimit files{};
        getrlimit(RLIMIT_NOFILE, &files);
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
        const Result result = measure();
        [[maybe_unused]] auto written = write(pipe_fds[1], &result, sizeof result);
        _exit(0);
    }
    close(pipe_fds[1]);
    Result result;
    [[maybe_unused]] auto got = read(pipe_fds[0], &result, sizeof result);
    close(pipe_fds[0]);
    waitpid(pid, nullptr, 0);
    return result;
}

std::vector<std::unique_ptr<Camera>> cameras_of(int net, int port, int count) {
    Ptz::CameraOptions options;
    options.keep_session = true;
    options.port = port;
    options.error_sink = [](void*, const char*, int, const char*) {};
    std::vector<std::unique_ptr<Camera>> cameras;
    for (int i = 0; i < count; ++i) {
        cameras.emplace_back(new Camera(address(net, i), kUserPwd, options));
    }
    return cameras;
}

// A read of every camera on one engine, one thread.
Result engine_rounds(int net, int port, int count, int expected) {
    auto cameras = cameras_of(net, port, count);
    Ptz::Engine engine;
    Result r;
    for (int round = 0; round < 2; ++round) {
        const auto start = Clock::now();
        const double cpu = cpu_seconds();
        for (auto& camera : cameras) {
            camera->get_position(engine, [&r, expected](int code, const Ptz::PtzPosition&) {
                r.failed += code != expected ? 1 : 0;
            });
        }
        r.threads = std::max(r.threads, status_value("Threads:"));
        while (engine.run(1000) > 0) {
        }
        (round == 0 ? r.first : r.again) = seconds_since(start);
        (round == 0 ? r.cpu_first_us : r.cpu_us) = (cpu_seconds() - cpu) * 1e6 / count;
        if (expected != 0) {
            break;  // a silent camera once
        }
    }
    r.rss_kib = status_value("VmRSS:");
    return r;
}

// A read of every camera with the blocking method on `workers` threads, each taking the next
// camera there is; 0 workers: a thread per camera.
Result blocking_rounds(int net, int port, int count, int workers, int expected) {
    auto cameras = cameras_of(net, port, count);
    const int threads = workers == 0 ? count : workers;
    Result r;
    std::atomic<int> failed{0};
    for (int round = 0; round < 2; ++round) {
        std::atomic<int> next{0};
        std::atomic<int> started{0};
        std::atomic<bool> go{false};
        std::vector<std::thread> pool;
        for (int t = 0; t < threads; ++t) {
            pool.emplace_back([&] {
                ++started;
                while (!go) {
                    std::this_thread::yield();
                }
                for (int i; (i = next++) < count;) {
                    Ptz::PtzPosition p{};
                    failed += cameras[i]->get_position(p) != expected ? 1 : 0;
                }
            });
        }
        while (started < threads) {
            std::this_thread::yield();
        }
        r.threads = std::max(r.threads, status_value("Threads:"));
        const auto start = Clock::now();
        const double cpu = cpu_seconds();
        go = true;
        for (auto& thread : pool) {
            thread.join();
        }
        (round == 0 ? r.first : r.again) = seconds_since(start);
        (round == 0 ? r.cpu_first_us : r.cpu_us) = (cpu_seconds() - cpu) * 1e6 / count;
        if (expected != 0) {
            break;
        }
    }
    r.failed = failed;
    r.rss_kib = status_value("VmRSS:");
    return r;
}

// CPU per command of one camera read over and over, blocking with a kept session and through an
// engine one operation at a time: blocks of each in turn, which goes first alternating, so that
// the machine's other work falls on both alike; the medians of the blocks.
Result sequential_cpu_us(int blocks, int commands) {
    auto cameras = cameras_of(3, kPromptPort, 1);
    Camera& camera = *cameras[0];
    Ptz::Engine engine;
    Ptz::PtzPosition p{};
    camera.get_position(p);  // challenged first
    const auto block = [&](bool on_engine) {
        const double cpu = cpu_seconds();
        for (int i = 0; i < commands; ++i) {
            if (on_engine) {
                camera.get_position(engine, [](int, const Ptz::PtzPosition&) {});
                while (engine.run(1000) > 0) {
                }
            } else {
                camera.get_position(p);
            }
        }
        return (cpu_seconds() - cpu) * 1e6 / commands;
    };
    std::vector<double> blocking, on_engine;
    for (int b = 0; b < blocks; ++b) {
        const bool engine_first = b % 2 == 1;
        (engine_first ? on_engine : blocking).push_back(block(engine_first));
        (engine_first ? blocking : on_engine).push_back(block(!engine_first));
    }
    const auto median = [](std::vector<double>& v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    Result r;
    r.cpu_first_us = median(blocking);
    r.cpu_us = median(on_engine);
    return r;
}

// 1,000 cameras read through the engine, first contact and again, in `runs` processes of their
// own: the medians, since one run moves by a fifth with what else the machine does.
Result engine_medians(int runs) {
    std::vector<double> first, again;
    for (int i = 0; i < runs; ++i) {
        const Result r = in_child([] { return engine_rounds(1, kSlowPort, 1000, 0); });
        first.push_back(r.first);
        again.push_back(r.again);
    }
    std::sort(first.begin(), first.end());
    std::sort(again.begin(), again.end());
    Result r;
    r.first = first[first.size() / 2];
    r.again = again[again.size() / 2];
    return r;
}

bool wait_for_cameras() {
    for (int attempt = 0; attempt < 200; ++attempt) {
        auto cameras = cameras_of(3, kPromptPort, 1);
        cameras[0]->set_timeouts(0.2, 0.2);
        Ptz::PtzPosition p{};
        if (cameras[0]->get_position(p) == 0) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return false;
}

std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

const int kBoundRuns = 5;
std::string format(const char* pattern, ...) {
    char line[512];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(line, sizeof line, pattern, args);
    va_end(args);
    return line;
}

// A joystick through the engine: a move every 5 ms for a second to a camera that answers in
// 20 ms, four times faster than it takes them, then the release, a stop.
Result joystick(bool coalescing) {
    Ptz::CameraOptions options;
    options.keep_session = true;
    options.port = kSlowPort;
    Camera camera(address(1, 0), kUserPwd, options);
    camera.set_move_coalescing(coalescing);
    Ptz::PtzPosition where{};
    camera.get_position(where);  // challenged first
    Ptz::Engine engine;
    Result r;
    const auto count = [&r](int code) { r.moves_sent += code == 0; };
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < 200; ++i) {
        camera.set_ptz_ctrl(engine, {i % 2 == 0 ? 30 : 40, 0, 0}, count);
        const Clock::time_point tick = start + std::chrono::milliseconds(5 * (i + 1));
        while (Clock::now() < tick) {
            engine.run(static_cast<int>(std::max<long>(
                0, std::chrono::duration_cast<std::chrono::milliseconds>(tick - Clock::now())
                       .count())));
        }
    }
    const Clock::time_point release = Clock::now();
    bool stopped = false;
    camera.set_ptz_ctrl(engine, {0, 0, 0}, [&](int code) {
        r.stop_after = seconds_since(release);
        r.failed += code != 0;
        stopped = true;
    });
    while (!stopped) {
        engine.run(100);
    }
    while (engine.run(100) > 0) {
    }
    return r;
}

std::string joystick_line() {
    const Result ordered = in_child([] { return joystick(false); });
    const Result coalesced = in_child([] { return joystick(true); });
    return format(
        "A joystick through the engine, 200 moves in 1 s to a camera that answers in 20 ms, then "
        "its release: the stop answered after %.3f s in the order asked (%d moves sent), %.3f s "
        "with set_move_coalescing (%d moves sent)%s",
        ordered.stop_after, ordered.moves_sent, coalesced.stop_after, coalesced.moves_sent,
        ordered.failed + coalesced.failed > 0 ? "; a stop failed" : "");
}

// 1,000 cameras through the engine held to their bounds: 2 delays and 3 at first contact, and
// 1,000 times one blocking kept command's CPU.
std::string bound_lines(double blocking_cpu_us, const Result& medians) {
    const double again_bound = 2 * kDelayMs / 1000.0 + 1000 * blocking_cpu_us / 1e6;
    const double first_bound = 3 * kDelayMs / 1000.0 + 1000 * blocking_cpu_us / 1e6;
    return format(
        "1,000 cameras through the engine, medians of %d processes: again %.3f s "
        "against a bound of %.3f s (2 delays + 1,000 blocking commands' CPU): %.2f of "
        "it; first contact %.3f s against %.3f s: %.2f of it",
        kBoundRuns, medians.again, again_bound, medians.again / again_bound, medians.first,
        first_bound, medians.first / first_bound);
}

}  // namespace

int main(int argc, char** argv) {
    std::string out_path;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--out") {
            out_path = argv[i + 1];
        }
    }
    const std::string mode = argc > 1 ? argv[1] : "";
    const pid_t cameras = start_cameras();
    if (!wait_for_cameras()) {
        std::fprintf(stderr, "fleet_bench: the simulated cameras did not come up\n");
        kill(cameras, SIGTERM);
        return 1;
    }
    if (mode == "--cpu-only") {
        const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
        for (int i = 0; i < rounds; ++i) {
            const Result r = in_child([] { return sequential_cpu_us(60, 200); });
            std::printf("blocking %.1f µs, engine %.1f µs: engine/blocking %.3f\n", r.cpu_first_us,
                        r.cpu_us, r.cpu_us / r.cpu_first_us);
        }
        kill(cameras, SIGTERM);
        waitpid(cameras, nullptr, 0);
        return 0;
    }
    if (mode == "--joystick-only") {
        std::printf("%s\n", joystick_line().c_str());
        kill(cameras, SIGTERM);
        waitpid(cameras, nullptr, 0);
        return 0;
    }
    if (mode == "--bounds-only") {
        const Result sequential = in_child([] { return sequential_cpu_us(60, 200); });
        std::printf("%s\n",
                    bound_lines(sequential.cpu_first_us, engine_medians(kBoundRuns)).c_str());
        kill(cameras, SIGTERM);
        waitpid(cameras, nullptr, 0);
        return 0;
    }
    std::string text;
    const auto say = [&text](const std::string& line) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
        text += line + "\n";
    };

    const Result sequential = in_child([] { return sequential_cpu_us(60, 200); });
    const double blocking_cpu = sequential.cpu_first_us, engine_cpu = sequential.cpu_us;

    say("## Many cameras (get_position of every camera, kept sessions, cameras answering after "
        "20 ms)");
    say("");
    say("Each row in a process of its own on one core, the cameras on the other; first: the first "
        "contact, a connection, a challenge and an answer; again: the next read. CPU per command "
        "in all threads, of the first read and of the second. Threads while the commands run.");
    say("");
    say("| cameras | how | first (s) | again (s) | threads | resident (MiB) | CPU/command first "
        "(µs) | CPU/command again (µs) | failed |");
    say("|---:|---|---:|---:|---:|---:|---:|---:|---:|");
    double engine_cpu_1000 = 0;
    for (const int count : {1, 10, 100, 1000}) {
        const struct {
            const char* how;
            std::function<Result()> measure;
        } ways[] = {
            {"engine, one thread", [count] { return engine_rounds(1, kSlowPort, count, 0); }},
            {"blocking, a thread per camera",
             [count] { return blocking_rounds(1, kSlowPort, count, 0, 0); }},
            {"blocking, pool of 8", [count] { return blocking_rounds(1, kSlowPort, count, 8, 0); }},
        };
        for (const auto& way : ways) {
            const Result r = in_child(way.measure);
            say(format("| %d | %s | %.3f | %.3f | %ld | %.1f | %.1f | %.1f | %d |", count, way.how,
                       r.first, r.again, r.threads, r.rss_kib / 1024.0, r.cpu_first_us, r.cpu_us,
                       r.failed));
            if (count == 1000 && way.how[0] == 'e') {
                engine_cpu_1000 = r.cpu_us;
            }
        }
    }
    say("");
    say("## Silent cameras (they take the connection and never answer; 5 s time-outs)");
    say("");
    say("| cameras | how | until every command failed (s) | threads | not code 1 |");
    say("|---:|---|---:|---:|---:|");
    const struct {
        int count;
        const char* how;
        std::function<Result()> measure;
    } silent[] = {
        {100, "engine, one thread", [] { return engine_rounds(2, kSilentPort, 100, 1); }},
        {100, "blocking, a thread per camera",
         [] { return blocking_rounds(2, kSilentPort, 100, 0, 1); }},
        {100, "blocking, pool of 8", [] { return blocking_rounds(2, kSilentPort, 100, 8, 1); }},
        {1000, "engine, one thread", [] { return engine_rounds(2, kSilentPort, 1000, 1); }},
    };
    double silent_1000 = 0;
    for (const auto& way : silent) {
        const Result r = in_child(way.measure);
        silent_1000 = way.count == 1000 ? r.first : silent_1000;
        say(format("| %d | %s | %.2f | %ld | %d |", way.count, way.how, r.first, r.threads,
                   r.failed));
    }
    say("");
    say(
        format("CPU per command, one camera read on one thread, medians of 60 blocks of 200 "
               "commands each way in turn: blocking with a kept session %.1f µs, through an engine "
               "%.1f µs: engine/blocking %.3f",
               blocking_cpu, engine_cpu, engine_cpu / blocking_cpu));
    say(
        format("CPU per command of 1,000 cameras read again through the engine against one camera "
               "read blocking with a kept session: %.3f",
               engine_cpu_1000 / blocking_cpu));
    say(bound_lines(blocking_cpu, engine_medians(kBoundRuns)));
    say(format("1,000 silent cameras through the engine: every callback within %.2f s",
               silent_1000));
    say(joystick_line());
    say("");
    kill(cameras, SIGTERM);
    waitpid(cameras, nullptr, 0);
    if (!out_path.empty()) {
        std::ofstream(out_path, std::ios::app) << text;
    }
    return 0;
}
