// preset list, set, goto and remove.

#include <algorithm>
#include <memory>
#include <optional>
#include <set>

#include "ptz/position_fields.h"
#include "ptzctl_args.h"
#include "ptzctl_commands.h"
#include "ptzctl_output.h"
#include "ptzctl_poll.h"

namespace ptzctl {

namespace {

// What the camera says of its presets; empty when it cannot tell, and a command then goes ahead
// as it would without.
std::optional<Ptz::PtzCapabilities> capabilities(Context& context) {
    Ptz::PtzCapabilities caps;
    context.quiet = true;
    const int code = context.camera().get_capabilities(caps);
    context.quiet = false;
    return code == 0 ? std::optional<Ptz::PtzCapabilities>(caps) : std::nullopt;
}

void add_list(CLI::App* preset, Context& context) {
    CLI::App* command = preset->add_subcommand("list", "print the presets");
    auto json = std::make_shared<bool>(false);
    command->add_flag("--json", *json, "one JSON array of objects");
    command->footer(
        "Presets whose numbers the camera declares its own functions are marked "
        "special.");
    command->callback([&context, json] {
        std::vector<Ptz::PtzPreset> presets;
        const int code = context.camera().get_presets(presets);
        if (code != 0) {
            context.status = context.failed("preset list", code);
            return;
        }
        const auto caps = capabilities(context);
        const std::set<int> special =
            caps ? std::set<int>(caps->special_presets.begin(), caps->special_presets.end())
                 : std::set<int>();
        print_presets(presets, caps ? &special : nullptr, *json);
    });
}

void add_set(CLI::App* preset, Context& context) {
    CLI::App* command = preset->add_subcommand("set", "save the position as N");
    struct Options {
        int id = 0;
        std::optional<std::string> name;
    };
    auto o = std::make_shared<Options>();
    command->add_option("N", o->id, "the preset's number, 1 or more")
        ->required()
        ->transform(kPreset);
    command->add_option("NAME", o->name, "default \"Preset N\"");
    command->footer(
        "A number the camera keeps for its own functions, or a name longer than it "
        "takes,\nis refused (64) when the camera says so in its capabilities.");
    command->callback([&context, o] {
        const std::string name = o->name.value_or("Preset " + std::to_string(o->id));
        if (const auto caps = capabilities(context)) {
            const auto& special = caps->special_presets;
            if (std::find(special.begin(), special.end(), o->id) != special.end()) {
                Context::say("preset set: " + std::to_string(o->id) +
                             " is a special preset of the camera, which runs one of its "
                             "functions; take another number");
                context.status = kBadArguments;
                return;
            }
            if (caps->max_preset_name_length &&
                name.size() > static_cast<std::size_t>(*caps->max_preset_name_length)) {
                Context::say("preset set: the name is " + std::to_string(name.size()) +
                             " bytes long; the camera takes at most " +
                             std::to_string(*caps->max_preset_name_length));
                context.status = kBadArguments;
                return;
            }
        }
        const int code = context.camera().set_preset(o->id, name);
        context.status = code == 0 ? 0 : context.failed("preset set", code);
    });
}

}  // namespace

void add_preset_commands(CLI::App& app, Context& context) {
    CLI::App* preset = app.add_subcommand("preset", "the camera's presets");
    preset->require_subcommand(1);
    add_list(preset, context);
    add_set(preset, context);

    CLI::App* travel = preset->add_subcommand("goto", "move to preset N");
    struct Travel {
        int id = 0;
        Wait wait;
    };
    auto t = std::make_shared<Travel>();
    travel->add_option("N", t->id, "the preset's number, 1 or more")
        ->required()
        ->transform(kPreset);
    wait_options(travel, t->wait);
    travel->callback([&context, t] {
        const int code = context.camera().goto_preset(t->id);
        context.status = code != 0      ? context.failed("preset goto", code)
                         : t->wait.wait ? wait_for_move(context, "preset goto", Ptz::PtzPosition{},
                                                        t->wait.timeout_seconds)
                                        : 0;
    });

    CLI::App* remove = preset->add_subcommand("remove", "forget preset N");
    auto id = std::make_shared<int>(0);
    remove->add_option("N", *id, "the preset's number, 1 or more")->required()->transform(kPreset);
    remove->callback([&context, id] {
        const int code = context.camera().remove_preset(*id);
        context.status = code == 0 ? 0 : context.failed("preset remove", code);
    });
}

}  // namespace ptzctl
