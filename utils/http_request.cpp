#include "http_request.h"

#include <sys/socket.h>

#include <algorithm>
#include <atomic>

#include "cancel_deferred.h"
#include "http_client.h"

namespace Utils {

namespace {

// Without this header line libcurl would label the body as a form.
const char* const kContentType = "Content-Type: application/xml; charset=\"UTF-8\"";
const long kReceiveBufferBytes = 4096;

// Any other count than the one libcurl offered makes it abort the transfer.
const size_t kRefused = static_cast<size_t>(-1);

std::atomic<std::uint64_t> g_sockets_opened{0};

curl_socket_t open_socket(void*, curlsocktype, curl_sockaddr* address) {
    const curl_socket_t fd = ::socket(address->family, address->socktype, address->protocol);
    if (fd != CURL_SOCKET_BAD) {
        g_sockets_opened.fetch_add(1, std::memory_order_relaxed);
    }
    return fd;
}

// libcurl's progress callback, which it calls often while data flows and about once a second
// while none does; the caller's question, asked at most every 100 ms. An exception must not
// cross libcurl, so one ends the transfer as an answer of yes would.
int ask_to_abandon(void* data, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    Abandon& abandon = *static_cast<Abandon*>(data);
    const auto now = std::chrono::steady_clock::now();
    if (now < abandon.next) {
        return 0;
    }
    abandon.next = now + kAskToAbandonEvery;
    try {
        abandon.abandoned = (*abandon.asked)();
    } catch (...) {
        abandon.abandoned = true;
    }
    return abandon.abandoned ? 1 : 0;
}

// libcurl sends a body by POST unless told otherwise.
const char* custom_method(HttpMethod method) {
    return method == HttpMethod::Post ? nullptr : method_name(method);
}

void set_tls_options(CURL* curl, const TlsSettings& tls) {
    // A pinned key is trusted on its own, so that a camera with a certificate of its own making
    // can be trusted; with a CA file as well, the chain must hold too.
    const bool check_chain = tls.verify_peer && (tls.pinned_key.empty() || !tls.ca_file.empty());
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, check_chain ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, check_chain ? 2L : 0L);
    if (!tls.ca_file.empty()) {
        curl_easy_setopt(curl, CURLOPT_CAINFO, tls.ca_file.c_str());
    }
    if (!tls.pinned_key.empty()) {
        curl_easy_setopt(curl, CURLOPT_PINNEDPUBLICKEY, tls.pinned_key.c_str());
    }
}

}  // namespace

bool has_body(HttpMethod method) {
    return method == HttpMethod::Put || method == HttpMethod::Post;
}

const char* method_name(HttpMethod method) {
    switch (method) {
        case HttpMethod::Get:
            return "GET";
        case HttpMethod::Put:
            return "PUT";
        case HttpMethod::Delete:
            return "DELETE";
        case HttpMethod::Post:
            break;
    }
    return "POST";
}

size_t onWriteData(void* ptr, size_t size, size_t nmemb, void* userdata) {
    ResponseSink* sink = static_cast<ResponseSink*>(userdata);
    if (sink == nullptr || ptr == nullptr) {
        return kRefused;
    }
    // An answer that never ends would otherwise hold the whole link's worth of bytes.
    const size_t bytes = size * nmemb;
    if (bytes > HttpClient::kMaxResponseBytes - sink->taken) {
        sink->too_long = true;
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

std::uint64_t sockets_opened() {
    return g_sockets_opened.load(std::memory_order_relaxed);
}

curl_slist* content_type_header() {
    return curl_slist_append(nullptr, kContentType);
}

CURLSH* camera_caches() {
    CURLSH* caches = curl_share_init();
    if (caches != nullptr &&
        (curl_share_setopt(caches, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT) != CURLSHE_OK ||
         curl_share_setopt(caches, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS) != CURLSHE_OK)) {
        curl_share_cleanup(caches);
        return nullptr;
    }
    return caches;
}

void set_request_options(CURL* curl, const HttpRequest& request, curl_slist* headers,
                         ResponseSink& sink, long total_ms, char* error, Auth auth) {
    error[0] = '\0';
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    // libcurl reads the URL up to its first NUL: an address or a path holding one would send the
    // request to another resource, and a query there would succeed. The NUL goes as a byte that
    // libcurl refuses in any URL, so the transfer fails, as for any other control byte, unsent.
    if (request.url.find('\0') == std::string::npos) {
        curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    } else {
        std::string refused = request.url;  // libcurl keeps a copy
        std::replace(refused.begin(), refused.end(), '\0', '\x7f');
        curl_easy_setopt(curl, CURLOPT_URL, refused.c_str());
    }
    if (auth == Auth::InHeaders) {
        curl_easy_setopt(curl, CURLOPT_USERPWD, nullptr);
        curl_easy_setopt(curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_NONE));
    } else {
        curl_easy_setopt(curl, CURLOPT_USERPWD, request.userpwd.c_str());
        // Digest alone: a camera that offers only Basic must never see the password in clear.
        curl_easy_setopt(curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_DIGEST));
    }
    if (has_body(request.method)) {
        // By pointer: the body outlives the synchronous transfer.
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(request.body.size()));
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    } else {
        // A kept handle must not send the body or the header of the request before.
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, nullptr);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, -1L);
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, auth == Auth::InHeaders ? headers : nullptr);
    }
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, custom_method(request.method));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onWriteData);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, total_ms);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, request.timeouts.connect_ms);
    // A camera answers in a few hundred bytes: libcurl's 16 KiB receive buffer would be most of
    // what a thousand cameras in flight hold. A longer answer arrives in more reads.
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
    // libcurl sends with MSG_NOSIGNAL and resolves on a thread of its own: without this it would
    // save and restore SIGPIPE's disposition around every call, process-wide, a race between a
    // host's threads that can leave the host's own handler replaced.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    // Straight to the camera: libcurl would otherwise take a proxy from the host's environment
    // (http_proxy, ALL_PROXY), set there for the host's own traffic, and hand it every command
    // and answer to the challenge. The camera sits on the site's network, which a proxy seldom
    // reaches.
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    // The socket as libcurl would make it, counted: an engine's set of sockets tells by the count
    // whether a number it watched before can name another socket now.
    curl_easy_setopt(curl, CURLOPT_OPENSOCKETFUNCTION, open_socket);
    Abandon* const abandon = request.abandon;
    if (abandon != nullptr && abandon->asked != nullptr && *abandon->asked) {
        abandon->next = std::chrono::steady_clock::now() + kAskToAbandonEvery;
        abandon->abandoned = false;
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, ask_to_abandon);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, abandon);
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    } else {
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 1L);
    }
    if (request.tls != nullptr) {
        set_tls_options(curl, *request.tls);
    }
}

bool transfer_info(CURL* curl, CURLcode code, const ResponseSink& sink, const char* error,
                   TransferInfo* info) {
    if (info == nullptr) {
        return code == CURLE_OK;
    }
    info->status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &info->status);
    char* location = nullptr;
    if (info->status / 100 == 3 &&
        curl_easy_getinfo(curl, CURLINFO_REDIRECT_URL, &location) == CURLE_OK &&
        location != nullptr) {
        info->location = location;
    } else {
        info->location.clear();
    }
    info->reason = code == CURLE_OK ? ""
                   : sink.too_long  ? "the answer passed 16 MiB"
                   : *error != '\0' ? error
                                    : curl_easy_strerror(code);
    return code == CURLE_OK;
}

bool request_once(const HttpRequest& request, std::string& response, TransferInfo* info) {
    const CancelDeferred deferred;
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        if (info != nullptr) {
            info->reason = "out of memory";
        }
        return false;
    }
    curl_slist* headers = has_body(request.method) ? content_type_header() : nullptr;
    ResponseSink sink{&response, 0};
    char error[CURL_ERROR_SIZE];
    set_request_options(curl, request, headers, sink, request.timeouts.total_ms, error);
    const bool ok = transfer_info(curl, curl_easy_perform(curl), sink, error, info);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return ok;
}

}  // namespace Utils
