// Any bytes as a camera answer: parse() and get_text() never crash, hang or leak.
#include <string>

#include "fuzz_target.h"
#include "utils/xml_parser.h"

ZELKO_FUZZ_TARGET(xml_parse) {
    const std::string answer(reinterpret_cast<const char*>(data), size);
    Utils::XmlParser parser;
    if (!parser.parse(answer)) {
        // A failed parse leaves nothing the callers read.
        return 0;
    }
    parser.get_text("ResponseStatus", "statusString");
    parser.get_text("PTZAbsoluteEx", "elevation");
    // Names taken from the answer itself reach elements the fixed ones miss.
    const std::string head = answer.substr(0, 64);
    const std::size_t open = head.find('<');
    const std::size_t close = head.find_first_of(" />", open + 1);
    if (open != std::string::npos && close != std::string::npos) {
        const std::string root = head.substr(open + 1, close - open - 1);
        parser.get_text(root, root);
        parser.get_text(root, "a");
    }
    // A second answer replaces the first.
    ZELKO_FUZZ_CHECK(parser.parse("<a><b>x</b></a>"));
    ZELKO_FUZZ_CHECK(parser.get_text("a", "b") == "x");
    return 0;
}
