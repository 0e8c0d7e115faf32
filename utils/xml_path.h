#pragma once

#include <map>
#include <string>
#include <vector>

#include <pugixml.hpp>

namespace Utils {

// Loads a camera's answer into `doc` as XmlParser::parse() does: up to its first zero byte;
// false for malformed text, an empty text or a text without a root element.
bool parse_answer(pugi::xml_document& doc, const std::string& answer);

// The entries of a list below the top-level element `parent_name`, as XmlParser::get_entries()
// reads them.
bool entries_of(pugi::xml_node doc, const char* parent_name, const char* entry_name,
                std::vector<std::map<std::string, std::string>>& entries);

// The element at `path` below `from`, element names joined by "/" ("PTZStatus/AbsoluteHigh/
// azimuth"), each step the first child element of that name; an empty node when a step is
// missing. Names are compared exactly, as they stand in the answer.
pugi::xml_node xml_at(pugi::xml_node from, const char* path);

}  // namespace Utils
