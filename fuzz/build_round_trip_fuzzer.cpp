// build_ptz_xml() against the XML library's own output of the same document, and read back by the
// library's own reader: for valid XML names and texts without zero bytes, the same texts. Then a
// nested body, written in the order given, against the XML library's output of the same tree.
// An XML reader normalises line ends and drops texts of white space alone, so texts here hold no
// carriage return, and a white-space text reads back empty.
#include <map>
#include <string>

#include <pugixml.hpp>

#include "fuzz_target.h"
#include "utils/xml_body.h"
#include "utils/xml_parser.h"

namespace {

// Consumes the input a byte at a time; past its end every byte is zero.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t next() { return at_ < size_ ? data_[at_++] : 0; }
    bool done() const { return at_ >= size_; }

    std::string name() {
        static const char first[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_";
        static const char rest[] =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_0123456789.-";
        std::string n(1, first[next() % (sizeof first - 1)]);
        for (int length = next() % 12; length > 0; --length) {
            n += rest[next() % (sizeof rest - 1)];
        }
        return n;
    }

    // Up to the next 0xFF byte; zero bytes and carriage returns are left out.
    std::string text() {
        std::string t;
        while (!done()) {
            const std::uint8_t b = next();
            if (b == 0xFF) {
                break;
            }
            if (b != 0 && b != '\r') {
                t += static_cast<char>(b);
            }
        }
        return t;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// A document with the declaration and root of every body, for the XML library to save.
pugi::xml_node body_root(pugi::xml_document& doc, const std::string& root_name) {
    pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    pugi::xml_node root = doc.append_child(root_name.c_str());
    root.append_attribute("xmlns") = "http://www.isapi.org/ver20/XMLSchema";
    root.append_attribute("version") = "2.0";
    return root;
}

// The document as the XML library saves it, which a body must equal byte for byte.
std::string saved(const pugi::xml_document& doc) {
    struct Collect : pugi::xml_writer {
        std::string out;
        void write(const void* data, size_t size) override {
            out.append(static_cast<const char*>(data), size);
        }
    } collect;
    doc.save(collect, "\t", pugi::format_indent, pugi::encoding_auto);
    return collect.out;
}

// A nested body from the rest of the input, each step written and built alike.
void nested_body(Bytes& in) {
    const std::string root_name = in.name();
    Utils::XmlBody body(root_name.c_str());
    pugi::xml_document doc;
    pugi::xml_node at = body_root(doc, root_name);
    int depth = 1;
    while (!in.done()) {
        const std::uint8_t step = in.next() % 3;
        if (step == 0) {
            const std::string name = in.name();
            const std::string text = in.text();
            body.add(name.c_str(), text);
            at.append_child(name.c_str()).text().set(text.c_str());
        } else if (step == 1 && depth < 6) {
            const std::string name = in.name();
            body.open(name.c_str());
            at = at.append_child(name.c_str());
            ++depth;
        } else if (step == 2 && depth > 1) {
            body.close();
            at = at.parent();
            --depth;
        }
    }
    ZELKO_FUZZ_CHECK(body.finish() == saved(doc));
}

std::string as_read(const std::string& text) {
    return text.find_first_not_of(" \t\n") == std::string::npos ? std::string() : text;
}

}  // namespace

ZELKO_FUZZ_TARGET(build_round_trip) {
    Bytes in(data, size);
    const std::string root = in.name();
    std::map<std::string, std::string> fields;
    for (int entries = in.next() % 10; entries > 0 && !in.done(); --entries) {
        const std::string name = in.name();
        fields[name] = in.text();
    }
    const std::string body = Utils::XmlParser::build_ptz_xml(root, fields);
    pugi::xml_document doc;
    pugi::xml_node element = body_root(doc, root);
    for (const auto& field : fields) {
        element.append_child(field.first.c_str()).text().set(field.second.c_str());
    }
    ZELKO_FUZZ_CHECK(body == saved(doc));

    // The library's own reader sees the same texts.
    Utils::XmlParser parser;
    ZELKO_FUZZ_CHECK(parser.parse(body));
    for (const auto& field : fields) {
        ZELKO_FUZZ_CHECK(parser.get_text(root, field.first) == as_read(field.second));
    }
    nested_body(in);
    return 0;
}
