"""The camera's methods as coroutines, for asyncio programs.

Every method of `zelko_ptz.Camera` is a coroutine of the same name here, returning and raising
the same. All cameras of a loop share one engine of the library, driven from the running loop
itself (its readers, writers and timers): no thread per call, no pool to size, and nothing
blocks the loop. Cancelling the awaiting task (`task.cancel()`, `asyncio.wait_for`,
`asyncio.timeout`) cancels the operation in the library: a request in flight is aborted and
nothing more is sent for it.

    async with zelko_ptz.aio.Camera("192.0.2.10", "admin:pw", keep_session=True) as camera:
        await camera.set_ptz_ctrl(zelko_ptz.PtzCtrl(pan=20))
"""

from __future__ import annotations

import asyncio
import weakref
from types import TracebackType
from typing import Any, Callable, Optional, cast

from . import _core

__all__ = ["Camera"]

_READ = 1
_WRITE = 2
_CANCELLED = 6


class _Watch:
    """The engine's hooks on one loop. It holds the loop and the engine weakly, so that the
    engine, which holds it, goes with its loop."""

    def __init__(self, loop: asyncio.AbstractEventLoop, engine: _core.Engine) -> None:
        self._loop = weakref.ref(loop)
        self._engine = weakref.ref(engine)
        self._timer: Optional[asyncio.TimerHandle] = None

    def _live_loop(self) -> Optional[asyncio.AbstractEventLoop]:
        loop = self._loop()
        return None if loop is None or loop.is_closed() else loop

    def socket(self, fd: int, events: int) -> None:
        loop = self._live_loop()
        if loop is None:
            return
        if events & _READ:
            loop.add_reader(fd, self._ready, fd, _READ)
        else:
            loop.remove_reader(fd)
        if events & _WRITE:
            loop.add_writer(fd, self._ready, fd, _WRITE)
        else:
            loop.remove_writer(fd)

    def timer(self, ms: int) -> None:
        if self._timer is not None:
            self._timer.cancel()
            self._timer = None
        loop = self._live_loop()
        if loop is not None and ms >= 0:
            self._timer = loop.call_later(ms / 1000.0, self._due)

    def _ready(self, fd: int, events: int) -> None:
        engine = self._engine()
        if engine is not None:
            engine.on_socket(fd, events)

    def _due(self) -> None:
        self._timer = None
        engine = self._engine()
        if engine is not None:
            engine.on_timeout()


# One engine per loop, gone with its loop.
_engines: "weakref.WeakKeyDictionary[asyncio.AbstractEventLoop, _core.Engine]" = (
    weakref.WeakKeyDictionary()
)


def _engine_of(loop: asyncio.AbstractEventLoop) -> _core.Engine:
    engine = _engines.get(loop)
    if engine is None:
        engine = _core.Engine()
        watch = _Watch(loop, engine)
        engine.set_hooks(watch.socket, watch.timer)
        _engines[loop] = engine
    return engine


class Camera:
    """One network PTZ camera whose methods are coroutines. The options are those of
    `zelko_ptz.Camera`, by keyword. Calls on one camera go to it one at a time in the order
    made; calls on different cameras run at once. As an async context manager it closes on
    exit."""

    def __init__(self, address: str, userpwd: str, **options: Any) -> None:
        self._camera = _core.Camera(address, userpwd, **options)

    @property
    def address(self) -> str:
        """The camera's address."""
        return self._camera.address

    def __repr__(self) -> str:
        return f"zelko_ptz.aio.Camera({self.address!r})"

    async def __aenter__(self) -> Camera:
        return self

    async def __aexit__(
        self,
        exc_type: type[BaseException] | None,
        exc: BaseException | None,
        traceback: TracebackType | None,
    ) -> None:
        self.close()

    def close(self) -> None:
        """Release the connection; operations still pending end in CancelledError."""
        self._camera.close()

    def set_timeouts(self, connect: float, total: float) -> None:
        """Bound each later request: connect and total seconds, 0.1 to 600 (5 and 5)."""
        self._camera.set_timeouts(connect, total)

    async def _call(self, name: str, *args: object) -> Any:
        loop = asyncio.get_running_loop()
        future: asyncio.Future[Any] = loop.create_future()

        def done(error: Optional[BaseException], value: object) -> None:
            if future.done() or loop.is_closed():
                return  # cancelled by its task, which raised already
            if error is None:
                future.set_result(value)
            elif isinstance(error, _core.CameraError) and error.code == _CANCELLED:
                future.cancel()  # the camera was closed meanwhile
            else:
                future.set_exception(error)

        submit: Callable[..., _core.Operation] = getattr(self._camera, "_a_" + name)
        operation = submit(_engine_of(loop), *args, done)
        try:
            return await future
        except asyncio.CancelledError:
            operation.cancel()
            raise

    async def get_info(self, path: str) -> str:
        """GET <path> and return the answer; any well-formed XML answer succeeds."""
        return cast(str, await self._call("get_info", path))

    async def get_ptz_absoluteEx(self) -> _core.PtzAbsoluteEx:
        """Read the absolute position, all seven values required."""
        return cast(_core.PtzAbsoluteEx, await self._call("get_ptz_absoluteEx"))

    async def set_ptz_absoluteEx(self, position: _core.PtzAbsoluteEx) -> None:
        """Drive the camera to an absolute position."""
        await self._call("set_ptz_absoluteEx", position)

    async def reset_zoom(self) -> None:
        """Read the position, then send it back with absoluteZoom 1.0 and focus 29000."""
        await self._call("reset_zoom")

    async def reset_position(self) -> None:
        """Send the camera to its home position."""
        await self._call("reset_position")

    async def set_ptz_aux(self, aux: _core.PtzAux, status: _core.PtzStatus) -> None:
        """Switch the light, the wiper or the fan on or off."""
        await self._call("set_ptz_aux", aux, status)

    async def set_ptz_ctrl(self, ctrl: _core.PtzCtrl) -> None:
        """Send one continuous-motion request."""
        await self._call("set_ptz_ctrl", ctrl)

    async def goto_preset(self, id: int) -> None:
        """Travel to the preset `id`."""
        await self._call("goto_preset", id)

    async def set_preset(self, id: int, name: str) -> None:
        """Save the present position as preset `id` under `name`."""
        await self._call("set_preset", id, name)

    async def remove_preset(self, id: int) -> None:
        """Forget the preset `id`."""
        await self._call("remove_preset", id)

    async def get_presets(self) -> list[_core.PtzPreset]:
        """The presets the camera keeps."""
        return cast("list[_core.PtzPreset]", await self._call("get_presets"))

    async def get_position(self) -> _core.PtzPosition:
        """The position as the camera reports it."""
        return cast(_core.PtzPosition, await self._call("get_position"))

    async def set_position(self, position: _core.PtzPosition) -> None:
        """Send the values of `position` that are not None."""
        await self._call("set_position", position)

    async def move_for(self, ctrl: _core.PtzCtrl, duration_ms: int) -> None:
        """Move as set_ptz_ctrl() does for `duration_ms`; the camera stops by itself."""
        await self._call("move_for", ctrl, duration_ms)

    async def move_by(
        self, *, azimuth: float = 0.0, elevation: float = 0.0, zoom: float = 0.0
    ) -> None:
        """Move by steps from the position read first: degrees and zoom ratio."""
        await self._call("move_by", azimuth, elevation, zoom)

    async def center_on(self, x: float, y: float) -> None:
        """Bring the point (x, y) of the picture to its centre."""
        await self._call("center_on", x, y)

    async def zoom_to_area(self, x0: float, y0: float, x1: float, y1: float) -> None:
        """Centre on the box and zoom to it."""
        await self._call("zoom_to_area", x0, y0, x1, y1)

    async def wait_for_stop(
        self,
        timeout: float = 30.0,
        watch: Optional[Callable[[_core.PtzPosition], bool]] = None,
    ) -> _core.PtzPosition:
        """Wait until the position has stayed put for 0.5 s and return it; TimedOutError past
        `timeout` seconds. watch(position) sees each position read and ends the wait by
        returning True. The camera's other calls go out between its reads."""
        return cast(_core.PtzPosition, await self._call("wait_for_stop", timeout, watch))

    async def get_capabilities(self) -> _core.PtzCapabilities:
        """What the camera says it can do."""
        return cast(_core.PtzCapabilities, await self._call("get_capabilities"))

    async def set_focus(self, speed: int) -> None:
        """Drive the focus at `speed`, -100 (near) to 100 (far); 0 stops."""
        await self._call("set_focus", speed)

    async def set_iris(self, speed: int) -> None:
        """Drive the iris at `speed`, -100 (close) to 100 (open); 0 stops."""
        await self._call("set_iris", speed)

    async def one_push_focus(self) -> None:
        """Focus once by itself."""
        await self._call("one_push_focus")

    async def get_patrols(self) -> list[_core.PtzPatrol]:
        """The patrols (preset tours), empty slots left out."""
        return cast("list[_core.PtzPatrol]", await self._call("get_patrols"))

    async def set_patrol(self, patrol: _core.PtzPatrol) -> None:
        """Save `patrol` under its id."""
        await self._call("set_patrol", patrol)

    async def start_patrol(self, id: int) -> None:
        """Tour patrol `id` until stopped or moved."""
        await self._call("start_patrol", id)

    async def stop_patrol(self, id: int) -> None:
        """Stop patrol `id`."""
        await self._call("stop_patrol", id)

    async def remove_patrol(self, id: int) -> None:
        """Empty patrol `id`."""
        await self._call("remove_patrol", id)

    async def get_patterns(self) -> list[_core.PtzPattern]:
        """The patterns (recorded moves)."""
        return cast("list[_core.PtzPattern]", await self._call("get_patterns"))

    async def start_pattern(self, id: int) -> None:
        """Replay pattern `id` until stopped."""
        await self._call("start_pattern", id)

    async def stop_pattern(self, id: int) -> None:
        """Stop pattern `id`."""
        await self._call("stop_pattern", id)

    async def start_pattern_recording(self, id: int) -> None:
        """Record the moves from now on as pattern `id`."""
        await self._call("start_pattern_recording", id)

    async def stop_pattern_recording(self, id: int) -> None:
        """End the recording of pattern `id`."""
        await self._call("stop_pattern_recording", id)

    async def remove_pattern(self, id: int) -> None:
        """Forget pattern `id`."""
        await self._call("remove_pattern", id)

    async def get_park_action(self) -> _core.PtzParkAction:
        """What the camera does after a time without commands."""
        return cast(_core.PtzParkAction, await self._call("get_park_action"))

    async def set_park_action(self, action: _core.PtzParkAction) -> None:
        """Set the park action."""
        await self._call("set_park_action", action)
