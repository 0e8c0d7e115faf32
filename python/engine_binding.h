#pragma once

// The engine as the module holds it, and what the asynchronous methods keep alive.

#include "bindings.h"
#include "ptz/engine.h"

namespace zelko_python {

// A Python object that an engine's callback keeps until the engine is done with it; whatever
// thread drops it takes the GIL to do so.
struct Held {
    py::object object;
    explicit Held(py::object o) : object(std::move(o)) {}
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    ~Held();
};

struct PyEngine {
    // Declared before the engine, so that they outlive it: its destructor tells the hooks.
    py::object socket_hook;
    py::object timer_hook;
    Ptz::Engine engine;
};

// Operation and Engine.
void bind_engine(py::module_& m);

}  // namespace zelko_python
