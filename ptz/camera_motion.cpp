// The moves operators and trackers make beyond the absolute and the continuous: a timed move the
// camera ends itself, and click-to-center and box zoom.

#include <cmath>
#include <memory>
#include <string>

#include "../utils/xml_body.h"
#include "camera_calls.h"
#include "camera_link.h"
#include "limits.h"
#include "position_text.h"
#include "zelko_ptz_camera_isapi.h"

namespace Ptz {

namespace {

bool in_picture(float fraction) {
    return kPictureFractions.hold(fraction);
}

// A fraction of the picture in the camera's frame, 0 to 255.
std::string frame_text(double fraction) {
    return int_text(static_cast<int>(std::lround(fraction * 255.0)));
}

std::unique_ptr<Exchange> momentary_command(const CameraLink& link, PtzCtrl ctrl, int duration_ms) {
    const char* const operation = "move_for";
    if (duration_ms < 1) {
        return std::make_unique<Exchange>(operation, "Please input a duration of 1 ms or more.");
    }
    Utils::XmlBody body("PTZData");
    body.add("pan", int_text(ctrl.pan))
        .add("tilt", int_text(ctrl.tilt))
        .add("zoom", int_text(ctrl.zoom))
        .open("Momentary")
        .add("duration", int_text(duration_ms));
    return std::make_unique<Exchange>(
        operation, Request{Utils::HttpMethod::Put, link.command_url("/momentary"), body.finish()});
}

std::unique_ptr<Exchange> position_3d(const char* operation, const CameraLink& link, float x0,
                                      float y0, float x1, float y1) {
    if (!in_picture(x0) || !in_picture(y0) || !in_picture(x1) || !in_picture(y1)) {
        return std::make_unique<Exchange>(operation, Message::kBadCoordinate);
    }
    // The picture's y runs down from its top; the camera's up from its bottom.
    Utils::XmlBody body("Position3D");
    body.open("StartPoint")
        .add("positionX", frame_text(x0))
        .add("positionY", frame_text(1.0 - y0))
        .close()
        .open("EndPoint")
        .add("positionX", frame_text(x1))
        .add("positionY", frame_text(1.0 - y1));
    return std::make_unique<Exchange>(
        operation, Request{Utils::HttpMethod::Put, link.command_url("/position3D"), body.finish()});
}

}  // namespace

int ZelkoPtzCameraIsapi::move_for(PtzCtrl ctrl, int duration_ms) {
    return drive(*momentary_command(*link, ctrl, duration_ms));
}

Operation ZelkoPtzCameraIsapi::move_for(Engine& engine, PtzCtrl ctrl, int duration_ms,
                                        Callback done) {
    return submit(engine, with(momentary_command(*link, ctrl, duration_ms), std::move(done)));
}

int ZelkoPtzCameraIsapi::center_on(float x, float y) {
    return drive(*position_3d("center_on", *link, x, y, x, y));
}

Operation ZelkoPtzCameraIsapi::center_on(Engine& engine, float x, float y, Callback done) {
    return submit(engine, with(position_3d("center_on", *link, x, y, x, y), std::move(done)));
}

int ZelkoPtzCameraIsapi::zoom_to_area(float x0, float y0, float x1, float y1) {
    return drive(*position_3d("zoom_to_area", *link, x0, y0, x1, y1));
}

Operation ZelkoPtzCameraIsapi::zoom_to_area(Engine& engine, float x0, float y0, float x1, float y1,
                                            Callback done) {
    return submit(engine,
                  with(position_3d("zoom_to_area", *link, x0, y0, x1, y1), std::move(done)));
}

}  // namespace Ptz
