// What the capabilities reader makes of the documents cameras and recorders answer: every value
// in its place and unit, what is missing not reported, and a value that is not a number refused.

#include <gtest/gtest.h>

#include "ptz/capabilities.h"
#include "sim_fixture.h"
#include "utils/xml_parser.h"

namespace {

using Caps = Ptz::PtzCapabilities;
using Ptz::CapabilitiesAnswer;

// The parts that matter of a real dome's 42 KB answer, as it wrote them.
const std::string kRealParts =
    "<AbsolutePanTiltPositionSpace>\n<XRange><Min>0</Min><Max>3600</Max></XRange>\n"
    "<YRange><Min>-500</Min><Max>600</Max></YRange>\n</AbsolutePanTiltPositionSpace>\n"
    "<AbsoluteZoomPositionSpace><ZRange><Min>10</Min><Max>250</Max></ZRange>"
    "</AbsoluteZoomPositionSpace>\n<ContinuousPanTiltSpace><XRange><Min>-100</Min><Max>100</Max>"
    "</XRange><YRange><Min>-90</Min><Max>80</Max></YRange></ContinuousPanTiltSpace>\n"
    "<ContinuousZoomSpace><ZRange><Min>-70</Min><Max>60</Max></ZRange></ContinuousZoomSpace>\n"
    "<maxPresetNum>300</maxPresetNum>\n"
    "<PresetNameCap version=\"2.0\" xmlns=\"http://www.isapi.org/ver20/XMLSchema\">\n"
    "<presetNameSupport>true</presetNameSupport>\n<maxPresetNameLen min=\"0\" max=\"20\"/>\n"
    "<specialNo opt=\"33,34,35,36,37,38,39,40,41,42,43,44,45,46,90,92,93,94,95,96,97,98,99,100,"
    "101,102,103,104,105\"/>\n</PresetNameCap>\n<isSupportPosition3D>true</isSupportPosition3D>\n"
    "<PTZAuxType opt=\"LIGHT,WIPER,FAN,HEATER\"/>\n";

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

const CapsCase kCases[] = {
    {"RealCamera",
     document("PTZChanelCap", kRealParts),
     CapabilitiesAnswer::Read,
     {Ptz::PtzRange{0, 360},
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
      {"LIGHT", "WIPER", "FAN", "HEATER"}}},
    {"RecorderSpelling", document("PTZChannelCap", "<maxPresetNum>256</maxPresetNum>"),
     CapabilitiesAnswer::Read, only_presets(256)},
    {"SparseNothingReported", document("PTZChanelCap", "<XRange><Min>0</Min></XRange>"),
     CapabilitiesAnswer::Read, Caps()},
    {"RangeNotANumber",
     document("PTZChanelCap",
              "<AbsoluteZoomPositionSpace><ZRange><Min>10</Min><Max>x</Max>"
              "</ZRange></AbsoluteZoomPositionSpace>"),
     CapabilitiesAnswer::NotNumbers, only_presets(-1)},
    {"SpecialPresetNotANumber",
     document("PTZChanelCap", "<PresetNameCap><specialNo opt=\"33,3x\"/></PresetNameCap>"),
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
    Utils::XmlParser parser;
    ASSERT_TRUE(parser.parse(c.answer));
    Caps caps = only_presets(-1);
    EXPECT_EQ(Ptz::capabilities_from_answer(parser, caps), c.outcome);
    EXPECT_TRUE(caps == c.read);
}

INSTANTIATE_TEST_SUITE_P(Answers, CapabilitiesTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<CapsCase>& info) {
                             return info.param.name;
                         });

}  // namespace
