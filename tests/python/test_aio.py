# zelko_ptz.aio against a fleet of simulated cameras: the same methods, results and errors as
# the blocking module, many cameras from one loop without threads, and cancellation that stops
# what goes to the camera.

import asyncio
import gc
import inspect
import os
import select
import subprocess
import threading
import weakref

import pytest
import zelko_ptz as z
import zelko_ptz.aio as aio

USER = "admin:password"
PORT = 8081
CAMERAS = 50
CHANNEL = "/ISAPI/PTZCtrl/channels/1"


class Fleet:
    """The simulated cameras at 127.0.0.1 onwards, and the requests they logged."""

    def __init__(self):
        self.sim = subprocess.Popen(
            [os.environ["ZELKO_SIM"], "--listen", "127.0.0.1", "--port", str(PORT),
             "--cameras", str(CAMERAS), "--answer-delay", "20"],
            stdout=subprocess.PIPE, text=True)
        assert "listening" in self.sim.stdout.readline()
        self.lines = []
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for line in self.sim.stdout:
            self.lines.append(line)

    def address(self, i):
        return f"127.0.0.{i + 1}"

    def logged(self, i, since):
        """The requests camera `i` logged after the first `since` lines."""
        return [line for line in self.lines[since:] if f"[camera {i + 1}," in line]

    def camera(self, i, **options):
        return aio.Camera(self.address(i), USER, port=PORT, keep_session=True, **options)


@pytest.fixture(scope="module")
def fleet():
    f = Fleet()
    yield f
    f.sim.terminate()
    f.sim.wait()


def test_every_method_of_the_blocking_camera_is_a_coroutine_of_the_same_name():
    blocking = {n for n in dir(z.Camera) if not n.startswith("_")} - {"address"}
    for name in blocking - {"close", "set_timeouts"}:
        assert inspect.iscoroutinefunction(getattr(aio.Camera, name)), name
    for name in {"close", "set_timeouts", "address"}:
        assert hasattr(aio.Camera, name)


def test_a_thousand_calls_from_one_loop_on_no_thread_of_their_own(fleet):
    cameras = [fleet.camera(i) for i in range(CAMERAS)]
    threads = threading.active_count()

    async def main():
        first = await asyncio.gather(*(c.get_position() for c in cameras))
        assert threading.active_count() == threads
        await asyncio.gather(*(c.set_ptz_ctrl(z.PtzCtrl(0, 0, 0)) for c in cameras))
        again = await asyncio.gather(*(c.get_position() for _ in range(18) for c in cameras))
        return first, again

    first, again = asyncio.run(main())
    assert first == [z.Camera(fleet.address(0), USER, port=PORT).get_position()] * CAMERAS
    assert len(again) == 900 and all(p == first[0] for p in again)


def test_results_and_errors_are_those_of_the_blocking_camera(fleet):
    blocking = z.Camera(fleet.address(3), "admin:wrong", port=PORT)
    with pytest.raises(z.CameraRejectedError) as expected:
        blocking.get_presets()
    camera = aio.Camera(fleet.address(3), "admin:wrong", port=PORT)
    assert (camera.address, repr(camera)) == ("127.0.0.4", "zelko_ptz.aio.Camera('127.0.0.4')")

    async def main():
        with pytest.raises(z.CameraRejectedError) as raised:
            await camera.get_presets()
        good = fleet.camera(3)
        await good.set_preset(5, "Gate")
        presets = await good.get_presets()
        with pytest.raises(z.CameraRejectedError):
            await good.goto_preset(0)  # refused before anything is sent
        await good.set_patrol(z.PtzPatrol(id=3, steps=[z.PtzPatrolStep(preset=5)]))
        await good.start_patrol(3)
        patrols = await good.get_patrols()
        assert patrols[2].steps == [z.PtzPatrolStep(preset=5)]
        assert (await good.get_park_action()).kind == "autoscan"
        return raised.value, presets, await good.get_info(CHANNEL + "/presets")

    error, presets, info = asyncio.run(main())
    e = expected.value
    assert (error.code, error.operation, error.message, error.reason, error.camera) == (
        e.code, e.operation, e.message, e.reason, "127.0.0.4")
    assert e.camera == "127.0.0.4" and str(e).startswith("127.0.0.4: get_presets failed")
    assert z.PtzPreset(id=5, name="Gate") in presets and "<presetName>Gate" in info


def test_cancelling_the_task_stops_what_goes_to_the_camera(fleet, caplog):
    camera = fleet.camera(7)

    async def main():
        await camera.set_ptz_ctrl(z.PtzCtrl(30, 0, 0))  # a wait that never ends on its own
        with pytest.raises(asyncio.TimeoutError):
            await asyncio.wait_for(camera.wait_for_stop(timeout=60), 0.3)
        task = asyncio.ensure_future(camera.wait_for_stop(timeout=60))
        await asyncio.sleep(0.1)
        task.cancel()
        with pytest.raises(asyncio.CancelledError):
            await task
        marked = len(fleet.lines)
        await asyncio.sleep(0.3)
        later = fleet.logged(7, marked)
        await camera.set_ptz_ctrl(z.PtzCtrl(0, 0, 0))  # the camera takes calls at once
        return later

    assert asyncio.run(main()) == []
    assert caplog.records == []  # a cancel is the caller's own doing, logged by nobody


def test_any_number_of_loops_in_turn_and_a_watch_in_both_modules(fleet):
    camera = fleet.camera(9)
    seen = []

    def watch(position):
        seen.append(position)
        return True  # the first position read ends the wait

    for _ in range(3):
        where = asyncio.run(camera.wait_for_stop(watch=watch))
        assert where == seen[-1]
    assert len(seen) == 3
    blocking = z.Camera(fleet.address(9), USER, port=PORT)
    assert blocking.wait_for_stop(watch=watch) == seen[-1] and len(seen) == 4
    assert repr(blocking) == "zelko_ptz.Camera('127.0.0.10')"

    def fails(position):
        raise KeyError("from the watch")

    with pytest.raises(KeyError):
        blocking.wait_for_stop(watch=fails)
    with pytest.raises(KeyError):
        asyncio.run(camera.wait_for_stop(watch=fails))


def test_closing_a_camera_cancels_its_pending_calls(fleet):
    camera = fleet.camera(11)

    async def main():
        task = asyncio.ensure_future(camera.get_position())
        await asyncio.sleep(0)
        camera.close()
        with pytest.raises(asyncio.CancelledError):
            await task
        with pytest.raises(ValueError, match="closed"):
            await camera.get_position()

    asyncio.run(main())


def test_an_engine_handed_to_another_loop_the_first_lets_go_and_a_refusal_changes_nothing(fleet):
    first, second = {}, {}

    def hooks(watched):
        def socket(fd, events):
            if events:
                watched[fd] = events
            else:
                watched.pop(fd, None)
        return socket, lambda ms: None

    engine = z.Engine()
    engine.set_hooks(*hooks(first))
    done = []
    z.Camera(fleet.address(12), USER, port=PORT)._a_get_position(
        engine, done=lambda error, value: done.append(error))
    with pytest.raises(ValueError, match="pending"):
        engine.set_hooks(*hooks(second))
    # The first loop, by hand: only it is told of the camera's socket.
    for _ in range(200):
        if done:
            break
        wanted = ([fd for fd, events in first.items() if events & bit] for bit in (1, 2))
        readable, writable, _ = select.select(*wanted, [], 0.05)
        for fd, events in [(fd, 1) for fd in readable] + [(fd, 2) for fd in writable]:
            engine.on_socket(fd, events)
        engine.on_timeout()
    assert done == [None] and second == {}
    watched = dict(first)
    engine.set_hooks(*hooks(second))
    assert first == {} and second == watched


def test_an_engine_that_its_hooks_hold_goes_when_the_program_lets_go_of_it():
    # A loop's hooks are often its methods, and the loop holds the engine: a cycle, as here.
    engine = z.Engine()
    engine.set_hooks(lambda fd, events, held=engine: None, lambda ms: None)
    gone = weakref.ref(engine)
    del engine
    gc.collect()  # clears the engine first here: ending, it tells hooks that are gone
    assert gone() is None
    engine = z.Engine()
    engine.set_hooks(lambda fd, events: events or gc.collect(), lambda ms: None)
    del engine  # ending, it is told by the hook of a collection, which must not end it again


def test_a_joystick_steers_by_its_latest_move_when_moves_coalesce(fleet):
    camera = fleet.camera(13, move_coalescing=True)

    async def main():
        await camera.get_position()  # challenged, so that each move is one request
        marked = len(fleet.lines)
        moves = [camera.set_ptz_ctrl(z.PtzCtrl(pan, 0, 0)) for pan in (10, 20, 30, 0)]
        ended = await asyncio.gather(*moves, return_exceptions=True)
        await asyncio.sleep(0.2)  # for the log's reader
        return ended, [line for line in fleet.logged(13, marked) if "/continuous" in line]

    ended, sent = asyncio.run(main())
    assert [type(e) for e in ended] == [type(None), asyncio.CancelledError,
                                        asyncio.CancelledError, type(None)] and len(sent) == 2
