// zelko_ptz: the camera library for Python, a thin layer over libzelko_ptz_camera_isapi.

#include <pybind11/eval.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "ptz/zelko_ptz_camera_isapi.h"

namespace py = pybind11;

namespace {

// The module, alive as long as the interpreter; the error classes and enums live in it.
py::handle g_module;

// What Python users expect of exceptions and enumerations is easiest said in Python.
const char* const kPythonPart = R"(
import enum as _enum


class PtzAux(_enum.Enum):
    """An auxiliary device."""
    Light = 0
    Wiper = 1
    Fan = 2


class PtzStatus(_enum.Enum):
    """The state to switch an auxiliary device to."""
    On = 0
    Off = 1


class CameraError(Exception):
    """A camera method returned a non-zero result code. `code` is the result code,
    `operation` the method called and `message` the library's error line: the text after
    "[Error] [<operation>] ", which also went to the logger "zelko_ptz" (or to stderr)."""

    def __init__(self, operation: str, code: int, message: str = "") -> None:
        super().__init__(f"{operation} failed with result code {code}: {message}")
        self.operation = operation
        self.code = code
        self.message = message


class TransferError(CameraError):
    """Result code 1: the HTTP transfer did not complete (unreachable, refused, past the 5 s
    time-outs, or an answer past 16 MiB)."""


class AnswerNotXmlError(CameraError):
    """Result code 2: the answer is not well-formed XML (an empty answer included)."""


class CameraRejectedError(CameraError):
    """Result code 10: the answer's statusString is not exactly "OK"."""


del _enum
)";

// Python's enum members cross into C++ as the enumerators of the same value.
template <typename Enum>
bool load_enum(py::handle src, const char* name, Enum& value) {
    if (!py::isinstance(src, g_module.attr(name))) {
        return false;
    }
    value = static_cast<Enum>(src.attr("value").cast<int>());
    return true;
}

}  // namespace

namespace pybind11::detail {

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
           bool stderr_lines)
        : stderr_lines(stderr_lines),
          camera(std::move(address), std::move(userpwd),
                 {keep_session, https, port, channel, std::move(ca_file), std::move(pinned_key),
                  verify_peer, keep_line, &lines}) {}
    std::vector<Line> lines;  // of the call running
    const bool stderr_lines;
    Ptz::ZelkoPtzCameraIsapi camera;
    std::mutex turn;
};

// A camera's text as Python text; bytes that are not UTF-8 become U+FFFD.
py::str text(const std::string& bytes) {
    return py::reinterpret_steal<py::str>(
        PyUnicode_DecodeUTF8(bytes.data(), static_cast<Py_ssize_t>(bytes.size()), "replace"));
}

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
void check(int code, const char* operation, const std::vector<Line>& lines) {
    if (code == 0) {
        return;
    }
    const char* const name = code == 1    ? "TransferError"
                             : code == 2  ? "AnswerNotXmlError"
                             : code == 10 ? "CameraRejectedError"
                                          : "CameraError";
    const py::object type = g_module.attr(name);
    const py::str message = text(lines.empty() ? std::string() : lines.back().message);
    PyErr_SetObject(type.ptr(), type(operation, code, message).ptr());
    throw py::error_already_set();
}

// Runs one library call without the GIL, so that other threads run while it waits on the
// network. A position answer that is not numbers is a ValueError, out of range included.
template <typename Call>
void run(Camera& c, const char* operation, Call call) {
    int code = 0;
    std::vector<Line> lines;
    try {
        py::gil_scoped_release released;
        std::lock_guard<std::mutex> lock(c.turn);
        c.lines.clear();
        code = call(c.camera);
        lines.swap(c.lines);
    } catch (const std::invalid_argument& e) {
        throw py::value_error(std::string("the camera's position answer is not numbers (") +
                              e.what() + ")");
    } catch (const std::out_of_range& e) {
        throw py::value_error(std::string("the camera's position answer is out of range (") +
                              e.what() + ")");
    }
    report(c, lines);
    check(code, operation, lines);
}

// A camera method that returns only its result code.
template <typename... Args>
auto method(const char* operation, int (Ptz::ZelkoPtzCameraIsapi::*f)(Args...)) {
    return [operation, f](Camera& c, Args... args) {
        run(c, operation, [&](Ptz::ZelkoPtzCameraIsapi& camera) { return (camera.*f)(args...); });
    };
}

// A float field takes any Python number that fits; one past the float range would be infinity.
float to_float(double value, const char* field) {
    if (std::isfinite(value) && std::abs(value) > FLT_MAX) {
        PyErr_Format(PyExc_OverflowError, "%s: %R is outside the 32-bit float range", field,
                     py::float_(value).ptr());
        throw py::error_already_set();
    }
    return static_cast<float>(value);
}

// Python's float spelling of a 32-bit float, shortest first: 4.0, 10.1, inf.
std::string float_text(float value) {
    if (!std::isfinite(value)) {
        return py::str(py::float_(value));
    }
    char text[32];
    std::string s(text, std::to_chars(text, text + sizeof text, value).ptr);
    return s.find_first_of(".e") == std::string::npos ? s + ".0" : s;
}

template <typename T>
void float_field(py::class_<T>& cls, const char* name, float T::*field) {
    cls.def_property(
        name, [field](const T& t) { return t.*field; },
        [field, name](T& t, double value) { t.*field = to_float(value, name); });
}

// Equality and copies, as for any Python value.
template <typename T>
void value_type(py::class_<T>& cls, bool (*equal)(const T&, const T&)) {
    cls.def(
           "__eq__", [equal](const T& a, const T& b) { return equal(a, b); }, py::is_operator())
        .def("__copy__", [](const T& t) { return t; })
        .def(
            "__deepcopy__", [](const T& t, py::handle) { return t; }, py::arg("memo"));
}

bool same_position(const Ptz::PtzAbsoluteEx& a, const Ptz::PtzAbsoluteEx& b) {
    return a.elevation == b.elevation && a.azimuth == b.azimuth &&
           a.absoluteZoom == b.absoluteZoom && a.focus == b.focus && a.focalLen == b.focalLen &&
           a.horizontalSpeed == b.horizontalSpeed && a.verticalSpeed == b.verticalSpeed;
}

bool same_ctrl(const Ptz::PtzCtrl& a, const Ptz::PtzCtrl& b) {
    return a.pan == b.pan && a.tilt == b.tilt && a.zoom == b.zoom;
}

bool same_preset(const Ptz::PtzPreset& a, const Ptz::PtzPreset& b) {
    return a.id == b.id && a.name == b.name && a.enabled == b.enabled;
}

}  // namespace

PYBIND11_MODULE(zelko_ptz, m) {
    g_module = m;
    m.doc() =
        "Steer a network PTZ camera over its ISAPI interface (HTTP Digest).\n\n"
        "The same library as the C++ interface: every method performs one synchronous exchange\n"
        "bounded by 5-second time-outs, without holding the GIL. A non-zero result code raises\n"
        "CameraError (one subclass per code) with the library's error line as .message; the line\n"
        "also goes to the logger \"zelko_ptz\" at ERROR.";
    py::exec(kPythonPart, m.attr("__dict__"));

    py::class_<Ptz::PtzAbsoluteEx> position(
        m, "PtzAbsoluteEx",
        "The camera's absolute position, in the camera's own units; nothing is scaled or "
        "checked.");
    position.def(
        py::init([](double elevation, double azimuth, double absoluteZoom, std::int32_t focus,
                    std::int32_t focalLen, double horizontalSpeed, double verticalSpeed) {
            return Ptz::PtzAbsoluteEx{to_float(elevation, "elevation"),
                                      to_float(azimuth, "azimuth"),
                                      to_float(absoluteZoom, "absoluteZoom"),
                                      focus,
                                      focalLen,
                                      to_float(horizontalSpeed, "horizontalSpeed"),
                                      to_float(verticalSpeed, "verticalSpeed")};
        }),
        py::kw_only(), py::arg("elevation") = 0.0, py::arg("azimuth") = 0.0,
        py::arg("absoluteZoom") = 0.0, py::arg("focus") = 0, py::arg("focalLen") = 0,
        py::arg("horizontalSpeed") = 0.0, py::arg("verticalSpeed") = 0.0);
    float_field(position, "elevation", &Ptz::PtzAbsoluteEx::elevation);
    float_field(position, "azimuth", &Ptz::PtzAbsoluteEx::azimuth);
    float_field(position, "absoluteZoom", &Ptz::PtzAbsoluteEx::absoluteZoom);
    position.def_readwrite("focus", &Ptz::PtzAbsoluteEx::focus)
        .def_readwrite("focalLen", &Ptz::PtzAbsoluteEx::focalLen);
    float_field(position, "horizontalSpeed", &Ptz::PtzAbsoluteEx::horizontalSpeed);
    float_field(position, "verticalSpeed", &Ptz::PtzAbsoluteEx::verticalSpeed);
    value_type(position, same_position);
    position.def("__repr__", [](const Ptz::PtzAbsoluteEx& p) {
        return "PtzAbsoluteEx(elevation=" + float_text(p.elevation) +
               ", azimuth=" + float_text(p.azimuth) +
               ", absoluteZoom=" + float_text(p.absoluteZoom) +
               ", focus=" + std::to_string(p.focus) + ", focalLen=" + std::to_string(p.focalLen) +
               ", horizontalSpeed=" + float_text(p.horizontalSpeed) +
               ", verticalSpeed=" + float_text(p.verticalSpeed) + ")";
    });

    py::class_<Ptz::PtzCtrl> ctrl(
        m, "PtzCtrl", "One continuous-motion request; the camera gives the numbers their meaning.");
    ctrl.def(py::init([](std::int32_t pan, std::int32_t tilt, std::int32_t zoom) {
                 return Ptz::PtzCtrl{pan, tilt, zoom};
             }),
             py::arg("pan"), py::arg("tilt"), py::arg("zoom"))
        .def_readwrite("pan", &Ptz::PtzCtrl::pan)
        .def_readwrite("tilt", &Ptz::PtzCtrl::tilt)
        .def_readwrite("zoom", &Ptz::PtzCtrl::zoom)
        .def("__repr__", [](const Ptz::PtzCtrl& c) {
            return "PtzCtrl(pan=" + std::to_string(c.pan) + ", tilt=" + std::to_string(c.tilt) +
                   ", zoom=" + std::to_string(c.zoom) + ")";
        });
    value_type(ctrl, same_ctrl);

    py::class_<Ptz::PtzPreset> preset(
        m, "PtzPreset", "A position the camera keeps under a number, as it lists it.");
    preset
        .def(py::init([](int id, std::string name, bool enabled) {
                 return Ptz::PtzPreset{id, std::move(name), enabled};
             }),
             py::kw_only(), py::arg("id"), py::arg("name") = "", py::arg("enabled") = true)
        .def_readwrite("id", &Ptz::PtzPreset::id)
        .def_property(
            "name", [](const Ptz::PtzPreset& p) { return text(p.name); },
            [](Ptz::PtzPreset& p, std::string name) { p.name = std::move(name); })
        .def_readwrite("enabled", &Ptz::PtzPreset::enabled)
        .def("__repr__", [](const Ptz::PtzPreset& p) {
            return "PtzPreset(id=" + std::to_string(p.id) +
                   ", name=" + py::repr(text(p.name)).cast<std::string>() +
                   ", enabled=" + (p.enabled ? "True" : "False") + ")";
        });
    value_type(preset, same_preset);

    using C = Ptz::ZelkoPtzCameraIsapi;
    py::class_<Camera>(m, "Camera",
                       "One network PTZ camera. Methods return None or raise CameraError; a Camera "
                       "may be shared between threads, whose calls on it take turns.")
        .def(py::init<std::string, std::string, bool, bool, int, int, std::string, std::string,
                      bool, bool>(),
             py::arg("address"), py::arg("userpwd"), py::kw_only(), py::arg("keep_session") = false,
             py::arg("https") = false, py::arg("port") = 0, py::arg("channel") = 1,
             py::arg("ca_file") = "", py::arg("pinned_key") = "", py::arg("verify_peer") = true,
             py::arg("stderr_lines") = false,
             "address: a host name, an IPv4 address or a bracketed IPv6 literal, without "
             "scheme or port; userpwd: \"name:password\". Nothing is sent. keep_session keeps "
             "one connection and the Digest challenge, so that a command costs one request. "
             "https, port (0: 80 or 443), channel, ca_file, pinned_key (sha256//<base64>) and "
             "verify_peer reach a camera as it is deployed; a bad one makes every method raise "
             "CameraRejectedError. Error lines go to the logger \"zelko_ptz\" at ERROR, or to "
             "stderr with stderr_lines.")
        .def("__copy__", [](const Camera&) { throw py::type_error("a Camera cannot be copied"); })
        .def(
            "__deepcopy__",
            [](const Camera&, py::handle) { throw py::type_error("a Camera cannot be copied"); },
            py::arg("memo"))
        .def("get_info", method("get_info", static_cast<int (C::*)(std::string)>(&C::get_info)),
             py::arg("path"), "GET http://<address>:80<path>; any well-formed XML answer succeeds.")
        .def(
            "get_ptz_absoluteEx",
            [](Camera& c) {
                Ptz::PtzAbsoluteEx p{};
                run(c, "get_ptz_absoluteEx",
                    [&p](C& camera) { return camera.get_ptz_absoluteEx(p); });
                return p;
            },
            "Read the absolute position. A position answer whose texts are not numbers, or are "
            "out of range, raises ValueError.")
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
        .def(
            "get_presets",
            [](Camera& c) {
                std::vector<Ptz::PtzPreset> presets;
                run(c, "get_presets",
                    [&presets](C& camera) { return camera.get_presets(presets); });
                return presets;
            },
            "The presets the camera keeps, as a list of PtzPreset.");
}
