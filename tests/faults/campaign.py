#!/usr/bin/python3
"""Works through the fault model as an attacker would, for a bounded time: random pairs of
concurrent writers of one target, signals at random moments and rewrites of the input during the
conversion, on the rename path (a target with one link) and on the in-place path (a target with a
second hard link), and a writer of the target that takes no lock. Half the attacks are aimed at the
end of a run, where the drawing is copied in place. After every round the exit status must match
what the target holds: exit 0 means the run's whole drawing is there (or, after a writer that takes
no lock, that writer's content: never a mix); a run stopped by a signal leaves the old content or
the whole drawing; a run that was refused leaves the old content. The link always matches the
target. Nothing may be left but, after a SIGKILL, the whole temporary drawing named in the moment
before its rename, or the drawing kept beside a target another program wrote into. Prints the
counts by attack and by outcome; exits 1 on the first round that breaks a rule.

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
    # Attacks land anywhere from the start to a little after the end of a run, or, aimed, in its
    # last fifth, where a drawing is copied into a target that has another link.
    window = took * 1.2
    old_content = b"the old drawing\r\n"
    foreign = b"written by another program that takes no lock\r\n"
    counts = {}
    outcomes = {}
    round_no = 0
    deadline = time.monotonic() + SECONDS
    rng = random.Random(int(os.environ.get("CAMPAIGN_SEED", "0")) or None)
    first_drawing = {d for d, name in drawings.items() if "first" in name and SIZES[0] in name}
    both_sizes = {d for d, name in drawings.items() if "first" in name}

    def moment():
        return rng.uniform(0.8 * took, 1.1 * took) if rng.random() < 0.5 else rng.uniform(0, window)

    def temporaries(folder):
        return sorted(n for n in os.listdir(folder) if n.startswith(".out.dxf.") and n.endswith(".tmp"))

    while time.monotonic() < deadline:
        round_no += 1
        path = "in-place" if rng.random() < 0.5 else "rename"
        attack = rng.choice(("two writers", "signal", "rewrite", "no-lock writer"))
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
        # What the target may hold after the round, and what may be left beside it.
        allowed = {old_content} | set(drawings)
        may_leave = False
        kept_whole = False
        if attack == "two writers":
            first = run(["--symbol-size", SIZES[0], "-o", target, source], env=env)
            time.sleep(rng.uniform(0, window / 2))
            second = run(["--symbol-size", SIZES[1], "-o", target, source], env=env)
            for p in (first, second):
                _, err = p.communicate()
                if p.returncode != 0:
                    fail(round_no, f"a writer failed: {err.decode(errors='replace')}")
            status = 0
            allowed = both_sizes  # both said done: one of their drawings, whole
        elif attack == "signal":
            # SIGKILL cannot be caught: on the in-place path it may cut the copy itself (the fault
            # model's known gap), so it is sent only on the rename path.
            names = ["SIGINT", "SIGTERM", "SIGHUP"] + (["SIGKILL"] if path == "rename" else [])
            name = rng.choice(names)
            attack += " " + name
            p = run(["--symbol-size", SIZES[0], "-o", target, source], env=env)
            time.sleep(moment())
            p.send_signal(getattr(signal, name))
            _, err = p.communicate()
            status = p.returncode
            if status == 0:
                allowed = first_drawing  # done before the signal came: the drawing is there
            elif status in (-getattr(signal, name), 128 + getattr(signal, name)):
                allowed = {old_content} | first_drawing
                may_leave = name == "SIGKILL"
            else:
                fail(round_no, f"{attack}: exit {status}: {err.decode(errors='replace')}")
        elif attack == "rewrite":
            p = run(["--symbol-size", SIZES[0], "-o", target, source], env=env)
            time.sleep(moment())
            with open(new_input, "rb") as new, open(source, "r+b") as old:
                old.write(new.read())
                old.truncate()
            _, err = p.communicate()
            status = p.returncode
            if status == 0:
                allowed = {d for d, name in drawings.items() if SIZES[0] in name}
            elif status == 1 and b"was changed while it was converted" in err:
                allowed = {old_content}
            else:
                fail(round_no, f"{attack}: exit {status}: {err.decode(errors='replace')}")
        else:
            # Another program writes the target without asking for its lock.
            p = run(["--symbol-size", SIZES[0], "-o", target, source], env=env)
            time.sleep(moment())
            with open(target, "r+b") as other:
                other.write(foreign)
                other.truncate()
            _, err = p.communicate()
            status = p.returncode
            if status == 0:
                # Its write came before the copy, or after the run: never a mix.
                allowed = first_drawing | {foreign}
            elif status == 1 and b"another program wrote into the file while the drawing was copied" in err:
                allowed = None  # the other program's doing; the whole drawing is kept beside it
                kept_whole = True
            else:
                fail(round_no, f"{attack}: exit {status}: {err.decode(errors='replace')}")
        result = read(target)
        if allowed is not None and result not in allowed:
            fail(round_no, f"{path}, {attack}, exit {status}: the target holds "
                           f"{'the old content' if result == old_content else 'something else'}, "
                           "not what the exit status says")
        if path == "in-place" and read(os.path.join(folder, "link.dxf")) != result:
            fail(round_no, f"{path}, {attack}: the link differs from the target")
        left = temporaries(folder)
        others = sorted(n for n in os.listdir(folder)
                        if n not in ("out.dxf", "link.dxf", "survey.frt") and n not in left)
        if others or (left and not (may_leave or kept_whole)) or len(left) > 1:
            fail(round_no, f"{path}, {attack}, exit {status}: left behind: {others + left}")
        if kept_whole and (not left or read(os.path.join(folder, left[0])) not in first_drawing):
            fail(round_no, f"{path}, {attack}: the drawing said kept is not there whole")
        if left and may_leave and read(os.path.join(folder, left[0])) not in first_drawing:
            fail(round_no, f"{path}, {attack}: a kill left a temporary file that is no whole drawing")
        outcome = ("old content" if result == old_content else "the other program's content"
                   if result == foreign else drawings.get(result, "a mix the other program made"))
        if kept_whole:
            outcome += ", the drawing kept beside"
        elif left:
            outcome += ", a whole temporary drawing left by the kill"
        key = f"{path}, {attack}, exit {status}: {outcome}"
        counts[key] = counts.get(key, 0) + 1
        summary = f"exit {'0' if status == 0 else 'non-zero'}: {outcome.split(',')[0]}"
        outcomes[summary] = outcomes.get(summary, 0) + 1
        shutil.rmtree(folder)
    print(f"one conversion takes {took:.2f} s; attacks within {window:.2f} s of its start, half of them "
          "aimed at its last fifth")
    for key in sorted(counts):
        print(f"{counts[key]:5d}  {key}")
    print("by outcome:")
    for key in sorted(outcomes):
        print(f"{outcomes[key]:5d}  {key}")
    print(f"{round_no} rounds in {SECONDS:.0f} s: every exit status matched what its target held")


main()
