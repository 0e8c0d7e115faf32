#include "position_text.h"

#include <locale.h>
#include <stdlib.h>

#include <cerrno>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "../utils/xml_body.h"
#include "../utils/xml_path.h"
#include "position_fields.h"

namespace Ptz {

namespace {

std::string value_text(const PtzPosition& p, const PositionField& field) {
    return field.real != nullptr ? float_text(p.*field.real) : int_text(p.*field.whole);
}

// std::stof as the C locale reads: the decimal point is the camera's, whatever the host's locale
// (a desktop program takes its user's, where "10.5" would read as 10). Its exceptions are
// std::stof's, for the callers that tell them apart.
float c_locale_stof(const std::string& text) {
    static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", nullptr);
    const int saved = errno;
    errno = 0;
    char* end = nullptr;
    const float value = strtof_l(text.c_str(), &end, c_locale);
    const bool out_of_range = errno == ERANGE;
    errno = saved;
    if (end == text.c_str()) {
        throw std::invalid_argument("stof");
    }
    if (out_of_range) {
        throw std::out_of_range("stof");
    }
    return value;
}

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The text without the white space around it.
void trim(const char*& begin, const char*& end) {
    while (begin != end && is_space(*begin)) {
        ++begin;
    }
    while (end != begin && is_space(end[-1])) {
        --end;
    }
}

// The whole text, white space around it aside, as one number. from_chars reads no sign of "+",
// no hexadecimal without being asked, and no locale.
template <typename Number>
bool read_all(const char* text, Number& value) {
    const char* begin = text;
    const char* end = text + std::strlen(text);
    trim(begin, end);
    const auto read = std::from_chars(begin, end, value);
    return begin != end && read.ec == std::errc() && read.ptr == end;
}

// The values of `fields` below `from`, each divided by `scale`, into `position`.
PositionAnswer read_values(pugi::xml_node from, std::uint32_t fields, double scale,
                           PtzPosition& position) {
    if (!from) {
        return PositionAnswer::NotOne;
    }
    PtzPosition read{};
    for (const PositionField& field : kPositionFields) {
        if ((field.bit & fields) == 0) {
            continue;
        }
        const char* begin = from.child(field.element).text().get();
        const char* end = begin + std::strlen(begin);
        trim(begin, end);
        if (begin == end) {
            continue;  // not reported
        }
        double value = 0;
        if (!read_number(begin, value) ||
            (field.whole != nullptr &&
             (value != std::trunc(value) || value < INT32_MIN || value > INT32_MAX)) ||
            std::fabs(value / scale) > FLT_MAX) {
            return PositionAnswer::NotNumbers;
        }
        set_value(read, field, value / scale);
    }
    if (!read.has(PtzPosition::Axes)) {
        return PositionAnswer::NotOne;
    }
    position = read;
    return PositionAnswer::Read;
}

}  // namespace

PtzAbsoluteEx position_from_answer(pugi::xml_node answer) {
    // Every text is read before the first conversion, and the record is assembled aside, so a
    // throwing conversion leaves the caller's record as it was.
    std::string texts[std::size(kPositionFields)];
    for (std::size_t i = 0; i < std::size(kPositionFields); ++i) {
        texts[i] =
            answer.child("PTZAbsoluteEx").child(kPositionFields[i].element).text().as_string("");
    }
    PtzPosition position{};
    for (std::size_t i = 0; i < std::size(kPositionFields); ++i) {
        const PositionField& field = kPositionFields[i];
        if (field.real != nullptr) {
            position.*field.real = c_locale_stof(texts[i]);
        } else {
            position.*field.whole = std::stoi(texts[i], nullptr, 10);
        }
    }
    position.present = PtzPosition::All;
    return to_absolute_ex(position);
}

std::string float_text(float value) {
    if (!std::isfinite(value)) {
        return std::to_string(value);
    }
    // The longest, -FLT_MAX, has 39 digits before the point.
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, static_cast<double>(value),
                                   std::chars_format::fixed, 6)
                         .ptr;
    return std::string(text, end);
}

std::string int_text(int value) {
    char text[16];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

std::map<std::string, std::string> position_fields(const PtzAbsoluteEx& record) {
    const PtzPosition position = to_position(record);
    std::map<std::string, std::string> fields;
    for (const PositionField& field : kPositionFields) {
        fields[field.element] = value_text(position, field);
    }
    fields["zoomType"] = "absoluteZoom";
    return fields;
}

bool read_number(const char* text, double& value) {
    return read_all(text, value) && std::isfinite(value);
}

bool read_whole(const char* text, int& value) {
    return read_all(text, value);
}

PositionAnswer position_from_absolute_ex(pugi::xml_node answer, PtzPosition& position) {
    return read_values(Utils::xml_at(answer, "PTZAbsoluteEx"), PtzPosition::All, 1.0, position);
}

PositionAnswer position_from_status(pugi::xml_node answer, PtzPosition& position) {
    return read_values(Utils::xml_at(answer, "PTZStatus/AbsoluteHigh"), PtzPosition::Axes, 10.0,
                       position);
}

std::string position_body(const PtzPosition& position) {
    Utils::XmlBody body("PTZAbsoluteEx");
    for (const PositionField& field : kPositionFields) {
        if (position.has(field.bit)) {
            body.add(field.element, value_text(position, field));
        }
    }
    return body.finish();
}

}  // namespace Ptz
