#include "camera_link.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <pugixml.hpp>

#include "limits.h"

namespace Ptz {

namespace {

const char* const kChannelsPath = "/ISAPI/PTZCtrl/channels/";

// libcurl's form of a pinned key: "sha256//" and the base64 of a 32-byte digest, several
// joined by ";".
bool is_pinned_key(const std::string& pins) {
    static const char kBase64[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::string prefix = "sha256//";
    std::size_t at = 0;
    for (;;) {
        const std::size_t end = std::min(pins.find(';', at), pins.size());
        const std::string pin = pins.substr(at, end - at);
        if (pin.size() != prefix.size() + 44 || pin.compare(0, prefix.size(), prefix) != 0 ||
            pin.find_first_not_of(kBase64, prefix.size()) != pin.size() - 1 || pin.back() != '=') {
            return false;
        }
        if (end == pins.size()) {
            return true;
        }
        at = end + 1;
    }
}

// The seconds a camera says it keeps an account locked, from its "userCheck" answer; 0 when
// the answer says nothing of a lock.
double locked_for(const std::string& answer) {
    pugi::xml_document doc;
    if (!doc.load_buffer(answer.data(), answer.size())) {
        return 0;
    }
    const pugi::xml_node check = doc.child("userCheck");
    if (std::string(check.child_value("lockStatus")) != "lock") {
        return 0;
    }
    const double seconds = std::strtod(check.child_value("unlockTime"), nullptr);
    // A camera's own figure, bounded by a day: a hold must end.
    return std::isfinite(seconds) ? std::fmin(std::fmax(seconds, 0.0), 86400.0) : 0.0;
}

}  // namespace

// Credentials that would change the request: a control byte in the user name, which libcurl
// writes into the Authorization line as it stands (a line feed there ends the line, and what
// follows is a header of the caller's making), or a NUL, at which libcurl cuts them.
std::string credentials_error(const std::string& userpwd) {
    const std::string user = userpwd.substr(0, userpwd.find(':'));
    if (std::any_of(user.begin(), user.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; })) {
        return "Please input a user name without control characters.";
    }
    if (userpwd.find('\0') != std::string::npos) {
        return "Please input credentials without a NUL byte.";
    }
    return std::string();
}

// An address that would not be the URL's host alone, or no host at all: after an "@" the host is
// another ("cam.example.net@other"), a "/", "?" or "#" ends the host early, a ":" outside
// brackets begins a port, and a space or a control byte makes no URL (libcurl would fail it as a
// transfer, and cut it at a NUL). An IPv6 literal stands in brackets in a URL, and one without
// them is said as such.
std::string address_error(const std::string& address) {
    const bool bracketed = address.size() > 2 && address.front() == '[' && address.back() == ']';
    const std::string host = bracketed ? address.substr(1, address.size() - 2) : address;
    const bool clean = !host.empty() && std::none_of(host.begin(), host.end(), [](char c) {
        return static_cast<unsigned char>(c) <= ' ' || c == 0x7f || c == '@' || c == '/' ||
               c == '?' || c == '#' || c == '[' || c == ']';
    });
    const auto colons = std::count(host.begin(), host.end(), ':');
    if (clean && (bracketed || colons == 0)) {
        return std::string();
    }
    return clean && colons > 1
               ? "Please input an IPv6 address in brackets, as [fd00::5]."
               : "Please input a host name or an IP address alone, without spaces or control "
                 "characters.";
}

std::string options_error(const CameraOptions& o) {
    if (!kPorts.hold(o.port)) {
        return "Bad option port: " + std::to_string(o.port) +
               "; it takes 1 to 65535, or 0 for the scheme's own.";
    }
    if (!kChannels.hold(o.channel)) {
        return "Bad option channel: " + std::to_string(o.channel) + "; it takes 1 or more.";
    }
    if (!o.https && !o.ca_file.empty()) {
        return "Bad option ca_file: it needs https.";
    }
    if (o.ca_file.find('\0') != std::string::npos) {
        // libcurl would open the file named by the bytes before it: another file of CAs.
        return "Bad option ca_file: a file name holds no NUL byte.";
    }
    if (!o.https && !o.pinned_key.empty()) {
        return "Bad option pinned_key: it needs https.";
    }
    if (!o.https && !o.verify_peer) {
        return "Bad option verify_peer: false needs https.";
    }
    if (!o.pinned_key.empty() && !is_pinned_key(o.pinned_key)) {
        return "Bad option pinned_key: it takes sha256// and the base64 SHA-256 of the key, "
               "several joined by ;.";
    }
    return std::string();
}

std::string camera_error(const std::string& address, const std::string& userpwd,
                         const CameraOptions& options) {
    std::string bad = options_error(options);
    bad = bad.empty() ? credentials_error(userpwd) : bad;
    return bad.empty() ? address_error(address) : bad;
}

CameraLink::CameraLink(const std::string& address, const std::string& userpwd,
                       CameraOptions options)
    : options_(std::move(options)),
      userpwd_(userpwd),
      option_error_(camera_error(address, userpwd_, options_)) {
    const int port = options_.port != 0 ? options_.port : options_.https ? 443 : 80;
    base_ = (options_.https ? "https://" : "http://") + address + ":" + std::to_string(port);
    channel_base_ = base_ + kChannelsPath + std::to_string(options_.channel);
    input_base_ = base_ + "/ISAPI/System/Video/inputs/channels/" + std::to_string(options_.channel);
    tls_.verify_peer = options_.verify_peer;
    tls_.ca_file = options_.ca_file;
    tls_.pinned_key = options_.pinned_key;
    if (options_.keep_session) {
        session_.reset(new Utils::HttpSession(userpwd_));
    }
}

bool CameraLink::refuses(TimePoint now, Outcome& outcome) const {
    if (!option_error_.empty()) {
        outcome = {10, option_error_, ""};
        return true;
    }
    if (now < held_until_) {
        const auto left = std::chrono::duration<double>(held_until_ - now).count();
        outcome = {10,
                   "The camera refused the credentials; the next try is in " +
                       std::to_string(static_cast<long>(std::ceil(left))) + " s.",
                   ""};
        return true;
    }
    return false;
}

void CameraLink::answered(long status, const std::string& body, TimePoint now) {
    // The session has not retried this one: the camera counts it as a failed login.
    if (session_ && status == 401) {
        hold(body, now);
    }
}

void CameraLink::hold(const std::string& answer, TimePoint now) {
    const auto locked = std::chrono::duration<double>(locked_for(answer));
    held_until_ = now + std::max<Clock::duration>(
                            refusal_hold_, std::chrono::duration_cast<Clock::duration>(locked));
}

void CameraLink::ended(const char* operation, const Outcome& outcome) {
    if (outcome.code == 0) {
        reason_.clear();
        return;
    }
    reason_ = outcome.reason.empty() ? outcome.message : outcome.reason;
    if (!outcome.message.empty()) {
        report(operation, outcome.code, outcome.message);
    }
}

void CameraLink::report(const char* operation, int code, const std::string& message) const {
    if (options_.error_sink != nullptr) {
        options_.error_sink(options_.error_sink_user, operation, code, message.c_str());
        return;
    }
    // One formatted print, so that lines from several threads do not interleave.
    std::fprintf(stderr, kErrorLineFormat, operation, message.c_str());
}

void release(CameraLink* link) {
    if (link != nullptr && link->holders.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        delete link;
    }
}

}  // namespace Ptz
