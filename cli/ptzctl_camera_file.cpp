#include "ptzctl_camera_file.h"

#include <sys/stat.h>

#include <cstdlib>

namespace ptzctl {

std::string CameraFile::resolve(const std::string& name) {
    if (name.find('/') != std::string::npos) {
        return path_ = name;
    }
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string dir = config != nullptr && *config != '\0'
                                ? std::string(config)
                                : std::string(home != nullptr ? home : "") + "/.config";
    return path_ = dir + "/ptzctl/" + name + ".toml";
}

std::vector<CLI::ConfigItem> CameraFile::from_config(std::istream& input) const {
    std::vector<CLI::ConfigItem> items = CLI::ConfigTOML::from_config(input);
    for (const CLI::ConfigItem& item : items) {
        const std::string key = item.fullname();
        const auto known = keys_.find(key);
        if (known == keys_.end()) {
            throw CLI::ConfigError(path_ + ": unknown key " + key);
        }
        std::string value = item.inputs.empty() ? "" : item.inputs.front();
        const std::string wrong = item.inputs.size() == 1 ? known->second(value) : "one value";
        if (!wrong.empty()) {
            throw CLI::ConfigError(path_ + ": " + key + ": " + wrong);
        }
        // As ssh does with keys: a password that others can read is as good as published.
        struct stat file {};
        if (key == "user" && value.find(':') != std::string::npos &&
            stat(path_.c_str(), &file) == 0 && (file.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
            throw CLI::ConfigError(path_ +
                                   ": holds a password and others than its owner may read it; "
                                   "chmod 600 it, or keep the password in PTZCTL_USER");
        }
    }
    return items;
}

}  // namespace ptzctl
