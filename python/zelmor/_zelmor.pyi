"""The extension module's interface: the projection library's batch conversions over contiguous
float64 arrays. Use the functions of the zelmor package, which check and shape their arguments."""

from typing import Tuple

import numpy as np
import numpy.typing as npt

__version__: str
CONVERTED: int
LATITUDE_OUTSIDE: int
LONGITUDE_OUTSIDE: int
SLICE_POINTS: int

_Doubles = npt.NDArray[np.float64]
_Ints = npt.NDArray[np.int32]

def to_grid_into(latitude: _Doubles, longitude: _Doubles, x: _Doubles, y: _Doubles, status: _Ints) -> None: ...
def to_geodetic_into(x: _Doubles, y: _Doubles, latitude: _Doubles, longitude: _Doubles) -> None: ...
def new_grid_results(shape: Tuple[int, ...]) -> Tuple[_Doubles, _Doubles, _Ints]: ...
def new_geodetic_results(shape: Tuple[int, ...]) -> Tuple[_Doubles, _Doubles]: ...
def geodetic_to_grid_one(latitude: float, longitude: float) -> Tuple[float, float, int]: ...
def grid_to_geodetic_one(x: float, y: float) -> Tuple[float, float]: ...
