"""`python -m zelmor`: the versions of the package, of the projection library built into it and of
numpy, and where they are, for a report of a problem."""

import platform
import sys

import numpy as np

import zelmor
from zelmor import _zelmor


def main() -> None:
    """Prints one line for each part, name first."""
    print(f"zelmor {zelmor.__version__} ({zelmor.__file__.rsplit('/', 1)[0]})")
    print(f"projection library {_zelmor.__version__} (in {_zelmor.__file__})")
    print(f"numpy {np.__version__}")
    print(f"python {platform.python_version()} ({sys.executable}, {platform.machine()})")


if __name__ == "__main__":
    main()
