#pragma once

#include <map>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "export.h"

namespace Utils {

/// Reads the camera's XML answers and builds the XML bodies of its commands.
///
/// One parser holds one document, which every parse() replaces. Not copyable, since the
/// document is not.
class ZELKO_PTZ_API XmlParser {
public:
    /// Loads `response` (UTF-8, up to its first zero byte) into the document. Returns false for
    /// malformed text, an empty text or a text without a root element.
    bool parse(const std::string& response);

    /// Text of the element `child_name` directly below the top-level element `parent_name`,
    /// exactly as parsed (entities expanded, white space kept); empty when either element is
    /// missing or the child holds no text.
    std::string get_text(const std::string& parent_name, const std::string& child_name);

    /// The entries of a list: for every element `entry_name` directly below the top-level
    /// element `parent_name`, in document order, the texts of its child elements by name (the
    /// first of a name counts), replacing what `entries` held. Returns false, with `entries`
    /// untouched, when there is no such top-level element.
    bool get_entries(const std::string& parent_name, const std::string& entry_name,
                     std::vector<std::map<std::string, std::string>>& entries);

    /// The body of a camera command: an XML declaration, the root element `root_name` with the
    /// camera interface's namespace and version 2.0, and one child per entry of `fields`, in
    /// ascending byte order of the names, indented by one tab; ends with a line feed. Names and
    /// texts end at their first zero byte and are not checked.
    static std::string build_ptz_xml(std::string root_name,
                                     std::map<std::string, std::string> fields);

    /// The document, for the library's own readers (utils/xml_path.h).
    ZELKO_PTZ_LOCAL pugi::xml_node root() const;

private:
    pugi::xml_document document;
};

}  // namespace Utils
