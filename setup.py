# The Python package's extension module, built by CMake as the target zelmor_python of the project
# (python/CMakeLists.txt), the one description of its build: the projection library's own sources and
# rules of arithmetic (no fused multiply-adds, no fast-math), so that pip's module gives the library's
# bits. Everything else about the package is in pyproject.toml; install it with
# `pip install --no-build-isolation .` (see docs/python.md), which needs cmake and pybind11-dev.
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent
# Kept apart from the CMake build trees a developer makes; made here, since setuptools writes into it
# before it would make it itself (a fresh clone's sdist failed on it).
BUILD = ROOT / "build-python"
BUILD.mkdir(exist_ok=True)


class BuiltByCMake(build_ext):
    """Builds each extension as CMake's target of the same module, for this interpreter."""

    def build_extension(self, extension):
        tree = BUILD / "cmake"
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(tree), "-DCMAKE_BUILD_TYPE=Release",
                        "-DZELMOR_BUILD_TESTS=OFF", "-DZELMOR_BUILD_PYTHON=ON",
                        f"-DPython3_EXECUTABLE={sys.executable}"], check=True)
        subprocess.run(["cmake", "--build", str(tree), "--target", "zelmor_python", "-j2"], check=True)
        target = Path(self.get_ext_fullpath(extension.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(tree / "python" / "zelmor" / target.name, target)


setup(
    ext_modules=[Extension("zelmor._zelmor", sources=[])],
    cmdclass={"build_ext": BuiltByCMake},
    options={"build": {"build_base": str(BUILD)}, "egg_info": {"egg_base": str(BUILD)}},
)
