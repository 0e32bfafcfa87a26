#!/usr/bin/python3
"""Works through the fault model as an attacker would, for a bounded time: random pairs of
concurrent writers of one target, signals at random moments and rewrites of the input during the
conversion, on the rename path (a target with one link) and on the in-place path (a target with a
second hard link). After every round each target must hold its old content or one whole drawing,
its link the same, and no temporary file may be left; after a SIGKILL a temporary file is
allowed only in the moment between naming it and renaming it over the target (counted apart). Prints its counts; exits 1 on the first round that breaks a rule.

    campaign.py BATCH WORKDIR [SECONDS]
"""
import os
import random
import shutil
import signal
import subprocess
import sys
import time

BATCH, WORK = sys.argv[1], sys.argv[2]
SECONDS = float(sys.argv[3]) if len(sys.argv) > 3 else 60.0
SIZES = ("100", "200")  # the two writers' --symbol-size: two different whole drawings


def survey(path, easting):
    with open(path, "w", newline="") as out:
        out.write("[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n[Points]\r\n")
        for i in range(60000):
            out.write(f"PID={i};E={easting + i % 9973:.3f};N={1200000 + i % 7919:.3f};HO={430 + i % 97:.3f};"
                      "GROUP=TREE;CODE=OAK;PCLASS=MEAS\r\n")


def run(args, **kwargs):
    return subprocess.Popen([BATCH, "-q", *args], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, **kwargs)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def fail(round_no, text):
    print(f"FAIL in round {round_no}: {text}", file=sys.stderr)
    sys.exit(1)


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    old_input, new_input = os.path.join(WORK, "old.frt"), os.path.join(WORK, "new.frt")
    survey(old_input, 2600000)
    survey(new_input, 2700000)
    drawings = {}
    took = 0.0
    for source in (old_input, new_input):
        for size in SIZES:
            reference = os.path.join(WORK, "reference.dxf")
            start = time.monotonic()
            subprocess.run([BATCH, "-q", "--symbol-size", size, "-o", reference, source], check=True)
            took = max(took, time.monotonic() - start)
            survey_name = "rewritten" if source == new_input else "first"
            drawings[read(reference)] = f"the drawing of the {survey_name} survey, symbol size {size}"
            os.remove(reference)
    # Attacks land anywhere from the start to a little after the end of a run.
    window = took * 1.2
    old_content = b"the old drawing\r\n"
    counts = {}
    round_no = 0
    deadline = time.monotonic() + SECONDS
    rng = random.Random(int(os.environ.get("CAMPAIGN_SEED", "0")) or None)
    while time.monotonic() < deadline:
        round_no += 1
        path = "in-place" if rng.random() < 0.5 else "rename"
        attack = rng.choice(("two writers", "signal", "rewrite"))
        folder = os.path.join(WORK, f"round{round_no}")
        os.makedirs(folder)
        target = os.path.join(folder, "out.dxf")
        with open(target, "wb") as f:
            f.write(old_content)
        if path == "in-place":
            os.link(target, os.path.join(folder, "link.dxf"))
        source = os.path.join(folder, "survey.frt")
        shutil.copyfile(old_input, source)
        env = dict(os.environ, TMPDIR=folder)
        killed = False
        if attack == "two writers":
            first = run(["--symbol-size", SIZES[0], "-o", target, source], env=env)
            time.sleep(rng.uniform(0, window / 2))
            second = run(["--symbol-size", SIZES[1], "-o", target, source], env=env)
            for p in (first, second):
                _, err = p.communicate()
                if p.returncode != 0:
                    fail(round_no, f"a writer failed: {err.decode(errors='replace')}")
        elif attack == "signal":
            # SIGKILL cannot be caught: on the in-place path it may cut the copy itself (the fault
            # model's known gap), so it is sent only on the rename path.
            names = ["SIGINT", "SIGTERM", "SIGHUP"] + (["SIGKILL"] if path == "rename" else [])
            name = rng.choice(names)
            attack += " " + name
            p = run(["--symbol-size", SIZES[0], "-o", target, source], env=env)
            time.sleep(rng.uniform(0, window))
            p.send_signal(getattr(signal, name))
            p.communicate()
            killed = name == "SIGKILL" and p.returncode == -signal.SIGKILL
        else:
            p = run(["--symbol-size", SIZES[0], "-o", target, source], env=env)
            time.sleep(rng.uniform(0, window))
            with open(new_input, "rb") as new, open(source, "r+b") as old:
                old.write(new.read())
                old.truncate()
            _, err = p.communicate()
            if p.returncode not in (0, 1):
                fail(round_no, f"exit {p.returncode}: {err.decode(errors='replace')}")
            if p.returncode == 1 and b"was changed while it was converted" not in err:
                fail(round_no, f"failed for another reason: {err.decode(errors='replace')}")
        result = read(target)
        if result != old_content and result not in drawings:
            fail(round_no, f"{path}, {attack}: the target holds neither its old content nor one whole drawing")
        if path == "in-place" and read(os.path.join(folder, "link.dxf")) != result:
            fail(round_no, f"{path}, {attack}: the link differs from the target")
        left = sorted(n for n in os.listdir(folder) if n not in ("out.dxf", "link.dxf", "survey.frt"))
        if left and not killed:
            fail(round_no, f"{path}, {attack}: left behind: {left}")
        outcome = "old content" if result == old_content else drawings[result]
        key = f"{path}, {attack}: {outcome}" + (f", {len(left)} left by the kill" if left else "")
        counts[key] = counts.get(key, 0) + 1
        shutil.rmtree(folder)
    print(f"one conversion takes {took:.2f} s; attacks within {window:.2f} s of its start")
    for key in sorted(counts):
        print(f"{counts[key]:5d}  {key}")
    print(f"{round_no} rounds in {SECONDS:.0f} s: every target held its old content or one whole drawing")


main()
