#pragma once

#include <string>

#include "../utils/export.h"
#include "ptz_types.h"

namespace Utils {
class HttpClient;
class XmlParser;
}  // namespace Utils

namespace Ptz {

/// One network PTZ camera, steered over its ISAPI interface on port 80 with HTTP Digest.
///
/// Every method performs one synchronous exchange (reset_zoom() two), bounded by 5-second
/// time-outs, and returns a result code:
///   0  success
///   1  the HTTP transfer did not complete (unreachable, refused, timed out)
///   2  the answer is not well-formed XML (an empty answer included)
///   10 the answer's "statusString" under "ResponseStatus" is not exactly "OK", or
///      set_ptz_aux() was given a device or state outside its enumeration
/// Each failure also writes one red error line to stderr, "[Error] [<method>] <message>". The
/// HTTP status of an answer is never read: the body alone decides.
///
/// A line that shows the camera's answer ("response data: <answer>.") shows it safely for a
/// terminal: every byte below 0x20 other than tab and line feed, a carriage return not directly
/// followed by a line feed, 0x7F and NUL are written as \\xNN (two lowercase hex digits), and
/// bytes after a NUL are shown too. At most the first 4096 bytes are shown; a longer answer ends
/// in "[cut: N bytes in all]". A clean answer of up to 4096 bytes is shown as received. An
/// answer longer than Utils::HttpClient::kMaxResponseBytes (16 MiB) ends the transfer: result 1.
///
/// Calls on one object must not overlap; separate objects are independent.
class ZELKO_PTZ_API ZelkoPtzCameraIsapi {
public:
    /// `address` is a host name, an IPv4 address or a bracketed IPv6 literal ("[fd00::5]"),
    /// without scheme, port, path or user info; `userpwd` is "name:password". Neither is
    /// checked and nothing is sent. The address goes into every URL as it stands, between
    /// "http://" and ":80": anything else in it changes where the requests go, so a host that
    /// takes it from an untrusted source must check it first.
    ZelkoPtzCameraIsapi(std::string address, std::string userpwd);
    ~ZelkoPtzCameraIsapi();

    /// The object owns its client and parser through raw pointers.
    ZelkoPtzCameraIsapi(const ZelkoPtzCameraIsapi&) = delete;
    ZelkoPtzCameraIsapi& operator=(const ZelkoPtzCameraIsapi&) = delete;

    /// GET "http://<address>:80" + `path`. Returns 0 for any well-formed XML answer (even one
    /// reporting an error), 1 with "Fail to complete http get.", 2 with "Fail to parse reponse
    /// data, response data: <answer>.".
    int get_info(std::string path);

    /// GET ".../channels/1/absoluteEx" and convert the seven texts under "PTZAbsoluteEx" into
    /// `position`. Returns 0, 1 ("Fail to complete http request.") or 2; on 1 and 2 the record
    /// is untouched. Texts that are not numbers throw std::invalid_argument, values out of range
    /// std::out_of_range (what() "stof" or "stoi"), with no error line and the record untouched.
    int get_ptz_absoluteEx(PtzAbsoluteEx& position);

    /// PUT a "PtzAbsoluteEx" body with the seven fields (floats with six decimals) and
    /// "zoomType" "absoluteZoom" to ".../channels/1/absoluteEx". Returns 0, 1, 2 or 10.
    int set_ptz_absoluteEx(PtzAbsoluteEx position);

    /// Reads the position, then sends it back with absoluteZoom 1.0 and focus 29000. Returns
    /// the query's 1 or 2 without sending anything, otherwise the command's result. Passes on
    /// the query's conversion exceptions, with nothing sent.
    int reset_zoom();

    /// PUT an empty body to ".../channels/1/homeposition/goto". Returns 0, 1, 2 or 10.
    int reset_position();

    /// PUT a "PTZAux" body (id "1", status "on"/"off", type "LIGHT"/"WIPER"/"FAN") to
    /// ".../channels/1/auxcontrols/1". A device or state outside its enumeration writes
    /// "Please input the correct aux type." or "Please input the correct ptz status.", sends
    /// nothing and returns 10. Otherwise returns 0, 1, 2 or 10.
    int set_ptz_aux(PtzAux aux, PtzStatus status);

    /// PUT a "PTZData" body with pan, tilt and zoom as decimal texts to
    /// ".../channels/1/continuous". Values are sent as given. Returns 0, 1, 2 or 10.
    int set_ptz_ctrl(PtzCtrl ctrl);

private:
    ZELKO_PTZ_LOCAL std::string command_url(const std::string& resource) const;
    /// PUT `body`, parse the answer and require its "statusString" to be "OK"; `operation`
    /// names the method in error lines.
    ZELKO_PTZ_LOCAL int exchange(const char* operation, const std::string& url,
                                 const std::string& body);

    std::string address;
    std::string userpwd;
    Utils::HttpClient* http_client;
    Utils::XmlParser* xml_parser;
};

}  // namespace Ptz
