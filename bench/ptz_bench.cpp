// ptz_bench: what a command costs, against the floor and against the curl tool; throughput over
// threads; memory over long runs; time to give up on a dead camera. Prints one table and writes
// it to the file given by --out. Exits non-zero only when it could not measure.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "camera_sim.h"
#include "floor_client.h"
#include "heap_count.h"
#include "micro.h"
#include "ptz/position_text.h"
#include "ptz/zelko_ptz_camera_isapi.h"
#include "utils/xml_parser.h"

namespace {

using Clock = std::chrono::steady_clock;

const char* const kUserPwd = "admin:password";
const std::string kBase = "http://127.0.0.1:80";
const std::string kChannel = "/ISAPI/PTZCtrl/channels/1";
const int kThroughputCameras = 64;
// Answers each request, challenges included, after 20 ms, as a slow embedded camera does.
const char* const kSlowCamera = "127.0.0.2";

std::string address_of(int camera) {
    return "127.0.0." + std::to_string(10 + camera);
}

// The simulated cameras run in a child process, so that the benchmark's own memory and CPU
// figures are the library's.
std::string read_file(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

// With `certs`, a folder of tests/make_test_certs.sh, the camera at 127.0.0.1 also serves https
// on 443 as "localhost".
pid_t start_cameras(const std::string& certs) {
    const pid_t pid = fork();
    if (pid != 0) {
        return pid;
    }
    std::vector<std::unique_ptr<sim::CameraSim>> cameras;
    auto add = [&cameras](const std::string& address,
                          std::chrono::milliseconds delay = std::chrono::milliseconds(0)) {
        sim::Options options;
        options.address = address;
        options.answer_delay = delay;
        options.record = false;
        cameras.emplace_back(new sim::CameraSim(options));
        cameras.back()->start();
        return cameras.back().get();
    };
    sim::CameraSim* main_camera = add("127.0.0.1");
    add(kSlowCamera, std::chrono::milliseconds(20));
    sim::Script silent;
    silent.mode = sim::Script::Mode::NeverAnswer;
    main_camera->script("/silent", silent);
    sim::Script endless;
    endless.mode = sim::Script::Mode::Endless;
    endless.body = "<ResponseStatus>";
    main_camera->script("/endless", endless);
    sim::Script plain;
    plain.body = "<ok/>";
    plain.before_auth = true;
    main_camera->script("/capacity", plain);
    if (!certs.empty()) {
        sim::Options tls;
        tls.record = false;
        tls.port = 443;
        tls.tls_cert = read_file(certs + "/localhost.pem");
        tls.tls_key = read_file(certs + "/localhost.key");
        cameras.emplace_back(new sim::CameraSim(tls));
        cameras.back()->start();
    }
    for (int c = 0; c < kThroughputCameras; ++c) {
        add(address_of(c));
    }
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    int received = 0;
    sigwait(&signals, &received);
    cameras.clear();
    _exit(0);
}

// One HTTP request on a fresh connection, with the cheapest client there is.
bool raw_request(const std::string& address, const std::string& path) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(80);
    inet_pton(AF_INET, address.c_str(), &to.sin_addr);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
    const std::string request =
        "GET " + path + " HTTP/1.1\r\nHost: " + address + "\r\nConnection: close\r\n\r\n";
    ok = ok && write(fd, request.data(), request.size()) == static_cast<ssize_t>(request.size());
    char buffer[4096];
    ssize_t n = 0;
    std::size_t total = 0;
    while (ok && (n = read(fd, buffer, sizeof buffer)) > 0) {
        total += static_cast<std::size_t>(n);
    }
    close(fd);
    return ok && total > 0;
}

bool wait_for_cameras() {
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (raw_request("127.0.0.1", "/capacity") &&
            raw_request(address_of(kThroughputCameras - 1), "/")) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return false;
}

double micros(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

struct Stats {
    double median;
    double p99;
};

Stats stats(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    return {samples[n / 2], samples[std::min(n - 1, (n * 99 + 99) / 100 - 1)]};
}

double thread_cpu_micros() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

template <typename F>
double timed(F&& f, bool& ok) {
    const auto start = Clock::now();
    ok = f() && ok;
    return micros(Clock::now() - start);
}

// The median wall times of `a` and `b` over `rounds` rounds, taking turns at going first, so that
// neither gains from the other's warmed caches or connections.
template <typename A, typename B>
std::pair<double, double> interleaved_medians(int rounds, A&& a, B&& b, bool& ok) {
    std::vector<double> as, bs;
    for (int i = 0; i < rounds; ++i) {
        if (i % 2 == 0) {
            as.push_back(timed(a, ok));
            bs.push_back(timed(b, ok));
        } else {
            bs.push_back(timed(b, ok));
            as.push_back(timed(a, ok));
        }
    }
    return {stats(as).median, stats(bs).median};
}

// Wall time as above, and the calling thread's CPU time into `cpu`: the client's own work,
// which the network's scheduling noise does not touch.
template <typename F>
double timed(F&& f, bool& ok, std::vector<double>& cpu) {
    const double cpu_start = thread_cpu_micros();
    const double wall = timed(f, ok);
    cpu.push_back(thread_cpu_micros() - cpu_start);
    return wall;
}

struct Command {
    std::string name;
    std::function<bool(Ptz::ZelkoPtzCameraIsapi&)> library;
    std::function<bool()> floor;
    std::function<bool()> cli;
};

std::vector<Command> commands() {
    const Ptz::PtzAbsoluteEx position{10.5f, 200.25f, 4.0f, 29000, 48, 0.5f, 1.5f};
    // Bodies as the library sends them, built once, outside the timing.
    const std::string absolute =
        Utils::XmlParser::build_ptz_xml("PtzAbsoluteEx", Ptz::position_fields(position));
    Ptz::PtzAbsoluteEx reset = position;
    reset.absoluteZoom = 1.0f;
    const std::string zoom_reset =
        Utils::XmlParser::build_ptz_xml("PtzAbsoluteEx", Ptz::position_fields(reset));
    const std::string aux = Utils::XmlParser::build_ptz_xml(
        "PTZAux", {{"id", "1"}, {"status", "on"}, {"type", "LIGHT"}});
    const std::string ctrl =
        Utils::XmlParser::build_ptz_xml("PTZData", {{"pan", "10"}, {"tilt", "-5"}, {"zoom", "0"}});
    const std::string info = kBase + "/ISAPI/System/deviceInfo";
    const std::string abs_url = kBase + kChannel + "/absoluteEx";
    const std::string home_url = kBase + kChannel + "/homeposition/goto";
    const std::string aux_url = kBase + kChannel + "/auxcontrols/1";
    const std::string ctrl_url = kBase + kChannel + "/continuous";
    auto get = [](std::string url) {
        return [url] {
            std::string r;
            return bench::floor_get(url, kUserPwd, r);
        };
    };
    auto put = [](std::string url, std::string body) {
        return [url, body] {
            std::string r;
            return bench::floor_put(url, kUserPwd, body, r);
        };
    };
    auto cli = [](const char* method, std::string url, std::string body = "") {
        return [method, url, body] { return bench::cli_request(method, url, kUserPwd, body); };
    };
    return {
        {"get_info",
         [](Ptz::ZelkoPtzCameraIsapi& c) { return c.get_info("/ISAPI/System/deviceInfo") == 0; },
         get(info), cli("GET", info)},
        {"get_ptz_absoluteEx",
         [](Ptz::ZelkoPtzCameraIsapi& c) {
             Ptz::PtzAbsoluteEx p{};
             return c.get_ptz_absoluteEx(p) == 0;
         },
         get(abs_url), cli("GET", abs_url)},
        {"set_ptz_absoluteEx",
         [position](Ptz::ZelkoPtzCameraIsapi& c) { return c.set_ptz_absoluteEx(position) == 0; },
         put(abs_url, absolute), cli("PUT", abs_url, absolute)},
        {"reset_zoom", [](Ptz::ZelkoPtzCameraIsapi& c) { return c.reset_zoom() == 0; },
         [g = get(abs_url), p = put(abs_url, zoom_reset)] { return g() && p(); },
         [g = cli("GET", abs_url), p = cli("PUT", abs_url, zoom_reset)] { return g() && p(); }},
        {"reset_position", [](Ptz::ZelkoPtzCameraIsapi& c) { return c.reset_position() == 0; },
         put(home_url, ""), cli("PUT", home_url, "")},
        {"set_ptz_aux",
         [](Ptz::ZelkoPtzCameraIsapi& c) {
             return c.set_ptz_aux(Ptz::PtzAux::Light, Ptz::PtzStatus::On) == 0;
         },
         put(aux_url, aux), cli("PUT", aux_url, aux)},
        {"set_ptz_ctrl",
         [](Ptz::ZelkoPtzCameraIsapi& c) {
             return c.set_ptz_ctrl({10, -5, 0}) == 0;
         },
         put(ctrl_url, ctrl), cli("PUT", ctrl_url, ctrl)},
    };
}

std::string format(const char* pattern, double a, double b = 0, double c = 0, double d = 0,
                   double e = 0, double f = 0, double g = 0, double h = 0) {
    char text[256];
    std::snprintf(text, sizeof text, pattern, a, b, c, d, e, f, g, h);
    return text;
}

// The peak resident set since the last reset_peak(), in KiB.
long peak_kib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return 0;
}

void reset_peak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

long resident_kib() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

}  // namespace

int main(int argc, char** argv) {
    std::string out_path;
    std::string certs;
    int rounds = 1000;
    bool latency_only = false;  // for profiling the per-command path under callgrind or perf
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--latency-only") {
            latency_only = true;
        } else if (i + 1 >= argc) {
            break;
        } else if (std::string(argv[i]) == "--out") {
            out_path = argv[++i];
        } else if (std::string(argv[i]) == "--certs") {
            certs = argv[++i];
        } else if (std::string(argv[i]) == "--rounds") {
            rounds = std::max(20, std::atoi(argv[++i]));
        }
    }
    bench::count_pugixml_allocations();
    const pid_t cameras = start_cameras(certs);
    struct Stop {
        pid_t pid;
        ~Stop() {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    } stop{cameras};

    std::ostringstream report;
    const auto micro =
        latency_only ? std::vector<bench::MicroResult>() : bench::run_micro_benchmarks(argv[0]);
    if (!wait_for_cameras()) {
        std::fprintf(stderr, "ptz_bench: the simulated cameras did not come up\n");
        return 1;
    }
    bool ok = true;

    // 1 and 2: per-command latency, library and floor interleaved, then the curl tool.
    report << "## Per-command latency (µs), " << rounds
           << " rounds of library and floor interleaved, then " << rounds / 10
           << " runs of the curl tool\n\n"
           << "| command | library median | library p99 | floor median | floor p99 | "
              "library/floor | client CPU library/floor | curl tool median | curl tool/library "
              "|\n"
           << "|---|---:|---:|---:|---:|---:|---:|---:|---:|\n";
    double worst = 0.0;
    Ptz::ZelkoPtzCameraIsapi camera("127.0.0.1", kUserPwd);
    for (const Command& command : commands()) {
        std::vector<double> library, floor, cli, library_cpu, floor_cpu;
        for (int i = 0; i < 20; ++i) {  // warm-up
            ok = command.library(camera) && command.floor() && ok;
        }
        for (int i = 0; i < rounds; ++i) {
            if (i % 2 == 0) {
                library.push_back(timed([&] { return command.library(camera); }, ok, library_cpu));
                floor.push_back(timed(command.floor, ok, floor_cpu));
            } else {
                floor.push_back(timed(command.floor, ok, floor_cpu));
                library.push_back(timed([&] { return command.library(camera); }, ok, library_cpu));
            }
        }
        // The curl tool in a block of its own: spawning it slows the exchanges that run between
        // its runs about twofold (measured), which would inflate the library and floor figures.
        for (int i = 0; i < rounds / 10; ++i) {
            cli.push_back(timed(command.cli, ok));
        }
        const Stats l = stats(library), f = stats(floor), t = stats(cli);
        const double cpu_ratio = stats(library_cpu).median / stats(floor_cpu).median;
        worst = std::max(worst, l.median / f.median);
        report << "| " << command.name
               << format(" | %.0f | %.0f | %.0f | %.0f | %.3f | %.3f | %.0f | %.1f |\n", l.median,
                         l.p99, f.median, f.p99, l.median / f.median, cpu_ratio, t.median,
                         t.median / l.median);
    }

    // 1a: the position of any camera against the query of seven values, on a camera that reports
    // all seven: what reading any camera's answer costs over the specified one.
    report << "\n## get_position against get_ptz_absoluteEx (µs per command, " << rounds
           << " rounds interleaved, a camera of seven values)\n\n"
           << "| get_ptz_absoluteEx median | get_position median | ratio |\n|---:|---:|---:|\n";
    {
        Ptz::PtzAbsoluteEx record{};
        Ptz::PtzPosition position{};
        const auto [specified, any] = interleaved_medians(
            rounds, [&] { return camera.get_ptz_absoluteEx(record) == 0; },
            [&] { return camera.get_position(position) == 0; }, ok);
        report << format("| %.0f | %.0f | %.3f |\n", specified, any, any / specified);
    }

    // 1b: a kept session against the default connection and challenge per request, on a camera
    // that answers at once and on one that takes 20 ms per answer.
    report << "\n## Kept session against the default (µs per command, interleaved; " << rounds
           << " rounds on the prompt camera, " << rounds / 20 << " on the slow one)\n\n"
           << "| camera | command | default median | session median | session/default |\n"
           << "|---|---|---:|---:|---:|\n";
    double worst_session = 0.0;
    Ptz::CameraOptions kept;
    kept.keep_session = true;
    for (const char* address : {"127.0.0.1", kSlowCamera}) {
        const bool slow = address == kSlowCamera;
        Ptz::ZelkoPtzCameraIsapi plain(address, kUserPwd), session(address, kUserPwd, kept);
        for (const Command& command : commands()) {
            if (command.name != "get_ptz_absoluteEx" && command.name != "set_ptz_ctrl") {
                continue;
            }
            ok = command.library(plain) && command.library(session) && ok;
            const auto [d, k] = interleaved_medians(
                slow ? rounds / 20 : rounds, [&] { return command.library(plain); },
                [&] { return command.library(session); }, ok);
            worst_session = std::max(worst_session, k / d);
            report << "| " << (slow ? "20 ms per answer" : "prompt") << " | " << command.name
                   << format(" | %.0f | %.0f | %.3f |\n", d, k, k / d);
        }
    }
    report << format("\nworst session/default ratio: %.3f\n", worst_session);

    // 1c: what the camera sees per command, counted by a camera of this process.
    report << "\n## Requests and connections per command (100 set_ptz_ctrl on one object)\n\n"
           << "| mode | requests/command | connections/command |\n|---|---:|---:|\n";
    for (int mode = 0; mode < 3; ++mode) {
        sim::Options counting;
        counting.address = "127.0.0.3";
        counting.close_connections = mode == 2;
        sim::CameraSim counter(counting);
        counter.start();
        Ptz::ZelkoPtzCameraIsapi object("127.0.0.3", kUserPwd,
                                        mode == 0 ? Ptz::CameraOptions() : kept);
        for (int i = 0; i < 100; ++i) {
            ok = object.set_ptz_ctrl({i, 0, 0}) == 0 && ok;
        }
        const char* const names[] = {"default", "kept session",
                                     "kept session, camera closes every connection"};
        report << "| " << names[mode]
               << format(" | %.2f | %.2f |\n", counter.requests().size() / 100.0,
                         counter.connections() / 100.0);
    }

    // 1d: https against http, with a connection per request and with a kept session, which pays
    // for the TLS handshake once.
    if (!certs.empty()) {
        report << "\n## HTTPS against HTTP (get_ptz_absoluteEx, µs, " << rounds / 2
               << " rounds interleaved)\n\n"
               << "| mode | http median | https median | https/http |\n|---|---:|---:|---:|\n";
        Ptz::CameraOptions tls;
        tls.https = true;
        tls.ca_file = certs + "/test-ca.pem";
        for (const bool keep : {false, true}) {
            Ptz::CameraOptions plain_options;
            plain_options.keep_session = tls.keep_session = keep;
            Ptz::ZelkoPtzCameraIsapi http("127.0.0.1", kUserPwd, plain_options),
                https("localhost", kUserPwd, tls);
            Ptz::PtzAbsoluteEx p{};
            ok = http.get_ptz_absoluteEx(p) == 0 && https.get_ptz_absoluteEx(p) == 0 && ok;
            const auto [h, t] = interleaved_medians(
                rounds / 2, [&] { return http.get_ptz_absoluteEx(p) == 0; },
                [&] { return https.get_ptz_absoluteEx(p) == 0; }, ok);
            report << (keep ? "| kept session" : "| default")
                   << format(" | %.0f | %.0f | %.2f |\n", h, t, t / h);
        }
    }

    if (latency_only) {
        std::fputs(report.str().c_str(), stdout);
        return ok ? 0 : 1;
    }

    // 3: in-process costs.
    report << "\n## In-process costs (Google Benchmark, ns per operation)\n\n"
           << "| operation | ns/op |\n|---|---:|\n";
    for (const auto& m : micro) {
        report << "| " << m.name << format(" | %.0f |\n", m.ns_per_op);
    }
    const auto ns = [&micro](const char* name) {
        for (const auto& m : micro) {
            if (m.name == name) {
                return m.ns_per_op;
            }
        }
        return 0.0;
    };
    // Each reading against the XML library's own parse of the same answer.
    const auto against_alone = [&](const char* label, const char* reading, const char* alone) {
        if (ns(alone) > 0) {
            report << label
                   << format(": parse + read / pugixml alone = %.2f\n", ns(reading) / ns(alone));
        }
    };
    report << "\n";
    against_alone("status answer", "parse + get_text, status answer",
                  "baseline: pugixml load_string, status answer");
    against_alone("capabilities answer", "parse + read, capabilities answer of 40 KiB",
                  "baseline: pugixml load_string, the same capabilities answer");

    // 4: throughput over threads, each with its own object and camera.
    report << "\n## Throughput (set_ptz_ctrl, one object and one camera per thread, 2 s each)\n\n"
           << "| threads | commands/s | HTTP requests/s |\n|---:|---:|---:|\n";
    for (int threads : {1, 2, 4, 16, 64}) {
        std::atomic<bool> running{true};
        std::atomic<long> done{0};
        std::atomic<long> failed{0};
        std::vector<std::thread> workers;
        const auto start = Clock::now();
        for (int t = 0; t < threads; ++t) {
            workers.emplace_back([t, &running, &done, &failed] {
                Ptz::ZelkoPtzCameraIsapi own(address_of(t), kUserPwd);
                while (running) {
                    (own.set_ptz_ctrl({t, 0, 0}) == 0 ? done : failed)++;
                }
            });
        }
        std::this_thread::sleep_for(std::chrono::seconds(2));
        running = false;
        for (auto& w : workers) {
            w.join();
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        ok = ok && failed == 0;
        report << format("| %.0f | %.0f | %.0f |\n", threads, done / seconds, 2 * done / seconds);
    }
    {
        std::atomic<bool> running{true};
        std::atomic<long> done{0};
        std::vector<std::thread> workers;
        const auto start = Clock::now();
        for (int t = 0; t < 4; ++t) {
            workers.emplace_back([&running, &done] {
                while (running) {
                    done += raw_request("127.0.0.1", "/capacity") ? 1 : 0;
                }
            });
        }
        std::this_thread::sleep_for(std::chrono::seconds(2));
        running = false;
        for (auto& w : workers) {
            w.join();
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        report << format(
            "\nsimulated camera alone (raw sockets, a connection per request, "
            "4 threads): %.0f HTTP requests/s\n",
            done / seconds);
    }

    // 5: memory over a long run and of an idle object.
    {
        Ptz::ZelkoPtzCameraIsapi one("127.0.0.1", kUserPwd);
        for (int i = 0; i < 1000; ++i) {
            ok = one.set_ptz_ctrl({i, 0, 0}) == 0 && ok;
        }
        const long after_1k = resident_kib();
        for (int i = 1000; i < 100000; ++i) {
            ok = one.set_ptz_ctrl({i, 0, 0}) == 0 && ok;
        }
        const long after_100k = resident_kib();
        const std::size_t before = bench::live_heap_bytes();
        auto idle = std::make_unique<Ptz::ZelkoPtzCameraIsapi>("127.0.0.1", kUserPwd);
        const std::size_t constructed = bench::live_heap_bytes() - before;
        ok = idle->set_ptz_ctrl({0, 0, 0}) == 0 && ok;
        const std::size_t after_command = bench::live_heap_bytes() - before;
        idle.reset();
        const std::size_t after_destruction = bench::live_heap_bytes() - before;
        report << "\n## Memory\n\n"
               << format(
                      "resident set after 1,000 commands: %.0f KiB; after 100,000: %.0f KiB; "
                      "growth %.0f KiB\n",
                      after_1k, after_100k, after_100k - after_1k)
               << format(
                      "heap held by one idle camera object: %.0f bytes as constructed, %.0f "
                      "bytes holding its last answer; %.0f bytes left after destruction\n",
                      constructed, after_command, after_destruction);
    }

    // 6: time to give up on a dead camera.
    {
        Ptz::ZelkoPtzCameraIsapi dead("127.0.0.99", kUserPwd);
        std::vector<double> refused;
        // The expected error lines would only clutter the table.
        if (std::freopen("/dev/null", "w", stderr) == nullptr) {
            ok = false;
        }
        for (int i = 0; i < 20; ++i) {
            bool answered = true;
            refused.push_back(timed([&] { return dead.get_info("/") == 1; }, answered));
            ok = ok && answered;
        }
        bool gave_up = true;
        const double silent = timed([&] { return camera.get_info("/silent") == 1; }, gave_up);
        reset_peak();
        const long resident = resident_kib();
        const double endless = timed([&] { return camera.get_info("/endless") == 1; }, gave_up);
        const long peak_growth = peak_kib() - resident;
        ok = ok && gave_up;
        report << "\n## Giving up on a dead camera\n\n"
               << format(
                      "refused connection: %.0f µs (median of 20); camera that never "
                      "answers: %.2f s\n",
                      stats(refused).median, silent / 1e6)
               << format(
                      "camera that answers without end: gave up after %.3f s at the 16 MiB limit; "
                      "peak resident set %.1f MiB above the resident set before the call\n",
                      endless / 1e6, peak_growth / 1024.0);
    }

    report << format("\nworst library/floor ratio: %.3f\n", worst);
    if (!ok) {
        std::fprintf(stdout, "%s", report.str().c_str());
        std::fprintf(stdout, "ptz_bench: some exchanges failed; the figures are not valid\n");
        return 1;
    }
    std::fputs(report.str().c_str(), stdout);
    if (!out_path.empty()) {
        std::ofstream(out_path, std::ios::app) << report.str();
    }
    return 0;
}
