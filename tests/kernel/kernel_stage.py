#!/usr/bin/env python3
"""Boots Debian's own kernel under QEMU with an emulated FTDI USB adapter whose line is the simulated
unit on a host pseudo-terminal, and runs q42ctl's steps in the guest against the kernel's ftdi_sio.

  tests/kernel/kernel_stage.py --bin build-ci/bin --work build-ci/kernel [--capture DIR]

The guest's root is a busybox initramfs; the host's filesystem is shared read-only over 9p and the
host's /usr and this checkout are mounted from it, so the guest runs the programs CI built.
Exit status 0 when every step printed what it should."""

import argparse
import glob
import gzip
import json
import lzma
import os
import re
import shutil
import socket
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
TREE = os.path.dirname(os.path.dirname(HERE))
MODULES = ["virtio_pci", "9pnet_virtio", "9p", "uhci_hcd", "ehci_pci", "usbserial", "ftdi_sio"]
USB_SERIAL = "Q42KERNEL1"


def log(text):
    print(f"kernel-stage: {text}", flush=True)


def fetch_kernel(work):
    """Debian's current kernel package, downloaded once and unpacked, never installed."""
    found = glob.glob(os.path.join(work, "k", "boot", "vmlinuz-*"))
    if found:
        return found[0]
    os.makedirs(work, exist_ok=True)
    for attempt in range(2):
        deps = subprocess.run(["apt-cache", "depends", "linux-image-amd64"], capture_output=True, text=True).stdout
        found = re.search(r"Depends: (linux-image-[0-9][^\s]*)", deps)
        if found and subprocess.run(["apt-get", "download", found.group(1)], cwd=work, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL).returncode == 0:
            break
        if attempt == 0:
            log("the package lists do not lead to a kernel package; apt-get update")
            subprocess.run(["apt-get", "update", "-qq"], check=False)
    else:
        raise SystemExit("kernel-stage: Debian's kernel package could not be downloaded")
    package = found.group(1)
    deb = glob.glob(os.path.join(work, package + "_*.deb"))[0]
    subprocess.run(["dpkg-deb", "-x", deb, os.path.join(work, "k")], check=True)
    os.remove(deb)
    return glob.glob(os.path.join(work, "k", "boot", "vmlinuz-*"))[0]


# Debian 12's kernel keeps plain modules under /lib, Debian 13's xz-compressed ones under /usr/lib.
MODULE_SUFFIXES = {".ko": lambda data: data, ".ko.xz": lzma.decompress, ".ko.gz": gzip.decompress}


def module_name(path):
    base = os.path.basename(path)
    return base[:base.index(".ko")].replace("-", "_")


def module_files(modroot):
    files = {}
    for suffix in MODULE_SUFFIXES:
        for path in glob.glob(os.path.join(modroot, "kernel", "**", "*" + suffix), recursive=True):
            files[module_name(path)] = path
    return files


def module_data(path):
    """The module as insmod takes it: busybox's insmod does not decompress."""
    suffix = path[path.index(".ko", len(os.path.dirname(path))):]
    return MODULE_SUFFIXES[suffix](open(path, "rb").read())


def builtin_modules(modroot):
    try:
        return {module_name(line.strip()) for line in open(os.path.join(modroot, "modules.builtin"))}
    except OSError:
        return set()


def modinfo(path, key):
    data = module_data(path)
    return [m.decode() for m in re.findall(rb"(?:^|\0)" + key.encode() + rb"=([^\0]*)", data)]


def load_order(files, builtin):
    order = []

    def add(name):
        if name in order or (name not in files and name in builtin):
            return
        if name not in files:
            raise SystemExit(f"kernel-stage: this kernel has no module {name}, neither as a file nor built in")
        for dep in ",".join(modinfo(files[name], "depends")).split(","):
            if dep:
                add(dep.replace("-", "_"))
        order.append(name)

    for name in MODULES:
        add(name)
    return order


def build_initramfs(work, kernel):
    release = os.path.basename(kernel)[len("vmlinuz-"):]
    modroot = os.path.join(work, "k", "lib", "modules", release)
    if not os.path.isdir(modroot):
        modroot = os.path.join(work, "k", "usr", "lib", "modules", release)
    files = module_files(modroot)
    order = load_order(files, builtin_modules(modroot))
    # What depmod would write for the USB serial drivers: the aliases a doctor looks a chip up in.
    aliases = []
    for path in sorted(p for p in files.values() if os.sep + os.path.join("drivers", "usb", "serial") + os.sep in p):
        name = module_name(path)
        aliases += [f"alias {a} {name}" for a in modinfo(path, "alias")]
    cpio_dir = os.path.join(work, "root")
    shutil.rmtree(cpio_dir, ignore_errors=True)
    for d in ["bin", "dev", "proc", "sys", "tmp", "run", "host", "usr", "etc", "modules",
              f"lib/modules/{release}"]:
        os.makedirs(os.path.join(cpio_dir, d), exist_ok=True)
    shutil.copy("/bin/busybox", os.path.join(cpio_dir, "bin", "busybox"))
    shutil.copy(os.path.join(HERE, "guest_init.sh"), os.path.join(cpio_dir, "init"))
    os.chmod(os.path.join(cpio_dir, "init"), 0o755)
    for name in order:
        with open(os.path.join(cpio_dir, "modules", name + ".ko"), "wb") as f:
            f.write(module_data(files[name]))
    with open(os.path.join(cpio_dir, "modules", "order"), "w") as f:
        f.write("\n".join(order) + "\n")
    with open(os.path.join(cpio_dir, "lib", "modules", release, "modules.alias"), "w") as f:
        f.write("\n".join(aliases) + "\n")
    with open(os.path.join(cpio_dir, "etc", "passwd"), "w") as f:
        f.write("root:x:0:0:root:/root:/bin/sh\n")
    with open(os.path.join(cpio_dir, "etc", "group"), "w") as f:
        f.write("root:x:0:\ndialout:x:20:\n")
    os.symlink("usr/lib64", os.path.join(cpio_dir, "lib64"))
    os.symlink("/usr/lib/x86_64-linux-gnu", os.path.join(cpio_dir, "lib", "x86_64-linux-gnu"))
    image = os.path.join(work, "initramfs.cpio.gz")
    listing = subprocess.run(["find", "."], cwd=cpio_dir, capture_output=True, check=True).stdout
    cpio = subprocess.run(["cpio", "-o", "-H", "newc", "--quiet"], cwd=cpio_dir, input=listing,
                          capture_output=True, check=True).stdout
    with gzip.open(image, "wb", compresslevel=1) as f:
        f.write(cpio)
    return image, release


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--capture", help="copy the guest's sysfs views of the adapter here")
    parser.add_argument("--timeout", type=int, default=300)
    args = parser.parse_args()
    work = os.path.abspath(args.work)
    bindir = os.path.abspath(args.bin)
    started = time.monotonic()
    kernel = fetch_kernel(work)
    image, release = build_initramfs(work, kernel)
    log(f"kernel {release}, initramfs ready after {time.monotonic() - started:.1f} s")

    out = os.path.join(work, "out")
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    sim = subprocess.Popen([os.path.join(bindir, "q42-unit-sim"), "--control"], stdin=subprocess.PIPE,
                           stdout=subprocess.PIPE, text=True)
    pty = sim.stdout.readline().strip()
    qmp_path = os.path.join(work, "qmp.sock")
    console_path = os.path.join(out, "console.log")
    if os.path.exists(qmp_path):
        os.remove(qmp_path)
    steps = os.path.join(HERE, "guest_steps.sh")
    cmdline = (f"console=ttyS0 quiet panic=-1 q42.steps={steps} q42.tree={TREE} q42.bin={bindir} "
               f"q42.capture={1 if args.capture else 0}")
    qemu = subprocess.Popen([
        "qemu-system-x86_64", "-machine", "pc,accel=tcg", "-m", "1024", "-smp", "1", "-nographic",
        "-no-reboot", "-nic", "none", "-kernel", kernel, "-initrd", image, "-append", cmdline,
        "-serial", f"file:{console_path}", "-monitor", "none", "-qmp", f"unix:{qmp_path},server=on,wait=off",
        "-virtfs", "local,path=/,mount_tag=host,security_model=none,readonly=on",
        "-virtfs", f"local,path={out},mount_tag=out,security_model=none",
        "-usb", "-chardev", f"serial,id=unit,path={pty}",
        "-device", f"usb-serial,id=adapter,chardev=unit,serial={USB_SERIAL}",
    ], stdin=subprocess.DEVNULL)

    qmp = None
    seen = 0
    deadline = time.monotonic() + args.timeout
    results = []
    while qemu.poll() is None and time.monotonic() < deadline:
        time.sleep(0.2)
        if not os.path.exists(console_path):
            continue
        text = open(console_path, errors="replace").read()
        for line in text[seen:].splitlines(keepends=True):
            if not line.endswith("\n"):
                break
            seen += len(line)
            line = line.rstrip("\r\n")
            print(f"  guest| {line}", flush=True)
            if line.startswith("q42-step: silent"):
                sim.stdin.write("silent\n")
                sim.stdin.flush()
            elif line.startswith("q42-step: pull"):
                time.sleep(1.0)
                qmp = qmp or connect_qmp(qmp_path)
                qmp_command(qmp, "device_del", {"id": "adapter"})
            elif line.startswith("q42-result:"):
                results.append(line)
    if qemu.poll() is None:
        log(f"the guest did not finish within {args.timeout} s")
        qemu.kill()
    sim.kill()
    if args.capture:
        captured = os.path.join(out, "capture")
        if os.path.isdir(captured):
            shutil.rmtree(args.capture, ignore_errors=True)
            shutil.copytree(captured, args.capture, symlinks=True)
            log(f"the guest's views were copied to {args.capture}")
    failed = [r for r in results if " FAIL " in r]
    log(f"{len(results)} steps, {len(failed)} failed, {time.monotonic() - started:.1f} s in all")
    return 0 if results and not failed and "q42-guest: done" in open(console_path, errors="replace").read() else 1


def connect_qmp(path):
    sock = socket.socket(socket.AF_UNIX)
    sock.connect(path)
    f = sock.makefile("rw")
    f.readline()
    qmp_command(f, "qmp_capabilities", {})
    return f


def qmp_command(f, name, arguments):
    f.write(json.dumps({"execute": name, "arguments": arguments}) + "\n")
    f.flush()
    while True:
        reply = json.loads(f.readline())
        if "return" in reply or "error" in reply:
            log(f"qmp {name}: {reply}")
            return reply


if __name__ == "__main__":
    sys.exit(main())
