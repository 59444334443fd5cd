#!/usr/bin/python3
"""bench_fleet: one control machine configuring many access points on serial
device servers. N simulated access points, each behind a ser2net RFC 2217
port on 127.0.0.1; the README's play over them (delegate_to: localhost),
run with forks 10 and, on fresh access points, with forks 1; then again with
forks 10, which must change nothing. Prints "result:" lines for bench/run.

    bench/fleet_play.py BIN [--servers N]    BIN: the folder holding apctl and apsim
"""
import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "cli"))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "ansible"))

# Three paired devices each, of which the play keeps two.
DEVICES = ["da71137d001a", "8b12c4705cf3", "36e09fa52811"]
SCANNERS = ["00:1A:7D:DA:71:13", "5C:F3:70:8B:12:C4"]


def result(measure, measured, target, met):
    print("result: %s|%s|%s|%s" % (measure, measured, target, "-" if met is None else ("PASS" if met else "FAIL")))


class Fleet:
    """N access points behind N ser2net ports, and the files of the play."""

    def __init__(self, count, folder):
        from apsim_device import Device
        from ser2net_front import Ser2netFront
        self.devices, self.fronts = [], []
        hosts = {}
        for n in range(count):
            device = Device(devices=DEVICES)
            front = Ser2netFront(device.path)
            self.devices.append(device)
            self.fronts.append(front)
            hosts["ds-%02d" % (n + 1)] = {"ap_port": front.address, "ap_name": "Bay %d" % (n + 1)}
        self.inventory = os.path.join(folder, "servers.yml")
        with open(self.inventory, "w") as out:
            json.dump({"access_points": {"hosts": hosts, "vars": {"ap_scanners": SCANNERS}}}, out)

    def stop(self):
        for front in self.fronts:
            front.stop()
        for device in self.devices:
            device.stop()


def write_play(folder, apctl):
    path = os.path.join(folder, "servers_play.yml")
    task = {"name": "Name each access point and keep only the scanners paired",
            "apconfig.access_point.access_point": {"port": "{{ ap_port }}", "name": "{{ ap_name }}",
                                                   "paired_only": "{{ ap_scanners }}", "apctl_path": apctl},
            "delegate_to": "localhost", "environment": {"LC_ALL": "C.UTF-8"}}
    with open(path, "w") as out:
        json.dump([{"hosts": "access_points", "gather_facts": False, "tasks": [task]}], out)
    return path


def run_play(env, fleet, play, forks):
    start = time.monotonic()
    run = subprocess.run(["ansible-playbook", "-i", fleet.inventory, play, "-f", str(forks)], env=env,
                         capture_output=True, text=True, timeout=1800)
    seconds = time.monotonic() - start
    recap = run.stdout.rsplit("PLAY RECAP", 1)[-1]
    changed = sum(int(n) for n in re.findall(r"changed=(\d+)", recap))
    failed = sum(int(n) for n in re.findall(r"failed=(\d+)", recap))
    if failed or run.returncode != 0:
        sys.stderr.write(run.stdout + run.stderr)
    return seconds, changed, failed


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("bin")
    parser.add_argument("--servers", type=int, default=20)
    args = parser.parse_args()
    args.bin = os.path.abspath(args.bin)
    os.environ["APCONFIG_BIN"] = args.bin
    home = tempfile.mkdtemp(prefix="bench-fleet.")
    env = dict(os.environ, ANSIBLE_HOME=home, ANSIBLE_CONFIG=os.path.join(home, "ansible.cfg"),
               ANSIBLE_LOCAL_TEMP=os.path.join(home, "tmp"), ANSIBLE_COLLECTIONS_PATH=os.path.join(home, "col"),
               ANSIBLE_COLLECTIONS_SCAN_SYS_PATH="false", ANSIBLE_NOCOLOR="1", ANSIBLE_RETRY_FILES_ENABLED="0",
               ANSIBLE_HOST_KEY_CHECKING="0", LC_ALL="C.UTF-8")
    open(env["ANSIBLE_CONFIG"], "w").close()
    try:
        for step in (["build", os.path.join(HERE, "..", "ansible"), "--output-path", home],
                     ["install", os.path.join(home, "apconfig-access_point-0.1.0.tar.gz"), "-p",
                      env["ANSIBLE_COLLECTIONS_PATH"]]):
            subprocess.run(["ansible-galaxy", "collection"] + step, env=env, check=True, capture_output=True)
        play = write_play(home, os.path.join(args.bin, "apctl"))
        n = args.servers
        times = {}
        for forks in (10, 1):
            sys.stderr.write("bench_fleet: %d access points behind ser2net, forks %d\n" % (n, forks))
            fleet = Fleet(n, home)
            try:
                seconds, changed, failed = run_play(env, fleet, play, forks)
                times[forks] = seconds
                result("play over %d RFC 2217 ports, forks %d" % (n, forks),
                       "%.1f s, changed=%d failed=%d" % (seconds, changed, failed), "every server changed",
                       changed == n and failed == 0)
                if forks == 10:
                    _, changed, failed = run_play(env, fleet, play, forks)
                    result("second run, forks 10", "changed=%d failed=%d" % (changed, failed), "changed=0",
                           changed == 0 and failed == 0)
            finally:
                fleet.stop()
        result("forks 1 / forks 10 wall time", "%.1f / %.1f s = %.1fx" % (times[1], times[10], times[1] / times[10]),
               "-", None)
    finally:
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    main()
