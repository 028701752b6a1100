#!/usr/bin/env python3
"""Checks the tags that vistrel-info reads from real camera files against the values that an
independent, long-established metadata tool reads from the same files.

Usage: corpus_tags_test.py VISTREL_INFO CORPUS_DIR

Every tag we report that the expected values hold must agree: integers equal, rationals within
1e-6 of the expected decimal, texts equal after trailing NULs and blanks are trimmed. The other
tool prints a few tags in a converted form (APEX values as seconds and f-numbers, GPS positions
as decimal degrees, the user comment without its character-code prefix, binary values without
NUL bytes); those are converted the same way before comparing. Files and tags that our reader
refuses by design are listed in EXPECTED_DIFFERENCES with the rule that explains them. Exits 77
(skipped) when the corpus is absent.
"""
import json
import math
import os
import subprocess
import sys

MAPS = {"IFD0": "primary", "ExifIFD": "exif", "InteropIFD": "interop", "GPS": "gps", "MakerNote": "makerNote"}
EXTENSIONS = (".jpg", ".jpeg", ".tif", ".tiff", ".raf")
# Tags the expected values name that we must report too.
REQUIRED = [("primary", 0x010F), ("primary", 0x0110), ("exif", 0x9003), ("exif", 0x829A),
            ("exif", 0x829D), ("makerNote", 0x1000)]

# (file, map, tag or None for the whole file) -> the rule of our reader that explains why it
# disagrees with the other tool. Empty: every file the other tool reads, we read alike.
EXPECTED_DIFFERENCES = {
}


def apex_seconds(value):
    return 1.0 / (2.0 ** value)


def apex_f_number(value):
    return 2.0 ** (value / 2.0)


def degrees(values):
    return [values[0] + values[1] / 60.0 + values[2] / 3600.0] if len(values) == 3 else values


# The other tool's printed form of some tags: (map, tag) -> conversion of our decimal values.
NUMERIC_FORMS = {
    ("exif", 0x9201): lambda v: [apex_seconds(x) for x in v],
    ("exif", 0x9202): lambda v: [apex_f_number(x) for x in v],
    ("exif", 0x9205): lambda v: [apex_f_number(x) for x in v],
    ("gps", 0x0002): degrees,
    ("gps", 0x0004): degrees,
    ("gps", 0x0014): degrees,
    ("gps", 0x0016): degrees,
}


def binary_as_printed(data, tag):
    if tag == 0x9286 and len(data) >= 8:
        data = data[8:]  # the character code ("ASCII\0\0\0") is shown apart
    text = "".join("?" if b >= 0x80 else chr(b) for b in data if b != 0)
    return text.rstrip(" ")


def our_value(m, entry):
    kind, value, tag = entry["type"], entry["value"], int(entry["tag"], 16)
    if kind == 2:
        return "text", str(value).rstrip("\0 ")
    if kind == 7:
        return "text", binary_as_printed(bytes.fromhex(value), tag)
    if kind in (5, 10):
        numbers = [a / b if b else float("nan") for a, b in value]
    elif kind in (1, 3, 4, 6, 8, 9, 11, 12):
        numbers = [float(x) for x in value]
    else:
        return "skip", None
    convert = NUMERIC_FORMS.get((m, tag))
    return "num", convert(numbers) if convert else numbers


def expected_numbers(value):
    if isinstance(value, (int, float)):
        return [float(value)]
    if isinstance(value, str):
        try:
            return [float(x) for x in value.split()]
        except ValueError:
            return None
    return None


def close(a, b):
    return abs(a - b) <= 1e-6 * max(1.0, abs(b)) or (math.isnan(a) and math.isnan(b))


def compare_file(name, result, expected):
    wanted = {}
    for key, entry in expected.items():
        group = key.split(":")[0]
        if group in MAPS and isinstance(entry, dict) and str(entry.get("id", "")).startswith("0x"):
            wanted[(MAPS[group], int(entry["id"], 16))] = entry["val"]
    if not wanted:
        return 0, []
    if result.get("error") is not None:
        return 1, [f"{name}: error {result['error']} although the other tool reads tags"]
    tags = result.get("tags", {})
    compared, problems = 0, []
    for m, tag in REQUIRED:
        if (m, tag) in wanted and not any(int(e["tag"], 16) == tag for e in tags.get(m, [])):
            compared += 1
            problems.append(f"{name}: {m} 0x{tag:04x} not reported")
    for m, entries in tags.items():
        for entry in entries:
            key = (m, int(entry["tag"], 16))
            if key not in wanted:
                continue
            kind, ours = our_value(m, entry)
            want = wanted[key]
            if kind == "text":
                if not isinstance(want, str) or want == "(binary)":
                    continue
                compared += 1
                if ours != want.rstrip("\0 "):
                    problems.append(f"{name}: {m} 0x{key[1]:04x} {ours!r} != {want!r}")
            elif kind == "num":
                numbers = expected_numbers(want)
                if numbers is None:
                    continue
                compared += 1
                if len(numbers) != len(ours) or not all(close(a, b) for a, b in zip(ours, numbers)):
                    problems.append(f"{name}: {m} 0x{key[1]:04x} {ours} != {want!r}")
    return compared, problems


def explained(problem):
    name, _, rest = problem.partition(": ")
    parts = rest.split()
    if (name, None, None) in EXPECTED_DIFFERENCES:
        return True
    if len(parts) >= 2 and parts[1].startswith("0x"):
        return (name, parts[0], int(parts[1], 16)) in EXPECTED_DIFFERENCES
    return False


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    info, root = sys.argv[1], os.path.abspath(sys.argv[2])
    if not os.path.isdir(root):
        print(f"skipped: no camera corpus at {root}")
        return 77
    files = []
    for folder, _, names in os.walk(root):
        if os.path.relpath(folder, root).split(os.sep)[0] == "expected":
            continue
        files += [os.path.join(folder, n) for n in sorted(names) if n.lower().endswith(EXTENSIONS)]
    run = subprocess.run([info, "--json"] + sorted(files), capture_output=True, timeout=600)
    results = json.loads(run.stdout)
    if len(results) != len(files):
        print(f"vistrel-info reported {len(results)} of {len(files)} files")
        return 1
    compared, problems = 0, []
    for result in results:
        name = os.path.relpath(result["path"], root)
        expected_path = os.path.join(root, "expected", name + ".json")
        if not os.path.exists(expected_path):
            continue
        with open(expected_path) as stream:
            n, p = compare_file(name, result, json.load(stream))
        compared += n
        problems += p
    unexplained = [p for p in problems if not explained(p)]
    for p in unexplained:
        print(p)
    print(f"compared {compared} values of {len(files)} files; {len(problems) - len(unexplained)} "
          f"explained differences, {len(unexplained)} unexplained")
    return 0 if compared > 0 and not unexplained else 1


if __name__ == "__main__":
    sys.exit(main())
