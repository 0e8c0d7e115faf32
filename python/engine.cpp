// The engine for Python's event loops: the module's Engine takes two Python callables as its
// hooks, and the loop calls on_socket() and on_timeout(). Nothing here waits, so nothing here
// releases the GIL: the loop's selector waits.

#include "engine_binding.h"

namespace zelko_python {

Held::~Held() {
    if (object && Py_IsInitialized()) {
        GilTaken gil;
        drop_or_wait(object.release().ptr());
    }
}

namespace {

// The hooks run inside libcurl's callbacks: an exception must not unwind through it.
void socket_hook(void* user, int fd, int events) {
    GilTaken gil;
    if (finalizing()) {
        return;  // an engine that outlived its loop, ending with the interpreter
    }
    const py::object& socket = static_cast<PyHooks*>(user)->socket;
    if (!socket) {
        return;  // let go by the collector, its engine garbage too
    }
    try {
        call_python(socket, fd, events);
    } catch (py::error_already_set& e) {
        e.discard_as_unraisable("zelko_ptz: the engine's socket hook");
    }
}

void timer_hook(void* user, long ms) {
    GilTaken gil;
    if (finalizing()) {
        return;
    }
    const py::object& timer = static_cast<PyHooks*>(user)->timer;
    if (!timer) {
        return;
    }
    try {
        call_python(timer, ms);
    } catch (py::error_already_set& e) {
        e.discard_as_unraisable("zelko_ptz: the engine's timer hook");
    }
}

// The engine's instance, or null when its constructor has not run.
PyEngine* engine_of(PyObject* self) {
    try {
        return py::cast<PyEngine*>(py::handle(self));
    } catch (const py::cast_error&) {
        return nullptr;
    }
}

// pybind11's deallocation of an instance.
destructor g_instance_dealloc = nullptr;

// The hooks are a loop's callables, often bound methods of an object that holds the engine: the
// collector is shown them, so that such a pair goes when the program lets go of it.
void collect_hooks(PyHeapTypeObject* heap_type) {
    PyTypeObject* const type = &heap_type->ht_type;
    type->tp_flags |= Py_TPFLAGS_HAVE_GC;
    // Out of the collector's lists before it ends: its end tells the hooks, whose Python code
    // may start a collection, which would take an instance of no references for garbage and
    // end it twice.
    g_instance_dealloc = type->tp_base->tp_dealloc;
    type->tp_dealloc = [](PyObject* self) {
        PyObject_GC_UnTrack(self);
        g_instance_dealloc(self);
    };
    type->tp_traverse = [](PyObject* self, visitproc visit, void* arg) {
        Py_VISIT(Py_TYPE(self));
        if (PyEngine* const e = engine_of(self)) {
            for (const PyHooks& hooks : e->hooks) {
                Py_VISIT(hooks.socket.ptr());
                Py_VISIT(hooks.timer.ptr());
            }
        }
        return 0;
    };
    type->tp_clear = [](PyObject* self) {
        if (PyEngine* const e = engine_of(self)) {
            for (PyHooks& hooks : e->hooks) {
                hooks = {};
            }
        }
        return 0;
    };
}

}  // namespace

void bind_engine(py::module_& m) {
    py::class_<Ptz::Operation>(m, "Operation", "An operation submitted to an Engine.")
        .def_property_readonly("id", &Ptz::Operation::id)
        .def("cancel", &Ptz::Operation::cancel,
             "Cancel it: nothing more is sent for it. False when it has ended already.");

    py::class_<PyEngine>(m, "Engine", py::custom_type_setup(collect_hooks),
                         "Runs the operations of many cameras at once in a host's event loop. "
                         "zelko_ptz.aio drives one per asyncio loop; hosts of other loops give "
                         "it their hooks. Making one raises MemoryError, \"out of file "
                         "descriptors (ulimit -n)\" when the process may open no more.")
        .def(py::init<>())
        .def(
            "set_hooks",
            [](PyEngine& e, py::object socket, py::object timer) {
                // The slot the engine does not use: a first set_hooks() takes either.
                PyHooks& next = e.hooks[e.hooks[0].socket ? 1 : 0];
                PyHooks& before = e.hooks[&next == &e.hooks[0] ? 1 : 0];
                next = {std::move(socket), std::move(timer)};
                if (e.engine.set_hooks({socket_hook, timer_hook, &next}) != 0) {
                    next = {};
                    throw py::value_error("the engine has operations pending");
                }
                before = {};
            },
            py::arg("socket"), py::arg("timer"),
            "socket(fd, events) asks the loop to watch fd for events (1 readable | 2 writable; "
            "0: stop); timer(ms) asks for one on_timeout() after ms milliseconds (-1: none). "
            "Both must only record what they are told.")
        .def(
            "on_socket", [](PyEngine& e, int fd, int events) { e.engine.on_socket(fd, events); },
            py::arg("fd"), py::arg("events"), "The loop saw events on fd.")
        .def(
            "on_timeout", [](PyEngine& e) { e.engine.on_timeout(); },
            "The time the timer hook asked for has come.")
        .def_property_readonly(
            "pending", [](const PyEngine& e) { return e.engine.pending(); },
            "How many operations are pending.");
}

}  // namespace zelko_python
