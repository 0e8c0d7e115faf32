// The shared library exports exactly the interface it promises.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

namespace {

TEST(Exports, AreExactlyThePublicInterface) {
    std::set<std::string> exported;
    const std::string nm = "nm -D --defined-only -C -j --without-symbol-versions ";
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
    EXPECT_EQ(exported,
              (std::set<std::string>{
                  "ZELKO_PTZ_CAMERA_ISAPI_1.0",
                  camera + "ZelkoPtzCameraIsapi(" + s + ", " + s + ")",
                  camera + "~ZelkoPtzCameraIsapi()",
                  camera + "get_info(" + s + ")",
                  camera + "get_ptz_absoluteEx(Ptz::PtzAbsoluteEx&)",
                  camera + "set_ptz_absoluteEx(Ptz::PtzAbsoluteEx)",
                  camera + "reset_zoom()",
                  camera + "reset_position()",
                  camera + "set_ptz_aux(Ptz::PtzAux, Ptz::PtzStatus)",
                  camera + "set_ptz_ctrl(Ptz::PtzCtrl)",
                  client + "HttpClient()",
                  client + "~HttpClient()",
                  client + "get(" + s + " const&, " + s + " const&, " + s + "&)",
                  client + "put(" + s + " const&, " + s + " const&, " + s + " const&, " + s + "&)",
                  client + "post(" + s + " const&, " + s + " const&, " + s + " const&, " + s + "&)",
                  "Utils::WriteCallback(void*, unsigned long, unsigned long, void*)",
                  "Utils::XmlParser::parse(" + s + " const&)",
                  "Utils::XmlParser::get_text(" + s + " const&, " + s + " const&)",
                  "Utils::XmlParser::build_ptz_xml(" + s + ", " + map + ")",
              }));
}

}  // namespace
