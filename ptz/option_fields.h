#pragma once

#include <cstddef>
#include <string>

#include "camera_options.h"
#include "zelko_ptz_c.h"

namespace Ptz {

/// One setting of CameraOptions, as every face names and holds it: the C struct and Python's
/// keyword. The error sink is each face's own.
struct OptionField {
    const char* name;                  ///< CameraOptions' member, the Python keyword
    bool CameraOptions::*flag;         ///< a flag's member, or null
    int CameraOptions::*number;        ///< a number's member, or null
    std::string CameraOptions::*text;  ///< a text's member, or null
    std::size_t c_offset;              ///< in zelko_ptz_options: an int32_t, or a const char*
};

/// Every setting of CameraOptions but the error sink, in the order of its members.
inline constexpr OptionField kOptionFields[] = {
    {"keep_session", &CameraOptions::keep_session, nullptr, nullptr,
     offsetof(zelko_ptz_options, keep_session)},
    {"https", &CameraOptions::https, nullptr, nullptr, offsetof(zelko_ptz_options, https)},
    {"port", nullptr, &CameraOptions::port, nullptr, offsetof(zelko_ptz_options, port)},
    {"channel", nullptr, &CameraOptions::channel, nullptr, offsetof(zelko_ptz_options, channel)},
    {"ca_file", nullptr, nullptr, &CameraOptions::ca_file, offsetof(zelko_ptz_options, ca_file)},
    {"pinned_key", nullptr, nullptr, &CameraOptions::pinned_key,
     offsetof(zelko_ptz_options, pinned_key)},
    {"verify_peer", &CameraOptions::verify_peer, nullptr, nullptr,
     offsetof(zelko_ptz_options, verify_peer)},
};

namespace detail {
// CameraOptions cannot grow (hosts pass it by value), so the table stays whole. The members as
// they were released, laid out by the platform's own rules, as 32-bit hosts lay them too.
struct CameraOptionsAsReleased {
    bool keep_session, https;
    int port, channel;
    std::string ca_file, pinned_key;
    bool verify_peer;
    ErrorSink error_sink;
    void* error_sink_user;
};
static_assert(sizeof(CameraOptions) == sizeof(CameraOptionsAsReleased),
              "kOptionFields holds every setting of CameraOptions");
}  // namespace detail

}  // namespace Ptz
