#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "write_data.h"

namespace Utils {

enum class HttpMethod { Get, Put, Post, Delete };

// How a request over https trusts the camera.
struct TlsSettings {
    bool verify_peer = true;  // false: any certificate (a pinned key is still checked)
    std::string ca_file;      // PEM file of the CAs to trust; "": the system's
    std::string pinned_key;   // "sha256//<base64>": the key the camera must hold; "": none
};

// How long a request may take: to connect, and in all (the connection included).
struct Timeouts {
    long connect_ms = 5000;
    long total_ms = 5000;
};

// How often a blocking transfer, or a blocking wait between transfers, asks whether to give up.
inline constexpr std::chrono::milliseconds kAskToAbandonEvery{100};

// A blocking caller's way to give up a transfer that takes long, as an interrupted host must:
// `asked()` runs on the transfer's thread from 100 ms into it, then every 100 ms while data
// flows and about once a second while none does; true abandons the transfer. A transfer quicker
// than 100 ms never asks. set_request_options() starts the count; `abandoned` tells afterwards.
struct Abandon {
    const std::function<bool()>* asked = nullptr;
    std::chrono::steady_clock::time_point next{};
    bool abandoned = false;
};

// One request as the camera object or a host asks for it. `body` is sent by PUT and POST only,
// with "Content-Type: application/xml; charset="UTF-8""; `tls` is null for plain http.
struct HttpRequest {
    HttpMethod method;
    const std::string& url;
    const std::string& userpwd;
    const std::string& body;
    const TlsSettings* tls;
    Timeouts timeouts = Timeouts();
    Abandon* abandon = nullptr;  // none: the transfer runs to its end or its time-out
};

// What became of a transfer, beyond the answer's body.
struct TransferInfo {
    long status = 0;     // the HTTP status of the last answer; 0 when none came
    std::string reason;  // why the transfer did not complete, in libcurl's words; "" when it did
    // Where a redirect (3xx) sends the request, as the camera's Location says it; "" otherwise.
    // A camera that serves https alone answers plain http so, and the line should say where to.
    std::string location;
};

// The method's name on the request line.
const char* method_name(HttpMethod method);
// Whether a request of `method` sends its body, with the Content-Type line.
bool has_body(HttpMethod method);

// Who authenticates a request.
enum class Auth {
    Libcurl,    // libcurl, by Digest alone, from the request's credentials
    InHeaders,  // the caller, by an Authorization line among `headers`, or nobody without one
};

// Sets on `curl` every option a request needs, over whatever an earlier request on the same
// handle left: method, URL, credentials, body, headers, write target, time-outs, TLS. Digest is
// the only scheme allowed and no redirect is followed. `headers` is the Content-Type list, sent
// only with a body, and with Auth::InHeaders also the Authorization line, sent with every
// method; `total_ms` bounds the whole transfer (the request's own bound, or what is left of
// it); libcurl writes its reason for a failure into `error`, CURL_ERROR_SIZE bytes, which must
// outlive the transfer.
void set_request_options(CURL* curl, const HttpRequest& request, curl_slist* headers,
                         ResponseSink& sink, long total_ms, char* error, Auth auth = Auth::Libcurl);

// What a finished transfer tells beyond the answer: the status of the answer, or why the
// transfer failed (`code` is libcurl's). True when it completed.
bool transfer_info(CURL* curl, CURLcode code, const ResponseSink& sink, const char* error,
                   TransferInfo* info);

// The sockets opened for transfers set up by set_request_options, in the whole process so far.
// Until it moves, a socket number watched before still names the same socket.
std::uint64_t sockets_opened();

// The Content-Type header list of the requests with a body; null when memory is exhausted.
curl_slist* content_type_header();

// Caches of one camera's own, for a handle to take with CURLOPT_SHARE: its connections, so that a
// handle in a multi handle keeps its own, and its resolved names. In a multi handle's cache, one
// entry for each of a fleet's cameras, libcurl would walk every entry at the end of every
// transfer to prune it. Null when memory is exhausted.
CURLSH* camera_caches();

// One request on a handle and a connection of its own; true when the transfer completed. The
// answer's body is appended to `response`; `info`, when given, tells the rest.
bool request_once(const HttpRequest& request, std::string& response, TransferInfo* info = nullptr);

}  // namespace Utils
