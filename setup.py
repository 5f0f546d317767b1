# The Python package's extension module, built from the projection library's own sources: the same
# formulas, compiled with the same rules of arithmetic (no fused multiply-adds, which some processors'
# compilers use by default, no fast-math). Everything else about the package is in pyproject.toml;
# install it with `pip install --no-build-isolation .` (see the README).
from glob import glob

from pybind11.setup_helpers import Pybind11Extension
from setuptools import setup

setup(
    ext_modules=[
        Pybind11Extension(
            "zelmor._zelmor",
            sources=["python/src/binding.cpp"] + sorted(glob("projection/*.cpp")),
            include_dirs=["projection/include"],
            cxx_std=20,
            extra_compile_args=["-ffp-contract=off", "-fno-fast-math"],
        )
    ],
    # Kept apart from the CMake build trees.
    options={"build": {"build_base": "build-python"}, "egg_info": {"egg_base": "build-python"}},
)
