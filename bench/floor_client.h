#pragma once

#include <string>

namespace bench {

// The library's exchange written directly on libcurl, with nothing around it: a new easy
// handle, Digest, the same options and the same body. This is the floor a command is held to.
bool floor_get(const std::string& url, const std::string& userpwd, std::string& response);
bool floor_put(const std::string& url, const std::string& userpwd, const std::string& body,
               std::string& response);

// The same exchange as a script without the library does it: one run of the curl tool.
// `body` is sent only for PUT. True when curl exited 0.
bool cli_request(const std::string& method, const std::string& url, const std::string& userpwd,
                 const std::string& body);

}  // namespace bench
