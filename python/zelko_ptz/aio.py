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
import typing as _typing
from typing import Any, Callable, Optional, TypeVar, cast

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


_P = _typing.ParamSpec("_P")
_R = TypeVar("_R")


def _coroutine(
    method: Callable[_typing.Concatenate[_core.Camera, _P], _R],
) -> Callable[_typing.Concatenate[Camera, _P], _typing.Coroutine[Any, Any, _R]]:
    """The coroutine of the same name as the core's `method`, taking and returning the same."""
    name = method.__name__

    async def call(self: Camera, /, *args: _P.args, **kwargs: _P.kwargs) -> _R:
        return cast(_R, await self._call(name, *args, **kwargs))

    call.__name__ = name
    call.__qualname__ = "Camera." + name
    call.__doc__ = method.__doc__
    return call


class Camera:
    """One network PTZ camera whose methods are coroutines. The options are those of
    `zelko_ptz.Camera`, by keyword. Calls on one camera go to it one at a time in the order
    made; calls on different cameras run at once. With move_coalescing=True a move
    (set_ptz_ctrl, set_ptz_absoluteEx, set_position, set_focus, set_iris) replaces the one of its
    method still waiting to be sent, whose call is cancelled: a joystick's stop then goes out
    after at most the request in flight. As an async context manager it closes on exit."""

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

    async def _call(self, name: str, *args: object, **kwargs: object) -> Any:
        loop = asyncio.get_running_loop()
        future: asyncio.Future[Any] = loop.create_future()

        def done(error: Optional[BaseException], value: object) -> None:
            if future.done() or loop.is_closed():
                return  # cancelled by its task, which raised already
            if error is None:
                future.set_result(value)
            elif isinstance(error, _core.CameraError) and error.code == _CANCELLED:
                future.cancel()  # the camera was closed, or a later move replaced it
            else:
                future.set_exception(error)

        submit: Callable[..., _core.Operation] = getattr(self._camera, "_a_" + name)
        operation = submit(_engine_of(loop), *args, done=done, **kwargs)
        try:
            return await future
        except asyncio.CancelledError:
            operation.cancel()
            raise

    # Every method of zelko_ptz.Camera, its arguments and result as the stub types them there.
    get_info = _coroutine(_core.Camera.get_info)
    get_ptz_absoluteEx = _coroutine(_core.Camera.get_ptz_absoluteEx)
    set_ptz_absoluteEx = _coroutine(_core.Camera.set_ptz_absoluteEx)
    reset_zoom = _coroutine(_core.Camera.reset_zoom)
    reset_position = _coroutine(_core.Camera.reset_position)
    set_ptz_aux = _coroutine(_core.Camera.set_ptz_aux)
    set_ptz_ctrl = _coroutine(_core.Camera.set_ptz_ctrl)
    goto_preset = _coroutine(_core.Camera.goto_preset)
    set_preset = _coroutine(_core.Camera.set_preset)
    remove_preset = _coroutine(_core.Camera.remove_preset)
    get_presets = _coroutine(_core.Camera.get_presets)
    get_position = _coroutine(_core.Camera.get_position)
    set_position = _coroutine(_core.Camera.set_position)
    move_for = _coroutine(_core.Camera.move_for)
    move_by = _coroutine(_core.Camera.move_by)
    center_on = _coroutine(_core.Camera.center_on)
    zoom_to_area = _coroutine(_core.Camera.zoom_to_area)
    wait_for_stop = _coroutine(_core.Camera.wait_for_stop)
    get_capabilities = _coroutine(_core.Camera.get_capabilities)
    set_focus = _coroutine(_core.Camera.set_focus)
    set_iris = _coroutine(_core.Camera.set_iris)
    one_push_focus = _coroutine(_core.Camera.one_push_focus)
    get_patrols = _coroutine(_core.Camera.get_patrols)
    set_patrol = _coroutine(_core.Camera.set_patrol)
    start_patrol = _coroutine(_core.Camera.start_patrol)
    stop_patrol = _coroutine(_core.Camera.stop_patrol)
    remove_patrol = _coroutine(_core.Camera.remove_patrol)
    get_patterns = _coroutine(_core.Camera.get_patterns)
    start_pattern = _coroutine(_core.Camera.start_pattern)
    stop_pattern = _coroutine(_core.Camera.stop_pattern)
    start_pattern_recording = _coroutine(_core.Camera.start_pattern_recording)
    stop_pattern_recording = _coroutine(_core.Camera.stop_pattern_recording)
    remove_pattern = _coroutine(_core.Camera.remove_pattern)
    get_park_action = _coroutine(_core.Camera.get_park_action)
    set_park_action = _coroutine(_core.Camera.set_park_action)
