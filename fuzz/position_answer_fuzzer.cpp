// Any bytes as a position answer: the conversion of seven values fills a record or throws one of
// the two documented exceptions, and nothing else; the readers of any camera's answer give the
// three axes and finite values of their kinds, or nothing.
#include <cmath>
#include <stdexcept>
#include <string>

#include "fuzz_target.h"
#include "ptz/position_fields.h"
#include "ptz/position_text.h"
#include "utils/xml_path.h"

namespace {

void check_read(Ptz::PositionAnswer answer, const Ptz::PtzPosition& p) {
    if (answer != Ptz::PositionAnswer::Read) {
        ZELKO_FUZZ_CHECK(p.present == 0);
        return;
    }
    ZELKO_FUZZ_CHECK(p.has(Ptz::PtzPosition::Axes) && (p.present & ~Ptz::PtzPosition::All) == 0);
    for (const Ptz::PositionField& field : Ptz::kPositionFields) {
        ZELKO_FUZZ_CHECK(!p.has(field.bit) || std::isfinite(Ptz::value_of(p, field)));
    }
    // What was read goes back out as a body the reader takes again, with the same values present.
    pugi::xml_document again;
    ZELKO_FUZZ_CHECK(Utils::parse_answer(again, Ptz::position_body(p)));
    Ptz::PtzPosition back{};
    ZELKO_FUZZ_CHECK(Ptz::position_from_absolute_ex(again, back) == Ptz::PositionAnswer::Read);
    ZELKO_FUZZ_CHECK(back.present == p.present);
}

}  // namespace

ZELKO_FUZZ_TARGET(position_answer) {
    pugi::xml_document parser;
    if (!Utils::parse_answer(parser, std::string(reinterpret_cast<const char*>(data), size))) {
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
    for (const auto reader : {Ptz::position_from_absolute_ex, Ptz::position_from_status}) {
        Ptz::PtzPosition p{};
        check_read(reader(parser, p), p);
    }
    return 0;
}
