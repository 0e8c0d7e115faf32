#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../utils/export.h"
#include "camera_options.h"
#include "engine.h"
#include "ptz_types.h"
#include "result.h"

namespace Ptz {

class CameraLink;
class Command;

/// One network PTZ camera, steered over its ISAPI interface with HTTP Digest: by default plain
/// http on port 80, channel 1, a new connection per request; CameraOptions choose otherwise.
///
/// Every method sends its requests and returns a result code:
///   0  success
///   1  the HTTP transfer did not complete (unreachable, refused, timed out)
///   2  the answer is not well-formed XML (an empty answer included)
///   5  wait_for_stop() only: the camera was still moving at the time-out
///   10 the answer's "statusString" under "ResponseStatus" is not exactly "OK", an answer the
///      method cannot take, an argument outside its range, or a bad option (CameraOptions)
/// (Ptz::Result names them.) Most methods make one request; reset_zoom() and move_by() read the
/// position first, get_position() asks a second resource of a camera without ".../absoluteEx",
/// and wait_for_stop() reads until the camera is still. Each request is bounded by the
/// time-outs, 5 s to connect and 5 s in all unless set_timeouts() says otherwise.
///
/// Each failure also writes one red error line to stderr, "[Error] [<method>] <message>", or
/// hands it to CameraOptions::error_sink. The methods of 1.0 judge an answer by its body alone;
/// get_position() takes a 404 for a camera without ".../absoluteEx", and a kept session a 401 for
/// refused credentials.
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
/// Every method also has an asynchronous form, with an Engine first and a callback last, which
/// returns at once with an Operation and runs on the engine (engine.h): the same requests, codes
/// and lines, and the callback gets the code and what the blocking method would have written.
/// Its arguments are checked on the engine too, so that a refusal reaches the callback.
///
/// Blocking calls on one object must not overlap, and are refused with 10 and the line "The
/// camera has operations pending on an engine; a blocking call waits until they end." while it
/// has any. Asynchronous calls may come from any thread. Separate objects are independent.
///
/// A thread cancelled (pthread_cancel) during a call, or during a callback the call runs, is
/// cancelled at its first cancellation point after the call returns, with what the call wrote:
/// the library holds cancellation back while it runs, because unwinding through libcurl would
/// leave a transfer half done. set_interrupt_check() ends a call early.
class ZELKO_PTZ_API ZelkoPtzCameraIsapi {
public:
    /// `address` is a host name, an IPv4 address or a bracketed IPv6 literal ("[fd00::5]"),
    /// without scheme, port, path or user info; `userpwd` is "name:password". Nothing is sent.
    /// The address goes into every URL as it stands, after the scheme and before the port. One
    /// that is empty or holds a space, a control byte, "/", "?", "#", "@" (after which the host
    /// would be another) or a ":" outside brackets (a port, or an IPv6 literal without them), or
    /// credentials with a control byte in the name or a NUL, are reported by every method, which
    /// then returns 10 and sends nothing; address_error() and credentials_error() say it before
    /// an object is made, camera_error() for the options too. An IPv6 literal may name its
    /// interface, as a link-local one needs ("[fe80::5%eth0]").
    ZelkoPtzCameraIsapi(std::string address, std::string userpwd);
    /// As above, reaching the camera as `options` say. Bad options are not reported here but by
    /// every method, which then returns 10 and sends nothing.
    ZelkoPtzCameraIsapi(std::string address, std::string userpwd, CameraOptions options);
    /// Operations still pending on an engine are cancelled: their callbacks run once with 6,
    /// without a line, from the engine's next run() or hook call.
    ~ZelkoPtzCameraIsapi();

    /// The object owns its link to the camera, which its pending operations share.
    ZelkoPtzCameraIsapi(const ZelkoPtzCameraIsapi&) = delete;
    ZelkoPtzCameraIsapi& operator=(const ZelkoPtzCameraIsapi&) = delete;

    /// GET "<scheme>://<address>:<port>" + `path`. Returns 0 for any well-formed XML answer (even
    /// one reporting an error), 1 with "Fail to complete http get.", 2 with "Fail to parse reponse
    /// data, response data: <answer>.". A `path` that is neither empty nor begins with "/" (it
    /// would name another host: "@host/x") or holds a space or a control byte writes "Please
    /// input a path beginning with /, without spaces or control characters.", sends nothing and
    /// returns 10.
    int get_info(std::string path);
    /// As get_info(path), and hands back the answer: `answer` holds its body whenever the
    /// transfer completed (0 and 2); otherwise it is left as it was.
    int get_info(std::string path, std::string& answer);
    /// As get_info(path, answer) on `engine`.
    Operation get_info(Engine& engine, std::string path, ValueCallback<std::string> done);

    /// GET ".../absoluteEx" and convert the seven texts under "PTZAbsoluteEx" into
    /// `position`. Returns 0, 1 ("Fail to complete http request.") or 2; on 1 and 2 the record
    /// is untouched. Texts that are not numbers throw std::invalid_argument, values out of range
    /// std::out_of_range (what() "stof" or "stoi"), with no error line and the record untouched.
    int get_ptz_absoluteEx(PtzAbsoluteEx& position);
    /// As get_ptz_absoluteEx(position) on `engine`; texts that are not numbers end it with 3
    /// (Result::NotNumbers) and a line, since nothing can be thrown to the caller there.
    Operation get_ptz_absoluteEx(Engine& engine, ValueCallback<PtzAbsoluteEx> done);

    /// PUT a "PtzAbsoluteEx" body with the seven fields (floats with six decimals) and
    /// "zoomType" "absoluteZoom" to ".../absoluteEx". Returns 0, 1, 2 or 10.
    int set_ptz_absoluteEx(PtzAbsoluteEx position);
    /// set_ptz_absoluteEx() on `engine`, its callback in place of the result.
    Operation set_ptz_absoluteEx(Engine& engine, PtzAbsoluteEx position, Callback done);

    /// Reads the position, then sends it back with absoluteZoom 1.0 and focus 29000. Returns
    /// the query's 1 or 2 without sending anything, otherwise the command's result. Passes on
    /// the query's conversion exceptions, with nothing sent.
    int reset_zoom();
    /// As reset_zoom() on `engine`; texts that are not numbers end it with 3 and a line.
    Operation reset_zoom(Engine& engine, Callback done);

    /// PUT an empty body to ".../homeposition/goto". Returns 0, 1, 2 or 10.
    int reset_position();
    /// reset_position() on `engine`, its callback in place of the result.
    Operation reset_position(Engine& engine, Callback done);

    /// PUT a "PTZAux" body (id "1", status "on"/"off", type "LIGHT"/"WIPER"/"FAN") to
    /// ".../auxcontrols/1". A device or state outside its enumeration writes
    /// "Please input the correct aux type." or "Please input the correct ptz status.", sends
    /// nothing and returns 10. Otherwise returns 0, 1, 2 or 10.
    int set_ptz_aux(PtzAux aux, PtzStatus status);
    /// set_ptz_aux() on `engine`, its callback in place of the result.
    Operation set_ptz_aux(Engine& engine, PtzAux aux, PtzStatus status, Callback done);

    /// PUT a "PTZData" body with pan, tilt and zoom as decimal texts to
    /// ".../continuous". Values are sent as given. Returns 0, 1, 2 or 10.
    int set_ptz_ctrl(PtzCtrl ctrl);
    /// set_ptz_ctrl() on `engine`, its callback in place of the result.
    Operation set_ptz_ctrl(Engine& engine, PtzCtrl ctrl, Callback done);

    /// PUT an empty body to ".../presets/<id>/goto": travel to the position saved as
    /// `id`. An `id` below 1 writes "Please input a preset id of 1 or more.", sends nothing and
    /// returns 10. Otherwise returns 0, 1, 2 or 10 (a camera that knows no such preset answers
    /// a status other than "OK").
    int goto_preset(int id);
    /// goto_preset() on `engine`, its callback in place of the result.
    Operation goto_preset(Engine& engine, int id, Callback done);

    /// PUT a "PTZPreset" body (id, presetName) to ".../presets/<id>": save the
    /// present position as `id` under `name`. The name is escaped as XML needs; a name holding
    /// a control character other than tab, line feed and carriage return, which XML cannot
    /// carry, writes "Please input a preset name without control characters.", sends nothing
    /// and returns 10, as does an `id` below 1. Otherwise returns 0, 1, 2 or 10.
    int set_preset(int id, std::string name);
    /// set_preset() on `engine`, its callback in place of the result.
    Operation set_preset(Engine& engine, int id, std::string name, Callback done);

    /// DELETE ".../presets/<id>": forget the preset. An `id` below 1 is refused as
    /// by goto_preset(). Otherwise returns 0, 1, 2 or 10.
    int remove_preset(int id);
    /// remove_preset() on `engine`, its callback in place of the result.
    Operation remove_preset(Engine& engine, int id, Callback done);

    /// GET ".../presets" and read every "PTZPreset" under "PTZPresetList" into
    /// `presets`, in the camera's order. Returns 0, 1 ("Fail to complete http request."), 2, or
    /// 10 with "Fail to get node name in xml, response data: <answer>." when the answer is not a
    /// "PTZPresetList" or an entry lacks a numeric "id". On any failure `presets` is untouched.
    int get_presets(std::vector<PtzPreset>& presets);
    /// get_presets() on `engine`, its callback in place of the result.
    Operation get_presets(Engine& engine, ValueCallback<std::vector<PtzPreset>> done);

    /// Reads the position as the camera reports it, in degrees and zoom ratio, with the values
    /// it reported marked in `position.present`. GET ".../absoluteEx": each element of
    /// "PTZAbsoluteEx" with a text is present; elevation, azimuth and zoom ("absoluteZoom") are
    /// required. A camera that answers ".../absoluteEx" with HTTP 404 is asked GET ".../status"
    /// instead, whose "PTZStatus/AbsoluteHigh" holds the three in tenths; the object then asks
    /// ".../status" alone from then on. Each text must be a number as a whole, white space
    /// around it allowed, finite, and whole for focus and focal length. Returns 0, 1, 2, or 10
    /// with "Fail to get node name in xml, response data: <answer>." for any other answer (a
    /// refusal, a locked account, values that are not numbers). Never throws; on any failure
    /// `position` is untouched.
    int get_position(PtzPosition& position);
    /// get_position() on `engine`, its callback in place of the result.
    Operation get_position(Engine& engine, ValueCallback<PtzPosition> done);

    /// PUT ".../absoluteEx" a "PTZAbsoluteEx" body with the values marked present, in the
    /// camera's order: elevation, azimuth, absoluteZoom, focus, focalLen, horizontalSpeed,
    /// verticalSpeed; floats with six decimals. Values left out keep the camera's. A position
    /// with none present writes "Please input a position with at least one value.", one with a
    /// value present that is not finite "Please input finite position values."; both return 10
    /// and send nothing. Otherwise 0, 1, 2 or 10.
    int set_position(const PtzPosition& position);
    /// set_position() on `engine`, its callback in place of the result.
    Operation set_position(Engine& engine, const PtzPosition& position, Callback done);

    /// PUT ".../momentary" a "PTZData" body (pan, tilt, zoom, then "Momentary" holding
    /// "duration" in milliseconds): the camera moves as set_ptz_ctrl() makes it, and stops by
    /// itself after `duration_ms`, even if nothing more reaches it. A duration below 1 writes
    /// "Please input a duration of 1 ms or more.", sends nothing and returns 10. Otherwise 0,
    /// 1, 2 or 10; a camera without momentary moves answers 10 or 2.
    int move_for(PtzCtrl ctrl, int duration_ms);
    /// move_for() on `engine`, its callback in place of the result.
    Operation move_for(Engine& engine, PtzCtrl ctrl, int duration_ms, Callback done);

    /// Moves by steps from where the camera is: reads the position (get_position()), then sets
    /// the three axes: azimuth + `d_azimuth`, brought into 0 to 360; elevation + `d_elevation`;
    /// zoom + `d_zoom`. A failed read returns its code and sends nothing. A step that is not
    /// finite writes "Please input finite steps.", sends nothing and returns 10.
    int move_by(float d_azimuth, float d_elevation, float d_zoom);
    /// move_by() on `engine`, its callback in place of the result.
    Operation move_by(Engine& engine, float d_azimuth, float d_elevation, float d_zoom,
                      Callback done);

    /// Turns the camera so that the point (`x`, `y`) of the picture comes to its centre, as an
    /// operator's click asks: PUT ".../position3D" a "Position3D" body with the point as both
    /// "StartPoint" and "EndPoint". Coordinates are fractions of the picture from its top-left
    /// corner, x to the right and y down, as a click in a window gives them; the camera's frame
    /// runs 0 to 255 from the bottom-left, so the library sends positionX = round(x * 255) and
    /// positionY = round((1 - y) * 255), halves rounded away from zero. A point right of the
    /// centre turns the camera right (azimuth grows), a point below it tilts it down. A
    /// coordinate outside 0 to 1, or not finite, writes "Please input picture coordinates from
    /// 0 to 1.", sends nothing and returns 10. Otherwise 0, 1, 2 or 10.
    int center_on(float x, float y);
    /// center_on() on `engine`, its callback in place of the result.
    Operation center_on(Engine& engine, float x, float y, Callback done);

    /// Centres the camera on the box from (`x0`, `y0`) to (`x1`, `y1`), in the picture's
    /// fractions as center_on() takes them, and zooms: in to the box when it was drawn from
    /// top-left to bottom-right, out when drawn the other way. PUT ".../position3D" with
    /// (`x0`, `y0`) as "StartPoint" and (`x1`, `y1`) as "EndPoint", mapped as center_on() maps
    /// them. Codes and refusals as center_on().
    int zoom_to_area(float x0, float y0, float x1, float y1);
    /// zoom_to_area() on `engine`, its callback in place of the result.
    Operation zoom_to_area(Engine& engine, float x0, float y0, float x1, float y1, Callback done);

    /// Waits until the camera has stopped moving: reads the position (get_position()) every
    /// 0.1 s and returns 0 once it has stayed within a tolerance for 0.5 s (elevation and
    /// azimuth 0.1, azimuth round the circle, zoom 0.05, speeds 0.01, focus and focal length
    /// exactly), with it in `where`. `watch`, when given, sees each position read; when it
    /// returns true the wait ends at once with 0. Past `timeout_seconds` it writes "The camera
    /// was still moving after <timeout> s." and returns 5 (Result::TimedOut) with the last
    /// position in `where`. A read that fails returns its code with `where` untouched. A
    /// time-out that is not a positive finite number writes "Please input a time-out of more
    /// than 0 seconds." and returns 10.
    int wait_for_stop(PtzPosition& where, double timeout_seconds = 30.0,
                      PositionWatch watch = nullptr, void* user = nullptr);
    /// As wait_for_stop(where, timeout_seconds, watch, user) on `engine`: `watch` runs on the
    /// engine's thread, and between its reads the camera takes its other operations.
    Operation wait_for_stop(Engine& engine, double timeout_seconds, ValueCallback<PtzPosition> done,
                            PositionWatch watch = nullptr, void* user = nullptr);

    /// GET ".../capabilities" and read what the camera can do from its "PTZChanelCap" (or
    /// "PTZChannelCap"): the absolute ranges in degrees and zoom ratio (the camera's tenths
    /// divided by 10), the continuous ranges as they are, the preset count and name length,
    /// the special preset numbers, click-to-center and the auxiliaries. What the answer does not
    /// hold is left empty. Returns 0, 1, 2, or 10 with "Fail to get node name in xml, response
    /// data: <answer>." for an answer of another root or with a value that is not a number.
    /// Never throws; on any failure `caps` is untouched.
    int get_capabilities(PtzCapabilities& caps);
    /// get_capabilities() on `engine`, its callback in place of the result.
    Operation get_capabilities(Engine& engine, ValueCallback<PtzCapabilities> done);

    /// As get_capabilities(), with what the console methods need as well: how many patrols and
    /// patterns the camera keeps ("maxPatrolNum", "maxPatternNum"), the park action's range of
    /// time ("ParkAction/Parktime" min and max, seconds) and its kinds
    /// ("ParkAction/Action/ActionType" opt). Either form tells the object what the camera said,
    /// against which set_patrol() and set_park_action() then check their arguments.
    int get_capabilities_ex(PtzCapabilitiesEx& caps);
    /// get_capabilities_ex() on `engine`, its callback in place of the result.
    Operation get_capabilities_ex(Engine& engine, ValueCallback<PtzCapabilitiesEx> done);

    /// Drives the focus: PUT "<scheme>://<address>:<port>/ISAPI/System/Video/inputs/channels/
    /// <channel>/focus" a "FocusData" body holding "focus": `speed` from -100 (near) to 100
    /// (far), 0 stops. The lens moves until told 0. Another value writes "Please input a focus
    /// speed from -100 to 100.", sends nothing and returns 10. Otherwise 0, 1, 2 or 10.
    int set_focus(int speed);
    /// set_focus() on `engine`, its callback in place of the result.
    Operation set_focus(Engine& engine, int speed, Callback done);

    /// Drives the iris as set_focus() the focus: ".../iris" under the video input, an "IrisData"
    /// body holding "iris", -100 closes, 100 opens, 0 stops; the line "Please input an iris
    /// speed from -100 to 100.".
    int set_iris(int speed);
    /// set_iris() on `engine`, its callback in place of the result.
    Operation set_iris(Engine& engine, int speed, Callback done);

    /// Focuses once by itself: PUT an empty body to ".../onepushfoucs/start" (the camera's
    /// spelling). Returns 0, 1, 2 or 10.
    int one_push_focus();
    /// one_push_focus() on `engine`, its callback in place of the result.
    Operation one_push_focus(Engine& engine, Callback done);

    /// GET ".../patrols" and read every "PTZPatrol" under "PTZPatrolList" into `patrols`, in
    /// the camera's order; a slot whose "presetID" is 0 is empty and left out of the steps.
    /// Returns 0, 1, 2, or 10 with "Fail to get node name in xml, response data: <answer>."
    /// for another answer; on any failure `patrols` is untouched.
    int get_patrols(std::vector<PtzPatrol>& patrols);
    /// get_patrols() on `engine`, its callback in place of the result.
    Operation get_patrols(Engine& engine, ValueCallback<std::vector<PtzPatrol>> done);

    /// PUT ".../patrols/<id>" a "PTZPatrol" body: "enabled", "id", "patrolName", then
    /// "PatrolSequenceList" with a "PatrolSequence" per step ("presetID", "seqSpeed", "delay" in
    /// seconds). Refused with 10 and a line, nothing sent: an id below 1 (or past the camera's
    /// "maxPatrolNum" once the capabilities are read), no step or more than 32, a name with a
    /// control character, a step of a preset below 1 or of a special preset (once the
    /// capabilities are read), a speed below 1, a dwell below 0. Otherwise 0, 1, 2 or 10.
    int set_patrol(PtzPatrol patrol);
    /// set_patrol() on `engine`, its callback in place of the result.
    Operation set_patrol(Engine& engine, PtzPatrol patrol, Callback done);

    /// PUT an empty body to ".../patrols/<id>/start": the camera tours the patrol's presets
    /// until stop_patrol() or a move. An id below 1 writes "Please input a patrol or pattern id
    /// of 1 or more.", sends nothing and returns 10; so for every method of a patrol's or a
    /// pattern's number. Otherwise 0, 1, 2 or 10.
    int start_patrol(int id);
    /// start_patrol() on `engine`, its callback in place of the result.
    Operation start_patrol(Engine& engine, int id, Callback done);
    /// PUT an empty body to ".../patrols/<id>/stop". Returns as start_patrol().
    int stop_patrol(int id);
    /// stop_patrol() on `engine`, its callback in place of the result.
    Operation stop_patrol(Engine& engine, int id, Callback done);
    /// DELETE ".../patrols/<id>": the patrol is emptied. Returns as start_patrol().
    int remove_patrol(int id);
    /// remove_patrol() on `engine`, its callback in place of the result.
    Operation remove_patrol(Engine& engine, int id, Callback done);

    /// GET ".../patterns" and read every "PTZPattern" under "PTZPatternList" into `patterns`.
    /// Returns as get_patrols().
    int get_patterns(std::vector<PtzPattern>& patterns);
    /// get_patterns() on `engine`, its callback in place of the result.
    Operation get_patterns(Engine& engine, ValueCallback<std::vector<PtzPattern>> done);
    /// PUT an empty body to ".../patterns/<id>/start": the camera replays the recorded moves
    /// until stop_pattern(). Returns as start_patrol().
    int start_pattern(int id);
    /// start_pattern() on `engine`, its callback in place of the result.
    Operation start_pattern(Engine& engine, int id, Callback done);
    /// PUT an empty body to ".../patterns/<id>/stop". Returns as start_patrol().
    int stop_pattern(int id);
    /// stop_pattern() on `engine`, its callback in place of the result.
    Operation stop_pattern(Engine& engine, int id, Callback done);
    /// PUT an empty body to ".../patterns/<id>/recordstart": the moves from now on are
    /// recorded as the pattern. Returns as start_patrol().
    int start_pattern_recording(int id);
    /// start_pattern_recording() on `engine`, its callback in place of the result.
    Operation start_pattern_recording(Engine& engine, int id, Callback done);
    /// PUT an empty body to ".../patterns/<id>/recordstop": the recording ends. Returns as
    /// start_patrol().
    int stop_pattern_recording(int id);
    /// stop_pattern_recording() on `engine`, its callback in place of the result.
    Operation stop_pattern_recording(Engine& engine, int id, Callback done);
    /// DELETE ".../patterns/<id>". Returns as start_patrol().
    int remove_pattern(int id);
    /// remove_pattern() on `engine`, its callback in place of the result.
    Operation remove_pattern(Engine& engine, int id, Callback done);

    /// GET ".../parkaction" and read its "ParkAction" into `action`: what the camera does after
    /// "Parktime" seconds without commands. Returns as get_patrols().
    int get_park_action(PtzParkAction& action);
    /// get_park_action() on `engine`, its callback in place of the result.
    Operation get_park_action(Engine& engine, ValueCallback<PtzParkAction> done);
    /// PUT ".../parkaction" a "ParkAction" body: "enabled", "Parktime", then "Action" with
    /// "ActionType" and "ActionNum". Refused with 10 and a line, nothing sent: a time outside
    /// 5 to 720 seconds (or the camera's range once the capabilities are read), a kind the
    /// camera does not take (autoscan, framescan, randomscan, patrol, pattern, preset,
    /// panoramascan, tiltscan, or the capabilities' list), a preset, patrol or pattern number
    /// below 1 or past the camera's most. Otherwise 0, 1, 2 or 10.
    int set_park_action(PtzParkAction action);
    /// set_park_action() on `engine`, its callback in place of the result.
    Operation set_park_action(Engine& engine, PtzParkAction action, Callback done);

    /// Why the last method failed, in a few words for a person: libcurl's reason for a transfer
    /// that did not complete ("Failed to connect to 192.0.2.10 port 80 after 3 ms: Couldn't
    /// connect to server", "Could not resolve host: cam.example"), "the answer is not XML (HTTP
    /// 404)" ("(HTTP 302, moved to https://...)" from a camera that serves https alone),
    /// "camera refused: " and the answer's statusString and subStatusCode, or the
    /// message of a line of the library's own. "" after a method that succeeded. The error
    /// lines stay as they are; this is the same failure said shortly.
    std::string failure_reason() const;

    /// With CameraOptions::keep_session: after the camera refused the credentials, the object
    /// sends nothing for `seconds` (30 by default), or for as long as the camera says it keeps
    /// the account locked if that is longer; every method meanwhile returns 10 with "The camera
    /// refused the credentials; the next try is in N s." A camera that locks accounts after a
    /// few failed logins is thus never driven to it by a session. Returns 0, or 10 with "Please
    /// input a hold of 0 to 86400 seconds." for anything else.
    int set_refusal_hold(double seconds);

    /// How long each later request may take: `connect_seconds` to connect and `total_seconds`
    /// in all, 5 and 5 until set; the retry of a kept session after a forgotten challenge falls
    /// within the same bound. Returns 0, or 10 with "Please input time-outs of 0.1 to 600
    /// seconds." for anything else, which changes nothing.
    int set_timeouts(double connect_seconds, double total_seconds);

    /// On an engine, with `on`: a move that sets the camera's motion outright (set_ptz_ctrl(),
    /// set_ptz_absoluteEx(), set_position(), set_focus(), set_iris()) replaces the one of the same
    /// method that still waits to send its request. A joystick or a tracker that submits faster
    /// than the camera answers thus steers by its latest value, and its stop goes out after at
    /// most the one request in flight, instead of behind every move it sent before. The replaced
    /// operation's callback runs once with 6, without a line, failure_reason() "replaced by a
    /// later set_ptz_ctrl"; a request in flight is never aborted. Off by default: every
    /// operation goes out in the order asked. From any thread; blocking calls are unchanged.
    /// Since 1.7.
    void set_move_coalescing(bool on);

    /// Lets a blocking method be given up, for a host that must answer an interrupt (an
    /// operator's Ctrl-C, a shutdown) while a camera is silent or a wait_for_stop() goes on.
    /// While a blocking method waits, `check` runs on the caller's thread: in a wait between two
    /// reads every 100 ms, and while a request is out from 100 ms into it, then at least once a
    /// second. When it returns true (or throws) the method returns 6 (Result::Cancelled) at once
    /// with "The operation was cancelled.", abandoning a request in flight, which the camera may
    /// already have acted on. A call quicker than 100 ms never asks. An empty `check`, the
    /// default, is never asked; an engine never asks it. `check` must not call this object. Set
    /// it while no method of the object runs. Since 1.7.
    void set_interrupt_check(std::function<bool()> check);

private:
    friend struct CameraAccess;
    /// Runs `command` on the caller's thread; its code.
    ZELKO_PTZ_LOCAL int drive(Command& command);
    /// Hands `command` to `engine`.
    ZELKO_PTZ_LOCAL Operation submit(Engine& engine, std::unique_ptr<Command> command);

    std::string address;
    std::string userpwd;
    // The object keeps the size that hosts built against 1.0 allocate: two strings and two
    // pointers. The link holds the options, the HTTP client, the kept session and what the
    // object remembers; each reader parses its answer into a document of its own, so the
    // second pointer is no longer needed.
    CameraLink* link;
    void* unused_ = nullptr;
};

}  // namespace Ptz
