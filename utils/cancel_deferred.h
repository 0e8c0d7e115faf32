#pragma once

#include <pthread.h>

namespace Utils {

// Holds back the calling thread's cancellation while it lives. A cancellation acts at the next
// cancellation point (poll, connect, send, close, a write to stderr, a sleep) by unwinding the
// thread: inside libcurl's C frames that leaves a transfer and its locks half done, through a
// destructor it ends the process, and through a catch-all it aborts. So each of the library's
// calls that may reach one holds it back, as glibc does within its own functions, and the thread
// is cancelled at its first cancellation point after the call. Nested guards restore in turn.
class CancelDeferred {
public:
    CancelDeferred() noexcept { pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &before_); }
    ~CancelDeferred() {
        int ours = 0;
        pthread_setcancelstate(before_, &ours);
    }
    CancelDeferred(const CancelDeferred&) = delete;
    CancelDeferred& operator=(const CancelDeferred&) = delete;

private:
    int before_ = PTHREAD_CANCEL_ENABLE;
};

}  // namespace Utils
