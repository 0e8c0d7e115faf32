#include "xml_body.h"

namespace Utils {

namespace {

// The namespace of the camera interface's own XML schema; every body carries it.
const char* const kSchemaNamespace = "http://www.isapi.org/ver20/XMLSchema";

// An element's name as the XML library writes it: up to its first zero byte, and a name left
// empty as ":anonymous".
const char* element_name(const char* name) {
    return name[0] != '\0' ? name : ":anonymous";
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

XmlBody::XmlBody(const char* root, std::size_t reserve) {
    text_.reserve(reserve + 128);
    text_ += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    start_tag(root);
    text_ += " xmlns=\"";
    text_ += kSchemaNamespace;
    text_ += "\" version=\"2.0\"";
}

void XmlBody::start_tag(const char* name) {
    text_ += '<';
    name_at_[depth_] = text_.size();
    text_ += element_name(name);
    name_size_[depth_] = text_.size() - name_at_[depth_];
    ++depth_;
    start_tag_open_ = true;
}

void XmlBody::end_start_tag() {
    if (start_tag_open_) {
        text_ += ">\n";
        start_tag_open_ = false;
    }
}

void XmlBody::indent() {
    text_.append(static_cast<std::size_t>(depth_), '\t');
}

XmlBody& XmlBody::add(const char* name, const char* text) {
    end_start_tag();
    const char* const element = element_name(name);
    indent();
    text_ += '<';
    text_ += element;
    text_ += '>';
    append_text(text_, text);
    text_ += "</";
    text_ += element;
    text_ += ">\n";
    return *this;
}

XmlBody& XmlBody::open(const char* name) {
    if (depth_ == kMaxDepth) {
        return *this;  // deeper than any camera body; the writer's own callers never go there
    }
    end_start_tag();
    indent();
    start_tag(name);
    return *this;
}

XmlBody& XmlBody::close() {
    if (depth_ == 0) {
        return *this;
    }
    --depth_;
    if (start_tag_open_) {
        text_ += " />\n";
        start_tag_open_ = false;
        return *this;
    }
    indent();
    text_ += "</";
    text_.append(text_, name_at_[depth_], name_size_[depth_]);
    text_ += ">\n";
    return *this;
}

std::string XmlBody::finish() {
    while (depth_ > 0) {
        close();
    }
    return std::move(text_);
}

bool XmlBody::can_carry(const std::string& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            return false;
        }
    }
    return true;
}

}  // namespace Utils
