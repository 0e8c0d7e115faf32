#include "ptzctl_context.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace ptzctl {

volatile std::sig_atomic_t g_interrupted = 0;

namespace {

void on_interrupt(int signal) {
    g_interrupted = signal;
}

// Colour only for a person at a terminal who has not asked for none (no-color.org).
bool coloured() {
    const char* no_color = std::getenv("NO_COLOR");
    return isatty(STDERR_FILENO) != 0 && (no_color == nullptr || *no_color == '\0');
}

}  // namespace

void catch_interrupts() {
    struct sigaction action {};
    action.sa_handler = on_interrupt;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool pause_for(double seconds) {
    using Clock = std::chrono::steady_clock;
    const auto until = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                          std::chrono::duration<double>(seconds));
    while (g_interrupted == 0) {
        const auto left = until - Clock::now();
        if (left <= Clock::duration::zero()) {
            return true;
        }
        const auto whole = std::chrono::duration_cast<std::chrono::seconds>(left);
        const timespec pause{static_cast<std::time_t>(whole.count()),
                             static_cast<long>((left - whole).count())};
        nanosleep(&pause, nullptr);
    }
    return false;
}

Ptz::ZelkoPtzCameraIsapi& Context::camera() {
    if (!camera_) {
        if (connection.insecure) {
            say("warning: --insecure: the camera's certificate is not checked, so anyone on the "
                "path can pose as the camera and read what is sent");
        }
        Ptz::CameraOptions options;
        // Every command sends on one kept session: goto reads, then sends, and --wait polls.
        options.keep_session = true;
        options.https = connection.https;
        options.port = connection.port;
        options.channel = connection.channel;
        options.ca_file = connection.ca_file;
        options.pinned_key = connection.pin;
        options.verify_peer = !connection.insecure;
        options.error_sink = sink;
        options.error_sink_user = this;
        camera_.reset(new Ptz::ZelkoPtzCameraIsapi(connection.host, connection.userpwd, options));
    }
    return *camera_;
}

void Context::sink(void* user, const char* operation, int, const char* message) {
    const Context& context = *static_cast<const Context*>(user);
    if (context.verbose && !context.quiet) {
        // The library's own line; the answer in it is escaped already.
        context.say(std::string("[") + operation + "] " + message);
    }
}

int Context::failed(const std::string& command, int code) {
    if (!quiet) {
        say(command + ": " + camera().failure_reason());
    }
    return code;
}

void Context::say(const std::string& text) {
    const bool colour = coloured();
    std::fprintf(stderr, "%sptzctl: %s%s\n", colour ? "\x1b[31m" : "", text.c_str(),
                 colour ? "\x1b[0m" : "");
}

}  // namespace ptzctl
