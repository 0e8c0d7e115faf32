// The rest of the operator's console: focus and iris, patrols, patterns and the park action.

#include <memory>
#include <string>
#include <vector>

#include "ptzctl_args.h"
#include "ptzctl_commands.h"
#include "ptzctl_output.h"

namespace ptzctl {

namespace {

// One action of a lens: its word on the command line and the sign of its speed (0: stop).
struct LensAction {
    const char* word;
    const char* help;
    int sign;
};

// A lens' commands: `focus near`, `iris open`, ... Each drives the lens until told to stop, or
// for --for SECONDS and then stops it, also when ptzctl is interrupted.
void add_lens(CLI::App& app, Context& context, const char* name, const char* help,
              std::vector<LensAction> actions,
              Ptz::Operation (Ptz::ZelkoPtzCameraIsapi::*drive)(Ptz::Engine&, int, Ptz::Callback)) {
    CLI::App* lens = app.add_subcommand(name, help);
    lens->require_subcommand(1);
    for (const LensAction& action : actions) {
        CLI::App* command = lens->add_subcommand(action.word, action.help);
        struct Options {
            int speed = 50;
            double seconds = 0;
        };
        auto o = std::make_shared<Options>();
        const std::string what = std::string(name) + " " + action.word;
        if (action.sign != 0) {
            command->add_option("--speed", o->speed, "1 to 100, a share of the lens' top speed")
                ->default_val(50)
                ->transform(kLensSpeed);
            command->add_option("--for", o->seconds, "then stop, 0 to 3600 s; Ctrl-C stops too")
                ->type_name("SECONDS")
                ->transform(kSeconds);
            command->footer("Without --for the lens goes on until `ptzctl " + std::string(name) +
                            " stop`, or until its end.");
        }
        const int sign = action.sign;
        command->callback([&context, o, sign, what, drive] {
            context.run([&context, o, sign, what, drive](Target& t) {
                auto& camera = t.camera();
                const auto stop = [&camera, drive](Ptz::Engine& e, Ptz::Callback done) {
                    return (camera.*drive)(e, 0, std::move(done));
                };
                const auto ended =
                    t.guard([&t, what](int code) { t.end(code == 0 ? 0 : t.failed(what, code)); });
                if (o->seconds <= 0) {
                    t.operation = (camera.*drive)(t.engine(), sign * o->speed, ended);
                    return;
                }
                t.moving = true;
                t.stop = stop;
                t.operation = (camera.*drive)(
                    t.engine(), sign * o->speed,
                    t.guard([&context, &t, o, what, stop, ended](int code) {
                        if (code != 0) {
                            t.end(t.failed(what, code));
                            return;
                        }
                        context.after(o->seconds,
                                      [&t, stop, ended] { t.operation = stop(t.engine(), ended); });
                    }));
            });
        });
    }
}

// `<kind> <word> N`: one command on a patrol's or a pattern's number.
void add_numbered(CLI::App* parent, Context& context, const char* kind, const char* word,
                  const char* help,
                  Ptz::Operation (Ptz::ZelkoPtzCameraIsapi::*command)(Ptz::Engine&, int,
                                                                      Ptz::Callback)) {
    CLI::App* sub = parent->add_subcommand(word, help);
    auto id = std::make_shared<int>(0);
    sub->add_option("N", *id, std::string("the ") + kind + "'s number, 1 or more")
        ->required()
        ->transform(kTour);
    const std::string what = std::string(kind) + " " + word;
    sub->callback([&context, id, what, command] {
        run_on_every_camera(context, what, Wait{}, Ptz::PtzPosition{},
                            [&](Target& t, Ptz::Callback done) {
                                return (t.camera().*command)(t.engine(), *id, std::move(done));
                            });
    });
}

// Reads the capabilities, then submits `send`: the library then holds the command's values to
// what the camera said (special presets, counts, the park time's range and kinds). A camera
// that cannot tell gets the command as it would without.
template <typename Send>
Ptz::Operation after_capabilities(Target& t, Send send) {
    t.quiet = true;
    return t.camera().get_capabilities_ex(t.engine(),
                                          t.guard([&t, send](int, const Ptz::PtzCapabilitiesEx&) {
                                              t.quiet = false;
                                              t.operation = send();
                                          }));
}

// A patrol's step on the command line: PRESET[:SPEED[:DWELL]].
Ptz::PtzPatrolStep step_of(const std::string& text) {
    Ptz::PtzPatrolStep step{0, 30, 15};
    int* const parts[] = {&step.preset, &step.speed, &step.dwell_seconds};
    std::size_t at = 0;
    for (int* part : parts) {
        const std::size_t end = std::min(text.find(':', at), text.size());
        std::string piece = text.substr(at, end - at);
        if (!kWhole(piece).empty()) {
            throw CLI::ValidationError("--step", text + ": PRESET[:SPEED[:DWELL]], whole numbers");
        }
        *part = std::stoi(piece);
        if (end == text.size()) {
            return step;
        }
        at = end + 1;
    }
    throw CLI::ValidationError("--step", text + ": PRESET[:SPEED[:DWELL]], whole numbers");
}

// Saves `patrol` under the name the camera lists it by, so that new steps do not rename it; a
// patrol the camera does not list is named by its number, as cameras name theirs.
Ptz::Operation set_keeping_name(Target& t, Ptz::PtzPatrol patrol, Ptz::Callback done) {
    t.quiet = true;
    return t.camera().get_patrols(
        t.engine(), t.guard([&t, patrol, done](int, const std::vector<Ptz::PtzPatrol>& listed) {
            Ptz::PtzPatrol named = patrol;
            named.name = std::to_string(patrol.id);
            for (const Ptz::PtzPatrol& on_camera : listed) {
                if (on_camera.id == patrol.id) {
                    named.name = on_camera.name;
                }
            }
            t.quiet = false;
            t.operation = t.camera().set_patrol(t.engine(), named, done);
        }));
}

void add_patrol_commands(CLI::App& app, Context& context) {
    CLI::App* patrol = app.add_subcommand("patrol", "the camera's patrols: tours of its presets");
    patrol->require_subcommand(1);
    add_reading<std::vector<Ptz::PtzPatrol>>(patrol, context, "patrol list",
                                             "print the patrols and their steps, "
                                             "PRESET@SPEED/DWELLs",
                                             &Ptz::ZelkoPtzCameraIsapi::get_patrols, patrols_text);
    add_numbered(patrol, context, "patrol", "start", "tour patrol N until stopped or moved",
                 &Ptz::ZelkoPtzCameraIsapi::start_patrol);
    add_numbered(patrol, context, "patrol", "stop", "stop patrol N",
                 &Ptz::ZelkoPtzCameraIsapi::stop_patrol);
    add_numbered(patrol, context, "patrol", "remove", "empty patrol N",
                 &Ptz::ZelkoPtzCameraIsapi::remove_patrol);

    CLI::App* set = patrol->add_subcommand("set", "save patrol N with its steps");
    auto p = std::make_shared<Ptz::PtzPatrol>(Ptz::PtzPatrol{0, "", true, {}});
    auto steps = std::make_shared<std::vector<std::string>>();
    auto disabled = std::make_shared<bool>(false);
    set->add_option("N", p->id, "the patrol's number, 1 or more")->required()->transform(kTour);
    set->add_option("--step", *steps, "PRESET[:SPEED[:DWELL]], in order; 1 to 32 of them")
        ->required()
        ->take_all();
    set->add_option("--name", p->name, "the patrol's name; unless given, the camera's name for it");
    set->add_flag("--disabled", *disabled, "saved, but not enabled");
    set->footer(
        "Each step travels to PRESET at SPEED (the camera's speed value, 1 or more, 30 unless\n"
        "given) and stays DWELL seconds (15 unless given). A special preset of the camera's is\n"
        "refused.");
    set->callback([&context, set, p, steps, disabled] {
        p->enabled = !*disabled;
        p->steps.clear();
        for (const std::string& s : *steps) {
            p->steps.push_back(step_of(s));
        }
        const bool named = set->count("--name") > 0;
        run_on_every_camera(context, "patrol set", Wait{}, Ptz::PtzPosition{},
                            [&](Target& t, Ptz::Callback done) {
                                return after_capabilities(t, [&t, p, named, done] {
                                    return named ? t.camera().set_patrol(t.engine(), *p, done)
                                                 : set_keeping_name(t, *p, done);
                                });
                            });
    });
}

void add_pattern_commands(CLI::App& app, Context& context) {
    CLI::App* pattern = app.add_subcommand("pattern", "the camera's patterns: recorded moves");
    pattern->require_subcommand(1);
    add_reading<std::vector<Ptz::PtzPattern>>(
        pattern, context, "pattern list", "print the patterns, recorded or empty",
        &Ptz::ZelkoPtzCameraIsapi::get_patterns, patterns_text);
    add_numbered(pattern, context, "pattern", "start", "replay pattern N until stopped",
                 &Ptz::ZelkoPtzCameraIsapi::start_pattern);
    add_numbered(pattern, context, "pattern", "stop", "stop pattern N",
                 &Ptz::ZelkoPtzCameraIsapi::stop_pattern);
    add_numbered(pattern, context, "pattern", "record-start",
                 "record the moves from now on as pattern N",
                 &Ptz::ZelkoPtzCameraIsapi::start_pattern_recording);
    add_numbered(pattern, context, "pattern", "record-stop", "end the recording of pattern N",
                 &Ptz::ZelkoPtzCameraIsapi::stop_pattern_recording);
    add_numbered(pattern, context, "pattern", "remove", "forget pattern N",
                 &Ptz::ZelkoPtzCameraIsapi::remove_pattern);
}

void add_park_commands(CLI::App& app, Context& context) {
    CLI::App* park =
        app.add_subcommand("park", "what the camera does after a time without commands");
    park->require_subcommand(1);
    add_reading<Ptz::PtzParkAction>(park, context, "park show", "print the park action",
                                    &Ptz::ZelkoPtzCameraIsapi::get_park_action, park_text);
    CLI::App* set = park->add_subcommand("set", "set the park action");
    auto a = std::make_shared<Ptz::PtzParkAction>(Ptz::PtzParkAction{true, 0, "", 0});
    auto off = std::make_shared<bool>(false);
    set->add_option("--seconds", a->seconds,
                    "without commands before it runs: 5 to 720, or the "
                    "camera's range")
        ->required()
        ->transform(kWhole);
    set->add_option("--kind", a->kind,
                    "preset, patrol, pattern, autoscan, framescan, randomscan, panoramascan or "
                    "tiltscan, as the camera takes")
        ->required();
    set->add_option("--number", a->number, "the preset, patrol or pattern it runs")
        ->transform(kWhole);
    set->add_flag("--off", *off, "saved, but not enabled");
    set->callback([&context, a, off] {
        a->enabled = !*off;
        run_on_every_camera(
            context, "park set", Wait{}, Ptz::PtzPosition{}, [&](Target& t, Ptz::Callback done) {
                return after_capabilities(
                    t, [&t, a, done] { return t.camera().set_park_action(t.engine(), *a, done); });
            });
    });
}

}  // namespace

void add_console_commands(CLI::App& app, Context& context) {
    using Camera = Ptz::ZelkoPtzCameraIsapi;
    add_lens(app, context, "focus", "drive the focus, or focus once by itself",
             {{"near", "focus nearer", -1}, {"far", "focus farther", 1}, {"stop", "stop", 0}},
             &Camera::set_focus);
    CLI::App* focus = app.get_subcommand("focus");
    focus->add_subcommand("auto", "focus once by itself (one-push focus)")->callback([&context] {
        run_on_every_camera(context, "focus auto", Wait{}, Ptz::PtzPosition{},
                            [](Target& t, Ptz::Callback done) {
                                return t.camera().one_push_focus(t.engine(), std::move(done));
                            });
    });
    add_lens(app, context, "iris", "open or close the iris",
             {{"open", "open the iris", 1}, {"close", "close the iris", -1}, {"stop", "stop", 0}},
             &Camera::set_iris);
    add_patrol_commands(app, context);
    add_pattern_commands(app, context);
    add_park_commands(app, context);
}

}  // namespace ptzctl
