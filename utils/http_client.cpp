#include "http_client.h"

#include <curl/curl.h>

#include <type_traits>

#include "cancel_deferred.h"
#include "http_request.h"

namespace Utils {

// A copy would release libcurl's global state once too often.
static_assert(!std::is_copy_constructible_v<HttpClient> && !std::is_copy_assignable_v<HttpClient>);

namespace {

const std::string kNoBody;

bool request(HttpMethod method, const std::string& url, const std::string& userpwd,
             const std::string& body, std::string& response) {
    return request_once({method, url, userpwd, body, nullptr}, response);
}

}  // namespace

size_t WriteCallback(void* ptr, size_t size, size_t nmemb, void* userdata) {
    try {
        static_cast<std::string*>(userdata)->append(static_cast<const char*>(ptr), size * nmemb);
    } catch (...) {
        return 0;
    }
    return size * nmemb;
}

HttpClient::HttpClient() {
    const CancelDeferred deferred;  // libcurl's set-up reads files
    curl_global_init(CURL_GLOBAL_ALL);
}

HttpClient::~HttpClient() {
    curl_global_cleanup();
}

bool HttpClient::get(const std::string& url, const std::string& userpwd, std::string& response) {
    return request(HttpMethod::Get, url, userpwd, kNoBody, response);
}

bool HttpClient::put(const std::string& url, const std::string& userpwd, const std::string& body,
                     std::string& response) {
    return request(HttpMethod::Put, url, userpwd, body, response);
}

bool HttpClient::post(const std::string& url, const std::string& userpwd, const std::string& body,
                      std::string& response) {
    return request(HttpMethod::Post, url, userpwd, body, response);
}

bool HttpClient::del(const std::string& url, const std::string& userpwd, std::string& response) {
    return request(HttpMethod::Delete, url, userpwd, kNoBody, response);
}

}  // namespace Utils
