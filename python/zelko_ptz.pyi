"""Steer a network PTZ camera over its ISAPI interface (HTTP Digest).

A non-zero result code raises CameraError with the library's error line as `.message`; the line
also goes to the logger "zelko_ptz" at ERROR (or to stderr, with Camera(..., stderr_lines=True)).
"""

import enum
from typing import ClassVar, NoReturn

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
    def __init__(self, operation: str, code: int, message: str = "") -> None: ...

class TransferError(CameraError):
    """Result code 1: the HTTP transfer did not complete."""

class AnswerNotXmlError(CameraError):
    """Result code 2: the answer is not well-formed XML."""

class CameraRejectedError(CameraError):
    """Result code 10: the answer's statusString is not exactly "OK"."""

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
        stderr_lines: bool = False,
    ) -> None: ...
    def __copy__(self) -> NoReturn: ...
    def __deepcopy__(self, memo: object) -> NoReturn: ...
    def get_info(self, path: str) -> None: ...
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
