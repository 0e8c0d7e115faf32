#include "xml_parser.h"

#include <cstring>

#include "xml_body.h"
#include "xml_path.h"

namespace Utils {

bool parse_answer(pugi::xml_document& doc, const std::string& answer) {
    return static_cast<bool>(doc.load_string(answer.c_str(), pugi::parse_default));
}

bool XmlParser::parse(const std::string& response) {
    return parse_answer(document, response);
}

std::string XmlParser::get_text(const std::string& parent_name, const std::string& child_name) {
    const pugi::xml_node node = document.child(parent_name.c_str()).child(child_name.c_str());
    if (!node) {
        return std::string();
    }
    return node.text().as_string("");
}

bool XmlParser::get_entries(const std::string& parent_name, const std::string& entry_name,
                            std::vector<std::map<std::string, std::string>>& entries) {
    return entries_of(document, parent_name.c_str(), entry_name.c_str(), entries);
}

bool entries_of(pugi::xml_node doc, const char* parent_name, const char* entry_name,
                std::vector<std::map<std::string, std::string>>& entries) {
    const pugi::xml_node parent = doc.child(parent_name);
    if (!parent) {
        return false;
    }
    std::vector<std::map<std::string, std::string>> found;
    for (const pugi::xml_node entry : parent.children(entry_name)) {
        std::map<std::string, std::string>& texts = found.emplace_back();
        for (const pugi::xml_node child : entry.children()) {
            if (child.type() == pugi::node_element) {
                texts.emplace(child.name(), child.text().as_string(""));
            }
        }
    }
    entries.swap(found);
    return true;
}

pugi::xml_node XmlParser::root() const {
    return document;
}

pugi::xml_node xml_at(pugi::xml_node from, const char* path) {
    const char* step = path;
    while (from && *step != '\0') {
        const char* const end = std::strchr(step, '/');
        const std::size_t length =
            end != nullptr ? static_cast<std::size_t>(end - step) : std::strlen(step);
        pugi::xml_node next;
        for (pugi::xml_node child = from.first_child(); child; child = child.next_sibling()) {
            if (child.type() == pugi::node_element &&
                std::strncmp(child.name(), step, length) == 0 && child.name()[length] == '\0') {
                next = child;
                break;
            }
        }
        from = next;
        step = end != nullptr ? end + 1 : step + length;
    }
    return from;
}

// Building that document and saving it cost about as much as the rest of a command's work on the
// client, so the body is written straight into one string.
std::string XmlParser::build_ptz_xml(std::string root_name,
                                     std::map<std::string, std::string> fields) {
    std::size_t size = 2 * root_name.size();
    for (const auto& field : fields) {
        size += 8 + 2 * field.first.size() + field.second.size();
    }
    XmlBody body(root_name.c_str(), size);
    for (const auto& field : fields) {
        body.add(field.first.c_str(), field.second.c_str());
    }
    return body.finish();
}

}  // namespace Utils
