// The shared library exports exactly the interface it promises, each symbol in the version node
// of the release that added it.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

namespace {

TEST(Exports, AreExactlyThePublicInterfaceInTheirReleases) {
    std::set<std::string> exported;
    const std::string nm = "nm -D --defined-only -C -j ";
    FILE* names = popen((nm + "'" + ZELKO_LIBRARY_PATH + "'").c_str(), "r");
    ASSERT_NE(names, nullptr);
    for (char line[4096]; std::fgets(line, sizeof line, names) != nullptr;) {
        exported.insert(std::string(line, std::strcspn(line, "\n")));
    }
    pclose(names);
    const std::string s =
        "std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >";
    const std::string map = "std::map<" + s + ", " + s + ", std::less<" + s +
                            " >, std::allocator<std::pair<" + s + " const, " + s + " > > >";
    const std::string camera = "Ptz::ZelkoPtzCameraIsapi::", client = "Utils::HttpClient::";
    const std::string v10 = "@@ZELKO_PTZ_CAMERA_ISAPI_1.0", v11 = "@@ZELKO_PTZ_CAMERA_ISAPI_1.1",
                      v12 = "@@ZELKO_PTZ_CAMERA_ISAPI_1.2";
    std::set<std::string> expected{
        "ZELKO_PTZ_CAMERA_ISAPI_1.0",
        "ZELKO_PTZ_CAMERA_ISAPI_1.1",
        "ZELKO_PTZ_CAMERA_ISAPI_1.2",
        camera + "ZelkoPtzCameraIsapi(" + s + ", " + s + ")" + v10,
        camera + "~ZelkoPtzCameraIsapi()" + v10,
        camera + "get_info(" + s + ")" + v10,
        camera + "get_ptz_absoluteEx(Ptz::PtzAbsoluteEx&)" + v10,
        camera + "set_ptz_absoluteEx(Ptz::PtzAbsoluteEx)" + v10,
        camera + "reset_zoom()" + v10,
        camera + "reset_position()" + v10,
        camera + "set_ptz_aux(Ptz::PtzAux, Ptz::PtzStatus)" + v10,
        camera + "set_ptz_ctrl(Ptz::PtzCtrl)" + v10,
        client + "HttpClient()" + v10,
        client + "~HttpClient()" + v10,
        client + "get(" + s + " const&, " + s + " const&, " + s + "&)" + v10,
        client + "put(" + s + " const&, " + s + " const&, " + s + " const&, " + s + "&)" + v10,
        client + "post(" + s + " const&, " + s + " const&, " + s + " const&, " + s + "&)" + v10,
        "Utils::WriteCallback(void*, unsigned long, unsigned long, void*)" + v10,
        "Utils::XmlParser::parse(" + s + " const&)" + v10,
        "Utils::XmlParser::get_text(" + s + " const&, " + s + " const&)" + v10,
        "Utils::XmlParser::build_ptz_xml(" + s + ", " + map + ")" + v10,
        camera + "ZelkoPtzCameraIsapi(" + s + ", " + s + ", Ptz::CameraOptions)" + v11,
        camera + "get_info(" + s + ", " + s + "&)" + v11,
        camera + "goto_preset(int)" + v11,
        camera + "set_preset(int, " + s + ")" + v11,
        camera + "remove_preset(int)" + v11,
        camera + "get_presets(std::vector<Ptz::PtzPreset, std::allocator<Ptz::PtzPreset> >&)" + v11,
        client + "del(" + s + " const&, " + s + " const&, " + s + "&)" + v11,
        "Utils::XmlParser::get_entries(" + s + " const&, " + s + " const&, std::vector<" + map +
            ", std::allocator<" + map + " > >&)" + v11,
        camera + "get_position(Ptz::PtzPosition&)" + v12,
        camera + "set_position(Ptz::PtzPosition const&)" + v12,
        camera + "move_for(Ptz::PtzCtrl, int)" + v12,
        camera + "move_by(float, float, float)" + v12,
        camera + "center_on(float, float)" + v12,
        camera + "zoom_to_area(float, float, float, float)" + v12,
        camera +
            "wait_for_stop(Ptz::PtzPosition&, double, bool (*)(void*, Ptz::PtzPosition const&), "
            "void*)" +
            v12,
        camera + "get_capabilities(Ptz::PtzCapabilities&)" + v12,
        camera + "failure_reason[abi:cxx11]() const" + v12,
        camera + "set_refusal_hold(double)" + v12,
        "Ptz::options_error[abi:cxx11](Ptz::CameraOptions const&)" + v12,
        "Ptz::result_text(int)" + v12,
        "Ptz::version()" + v12,
    };
    for (const char* c :
         {"options_init", "camera_new", "camera_free", "get_info", "get_ptz_absoluteEx",
          "set_ptz_absoluteEx", "reset_zoom", "reset_position", "set_ptz_aux", "set_ptz_ctrl",
          "goto_preset", "set_preset", "remove_preset", "get_presets", "version", "result_text"}) {
        expected.insert(std::string("zelko_ptz_") + c + v11);
    }
    for (const char* c : {"get_position", "set_position", "move_for", "move_by", "center_on",
                          "zoom_to_area", "wait_for_stop", "get_capabilities", "failure_reason"}) {
        expected.insert(std::string("zelko_ptz_") + c + v12);
    }
    EXPECT_EQ(exported, expected);
}

}  // namespace
