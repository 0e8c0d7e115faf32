#include "camera_sim.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <stdexcept>
#include <system_error>

#include "digest_auth.h"
#include "listeners.h"
#include "resumer.h"

namespace sim {

namespace {

// A fleet of a thousand cameras, a connection each, several times over.
const unsigned kMaxConnections = 16384;

// What a connection holds of a request (its line, headers, a piece of its body) and of its
// answer's head. libmicrohttpd clears it for every request; its default of 32 KiB cost more than
// the rest of an answer.
const std::size_t kConnectionMemory = 8 * 1024;

// Bodies beyond this are cut off; no command of a camera comes near it.
const std::size_t kMaxRequestBody = 16 * 1024 * 1024;

// The state of one request between the calls that libmicrohttpd makes for it: it may be
// suspended to answer later, and is then called again where it left off.
struct Exchange {
    enum class Phase {
        Fresh,          // the request is still arriving
        Delayed,        // waiting the camera's answer delay
        ScriptDelayed,  // authenticated, waiting its script's delay
        Held,           // never to be answered
    };
    std::string target;
    std::string body;
    bool headers_seen = false;
    Phase phase = Phase::Fresh;
    RecordedRequest request;
    std::shared_ptr<const Script> script;
};

// What a connection keeps from its first request to its close.
struct ConnectionInfo {
    unsigned long number;  // counted from 1 since the start
    int camera = -1;       // of a fleet, from 1; 0 when unknown; -1 until asked
};

// Why `address` cannot be bound, as the system says it; libmicrohttpd keeps it to itself.
int bind_error(const sockaddr* address, socklen_t size) {
    const int probe = socket(address->sa_family, SOCK_STREAM, 0);
    if (probe < 0) {
        return errno;
    }
    const int on = 1;
    setsockopt(probe, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const int error = bind(probe, address, size) == 0 ? 0 : errno;
    close(probe);
    return error != 0 ? error : EADDRNOTAVAIL;
}

// What a camera answers while it keeps an account locked, with the seconds left.
std::string lock_document(std::chrono::nanoseconds left) {
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(left).count();
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<userCheck>\n"
           "<statusValue>401</statusValue>\n<statusString>Unauthorized</statusString>\n"
           "<lockStatus>lock</lockStatus>\n<unlockTime>" +
           std::to_string(seconds) +
           "</unlockTime>\n<retryLoginTime>0</retryLoginTime>\n</userCheck>\n";
}

}  // namespace

std::string RecordedRequest::header(const std::string& name) const {
    for (const auto& h : headers) {
        if (strcasecmp(h.first.c_str(), name.c_str()) == 0) {
            return h.second;
        }
    }
    return std::string();
}

// The server behind CameraSim; libmicrohttpd calls into it from its one thread, tests from theirs.
class Server {
public:
    explicit Server(Options o)
        : options(std::move(o)),
          auth(options.realm, options.user, options.password, options.nonce_lifetime,
               options.challenge),
          cameras(
              static_cast<std::size_t>(std::max(options.cameras, 1)),
              std::vector<CameraState>(static_cast<std::size_t>(std::max(options.channels, 1)))) {
        inet_pton(AF_INET, options.address.c_str(), &first_address);
    }

    Options options;
    DigestAuth auth;
    MHD_Daemon* daemon = nullptr;

    Resumer resumer;
    Listeners listeners;  // a fleet's; one camera's socket is libmicrohttpd's

    mutable std::mutex mutex;  // guards everything below
    mutable std::condition_variable recorded_cv;
    // By camera, then channel; settled to the clock's reading even when only read.
    mutable std::vector<std::vector<CameraState>> cameras;
    in_addr first_address{};
    unsigned long connections = 0;
    unsigned long refused_logins = 0;
    int refused_in_a_row = 0;
    std::chrono::nanoseconds locked_until{0};
    std::vector<RecordedRequest> requests;
    std::map<std::string, std::shared_ptr<const Script>> scripts;

    // Suspends `connection` until `delay` has passed; its handler is then called again.
    MHD_Result later(MHD_Connection* connection, std::chrono::milliseconds delay) {
        MHD_suspend_connection(connection);
        resumer.resume_at(connection, std::chrono::steady_clock::now() + delay);
        return MHD_YES;
    }

    // Suspends `connection` until the camera stops.
    MHD_Result hold(MHD_Connection* connection, Exchange& exchange) {
        exchange.phase = Exchange::Phase::Held;
        MHD_suspend_connection(connection);
        resumer.hold(connection);
        return MHD_YES;
    }

    CameraState& channel(int number, int camera) const {
        return cameras.at(camera - 1).at(number - 1);
    }
    // The camera of a fleet that `connection` reached, from 1; 0 when its address cannot be read
    // (a fleet listens on its own addresses alone).
    int camera_of(MHD_Connection* connection, ConnectionInfo* info) const;

    MHD_Result respond(MHD_Connection* connection, const char* method, Exchange& exchange);
    // The answer once the camera's delay has passed.
    MHD_Result answer(MHD_Connection* connection, Exchange& exchange);
    MHD_Result queue(MHD_Connection* connection, unsigned status, const std::string& body,
                     const Headers& headers, const char* content_type = "application/xml");
    void add_headers(MHD_Response* response, const Headers& headers) const;
    MHD_Result send_script(MHD_Connection* connection, Exchange& exchange);
    // The script's answer, once its delay has passed.
    MHD_Result stream_script(MHD_Connection* connection, Exchange& exchange);
    void finish(RecordedRequest& request);
    // Counts a login by its verdict and locks the account after too many refused in a row.
    void count_login(DigestAuth::Verdict verdict, std::chrono::nanoseconds now);
    // The challenges of a refusal, one WWW-Authenticate header each.
    Headers challenge(std::chrono::nanoseconds now, bool stale);
};

namespace {

// A scripted body, read by libmicrohttpd piece by piece. It shares the script rather than
// copying it, so that answers of many MiB cost the camera nothing per request.
struct Stream {
    Server* impl;
    std::shared_ptr<const Script> script;
    MHD_Connection* connection;
    bool waited = false;  // the delay before the next piece has passed
};

ssize_t read_stream(void* cls, uint64_t pos, char* buf, size_t max) {
    Stream* s = static_cast<Stream*>(cls);
    const Script& script = *s->script;
    const std::string& body = script.body;
    if (script.mode == Script::Mode::Endless) {
        for (std::size_t n = 0; n < max;) {
            const std::size_t at = (pos + n) % body.size();
            const std::size_t piece = std::min(max - n, body.size() - at);
            std::memcpy(buf + n, body.data() + at, piece);
            n += piece;
        }
        return static_cast<ssize_t>(max);
    }
    const bool cut = script.mode == Script::Mode::CloseMidBody;
    const std::size_t end = cut ? body.size() / 2 : body.size();
    if (pos >= end) {
        return cut ? MHD_CONTENT_READER_END_WITH_ERROR : MHD_CONTENT_READER_END_OF_STREAM;
    }
    std::size_t n = std::min<std::size_t>(max, end - pos);
    if (script.mode == Script::Mode::Drip) {
        if (s->impl->resumer.stopping()) {
            return MHD_CONTENT_READER_END_WITH_ERROR;
        }
        // Nothing now: libmicrohttpd asks again once the connection is resumed.
        if (!s->waited) {
            s->waited = true;
            s->impl->later(s->connection, script.delay);
            return 0;
        }
        s->waited = false;
        n = std::min(n, std::max<std::size_t>(script.drip_bytes, 1));
    }
    std::memcpy(buf, body.data() + pos, n);
    return static_cast<ssize_t>(n);
}

void free_stream(void* cls) {
    delete static_cast<Stream*>(cls);
}

MHD_Result collect_header(void* cls, MHD_ValueKind, const char* key, const char* value) {
    static_cast<Headers*>(cls)->emplace_back(key, value != nullptr ? value : "");
    return MHD_YES;
}

// Numbers each connection, so that requests show which one they came on.
void on_connection(void* cls, MHD_Connection*, void** socket_context,
                   MHD_ConnectionNotificationCode code) {
    if (code == MHD_CONNECTION_NOTIFY_STARTED) {
        Server* server = static_cast<Server*>(cls);
        std::lock_guard<std::mutex> lock(server->mutex);
        *socket_context = new ConnectionInfo{++server->connections};
    } else {
        delete static_cast<ConnectionInfo*>(*socket_context);
        *socket_context = nullptr;
    }
}

void* on_uri(void*, const char* uri, MHD_Connection*) {
    Exchange* exchange = new Exchange;
    exchange->target = uri != nullptr ? uri : "";
    return exchange;
}

void on_completed(void*, MHD_Connection*, void** con_cls, MHD_RequestTerminationCode) {
    delete static_cast<Exchange*>(*con_cls);
    *con_cls = nullptr;
}

MHD_Result on_request(void* cls, MHD_Connection* connection, const char*, const char* method,
                      const char*, const char* upload_data, size_t* upload_data_size,
                      void** con_cls) {
    Exchange* exchange = static_cast<Exchange*>(*con_cls);
    Server* server = static_cast<Server*>(cls);
    switch (exchange->phase) {
        case Exchange::Phase::Fresh:
            break;
        case Exchange::Phase::Held:
            return MHD_NO;  // resumed at the stop
        case Exchange::Phase::Delayed:
        case Exchange::Phase::ScriptDelayed:
            if (server->resumer.stopping()) {
                server->finish(exchange->request);
                return MHD_NO;
            }
            return exchange->phase == Exchange::Phase::Delayed
                       ? server->answer(connection, *exchange)
                       : server->stream_script(connection, *exchange);
    }
    if (!exchange->headers_seen) {
        exchange->headers_seen = true;
        return MHD_YES;
    }
    if (*upload_data_size != 0) {
        const std::size_t room = kMaxRequestBody - std::min(kMaxRequestBody, exchange->body.size());
        exchange->body.append(upload_data, std::min(room, *upload_data_size));
        *upload_data_size = 0;
        return MHD_YES;
    }
    // Answering only now, with the body consumed, keeps the connection usable.
    return server->respond(connection, method, *exchange);
}

}  // namespace

void Server::add_headers(MHD_Response* response, const Headers& headers) const {
    for (const auto& h : headers) {
        MHD_add_response_header(response, h.first.c_str(), h.second.c_str());
    }
    if (options.close_connections) {
        MHD_add_response_header(response, "Connection", "close");
    }
}

MHD_Result Server::queue(MHD_Connection* connection, unsigned status, const std::string& body,
                         const Headers& headers, const char* content_type) {
    MHD_Response* response = MHD_create_response_from_buffer(
        body.size(), const_cast<char*>(body.data()), MHD_RESPMEM_MUST_COPY);
    if (response == nullptr) {
        return MHD_NO;
    }
    MHD_add_response_header(response, "Content-Type", content_type);
    add_headers(response, headers);
    const MHD_Result result = MHD_queue_response(connection, status, response);
    MHD_destroy_response(response);
    return result;
}

void Server::finish(RecordedRequest& request) {
    std::lock_guard<std::mutex> lock(mutex);
    if (options.log) {
        const std::string camera =
            cameras.size() > 1 ? "camera " + std::to_string(request.camera) + ", " : "";
        std::printf("%s %s %s -> %u [%sconnection %lu]\n", request.method.c_str(),
                    request.target.c_str(),
                    request.authenticated ? "authenticated" : "unauthenticated", request.status,
                    camera.c_str(), request.connection);
        std::fflush(stdout);
    }
    if (options.record) {
        requests.push_back(std::move(request));
        recorded_cv.notify_all();
    }
}

MHD_Result Server::send_script(MHD_Connection* connection, Exchange& exchange) {
    const Script& script = *exchange.script;
    RecordedRequest& request = exchange.request;
    switch (script.mode) {
        case Script::Mode::NeverAnswer:
            finish(request);
            return hold(connection, exchange);
        case Script::Mode::BasicOnly:
            request.status = 401;
            finish(request);
            return queue(connection, 401, script.body,
                         {{"WWW-Authenticate", "Basic realm=\"" + options.realm + "\""}});
        default:
            break;
    }
    if (script.mode == Script::Mode::Answer && script.delay.count() > 0) {
        exchange.phase = Exchange::Phase::ScriptDelayed;
        return later(connection, script.delay);
    }
    return stream_script(connection, exchange);
}

MHD_Result Server::stream_script(MHD_Connection* connection, Exchange& exchange) {
    const std::shared_ptr<const Script>& script = exchange.script;
    RecordedRequest& request = exchange.request;
    const bool known_size =
        script->transfer == Script::Transfer::Length && script->mode != Script::Mode::Endless;
    Stream* stream = new Stream{this, script, connection};
    MHD_Response* response =
        MHD_create_response_from_callback(known_size ? script->body.size() : MHD_SIZE_UNKNOWN,
                                          32 * 1024, read_stream, stream, free_stream);
    if (response == nullptr) {
        delete stream;
        finish(request);
        return MHD_NO;
    }
    if (script->transfer == Script::Transfer::Http10) {
        MHD_set_response_options(response, MHD_RF_HTTP_VERSION_1_0_RESPONSE, MHD_RO_END);
    }
    MHD_add_response_header(response, "Content-Type", "application/xml");
    add_headers(response, script->headers);
    request.status = script->status;
    const unsigned status = script->status;
    finish(request);
    const MHD_Result result = MHD_queue_response(connection, status, response);
    MHD_destroy_response(response);
    return result;
}

MHD_Result Server::respond(MHD_Connection* connection, const char* method, Exchange& exchange) {
    RecordedRequest& request = exchange.request;
    request.method = method;
    request.target = exchange.target;
    request.body = std::move(exchange.body);
    MHD_get_connection_values(connection, MHD_HEADER_KIND, collect_header, &request.headers);
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
    ConnectionInfo* kept =
        info != nullptr ? static_cast<ConnectionInfo*>(info->socket_context) : nullptr;
    request.connection = kept != nullptr ? kept->number : 0;
    request.camera = camera_of(connection, kept);
    if (request.camera == 0) {
        return MHD_NO;  // no camera to answer
    }
    // A silent camera takes the request and stays silent until it stops.
    if (options.silent) {
        finish(request);
        return hold(connection, exchange);
    }
    exchange.phase = Exchange::Phase::Delayed;
    if (options.answer_delay.count() > 0) {
        return later(connection, options.answer_delay);
    }
    return answer(connection, exchange);
}

MHD_Result Server::answer(MHD_Connection* connection, Exchange& exchange) {
    RecordedRequest& request = exchange.request;
    const std::string path = request.target.substr(0, request.target.find('?'));
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto found = scripts.find(request.method + " " + path);
        if (found == scripts.end()) {
            found = scripts.find(" " + path);
        }
        if (found != scripts.end()) {
            exchange.script = found->second;
        }
    }
    const std::shared_ptr<const Script>& script = exchange.script;
    if (script && (script->before_auth || script->mode == Script::Mode::BasicOnly)) {
        return send_script(connection, exchange);
    }

    const std::string authorization = request.header("Authorization");
    const auto now = options.clock->now();
    std::chrono::nanoseconds locked_for{0};
    {
        std::lock_guard<std::mutex> lock(mutex);
        locked_for = locked_until - now;
    }
    // A locked account is refused whatever the request holds, with the camera's lock document.
    if (locked_for.count() > 0) {
        request.status = 401;
        finish(request);
        return queue(connection, 401, lock_document(locked_for), challenge(now, false));
    }
    const DigestAuth::Verdict verdict =
        authorization.empty() ? DigestAuth::Verdict::Refused
                              : auth.verify(request.method, request.target, authorization, now);
    count_login(verdict, now);
    request.authenticated = verdict == DigestAuth::Verdict::Accepted;
    if (!request.authenticated) {
        request.status = 401;
        finish(request);
        const bool stale = verdict == DigestAuth::Verdict::Stale;
        return queue(connection, 401,
                     response_status(exchange.target, 4, "Invalid Operation", "badAuthorization"),
                     challenge(now, stale));
    }
    if (script) {
        return send_script(connection, exchange);
    }
    Answer answer;
    {
        std::lock_guard<std::mutex> lock(mutex);
        answer = answer_request(cameras[request.camera - 1], options.firmware, options.clock->now(),
                                request.method, path, request.target, request.body);
    }
    request.status = answer.status;
    finish(request);
    return queue(connection, answer.status, answer.body, {}, answer.content_type);
}

int Server::camera_of(MHD_Connection* connection, ConnectionInfo* kept) const {
    if (cameras.size() == 1) {
        return 1;
    }
    if (kept != nullptr && kept->camera >= 0) {
        return kept->camera;
    }
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    sockaddr_in local{};
    socklen_t size = sizeof local;
    int camera = 0;
    if (info != nullptr &&
        getsockname(info->connect_fd, reinterpret_cast<sockaddr*>(&local), &size) == 0 &&
        local.sin_family == AF_INET) {
        const long index = static_cast<long>(ntohl(local.sin_addr.s_addr)) -
                           static_cast<long>(ntohl(first_address.s_addr));
        camera = index >= 0 && index < static_cast<long>(cameras.size())
                     ? static_cast<int>(index) + 1
                     : 0;
    }
    // A connection's address does not change: asked once.
    if (kept != nullptr) {
        kept->camera = camera;
    }
    return camera;
}

void Server::count_login(DigestAuth::Verdict verdict, std::chrono::nanoseconds now) {
    std::lock_guard<std::mutex> lock(mutex);
    if (verdict == DigestAuth::Verdict::Accepted) {
        refused_in_a_row = 0;
    } else if (verdict == DigestAuth::Verdict::WrongCredentials) {
        ++refused_logins;
        if (options.lock_after > 0 && ++refused_in_a_row >= options.lock_after) {
            locked_until = now + options.lock_time;
            refused_in_a_row = 0;
        }
    }
}

Headers Server::challenge(std::chrono::nanoseconds now, bool stale) {
    Headers headers;
    for (std::string& value : auth.challenges(now, stale)) {
        headers.emplace_back("WWW-Authenticate", std::move(value));
    }
    return headers;
}

CameraSim::CameraSim(Options options) : impl_(new Server(std::move(options))) {
    for (auto& channels : impl_->cameras) {
        for (CameraState& state : channels) {
            state.since = impl_->options.clock->now();
        }
    }
}

CameraSim::~CameraSim() {
    stop();
}

void CameraSim::start() {
    if (impl_->daemon != nullptr) {
        return;
    }
    sockaddr_in ipv4{};
    sockaddr_in6 ipv6{};
    const char* const text = impl_->options.address.c_str();
    const bool six = inet_pton(AF_INET6, text, &ipv6.sin6_addr) == 1;
    if (!six && inet_pton(AF_INET, text, &ipv4.sin_addr) != 1) {
        throw std::runtime_error("not an IP address: " + impl_->options.address);
    }
    ipv4.sin_family = AF_INET;
    ipv4.sin_port = htons(impl_->options.port);
    ipv6.sin6_family = AF_INET6;
    ipv6.sin6_port = htons(impl_->options.port);
    const sockaddr* const address =
        six ? reinterpret_cast<const sockaddr*>(&ipv6) : reinterpret_cast<const sockaddr*>(&ipv4);
    const socklen_t size = six ? sizeof ipv6 : sizeof ipv4;
    // A fleet's addresses are many: it listens on each and hands libmicrohttpd what it accepts,
    // and the connection's address tells the cameras apart.
    const bool fleet = impl_->cameras.size() > 1;
    if (fleet && six) {
        throw std::runtime_error("a fleet takes an IPv4 address: " + impl_->options.address);
    }
    if (fleet) {
        impl_->listeners.open(ipv4.sin_addr, static_cast<int>(impl_->cameras.size()),
                              impl_->options.port);
    }
    // One thread serves every connection: one that is to answer later is suspended meanwhile.
    impl_->resumer.start();
    unsigned flags = MHD_USE_EPOLL_INTERNAL_THREAD | MHD_ALLOW_SUSPEND_RESUME |
                     (fleet ? MHD_USE_NO_LISTEN_SOCKET | MHD_USE_ITC : 0) |
                     (six ? MHD_USE_IPv6 : 0);
    const Options& o = impl_->options;
    const bool tls = !o.tls_cert.empty();
    if (tls) {
        if (MHD_is_feature_supported(MHD_FEATURE_TLS) != MHD_YES) {
            impl_->resumer.stop();
            impl_->listeners.stop();
            throw std::runtime_error("this libmicrohttpd has no TLS");
        }
        flags |= MHD_USE_TLS;
    }
    // Without TLS the two options pass no key: libmicrohttpd reads its option list up to the
    // first MHD_OPTION_END. Its default SO_REUSEADDR lets a camera restart at once on its port;
    // a second camera on an address and port taken fails to start rather than share them.
    impl_->daemon = MHD_start_daemon(
        flags, o.port, nullptr, nullptr, on_request, impl_.get(), MHD_OPTION_SOCK_ADDR, address,
        MHD_OPTION_URI_LOG_CALLBACK, on_uri, nullptr, MHD_OPTION_NOTIFY_COMPLETED, on_completed,
        nullptr, MHD_OPTION_NOTIFY_CONNECTION, on_connection, impl_.get(),
        MHD_OPTION_CONNECTION_LIMIT, kMaxConnections, MHD_OPTION_CONNECTION_MEMORY_LIMIT,
        kConnectionMemory, tls ? MHD_OPTION_HTTPS_MEM_KEY : MHD_OPTION_END, o.tls_key.c_str(),
        MHD_OPTION_HTTPS_MEM_CERT, o.tls_cert.c_str(), MHD_OPTION_END);
    if (impl_->daemon == nullptr) {
        impl_->resumer.stop();
        impl_->listeners.stop();
        // A fleet's sockets are bound already: its server failed for another reason.
        if (fleet) {
            throw std::runtime_error("libmicrohttpd did not start for the fleet");
        }
        throw std::system_error(bind_error(address, size), std::generic_category(),
                                "cannot listen on " + (six ? "[" + o.address + "]" : o.address) +
                                    ":" + std::to_string(impl_->options.port));
    }
    if (fleet) {
        impl_->listeners.start(impl_->daemon);
    }
}

void CameraSim::stop() {
    if (impl_->daemon == nullptr) {
        return;
    }
    impl_->listeners.stop();
    // libmicrohttpd must not stop with a connection suspended.
    impl_->resumer.stop();
    MHD_stop_daemon(impl_->daemon);
    impl_->daemon = nullptr;
}

std::vector<RecordedRequest> CameraSim::requests() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->requests;
}

bool CameraSim::wait_for_requests(std::size_t count, std::chrono::milliseconds limit) const {
    std::unique_lock<std::mutex> lock(impl_->mutex);
    return impl_->recorded_cv.wait_for(lock, limit, [&] {
        std::size_t authenticated = 0;
        for (const RecordedRequest& r : impl_->requests) {
            authenticated += r.authenticated ? 1 : 0;
        }
        return authenticated >= count;
    });
}

void CameraSim::clear_requests() {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->requests.clear();
}

void CameraSim::script(const std::string& path, Script script) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    if (script.mode == Script::Mode::Endless && script.body.empty()) {
        script.body = "x";
    }
    const std::string key = script.method + " " + path;
    impl_->scripts[key] = std::make_shared<const Script>(std::move(script));
}

void CameraSim::clear_scripts() {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->scripts.clear();
}

unsigned long CameraSim::connections() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->connections;
}

void CameraSim::forget_nonces() {
    impl_->auth.forget();
}

unsigned long CameraSim::refused_logins() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->refused_logins;
}

CameraState CameraSim::state(int channel, int camera) const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    CameraState& state = impl_->channel(channel, camera);
    settle(state, impl_->options.clock->now());
    return state;
}

void CameraSim::set_state(const CameraState& state, int channel, int camera) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    CameraState& kept = impl_->channel(channel, camera);
    kept = state;
    kept.since = impl_->options.clock->now();
}

const Options& CameraSim::options() const {
    return impl_->options;
}

}  // namespace sim
