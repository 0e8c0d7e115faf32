#pragma once

#include <csignal>
#include <memory>
#include <string>

#include "ptz/zelko_ptz_camera_isapi.h"

namespace ptzctl {

// Where the camera is and how to reach it: the command line, a camera file, the environment.
struct Connection {
    std::string host, userpwd, ca_file, pin;
    int port = 0;
    int channel = 1;
    bool https = false, insecure = false;
};

// Exit statuses beside the library's result codes.
const int kSettledElsewhere = 4;  // --wait: the camera came to rest away from the target
const int kBadArguments = 64;

// Set by SIGINT and SIGTERM while a command that takes time runs; the signal's number.
extern volatile std::sig_atomic_t g_interrupted;

// Makes SIGINT and SIGTERM set g_interrupted instead of ending ptzctl, so that a command ends
// what it started (a motion it times itself, a watch) before it exits.
void catch_interrupts();

// Sleeps `seconds`; false when SIGINT or SIGTERM cut it short (after catch_interrupts()).
bool pause_for(double seconds);

// What every command shares: the connection options, how failures are shown, and the one camera
// object of the run, whose kept session serves every request.
class Context {
public:
    Connection connection;
    bool verbose = false;  // show the library's whole error lines too
    int status = 0;        // the exit status of the command run

    // The camera object, made on first use.
    Ptz::ZelkoPtzCameraIsapi& camera();

    // Says why `command` failed with the library's `code`, in one line on stderr:
    // "ptzctl: <command>: <reason>", red on a terminal unless NO_COLOR is set. Returns `code`.
    int failed(const std::string& command, int code);

    // A line of ptzctl's own on stderr, "ptzctl: <text>", coloured as failed() colours.
    static void say(const std::string& text);

    // While true, the library's failures are neither shown nor told (a probe whose failure
    // changes nothing, such as the capabilities behind `preset list`).
    bool quiet = false;

private:
    static void sink(void* user, const char* operation, int code, const char* message);

    std::unique_ptr<Ptz::ZelkoPtzCameraIsapi> camera_;
};

}  // namespace ptzctl
