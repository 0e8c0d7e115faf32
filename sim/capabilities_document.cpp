#include "capabilities_document.h"

#include <cmath>

#include "camera_resources.h"
#include "motion.h"

namespace sim {

namespace {

std::string range(const char* name, double min, double max) {
    const auto text = [](double value) { return std::to_string(std::lround(value)); };
    return "<" + std::string(name) + "><Min>" + text(min) + "</Min><Max>" + text(max) + "</Max></" +
           name + ">\n";
}

}  // namespace

std::string capabilities_document(bool sparse) {
    std::string doc =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<PTZChanelCap version=\"2.0\" xmlns=\"http://www.isapi.org/ver20/XMLSchema\">\n"
        "<id>1</id>\n"
        "<AbsolutePanTiltPositionSpace>\n" +
        range("XRange", 0, 3600) + range("YRange", kElevationMin * 10.0, kElevationMax * 10.0) +
        "</AbsolutePanTiltPositionSpace>\n";
    if (sparse) {
        return doc + "</PTZChanelCap>\n";
    }
    doc += "<AbsoluteZoomPositionSpace>" + range("ZRange", kZoomMin * 10.0, kZoomMax * 10.0) +
           "</AbsoluteZoomPositionSpace>\n<ContinuousPanTiltSpace>\n" + range("XRange", -100, 100) +
           range("YRange", -100, 100) + "</ContinuousPanTiltSpace>\n<ContinuousZoomSpace>" +
           range("ZRange", -100, 100) + "</ContinuousZoomSpace>\n<maxPresetNum>" +
           std::to_string(kMaxPresetId) +
           "</maxPresetNum>\n"
           "<PresetNameCap version=\"2.0\" xmlns=\"http://www.isapi.org/ver20/XMLSchema\">\n"
           "<presetNameSupport>true</presetNameSupport>\n<maxPresetNameLen min=\"0\" max=\"" +
           std::to_string(kMaxPresetNameLength) + "\"/>\n<specialNo opt=\"" + kSpecialPresets +
           "\"/>\n</PresetNameCap>\n<isSupportPosition3D>true</isSupportPosition3D>\n"
           "<PTZAuxType opt=\"LIGHT,WIPER,FAN\"/>\n<maxPatrolNum>" +
           std::to_string(kMaxPatrols) + "</maxPatrolNum>\n<maxPatternNum>" +
           std::to_string(kMaxPatterns) +
           "</maxPatternNum>\n<ParkAction>\n<enabled opt=\"true,false\"/>\n<Parktime min=\"" +
           std::to_string(kParkSecondsMin) + "\" max=\"" + std::to_string(kParkSecondsMax) +
           "\"/>\n<Action>\n<ActionType opt=\"" + kParkActionKinds +
           "\"/>\n<ActionNum min=\"0\" max=\"" + std::to_string(kMaxPresetId) +
           "\"/>\n</Action>\n</ParkAction>\n</PTZChanelCap>\n";
    return doc;
}

}  // namespace sim
