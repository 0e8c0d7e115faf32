#include "gil.h"

#include <unistd.h>

#include <exception>

namespace zelko_python {

unsigned long g_main_thread = 0;

namespace {

[[noreturn]] void wait_for_the_end() {
    for (;;) {
        pause();
    }
}

// In a handler of anything: the interpreter's end, pthread_exit()'s forced unwind, waits for the
// process to end; a C++ exception goes on, out of a noexcept function, and ends the process. The
// forced unwind has no C++ object, which a typed handler would bind, so it is told apart as the
// exception that cannot be captured.
[[noreturn]] void wait_unless_thrown() {
    if (std::current_exception() != nullptr) {
        throw;
    }
    wait_for_the_end();
}

// Runs `take`, which asks for the GIL, unless the interpreter ends this thread meanwhile.
template <typename Take>
void take_unless_ending(Take take) noexcept {
    // The main thread is the one that ends the interpreter: its calls from an atexit function
    // or a finaliser go on.
    if (PyThread_get_thread_ident() != g_main_thread && (!Py_IsInitialized() || finalizing())) {
        wait_for_the_end();
    }
    try {
        take();
    } catch (...) {  // the end began while this thread waited for the GIL
        wait_unless_thrown();
    }
}

}  // namespace

PyObject* call_or_wait(PyObject* callable, PyObject* args) noexcept {
    try {
        return PyObject_CallObject(callable, args);
    } catch (...) {
        wait_unless_thrown();
    }
}

void drop_or_wait(PyObject* object) noexcept {
    try {
        Py_XDECREF(object);
    } catch (...) {
        wait_unless_thrown();
    }
}

bool finalizing() {
#if PY_VERSION_HEX >= 0x030D0000
    return Py_IsFinalizing() != 0;
#else
    return _Py_IsFinalizing() != 0;
#endif
}

GilReleased::~GilReleased() {
    take_unless_ending([this] { PyEval_RestoreThread(state_); });
}

GilTaken::GilTaken() {
    take_unless_ending([this] { state_ = PyGILState_Ensure(); });
}

GilTaken::~GilTaken() {
    if (PyGILState_Check() == 0) {  // unwound by the interpreter's end, the GIL gone
        wait_for_the_end();
    }
    PyGILState_Release(state_);
}

}  // namespace zelko_python
