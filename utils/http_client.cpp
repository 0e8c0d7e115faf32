#include "http_client.h"

#include <curl/curl.h>

#include "write_data.h"

namespace Utils {

namespace {

// Without this header line libcurl would label the body as a form.
const char* const kContentType = "Content-Type: application/xml; charset=\"UTF-8\"";

const long kTimeoutSeconds = 5;

// Any other count than the one libcurl offered makes it abort the transfer.
const size_t kRefused = static_cast<size_t>(-1);

bool perform(CURL* curl) {
    return curl_easy_perform(curl) == CURLE_OK;
}

// put and post differ only in how the method is chosen (option 3).
bool send_body(const char* method, const std::string& url, const std::string& userpwd,
               const std::string& body, std::string& response) {
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        return false;
    }
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERPWD, userpwd.c_str());
    if (method == nullptr) {
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
    } else {
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method);
    }
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    curl_slist* headers = curl_slist_append(nullptr, kContentType);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    // Digest alone: a camera that offers only Basic must never see the password in clear.
    curl_easy_setopt(curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_DIGEST));
    ResponseSink sink{&response, 0};
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onWriteData);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, kTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kTimeoutSeconds);
    const bool ok = perform(curl);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return ok;
}

}  // namespace

size_t onWriteData(void* ptr, size_t size, size_t nmemb, void* userdata) {
    ResponseSink* sink = static_cast<ResponseSink*>(userdata);
    if (sink == nullptr || ptr == nullptr) {
        return kRefused;
    }
    // An answer that never ends would otherwise hold the whole link's worth of bytes.
    const size_t bytes = size * nmemb;
    if (bytes > HttpClient::kMaxResponseBytes - sink->taken) {
        return kRefused;
    }
    // An exception must not unwind through libcurl's C frames.
    try {
        sink->response->append(static_cast<const char*>(ptr), bytes);
    } catch (...) {
        return kRefused;
    }
    sink->taken += bytes;
    return nmemb;
}

size_t WriteCallback(void* ptr, size_t size, size_t nmemb, void* userdata) {
    try {
        static_cast<std::string*>(userdata)->append(static_cast<const char*>(ptr), size * nmemb);
    } catch (...) {
        return 0;
    }
    return size * nmemb;
}

HttpClient::HttpClient() {
    curl_global_init(CURL_GLOBAL_ALL);
}

HttpClient::~HttpClient() {
    curl_global_cleanup();
}

bool HttpClient::get(const std::string& url, const std::string& userpwd, std::string& response) {
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        return false;
    }
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "GET");
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERPWD, userpwd.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_DIGEST));
    ResponseSink sink{&response, 0};
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onWriteData);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, kTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kTimeoutSeconds);
    const bool ok = perform(curl);
    curl_easy_cleanup(curl);
    return ok;
}

bool HttpClient::put(const std::string& url, const std::string& userpwd, const std::string& body,
                     std::string& response) {
    return send_body("PUT", url, userpwd, body, response);
}

bool HttpClient::post(const std::string& url, const std::string& userpwd, const std::string& body,
                      std::string& response) {
    return send_body(nullptr, url, userpwd, body, response);
}

}  // namespace Utils
