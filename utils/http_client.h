#pragma once

#include <cstddef>
#include <string>

#include "export.h"

/// The transport: HTTP requests and XML texts.
namespace Utils {

/// libcurl write callback for host code: appends size * nmemb bytes from ptr to the
/// std::string that userdata points to and returns size * nmemb. Neither pointer is checked.
/// When the string cannot grow (memory exhausted), it returns 0, which makes libcurl end the
/// transfer with a write error; nothing is thrown through libcurl.
ZELKO_PTZ_API size_t WriteCallback(void* ptr, size_t size, size_t nmemb, void* userdata);

/// One synchronous HTTP request per call, HTTP Digest only, 5 s to connect and 5 s in all.
///
/// Each request opens its own connection and repeats the Digest challenge; nothing is kept
/// between calls. The answer's body is appended to `response`, whatever its HTTP status:
/// judging it is the caller's business. Every request returns true exactly when the transfer
/// completed; bytes received before a failure stay in `response`.
///
/// One request takes in at most kMaxResponseBytes of answer: a longer or endless answer, or one
/// that memory cannot hold, ends the transfer and the request returns false.
class ZELKO_PTZ_API HttpClient {
public:
    /// 16 MiB: camera answers are a few KiB, a snapshot picture a few MiB.
    static constexpr size_t kMaxResponseBytes = 16 * 1024 * 1024;

    /// Takes a share of libcurl's process-wide initialisation.
    HttpClient();
    /// Releases that share; the last client destroyed releases libcurl's global state.
    ~HttpClient();

    /// Copies would release libcurl's global state once too often.
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    /// GET `url`, authenticating with `userpwd` ("name:password").
    bool get(const std::string& url, const std::string& userpwd, std::string& response);
    /// PUT `body` to `url` with "Content-Type: application/xml; charset="UTF-8"".
    bool put(const std::string& url, const std::string& userpwd, const std::string& body,
             std::string& response);
    /// POST `body` to `url`, with the same header as put().
    bool post(const std::string& url, const std::string& userpwd, const std::string& body,
              std::string& response);
    /// DELETE `url`, without a body.
    bool del(const std::string& url, const std::string& userpwd, std::string& response);
};

}  // namespace Utils
