#pragma once

#include <chrono>
#include <csignal>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ptz/engine.h"
#include "ptz/zelko_ptz_camera_isapi.h"

namespace ptzctl {

// Where a camera is and how to reach it: the command line, a camera file, the environment.
struct Connection {
    std::string host, userpwd, ca_file, pin;
    int port = 0;
    int channel = 1;
    bool https = false, insecure = false;
};

// A camera of the run: its name for the output (its --camera name, or its host) and how to
// reach it.
struct NamedConnection {
    std::string name;
    Connection connection;
};

// Exit statuses beside the library's result codes.
const int kSettledElsewhere = 4;  // --wait: the camera came to rest away from the target
const int kBadArguments = 64;
const int kNoResources = 71;   // out of memory, or of open files
const int kOutputFailed = 74;  // the output could not be written: a full disk

// Writes `text` to stdout at once. The first write that fails is kept, so that the run ends with
// a line and kOutputFailed rather than with 0 and its output lost.
void write_out(const std::string& text);
// The errno of the first write to stdout that failed; 0 while none has.
int output_error();

// Set by SIGINT and SIGTERM while a command runs; the signal's number.
extern volatile std::sig_atomic_t g_interrupted;

class Context;

// One camera of the run: its camera object on the run's engine, its output, and the exit status
// of the command on it. With several cameras each line of its output starts with its name, and
// its output is shown in the order of the cameras as given.
class Target {
public:
    Target(Context& context, NamedConnection named);
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    const std::string name;
    Ptz::ZelkoPtzCameraIsapi& camera() { return *camera_; }
    Ptz::Engine& engine();

    // Output on stdout: `text`, one or more whole lines. With several cameras each line starts
    // with "<name>: ", and a JSON object gains "camera" first.
    void print(const std::string& text, bool json = false);
    // `text` as print() would show it.
    std::string shown(const std::string& text, bool json) const;
    // A line of ptzctl's own on stderr: "ptzctl: [<name>: ]<text>".
    void say(const std::string& text);
    // Says why `command` failed with the library's `code`. Returns `code`.
    int failed(const std::string& command, int code);
    // The command has ended on this camera with `status`.
    void end(int status);
    bool ended() const { return status_ >= 0; }
    // `step` as a callback that runs only while the command goes on here: after an interrupt,
    // what a cancelled operation ends is no step of the command's.
    template <typename Step>
    auto guard(Step step) {
        return [this, step](auto&&... result) {
            if (status_ < 0 && !stopping_) {
                step(result...);
            }
        };
    }
    int status() const { return status_; }

    // While true, the library's failures are neither shown nor told (a probe whose failure
    // changes nothing, such as the capabilities behind `preset list`).
    bool quiet = false;
    // A continuous or timed move that an interrupt must stop, and how: null sends 0 0 0.
    bool moving = false;
    std::function<Ptz::Operation(Ptz::Engine&, Ptz::Callback)> stop;
    // The operation in flight, which an interrupt cancels.
    Ptz::Operation operation;

private:
    friend class Context;
    static void sink(void* user, const char* operation, int code, const char* message);

    Context& context_;
    std::unique_ptr<Ptz::ZelkoPtzCameraIsapi> camera_;
    int status_ = -1;
    bool stopping_ = false;  // interrupted, its stop in flight
    std::string out_, err_;  // held until the cameras before it have ended
    bool shown_ = false;     // its output is out
};

// What every command shares: the cameras and how to reach them, how failures are shown, and
// the engine that steers every camera at once.
class Context {
public:
    // The cameras named on the command line, resolved only when a command runs, so that every
    // argument is checked before any camera is contacted.
    std::function<std::vector<NamedConnection>()> cameras;
    bool verbose = false;  // show the library's whole error lines too
    int status = 0;        // the exit status of the command run

    // Starts the command on every camera with `start` and drives them all to their ends; then
    // status is 0, or the status of the first camera, in the order given, that failed. An
    // interrupt (SIGINT, SIGTERM) cancels what is in flight, stops every camera that a move
    // started, and ends each with 128 + the signal; with `interrupt_ends` the reads in flight
    // end as they would, nothing follows them, and each camera ends with 0 (watch).
    void run(const std::function<void(Target&)>& start, bool interrupt_ends = false);
    // Runs `then` after `seconds` (an interrupt drops it).
    void after(double seconds, std::function<void()> then);

    bool many() const { return targets_.size() > 1; }
    const std::vector<std::unique_ptr<Target>>& targets() const { return targets_; }

    // A line of ptzctl's own on stderr, "ptzctl: <text>", red on a terminal unless NO_COLOR.
    static void say(const std::string& text);

private:
    friend class Target;
    using Clock = std::chrono::steady_clock;
    void interrupt(bool interrupt_ends);
    void show_ended();

    std::vector<std::unique_ptr<Target>> targets_;
    std::multimap<Clock::time_point, std::function<void()>> timers_;
    bool interrupted_ = false;
    Ptz::Engine engine_;  // after the targets, so that it ends before their cameras
};

}  // namespace ptzctl
