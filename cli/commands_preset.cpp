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

// Hands `then` what the camera says of its presets; nothing when it cannot tell, and a command
// then goes ahead as it would without.
template <typename Then>
void with_capabilities(Target& t, Then then) {
    t.quiet = true;
    t.operation = t.camera().get_capabilities_ex(
        t.engine(), t.guard([&t, then](int code, const Ptz::PtzCapabilitiesEx& caps) {
            t.quiet = false;
            then(code == 0 ? std::optional<Ptz::PtzCapabilitiesEx>(caps) : std::nullopt);
        }));
}

void add_list(CLI::App* preset, Context& context) {
    CLI::App* command = preset->add_subcommand("list", "print the presets");
    auto json = std::make_shared<bool>(false);
    command->add_flag("--json", *json, "one JSON array of objects");
    command->footer(
        "Presets whose numbers the camera declares its own functions are marked "
        "special.");
    command->callback([&context, json] {
        context.run([json](Target& t) {
            t.operation = t.camera().get_presets(
                t.engine(),
                t.guard([&t, json](int code, const std::vector<Ptz::PtzPreset>& presets) {
                    if (code != 0) {
                        t.end(t.failed("preset list", code));
                        return;
                    }
                    with_capabilities(t, [&t, json, presets](const auto& caps) {
                        const std::set<int> special =
                            caps ? std::set<int>(caps->special_presets.begin(),
                                                 caps->special_presets.end())
                                 : std::set<int>();
                        t.print(presets_text(presets, caps ? &special : nullptr, *json), *json);
                        t.end(0);
                    });
                }));
        });
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
        context.run([o, name](Target& t) {
            with_capabilities(t, [&t, o, name](const auto& caps) {
                const auto& special = caps ? caps->special_presets : std::vector<int>{};
                if (std::find(special.begin(), special.end(), o->id) != special.end()) {
                    t.say("preset set: " + std::to_string(o->id) +
                          " is a special preset of the camera, which runs one of its "
                          "functions; take another number");
                    t.end(kBadArguments);
                    return;
                }
                if (caps && caps->max_preset_name_length &&
                    name.size() > static_cast<std::size_t>(*caps->max_preset_name_length)) {
                    t.say("preset set: the name is " + std::to_string(name.size()) +
                          " bytes long; the camera takes at most " +
                          std::to_string(*caps->max_preset_name_length));
                    t.end(kBadArguments);
                    return;
                }
                t.operation =
                    t.camera().set_preset(t.engine(), o->id, name, t.guard([&t](int code) {
                        t.end(code == 0 ? 0 : t.failed("preset set", code));
                    }));
            });
        });
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
        run_on_every_camera(context, "preset goto", t->wait, Ptz::PtzPosition{},
                            [&](Target& target, auto done) {
                                return target.camera().goto_preset(target.engine(), t->id, done);
                            });
    });

    CLI::App* remove = preset->add_subcommand("remove", "forget preset N");
    auto id = std::make_shared<int>(0);
    remove->add_option("N", *id, "the preset's number, 1 or more")->required()->transform(kPreset);
    remove->callback([&context, id] {
        run_on_every_camera(
            context, "preset remove", Wait{}, Ptz::PtzPosition{},
            [&](Target& t, auto done) { return t.camera().remove_preset(t.engine(), *id, done); });
    });
}

}  // namespace ptzctl
