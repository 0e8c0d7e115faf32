# The Python module against the simulated camera, and against a few hand-made ones.

import ast
import asyncio
import copy
import http.server
import os
import pickle
import re
import resource
import signal
import socket
import subprocess
import sys
import threading
import time

import pytest
import zelko_ptz as z
from zelko_ptz import aio

USER = "admin:password"
CHANNEL = "/ISAPI/PTZCtrl/channels/1"


@pytest.fixture(scope="module")
def camera():
    # Quiet: nobody reads its log, which would fill the pipe and stall it.
    sim = subprocess.Popen([os.environ["ZELKO_SIM"], "--listen", "127.0.0.1", "--quiet"],
                           stdout=subprocess.PIPE, text=True)
    assert "listening" in sim.stdout.readline()
    yield z.Camera("127.0.0.1", USER)
    sim.terminate()
    assert sim.communicate()[0] == ""


@pytest.fixture(scope="module")
def answers():
    # A camera on 127.0.0.2 that answers a GET of a path with a fixed body, unauthenticated.
    bodies = {}

    class Handler(http.server.BaseHTTPRequestHandler):
        def log_message(self, *args):
            pass

        def do_GET(self):
            self.send_response(200)
            self.end_headers()
            body = bodies[self.path]
            self.wfile.write(body if isinstance(body, bytes) else body.encode())

    server = http.server.HTTPServer(("127.0.0.2", 80), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    yield bodies
    server.shutdown()


TARGET = z.PtzAbsoluteEx(elevation=-10.5, azimuth=20.25, absoluteZoom=2, focus=100, focalLen=35)


@pytest.mark.parametrize("call, state", [
    (lambda c: c.set_ptz_absoluteEx(TARGET), lambda c: c.get_ptz_absoluteEx() == TARGET),
    (lambda c: c.reset_zoom(), lambda c: c.get_ptz_absoluteEx() == z.PtzAbsoluteEx(
        elevation=-10.5, azimuth=20.25, absoluteZoom=1, focus=29000, focalLen=35)),
    (lambda c: c.reset_position(), lambda c: c.get_ptz_absoluteEx() == z.PtzAbsoluteEx(
        absoluteZoom=1, focus=29000, focalLen=48)),
    (lambda c: c.set_ptz_ctrl(z.PtzCtrl(50, -3, 0)),
     lambda c: "<pan>50</pan>\n<tilt>-3</tilt>" in c.get_info(CHANNEL + "/continuous")),
    (lambda c: c.set_ptz_aux(z.PtzAux.Wiper, z.PtzStatus.On),
     lambda c: "<type>WIPER</type>\n<status>on</status>" in c.get_info(CHANNEL + "/auxcontrols/1")),
])
def test_every_method_returns_none_and_the_camera_follows(camera, call, state):
    assert call(camera) is None
    deadline = time.monotonic() + 5  # the camera travels at its own speed
    while not state(camera):
        assert time.monotonic() < deadline
        time.sleep(0.02)


def test_positions_moves_and_capabilities_in_degrees_and_zoom_ratio(camera):
    camera.set_position(z.PtzPosition(elevation=-5, azimuth=10, zoom=2))
    assert camera.wait_for_stop() == z.PtzPosition(
        elevation=-5, azimuth=10, zoom=2, focus=29000, focal_length=48, horizontal_speed=0,
        vertical_speed=0)
    camera.move_by(azimuth=-20.5, zoom=1)
    assert (camera.wait_for_stop().azimuth, camera.get_position().zoom) == (349.5, 3)
    camera.center_on(0.5, 0.5)
    camera.zoom_to_area(0, 0, 1, 1)  # the whole picture: neither turns nor zooms
    camera.move_for(z.PtzCtrl(pan=50, tilt=0, zoom=0), 100)  # 60 degrees a second
    assert 354.5 < camera.wait_for_stop().azimuth < 356.5
    camera.set_ptz_ctrl(z.PtzCtrl(pan=1, tilt=0, zoom=0))  # 0.12 degrees a read: moving
    with pytest.raises(z.TimedOutError) as still_moving:
        camera.wait_for_stop(timeout=0.8)
    camera.set_ptz_ctrl(z.PtzCtrl(0, 0, 0))
    assert still_moving.value.message == "The camera was still moving after 0.8 s."
    caps = camera.get_capabilities()
    specials = [*range(33, 47), 90, *range(92, 106)]
    assert repr(caps) == (  # what the camera reported, by the attributes' names
        "PtzCapabilities(azimuth_range=(0.0, 360.0), elevation_range=(-90.0, 90.0), zoom_range="
        "(1.0, 32.0), pan_range=(-100, 100), tilt_range=(-100, 100), zoom_speed_range=(-100, 100), "
        f"max_presets=300, max_preset_name_length=32, special_presets={specials}, "
        "supports_position3d=True, aux_types=['LIGHT', 'WIPER', 'FAN'], max_patrols=8, "
        "max_patterns=4, park_seconds_range=(5, 720), park_action_kinds=['autoscan', 'framescan', "
        "'randomscan', 'patrol', 'pattern', 'preset', 'panoramascan', 'tiltscan'])")
    assert caps.supports_position3d is True and repr(z.PtzCapabilities()) == "PtzCapabilities()"
    assert eval(repr(caps), vars(z)) == caps  # a host's tests make the camera's own
    assert caps == copy.copy(caps) and caps != z.PtzCapabilities()


def test_a_lean_camera_reports_four_values_and_the_rest_is_none(answers):
    with open(os.path.join(os.path.dirname(__file__), "..", "fixtures", "lean-position.xml")) as f:
        answers[CHANNEL + "/absoluteEx"] = f.read()  # what a current 42x camera answered
    position = z.Camera("127.0.0.2", USER).get_position()
    assert (position.focus, position.focal_length, position.vertical_speed) == (25110, None, None)
    assert repr(position) == "PtzPosition(elevation=8.09, azimuth=214.21, zoom=1.0, focus=25110)"


def test_a_camera_closes_reads_as_text_and_checks_its_options(camera):
    with z.Camera("127.0.0.1", USER, keep_session=True) as kept:
        assert "<model>ZELKO-SIM-1</model>" in kept.get_info("/ISAPI/System/deviceInfo")
    with pytest.raises(ValueError, match="the Camera is closed"):
        kept.get_info("/")
    with pytest.raises(ValueError, match=re.escape("Bad option port: 70000; it takes 1 to 65535")):
        z.Camera("127.0.0.1", USER, port=70000)
    with pytest.raises(TypeError, match="unexpected keyword argument 'keep_sesion'"):
        z.Camera("127.0.0.1", USER, keep_sesion=True)
    with pytest.raises(TypeError, match="option channel of the wrong type: '2'"):
        z.Camera("127.0.0.1", USER, channel="2")
    assert z.Camera("127.0.0.1", USER, channel=1, ca_file="", verify_peer=True).address == \
        "127.0.0.1"


def test_the_logger_prints_nothing_the_application_did_not_ask_for():
    program = ("import zelko_ptz as z\ntry:\n    z.Camera('127.0.0.99', 'a:b').goto_preset(1)\n"
               "except z.TransferError as e:\n    print(e.reason)")
    run = subprocess.run([sys.executable, "-c", program], capture_output=True, text=True)
    # The milliseconds are the machine's: a busy one takes a few.
    assert re.fullmatch(r"Failed to connect to 127\.0\.0\.99 port 80 after \d+ ms: Couldn't "
                        r"connect to server\n", run.stdout)
    assert run.stderr == ""


@pytest.mark.parametrize("address, userpwd, call, error, code, message", [
    ("127.0.0.99", USER, lambda c: c.set_ptz_ctrl(z.PtzCtrl(0, 0, 0)), z.TransferError, 1,
     "Fail to complete http request."),
    ("127.0.0.2", USER, lambda c: c.get_info("/not-xml"), z.AnswerNotXmlError, 2,
     "Fail to parse reponse data, response data: busy\\x07 \\xff."),
    ("127.0.0.1", "admin:wrong", lambda c: c.reset_position(), z.CameraRejectedError, 10,
     "Fail to get node name in xml, response data: <?xml"),
    ("127.0.0.1", USER, lambda c: c.goto_preset(0), z.CameraRejectedError, 10,
     "Please input a preset id of 1 or more."),
])
@pytest.mark.parametrize("stderr_lines", [False, True])
def test_each_result_code_raises_its_class_with_the_line(camera, answers, capfd, caplog, address,
                                                         userpwd, call, error, code, message,
                                                         stderr_lines):
    answers["/not-xml"] = b"busy\a \xff"
    with pytest.raises(error) as raised:
        call(z.Camera(address, userpwd, stderr_lines=stderr_lines))
    operation = call.__code__.co_names[0]
    assert isinstance(raised.value, z.CameraError)
    assert (raised.value.code, raised.value.operation) == (code, operation)
    assert raised.value.message.startswith(message)
    line = f"\x1b[31m[Error] [{operation}] {raised.value.message}\n\x1b[0m\n"
    logged = [(r.name, r.levelname, r.getMessage()) for r in caplog.records]
    assert capfd.readouterr().err == (line if stderr_lines else "")
    assert logged == ([] if stderr_lines else
                      [("zelko_ptz", "ERROR", f"[{operation}] {raised.value.message}")])


def test_presets_are_saved_listed_visited_and_forgotten(camera):
    camera.set_ptz_absoluteEx(z.PtzAbsoluteEx(elevation=5, azimuth=6, absoluteZoom=1))
    camera.set_preset(4, "Dock & 2")
    assert camera.get_presets() == [z.PtzPreset(id=4, name="Dock & 2")]
    assert repr(camera.get_presets()[0]) == "PtzPreset(id=4, name='Dock & 2', enabled=True)"
    camera.goto_preset(4)
    camera.remove_preset(4)
    assert camera.get_presets() == []


def test_the_console_tours_patterns_park_and_lens(camera):
    camera.set_preset(1, "Gate")
    camera.set_preset(2, "Dock")
    tour = z.PtzPatrol(id=2, name="Yard", steps=[z.PtzPatrolStep(preset=1, speed=40),
                                                 z.PtzPatrolStep(preset=2, dwell_seconds=3)])
    camera.set_patrol(tour)
    assert camera.get_patrols()[1] == tour
    assert repr(tour.steps) == ("[PtzPatrolStep(preset=1, speed=40, dwell_seconds=15), "
                                "PtzPatrolStep(preset=2, speed=30, dwell_seconds=3)]")
    camera.start_patrol(2)
    camera.stop_patrol(2)
    camera.start_pattern_recording(1)
    camera.stop_pattern_recording(1)
    assert camera.get_patterns()[0] == z.PtzPattern(id=1, enabled=True)
    park = z.PtzParkAction(seconds=720, kind="patrol", number=2)
    assert repr(park) == "PtzParkAction(enabled=True, seconds=720, kind='patrol', number=2)"
    camera.set_park_action(park)
    assert camera.get_park_action() == park
    camera.set_focus(0)
    camera.one_push_focus()
    with pytest.raises(z.CameraRejectedError, match="park time of 5 to 720"):
        camera.set_park_action(z.PtzParkAction(seconds=721, kind="patrol", number=2))
    with pytest.raises(z.CameraRejectedError, match="iris speed from -100 to 100"):
        camera.set_iris(-101)


@pytest.mark.parametrize("elevation, what", [("high", "not numbers (stof)"),
                                             ("1e39", "out of range (stof)")])
@pytest.mark.parametrize("read", [
    lambda: z.Camera("127.0.0.2", USER).get_ptz_absoluteEx(),
    lambda: asyncio.run(aio.Camera("127.0.0.2", USER).get_ptz_absoluteEx())])
def test_a_position_that_is_not_numbers_raises_value_error(answers, elevation, what, read):
    answers[CHANNEL + "/absoluteEx"] = (f"<PTZAbsoluteEx><elevation>{elevation}"
                                        "</elevation></PTZAbsoluteEx>")
    with pytest.raises(ValueError) as raised:
        read()
    assert str(raised.value) == f"The camera's position answer is {what}."


@pytest.mark.parametrize("make", [
    lambda: z.PtzAbsoluteEx(focus=2**31),
    lambda: z.PtzAbsoluteEx(elevation=1e39),
    lambda: setattr(z.PtzAbsoluteEx(), "azimuth", -1e39),
    lambda: z.PtzCtrl(0, 2**31, 0),
    lambda: z.PtzCtrl(1.5, 0, 0),
    lambda: z.PtzPosition(focal_length=2**31),
    lambda: z.PtzPosition(azimuth="north"),
    lambda: copy.copy(z.Camera("127.0.0.1", USER)),
])
def test_what_does_not_fit_is_refused_not_truncated(make):
    with pytest.raises((OverflowError, TypeError)):
        make()


def test_values_read_back_as_given():
    p = z.PtzAbsoluteEx(elevation=10.1, focus=-2**31, focalLen=2**31 - 1)
    assert repr(copy.copy(p)) == ("PtzAbsoluteEx(elevation=10.1, azimuth=0.0, absoluteZoom=0.0, "
                                  "focus=-2147483648, focalLen=2147483647, horizontalSpeed=0.0, "
                                  "verticalSpeed=0.0)")
    assert [a.value for a in z.PtzAux] + [s.value for s in z.PtzStatus] == [0, 1, 2, 0, 1]
    assert (z.PtzCtrl(tilt=-5), z.PtzCtrl()) == (z.PtzCtrl(0, -5, 0), z.PtzCtrl(0, 0, 0))


def test_values_and_errors_cross_to_another_process_pickled():
    values = [TARGET, z.PtzPosition(azimuth=1.5, focus=7), z.PtzCtrl(1, 2, 3),
              z.PtzPreset(id=3, name="Gate", enabled=False), z.PtzPattern(id=2, enabled=True),
              z.PtzPatrol(id=1, name="t", steps=[z.PtzPatrolStep(preset=2, dwell_seconds=9)]),
              z.PtzParkAction(seconds=5, kind="preset", number=1),
              z.PtzCapabilities(zoom_range=(1, 30), aux_types=["LIGHT"], supports_position3d=True)]
    assert pickle.loads(pickle.dumps(values)) == values
    error = pickle.loads(pickle.dumps(z.TimedOutError("wait_for_stop", 5, "m", "r", "192.0.2.1")))
    assert type(error) is z.TimedOutError and vars(error) == {
        "operation": "wait_for_stop", "code": 5, "message": "m", "reason": "r", "camera": "192.0.2.1"}


@pytest.mark.skipif("ASAN_OPTIONS" in os.environ, reason="UBSan checks memory through a pipe")
def test_an_engine_without_a_file_descriptor_left_says_so():
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (0, hard))
    try:
        with pytest.raises(MemoryError, match=r"^out of file descriptors \(ulimit -n\)$"):
            z.Engine()
    finally:
        resource.setrlimit(resource.RLIMIT_NOFILE, (soft, hard))


def test_a_call_waiting_on_the_network_lets_other_threads_run():
    silent = socket.create_server(("127.0.0.3", 80))  # accepts connections, never answers
    outcome = []
    waiting = threading.Thread(target=lambda: outcome.append(
        pytest.raises(z.TransferError, z.Camera("127.0.0.3", USER).get_info, "/")))
    waiting.start()
    steps, until = 0, time.monotonic() + 0.3
    while time.monotonic() < until:
        steps += 1
    assert waiting.is_alive() and steps > 1000
    silent.close()  # resets the connection that waits in the backlog
    waiting.join()
    assert outcome[0].value.code == 1


def test_ctrl_c_gives_up_a_blocking_call_and_a_handler_of_its_own_lets_it_go_on(camera):
    handled, (woken, wake) = [], socket.socketpair()
    signal.signal(signal.SIGINT, lambda *_: handled.append(camera.get_position()))
    wake.setblocking(False), signal.set_wakeup_fd(wake.fileno())  # as asyncio's handlers are
    camera.set_ptz_absoluteEx(z.PtzAbsoluteEx(azimuth=40, absoluteZoom=1))
    threading.Timer(0.2, os.kill, (os.getpid(), signal.SIGINT)).start()
    assert camera.wait_for_stop(10).azimuth == 40 and len(handled) == 1
    assert woken.recv(8) == bytes([signal.SIGINT])  # taken once, not again at each check
    signal.signal(signal.SIGINT, signal.default_int_handler), signal.set_wakeup_fd(-1)
    silent = socket.create_server(("127.0.0.4", 80))
    quiet = z.Camera("127.0.0.4", USER)
    quiet.set_timeouts(5, 20)
    threading.Timer(0.2, os.kill, (os.getpid(), signal.SIGINT)).start()
    start = time.monotonic()
    with pytest.raises(KeyboardInterrupt):
        quiet.get_info("/")
    assert time.monotonic() - start < 10  # given up, not interrupted once timed out at 20 s


def test_a_watch_may_call_its_camera_but_not_close_it(camera):
    own = z.Camera("127.0.0.1", USER)  # a call that waited for itself would hold it for ever
    own.set_ptz_absoluteEx(z.PtzAbsoluteEx(azimuth=70, absoluteZoom=1))
    seen, closing = [], []
    waiting = threading.Thread(daemon=True, target=lambda: (
        own.wait_for_stop(5, lambda _: seen.append(own.get_position()) or len(seen) == 3),
        closing.append(pytest.raises(ValueError, own.wait_for_stop, 5, lambda _: own.close()))))
    waiting.start()
    waiting.join(10)
    assert len(seen) == 3 and str(closing[0].value) == "a Camera cannot be closed within its own call"


def test_threads_left_in_calls_let_the_program_end(camera):
    # As the interpreter ends, a finaliser lets one thread's call return and another's watch
    # ask for the GIL, which it has while the finaliser sleeps, and closes the watched camera. A
    # third thread, driving an engine, is in the finaliser of a callback, or a watch, it let go.
    script = ("import select, socket, sys, threading, time, types, zelko_ptz as z\n"
              "silent, ending = socket.create_server(('127.0.0.5', 80)), threading.Event()\n"
              "c, w = (z.Camera(a, 'admin:password') for a in ('127.0.0.5', '127.0.0.1'))\n"
              "end = lambda _, e=ending, s=silent, w=w: (e.set(), time.sleep(0.2), s.close(), w.close())\n"
              "sys.modules['ends'] = types.SimpleNamespace(owner=type('O', (), {'__del__': end})())\n"
              "let_go = {'__call__': lambda *_: True, '__del__': lambda _, e=ending: e.wait()}\n"
              "e, fds, D = z.Engine(), {}, type('D', (), let_go)\n"
              "e.set_hooks(lambda fd, events: fds.update({fd: events}), lambda ms: None)\n"
              "def drive(m=z.Camera('127.0.0.1', 'admin:password').SUBMIT):\n"
              "    while True:\n"
              "        r, w, _ = select.select(*([f for f in fds if fds[f] & b] for b in (1, 2)), [], 0.01)\n"
              "        [e.on_socket(f, (f in r) | (f in w) << 1) for f in set(r + w)], e.on_timeout()\n"
              "for f, a in (c.get_info, ('/',)), (w.wait_for_stop, (30, lambda _: ending.wait())), (drive, ()):\n"
              "    threading.Thread(target=f, args=a, daemon=True).start()\n"
              "time.sleep(0.3)\n")
    for submit in "_a_get_position(e, done=D())", "_a_wait_for_stop(e, 30, D(), done=print)":
        ran = subprocess.run([sys.executable, "-c", script.replace("SUBMIT", submit)],
                             capture_output=True, timeout=10)
        assert (ran.returncode, ran.stderr) == (0, b""), submit


def test_the_stub_names_every_value_and_says_what_the_module_says():
    stub = os.path.join(os.path.dirname(__file__), "..", "..", "python", "zelko_ptz", "_core.pyi")
    with open(stub) as f:
        classes = {c.name: c for c in ast.parse(f.read()).body if isinstance(c, ast.ClassDef)}

    def names(cls, kind):
        return [n.target.id if isinstance(n, ast.AnnAssign) else n.name for n in cls.body
                if isinstance(n, kind) and not (isinstance(n, ast.AnnAssign) and
                                                n.target.id.startswith("__"))
                and not (isinstance(n, ast.FunctionDef) and n.name.startswith("__"))]

    position, caps = classes["PtzPosition"], classes["PtzCapabilities"]
    assert names(position, ast.AnnAssign) == list(z.PtzPosition._fields)
    assert names(caps, ast.FunctionDef) == list(z.PtzCapabilities._fields)
    for cls in (classes[name] for name in classes if hasattr(getattr(z, name), "_fields")):
        init = next(n for n in cls.body if isinstance(n, ast.FunctionDef) and n.name == "__init__")
        given = [a.arg for a in init.args.args[1:] + init.args.kwonlyargs]
        assert given == list(getattr(z, cls.name)._fields), cls.name
    for name in ("TransferError", "AnswerNotXmlError", "TimedOutError", "CameraRejectedError"):
        assert ast.get_docstring(classes[name]) == getattr(z, name).__doc__
    for name in ("PtzAux", "PtzStatus"):
        members = [(n.targets[0].id, n.value.value) for n in classes[name].body
                   if isinstance(n, ast.Assign)]
        assert members == [(m.name, m.value) for m in getattr(z, name)]
