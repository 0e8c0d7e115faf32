// Reads a camera's position: read_position ADDRESS NAME:PASSWORD
#include <cstdio>

#include "ptz/zelko_ptz_camera_isapi.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s ADDRESS NAME:PASSWORD\n", argv[0]);
        return 64;
    }
    Ptz::ZelkoPtzCameraIsapi camera(argv[1], argv[2]);
    Ptz::PtzPosition p{};
    const int code = camera.get_position(p);
    if (code != 0) {
        // The library has written its line to stderr; this is the same failure in a few words.
        std::fprintf(stderr, "%s\n", camera.failure_reason().c_str());
        return code;
    }
    std::printf("elevation %g azimuth %g zoom %g", p.elevation, p.azimuth, p.zoom);
    if (p.has(Ptz::PtzPosition::Focus)) {
        std::printf(" focus %d", static_cast<int>(p.focus));
    }
    std::printf("\n");
    return 0;
}
