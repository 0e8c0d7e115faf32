"""The core of zelko_ptz: the camera, its values and errors, and the engine that zelko_ptz.aio
drives. Steer a network PTZ camera over its ISAPI interface (HTTP Digest).

A non-zero result code raises CameraError with the library's error line as `.message` and the
reason as `.reason`; the line also goes to the logger "zelko_ptz" at ERROR, which prints nothing
until the application configures logging (or to stderr, with Camera(..., stderr_lines=True)).
"""

import enum
from types import TracebackType
from typing import Callable, ClassVar, NoReturn

__version__: str

class PtzAux(enum.Enum):
    """An auxiliary device."""

    Light = 0
    Wiper = 1
    Fan = 2

class PtzStatus(enum.Enum):
    """The state to switch an auxiliary device to."""

    On = 0
    Off = 1

class CameraError(Exception):
    """A camera method returned a non-zero result code."""

    operation: str
    code: int
    message: str
    reason: str
    camera: str
    def __init__(
        self, operation: str, code: int, message: str = "", reason: str = "", camera: str = ""
    ) -> None: ...

class TransferError(CameraError):
    """Result code 1: the HTTP transfer did not complete."""

class AnswerNotXmlError(CameraError):
    """Result code 2: the answer is not well-formed XML."""

class TimedOutError(CameraError):
    """Result code 5: the camera was still moving at the time-out."""

class CameraRejectedError(CameraError):
    """Result code 10: the camera did not answer OK, or an argument or option was refused."""

class PtzAbsoluteEx:
    """The camera's absolute position, in the camera's own units."""

    elevation: float
    azimuth: float
    absoluteZoom: float
    focus: int
    focalLen: int
    horizontalSpeed: float
    verticalSpeed: float
    __hash__: ClassVar[None]  # type: ignore[assignment]
    def __init__(
        self,
        *,
        elevation: float = 0.0,
        azimuth: float = 0.0,
        absoluteZoom: float = 0.0,
        focus: int = 0,
        focalLen: int = 0,
        horizontalSpeed: float = 0.0,
        verticalSpeed: float = 0.0,
    ) -> None: ...
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> PtzAbsoluteEx: ...
    def __deepcopy__(self, memo: object) -> PtzAbsoluteEx: ...

class PtzPosition:
    """A position in degrees and zoom ratio; a value not reported is None."""

    elevation: float | None
    azimuth: float | None
    zoom: float | None
    focus: int | None
    focal_length: int | None
    horizontal_speed: float | None
    vertical_speed: float | None
    __hash__: ClassVar[None]  # type: ignore[assignment]
    def __init__(
        self,
        *,
        elevation: float | None = None,
        azimuth: float | None = None,
        zoom: float | None = None,
        focus: int | None = None,
        focal_length: int | None = None,
        horizontal_speed: float | None = None,
        vertical_speed: float | None = None,
    ) -> None: ...
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> PtzPosition: ...
    def __deepcopy__(self, memo: object) -> PtzPosition: ...

class PtzCapabilities:
    """What a camera says it can do; what it did not report is None or empty."""

    def __init__(self) -> None: ...
    @property
    def azimuth_range(self) -> tuple[float, float] | None: ...
    @property
    def elevation_range(self) -> tuple[float, float] | None: ...
    @property
    def zoom_range(self) -> tuple[float, float] | None: ...
    @property
    def pan_range(self) -> tuple[int, int] | None: ...
    @property
    def tilt_range(self) -> tuple[int, int] | None: ...
    @property
    def zoom_speed_range(self) -> tuple[int, int] | None: ...
    @property
    def max_presets(self) -> int | None: ...
    @property
    def max_preset_name_length(self) -> int | None: ...
    @property
    def special_presets(self) -> list[int]: ...
    @property
    def supports_position3d(self) -> bool | None: ...
    @property
    def aux_types(self) -> list[str]: ...
    __hash__: ClassVar[None]  # type: ignore[assignment]
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> PtzCapabilities: ...
    def __deepcopy__(self, memo: object) -> PtzCapabilities: ...

class PtzCtrl:
    """One continuous-motion request; the camera gives the numbers their meaning."""

    pan: int
    tilt: int
    zoom: int
    __hash__: ClassVar[None]  # type: ignore[assignment]
    def __init__(self, pan: int, tilt: int, zoom: int) -> None: ...
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> PtzCtrl: ...
    def __deepcopy__(self, memo: object) -> PtzCtrl: ...

class PtzPreset:
    """A position the camera keeps under a number, as it lists it."""

    id: int
    name: str
    enabled: bool
    __hash__: ClassVar[None]  # type: ignore[assignment]
    def __init__(self, *, id: int, name: str = "", enabled: bool = True) -> None: ...
    def __eq__(self, other: object) -> bool: ...
    def __copy__(self) -> PtzPreset: ...
    def __deepcopy__(self, memo: object) -> PtzPreset: ...

class Camera:
    """One network PTZ camera; methods return None or raise CameraError."""

    def __init__(
        self,
        address: str,
        userpwd: str,
        *,
        keep_session: bool = False,
        https: bool = False,
        port: int = 0,
        channel: int = 1,
        ca_file: str = "",
        pinned_key: str = "",
        verify_peer: bool = True,
        refusal_hold: float = 30.0,
        stderr_lines: bool = False,
    ) -> None: ...
    @property
    def address(self) -> str: ...
    def __copy__(self) -> NoReturn: ...
    def __deepcopy__(self, memo: object) -> NoReturn: ...
    def close(self) -> None: ...
    def set_timeouts(self, connect: float, total: float) -> None: ...
    def __enter__(self) -> Camera: ...
    def __exit__(
        self,
        exc_type: type[BaseException] | None,
        exc: BaseException | None,
        traceback: TracebackType | None,
    ) -> bool: ...
    def get_info(self, path: str) -> str: ...
    def get_ptz_absoluteEx(self) -> PtzAbsoluteEx: ...
    def set_ptz_absoluteEx(self, position: PtzAbsoluteEx) -> None: ...
    def reset_zoom(self) -> None: ...
    def reset_position(self) -> None: ...
    def set_ptz_aux(self, aux: PtzAux, status: PtzStatus) -> None: ...
    def set_ptz_ctrl(self, ctrl: PtzCtrl) -> None: ...
    def goto_preset(self, id: int) -> None: ...
    def set_preset(self, id: int, name: str) -> None: ...
    def remove_preset(self, id: int) -> None: ...
    def get_presets(self) -> list[PtzPreset]: ...
    def get_position(self) -> PtzPosition: ...
    def set_position(self, position: PtzPosition) -> None: ...
    def move_for(self, ctrl: PtzCtrl, duration_ms: int) -> None: ...
    def move_by(self, *, azimuth: float = 0.0, elevation: float = 0.0, zoom: float = 0.0) -> None: ...
    def center_on(self, x: float, y: float) -> None: ...
    def zoom_to_area(self, x0: float, y0: float, x1: float, y1: float) -> None: ...
    def wait_for_stop(
        self, timeout: float = 30.0, watch: Callable[[PtzPosition], bool] | None = None
    ) -> PtzPosition: ...
    def get_capabilities(self) -> PtzCapabilities: ...

class Operation:
    """An operation submitted to an Engine."""

    @property
    def id(self) -> int: ...
    def cancel(self) -> bool: ...

class Engine:
    """Runs the operations of many cameras at once in a host's event loop."""

    def __init__(self) -> None: ...
    def set_hooks(
        self, socket: Callable[[int, int], None], timer: Callable[[int], None]
    ) -> None: ...
    def on_socket(self, fd: int, events: int) -> None: ...
    def on_timeout(self) -> None: ...
    @property
    def pending(self) -> int: ...
