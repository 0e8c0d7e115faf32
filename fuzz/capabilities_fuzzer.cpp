// Any bytes as a capabilities answer: the reader fills the record with finite ranges, or leaves
// it as it was, and nothing else.
#include <cmath>
#include <string>

#include "fuzz_target.h"
#include "ptz/capabilities.h"
#include "utils/xml_path.h"

ZELKO_FUZZ_TARGET(capabilities) {
    pugi::xml_document parser;
    if (!Utils::parse_answer(parser, std::string(reinterpret_cast<const char*>(data), size))) {
        return 0;
    }
    Ptz::PtzCapabilitiesEx caps;
    caps.max_presets = -1;
    if (Ptz::capabilities_from_answer(parser, caps) != Ptz::CapabilitiesAnswer::Read) {
        ZELKO_FUZZ_CHECK(caps.max_presets == -1 && caps.special_presets.empty());
        return 0;
    }
    for (const auto& range : {caps.azimuth_range, caps.elevation_range, caps.zoom_range}) {
        ZELKO_FUZZ_CHECK(!range || (std::isfinite(range->min) && std::isfinite(range->max)));
    }
    for (const std::string& aux : caps.aux_types) {
        ZELKO_FUZZ_CHECK(!aux.empty() && aux.find(',') == std::string::npos);
    }
    return 0;
}
