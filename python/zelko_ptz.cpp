// zelko_ptz: the camera library for Python, a thin layer over libzelko_ptz_camera_isapi.

#include <pybind11/eval.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cctype>
#include <cstdio>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "bindings.h"
#include "ptz/zelko_ptz_camera_isapi.h"

namespace zelko_python {

py::handle g_module;

}  // namespace zelko_python

namespace {

using namespace zelko_python;
using Ptz::Result;

// What Python users expect of exceptions and enumerations is easiest said in Python. The
// classes of the result codes are made below from the library's own table.
const char* const kPythonPart = R"(
import logging as _logging

# A library's logger prints nothing until the application configures logging.
_logging.getLogger("zelko_ptz").addHandler(_logging.NullHandler())


class CameraError(Exception):
    """A camera method returned a non-zero result code. `code` is the result code,
    `operation` the method called, `message` the library's error line: the text after
    "[Error] [<operation>] ", which also went to the logger "zelko_ptz" (or to stderr), and
    `reason` the same failure in a few words for a person (libcurl's reason for a transfer,
    the camera's statusString for a refusal)."""

    def __init__(self, operation: str, code: int, message: str = "", reason: str = "") -> None:
        super().__init__(f"{operation} failed with result code {code}: {reason or message}")
        self.operation = operation
        self.code = code
        self.message = message
        self.reason = reason


def _error_class(name, code, text):
    return type(name, (CameraError,), {"__doc__": f"Result code {code}: {text}.",
                                       "__module__": __name__})

)";

// A Python enum of the library's table, its members named after the camera's words: "LIGHT" is
// PtzAux.Light.
template <typename Enum, std::size_t N>
void bind_enum(py::module_& m, const char* name, const char* doc,
               const Ptz::CameraWord<Enum> (&words)[N]) {
    py::list members;
    for (const Ptz::CameraWord<Enum>& w : words) {
        std::string member = w.word;
        for (std::size_t i = 0; i < member.size(); ++i) {
            member[i] =
                static_cast<char>(i == 0 ? std::toupper(member[i]) : std::tolower(member[i]));
        }
        members.append(py::make_tuple(member, static_cast<int>(w.value)));
    }
    py::object type = py::module_::import("enum").attr("Enum")(
        name, members, py::arg("module") = m.attr("__name__"));
    type.attr("__doc__") = doc;
    m.attr(name) = type;
}

// The exception class of each result code a Camera method raises.
struct ErrorClass {
    Result code;
    const char* name;
};
const ErrorClass kErrorClasses[] = {
    {Result::TransferFailed, "TransferError"},
    {Result::NotXml, "AnswerNotXmlError"},
    {Result::TimedOut, "TimedOutError"},
    {Result::Rejected, "CameraRejectedError"},
};

}  // namespace

namespace pybind11::detail {

// Python's enum members cross into C++ as the enumerators of the same value.
template <typename Enum>
bool load_enum(handle src, const char* name, Enum& value) {
    if (!isinstance(src, g_module.attr(name))) {
        return false;
    }
    value = static_cast<Enum>(src.attr("value").cast<int>());
    return true;
}

template <>
struct type_caster<Ptz::PtzAux> {
    PYBIND11_TYPE_CASTER(Ptz::PtzAux, const_name("PtzAux"));
    bool load(handle src, bool) { return load_enum(src, "PtzAux", value); }
    static handle cast(Ptz::PtzAux aux, return_value_policy, handle) {
        return g_module.attr("PtzAux")(static_cast<int>(aux)).release();
    }
};

template <>
struct type_caster<Ptz::PtzStatus> {
    PYBIND11_TYPE_CASTER(Ptz::PtzStatus, const_name("PtzStatus"));
    bool load(handle src, bool) { return load_enum(src, "PtzStatus", value); }
    static handle cast(Ptz::PtzStatus status, return_value_policy, handle) {
        return g_module.attr("PtzStatus")(static_cast<int>(status)).release();
    }
};

}  // namespace pybind11::detail

namespace {

// An error line as the library hands it over.
struct Line {
    std::string operation;
    int code;
    std::string message;
};

// Runs while the GIL is released, so it only keeps the line for the call to report.
void keep_line(void* user, const char* operation, int code, const char* message) {
    try {
        static_cast<std::vector<Line>*>(user)->push_back({operation, code, message});
    } catch (...) {  // out of memory: the line is lost, the result code is not
    }
}

// One camera. The library requires that calls on one object do not overlap; Python threads
// may share a Camera, so its calls take turns here.
struct Camera {
    Camera(std::string address, std::string userpwd, bool keep_session, bool https, int port,
           int channel, std::string ca_file, std::string pinned_key, bool verify_peer,
           double refusal_hold, bool stderr_lines)
        : stderr_lines(stderr_lines) {
        Ptz::CameraOptions options{
            keep_session,          https,       port,      channel, std::move(ca_file),
            std::move(pinned_key), verify_peer, keep_line, &lines};
        // A bad option is the caller's mistake, said now rather than at the first call.
        const std::string bad = Ptz::options_error(options);
        if (!bad.empty()) {
            throw py::value_error(bad);
        }
        camera.reset(new Ptz::ZelkoPtzCameraIsapi(std::move(address), std::move(userpwd), options));
        if (camera->set_refusal_hold(refusal_hold) != 0) {
            throw py::value_error(lines.back().message);
        }
    }
    std::vector<Line> lines;  // of the call running
    const bool stderr_lines;
    std::unique_ptr<Ptz::ZelkoPtzCameraIsapi> camera;  // null once closed
    std::mutex turn;
};

// Hands the call's lines to the logger "zelko_ptz", or writes them to stderr as the library
// does without a sink.
void report(const Camera& c, const std::vector<Line>& lines) {
    for (const Line& line : lines) {
        if (c.stderr_lines) {
            std::fprintf(stderr, "\x1b[31m[Error] [%s] %s\n\x1b[0m\n", line.operation.c_str(),
                         line.message.c_str());
        } else {
            py::module_::import("logging")
                .attr("getLogger")("zelko_ptz")
                .attr("error")("[%s] %s", line.operation, text(line.message));
        }
    }
}

// Raises the exception class of a non-zero result code.
void check(int code, const char* operation, const std::vector<Line>& lines,
           const std::string& reason) {
    if (code == 0) {
        return;
    }
    const char* name = "CameraError";
    for (const ErrorClass& error : kErrorClasses) {
        name = static_cast<int>(error.code) == code ? error.name : name;
    }
    const py::object type = g_module.attr(name);
    const py::str message = text(lines.empty() ? std::string() : lines.back().message);
    PyErr_SetObject(type.ptr(), type(operation, code, message, text(reason)).ptr());
    throw py::error_already_set();
}

// Runs one library call without the GIL, so that other threads run while it waits on the
// network. A position answer that is not numbers is a ValueError, out of range included.
template <typename Call>
void run(Camera& c, const char* operation, Call call) {
    int code = 0;
    std::vector<Line> lines;
    std::string reason;
    bool closed = false;
    try {
        py::gil_scoped_release released;
        std::lock_guard<std::mutex> lock(c.turn);
        closed = !c.camera;
        if (!closed) {
            c.lines.clear();
            code = call(*c.camera);
            lines.swap(c.lines);
            reason = code != 0 ? c.camera->failure_reason() : std::string();
        }
    } catch (const std::invalid_argument& e) {
        throw py::value_error(std::string("the camera's position answer is not numbers (") +
                              e.what() + ")");
    } catch (const std::out_of_range& e) {
        throw py::value_error(std::string("the camera's position answer is out of range (") +
                              e.what() + ")");
    }
    if (closed) {
        throw py::value_error("the Camera is closed");
    }
    report(c, lines);
    check(code, operation, lines, reason);
}

// A camera method that returns only its result code.
template <typename... Args>
auto method(const char* operation, int (Ptz::ZelkoPtzCameraIsapi::*f)(Args...)) {
    return [operation, f](Camera& c, Args... args) {
        run(c, operation, [&](Ptz::ZelkoPtzCameraIsapi& camera) { return (camera.*f)(args...); });
    };
}

// A camera method that fills a value of type T, which Python gets back.
template <typename T>
auto query(const char* operation, int (Ptz::ZelkoPtzCameraIsapi::*f)(T&)) {
    return [operation, f](Camera& c) {
        T value{};
        run(c, operation, [&](Ptz::ZelkoPtzCameraIsapi& camera) { return (camera.*f)(value); });
        return value;
    };
}

}  // namespace

PYBIND11_MODULE(zelko_ptz, m) {
    g_module = m;
    m.doc() =
        "Steer a network PTZ camera over its ISAPI interface (HTTP Digest).\n\n"
        "The same library as the C++ interface: every method performs its requests in turn,\n"
        "each bounded by the time-outs (5 s unless set_timeouts says otherwise), without holding the GIL. A non-zero result code raises\n"
        "CameraError (one subclass per code) with the library's error line as .message and its\n"
        "reason as .reason; the line also goes to the logger \"zelko_ptz\" at ERROR, which prints\n"
        "nothing until the application configures logging.";
    m.attr("__version__") = Ptz::version();
    py::exec(kPythonPart, m.attr("__dict__"));
    for (const ErrorClass& error : kErrorClasses) {
        const int code = static_cast<int>(error.code);
        m.attr(error.name) = m.attr("_error_class")(error.name, code, Ptz::result_text(code));
    }
    py::delattr(m, "_error_class");
    bind_enum(m, "PtzAux", "An auxiliary device.", Ptz::kAuxDevices);
    bind_enum(m, "PtzStatus", "The state to switch an auxiliary device to.", Ptz::kAuxStates);
    bind_values(m);

    using C = Ptz::ZelkoPtzCameraIsapi;
    py::class_<Camera>(m, "Camera",
                       "One network PTZ camera. Methods return None or a value, or raise "
                       "CameraError; a Camera may be shared between threads, whose calls on it "
                       "take turns. As a context manager it closes on exit.")
        .def(py::init<std::string, std::string, bool, bool, int, int, std::string, std::string,
                      bool, double, bool>(),
             py::arg("address"), py::arg("userpwd"), py::kw_only(), py::arg("keep_session") = false,
             py::arg("https") = false, py::arg("port") = 0, py::arg("channel") = 1,
             py::arg("ca_file") = "", py::arg("pinned_key") = "", py::arg("verify_peer") = true,
             py::arg("refusal_hold") = 30.0, py::arg("stderr_lines") = false,
             "address: a host name, an IPv4 address or a bracketed IPv6 literal, without "
             "scheme or port; userpwd: \"name:password\". Nothing is sent. keep_session keeps "
             "one connection and the Digest challenge, so that a command costs one request, "
             "and after refused credentials sends nothing for refusal_hold seconds. https, "
             "port (0: 80 or 443), channel, ca_file, pinned_key (sha256//<base64>) and "
             "verify_peer reach a camera as it is deployed; a bad one raises ValueError with "
             "the library's line. Error lines go to the logger \"zelko_ptz\" at ERROR, or to "
             "stderr with stderr_lines.")
        .def("__copy__", [](const Camera&) { throw py::type_error("a Camera cannot be copied"); })
        .def(
            "__deepcopy__",
            [](const Camera&, py::handle) { throw py::type_error("a Camera cannot be copied"); },
            py::arg("memo"))
        .def(
            "close",
            [](Camera& c) {
                py::gil_scoped_release released;
                std::lock_guard<std::mutex> lock(c.turn);
                c.camera.reset();
            },
            "Release the connection of a kept session; the Camera takes no calls after it.")
        .def("__enter__", [](py::object self) { return self; })
        .def(
            "__exit__",
            [](py::object self, py::args) {
                self.attr("close")();
                return false;
            },
            "Close the Camera.")
        .def(
            "get_info",
            [](Camera& c, std::string path) {
                std::string answer;
                run(c, "get_info", [&](C& camera) { return camera.get_info(path, answer); });
                return text(answer);
            },
            py::arg("path"),
            "GET <path> from the camera and return the answer; any well-formed XML answer "
            "succeeds.")
        .def("get_ptz_absoluteEx", query("get_ptz_absoluteEx", &C::get_ptz_absoluteEx),
             "Read the absolute position, all seven values required. A position answer whose "
             "texts are not numbers, or are out of range, raises ValueError. get_position() "
             "reads any camera's.")
        .def("set_ptz_absoluteEx", method("set_ptz_absoluteEx", &C::set_ptz_absoluteEx),
             py::arg("position"),
             "Drive the camera to an absolute position (floats sent with six decimals).")
        .def("reset_zoom", method("reset_zoom", &C::reset_zoom),
             "Read the position, then send it back with absoluteZoom 1.0 and focus 29000; "
             "nothing is sent when the query fails.")
        .def("reset_position", method("reset_position", &C::reset_position),
             "Send the camera to its home position.")
        .def("set_ptz_aux", method("set_ptz_aux", &C::set_ptz_aux), py::arg("aux"),
             py::arg("status"), "Switch the light, the wiper or the fan on or off.")
        .def("set_ptz_ctrl", method("set_ptz_ctrl", &C::set_ptz_ctrl), py::arg("ctrl"),
             "Send one continuous-motion request; the values are sent as given.")
        .def("goto_preset", method("goto_preset", &C::goto_preset), py::arg("id"),
             "Travel to the preset `id` (1 or more).")
        .def("set_preset", method("set_preset", &C::set_preset), py::arg("id"), py::arg("name"),
             "Save the present position as preset `id` under `name`; a name with control "
             "characters other than tab, line feed and carriage return is refused.")
        .def("remove_preset", method("remove_preset", &C::remove_preset), py::arg("id"),
             "Forget the preset `id`.")
        .def("get_presets", query("get_presets", &C::get_presets),
             "The presets the camera keeps, as a list of PtzPreset.")
        .def("get_position", query("get_position", &C::get_position),
             "The position as the camera reports it, as a PtzPosition: degrees and zoom ratio, "
             "a value not reported None; from .../absoluteEx, or .../status on older firmware.")
        .def("set_position", method("set_position", &C::set_position), py::arg("position"),
             "Send the values of `position` that are not None; the camera keeps the others.")
        .def("move_for", method("move_for", &C::move_for), py::arg("ctrl"), py::arg("duration_ms"),
             "Move as set_ptz_ctrl() does for `duration_ms`; the camera stops by itself.")
        .def(
            "move_by",
            [](Camera& c, float azimuth, float elevation, float zoom) {
                run(c, "move_by",
                    [&](C& camera) { return camera.move_by(azimuth, elevation, zoom); });
            },
            py::kw_only(), py::arg("azimuth") = 0.0, py::arg("elevation") = 0.0,
            py::arg("zoom") = 0.0,
            "Move by steps from the position read first: degrees and zoom ratio.")
        .def("center_on", method("center_on", &C::center_on), py::arg("x"), py::arg("y"),
             "Bring the point (x, y) of the picture to its centre; fractions from the "
             "top-left corner, as a click gives them.")
        .def("zoom_to_area", method("zoom_to_area", &C::zoom_to_area), py::arg("x0"), py::arg("y0"),
             py::arg("x1"), py::arg("y1"),
             "Centre on the box and zoom in to it when drawn from top-left to bottom-right, "
             "out when drawn the other way.")
        .def(
            "wait_for_stop",
            [](Camera& c, double timeout) {
                Ptz::PtzPosition where{};
                run(c, "wait_for_stop",
                    [&](C& camera) { return camera.wait_for_stop(where, timeout); });
                return where;
            },
            py::arg("timeout") = 30.0,
            "Wait until the position has stayed put for 0.5 s and return it; TimedOutError "
            "past `timeout` seconds.")
        .def("get_capabilities", query("get_capabilities", &C::get_capabilities),
             "What the camera says it can do, as a PtzCapabilities.");
}
