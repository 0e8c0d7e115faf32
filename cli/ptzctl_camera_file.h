#pragma once

#include <CLI/CLI.hpp>

#include <map>
#include <string>
#include <vector>

namespace ptzctl {

// A camera file: the connection options in CLI11's TOML form, each key and value checked before
// the command line's parser applies them, so that a mistake names the file and the key.
class CameraFile : public CLI::ConfigTOML {
public:
    // The keys it may hold, each with the check of its value.
    explicit CameraFile(std::map<std::string, CLI::Validator> keys) : keys_(std::move(keys)) {}

    // The file that `name` stands for: a path when it holds a "/", else NAME.toml in
    // $XDG_CONFIG_HOME/ptzctl (~/.config/ptzctl by default). It is the one read next.
    std::string resolve(const std::string& name);

    // Refuses an unknown key, a bad value, and a password in a file that others may read.
    std::vector<CLI::ConfigItem> from_config(std::istream& input) const override;

private:
    std::map<std::string, CLI::Validator> keys_;
    std::string path_;
};

}  // namespace ptzctl
