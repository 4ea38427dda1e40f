#!/usr/bin/env python3
"""Every C++ source is named in its folder's CMakeLists.txt, and no CMake file lists sources by pattern.

With explicit source lists a new file that nobody adds to the list is silently not built: a forgotten
test file means tests that never run while the suite stays green. This check makes that loud.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(sys.argv[1])
FOLDERS = ["src", "tests", "bench", "tools"]


def cmake_files():
    yield ROOT / "CMakeLists.txt"
    for top in ["cmake"] + FOLDERS:
        for path in (ROOT / top).rglob("*"):
            if path.name == "CMakeLists.txt" or path.suffix == ".cmake":
                yield path


def main():
    faults = []
    for path in cmake_files():
        text = path.read_text(encoding="utf-8")
        if re.search(r"file\s*\(\s*GLOB", text, re.IGNORECASE):
            faults.append(f"{path.relative_to(ROOT)}: lists files by pattern (file(GLOB))")
        for included in re.findall(r"^\s*include\s*\(\s*([^)\s]+\.cmake)", text, re.MULTILINE):
            faults.append(f"{path.relative_to(ROOT)}: includes the fragment {included}; "
                          "declare the targets in the folder's CMakeLists.txt")
    for top in FOLDERS:
        for source in sorted((ROOT / top).rglob("*.cpp")):
            lists = source.parent / "CMakeLists.txt"
            names = set()
            if lists.exists():
                names = set(re.findall(r"[\w./-]+\.cpp\b", lists.read_text(encoding="utf-8")))
                names = {pathlib.PurePosixPath(name).name for name in names}
            if source.name not in names:
                faults.append(f"{source.relative_to(ROOT)} is not named in {lists.relative_to(ROOT)}")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
