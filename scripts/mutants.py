#!/usr/bin/env python3
"""Plants each fault of tests/mutants.txt, one at a time, into a copy of the tree, rebuilds it
incrementally and runs the test suite: a fault the suite fails on is killed, one it passes
survived. See scripts/mutants.sh for the options."""
import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
NO_BATCHES = """
function(rastel_no_batches dir)
  get_property(targets DIRECTORY "${dir}" PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    set_property(TARGET ${target} PROPERTY UNITY_BUILD OFF)
  endforeach()
  get_property(subdirs DIRECTORY "${dir}" PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    rastel_no_batches("${sub}")
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY "${CMAKE_SOURCE_DIR}" CALL rastel_no_batches "${CMAKE_SOURCE_DIR}/src")
"""
KEYS = ("file", "find", "replace", "seen", "tests")


def parse(path):
    """Blocks separated by blank lines, of `key: value` lines; '#' starts a comment line. In
    find and replace, \\n stands for a line break and \\\\ for a backslash."""
    entries, block, line_no = [], {}, 0

    def close():
        if block:
            missing = [k for k in ("file", "find", "replace", "seen") if k not in block]
            if missing:
                sys.exit(f"{path}:{block['line']}: missing {', '.join(missing)}")
            entries.append(dict(block))
            block.clear()

    with open(path, encoding="utf-8") as f:
        for line_no, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if not line.strip():
                close()
                continue
            if line.startswith("#"):
                continue
            key, sep, value = line.partition(":")
            if not sep or key not in KEYS or key in block:
                sys.exit(f"{path}:{line_no}: expected one of {', '.join(KEYS)}, once each")
            value = value[1:] if value.startswith(" ") else value
            if key in ("find", "replace"):
                value = re.sub(r"\\(.)", lambda m: "\n" if m.group(1) == "n" else m.group(1), value)
            block.setdefault("line", line_no)
            block[key] = value
    close()
    return entries


def tracked_files():
    out = subprocess.run(["git", "ls-files", "-co", "--exclude-standard", "-z"], cwd=ROOT,
                         check=True, capture_output=True).stdout
    return [p for p in out.decode().split("\0") if p and os.path.isfile(os.path.join(ROOT, p))]


def sync(tree):
    """Copies the files that differ, so that the copy's build sees only real changes."""
    files = tracked_files()
    for rel in files:
        src, dst = os.path.join(ROOT, rel), os.path.join(tree, rel)
        with open(src, "rb") as f:
            data = f.read()
        if os.path.exists(dst):
            with open(dst, "rb") as f:
                if f.read() == data:
                    continue
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        # A fresh time, not the source's: an object built since must still count as older.
        shutil.copy(src, dst)
    keep = set(files)
    for dirpath, _, names in os.walk(tree):
        for name in names:
            rel = os.path.relpath(os.path.join(dirpath, name), tree)
            if rel not in keep:
                os.remove(os.path.join(dirpath, name))


def run(cmd, log, timeout=None):
    with open(log, "ab") as out:
        out.write(("\n$ " + " ".join(cmd) + "\n").encode())
        out.flush()
        try:
            return subprocess.run(cmd, stdout=out, stderr=subprocess.STDOUT,
                                  timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            return -1


def stop(signum, frame):
    raise KeyboardInterrupt  # so that the planted fault is taken out again


def main():
    signal.signal(signal.SIGTERM, stop)
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("only", nargs="*", type=int, help="entry numbers to run (default: all)")
    ap.add_argument("--list", default=os.path.join(ROOT, "tests", "mutants.txt"))
    ap.add_argument("--work", default=os.path.join(ROOT, "build-mutants"))
    ap.add_argument("--all-tests", action="store_true",
                    help="run the whole suite for every fault, ignoring each entry's tests:")
    ap.add_argument("--exclude", default="",
                    help="a ctest -E pattern: tests left out, to see what else kills each fault")
    ap.add_argument("--who", action="store_true",
                    help="run every test, not up to the first failure, and name those that failed")
    ap.add_argument("--timeout", type=int, default=120, help="seconds per test")
    ap.add_argument("--no-baseline", action="store_true",
                    help="skip the run of the suite on the unchanged copy")
    ap.add_argument("--check", action="store_true", help="only check that every fault applies")
    args = ap.parse_args()

    entries = parse(args.list)
    bad, refused = [], set()
    for n, e in enumerate(entries, 1):
        path = os.path.join(ROOT, e["file"])
        text = open(path, encoding="utf-8").read() if os.path.isfile(path) else ""
        count = text.count(e["find"])
        if count != 1 or e["find"] == e["replace"]:
            refused.add(n)
            bad.append(f"  {n} ({args.list}:{e['line']}): {e['file']}: the text occurs "
                       f"{count} times" + (" and is unchanged" if count == 1 else ""))
    if bad:
        print("refused, their text does not occur exactly once:\n" + "\n".join(bad))
    else:
        print(f"{len(entries)} faults, each applies once")
    if args.check:
        return 1 if bad else 0

    tree, build = os.path.join(args.work, "tree"), os.path.join(args.work, "build")
    log = os.path.join(args.work, "log.txt")
    os.makedirs(tree, exist_ok=True)
    open(log, "w").close()
    sync(tree)
    jobs = os.environ.get("RASTEL_JOBS", "1")
    test_jobs = os.environ.get("RASTEL_TEST_JOBS", jobs)
    failed_log = os.path.join(build, "Testing", "Temporary", "LastTestsFailed.log")
    if not os.path.exists(os.path.join(build, "build.ninja")):
        # One compile per source of src/, so that a fault rebuilds one file, not a whole batch;
        # the tests keep their batches.
        hook = os.path.join(args.work, "one-compile-per-source.cmake")
        with open(hook, "w") as f:
            f.write(NO_BATCHES)
        options = ["-DCMAKE_PROJECT_INCLUDE=" + hook, "-DRASTEL_BENCH=OFF"]
        if shutil.which("ccache"):
            options.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
        if run(["cmake", "-S", tree, "-B", build, "-G", "Ninja"] + options, log) != 0:
            sys.exit(f"the copy does not configure: see {log}")
    build_cmd = ["cmake", "--build", build, "-j", jobs]
    if run(build_cmd, log) != 0:
        sys.exit(f"the unchanged copy does not build: see {log}")

    def suite(pattern):
        cmd = ["ctest", "--test-dir", build, "-j", test_jobs, "--timeout", str(args.timeout),
               "--output-on-failure"] + ([] if args.who else ["--stop-on-failure"])
        if os.path.exists(failed_log):
            os.remove(failed_log)
        cmd += ["-R", pattern] if pattern else []
        return run(cmd + (["-E", args.exclude] if args.exclude else []), log)

    if not args.no_baseline and suite("") != 0:
        sys.exit(f"the unchanged copy fails its tests: see {log}")

    chosen = args.only or range(1, len(entries) + 1)
    killed = 0
    for n in chosen:
        e = entries[n - 1]
        if n in refused:
            print(f"{n:3} {'refused':11} {e['file']}: {e['seen']}", flush=True)
            continue
        path = os.path.join(tree, e["file"])
        with open(path, encoding="utf-8") as f:
            original = f.read()
        start, who = time.time(), []
        try:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original.replace(e["find"], e["replace"], 1))
            pattern = "" if args.all_tests else e.get("tests", "")
            if run(build_cmd, log) != 0:
                verdict = "unbuildable"
            else:
                verdict = "killed" if suite(pattern) != 0 else "survived"
                if args.who and os.path.exists(failed_log):
                    who = [line.strip().split(":", 1)[-1] for line in open(failed_log)]
        finally:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original)
        killed += verdict == "killed"
        print(f"{n:3} {verdict:11} {e['file']}: {e['seen']} ({time.time() - start:.0f} s)",
              flush=True)
        if who:
            print("      by " + " ".join(who), flush=True)
    print(f"killed {killed} of {len(chosen)}")
    return 0 if killed == len(chosen) else 1


if __name__ == "__main__":
    sys.exit(main())
