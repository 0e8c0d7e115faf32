#pragma once

// The GIL, released for a blocking call and taken again after it or for a callback into Python.
//
// While the interpreter ends, Python ends any other thread that asks for the GIL, by
// pthread_exit inside the asking call; once it has ended, asking touches freed state. A daemon
// thread left in a camera call, polling a position say, asks at its next return or watch: the
// unwinding of pthread_exit reached a noexcept destructor, and std::terminate aborted the whole
// program at its exit (a crash at the end of every such run). Here such a thread waits instead
// for the process to end, as Python itself has its threads do from 3.14 on.

#include <Python.h>

namespace zelko_python {

// Python's main thread: the one that runs signal handlers and ends the interpreter.
extern unsigned long g_main_thread;

// Whether the interpreter is ending; the call is public from Python 3.13 on, private before.
bool finalizing();

// The GIL released for the guard's life: other threads run while a call waits on the network.
class GilReleased {
public:
    GilReleased() : state_(PyEval_SaveThread()) {}
    ~GilReleased();
    GilReleased(const GilReleased&) = delete;
    GilReleased& operator=(const GilReleased&) = delete;

private:
    PyThreadState* const state_;
};

// The GIL held for the guard's life, on any thread, whether it held the GIL before or not.
// Python code run meanwhile other than through call_or_wait() (a value's __bool__, say) may let
// the GIL go and ask again: the interpreter's end then unwinds the thread up to here, where it
// waits.
class GilTaken {
public:
    GilTaken();
    ~GilTaken();
    GilTaken(const GilTaken&) = delete;
    GilTaken& operator=(const GilTaken&) = delete;

private:
    PyGILState_STATE state_;
};

// PyObject_CallObject(callable, args), the GIL held. Python code in it may let the GIL go and
// ask again: a thread that the interpreter's end stops there waits here, its callers' frames
// kept. Unwound through them, it would drop their Python objects without the GIL, its thread
// state freed already: Python aborted, or another thread's objects were corrupted.
PyObject* call_or_wait(PyObject* callable, PyObject* args) noexcept;

// Drops a reference to `object`, the GIL held. The last one runs its finaliser, which may let
// the GIL go and ask again: there the interpreter's end makes the thread wait, as in
// call_or_wait(), rather than unwind it through the destructor that dropped it.
void drop_or_wait(PyObject* object) noexcept;

}  // namespace zelko_python
