#pragma once

#include <cstddef>
#include <string>

namespace Utils {

// The body of a camera command, written straight into one string, byte for byte as the XML
// library saves the same document with a tab's indent: the declaration, the root with the
// camera interface's namespace and version 2.0, then the elements in the order they are added,
// nested as they are opened. Texts are escaped as the XML library escapes them; a name or a text
// ends at its first zero byte, and an empty name is written as the XML library writes it.
class XmlBody {
public:
    // `reserve`: about the bytes the body will take, so that it grows once.
    explicit XmlBody(const char* root, std::size_t reserve = 256);

    // An element holding `text`.
    XmlBody& add(const char* name, const char* text);
    XmlBody& add(const char* name, const std::string& text) { return add(name, text.c_str()); }
    // An element holding the elements added until close().
    XmlBody& open(const char* name);
    XmlBody& close();

    // Whether XML 1.0 can carry `text`: no control character but tab, line feed and carriage
    // return.
    static bool can_carry(const std::string& text);

    // Closes what is still open, the root included, and hands over the text.
    std::string finish();

private:
    static const int kMaxDepth = 8;

    void end_start_tag();
    void indent();
    void start_tag(const char* name);

    std::string text_;
    // Where the name of each open element, the root first, stands in text_ and how long it is:
    // a closing tag copies it from there, so a caller's name need not outlive the call.
    std::size_t name_at_[kMaxDepth];
    std::size_t name_size_[kMaxDepth];
    int depth_ = 0;
    bool start_tag_open_ = false;  // the innermost start tag awaits its ">" or " />"
};

}  // namespace Utils
