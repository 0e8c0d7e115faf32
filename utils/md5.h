#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Utils {

// MD5 (RFC 1321), as HTTP Digest asks for it: the lower-case hex digest of a text given in
// pieces. A digest of a few hundred bytes costs about a microsecond.
class Md5 {
public:
    Md5();
    Md5& add(const char* data, std::size_t size);
    Md5& add(const std::string& text) { return add(text.data(), text.size()); }
    // The 32 hex digits; the object is spent.
    std::string hex();

private:
    void block(const unsigned char* data);

    std::uint32_t state_[4];
    std::uint64_t bytes_ = 0;
    unsigned char pending_[64];
};

}  // namespace Utils
