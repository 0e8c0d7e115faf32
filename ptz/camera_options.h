#pragma once

#include <string>

#include "../utils/export.h"

namespace Ptz {

/// Receives the library's error lines in place of stderr: `operation` is the method's name,
/// `code` its result code and `message` the line's text after "[Error] [<operation>] ", without
/// colour codes and line feeds ("Fail to complete http get."). An answer in it is escaped and
/// cut as on stderr. Called once per failure, on the caller's thread, before the method returns.
/// The sink must not throw: an exception from it is the host's bug, and leaves the method through
/// the library with the object still usable.
using ErrorSink = void (*)(void* user, const char* operation, int code, const char* message);

/// How a line goes to stderr without a sink, for printf with the operation and the message: red,
/// "[Error] [<operation>] ", the message, a line feed, the colour's reset and a second line feed.
inline constexpr char kErrorLineFormat[] = "\x1b[31m[Error] [%s] %s\n\x1b[0m\n";

/// How a camera object reaches its camera, beyond the address and the credentials. The defaults
/// are the two-argument constructor's: plain http on port 80, channel 1, a new connection per
/// request, error lines on stderr.
///
/// An option out of range, or a TLS setting without `https`, is reported by every method: it
/// returns 10 with one error line naming the option, and sends nothing.
///
/// The struct's size is part of the binary interface, since hosts pass it by value: it keeps the
/// fields of 1.1, and later settings come as methods of the camera object.
struct CameraOptions {
    /// Keep one connection and the Digest challenge across requests, so that a command costs one
    /// request: the first request of the object is challenged, the others answer the kept
    /// challenge. A challenge the camera no longer knows (expired, or the camera restarted) is
    /// renewed by sending the request once more; a closed connection is reopened.
    bool keep_session = false;

    /// https instead of http. The certificate is checked against `ca_file` or the system's CAs,
    /// and must name the address, unless `pinned_key` or `verify_peer` say otherwise.
    bool https = false;
    /// 1 to 65535; 0 is the scheme's own, 80 or 443.
    int port = 0;
    /// The PTZ channel of every ".../channels/<channel>/..." path: 1 or more. A recorder's
    /// cameras are its channels 1, 2, ...
    int channel = 1;
    /// With https: a PEM file of the CAs to trust, such as a site's own, instead of the system's.
    std::string ca_file;
    /// With https: the camera's public key, "sha256//" and the base64 SHA-256 of its DER form
    /// (several joined by ";"). The key alone is then trusted: a certificate the camera made
    /// itself passes, as long as its key is this one. With `ca_file` too, the chain must hold as
    /// well.
    std::string pinned_key;
    /// With https, false accepts any certificate from whoever answers at the address: the link
    /// is encrypted but not authenticated, so anyone on the path can read and change every
    /// command and answer, and capture the Digest to crack the password offline. Use `ca_file`
    /// or `pinned_key` instead.
    bool verify_peer = true;

    /// Where error lines go; null: stderr, as the two-argument constructor writes them.
    ErrorSink error_sink = nullptr;
    /// Handed to `error_sink` as its first argument.
    void* error_sink_user = nullptr;
};

/// The message of the line that every method writes for these options, such as "Bad option
/// port: 70000; it takes 1 to 65535, or 0 for the scheme's own."; "" when they are good. A host
/// checks what its user typed with it before it makes a camera object.
ZELKO_PTZ_API std::string options_error(const CameraOptions& options);

/// The message of the line that every method writes for these credentials ("NAME:PASSWORD"),
/// such as "Please input a user name without control characters."; "" when they can be sent. A
/// control byte in the user name would go into the Authorization line, and libcurl cuts
/// credentials at a NUL.
ZELKO_PTZ_API std::string credentials_error(const std::string& userpwd);

/// The message of the line that every method writes for this address, "Please input a host name
/// or an IP address alone, without spaces or control characters.", when it is empty or holds a
/// space, a control byte, "/", "?", "#", "@" (after which the URL's host would be another) or a
/// ":" outside brackets (a port), or "Please input an IPv6 address in brackets, as [fd00::5]."
/// for "fd00::5"; "" when it can stand in the URL. Since 1.6.
ZELKO_PTZ_API std::string address_error(const std::string& address);

/// The message of the line that every method of a camera object made of these writes: that of
/// options_error(), else credentials_error(), else address_error(); "" when it can send. Since
/// 1.7.
ZELKO_PTZ_API std::string camera_error(const std::string& address, const std::string& userpwd,
                                       const CameraOptions& options);

}  // namespace Ptz
