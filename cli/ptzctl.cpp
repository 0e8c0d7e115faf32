// ptzctl: steer a PTZ camera from the shell, through the library's public interface.

#include <fcntl.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "ptz/result.h"
#include "ptzctl_args.h"
#include "ptzctl_commands.h"
#include "ptzctl_context.h"

namespace {

using ptzctl::Context;

const char* const kFooter =
    "Connection options may also come from a camera file (--camera NAME reads\n"
    "$XDG_CONFIG_HOME/ptzctl/NAME.toml, by default ~/.config/ptzctl/NAME.toml; a NAME with a /\n"
    "or ending in .toml is a path) and from the environment: PTZCTL_HOST, PTZCTL_USER,\n"
    "PTZCTL_PORT, PTZCTL_CHANNEL, PTZCTL_HTTPS, PTZCTL_CA_FILE, PTZCTL_PIN. The command line\n"
    "wins over the file, the file over the environment. PTZCTL_USER keeps the password out of\n"
    "the process list.\n\n"
    "Every command runs on one kept connection: the first request is challenged, the others\n"
    "answer the kept Digest challenge. ptzctl COMMAND --help shows a command's options and\n"
    "units. A failure is one line on stderr, ptzctl: COMMAND: REASON (red on a terminal unless\n"
    "NO_COLOR is set); --verbose adds the library's whole line with the camera's answer.\n\n"
    "--host and --camera may be given several times (a --host and a --camera given once each\n"
    "are one camera, the host winning over the file's): the command then runs on every camera\n"
    "at once. Each line of output starts with the camera's name (its --camera NAME, or its\n"
    "host) and a colon, and --json adds \"camera\" to each object, in the order of the cameras\n"
    "as given; a failure names its camera. The exit status is then that of the first camera,\n"
    "in that order, that failed. Ctrl-C stops every camera that a move started, then exits\n"
    "130; SIGTERM and a hangup (the terminal or the connection lost) do the same.\n\n";

const char kNoResourcesText[] = "out of memory, or of open files (ulimit -n)";

// The exit statuses, one a line: the library's codes that ptzctl passes on, in its words, and
// ptzctl's own.
std::string exit_statuses() {
    std::map<int, std::string> statuses = {
        {ptzctl::kSettledElsewhere, "--wait: the camera came to rest away from the target"},
        {ptzctl::kBadArguments, "bad arguments"},
        {ptzctl::kOutputFailed, "the output could not be written (a full disk, stdout closed)"},
        {ptzctl::kNoResources, kNoResourcesText}};
    for (const Ptz::ResultInfo& result : Ptz::kResults) {
        const int code = static_cast<int>(result.code);
        // Not a result of ptzctl's calls: the C interface's own, the conversions that throw,
        // and cancels, which an interrupt ends in 128 + N.
        if (code < static_cast<int>(Ptz::Result::NullArgument) &&
            result.code != Ptz::Result::NotNumbers && result.code != Ptz::Result::Cancelled) {
            statuses[code] = result.code == Ptz::Result::TimedOut
                                 ? std::string("--wait: ") + result.text
                                 : result.text;
        }
    }
    std::string text = "Exit status:\n";
    for (const auto& status : statuses) {
        char line[160];
        std::snprintf(line, sizeof line, "%5d  %s\n", status.first, status.second.c_str());
        text += line;
    }
    return text + "128+N  interrupted by signal N";
}

// The words a command takes: its subcommands, the words of an argument that takes a few
// ("on|off"), and its options, `--help` once and last.
std::string words_of(const CLI::App& command) {
    std::string words;
    for (const CLI::App* sub : command.get_subcommands({})) {
        words += sub->get_name() + " ";
    }
    for (const CLI::Option* option : command.get_options()) {
        const std::string type = option->get_type_name();
        if (!option->nonpositional() && type.find('|') != std::string::npos &&
            type.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ ") == std::string::npos) {
            words += CLI::detail::join(CLI::detail::split(type, '|'), " ") + " ";
        }
        if (option->get_group().empty() || option == command.get_help_ptr()) {
            continue;
        }
        for (const std::string& name : option->get_lnames()) {
            words += "--" + name + " ";
        }
    }
    return words + "--help";
}

// The options of `command` and its subcommands that take a value, "|--host|--port|...", each
// once. A flag takes none: the word after it is completed as any other.
void value_options(const CLI::App& command, std::string& names) {
    for (const CLI::Option* option : command.get_options()) {
        const std::string name =
            option->get_lnames().empty() ? "" : "|--" + option->get_lnames().front();
        if (option->get_expected_max() > 0 && !name.empty() && name != "|--camera" &&
            name != "|--ca-file" && (names + "|").find(name + "|") == std::string::npos) {
            names += name;
        }
    }
    for (const CLI::App* sub : command.get_subcommands({})) {
        value_options(*sub, names);
    }
}

// One case line per command path, "preset goto) words=..." and the like.
void command_cases(const CLI::App& command, const std::string& path, std::string& cases,
                   std::string& paths) {
    cases += "        \"" + path + "\") words=\"" + words_of(command) + "\" ;;\n";
    for (const CLI::App* sub : command.get_subcommands({})) {
        const std::string inner = path.empty() ? sub->get_name() : path + " " + sub->get_name();
        paths += "|\"" + inner + "\"";
        command_cases(*sub, inner, cases, paths);
    }
}

// Bash completion made from the commands and options themselves, so that it cannot drift.
std::string bash_completion(const CLI::App& app) {
    std::string cases, paths, values;
    command_cases(app, "", cases, paths);
    value_options(app, values);
    return "# bash completion for ptzctl, made by ptzctl --bash-completion\n"
           "_ptzctl() {\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
           "    case $prev in\n"
           // File names one a line, as bash escapes them: a space or a * stays in its name.
           "        --ca-file)\n"
           "            compopt -o filenames 2>/dev/null\n"
           "            mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")\n"
           "            return ;;\n"
           // The camera files' names by a glob, never through compgen -W, which would expand
           // a name such as "$(cmd).toml" and run cmd; each quoted, so that a space stays in it.
           "        --camera)\n"
           "            local file name\n"
           "            COMPREPLY=()\n"
           "            for file in \"${XDG_CONFIG_HOME:-$HOME/.config}\"/ptzctl/*.toml; do\n"
           "                name=${file##*/}\n"
           "                name=${name%.toml}\n"
           "                [[ -f $file && $name == \"$cur\"* ]] && "
           "COMPREPLY+=(\"$(printf %q \"$name\")\")\n"
           "            done\n"
           "            return ;;\n"
           "        " +
           values.substr(1) +
           ") return ;;\n"
           "    esac\n"
           "    local path=\"\" word words\n"
           "    for word in \"${COMP_WORDS[@]:1:COMP_CWORD-1}\"; do\n"
           "        case \"${path:+$path }$word\" in\n"
           "            " +
           paths.substr(1) +
           ") path=\"${path:+$path }$word\" ;;\n"
           "        esac\n"
           "    done\n"
           "    case $path in\n" +
           cases +
           "    esac\n"
           "    COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n"
           "}\n"
           "complete -F _ptzctl ptzctl\n";
}

// The word that no command takes, when a parse stopped at one.
std::string stray_word(const CLI::App& app) {
    for (const CLI::App* command = &app; command != nullptr;) {
        const std::vector<std::string> left = command->remaining();
        if (!left.empty()) {
            return left.front();
        }
        const auto chosen = command->get_subcommands();
        command = chosen.empty() ? nullptr : chosen.front();
    }
    return "";
}

// The command the parse got to, such as `park set`: its help is the one to read.
const CLI::App& last_command(const CLI::App& app) {
    const CLI::App* command = &app;
    while (!command->get_subcommands().empty()) {
        command = command->get_subcommands().front();
    }
    return *command;
}

// "ptzctl park set" and the like.
std::string path_of(const CLI::App& command) {
    const CLI::App* parent = command.get_parent();
    return parent == nullptr ? command.get_name() : path_of(*parent) + " " + command.get_name();
}

// The line for a parse that failed: a stray word, a missing command or value, or an option given
// twice named, with the help that lists what the command takes; any other error in CLI11's words.
std::string parse_failure(const CLI::App& app, const CLI::ParseError& error) {
    const CLI::App& command = last_command(app);
    const std::string help = "; see " + path_of(command) + " --help";
    const auto commands = command.get_subcommands({});
    const std::string stray = stray_word(app);
    if (!stray.empty()) {
        return (stray[0] == '-'    ? "unknown option "
                : commands.empty() ? "unexpected argument "
                                   : "unknown command ") +
               stray + help;
    }
    // An option's value missing, or the option given twice: said plainly, not in CLI11's
    // counts ("1 required TEXT missing", "At Most 1 required but received 2").
    const std::string what = error.what();
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr && what.rfind("--", 0) == 0) {
        const std::string name = what.substr(0, what.find(':'));
        // The help to read is that of the command that owns the option: ptzctl's own for --user.
        const CLI::App* owner = &command;
        while (owner->get_parent() != nullptr && owner->get_option_no_throw(name) == nullptr) {
            owner = owner->get_parent();
        }
        const std::string see = "; see " + path_of(*owner) + " --help";
        if (what.find(" missing") != std::string::npos) {
            return name + " needs a value" + see;
        }
        if (what.find(": At Most ") != std::string::npos) {
            return name + " is given more than once" + see;
        }
    }
    if (dynamic_cast<const CLI::RequiredError*>(&error) == nullptr || commands.empty()) {
        return what;
    }
    if (command.get_parent() == nullptr) {
        return "a command is needed" + help;
    }
    std::string names;
    for (std::size_t i = 0; i < commands.size(); ++i) {
        names += (i == 0 ? "" : i + 1 == commands.size() ? " or " : ", ") + commands[i]->get_name();
    }
    return command.get_name() + " needs a command: " + names + help;
}

// The help of every command with its options, the nested ones (`focus near`) too, in the form
// CLI11 gives the first level, and then the footer.
std::string help_of_every_command(const CLI::App& app) {
    std::string text = app.help("", CLI::AppFormatMode::All);
    const std::size_t footer = text.rfind(app.get_footer());
    std::string nested;
    const auto all = [](const CLI::App*) { return true; };
    for (const CLI::App* command : app.get_subcommands(all)) {
        for (const CLI::App* sub : command->get_subcommands(all)) {
            nested += command->get_name() + " " + sub->help("", CLI::AppFormatMode::Sub) + "\n";
        }
    }
    return text.insert(footer == std::string::npos ? text.size() : footer, nested);
}

// The run's status, unless the output could not be written: that fails a run that would end 0
// with its output lost, and a camera's failure keeps its own status.
int finished(int status) {
    const int error = ptzctl::output_error();
    if (error == 0) {
        return status;
    }
    Context::say(std::string("cannot write the output: ") + std::strerror(error));
    return status != 0 ? status : ptzctl::kOutputFailed;
}

// A standard stream that the caller closed (a daemon, `>&-`) is given /dev/null, read-only.
// Left closed, its number goes to the first file opened, libcurl's or the engine's, which then
// takes what is written to the stream: the output vanished into libcurl's wake-up socket with
// the run ending 0. A write to the read-only file fails as one to the closed stream does, so
// that the lost output is still said and fails the run.
void fill_closed_standard_streams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) < 0 && errno == EBADF) {
            [[maybe_unused]] const int taken = open("/dev/null", O_RDONLY);  // the lowest: fd
        }
    }
}

int run(int argc, char** argv) {
    Context context;
    CLI::App app("Steers a PTZ camera over its ISAPI interface (HTTP Digest).", "ptzctl");
    app.fallthrough();  // connection options may follow the command, too
    app.require_subcommand(1);
    ptzctl::connection_options(app, context);
    ptzctl::add_read_commands(app, context);
    ptzctl::add_move_commands(app, context);
    ptzctl::add_preset_commands(app, context);
    ptzctl::add_console_commands(app, context);
    app.footer(kFooter + exit_statuses());
    // Every command's options and units in one text: the manual page is made of it.
    app.set_help_all_flag("--help-all", "print the help of every command, with its options");
    app.add_flag_callback("--bash-completion",
                          [&app] {
                              ptzctl::write_out(bash_completion(app));
                              throw CLI::Success();
                          })
        ->group("");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        ptzctl::write_out(app.help());
        return finished(0);
    } catch (const CLI::CallForAllHelp&) {
        ptzctl::write_out(help_of_every_command(app));
        return finished(0);
    } catch (const CLI::CallForVersion& e) {
        ptzctl::write_out(std::string(e.what()) + "\n");
        return finished(0);
    } catch (const CLI::Success&) {
        return finished(0);
    } catch (const CLI::ParseError& e) {
        Context::say(parse_failure(app, e));
        return ptzctl::kBadArguments;
    }
    return finished(context.status);
}

}  // namespace

int main(int argc, char** argv) {
    fill_closed_standard_streams();
    // A host name in other letters goes to libcurl, which spells it in ASCII for the resolver
    // by the locale's character set. Numbers keep the C locale's point.
    std::setlocale(LC_CTYPE, "");
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        // The engine throws it too when the system gives it no more files (ulimit -n).
        Context::say(kNoResourcesText);
        return ptzctl::kNoResources;
    }
}
