#pragma once

#include <CLI/CLI.hpp>

#include <map>
#include <string>
#include <vector>

namespace ptzctl {

// A camera file: the connection options as TOML keys with typed values, each checked before
// the command line's parser applies them, so that a mistake names the file, the line and the
// key.
class CameraFile : public CLI::ConfigTOML {
public:
    enum class Type { String, Integer, Boolean };
    struct Key {
        Type type;
        CLI::Validator check;  // of the value, as on the command line
    };

    explicit CameraFile(std::map<std::string, Key> keys) : keys_(std::move(keys)) {}

    // The file that `name` stands for: a path when it holds a "/" or ends in ".toml", else
    // NAME.toml in $XDG_CONFIG_HOME/ptzctl (~/.config/ptzctl by default). It is the one read
    // next.
    std::string resolve(const std::string& name);

    // Refuses a file larger than 64 KiB, a line that is not `key = value`, an unknown key, a key
    // given twice, a value not of its key's type (a string in quotes, a whole number,
    // true or false) or refused by its check, and a password in a file that others may read.
    std::vector<CLI::ConfigItem> from_config(std::istream& input) const override;

private:
    std::map<std::string, Key> keys_;
    std::string path_;
};

}  // namespace ptzctl
