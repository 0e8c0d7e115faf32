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

// A loop's two callables; the engine's hooks are told which by the user pointer.
struct PyHooks {
    py::object socket;
    py::object timer;
};

struct PyEngine {
    // Two, so that a hand-over tells the loop handed from to let go of its fds and the new one
    // to watch them, and a refused one leaves the hooks as they were. Declared before the
    // engine, so that they outlive it: its destructor tells the hooks.
    PyHooks hooks[2];
    Ptz::Engine engine;
};

// Operation and Engine.
void bind_engine(py::module_& m);

}  // namespace zelko_python
