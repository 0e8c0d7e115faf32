// Any bytes as a position answer: the conversion fills a record or throws one of the two
// documented exceptions, and nothing else.
#include <stdexcept>
#include <string>

#include "fuzz_target.h"
#include "ptz/position_text.h"
#include "utils/xml_parser.h"

ZELKO_FUZZ_TARGET(position_answer) {
    Utils::XmlParser parser;
    if (!parser.parse(std::string(reinterpret_cast<const char*>(data), size))) {
        return 0;
    }
    try {
        const Ptz::PtzAbsoluteEx p = Ptz::position_from_answer(parser);
        // What was read goes back out as a command body the camera can read.
        const auto fields = Ptz::position_fields(p);
        ZELKO_FUZZ_CHECK(fields.size() == 8);
        ZELKO_FUZZ_CHECK(fields.at("focus") == std::to_string(p.focus));
    } catch (const std::invalid_argument&) {
    } catch (const std::out_of_range&) {
    }
    return 0;
}
