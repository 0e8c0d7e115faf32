#pragma once

#include <string>

#include <pugixml.hpp>

namespace Ptz {

// Why a parsed answer fails a method, in a few words for a person: "camera refused: " and the
// "statusString" of a "ResponseStatus" with its "subStatusCode" in brackets, or of a
// "userCheck" with the time an account stays locked; otherwise `otherwise`. The camera's texts
// in it are shown as error lines show an answer.
std::string answer_reason(pugi::xml_node answer, const char* otherwise);

}  // namespace Ptz
