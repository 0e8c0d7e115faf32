/* Reads the absolute position through the C interface: read_position ADDRESS NAME:PASSWORD */
#include <stdio.h>

#include "ptz/zelko_ptz_c.h"

int main(int argc, char** argv) {
    zelko_ptz_camera* camera;
    zelko_ptz_absolute_ex p;
    int code;
    if (argc != 3) {
        fprintf(stderr, "usage: %s ADDRESS NAME:PASSWORD\n", argv[0]);
        return 64;
    }
    camera = zelko_ptz_camera_new(argv[1], argv[2], NULL);
    if (camera == NULL) {
        return ZELKO_PTZ_OUT_OF_MEMORY;
    }
    code = zelko_ptz_get_ptz_absoluteEx(camera, &p);
    zelko_ptz_camera_free(camera);
    if (code != ZELKO_PTZ_OK) {
        return code; /* the library has written the reason to stderr */
    }
    printf("elevation %g azimuth %g zoom %g focus %d\n", p.elevation, p.azimuth, p.absoluteZoom,
           (int)p.focus);
    return 0;
}
