#pragma once

#include <curl/curl.h>

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

// One request as the camera object or a host asks for it. `body` is sent by PUT and POST only,
// with "Content-Type: application/xml; charset="UTF-8""; `tls` is null for plain http.
struct HttpRequest {
    HttpMethod method;
    const std::string& url;
    const std::string& userpwd;
    const std::string& body;
    const TlsSettings* tls;
};

// What became of a transfer, beyond the answer's body.
struct TransferInfo {
    long status = 0;     // the HTTP status of the last answer; 0 when none came
    std::string reason;  // why the transfer did not complete, in libcurl's words; "" when it did
};

// The whole time a request may take, and the time to connect within it.
const long kRequestTimeoutMs = 5000;

// Sets on `curl` every option a request needs, over whatever an earlier request on the same
// handle left: method, URL, credentials, body, headers, write target, time-outs, TLS. Digest is
// the only scheme allowed and no redirect is followed. `headers` is the Content-Type list, sent
// only with a body; `timeout_ms` bounds the whole transfer; libcurl writes its reason for a
// failure into `error`, CURL_ERROR_SIZE bytes.
void set_request_options(CURL* curl, const HttpRequest& request, curl_slist* headers,
                         ResponseSink& sink, long timeout_ms, char* error);

// Runs the transfer set up on `curl`; true when it completed. `info`, when given, gets the
// status of the answer, or why the transfer failed.
bool perform(CURL* curl, const ResponseSink& sink, const char* error, TransferInfo* info);

// The Content-Type header list of the requests with a body; null when memory is exhausted.
curl_slist* content_type_header();

// One request on a handle and a connection of its own; true when the transfer completed. The
// answer's body is appended to `response`; `info`, when given, tells the rest.
bool request_once(const HttpRequest& request, std::string& response, TransferInfo* info = nullptr);

}  // namespace Utils
