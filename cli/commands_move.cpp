// The commands that move the camera or switch its devices.

#include <cctype>
#include <cmath>
#include <memory>
#include <optional>

#include "ptz/position_fields.h"
#include "ptzctl_args.h"
#include "ptzctl_commands.h"
#include "ptzctl_poll.h"

namespace ptzctl {

namespace {

using Ptz::PtzPosition;

const char* const kWaitFooter =
    "--wait polls the position every 0.1 s after sending the move until every value given is\n"
    "within its tolerance of the target (elevation and azimuth 0.1 degrees, azimuth round the\n"
    "circle, zoom 0.05, speeds 0.01, focus and focal length exact; the others wait for the\n"
    "camera to come to rest), or until the position has not changed for 0.5 s (the camera may\n"
    "have clamped the target: exit 4), or until --timeout SECONDS (default 30: exit 5). On a\n"
    "terminal one line shows the position and the way left as it goes.";

// ptzctl's option for each value of a position, in the order of Ptz::kPositionFields.
struct ValueOption {
    const char* name;
    const char* type;
    const char* help;
};
const ValueOption kValueOptions[] = {
    {"--elevation", "DEGREES", "in the camera's sign"},
    {"--azimuth", "DEGREES", "0 to 360, taken round the circle"},
    {"--zoom", "RATIO", "zoom ratio, 1 at the widest"},
    {"--focus", "N", "the camera's focus value, a whole number"},
    {"--focal-length", "N", "the camera's focal length value, a whole number"},
    {"--hspeed", "SPEED", "the camera's pan speed value"},
    {"--vspeed", "SPEED", "the camera's tilt speed value"},
};
static_assert(std::size(kValueOptions) == std::size(Ptz::kPositionFields), "one option a value");

void add_goto(CLI::App& app, Context& context) {
    CLI::App* command = app.add_subcommand("goto", "move to an absolute position");
    struct Options {
        std::optional<double> values[std::size(Ptz::kPositionFields)];
        Wait wait;
    };
    auto o = std::make_shared<Options>();
    for (std::size_t i = 0; i < std::size(kValueOptions); ++i) {
        command->add_option(kValueOptions[i].name, o->values[i], kValueOptions[i].help)
            ->type_name(kValueOptions[i].type)
            ->transform(Ptz::kPositionFields[i].real != nullptr ? kFloat : kWhole);
    }
    wait_options(command, o->wait);
    command->footer(std::string("Elevation, azimuth and zoom not given keep the camera's, read "
                                "first; the other values\nare sent only when given.\n\n") +
                    kWaitFooter);
    command->callback([&context, o] {
        PtzPosition target{};
        for (std::size_t i = 0; i < std::size(Ptz::kPositionFields); ++i) {
            if (o->values[i]) {
                Ptz::set_value(target, Ptz::kPositionFields[i], *o->values[i]);
            }
        }
        if (target.present == 0) {
            throw CLI::ValidationError("goto needs at least one position value");
        }
        run_on_every_camera(context, "goto", o->wait, target, [&](Target& t, Ptz::Callback done) {
            if (target.has(PtzPosition::Axes)) {
                return t.camera().set_position(t.engine(), target, done);
            }
            // The axes not given stay where the camera is: read first.
            return t.camera().get_position(
                t.engine(), t.guard([&t, target, done](int code, const PtzPosition& now) {
                    if (code != 0) {
                        done(code);
                        return;
                    }
                    PtzPosition sent = target;
                    for (const Ptz::PositionField& field : Ptz::kPositionFields) {
                        if ((field.bit & PtzPosition::Axes) != 0 && !target.has(field.bit)) {
                            Ptz::set_value(sent, field, Ptz::value_of(now, field));
                        }
                    }
                    t.operation = t.camera().set_position(t.engine(), sent, done);
                }));
        });
    });
}

// Whether a camera's refusal is of who asks rather than of what is asked, in the camera's words:
// credentials refused, an account locked, the PTZ held by a user of higher priority. Continuous
// motion would be refused alike.
bool refuses_the_asker(const std::string& reason) {
    for (const char* words :
         {"(badAuthorization)", "(ptzOccupiedPriority)", "camera refused: Unauthorized"}) {
        if (reason.find(words) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// A motion the camera stops itself after `seconds`; on a camera that cannot time it, it is
// timed here and stopped here, interrupted or not.
void move_for(Context& context, Target& t, const Ptz::PtzCtrl& motion, double seconds) {
    t.quiet = true;  // a refusal here is no failure: continuous motion follows
    t.moving = true;
    const int ms = static_cast<int>(std::lround(seconds * 1000));
    t.operation = t.camera().move_for(
        t.engine(), motion, ms, t.guard([&context, &t, motion, seconds](int code) {
            t.quiet = false;
            if (code == 0) {
                // The camera ends the move; waiting for it lets a script's next command find it
                // ended.
                context.after(seconds, [&t] { t.end(0); });
                return;
            }
            if ((code != 2 && code != 10) || refuses_the_asker(t.camera().failure_reason())) {
                t.end(t.failed("move", code));
                return;
            }
            t.say("move: the camera takes no momentary move (" + t.camera().failure_reason() +
                  "); moving continuously and stopping after the time");
            t.operation = t.camera().set_ptz_ctrl(
                t.engine(), motion, t.guard([&context, &t, seconds](int started) {
                    if (started != 0) {
                        t.end(t.failed("move", started));
                        return;
                    }
                    context.after(seconds, [&t] {
                        t.operation = t.camera().set_ptz_ctrl(
                            t.engine(), {0, 0, 0}, t.guard([&t](int stopped) {
                                t.end(stopped == 0 ? 0 : t.failed("move", stopped));
                            }));
                    });
                }));
        }));
}

void add_move(CLI::App& app, Context& context) {
    CLI::App* command = app.add_subcommand("move", "start continuous motion");
    struct Options {
        Ptz::PtzCtrl motion{0, 0, 0};
        double seconds = 0;
    };
    auto o = std::make_shared<Options>();
    command->add_option("PAN", o->motion.pan, "-100 (left) to 100 (right)")
        ->required()
        ->transform(kMotion);
    command->add_option("TILT", o->motion.tilt, "-100 (down) to 100 (up)")
        ->required()
        ->transform(kMotion);
    command->add_option("ZOOM", o->motion.zoom, "-100 (out) to 100 (in)")
        ->required()
        ->transform(kMotion);
    command->add_option("--for", o->seconds, "then the camera stops by itself")
        ->type_name("SECONDS")
        ->transform(kSeconds);
    command->footer(
        "The values are the camera's own speeds, a share of its top speed; 0 0 0 stops. Without\n"
        "--for the motion goes on until `ptzctl stop` or another motion, or until a limit.\n"
        "--for sends one momentary move that the camera ends itself, and waits for it; a camera\n"
        "without momentary moves gets continuous motion and 0 0 0 after the time, also when\n"
        "ptzctl is interrupted.");
    command->callback([&context, o] {
        context.run([&context, o](Target& t) {
            if (o->seconds > 0) {
                move_for(context, t, o->motion, o->seconds);
                return;
            }
            t.moving = true;
            t.operation = t.camera().set_ptz_ctrl(t.engine(), o->motion, t.guard([&t](int code) {
                t.end(code == 0 ? 0 : t.failed("move", code));
            }));
        });
    });
}

void add_move_by(CLI::App& app, Context& context) {
    CLI::App* command = app.add_subcommand("move-by", "move by steps from where the camera is");
    struct Options {
        float azimuth = 0, elevation = 0, zoom = 0;
        Wait wait;
    };
    auto o = std::make_shared<Options>();
    command->add_option("--azimuth", o->azimuth, "+ to the right")
        ->type_name("DEGREES")
        ->transform(kFloat);
    command->add_option("--elevation", o->elevation, "in the camera's sign")
        ->type_name("DEGREES")
        ->transform(kFloat);
    command->add_option("--zoom", o->zoom, "+ in")->type_name("RATIO")->transform(kFloat);
    wait_options(command, o->wait);
    command->callback([&context, o] {
        run_on_every_camera(context, "move-by", o->wait, PtzPosition{}, [&](Target& t, auto done) {
            return t.camera().move_by(t.engine(), o->azimuth, o->elevation, o->zoom, done);
        });
    });
}

void add_picture_moves(CLI::App& app, Context& context) {
    const char* const frame =
        "X and Y are fractions of the picture from its top-left corner, X to the right and Y\n"
        "down, as a click in a window gives them: 0.5 0.5 is the centre.";
    CLI::App* center = app.add_subcommand("center",
                                          "turn so that a point of the picture is in "
                                          "its centre");
    struct Options {
        float x[2] = {0, 0}, y[2] = {0, 0};
        Wait wait;
    };
    auto point = std::make_shared<Options>();
    center->add_option("X", point->x[0], "0 to 1")->required()->transform(kFraction);
    center->add_option("Y", point->y[0], "0 to 1")->required()->transform(kFraction);
    wait_options(center, point->wait);
    center->footer(std::string(frame) + "\n\n" + kWaitFooter);
    center->callback([&context, point] {
        run_on_every_camera(
            context, "center", point->wait, PtzPosition{}, [&](Target& t, auto done) {
                return t.camera().center_on(t.engine(), point->x[0], point->y[0], done);
            });
    });

    CLI::App* box = app.add_subcommand("zoom-box", "centre on a box of the picture and zoom");
    auto corners = std::make_shared<Options>();
    box->add_option("X0", corners->x[0], "0 to 1")->required()->transform(kFraction);
    box->add_option("Y0", corners->y[0], "0 to 1")->required()->transform(kFraction);
    box->add_option("X1", corners->x[1], "0 to 1")->required()->transform(kFraction);
    box->add_option("Y1", corners->y[1], "0 to 1")->required()->transform(kFraction);
    wait_options(box, corners->wait);
    box->footer(std::string(frame) +
                "\nA box from its top-left corner (X0 Y0) to its bottom-right (X1 Y1) zooms in to "
                "it;\ndrawn the other way it zooms out.\n\n" +
                kWaitFooter);
    box->callback([&context, corners] {
        run_on_every_camera(
            context, "zoom-box", corners->wait, PtzPosition{}, [&](Target& t, auto done) {
                return t.camera().zoom_to_area(t.engine(), corners->x[0], corners->y[0],
                                               corners->x[1], corners->y[1], done);
            });
    });
}

void add_simple_moves(CLI::App& app, Context& context) {
    app.add_subcommand("stop", "end continuous motion (0 0 0)")->callback([&context] {
        run_on_every_camera(context, "stop", Wait{}, PtzPosition{}, [](Target& t, auto done) {
            return t.camera().set_ptz_ctrl(t.engine(), {0, 0, 0}, done);
        });
    });

    CLI::App* home = app.add_subcommand("home", "go to the camera's home position");
    auto home_wait = std::make_shared<Wait>();
    wait_options(home, *home_wait);
    home->callback([&context, home_wait] {
        run_on_every_camera(context, "home", *home_wait, PtzPosition{}, [](Target& t, auto done) {
            return t.camera().reset_position(t.engine(), done);
        });
    });

    CLI::App* reset = app.add_subcommand("zoom-reset", "zoom 1, the widest; the rest kept");
    auto reset_wait = std::make_shared<Wait>();
    wait_options(reset, *reset_wait);
    reset->callback([&context, reset_wait] {
        PtzPosition widest{};
        widest.zoom = 1.0f;
        widest.present = PtzPosition::Zoom;
        run_on_every_camera(context, "zoom-reset", *reset_wait, widest, [&](Target& t, auto done) {
            return t.camera().set_position(t.engine(), widest, done);
        });
    });

    for (const Ptz::CameraWord<Ptz::PtzAux>& device : Ptz::kAuxDevices) {
        std::string name = device.word;  // the command: "light" for "LIGHT"
        for (char& c : name) {
            c = static_cast<char>(std::tolower(c));
        }
        CLI::App* command =
            app.add_subcommand(name, std::string("switch the ") + name + " on or off");
        // The words alone: the enumeration's numbers (On is 0) would read the wrong way round.
        auto state = std::make_shared<Ptz::PtzStatus>();
        command->add_option("STATE", "on or off")
            ->required()
            ->type_name("on|off")
            ->check(CLI::Validator(
                [state](std::string& text) {
                    for (const Ptz::CameraWord<Ptz::PtzStatus>& word : Ptz::kAuxStates) {
                        if (text == word.word) {
                            *state = word.value;
                            return std::string();
                        }
                    }
                    return "takes on or off: " + text;
                },
                ""));
        const Ptz::PtzAux aux = device.value;
        command->callback([&context, state, name, aux] {
            run_on_every_camera(context, name, Wait{}, PtzPosition{}, [&](Target& t, auto done) {
                return t.camera().set_ptz_aux(t.engine(), aux, *state, done);
            });
        });
    }
}

}  // namespace

void wait_options(CLI::App* command, Wait& wait) {
    CLI::Option* flag = command->add_flag("--wait", wait.wait, "poll until the move has ended");
    command->add_option("--timeout", wait.timeout_seconds, "for --wait, default 30")
        ->type_name("SECONDS")
        ->transform(kSeconds)
        ->needs(flag);
    if (command->get_footer().empty()) {
        command->footer(kWaitFooter);
    }
}

void add_move_commands(CLI::App& app, Context& context) {
    add_goto(app, context);
    add_move(app, context);
    add_move_by(app, context);
    add_picture_moves(app, context);
    add_simple_moves(app, context);
}

}  // namespace ptzctl
