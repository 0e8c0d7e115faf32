/* Reads the position through the C interface: read_position ADDRESS NAME:PASSWORD */
#include <signal.h>
#include <stdio.h>

#include "ptz/zelko_ptz_c.h"

static volatile sig_atomic_t interrupted = 0;

static void on_interrupt(int signal_number) {
    (void)signal_number;
    interrupted = 1;
}

/* Asked while a call waits: Ctrl-C gives up a silent camera now, not after its time-out. */
static int check_interrupt(void* user) {
    (void)user;
    return interrupted;
}

int main(int argc, char** argv) {
    zelko_ptz_camera* camera;
    zelko_ptz_position p;
    int code;
    if (argc != 3) {
        fprintf(stderr, "usage: %s ADDRESS NAME:PASSWORD\n", argv[0]);
        return 64;
    }
    camera = zelko_ptz_camera_new(argv[1], argv[2], NULL);
    if (camera == NULL) {
        return ZELKO_PTZ_OUT_OF_MEMORY;
    }
    if (*zelko_ptz_camera_error(camera) != '\0') {
        /* A typing mistake in the address or the credentials, said before anything is sent. */
        fprintf(stderr, "%s\n", zelko_ptz_camera_error(camera));
        zelko_ptz_camera_free(camera);
        return 64;
    }
    signal(SIGINT, on_interrupt);
    zelko_ptz_set_interrupt_check(camera, check_interrupt, NULL);
    code = zelko_ptz_get_position(camera, &p);
    if (code == ZELKO_PTZ_CANCELLED) {
        zelko_ptz_camera_free(camera);
        return 130;
    }
    if (code != ZELKO_PTZ_OK) {
        /* The library has written its line to stderr; this is the same failure in a few words. */
        fprintf(stderr, "%s\n", zelko_ptz_failure_reason(camera));
        zelko_ptz_camera_free(camera);
        return code;
    }
    zelko_ptz_camera_free(camera);
    printf("elevation %g azimuth %g zoom %g", p.elevation, p.azimuth, p.zoom);
    if (p.present & ZELKO_PTZ_POSITION_FOCUS) {
        printf(" focus %d", (int)p.focus);
    }
    printf("\n");
    return 0;
}
