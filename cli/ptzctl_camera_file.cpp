#include "ptzctl_camera_file.h"

#include <sys/stat.h>

#include <cstdlib>
#include <set>
#include <sstream>

namespace ptzctl {

namespace {

// A camera file is a few short lines. A path that names something else (a device such as
// /dev/zero, a log) is refused after this much rather than read for ever.
const std::size_t kMostBytes = 64 * 1024;

std::string trimmed(const std::string& text) {
    const std::size_t begin = text.find_first_not_of(" \t\r");
    return begin == std::string::npos
               ? ""
               : text.substr(begin, text.find_last_not_of(" \t\r") + 1 - begin);
}

// Appends the character of TOML's escape at text[at], after its backslash, and returns how many
// bytes it took; 0 when it is none, the backslash then standing for itself, as it always did
// here: a password such as "pa\ss" keeps working.
std::size_t unescaped(const std::string& text, std::size_t at, std::string& value) {
    static const std::string kLetters = "\"\\btnfr", kMeant = "\"\\\b\t\n\f\r";
    const std::size_t letter = kLetters.find(text[at]);
    if (letter != std::string::npos) {
        value += kMeant[letter];
        return 1;
    }
    const std::size_t digits = text[at] == 'u' ? 4 : text[at] == 'U' ? 8 : 0;
    const std::string hex = text.substr(at + 1, digits);
    if (digits == 0 || hex.size() != digits ||
        hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        return 0;
    }
    const unsigned long code = std::stoul(hex, nullptr, 16);
    if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
        return 0;
    }
    // UTF-8: one byte below 0x80, else a lead byte and 6 bits in each byte after it.
    const int more = code < 0x80 ? 0 : code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
    static const unsigned char kLead[] = {0x00, 0xC0, 0xE0, 0xF0};
    value += static_cast<char>(kLead[more] | (code >> (6 * more)));
    for (int i = more - 1; i >= 0; --i) {
        value += static_cast<char>(0x80 | ((code >> (6 * i)) & 0x3F));
    }
    return 1 + digits;
}

// The value of a TOML string, a whole number or a boolean, as the key's type wants it; false
// when the text is not one. A string is in double quotes, with TOML's escapes, or in single
// quotes, as it stands. A comment may follow the value.
bool typed_value(CameraFile::Type type, std::string text, std::string& value) {
    if (type == CameraFile::Type::String) {
        if (text.empty() || (text[0] != '"' && text[0] != '\'')) {
            return false;
        }
        const char quote = text[0];
        value.clear();
        std::size_t at = 1;
        for (; at < text.size() && text[at] != quote; ++at) {
            const std::size_t taken = quote == '"' && text[at] == '\\' && at + 1 < text.size()
                                          ? unescaped(text, at + 1, value)
                                          : 0;
            if (taken > 0) {
                at += taken;
            } else {
                value += text[at];
            }
        }
        const std::string rest = at < text.size() ? trimmed(text.substr(at + 1)) : "x";
        return rest.empty() || rest[0] == '#';
    }
    text = trimmed(text.substr(0, text.find('#')));
    if (text.empty()) {
        return false;
    }
    if (type == CameraFile::Type::Boolean) {
        value = text;
        return text == "true" || text == "false";
    }
    const std::size_t digits = text[0] == '+' || text[0] == '-' ? 1 : 0;
    value = text;
    return text.size() > digits &&
           text.find_first_not_of("0123456789", digits) == std::string::npos;
}

const char* type_name(CameraFile::Type type) {
    switch (type) {
        case CameraFile::Type::String:
            return "takes a string in quotes";
        case CameraFile::Type::Integer:
            return "takes a whole number";
        case CameraFile::Type::Boolean:
            break;
    }
    return "takes true or false";
}

}  // namespace

std::string CameraFile::resolve(const std::string& name) {
    const std::string suffix = ".toml";
    if (name.find('/') != std::string::npos ||
        (name.size() > suffix.size() &&
         name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)) {
        return path_ = name;
    }
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string dir = config != nullptr && *config != '\0'
                                ? std::string(config)
                                : std::string(home != nullptr ? home : "") + "/.config";
    return path_ = dir + "/ptzctl/" + name + suffix;
}

std::vector<CLI::ConfigItem> CameraFile::from_config(std::istream& input) const {
    std::string all(kMostBytes + 1, '\0');
    input.read(&all[0], static_cast<std::streamsize>(all.size()));
    all.resize(static_cast<std::size_t>(input.gcount()));
    if (input.bad()) {
        throw CLI::ConfigError(path_ + " was not readable (a directory?)");
    }
    if (all.size() > kMostBytes) {
        throw CLI::ConfigError(path_ + ": larger than 64 KiB: not a camera file");
    }
    // A byte-order mark, which some Windows editors write first, is no part of the first key.
    if (all.compare(0, 3, "\xef\xbb\xbf") == 0) {
        all.erase(0, 3);
    }
    std::istringstream lines(all);
    std::vector<CLI::ConfigItem> items;
    std::set<std::string> given;
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        const std::string text = trimmed(line);
        if (text.empty() || text[0] == '#') {
            continue;
        }
        const std::string where = path_ + ":" + std::to_string(number) + ": ";
        const std::size_t equals = text.find('=');
        const std::string key = trimmed(text.substr(0, equals));
        if (equals == std::string::npos || key.empty()) {
            throw CLI::ConfigError(where + "not key = value");
        }
        const auto known = keys_.find(key);
        if (known == keys_.end()) {
            throw CLI::ConfigError(where + "unknown key " + key);
        }
        if (!given.insert(key).second) {
            throw CLI::ConfigError(where + key + " given twice");
        }
        std::string value;
        if (!typed_value(known->second.type, trimmed(text.substr(equals + 1)), value)) {
            throw CLI::ConfigError(where + key + ": " + type_name(known->second.type));
        }
        const std::string wrong = known->second.check(value);
        if (!wrong.empty()) {
            throw CLI::ConfigError(where + key + ": " + wrong);
        }
        // As ssh does with keys: a password that others can read is as good as published.
        struct stat file {};
        if (key == "user" && value.find(':') != std::string::npos &&
            stat(path_.c_str(), &file) == 0 && (file.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
            throw CLI::ConfigError(path_ +
                                   ": holds a password and others than its owner may read it; "
                                   "chmod 600 it, or keep the password in PTZCTL_USER");
        }
        CLI::ConfigItem item;
        item.name = key;
        item.inputs = {value};
        items.push_back(item);
    }
    return items;
}

}  // namespace ptzctl
