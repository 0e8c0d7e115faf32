// Any bytes as the console's documents: the patrol, pattern and park readers never crash, hang
// or leak; each either reads the answer or leaves the caller's value as it was; a patrol read
// has no empty slot among its steps; what the park reader read, written and read again, is the
// same numbers.
#include <string>
#include <vector>

#include "fuzz_target.h"
#include "ptz/tour_documents.h"
#include "utils/xml_body.h"
#include "utils/xml_path.h"

ZELKO_FUZZ_TARGET(tour_documents) {
    const std::string answer(reinterpret_cast<const char*>(data), size);
    pugi::xml_document parser;
    if (!Utils::parse_answer(parser, answer)) {
        return 0;
    }
    const Ptz::PtzPatrol kept_patrol{-1, "kept", true, {{-1, -1, -1}}};
    std::vector<Ptz::PtzPatrol> patrols{kept_patrol};
    if (Ptz::patrols_from_answer(parser, patrols) != nullptr) {
        ZELKO_FUZZ_CHECK(patrols.size() == 1 && patrols[0] == kept_patrol);
    } else {
        for (const Ptz::PtzPatrol& patrol : patrols) {
            for (const Ptz::PtzPatrolStep& step : patrol.steps) {
                ZELKO_FUZZ_CHECK(step.preset != 0);
            }
            ZELKO_FUZZ_CHECK(!Ptz::patrol_body(patrol).empty());
        }
    }
    const Ptz::PtzPattern kept_pattern{-1, true};
    std::vector<Ptz::PtzPattern> patterns{kept_pattern};
    if (Ptz::patterns_from_answer(parser, patterns) != nullptr) {
        ZELKO_FUZZ_CHECK(patterns.size() == 1 && patterns[0] == kept_pattern);
    }
    const Ptz::PtzParkAction kept_park{true, -1, "kept", -1};
    Ptz::PtzParkAction park = kept_park;
    if (Ptz::park_action_from_answer(parser, park) != nullptr) {
        ZELKO_FUZZ_CHECK(park == kept_park);
        return 0;
    }
    pugi::xml_document again;
    ZELKO_FUZZ_CHECK(Utils::parse_answer(again, Ptz::park_action_body(park)));
    Ptz::PtzParkAction read_again = kept_park;
    ZELKO_FUZZ_CHECK(Ptz::park_action_from_answer(again, read_again) == nullptr);
    ZELKO_FUZZ_CHECK(read_again.enabled == park.enabled && read_again.seconds == park.seconds &&
                     read_again.number == park.number);
    return 0;
}
