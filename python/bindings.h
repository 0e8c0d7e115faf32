#pragma once

// What the parts of the module share.

#include <pybind11/pybind11.h>

#include "gil.h"

#include <string>
#include <utility>

namespace zelko_python {

namespace py = pybind11;

// The module, alive as long as the interpreter; the error classes and enums live in it.
extern py::handle g_module;

// A camera's text as Python text; bytes that are not UTF-8 become U+FFFD.
py::str text(const std::string& bytes);

// A float field takes any Python number that fits; one past the float range would be infinity.
float to_float(double value, const char* field);

// Python's float spelling of a 32-bit float, shortest first: 4.0, 10.1, inf.
std::string float_text(float value);

// callable(args...) from C++, as the library's callbacks and the module's error lines call
// Python: a thread that the interpreter ends inside waits in it (gil.h).
template <typename... Args>
py::object call_python(const py::handle& callable, Args&&... args) {
    const py::tuple packed = py::make_tuple(std::forward<Args>(args)...);
    PyObject* result = call_or_wait(callable.ptr(), packed.ptr());
    if (result == nullptr) {
        throw py::error_already_set();
    }
    return py::reinterpret_steal<py::object>(result);
}

// The value types: PtzAbsoluteEx, PtzPosition, PtzCtrl, PtzPreset, PtzCapabilities.
void bind_values(py::module_& m);

}  // namespace zelko_python
