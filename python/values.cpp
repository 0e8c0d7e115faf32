// The value types of the module: records with keyword constructors, equality, copies and a
// readable repr, as Python values are.

#include <pybind11/stl.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>

#include "bindings.h"
#include "ptz/capability_fields.h"
#include "ptz/position_fields.h"
#include "ptz/zelko_ptz_camera_isapi.h"

namespace zelko_python {

py::str text(const std::string& bytes) {
    return py::reinterpret_steal<py::str>(
        PyUnicode_DecodeUTF8(bytes.data(), static_cast<Py_ssize_t>(bytes.size()), "replace"));
}

float to_float(double value, const char* field) {
    if (std::isfinite(value) && std::abs(value) > FLT_MAX) {
        PyErr_Format(PyExc_OverflowError, "%s: %R is outside the 32-bit float range", field,
                     py::float_(value).ptr());
        throw py::error_already_set();
    }
    return static_cast<float>(value);
}

std::string float_text(float value) {
    if (!std::isfinite(value)) {
        return py::str(py::float_(value));
    }
    char text[32];
    std::string s(text, std::to_chars(text, text + sizeof text, value).ptr);
    return s.find_first_of(".e") == std::string::npos ? s + ".0" : s;
}

namespace {

using Ptz::PositionField;
using Ptz::PtzPosition;

template <typename T>
void float_field(py::class_<T>& cls, const char* name, float T::*field) {
    cls.def_property(
        name, [field](const T& t) { return t.*field; },
        [field, name](T& t, double value) { t.*field = to_float(value, name); });
}

// Equality, copies and pickling, as for any Python value. A value pickles as its constructor's
// keywords, `_fields`, which are its attributes' names: `fields` names them, unless a table of
// the value's did already.
template <typename T>
void value_type(py::class_<T>& cls, std::initializer_list<const char*> fields = {}) {
    if (fields.size() != 0) {
        cls.attr("_fields") = py::tuple(py::cast(std::vector<const char*>(fields)));
    }
    cls.def(
           "__eq__", [](const T& a, const T& b) { return a == b; }, py::is_operator())
        .def("__copy__", [](const T& t) { return t; })
        .def(
            "__deepcopy__", [](const T& t, py::handle) { return t; }, py::arg("memo"))
        .def("__reduce__", [](const py::object& self) {
            py::dict given;
            for (const py::handle name : self.attr("_fields")) {
                given[name] = self.attr(name);
            }
            return py::make_tuple(g_module.attr("_remake"),
                                  py::make_tuple(py::type::of(self), given));
        });
}

// A value as its repr shows it: a float in Python's spelling, an int in decimal.
std::string repr_value(const PtzPosition& p, const PositionField& field) {
    return field.real != nullptr ? float_text(p.*field.real) : std::to_string(p.*field.whole);
}

// Sets a value given from Python, None clearing it. A value that does not fit its 32 bits is
// refused, never truncated.
void set_from_python(PtzPosition& p, const PositionField& field, py::handle value) {
    if (value.is_none()) {
        p.present &= ~field.bit;
        return;
    }
    if (field.real != nullptr) {
        const double number = PyFloat_AsDouble(value.ptr());
        if (number == -1.0 && PyErr_Occurred() != nullptr) {
            throw py::error_already_set();
        }
        Ptz::set_value(p, field, to_float(number, field.member));
        return;
    }
    if (!PyLong_Check(value.ptr())) {
        throw py::type_error(std::string(field.member) + " takes an int or None");
    }
    int overflow = 0;
    const long long number = PyLong_AsLongLongAndOverflow(value.ptr(), &overflow);
    if (overflow != 0 || number < INT32_MIN || number > INT32_MAX) {
        PyErr_Format(PyExc_OverflowError, "%s: %R is outside the 32-bit int range", field.member,
                     value.ptr());
        throw py::error_already_set();
    }
    Ptz::set_value(p, field, static_cast<double>(number));
}

template <std::size_t>
using Given = py::object;

// PtzPosition(*, elevation=None, azimuth=None, ...): a keyword per value of the table.
template <std::size_t... I>
void keyword_constructor(py::class_<PtzPosition>& position, std::index_sequence<I...>) {
    position.def(py::init([](Given<I>... given) {
                     PtzPosition p{};
                     (set_from_python(p, Ptz::kPositionFields[I], given), ...);
                     return p;
                 }),
                 py::kw_only(), (py::arg(Ptz::kPositionFields[I].member) = py::none())...);
}

void bind_position(py::module_& m) {
    py::class_<PtzPosition> position(
        m, "PtzPosition",
        "A position as the camera reported it, or the values to send it: elevation and azimuth "
        "in degrees, zoom as the zoom ratio, focus, focal_length and the speeds in the camera's "
        "own numbers. A value the camera did not report, or that is not to be sent, is None.");
    keyword_constructor(position, std::make_index_sequence<std::size(Ptz::kPositionFields)>());
    py::tuple names(std::size(Ptz::kPositionFields));
    std::size_t i = 0;
    for (const PositionField& field : Ptz::kPositionFields) {
        position.def_property(
            field.member,
            [&field](const PtzPosition& p) -> py::object {
                if (!p.has(field.bit)) {
                    return py::none();
                }
                return field.real != nullptr ? py::object(py::float_(p.*field.real))
                                             : py::object(py::int_(p.*field.whole));
            },
            [&field](PtzPosition& p, py::object value) { set_from_python(p, field, value); });
        names[i++] = field.member;
    }
    position.attr("_fields") = names;
    value_type(position);
    position.def("__repr__", [](const PtzPosition& p) {
        std::string shown;
        for (const PositionField& field : Ptz::kPositionFields) {
            if (p.has(field.bit)) {
                shown += (shown.empty() ? "" : ", ") + std::string(field.member) + "=" +
                         repr_value(p, field);
            }
        }
        return "PtzPosition(" + shown + ")";
    });
}

void bind_absolute_ex(py::module_& m) {
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
    py::list names;  // the record's fields bear the camera's element names
    for (const PositionField& field : Ptz::kPositionFields) {
        names.append(field.element);
    }
    position.attr("_fields") = py::tuple(names);
    value_type(position);
    position.def("__repr__", [](const Ptz::PtzAbsoluteEx& record) {
        const PtzPosition p = Ptz::to_position(record);
        std::string shown;
        for (const PositionField& field : Ptz::kPositionFields) {
            shown += (shown.empty() ? "" : ", ") + std::string(field.element) + "=" +
                     repr_value(p, field);
        }
        return "PtzAbsoluteEx(" + shown + ")";
    });
}

// A range as Python sees it: a tuple, or None when not reported.
template <typename Range>
py::object range(const std::optional<Range>& r) {
    return r ? py::object(py::make_tuple(r->min, r->max)) : py::object(py::none());
}

template <typename Value>
py::object optional(const std::optional<Value>& v) {
    return v ? py::cast(*v) : py::object(py::none());
}

// One capability as Python sees it.
py::object capability(const Ptz::PtzCapabilitiesEx& c, const Ptz::CapabilityField& field) {
    switch (field.kind) {
        case Ptz::CapabilityKind::Range:
            return range(c.*field.range);
        case Ptz::CapabilityKind::SpeedRange:
            return range(c.*field.speed_range);
        case Ptz::CapabilityKind::Whole:
            return optional(c.*field.whole);
        case Ptz::CapabilityKind::Flag:
            return optional(c.*field.flag);
        case Ptz::CapabilityKind::Numbers:
            return py::cast(c.*field.numbers);
        case Ptz::CapabilityKind::Names:
            break;
    }
    py::list names;
    for (const std::string& name : c.*field.names) {
        names.append(text(name));
    }
    return std::move(names);
}

// Sets one capability given from Python; None leaves it unreported. A value of another type is
// refused, naming what the attribute holds.
void set_capability(Ptz::PtzCapabilitiesEx& c, const Ptz::CapabilityField& field,
                    py::handle value) {
    if (value.is_none()) {
        return;
    }
    static const char* const kTakes[] = {"a pair of numbers", "a pair of ints",
                                         "a 32-bit int",      "a bool",
                                         "a list of ints",    "a list of str"};
    try {
        switch (field.kind) {
            case Ptz::CapabilityKind::Range: {
                const auto r = value.cast<std::pair<double, double>>();
                c.*field.range =
                    Ptz::PtzRange{to_float(r.first, field.name), to_float(r.second, field.name)};
                return;
            }
            case Ptz::CapabilityKind::SpeedRange: {
                const auto r = value.cast<std::pair<int, int>>();
                c.*field.speed_range = Ptz::PtzSpeedRange{r.first, r.second};
                return;
            }
            case Ptz::CapabilityKind::Whole:
                c.*field.whole = value.cast<int>();
                return;
            case Ptz::CapabilityKind::Flag:
                if (!PyBool_Check(value.ptr())) {
                    break;
                }
                c.*field.flag = value.cast<bool>();
                return;
            case Ptz::CapabilityKind::Numbers:
                c.*field.numbers = value.cast<std::vector<int>>();
                return;
            case Ptz::CapabilityKind::Names:
                c.*field.names = value.cast<std::vector<std::string>>();
                return;
        }
    } catch (const py::cast_error&) {
    }
    throw py::type_error(std::string(field.name) + " takes " +
                         kTakes[static_cast<int>(field.kind)] + " or None");
}

// PtzCapabilities(*, azimuth_range=None, ...): a keyword per value of the table, as the camera
// would report them; for a host's own tests.
template <std::size_t... I>
void keyword_constructor(py::class_<Ptz::PtzCapabilitiesEx>& caps, std::index_sequence<I...>) {
    caps.def(py::init([](Given<I>... given) {
                 Ptz::PtzCapabilitiesEx c;
                 (set_capability(c, Ptz::kCapabilityFields[I], given), ...);
                 return c;
             }),
             py::kw_only(), (py::arg(Ptz::kCapabilityFields[I].name) = py::none())...);
}

std::string flag_text(bool value) {
    return value ? "True" : "False";
}

// The console's values: a patrol and its steps, a pattern, the park action.
void bind_tours(py::module_& m) {
    using Ptz::PtzParkAction;
    using Ptz::PtzPatrol;
    using Ptz::PtzPatrolStep;
    using Ptz::PtzPattern;
    py::class_<PtzPatrolStep> step(m, "PtzPatrolStep",
                                   "One stop of a patrol: the preset, the speed to travel there "
                                   "(the camera's value, 1 or more) and the dwell in seconds.");
    step.def(py::init([](int preset, int speed, int dwell_seconds) {
                 return PtzPatrolStep{preset, speed, dwell_seconds};
             }),
             py::kw_only(), py::arg("preset"), py::arg("speed") = 30, py::arg("dwell_seconds") = 15)
        .def_readwrite("preset", &PtzPatrolStep::preset)
        .def_readwrite("speed", &PtzPatrolStep::speed)
        .def_readwrite("dwell_seconds", &PtzPatrolStep::dwell_seconds)
        .def("__repr__", [](const PtzPatrolStep& s) {
            return "PtzPatrolStep(preset=" + std::to_string(s.preset) +
                   ", speed=" + std::to_string(s.speed) +
                   ", dwell_seconds=" + std::to_string(s.dwell_seconds) + ")";
        });
    value_type(step, {"preset", "speed", "dwell_seconds"});

    py::class_<PtzPatrol> patrol(m, "PtzPatrol",
                                 "A preset tour the camera keeps under a number. `steps` is a "
                                 "list of PtzPatrolStep, given and read as a whole.");
    patrol
        .def(py::init([](int id, std::string name, bool enabled, std::vector<PtzPatrolStep> steps) {
                 return PtzPatrol{id, std::move(name), enabled, std::move(steps)};
             }),
             py::kw_only(), py::arg("id"), py::arg("name") = "", py::arg("enabled") = true,
             py::arg("steps") = std::vector<PtzPatrolStep>())
        .def_readwrite("id", &PtzPatrol::id)
        .def_property(
            "name", [](const PtzPatrol& p) { return text(p.name); },
            [](PtzPatrol& p, std::string name) { p.name = std::move(name); })
        .def_readwrite("enabled", &PtzPatrol::enabled)
        .def_readwrite("steps", &PtzPatrol::steps)
        .def("__repr__", [](const PtzPatrol& p) {
            return "PtzPatrol(id=" + std::to_string(p.id) +
                   ", name=" + py::repr(text(p.name)).cast<std::string>() +
                   ", enabled=" + flag_text(p.enabled) +
                   ", steps=" + py::repr(py::cast(p.steps)).cast<std::string>() + ")";
        });
    value_type(patrol, {"id", "name", "enabled", "steps"});

    py::class_<PtzPattern> pattern(m, "PtzPattern",
                                   "A recorded move the camera keeps under a number; enabled "
                                   "when something is recorded.");
    pattern
        .def(py::init([](int id, bool enabled) {
                 return PtzPattern{id, enabled};
             }),
             py::kw_only(), py::arg("id"), py::arg("enabled") = false)
        .def_readwrite("id", &PtzPattern::id)
        .def_readwrite("enabled", &PtzPattern::enabled)
        .def("__repr__", [](const PtzPattern& p) {
            return "PtzPattern(id=" + std::to_string(p.id) + ", enabled=" + flag_text(p.enabled) +
                   ")";
        });
    value_type(pattern, {"id", "enabled"});

    py::class_<PtzParkAction> park(m, "PtzParkAction",
                                   "What the camera does after `seconds` without commands: "
                                   "`kind` in its words (\"preset\", \"patrol\", \"pattern\", "
                                   "\"autoscan\", ...) with the `number` of the preset, patrol "
                                   "or pattern.");
    park.def(py::init([](bool enabled, int seconds, std::string kind, int number) {
                 return PtzParkAction{enabled, seconds, std::move(kind), number};
             }),
             py::kw_only(), py::arg("enabled") = true, py::arg("seconds"), py::arg("kind"),
             py::arg("number") = 0)
        .def_readwrite("enabled", &PtzParkAction::enabled)
        .def_readwrite("seconds", &PtzParkAction::seconds)
        .def_property(
            "kind", [](const PtzParkAction& p) { return text(p.kind); },
            [](PtzParkAction& p, std::string kind) { p.kind = std::move(kind); })
        .def_readwrite("number", &PtzParkAction::number)
        .def("__repr__", [](const PtzParkAction& p) {
            return "PtzParkAction(enabled=" + flag_text(p.enabled) +
                   ", seconds=" + std::to_string(p.seconds) +
                   ", kind=" + py::repr(text(p.kind)).cast<std::string>() +
                   ", number=" + std::to_string(p.number) + ")";
        });
    value_type(park, {"enabled", "seconds", "kind", "number"});
}

void bind_capabilities(py::module_& m) {
    using Caps = Ptz::PtzCapabilitiesEx;
    py::class_<Caps> caps(m, "PtzCapabilities",
                          "What a camera says it can do; what it did not report is None, or an "
                          "empty list. Absolute ranges in degrees and zoom ratio, continuous "
                          "ranges in the camera's own integers.");
    keyword_constructor(caps, std::make_index_sequence<std::size(Ptz::kCapabilityFields)>());
    py::tuple names(std::size(Ptz::kCapabilityFields));
    std::size_t i = 0;
    for (const Ptz::CapabilityField& field : Ptz::kCapabilityFields) {
        caps.def_property_readonly(field.name,
                                   [&field](const Caps& c) { return capability(c, field); });
        names[i++] = field.name;
    }
    caps.attr("_fields") = names;
    value_type(caps);
    // What the camera reported, as the attributes show it; what it left out is not shown.
    caps.def("__repr__", [](const Caps& c) {
        std::string shown;
        for (const Ptz::CapabilityField& field : Ptz::kCapabilityFields) {
            const py::object value = capability(c, field);
            if (!value.is_none() && !(py::isinstance<py::list>(value) && py::len(value) == 0)) {
                shown += (shown.empty() ? "" : ", ") + std::string(field.name) + "=" +
                         py::repr(value).cast<std::string>();
            }
        }
        return "PtzCapabilities(" + shown + ")";
    });
}

}  // namespace

void bind_values(py::module_& m) {
    bind_absolute_ex(m);
    bind_position(m);

    py::class_<Ptz::PtzCtrl> ctrl(
        m, "PtzCtrl", "One continuous-motion request; the camera gives the numbers their meaning.");
    ctrl.def(py::init([](std::int32_t pan, std::int32_t tilt, std::int32_t zoom) {
                 return Ptz::PtzCtrl{pan, tilt, zoom};
             }),
             py::arg("pan") = 0, py::arg("tilt") = 0, py::arg("zoom") = 0)
        .def_readwrite("pan", &Ptz::PtzCtrl::pan)
        .def_readwrite("tilt", &Ptz::PtzCtrl::tilt)
        .def_readwrite("zoom", &Ptz::PtzCtrl::zoom)
        .def("__repr__", [](const Ptz::PtzCtrl& c) {
            return "PtzCtrl(pan=" + std::to_string(c.pan) + ", tilt=" + std::to_string(c.tilt) +
                   ", zoom=" + std::to_string(c.zoom) + ")";
        });
    value_type(ctrl, {"pan", "tilt", "zoom"});

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
    value_type(preset, {"id", "name", "enabled"});

    bind_tours(m);
    bind_capabilities(m);
}

}  // namespace zelko_python
