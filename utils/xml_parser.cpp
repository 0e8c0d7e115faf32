#include "xml_parser.h"

namespace Utils {

namespace {

// The namespace of the camera interface's own XML schema; every body carries it.
const char* const kSchemaNamespace = "http://www.isapi.org/ver20/XMLSchema";

// Collects the serialised body straight into a string: the same bytes as a string stream
// would hold, without a stream and its locale on every command.
class StringWriter : public pugi::xml_writer {
public:
    explicit StringWriter(std::string& out) : out_(out) {}
    void write(const void* data, size_t size) override {
        out_.append(static_cast<const char*>(data), size);
    }

private:
    std::string& out_;
};

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

std::string XmlParser::build_ptz_xml(std::string root_name,
                                     std::map<std::string, std::string> fields) {
    pugi::xml_document doc;
    pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";

    pugi::xml_node root = doc.append_child(root_name.c_str());
    root.append_attribute("xmlns") = kSchemaNamespace;
    root.append_attribute("version") = "2.0";
    for (const auto& field : fields) {
        root.append_child(field.first.c_str()).text().set(field.second.c_str());
    }

    std::string body;
    StringWriter writer(body);
    doc.save(writer, "\t", pugi::format_indent, pugi::encoding_auto);
    return body;
}

}  // namespace Utils
