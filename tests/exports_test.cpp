// The shared library exports exactly the interface it promises.

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

namespace {

TEST(Exports, AreExactlyThePublicInterface) {
    std::set<std::string> exported;
    FILE* nm =
        popen(("nm -D --defined-only -C '" + std::string(ZELKO_LIBRARY_PATH) + "'").c_str(), "r");
    ASSERT_NE(nm, nullptr);
    char line[4096];
    while (std::fgets(line, sizeof line, nm) != nullptr) {
        // "<address> <type> <name>[@@version]\n"
        const std::string entry(line);
        const auto name = entry.find(' ', entry.find(' ') + 1) + 1;
        exported.insert(entry.substr(name, entry.find_first_of("@\n", name) - name));
    }
    pclose(nm);
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
