// zelko_ptz: the camera library for Python, a thin layer over libzelko_ptz_camera_isapi.

#include <pybind11/eval.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <atomic>
#include <cctype>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bindings.h"
#include "engine_binding.h"
#include "ptz/option_fields.h"
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
    the camera's statusString for a refusal), and `camera` the camera's address."""

    def __init__(self, operation: str, code: int, message: str = "", reason: str = "",
                 camera: str = "") -> None:
        where = f"{camera}: " if camera else ""
        super().__init__(f"{where}{operation} failed with result code {code}: {reason or message}")
        self.operation = operation
        self.code = code
        self.message = message
        self.reason = reason
        self.camera = camera

    def __reduce__(self):  # pickled as made, so that it crosses to another process
        return type(self), (self.operation, self.code, self.message, self.reason, self.camera)


def _remake(cls, given):  # a pickled value, remade by its constructor's keywords
    return cls(**given)


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
// Through zelko_ptz.aio a Camera takes its calls on its loop's engine, whose callbacks run on
// the loop's thread; such a Camera takes no blocking calls.
struct Camera {
    Camera(std::string address, std::string userpwd, const py::kwargs& given) : address(address) {
        Ptz::CameraOptions options;
        Settings settings;
        for (const auto& item : given) {
            const std::string key = item.first.cast<std::string>();
            try {
                take_option(key, item.second, options, settings);
            } catch (const py::cast_error&) {
                throw py::type_error("Camera() got an option " + key + " of the wrong type: " +
                                     py::repr(item.second).cast<std::string>());
            }
        }
        options.error_sink = keep_line;

        options.error_sink_user = &lines;
        // A bad option, credentials or address are the caller's mistake, said now rather than at
        // the first call.
        const std::string bad = Ptz::camera_error(address, userpwd, options);
        if (!bad.empty()) {
            throw py::value_error(bad);
        }
        camera.reset(new Ptz::ZelkoPtzCameraIsapi(std::move(address), std::move(userpwd), options));
        if (camera->set_refusal_hold(settings.refusal_hold) != 0) {
            throw py::value_error(lines.back().message);
        }
        camera->set_move_coalescing(settings.move_coalescing);
        camera->set_interrupt_check([this] { return ctrl_c(); });
    }
    // A blocking call's interrupt check: Ctrl-C gives the call up while Python's own handler
    // takes SIGINT, and the signal is made pending again, so that the handler raises
    // KeyboardInterrupt once the call has returned. A program's own handler (asyncio's among
    // them) is left alone: its signal is neither taken nor sent twice, and the call goes on.
    // Only Python's main thread sees signals, and only it asks for the GIL here.
    bool ctrl_c() {
        if (PyThread_get_thread_ident() != g_main_thread) {
            return false;
        }
        GilTaken gil;
        try {  // the C module's functions: Python code could run the handler here
            const py::module_ signal = py::module_::import("_signal");
            if (!signal.attr("getsignal")(signal.attr("SIGINT"))
                     .is(signal.attr("default_int_handler"))) {
                return false;
            }
        } catch (py::error_already_set& e) {
            e.discard_as_unraisable("zelko_ptz interrupt check");
            return false;
        }
        if (PyOS_InterruptOccurred() == 0) {
            return false;
        }
        PyErr_SetInterrupt();
        interrupted = true;
        return true;
    }
    // What the camera object takes by its methods rather than by CameraOptions.
    struct Settings {
        double refusal_hold = 30.0;
        bool move_coalescing = false;
    };
    // One keyword option, by the options' table, or the module's own.
    void take_option(const std::string& key, py::handle value, Ptz::CameraOptions& options,
                     Settings& settings) {
        const Ptz::OptionField* field = nullptr;
        for (const Ptz::OptionField& f : Ptz::kOptionFields) {
            field = key == f.name ? &f : field;
        }
        if (field != nullptr && field->flag != nullptr) {
            options.*field->flag = value.cast<bool>();
        } else if (field != nullptr && field->number != nullptr) {
            options.*field->number = value.cast<int>();
        } else if (field != nullptr) {
            options.*field->text = value.cast<std::string>();
        } else if (key == "refusal_hold") {
            settings.refusal_hold = value.cast<double>();
        } else if (key == "move_coalescing") {
            settings.move_coalescing = value.cast<bool>();
        } else if (key == "stderr_lines") {
            stderr_lines = value.cast<bool>();
        } else {
            throw py::type_error("Camera() got an unexpected keyword argument '" + key + "'");
        }
    }

    const std::string address;
    std::vector<Line> lines;  // of the call running
    bool stderr_lines = false;
    std::unique_ptr<Ptz::ZelkoPtzCameraIsapi> camera;  // null once closed
    std::mutex turn;
    // The thread whose call holds the turn, while one does: a call it makes meanwhile (from
    // wait_for_stop's watch) runs within, where waiting for the turn would wait for ever.
    std::atomic<std::thread::id> owner{};
    bool interrupted = false;  // the call running was given up for Ctrl-C
};

// A call's turn on a Camera, taken with the GIL released; none for a call within the turn of
// the same thread's call.
class Turn {
public:
    explicit Turn(Camera& c) : c_(c), within_(c.owner.load() == std::this_thread::get_id()) {
        if (!within_) {
            c.turn.lock();
            c.owner.store(std::this_thread::get_id());
        }
    }
    ~Turn() {
        if (!within_) {
            c_.owner.store(std::thread::id());
            c_.turn.unlock();
        }
    }
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;

private:
    Camera& c_;
    const bool within_;
};

// Hands the call's lines to the logger "zelko_ptz", or writes them to stderr as the library
// does without a sink.
void report(const Camera& c, const std::vector<Line>& lines) {
    for (const Line& line : lines) {
        if (c.stderr_lines) {
            std::fprintf(stderr, Ptz::kErrorLineFormat, line.operation.c_str(),
                         line.message.c_str());
        } else {
            call_python(py::module_::import("logging").attr("getLogger")("zelko_ptz").attr("error"),
                        "[%s] %s", line.operation, text(line.message));
        }
    }
}

// The exception of a non-zero result code: its CameraError class, or ValueError for a position
// answer that is not numbers (which the blocking methods throw and an engine reports as 3).
py::object error_for(const Camera& c, int code, const char* operation,
                     const std::vector<Line>& lines, const std::string& reason) {
    const py::str message = text(lines.empty() ? std::string() : lines.back().message);
    if (code == static_cast<int>(Result::NotNumbers)) {
        return py::reinterpret_borrow<py::object>(PyExc_ValueError)(message);
    }
    const char* name = "CameraError";
    for (const ErrorClass& error : kErrorClasses) {
        name = static_cast<int>(error.code) == code ? error.name : name;
    }
    return g_module.attr(name)(operation, code, message, text(reason), text(c.address));
}

// Raises the exception of a non-zero result code.
void check(const Camera& c, int code, const char* operation, const std::vector<Line>& lines,
           const std::string& reason) {
    if (code == 0) {
        return;
    }
    const py::object error = error_for(c, code, operation, lines, reason);
    PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(error.ptr())), error.ptr());
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
        GilReleased released;
        Turn turn(c);
        closed = !c.camera;
        if (!closed) {
            c.interrupted = false;
            c.lines.clear();
            code = call(*c.camera);
            lines.swap(c.lines);
            reason = code != 0 ? c.camera->failure_reason() : std::string();
        }
    } catch (const std::invalid_argument& e) {
        throw py::value_error(std::string(Ptz::kNotNumbersLine) + e.what() + ").");
    } catch (const std::out_of_range& e) {
        throw py::value_error(std::string(Ptz::kOutOfRangeLine) + e.what() + ").");
    }
    if (closed) {
        throw py::value_error("the Camera is closed");
    }
    if (c.interrupted && PyErr_CheckSignals() != 0) {
        throw py::error_already_set();  // KeyboardInterrupt, the line of the call given up unsaid
    }
    report(c, lines);
    check(c, code, operation, lines, reason);
}

// The Camera of a call, open.
Camera& open_camera(const py::object& self) {
    Camera& c = self.cast<Camera&>();
    if (!c.camera) {
        throw py::value_error("the Camera is closed");
    }
    return c;
}

// Submits one call to `engine` through `submit(camera, engine, callback)`; at its end
// `done(error, value)` runs on the engine's thread with the exception (None on 0) and the value
// converted by `convert`, or None.
template <typename Value, typename Submit, typename Convert>
Ptz::Operation submit_async(const py::object& self, PyEngine& engine, const char* operation,
                            py::object done, Submit submit, Convert convert) {
    Camera& c = open_camera(self);
    const auto owner = std::make_shared<Held>(self);
    const auto callback = std::make_shared<Held>(std::move(done));
    auto finished = [owner, callback, operation, convert](int code, const Value& value) {
        GilTaken gil;
        Camera& camera = owner->object.cast<Camera&>();
        std::vector<Line> lines;
        lines.swap(camera.lines);
        if (finalizing()) {
            return;  // an engine that outlived its loop, ending with the interpreter
        }
        const std::string reason =
            code != 0 && camera.camera ? camera.camera->failure_reason() : std::string();
        try {
            // A cancel is the task's own doing, which CancelledError tells; no line is logged.
            if (code != static_cast<int>(Result::Cancelled)) {
                report(camera, lines);
            }
            py::object error = py::none();
            py::object result = py::none();
            if (code != 0) {
                error = error_for(camera, code, operation, lines, reason);
            } else {
                try {
                    result = convert(value);
                } catch (py::error_already_set& e) {  // raised by a watch, say
                    error = e.value();
                }
            }
            call_python(callback->object, error, result);
        } catch (py::error_already_set& e) {
            e.discard_as_unraisable(operation);
        }
    };
    return submit(*c.camera, engine.engine, std::move(finished));
}

// Python's value of a library value.
struct Cast {
    template <typename Value>
    py::object operator()(const Value& value) const {
        return py::cast(value);
    }
};

// wait_for_stop's watch in Python: it runs with the GIL, and an exception it raises ends the
// wait and is raised in its place.
struct PyWatch {
    py::object watch;
    std::optional<py::error_already_set> raised;

    static bool call(void* self, const Ptz::PtzPosition& where) {
        GilTaken gil;
        PyWatch& w = *static_cast<PyWatch*>(self);
        try {
            return py::bool_(call_python(w.watch, where));
        } catch (py::error_already_set& e) {
            w.raised = std::move(e);
            return true;
        }
    }
    ~PyWatch() {
        GilTaken gil;
        raised.reset();
        drop_or_wait(watch.release().ptr());
    }
};

using C = Ptz::ZelkoPtzCameraIsapi;

// A method that returns only its result code, as `name` and, taking an engine first and a
// done(error, None) last, as `_a_<name>`.
template <typename... Args, typename... Extra>
void def_method(py::class_<Camera>& cls, const char* name, int (C::*f)(Args...),
                Ptz::Operation (C::*g)(Ptz::Engine&, Args..., Ptz::Callback), const char* doc,
                const Extra&... extra) {
    cls.def(
        name,
        [name, f](Camera& c, Args... args) {
            run(c, name, [&](C& camera) { return (camera.*f)(args...); });
        },
        extra..., doc);
    cls.def(("_a_" + std::string(name)).c_str(),
            [name, g](py::object self, PyEngine& engine, Args... args, py::object done) {
                return submit_async<int>(
                    self, engine, name, std::move(done),
                    [&](C& camera, Ptz::Engine& e, auto finished) {
                        return (camera.*g)(e, args..., [finished](int code) { finished(code, 0); });
                    },
                    [](int) { return py::none(); });
            },
            py::arg("engine"), extra..., py::arg("done"));
}

// A method that fills a value of type T, which Python gets back; and its `_a_<name>`.
template <typename T>
void def_query(py::class_<Camera>& cls, const char* name, int (C::*f)(T&),
               Ptz::Operation (C::*g)(Ptz::Engine&, Ptz::ValueCallback<T>), const char* doc) {
    cls.def(
        name,
        [name, f](Camera& c) {
            T value{};
            run(c, name, [&](C& camera) { return (camera.*f)(value); });
            return value;
        },
        doc);
    cls.def(
        ("_a_" + std::string(name)).c_str(),
        [name, g](py::object self, PyEngine& engine, py::object done) {
            return submit_async<T>(
                self, engine, name, std::move(done),
                [&](C& camera, Ptz::Engine& e, auto finished) { return (camera.*g)(e, finished); },
                Cast());
        },
        py::arg("engine"), py::arg("done"));
}

}  // namespace

PYBIND11_MODULE(_core, m) {
    g_module = m;
    g_main_thread =
        py::module_::import("threading").attr("main_thread")().attr("ident").cast<unsigned long>();
    m.doc() =
        "Steer a network PTZ camera over its ISAPI interface (HTTP Digest).\n\n"
        "The same library as the C++ interface: every method performs its requests in turn,\n"
        "each bounded by the time-outs (5 s unless set_timeouts says otherwise), without holding "
        "the GIL. A non-zero result code raises\n"
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

    bind_engine(m);

    py::class_<Camera> cls(m, "Camera",
                           "One network PTZ camera. Methods return None or a value, or raise "
                           "CameraError; a Camera may be shared between threads, whose calls on "
                           "it take turns. As a context manager it closes on exit.");
    cls.def(py::init<std::string, std::string, const py::kwargs&>(), py::arg("address"),
            py::arg("userpwd"),
            "address: a host name, an IPv4 address or a bracketed IPv6 literal, without "
            "scheme or port; userpwd: \"name:password\". Nothing is sent. Options, by keyword: "
            "keep_session keeps one connection and the Digest challenge, so that a command "
            "costs one request, and after refused credentials sends nothing for refusal_hold "
            "seconds (30). https, port (0: 80 or 443), channel (1), ca_file, pinned_key "
            "(sha256//<base64>) and verify_peer (True) reach a camera as it is deployed; a bad "
            "one, or credentials with a control byte in the name, raises ValueError with the "
            "library's line. Error lines go to the logger "
            "\"zelko_ptz\" at ERROR, or to stderr with stderr_lines. With move_coalescing, "
            "through zelko_ptz.aio, a move (set_ptz_ctrl, set_ptz_absoluteEx, set_position, "
            "set_focus, set_iris) replaces the one of its method still waiting to be sent, "
            "whose call is cancelled.")
        .def_property_readonly(
            "address", [](const Camera& c) { return text(c.address); }, "The camera's address.")
        .def("__repr__",
             [](const Camera& c) {
                 return "zelko_ptz.Camera(" + py::repr(text(c.address)).cast<std::string>() + ")";
             })
        .def("__copy__", [](const Camera&) { throw py::type_error("a Camera cannot be copied"); })
        .def(
            "__deepcopy__",
            [](const Camera&, py::handle) { throw py::type_error("a Camera cannot be copied"); },
            py::arg("memo"))
        .def(
            "close",
            [](Camera& c) {
                if (c.owner.load() == std::this_thread::get_id()) {
                    throw py::value_error("a Camera cannot be closed within its own call");
                }
                GilReleased released;
                // While the interpreter ends, a thread that it stopped in a call may hold the
                // turn for ever (gil.h); the connection then goes with the process.
                if (finalizing()) {
                    std::unique_lock<std::mutex> turn(c.turn, std::try_to_lock);
                    if (turn.owns_lock()) {
                        c.camera.reset();
                    }
                    return;
                }
                Turn turn(c);
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
            "set_timeouts",
            [](Camera& c, double connect, double total) {
                run(c, "set_timeouts",
                    [&](C& camera) { return camera.set_timeouts(connect, total); });
            },
            py::arg("connect"), py::arg("total"),
            "Bound each later request: connect and total seconds, 0.1 to 600 (5 and 5).")
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
        .def(
            "_a_get_info",
            [](py::object self, PyEngine& engine, std::string path, py::object done) {
                return submit_async<std::string>(
                    self, engine, "get_info", std::move(done),
                    [&](C& camera, Ptz::Engine& e, auto finished) {
                        return camera.get_info(e, path, finished);
                    },
                    [](const std::string& answer) -> py::object { return text(answer); });
            },
            py::arg("engine"), py::arg("path"), py::arg("done"))
        .def(
            "wait_for_stop",
            [](Camera& c, double timeout, py::object watch) {
                Ptz::PtzPosition where{};
                PyWatch w{std::move(watch), std::nullopt};
                const bool watched = !w.watch.is_none();
                run(c, "wait_for_stop", [&](C& camera) {
                    return camera.wait_for_stop(where, timeout, watched ? &PyWatch::call : nullptr,
                                                &w);
                });
                if (w.raised) {
                    throw std::move(*w.raised);
                }
                return where;
            },
            py::arg("timeout") = 30.0, py::arg("watch") = py::none(),
            "Wait until the position has stayed put for 0.5 s and return it; TimedOutError "
            "past `timeout` seconds. watch(position), when given, sees each position read and "
            "ends the wait at once by returning True.")
        .def(
            "_a_wait_for_stop",
            [](py::object self, PyEngine& engine, double timeout, py::object watch,
               py::object done) {
                const auto w = std::make_shared<PyWatch>(PyWatch{std::move(watch), std::nullopt});
                return submit_async<Ptz::PtzPosition>(
                    self, engine, "wait_for_stop", std::move(done),
                    [&](C& camera, Ptz::Engine& e, auto finished) {
                        return camera.wait_for_stop(
                            e, timeout,
                            [w, finished](int code, const Ptz::PtzPosition& where) {
                                finished(code, where);
                            },
                            w->watch.is_none() ? nullptr : &PyWatch::call, w.get());
                    },
                    [w](const Ptz::PtzPosition& where) -> py::object {
                        if (w->raised) {
                            throw *w->raised;
                        }
                        return py::cast(where);
                    });
            },
            py::arg("engine"), py::arg("timeout") = 30.0, py::arg("watch") = py::none(),
            py::arg("done"))
        .def(
            "move_by",
            [](Camera& c, float azimuth, float elevation, float zoom) {
                run(c, "move_by",
                    [&](C& camera) { return camera.move_by(azimuth, elevation, zoom); });
            },
            py::kw_only(), py::arg("azimuth") = 0.0, py::arg("elevation") = 0.0,
            py::arg("zoom") = 0.0,
            "Move by steps from the position read first: degrees and zoom ratio.")
        .def(
            "_a_move_by",
            [](py::object self, PyEngine& engine, float azimuth, float elevation, float zoom,
               py::object done) {
                return submit_async<int>(
                    self, engine, "move_by", std::move(done),
                    [&](C& camera, Ptz::Engine& e, auto finished) {
                        return camera.move_by(e, azimuth, elevation, zoom,
                                              [finished](int code) { finished(code, 0); });
                    },
                    [](int) { return py::none(); });
            },
            py::arg("engine"), py::arg("azimuth") = 0.0, py::arg("elevation") = 0.0,
            py::arg("zoom") = 0.0, py::arg("done"));

    def_query(cls, "get_ptz_absoluteEx", &C::get_ptz_absoluteEx, &C::get_ptz_absoluteEx,
              "Read the absolute position, all seven values required. A position answer whose "
              "texts are not numbers, or are out of range, raises ValueError. get_position() "
              "reads any camera's.");
    def_method(cls, "set_ptz_absoluteEx", &C::set_ptz_absoluteEx, &C::set_ptz_absoluteEx,
               "Drive the camera to an absolute position (floats sent with six decimals).",
               py::arg("position"));
    def_method(cls, "reset_zoom", &C::reset_zoom, &C::reset_zoom,
               "Read the position, then send it back with absoluteZoom 1.0 and focus 29000; "
               "nothing is sent when the query fails.");
    def_method(cls, "reset_position", &C::reset_position, &C::reset_position,
               "Send the camera to its home position.");
    def_method(cls, "set_ptz_aux", &C::set_ptz_aux, &C::set_ptz_aux,
               "Switch the light, the wiper or the fan on or off.", py::arg("aux"),
               py::arg("status"));
    def_method(cls, "set_ptz_ctrl", &C::set_ptz_ctrl, &C::set_ptz_ctrl,
               "Send one continuous-motion request; the values are sent as given.",
               py::arg("ctrl"));
    def_method(cls, "goto_preset", &C::goto_preset, &C::goto_preset,
               "Travel to the preset `id` (1 or more).", py::arg("id"));
    def_method(cls, "set_preset", &C::set_preset, &C::set_preset,
               "Save the present position as preset `id` under `name`; a name with control "
               "characters other than tab, line feed and carriage return is refused.",
               py::arg("id"), py::arg("name"));
    def_method(cls, "remove_preset", &C::remove_preset, &C::remove_preset,
               "Forget the preset `id`.", py::arg("id"));
    def_query(cls, "get_presets", &C::get_presets, &C::get_presets,
              "The presets the camera keeps, as a list of PtzPreset.");
    def_query(cls, "get_position", &C::get_position, &C::get_position,
              "The position as the camera reports it, as a PtzPosition: degrees and zoom ratio, "
              "a value not reported None; from .../absoluteEx, or .../status on older firmware.");
    def_method(cls, "set_position", &C::set_position, &C::set_position,
               "Send the values of `position` that are not None; the camera keeps the others.",
               py::arg("position"));
    def_method(cls, "move_for", &C::move_for, &C::move_for,
               "Move as set_ptz_ctrl() does for `duration_ms`; the camera stops by itself.",
               py::arg("ctrl"), py::arg("duration_ms"));
    def_method(cls, "center_on", &C::center_on, &C::center_on,
               "Bring the point (x, y) of the picture to its centre; fractions from the "
               "top-left corner, as a click gives them.",
               py::arg("x"), py::arg("y"));
    def_method(cls, "zoom_to_area", &C::zoom_to_area, &C::zoom_to_area,
               "Centre on the box and zoom in to it when drawn from top-left to bottom-right, "
               "out when drawn the other way.",
               py::arg("x0"), py::arg("y0"), py::arg("x1"), py::arg("y1"));
    def_query(cls, "get_capabilities", &C::get_capabilities_ex, &C::get_capabilities_ex,
              "What the camera says it can do, as a PtzCapabilities; the console's methods are "
              "then held to it.");
    def_method(cls, "set_focus", &C::set_focus, &C::set_focus,
               "Drive the focus at `speed`, -100 (near) to 100 (far); 0 stops.", py::arg("speed"));
    def_method(cls, "set_iris", &C::set_iris, &C::set_iris,
               "Drive the iris at `speed`, -100 (close) to 100 (open); 0 stops.", py::arg("speed"));
    def_method(cls, "one_push_focus", &C::one_push_focus, &C::one_push_focus,
               "Focus once by itself.");
    def_query(cls, "get_patrols", &C::get_patrols, &C::get_patrols,
              "The patrols (preset tours), as a list of PtzPatrol; empty slots left out.");
    def_method(cls, "set_patrol", &C::set_patrol, &C::set_patrol,
               "Save `patrol` under its id: 1 to 32 steps of presets that are not special.",
               py::arg("patrol"));
    def_method(cls, "start_patrol", &C::start_patrol, &C::start_patrol,
               "Tour patrol `id` until stopped or moved.", py::arg("id"));
    def_method(cls, "stop_patrol", &C::stop_patrol, &C::stop_patrol, "Stop patrol `id`.",
               py::arg("id"));
    def_method(cls, "remove_patrol", &C::remove_patrol, &C::remove_patrol, "Empty patrol `id`.",
               py::arg("id"));
    def_query(cls, "get_patterns", &C::get_patterns, &C::get_patterns,
              "The patterns (recorded moves), as a list of PtzPattern.");
    def_method(cls, "start_pattern", &C::start_pattern, &C::start_pattern,
               "Replay pattern `id` until stopped.", py::arg("id"));
    def_method(cls, "stop_pattern", &C::stop_pattern, &C::stop_pattern, "Stop pattern `id`.",
               py::arg("id"));
    def_method(cls, "start_pattern_recording", &C::start_pattern_recording,
               &C::start_pattern_recording, "Record the moves from now on as pattern `id`.",
               py::arg("id"));
    def_method(cls, "stop_pattern_recording", &C::stop_pattern_recording,
               &C::stop_pattern_recording, "End the recording of pattern `id`.", py::arg("id"));
    def_method(cls, "remove_pattern", &C::remove_pattern, &C::remove_pattern,
               "Forget pattern `id`.", py::arg("id"));
    def_query(cls, "get_park_action", &C::get_park_action, &C::get_park_action,
              "What the camera does after a time without commands, as a PtzParkAction.");
    def_method(cls, "set_park_action", &C::set_park_action, &C::set_park_action,
               "Set the park action: 5 to 720 seconds (or the camera's range), a kind the camera "
               "takes, the number of a preset, patrol or pattern it keeps.",
               py::arg("action"));
}
