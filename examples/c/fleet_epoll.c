/* Reads the position of many cameras at once from one thread, with the library's engine in an
 * epoll loop of the program's own (a timerfd for the engine's time):
 *
 *   fleet_epoll NAME:PASSWORD ADDRESS...
 *
 * One line per camera, in the order given; the exit status is the first failing camera's code. */
#define _POSIX_C_SOURCE 200809L
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/epoll.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include "ptz/zelko_ptz_c.h"

struct loop {
    int epoll_fd;
    int timer_fd;
};

struct camera {
    const char* address;
    zelko_ptz_camera* handle;
    int code; /* -1 until its callback ran */
    zelko_ptz_position where;
};

/* The engine asks for an fd to be watched; the hook only records it in epoll. */
static void watch_socket(void* user, int fd, int events) {
    struct loop* loop = user;
    struct epoll_event event;
    memset(&event, 0, sizeof event);
    event.data.fd = fd;
    event.events = ((events & ZELKO_PTZ_WATCH_READ) ? EPOLLIN : 0u) |
                   ((events & ZELKO_PTZ_WATCH_WRITE) ? EPOLLOUT : 0u);
    if (events == 0) {
        epoll_ctl(loop->epoll_fd, EPOLL_CTL_DEL, fd, NULL);
    } else if (epoll_ctl(loop->epoll_fd, EPOLL_CTL_MOD, fd, &event) != 0) {
        epoll_ctl(loop->epoll_fd, EPOLL_CTL_ADD, fd, &event);
    }
}

/* The engine asks for one call after ms; a timerfd takes a nanosecond for "now" (0 disarms). */
static void arm_timer(void* user, long ms) {
    struct loop* loop = user;
    struct itimerspec at;
    memset(&at, 0, sizeof at);
    if (ms >= 0) {
        at.it_value.tv_sec = ms / 1000;
        at.it_value.tv_nsec = ms % 1000 * 1000000L + (ms == 0 ? 1 : 0);
    }
    timerfd_settime(loop->timer_fd, 0, &at, NULL);
}

static void positioned(void* user, int code, const zelko_ptz_position* where) {
    struct camera* camera = user;
    camera->code = code;
    if (where != NULL) {
        camera->where = *where;
    }
}

int main(int argc, char** argv) {
    struct loop loop;
    struct epoll_event timer_event, ready[64];
    struct camera* cameras;
    zelko_ptz_engine* engine;
    int count = argc - 2, pending, i, status = 0;
    if (argc < 3) {
        fprintf(stderr, "usage: %s NAME:PASSWORD ADDRESS...\n", argv[0]);
        return 64;
    }
    loop.epoll_fd = epoll_create1(0);
    loop.timer_fd = timerfd_create(CLOCK_MONOTONIC, 0);
    memset(&timer_event, 0, sizeof timer_event);
    timer_event.events = EPOLLIN;
    timer_event.data.fd = loop.timer_fd;
    epoll_ctl(loop.epoll_fd, EPOLL_CTL_ADD, loop.timer_fd, &timer_event);

    engine = zelko_ptz_engine_new();
    cameras = calloc((size_t)count, sizeof *cameras);
    if (engine == NULL || cameras == NULL ||
        zelko_ptz_engine_set_hooks(engine, watch_socket, arm_timer, &loop) != ZELKO_PTZ_OK) {
        return ZELKO_PTZ_OUT_OF_MEMORY;
    }
    for (i = 0; i < count; ++i) {
        cameras[i].address = argv[i + 2];
        cameras[i].code = -1;
        cameras[i].handle = zelko_ptz_camera_new(argv[i + 2], argv[1], NULL);
        if (cameras[i].handle == NULL ||
            zelko_ptz_get_position_async(cameras[i].handle, engine, positioned, &cameras[i]) == 0) {
            cameras[i].code = ZELKO_PTZ_OUT_OF_MEMORY;
        }
    }

    for (pending = count; pending > 0;) {
        int n = epoll_wait(loop.epoll_fd, ready, 64, -1);
        for (i = 0; i < n; ++i) {
            if (ready[i].data.fd == loop.timer_fd) {
                unsigned long long expirations;
                if (read(loop.timer_fd, &expirations, sizeof expirations) > 0) {
                    zelko_ptz_engine_on_timeout(engine);
                }
            } else {
                zelko_ptz_engine_on_socket(
                    engine, ready[i].data.fd,
                    ((ready[i].events & (EPOLLIN | EPOLLHUP | EPOLLERR)) ? ZELKO_PTZ_WATCH_READ : 0) |
                        ((ready[i].events & EPOLLOUT) ? ZELKO_PTZ_WATCH_WRITE : 0));
            }
        }
        for (pending = 0, i = 0; i < count; ++i) {
            pending += cameras[i].code < 0;
        }
    }

    for (i = 0; i < count; ++i) {
        if (cameras[i].code == ZELKO_PTZ_OK) {
            printf("%s: elevation %g azimuth %g zoom %g\n", cameras[i].address,
                   cameras[i].where.elevation, cameras[i].where.azimuth, cameras[i].where.zoom);
        } else {
            /* The library wrote its line to stderr; this is the reason in a few words. */
            printf("%s: failed with %d: %s\n", cameras[i].address, cameras[i].code,
                   zelko_ptz_failure_reason(cameras[i].handle));
            status = status != 0 ? status : cameras[i].code;
        }
        zelko_ptz_camera_free(cameras[i].handle);
    }
    zelko_ptz_engine_free(engine);
    free(cameras);
    close(loop.timer_fd);
    close(loop.epoll_fd);
    return status;
}
