#include "floor_client.h"

#include <curl/curl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <vector>

extern char** environ;

namespace bench {

namespace {

size_t append(void* ptr, size_t size, size_t nmemb, void* userdata) {
    static_cast<std::string*>(userdata)->append(static_cast<const char*>(ptr), size * nmemb);
    return nmemb;
}

void common_options(CURL* curl, std::string& response) {
    curl_easy_setopt(curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_DIGEST));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, append);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &response);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 5L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 5L);
}

}  // namespace

bool floor_get(const std::string& url, const std::string& userpwd, std::string& response) {
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "GET");
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERPWD, userpwd.c_str());
    common_options(curl, response);
    const bool ok = curl_easy_perform(curl) == CURLE_OK;
    curl_easy_cleanup(curl);
    return ok;
}

bool floor_put(const std::string& url, const std::string& userpwd, const std::string& body,
               std::string& response) {
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERPWD, userpwd.c_str());
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "PUT");
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    curl_slist* headers =
        curl_slist_append(nullptr, "Content-Type: application/xml; charset=\"UTF-8\"");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    common_options(curl, response);
    const bool ok = curl_easy_perform(curl) == CURLE_OK;
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    return ok;
}

bool cli_request(const std::string& method, const std::string& url, const std::string& userpwd,
                 const std::string& body) {
    std::vector<std::string> args = {"curl", "-s",    "-o",  "/dev/null", "--digest",
                                     "-u",   userpwd, "-m",  "5",         "--connect-timeout",
                                     "5",    "-X",    method};
    if (method == "PUT") {
        args.insert(args.end(), {"-H", "Content-Type: application/xml; charset=\"UTF-8\"",
                                 "--data-binary", body});
    }
    args.push_back(url);
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(&a[0]);
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "curl", nullptr, nullptr, argv.data(), environ) != 0) {
        return false;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace bench
