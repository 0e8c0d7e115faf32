// The shared library exports exactly the interface it promises.

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

namespace {

std::set<std::string> exported_symbols() {
    const std::string command = std::string("nm -D --defined-only -C '") + ZELKO_LIBRARY_PATH + "'";
    std::set<std::string> symbols;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return symbols;
    }
    char line[4096];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::string entry(line);
        entry.erase(entry.find_last_not_of('\n') + 1);
        // "<address> <type> <name>[@@version]"
        const auto name_at = entry.find(' ', entry.find(' ') + 1);
        if (name_at == std::string::npos) {
            continue;
        }
        std::string name = entry.substr(name_at + 1);
        name = name.substr(0, name.find("@@"));
        symbols.insert(name);
    }
    pclose(pipe);
    return symbols;
}

TEST(Exports, AreExactlyThePublicInterface) {
    const std::string s =
        "std::__cxx11::basic_string<char, std::char_traits<char>, "
        "std::allocator<char> >";
    const std::string map = "std::map<" + s + ", " + s + ", std::less<" + s +
                            " >, std::allocator<std::pair<" + s + " const, " + s + " > > >";
    const std::set<std::string> expected = {
        "ZELKO_PTZ_CAMERA_ISAPI_1.0",
        "Ptz::ZelkoPtzCameraIsapi::ZelkoPtzCameraIsapi(" + s + ", " + s + ")",
        "Ptz::ZelkoPtzCameraIsapi::~ZelkoPtzCameraIsapi()",
        "Ptz::ZelkoPtzCameraIsapi::get_info(" + s + ")",
        "Ptz::ZelkoPtzCameraIsapi::get_ptz_absoluteEx(Ptz::PtzAbsoluteEx&)",
        "Ptz::ZelkoPtzCameraIsapi::set_ptz_absoluteEx(Ptz::PtzAbsoluteEx)",
        "Ptz::ZelkoPtzCameraIsapi::reset_zoom()",
        "Ptz::ZelkoPtzCameraIsapi::reset_position()",
        "Ptz::ZelkoPtzCameraIsapi::set_ptz_aux(Ptz::PtzAux, Ptz::PtzStatus)",
        "Ptz::ZelkoPtzCameraIsapi::set_ptz_ctrl(Ptz::PtzCtrl)",
        "Utils::HttpClient::HttpClient()",
        "Utils::HttpClient::~HttpClient()",
        "Utils::HttpClient::get(" + s + " const&, " + s + " const&, " + s + "&)",
        "Utils::HttpClient::put(" + s + " const&, " + s + " const&, " + s + " const&, " + s + "&)",
        "Utils::HttpClient::post(" + s + " const&, " + s + " const&, " + s + " const&, " + s + "&)",
        "Utils::WriteCallback(void*, unsigned long, unsigned long, void*)",
        "Utils::XmlParser::parse(" + s + " const&)",
        "Utils::XmlParser::get_text(" + s + " const&, " + s + " const&)",
        "Utils::XmlParser::build_ptz_xml(" + s + ", " + map + ")",
    };
    EXPECT_EQ(exported_symbols(), expected);
}

}  // namespace
