#include "ptzctl_context.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "ptz/terminal_text.h"
#include "ptzctl_output.h"

namespace ptzctl {

volatile std::sig_atomic_t g_interrupted = 0;

namespace {

int g_output_error = 0;

void on_interrupt(int signal) {
    g_interrupted = signal;
}

// SIGINT, SIGTERM and SIGHUP (the operator's terminal or connection gone) set g_interrupted
// instead of ending ptzctl, so that a command ends what it started before it exits: a lens or a
// camera is not left moving. Without SA_RESTART they also cut the engine's wait short. A hangup
// ignored from the start (nohup) stays ignored.
void catch_interrupts() {
    struct sigaction action {};
    action.sa_handler = on_interrupt;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    struct sigaction hangup {};
    if (sigaction(SIGHUP, nullptr, &hangup) == 0 && hangup.sa_handler != SIG_IGN) {
        sigaction(SIGHUP, &action, nullptr);
    }
}

// Each camera holds a connection of its own for the whole run, and a shell's usual limit of
// 1,024 open files is below a large fleet: the limit is raised as far as the system lets (as
// far as needed, no further), and where that is not far enough, the operator is told why some
// cameras will not connect instead of reading "Couldn't connect to server" for each.
void open_files_for(std::size_t cameras) {
    const rlim_t wanted = static_cast<rlim_t>(cameras) + 32;  // stdio, the engine's, some spare
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
        limit.rlim_cur >= wanted) {
        return;
    }
    limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? wanted : std::min(wanted, limit.rlim_max);
    setrlimit(RLIMIT_NOFILE, &limit);
    if (limit.rlim_cur < wanted) {
        const bool one = cameras == 1;
        Context::say("warning: " + std::to_string(cameras) +
                     (one ? " camera wants about " : " cameras want about ") +
                     std::to_string(wanted) + " open files, and this process may open " +
                     std::to_string(limit.rlim_cur) + " (ulimit -Hn): " +
                     (one ? "it may fail to connect" : "the cameras past it will fail to connect"));
    }
}

// Colour only for a person at a terminal who has not asked for none (no-color.org).
bool coloured() {
    const char* no_color = std::getenv("NO_COLOR");
    return isatty(STDERR_FILENO) != 0 && (no_color == nullptr || *no_color == '\0');
}

// The text may echo what an operator or a camera file gave (an unknown key, a bad host), so its
// control bytes are shown rather than sent to the terminal.
std::string said(const std::string& text) {
    const bool colour = coloured();
    return std::string(colour ? "\x1b[31m" : "") +
           "ptzctl: " + Ptz::terminal_text(text, text.size()) + (colour ? "\x1b[0m" : "") + "\n";
}

// `json` with "camera": `name` first in each object at its top level or in its top-level array.
std::string with_camera(const std::string& json, const std::string& name) {
    const std::string field = "\"camera\":" + Ptz::json_text(name);
    std::string out;
    int depth = 0;
    bool in_string = false;
    for (std::size_t i = 0; i < json.size(); ++i) {
        const char c = json[i];
        out += c;
        if (in_string) {
            if (c == '\\' && i + 1 < json.size()) {
                out += json[++i];
            } else if (c == '"') {
                in_string = false;
            }
        } else if (c == '"') {
            in_string = true;
        } else if (c == '{' || c == '[') {
            const bool top = depth == 0 || (depth == 1 && json[0] == '[');
            ++depth;
            if (c == '{' && top) {
                out += field + (i + 1 < json.size() && json[i + 1] == '}' ? "" : ",");
            }
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return out;
}

}  // namespace

Target::Target(Context& context, NamedConnection named) : name(named.name), context_(context) {
    const Connection& c = named.connection;
    Ptz::CameraOptions options;
    // Every command sends on one kept session: goto reads, then sends, and --wait polls.
    options.keep_session = true;
    options.https = c.https;
    options.port = c.port;
    options.channel = c.channel;
    options.ca_file = c.ca_file;
    options.pinned_key = c.pin;
    options.verify_peer = !c.insecure;
    options.error_sink = sink;
    options.error_sink_user = this;
    camera_.reset(new Ptz::ZelkoPtzCameraIsapi(c.host, c.userpwd, options));
}

Ptz::Engine& Target::engine() {
    return context_.engine_;
}

std::string Target::shown(const std::string& text, bool json) const {
    if (!context_.many()) {
        return text;
    }
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end + 1;
        const std::string line = text.substr(at, end - at);
        out += json && !line.empty() && (line[0] == '{' || line[0] == '[') ? with_camera(line, name)
                                                                           : name + ": " + line;
        at = end;
    }
    return out;
}

void Target::print(const std::string& text, bool json) {
    if (!context_.many()) {
        write_out(text);
        return;
    }
    out_ += shown(text, json);
}

void Target::say(const std::string& text) {
    if (!context_.many()) {
        Context::say(text);
        return;
    }
    err_ += said(name + ": " + text);
}

int Target::failed(const std::string& command, int code) {
    if (!quiet) {
        say(command + ": " + camera_->failure_reason());
    }
    return code;
}

void Target::end(int status) {
    if (status_ < 0 && !stopping_) {
        status_ = status;
        moving = false;
        context_.show_ended();
    }
}

void Target::sink(void* user, const char* operation, int, const char* message) {
    Target& target = *static_cast<Target*>(user);
    if (target.context_.verbose && !target.quiet) {
        // The library's own line; the answer in it is escaped already.
        target.say(std::string("[") + operation + "] " + message);
    }
}

void Context::run(const std::function<void(Target&)>& start, bool interrupt_ends) {
    catch_interrupts();
    std::vector<NamedConnection> named_cameras = cameras();
    open_files_for(named_cameras.size());
    std::vector<bool> insecure;
    for (NamedConnection& named : named_cameras) {
        insecure.push_back(named.connection.insecure);
        targets_.push_back(std::make_unique<Target>(*this, std::move(named)));
    }
    // Said once every camera is known, so that with several each line names its camera.
    for (std::size_t i = 0; i < targets_.size(); ++i) {
        if (insecure[i]) {
            targets_[i]->say(
                "warning: --insecure: the camera's certificate is not checked, so "
                "anyone on the path can pose as the camera and read what is sent");
        }
    }
    for (const auto& target : targets_) {
        start(*target);
    }
    const auto running = [this] {
        return engine_.pending() > 0 || std::any_of(targets_.begin(), targets_.end(),
                                                    [](const auto& t) { return !t->ended(); });
    };
    while (running()) {
        if (g_interrupted != 0 && !interrupted_) {
            interrupted_ = true;
            timers_.clear();
            interrupt(interrupt_ends);
        }
        // A bounded wait, so that an interrupt between two checks is seen soon.
        auto until = Clock::now() + std::chrono::milliseconds(100);
        if (!timers_.empty()) {
            until = std::min(until, timers_.begin()->first);
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        engine_.run(static_cast<int>(std::max<long long>(left, 0)));
        while (!timers_.empty() && timers_.begin()->first <= Clock::now()) {
            const std::function<void()> due = std::move(timers_.begin()->second);
            timers_.erase(timers_.begin());
            due();
        }
        if (interrupted_ && engine_.pending() == 0) {
            // What was in flight has ended; so has the command.
            for (const auto& t : targets_) {
                t->end(interrupt_ends ? 0 : 128 + g_interrupted);
            }
        }
        if (!interrupted_ && engine_.pending() == 0 && timers_.empty() && running()) {
            // A command that left a camera with nothing to wait for: a fault of ptzctl's own.
            for (const auto& t : targets_) {
                t->end(t->ended() ? t->status() : 70);
            }
        }
    }
    for (const auto& target : targets_) {
        if (target->status() != 0) {
            status = target->status();
            break;
        }
    }
}

void Context::interrupt(bool interrupt_ends) {
    if (interrupt_ends) {
        return;  // the reads in flight end as they would, and nothing follows them
    }
    const int ended = 128 + g_interrupted;
    for (const auto& target : targets_) {
        if (target->ended()) {
            continue;
        }
        target->quiet = true;  // what the interrupt ends is no failure to report
        if (!target->moving) {
            target->operation.cancel();
            target->end(ended);
            continue;
        }
        // The request in flight is short (a move); the stop goes out after it, on the same
        // connection, and what the command would have done next is dropped.
        Target* t = target.get();
        t->stopping_ = true;
        const Ptz::Callback stopped = [t, ended](int code) {
            t->quiet = false;
            t->stopping_ = false;
            t->end(code == 0 ? ended : t->failed("stop", code));
        };
        t->operation = t->stop ? t->stop(engine_, stopped)
                               : t->camera().set_ptz_ctrl(engine_, {0, 0, 0}, stopped);
    }
}

void Context::after(double seconds, std::function<void()> then) {
    if (interrupted_) {
        return;
    }
    timers_.emplace(Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                       std::chrono::duration<double>(seconds)),
                    std::move(then));
}

void Context::show_ended() {
    for (const auto& target : targets_) {
        if (!target->ended()) {
            return;
        }
        if (!target->shown_) {
            target->shown_ = true;
            write_out(target->out_);
            std::fputs(target->err_.c_str(), stderr);
        }
    }
}

void write_out(const std::string& text) {
    errno = 0;
    const bool written =
        std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
    if (!written && g_output_error == 0) {
        g_output_error = errno != 0 ? errno : EIO;
    }
}

int output_error() {
    return g_output_error;
}

void Context::say(const std::string& text) {
    std::fputs(said(text).c_str(), stderr);
}

}  // namespace ptzctl
