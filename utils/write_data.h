#pragma once

#include <cstddef>
#include <string>

namespace Utils {

// What one request has taken in: the caller's response string and the bytes added to it.
struct ResponseSink {
    std::string* response;
    size_t taken;
    bool too_long = false;  // a chunk was refused for passing HttpClient::kMaxResponseBytes
};

// The write callback of every transfer the library makes (HttpClient, the kept session and the
// engine's handles); internal to the library. Appends the chunk to
// the ResponseSink behind userdata and confirms nmemb bytes. It refuses the chunk with the
// all-ones value, which aborts the transfer, for a null pointer, for an answer that would grow
// past HttpClient::kMaxResponseBytes and when the string cannot grow.
size_t onWriteData(void* ptr, size_t size, size_t nmemb, void* userdata);

}  // namespace Utils
