// Reads a camera's absolute position: read_position ADDRESS NAME:PASSWORD
#include <cstdio>

#include "ptz/zelko_ptz_camera_isapi.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s ADDRESS NAME:PASSWORD\n", argv[0]);
        return 64;
    }
    Ptz::ZelkoPtzCameraIsapi camera(argv[1], argv[2]);
    Ptz::PtzAbsoluteEx p{};
    const int code = camera.get_ptz_absoluteEx(p);
    if (code != 0) {
        return code;  // the library has written the reason to stderr
    }
    std::printf("elevation %g azimuth %g zoom %g focus %d\n", p.elevation, p.azimuth,
                p.absoluteZoom, static_cast<int>(p.focus));
    return 0;
}
