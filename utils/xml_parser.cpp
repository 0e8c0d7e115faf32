#include "xml_parser.h"

namespace Utils {

namespace {

// The namespace of the camera interface's own XML schema; every body carries it.
const char* const kSchemaNamespace = "http://www.isapi.org/ver20/XMLSchema";

// An element's name as the XML library writes it: up to its first zero byte, and a name
// left empty as ":anonymous".
const char* element_name(const std::string& name) {
    return name.c_str()[0] != '\0' ? name.c_str() : ":anonymous";
}

// A text as the XML library escapes it, up to its first zero byte: the markup characters as
// entities, control bytes other than tab, line feed and carriage return as two-digit character
// references, every other byte as it is.
void append_text(std::string& out, const char* text) {
    for (const char* p = text; *p != '\0'; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == '&') {
            out += "&amp;";
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            const char reference[] = {'&', '#', static_cast<char>('0' + c / 10),
                                      static_cast<char>('0' + c % 10), ';'};
            out.append(reference, sizeof reference);
        } else {
            out += static_cast<char>(c);
        }
    }
}

}  // namespace

bool XmlParser::parse(const std::string& response) {
    return static_cast<bool>(document.load_string(response.c_str(), pugi::parse_default));
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
    const pugi::xml_node parent = document.child(parent_name.c_str());
    if (!parent) {
        return false;
    }
    std::vector<std::map<std::string, std::string>> found;
    for (const pugi::xml_node entry : parent.children(entry_name.c_str())) {
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

// Written straight into one string, byte for byte as the XML library would save the same
// document with a tab's indent: building that document and saving it cost about as much as
// the rest of a command's work on the client.
std::string XmlParser::build_ptz_xml(std::string root_name,
                                     std::map<std::string, std::string> fields) {
    const char* const root = element_name(root_name);
    std::size_t size = 128 + 2 * root_name.size();
    for (const auto& field : fields) {
        size += 8 + 2 * field.first.size() + field.second.size();
    }
    std::string body;
    body.reserve(size);
    body += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<";
    body += root;
    body += " xmlns=\"";
    body += kSchemaNamespace;
    body += "\" version=\"2.0\"";
    if (fields.empty()) {
        body += " />\n";
        return body;
    }
    body += ">\n";
    for (const auto& field : fields) {
        const char* const name = element_name(field.first);
        body += "\t<";
        body += name;
        body += '>';
        append_text(body, field.second.c_str());
        body += "</";
        body += name;
        body += ">\n";
    }
    body += "</";
    body += root;
    body += ">\n";
    return body;
}

}  // namespace Utils
