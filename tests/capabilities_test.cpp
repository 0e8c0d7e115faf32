// What the capabilities reader makes of the documents cameras and recorders answer: every value
// in its place and unit, what is missing not reported, and a value that is not a number refused.

#include <gtest/gtest.h>

#include "ptz/capabilities.h"
#include "sim_fixture.h"
#include "utils/xml_path.h"

namespace {

using namespace testing_support;
using Caps = Ptz::PtzCapabilitiesEx;
using Ptz::CapabilitiesAnswer;

std::string document(const char* root, const std::string& children) {
    return "<" + std::string(root) +
           " version=\"2.0\" xmlns=\"http://www.isapi.org/ver20/XMLSchema\">\n" + children + "</" +
           root + ">\n";
}

struct CapsCase {
    const char* name;
    std::string answer;
    CapabilitiesAnswer outcome;
    Caps read;
};

Caps only_presets(int count) {
    Caps caps;
    caps.max_presets = count;
    return caps;
}

Caps aux(std::vector<std::string> types) {
    Caps caps;
    caps.aux_types = std::move(types);
    return caps;
}

Caps recorder() {
    Caps caps = only_presets(256);
    caps.supports_position3d = false;
    return caps;
}

// What the real camera's document says, its console's values included.
Caps real_camera() {
    Caps caps{{Ptz::PtzRange{0, 360},
               Ptz::PtzRange{-50, 60},
               Ptz::PtzRange{1, 25},
               Ptz::PtzSpeedRange{-100, 100},
               Ptz::PtzSpeedRange{-90, 80},
               Ptz::PtzSpeedRange{-70, 60},
               300,
               20,
               {33, 34, 35, 36, 37, 38, 39, 40, 41,  42,  43,  44,  45,  46, 90,
                92, 93, 94, 95, 96, 97, 98, 99, 100, 101, 102, 103, 104, 105},
               true,
               {"LIGHT", "WIPER", "FAN", "HEATER"}},
              8,
              4,
              Ptz::PtzSpeedRange{5, 720},
              {"autoscan", "framescan", "randomscan", "patrol", "pattern", "preset", "panoramascan",
               "tiltscan"}};
    return caps;
}

const CapsCase kCases[] = {
    {"RealCamera", kRealCapabilities, CapabilitiesAnswer::Read, real_camera()},
    {"ParkTimeNotANumber",
     document("PTZChanelCap", "<ParkAction><Parktime min=\"5\" max=\"x\"/></ParkAction>"),
     CapabilitiesAnswer::NotNumbers, only_presets(-1)},
    {"RecorderSpelling",
     document("PTZChannelCap",
              "<maxPresetNum>256</maxPresetNum><isSupportPosition3D>false"
              "</isSupportPosition3D>"),
     CapabilitiesAnswer::Read, recorder()},
    {"SparseNothingReported",
     document("PTZChanelCap",
              "<AbsolutePanTiltPositionSpace><XRange><Min>0</Min></XRange>"
              "</AbsolutePanTiltPositionSpace>"),
     CapabilitiesAnswer::Read, Caps()},
    {"RangeNotANumber",
     document("PTZChanelCap",
              "<AbsoluteZoomPositionSpace><ZRange><Min>10</Min><Max>x</Max>"
              "</ZRange></AbsoluteZoomPositionSpace>"),
     CapabilitiesAnswer::NotNumbers, only_presets(-1)},
    {"RangeNotFinite",
     document("PTZChanelCap",
              "<AbsolutePanTiltPositionSpace><XRange><Min>0</Min><Max>nan</Max>"
              "</XRange></AbsolutePanTiltPositionSpace>"),
     CapabilitiesAnswer::NotNumbers, only_presets(-1)},
    {"RangePastAFloat",
     document("PTZChanelCap",
              "<AbsolutePanTiltPositionSpace><XRange><Min>0</Min><Max>1e40</Max>"
              "</XRange></AbsolutePanTiltPositionSpace>"),
     CapabilitiesAnswer::NotNumbers, only_presets(-1)},
    {"SpecialPresetNotANumber",
     document("PTZChanelCap", "<PresetNameCap><specialNo opt=\"33,3x\"/></PresetNameCap>"),
     CapabilitiesAnswer::NotNumbers, only_presets(-1)},
    {"OptListWithBlanks", document("PTZChanelCap", "<PTZAuxType opt=\" LIGHT,, \tWIPER ,\"/>"),
     CapabilitiesAnswer::Read, aux({"LIGHT", "WIPER"})},
    {"MaxPresetsNotWhole", document("PTZChanelCap", "<maxPresetNum>2.5</maxPresetNum>"),
     CapabilitiesAnswer::NotNumbers, only_presets(-1)},
    {"Position3DNotABoolean",
     document("PTZChanelCap", "<isSupportPosition3D>1</isSupportPosition3D>"),
     CapabilitiesAnswer::NotNumbers, only_presets(-1)},
    {"AnotherRoot", document("ResponseStatus", "<statusString>OK</statusString>"),
     CapabilitiesAnswer::NotOne, only_presets(-1)},
};

class CapabilitiesTest : public ::testing::TestWithParam<CapsCase> {};

TEST_P(CapabilitiesTest, ReadsEveryValueInItsPlaceOrRefusesTheAnswer) {
    const CapsCase& c = GetParam();
    pugi::xml_document doc;
    ASSERT_TRUE(Utils::parse_answer(doc, c.answer));
    Caps caps = only_presets(-1);
    EXPECT_EQ(Ptz::capabilities_from_answer(doc, caps), c.outcome);
    EXPECT_TRUE(caps == c.read);
}

INSTANTIATE_TEST_SUITE_P(Answers, CapabilitiesTest, ::testing::ValuesIn(kCases), ByName());

}  // namespace
