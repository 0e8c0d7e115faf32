# Realistic faults for ../shared/tools/mutants/run, one at a time, in the code as it stands
# (commands as steps, the engine, the tables), in place of the shared list, whose texts name
# code that no longer exists. Run from the project root:
#
#   ../shared/tools/mutants/run --mutants scripts/mutants.py [--only ID ...]
#
# Each entry: m(id, file, old, new, desc); `old` occurs exactly once in `file`.


def m(id, file, old, new, desc):
    return {'id': id, 'file': file, 'old': old, 'new': new, 'desc': desc}


REQUEST = 'utils/http_request.cpp'
BODY = 'utils/xml_body.cpp'
POS = 'ptz/position_text.cpp'
CMD = 'ptz/command.cpp'
CAM = 'ptz/zelko_ptz_camera_isapi.cpp'
LINK = 'ptz/camera_link.cpp'
WAIT = 'ptz/camera_position.cpp'
ENGINE = 'ptz/engine.cpp'
EPOLL = 'ptz/epoll_set.cpp'
POLL = 'cli/ptzctl_poll.cpp'
CTX = 'cli/ptzctl_context.cpp'
TOURS = 'ptz/tour_documents.cpp'
CONSOLE = 'ptz/camera_console.cpp'
DIGEST = 'utils/digest.cpp'
SESSION = 'utils/http_session.cpp'
OUTPUT = 'cli/ptzctl_output.cpp'
MOVE = 'cli/commands_move.cpp'
ARGS = 'cli/ptzctl_args.cpp'
C_FACE = 'ptz/zelko_ptz_c.cpp'
C_VALUES = 'ptz/c_values.h'
PRESETS = 'ptz/preset_list.cpp'
REASON = 'ptz/answer_reason.cpp'
CAPS = 'ptz/capabilities.cpp'
DRIVE = 'ptz/drive.cpp'
MOTION = 'ptz/camera_motion.cpp'
TERMINAL = 'ptz/terminal_text.cpp'
PRESET_CMDS = 'ptz/camera_presets.cpp'
C_CONSOLE = 'ptz/zelko_ptz_c_console.cpp'
C_ENGINE = 'ptz/zelko_ptz_c_engine.cpp'
CAMERA_FILE = 'cli/ptzctl_camera_file.cpp'
PRESET_CLI = 'cli/commands_preset.cpp'

MUTANTS = [
    # the one option setter of every transfer
    m('H01', REQUEST, '        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);\n', '',
      'PUT: the Content-Type header never set'),
    m('H02', REQUEST, r'charset=\"UTF-8\""', r'charset=UTF-8"',
      'Content-Type: quotes around UTF-8 dropped'),
    m('H03', REQUEST, 'static_cast<long>(CURLAUTH_DIGEST)', 'static_cast<long>(CURLAUTH_ANY)',
      'Digest -> any scheme (Basic offered the password in clear)'),
    m('H04', REQUEST, '    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, total_ms);\n', '',
      'no total time-out'),
    m('H05', REQUEST, 'CURLOPT_MAXREDIRS, 1L', 'CURLOPT_FOLLOWLOCATION, 1L',
      'redirects followed'),
    m('H06', REQUEST,
      'curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(request.body.size()));',
      'curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, -1L);',
      'body sent up to its first zero byte'),
    m('H07', REQUEST, '    return nmemb;\n}', '    return size;\n}',
      'write callback confirms size instead of nmemb'),
    m('H08', REQUEST, 'sink->response->append(static_cast<const char*>(ptr), bytes);',
      'sink->response->assign(static_cast<const char*>(ptr), bytes);',
      'write callback keeps the last chunk only'),
    m('H09', REQUEST, 'if (bytes > HttpClient::kMaxResponseBytes - sink->taken) {',
      'if (bytes > HttpClient::kMaxResponseBytes) {', 'the 16 MiB limit per chunk, not per answer'),
    # the one writer of bodies
    m('X01', BODY, 'ver20/XMLSchema"', 'ver20/XMLschema"', 'one byte of the namespace changed'),
    m('X02', BODY, r'text_ += "\" version=\"2.0\"";', r'text_ += "\" version=\"1.0\"";',
      'version attribute 2.0 -> 1.0'),
    m('X03', BODY, "text_.append(static_cast<std::size_t>(depth_), '\\t');",
      "text_.append(static_cast<std::size_t>(depth_) * 2, '\\t');", 'two tabs a level'),
    # position texts
    m('P01', POS, 'position.*field.whole = std::stoi(texts[i], nullptr, 10);',
      'position.*field.whole = std::stoi(texts[i], nullptr, 0);',
      'whole values read with octal and hexadecimal prefixes'),
    m('P02', POS, 'fields["zoomType"] = "absoluteZoom";', 'fields["zoomType"] = "relativeZoom";',
      'set_ptz_absoluteEx: zoomType changed'),
    m('P03', POS, 'return begin != end && read.ec == std::errc() && read.ptr == end &&',
      'return begin != end && read.ec == std::errc() &&', 'a number followed by text accepted'),
    m('P04', POS, '"PTZStatus/AbsoluteHigh"), PtzPosition::Axes, 10.0,',
      '"PTZStatus/AbsoluteHigh"), PtzPosition::Axes, 1.0,', 'status read without its tenths'),
    # judging answers
    m('C01', CMD, '''    if (std::string(doc.child("ResponseStatus").child("statusString").text().as_string("")) !=
        "OK") {''', '''    if (std::string(doc.child("ResponseStatus").child("statusString").text().as_string(""))
            .rfind("OK", 0) != 0) {''', 'a statusString starting with OK accepted'),
    m('C02', CMD, 'step.finish(10, Message::kNotOk', 'step.finish(2, Message::kNotOk',
      'a refusal returns 2 instead of 10'),
    m('C03', CAM, 'position.focus = 29000;', 'position.focus = 2900;',
      'reset_zoom: focus 29000 -> 2900'),
    m('C04', CAM, 'const std::string control_id = "1";', 'const std::string control_id = "2";',
      'set_ptz_aux: auxiliary 1 -> 2'),
    m('C05', LINK, 'return std::isfinite(seconds) ? std::fmin(std::fmax(seconds, 0.0), 86400.0) : 0.0;',
      'return 0.0;', 'the camera\'s unlockTime ignored'),
    m('C06', WAIT, 'const auto kStillFor = std::chrono::milliseconds(500);',
      'const auto kStillFor = std::chrono::milliseconds(100);', 'still after 0.1 s, not 0.5 s'),
    m('C07', WAIT, 'apart = std::fmin(std::fmod(apart, 360.0), 360.0 - std::fmod(apart, 360.0));',
      '', 'azimuth compared without the circle'),
    # the engine
    m('E01', ENGINE, 'cancel == Cancel::WithLine ? Message::kCancelled : ""', '""',
      'a cancel writes no line'),
    m('E02', ENGINE, 'long wait = ended_ != ended_before ? 0 : timeout_ms < 0 ? -1 : timeout_ms;',
      'long wait = ended_ != ended_before ? timeout_ms : timeout_ms < 0 ? -1 : timeout_ms;',
      'run() waits after it has called back'),
    m('E03', REQUEST, '    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);', '',
      'libcurl swaps SIGPIPE\'s handler around every call'),
    m('E04', EPOLL, '    if (stale) {', '    if (false) {',
      'a registration that outlived its socket is left in the set'),
    m('E05', EPOLL, '        if (found->second.wanted == 0) {', '        if (false) {',
      'a socket nobody wants stays in the set when it wakes the wait'),
    m('E06', EPOLL, 'if (registration.opened == opened && registration.events == flags)',
      'if (registration.events == flags)', 'a new socket of a number watched before goes unwatched'),
    m('E07', ENGINE, 'if (!driving || (!in_turn_ && hooked_)) {', 'if (!driving) {',
      'a submission from a host loop\'s thread between its turns does not wake the loop'),
    m('E08', ENGINE, '            ++slot.ops;  // end() counts it out\n', '',
      'a cancel before the start counts the camera\'s operations out twice'),
    m('E09', ENGINE, 'std::chrono::ceil<std::chrono::milliseconds>(when - now)',
      'std::chrono::floor<std::chrono::milliseconds>(when - now)', 'timers fire early'),
    m('E10', ENGINE, 'if (op.link->refuses(op.step.now, op.step.outcome)) {', 'if (false) {',
      'the engine sends through the hold after refused credentials'),
    m('E11', ENGINE, 'op.retried = op.retried || next == Utils::HttpSession::Next::Retry;', '',
      'a forgotten nonce retried for ever on the engine'),
    m('E12', ENGINE, '|| hooks.timer == nullptr || pending() > 0) {', '|| hooks.timer == nullptr) {',
      'hooks changed while operations are pending'),
    m('E13', ENGINE, 'current.get() != this && link.pending.load() > 0;', 'current.get() != this;',
      'a camera once on another engine refused there for ever'),
    m('E14', ENGINE, 'link.timeouts().total_ms - elapsed_ms(op.sent_at, now);',
      'link.timeouts().total_ms - 0 * elapsed_ms(op.sent_at, now);',
      'the answer to a challenge given the whole time-out again'),
    m('E15', ENGINE, '            hooks_.socket(hooks_.user, fd.first, 0);\n        }\n    } else {',
      '            (void)fd;\n        }\n    } else {', 'the loop handed over from keeps watching'),
    m('E16', ENGINE, '        op.retried = false;\n', '',
      'a retry spent on one request of a command leaves none to the next'),
    # the console
    m('T01', TOURS, '            if (step.preset != 0) {', '            if (true) {',
      'a patrol\'s empty slots (preset 0) read as steps'),
    m('T02', TOURS, '.add("seqSpeed", int_text(step.speed))',
      '.add("seqSpeed", int_text(step.dwell_seconds))', 'a patrol step\'s speed written as its dwell'),
    m('T03', TOURS, '(act.child("ActionNum") && !whole(act.child("ActionNum"), read.number))',
      'false', 'a park action\'s number never read'),
    m('T04', 'ptz/limits.h', 'kLensSpeeds{-100, 100}', 'kLensSpeeds{-100, 1000}',
      'focus and iris speeds up to 1000 accepted'),
    m('T05', CONSOLE, 'action != nullptr ? HttpMethod::Put : HttpMethod::Delete', 'HttpMethod::Put',
      'removing a patrol or pattern sends PUT'),
    m('T06', CONSOLE, '        if (!refusal.empty()) {', '        if (false) {',
      'set_patrol and set_park_action send what their check refused'),
    m('T07', CONSOLE, 'std::find(special.begin(), special.end(), step.preset) != special.end()',
      'false', 'a patrol through a special preset accepted'),
    m('T08', CONSOLE, 'numbered && (action.number < 1 ||', 'numbered && (action.number < 0 ||',
      'a park action of preset 0 accepted'),
    m('T09', 'ptz/answer_reason.cpp', 'if (std::string(sub) == "ptzOccupiedPriority") {',
      'if (std::string(sub) == "ptzOccupied") {', 'a PTZ held by another user read as a plain refusal'),
    # ptzctl
    m('L01', 'cli/ptzctl.cpp', '        return ptzctl::kBadArguments;', '        return 1;',
      'bad arguments exit 1 instead of 64'),
    m('L02', POLL, 'reached = reached && d <= Ptz::kPositionFields[i].tolerance;',
      'reached = reached && d <= 10 * Ptz::kPositionFields[i].tolerance;',
      '--wait: a target reached ten times as far away'),
    m('L03', CTX, '''        if (target->status() != 0) {
            status = target->status();
            break;
        }''', '''        if (target->status() != 0) {
            status = target->status();
        }''', 'many cameras: the last failure\'s status, not the first'),
    m('L04', CTX, '        if (!target->moving) {', '        if (true) {',
      'Ctrl-C leaves a moving camera turning'),
    # the session's own Digest
    m('D01', DIGEST, 'std::snprintf(count, sizeof count, "%08x", ++count_);',
      'std::snprintf(count, sizeof count, "%08x", count_ + 1);', 'the nonce count never grows'),
    m('D02', DIGEST, "        if (c == '\"' || c == '\\\\') {", '        if (false) {',
      'a quote in the user name not escaped'),
    m('D03', DIGEST, 'md5 = equals(text, "MD5");', 'md5 = true;',
      'a SHA-256 challenge answered with MD5'),
    m('D04', DIGEST, '!printable(read.realm) || !printable(read.nonce) ||', '!printable(read.realm) ||',
      'a nonce holding a line break put into the header'),
    m('D05', SESSION, 'if (followed_ || spent_ms >= total_ms) {', 'if (spent_ms >= total_ms) {',
      'a camera that calls every fresh nonce stale answered until the time-out'),
    m('D06', SESSION, '                by_libcurl_ = true;\n                curl_easy_reset(curl_);\n',
      '                by_libcurl_ = true;\n',
      'libcurl takes over with the challenge it read while it was not answering'),
    m('D07', DIGEST, "target.find(\"/.\") == std::string::npos", 'true',
      'a dot segment named in the answer though libcurl removes it'),
    m('D08', SESSION, 'answered_ = digest_.holding();', 'answered_ = false;',
      'a refusal of an answer taken for a first challenge'),
    m('D09', SESSION, 'prepare(request, sink, total_ms - spent, error)',
      'prepare(request, sink, total_ms - 0 * spent, error)',
      'the answer to a challenge given the whole time-out again'),
    # ptzctl's output and its fleets
    m('K01', CTX, '"ptzctl: " + Ptz::terminal_text(text, text.size())', '"ptzctl: " + text',
      'ptzctl\'s own lines send the control bytes they echo to the terminal'),
    m('K02', OUTPUT, 'quoted += valid ? text.substr(at, n) : "\\\\ufffd";',
      'quoted += text.substr(at, n);', '--json: a name that is not UTF-8 copied as it is'),
    m('K03', OUTPUT, 'high = lead == 0xED ? 0x9F : 0xBF;', 'high = 0xBF;',
      '--json: a surrogate\'s bytes taken for a character'),
    m('K04', CTX, '    open_files_for(named_cameras.size());\n', '',
      'many cameras: the limit of open files left where a shell put it'),
    m('K05', CTX, 'if (limit.rlim_cur < wanted) {', 'if (false) {',
      'many cameras: no warning where the hard limit is too low'),
    m('K06', MOVE, '"(ptzOccupiedPriority)", ', '',
      'move --for on a PTZ held by another user falls back to continuous motion'),
    m('K07', ARGS, '            ->allow_extra_args(false)\n            ->check(', '            ->check(',
      '--host [::1] read as a list of one, ::1'),
    m('K08', POLL, 'std::string(pad, \' \') + row(p, at)', 'row(p, at)',
      'watch on several cameras: each row\'s columns right after its own name'),
    # the C face's copies, the readers of presets, reasons and capabilities, the blocking driver
    m('N01', C_FACE, 'std::min(text.size(), size - 1)',
      'std::min(text.size(), size)', 'C: a name cut to the whole buffer, its zero past it'),
    m('N02', C_FACE, 'while (n < text.size() && n > 0 &&',
      'while (false && n > 0 &&', 'C: a cut name may end inside a UTF-8 character'),
    m('N03', C_FACE, '(ZELKO_PTZ_CAP_MAX_PATROLS | ZELKO_PTZ_CAP_MAX_PATTERNS | ZELKO_PTZ_CAP_PARK_SECONDS)',
      '(ZELKO_PTZ_CAP_MAX_PATROLS | ZELKO_PTZ_CAP_MAX_PATTERNS)',
      'C: the base capabilities report a bit of the extended ones'),
    m('N04', C_FACE, 'if (listed.size() > capacity) {',
      'if (listed.size() >= capacity + 1 && capacity > 0) {',
      'C: presets into a list of none written past it'),
    m('N05', C_FACE, 'if (code == ZELKO_PTZ_OK || code == ZELKO_PTZ_TIMED_OUT) {',
      'if (code == ZELKO_PTZ_OK) {', "C: wait_for_stop's last position lost on a time-out"),
    m('N06', C_FACE, 'options.*field.flag = value != 0;',
      'options.*field.flag = value == 1;', 'C: a flag of 2 taken as off'),
    m('N07', C_FACE, 'const std::size_t count = std::min(numbers.size(), field.c_capacity);',
      'const std::size_t count = numbers.size();', 'C: capability numbers past the array'),
    m('N08', C_FACE, 'if (present) {', 'if (true) {',
      'C: a capability the camera did not report has its bit'),
    m('N09', C_FACE, 'std::memcpy(&o, given, std::min(given->size, sizeof o));\n    }\n    Ptz::CameraOptions',
      'std::memcpy(&o, given, sizeof o);\n    }\n    Ptz::CameraOptions',
      "C: an older host's smaller options read past their end"),
    m('N10', C_VALUES, 'done(user, code, code == ZELKO_PTZ_OK ? &out : nullptr);',
      'done(user, code, &out);', 'C: a failed value callback hands a value'),
    m('N11', PRESETS, "return !text.empty() && text[0] != '-' && read.ptr == end",
      'return !text.empty() && read.ptr == end', 'presets: a negative id read'),
    m('N12', PRESETS, 'entry["enabled"] == "true"',
      'entry["enabled"] != "false"', 'presets: enabled unless false'),
    m('N13', REASON, 'std::string(status_string) != "OK"',
      'true', 'reason: an OK status read as a refusal'),
    m('N14', REASON, '(*sub != \'\\0\' ? " (" + shown(sub) + ")" : std::string())',
      'std::string()', "reason: the camera's subStatusCode dropped"),
    m('N15', REASON, 'std::string(check.child_value("lockStatus")) == "lock"',
      'false', 'reason: a locked account not said'),
    m('N16', CAPS, 'value != std::trunc(value)', 'false', 'caps: 2.5 taken as a whole number'),
    m('N17', CAPS, '        read.root = Utils::xml_at(answer, "PTZChannelCap");\n',
      '', "caps: a recorder's spelling of the root not read"),
    m('N18', CAPS, "} else if (*text != '\\0') {\n                    read.bad = true;",
      '} else if (false) {\n                    read.bad = true;',
      'caps: a flag that is neither true nor false passes'),
    m('N19', CAPS, 'if (!item.empty()) {',
      'if (true) {', 'caps: an empty item in an opt list kept'),
    m('N20', DRIVE, '        if (link.refuses(step.now, step.outcome)) {',
      '        if (false) {', 'blocking: the refusal hold never applied'),
    m('N21', MOTION, 'if (duration_ms < 1) {', 'if (duration_ms < 0) {', 'move_for: 0 ms sent'),
    m('N22', MOTION, 'frame_text(1.0 - y1)', 'frame_text(y1)', 'zoom_to_area: end y not flipped'),
    # the rest: terminal text, presets, the C console and engine, options, camera files
    m('R01', TERMINAL, "(i + 1 == shown || answer[i + 1] != '\\n')",
      "(answer[i + 1] != '\\n')",
      'a carriage return shown last before the cut mark, raw'),
    m('R02', TERMINAL, ' || c == 0x7f;',
      ';',
      'DEL shown raw'),
    m('R03', TERMINAL, 'if (answer.size() > limit) {',
      'if (answer.size() > limit + 1) {',
      'a text one byte too long not marked cut'),
    m('R04', PRESET_CMDS, 'fields["presetName"] = std::move(name);',
      'fields["presetName"] = name.substr(0, 32);',
      'preset names cut to 32 bytes'),
    m('R05', PRESET_CMDS, '    if (!Utils::XmlBody::can_carry(name)) {',
      '    if (false) {',
      'a preset name with control bytes sent'),
    m('R06', C_CONSOLE, 'std::min<std::size_t>(p.step_count, ZELKO_PTZ_MAX_PATROL_STEPS + 1)',
      'std::min<std::size_t>(p.step_count, ZELKO_PTZ_MAX_PATROL_STEPS)',
      'C patrol of too many steps cut silently'),
    m('R07', C_CONSOLE, '    if (read.size() > capacity) {\n        return ZELKO_PTZ_LIST_TOO_SMALL;',
      '    if (read.size() > capacity + 1) {\n        return ZELKO_PTZ_LIST_TOO_SMALL;',
      'C list one past its array written'),
    m('R08', C_ENGINE, '            code == ZELKO_PTZ_OK || (also_on_timeout && code == ZELKO_PTZ_TIMED_OUT);',
      '            code == ZELKO_PTZ_OK || (also_on_timeout && false);',
      'C wait_for_stop time-out hands no position'),
    m('R09', C_ENGINE, 'const bool written = code == ZELKO_PTZ_OK || code == ZELKO_PTZ_NOT_XML;',
      'const bool written = code == ZELKO_PTZ_OK;',
      'C get_info_async: a non-XML answer not handed'),
    m('R10', C_ENGINE, 'return e->engine.cancel(id) ? ZELKO_PTZ_OK : ZELKO_PTZ_REJECTED;',
      'e->engine.cancel(id);\n    return ZELKO_PTZ_OK;',
      'C cancel of an ended op says OK'),
    m('R11', LINK, 'if (!o.https && !o.verify_peer) {',
      'if (false) {',
      'verify_peer false without https accepted'),
    m('R12', LINK, 'std::fmin(std::fmax(seconds, 0.0), 86400.0)',
      'std::fmax(seconds, 0.0)',
      'a lock hold without end'),
    m('R13', CAMERA_FILE, '(text[at + 1] == \'"\' || text[at + 1] == \'\\\\\')) {',
      '(text[at + 1] == \'"\')) {',
      'camera file: an escaped backslash kept doubled'),
    m('R14', CAMERA_FILE, "return rest.empty() || rest[0] == '#';",
      'return true;',
      'camera file: text after a string accepted'),
    m('R15', CAMERA_FILE, 'if (!given.insert(key).second) {',
      'if (false) {',
      'camera file: a key given twice'),
    m('R16', CAMERA_FILE, '(file.st_mode & (S_IRWXG | S_IRWXO)) != 0',
      '(file.st_mode & S_IRWXO) != 0',
      'camera file: a password readable by the group accepted'),
    m('R17', PRESET_CLI, 'name.size() > static_cast<std::size_t>(*caps->max_preset_name_length)',
      'name.size() > static_cast<std::size_t>(*caps->max_preset_name_length) + 1',
      'preset set: a name one past the longest sent'),
    m('R18', 'python/engine.cpp', 'PyHooks& next = e.hooks[e.hooks[0].socket ? 1 : 0];',
      'PyHooks& next = e.hooks[0];',
      'Python set_hooks: one slot, so a refused or handed-over engine calls the new callables'),
    m('R19', REQUEST, "std::replace(refused.begin(), refused.end(), '\\0', '\\x7f');",
      '',
      'a NUL in the URL handed to libcurl, which cuts the URL there'),
    m('R20', LINK, "if (o.ca_file.find('\\0') != std::string::npos) {",
      'if (false) {',
      'a ca_file holding a NUL opens the file named by the bytes before it'),
    m('R21', WAIT, 'deadline_ = timeout < TimePoint::max() - step.now',
      'deadline_ = true',
      'wait_for_stop: a time-out past the clock overflows the deadline'),
    m('R22', POLL, 'const bool last = round == count || output_error() != 0;',
      'const bool last = round == count;',
      'ptzctl watch: goes on writing to a full disk'),
    m('R23', CTX, 'if (!written && g_output_error == 0) {',
      'if (false) {',
      'ptzctl: a failed write of the output ends the run with 0'),
    m('R24', CAMERA_FILE, 'if (all.size() > kMostBytes) {',
      'if (false) {',
      'camera file: a file past 64 KiB read as one'),
    m('R25', 'cli/ptzctl.cpp', 'if (option->get_expected_max() > 0 && !name.empty()',
      'if (option->get_type_size_max() > 0 && !name.empty()',
      'completion: a flag taken as an option with a value'),
]
