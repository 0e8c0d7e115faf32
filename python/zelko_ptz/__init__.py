"""Steer network PTZ cameras over their ISAPI interface (HTTP Digest).

`zelko_ptz.Camera` blocks its thread for each call (without the GIL); `zelko_ptz.aio.Camera`
has the same methods as coroutines, run together on one asyncio loop.
"""

from ._core import *  # noqa: F401,F403
from ._core import __version__ as __version__
