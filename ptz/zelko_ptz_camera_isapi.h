#pragma once

#include <string>
#include <vector>

#include "../utils/export.h"
#include "camera_options.h"
#include "ptz_types.h"

namespace Utils {
class XmlParser;
enum class HttpMethod;
}  // namespace Utils

namespace Ptz {

class CameraLink;

/// One network PTZ camera, steered over its ISAPI interface with HTTP Digest: by default plain
/// http on port 80, channel 1, a new connection per request; CameraOptions choose otherwise.
///
/// Every method performs one synchronous exchange (reset_zoom() two), bounded by 5-second
/// time-outs, and returns a result code:
///   0  success
///   1  the HTTP transfer did not complete (unreachable, refused, timed out)
///   2  the answer is not well-formed XML (an empty answer included)
///   10 the answer's "statusString" under "ResponseStatus" is not exactly "OK", or an argument
///      is outside its range, or an option is bad (CameraOptions)
/// Each failure also writes one red error line to stderr, "[Error] [<method>] <message>", or
/// hands it to CameraOptions::error_sink. The HTTP status of an answer is never read: the body
/// alone decides.
///
/// A line that shows the camera's answer ("response data: <answer>.") shows it safely for a
/// terminal: every byte below 0x20 other than tab and line feed, a carriage return not directly
/// followed by a line feed, 0x7F and NUL are written as \\xNN (two lowercase hex digits), and
/// bytes after a NUL are shown too. At most the first 4096 bytes are shown; a longer answer ends
/// in "[cut: N bytes in all]". A clean answer of up to 4096 bytes is shown as received. An
/// answer longer than Utils::HttpClient::kMaxResponseBytes (16 MiB) ends the transfer: result 1.
///
/// The commands go to "<scheme>://<address>:<port>/ISAPI/PTZCtrl/channels/<channel>" and their
/// resource, written ".../<resource>" below; by default "http://<address>:80/ISAPI/PTZCtrl/
/// channels/1".
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
    /// As above, reaching the camera as `options` say. Bad options are not reported here but by
    /// every method, which then returns 10 and sends nothing.
    ZelkoPtzCameraIsapi(std::string address, std::string userpwd, CameraOptions options);
    ~ZelkoPtzCameraIsapi();

    /// The object owns its client and parser through raw pointers.
    ZelkoPtzCameraIsapi(const ZelkoPtzCameraIsapi&) = delete;
    ZelkoPtzCameraIsapi& operator=(const ZelkoPtzCameraIsapi&) = delete;

    /// GET "<scheme>://<address>:<port>" + `path`. Returns 0 for any well-formed XML answer (even
    /// one reporting an error), 1 with "Fail to complete http get.", 2 with "Fail to parse reponse
    /// data, response data: <answer>.".
    int get_info(std::string path);
    /// As get_info(path), and hands back the answer: `answer` holds its body whenever the
    /// transfer completed (0 and 2); otherwise it is left as it was.
    int get_info(std::string path, std::string& answer);

    /// GET ".../absoluteEx" and convert the seven texts under "PTZAbsoluteEx" into
    /// `position`. Returns 0, 1 ("Fail to complete http request.") or 2; on 1 and 2 the record
    /// is untouched. Texts that are not numbers throw std::invalid_argument, values out of range
    /// std::out_of_range (what() "stof" or "stoi"), with no error line and the record untouched.
    int get_ptz_absoluteEx(PtzAbsoluteEx& position);

    /// PUT a "PtzAbsoluteEx" body with the seven fields (floats with six decimals) and
    /// "zoomType" "absoluteZoom" to ".../absoluteEx". Returns 0, 1, 2 or 10.
    int set_ptz_absoluteEx(PtzAbsoluteEx position);

    /// Reads the position, then sends it back with absoluteZoom 1.0 and focus 29000. Returns
    /// the query's 1 or 2 without sending anything, otherwise the command's result. Passes on
    /// the query's conversion exceptions, with nothing sent.
    int reset_zoom();

    /// PUT an empty body to ".../homeposition/goto". Returns 0, 1, 2 or 10.
    int reset_position();

    /// PUT a "PTZAux" body (id "1", status "on"/"off", type "LIGHT"/"WIPER"/"FAN") to
    /// ".../auxcontrols/1". A device or state outside its enumeration writes
    /// "Please input the correct aux type." or "Please input the correct ptz status.", sends
    /// nothing and returns 10. Otherwise returns 0, 1, 2 or 10.
    int set_ptz_aux(PtzAux aux, PtzStatus status);

    /// PUT a "PTZData" body with pan, tilt and zoom as decimal texts to
    /// ".../continuous". Values are sent as given. Returns 0, 1, 2 or 10.
    int set_ptz_ctrl(PtzCtrl ctrl);

    /// PUT an empty body to ".../presets/<id>/goto": travel to the position saved as
    /// `id`. An `id` below 1 writes "Please input a preset id of 1 or more.", sends nothing and
    /// returns 10. Otherwise returns 0, 1, 2 or 10 (a camera that knows no such preset answers
    /// a status other than "OK").
    int goto_preset(int id);

    /// PUT a "PTZPreset" body (id, presetName) to ".../presets/<id>": save the
    /// present position as `id` under `name`. The name is escaped as XML needs; a name holding
    /// a control character other than tab, line feed and carriage return, which XML cannot
    /// carry, writes "Please input a preset name without control characters.", sends nothing
    /// and returns 10, as does an `id` below 1. Otherwise returns 0, 1, 2 or 10.
    int set_preset(int id, std::string name);

    /// DELETE ".../presets/<id>": forget the preset. An `id` below 1 is refused as
    /// by goto_preset(). Otherwise returns 0, 1, 2 or 10.
    int remove_preset(int id);

    /// GET ".../presets" and read every "PTZPreset" under "PTZPresetList" into
    /// `presets`, in the camera's order. Returns 0, 1 ("Fail to complete http request."), 2, or
    /// 10 with "Fail to get node name in xml, response data: <answer>." when the answer is not a
    /// "PTZPresetList" or an entry lacks a numeric "id". On any failure `presets` is untouched.
    int get_presets(std::vector<PtzPreset>& presets);

private:
    /// GET `url` and parse the answer; 1 writes `transfer_failed`. `answer`, when given,
    /// receives the answer's body.
    ZELKO_PTZ_LOCAL int query(const char* operation, const std::string& url,
                              const char* transfer_failed, std::string* answer = nullptr);
    /// Send `body` by `method`, parse the answer and require its "statusString" to be "OK";
    /// `operation` names the method in error lines.
    ZELKO_PTZ_LOCAL int exchange(const char* operation, Utils::HttpMethod method,
                                 const std::string& url, const std::string& body);
    /// The line and code of an `id` below 1, or 0 for a good one.
    ZELKO_PTZ_LOCAL int refuse_preset_id(const char* operation, int id);

    std::string address;
    std::string userpwd;
    // The object keeps the size that hosts built against 1.0 allocate: two strings and two
    // pointers. The link holds the options, the HTTP client and the kept session.
    CameraLink* link;
    Utils::XmlParser* xml_parser;
};

}  // namespace Ptz
