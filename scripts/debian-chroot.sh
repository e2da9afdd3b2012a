#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Tries the README on a fresh minimal Debian, as a new user would:
#   scripts/debian-chroot.sh RELEASE [FUZZ_SECONDS]     (for example trixie, bookworm)
# Makes the system with debootstrap (minbase) in a new folder under $TMPDIR or /var/tmp,
# copies a clean export of this checkout's HEAD into it (committed files only), and runs
# there the run command (--version: a chroot has no display), the test command (all three
# runs), every fuzzer for FUZZ_SECONDS (default 5), the package build, lintian with
# --fail-on error,warning, and the README's install of the package. Every step runs even
# after a failure; the exit status says whether all passed. The folder is deleted at the end.
# Needs root (debootstrap, mount, chroot) and Debian's archive in reach. Nothing is cached
# between runs: debootstrap takes about a minute, and a cached base would not be fresh.
set -euo pipefail
cd "$(dirname "$0")/.."
release=${1:?usage: scripts/debian-chroot.sh RELEASE [FUZZ_SECONDS]}
fuzz_seconds=${2:-5}
if [[ $(id -u) -ne 0 ]]; then
    echo "debian-chroot.sh: needs root for debootstrap, mount and chroot" >&2
    exit 1
fi
if ! command -v debootstrap >/dev/null; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap
fi

root=$(mktemp -d "${TMPDIR:-/var/tmp}/tavrino-$release.XXXXXX")
mounted=()

# Ends what still runs inside the system (by process id, found through its root), unmounts in
# reverse order, and deletes the folder only when nothing is mounted below it any more;
# --one-file-system would not cross into a mount even then.
clean_up() {
    local status=$? pid index
    trap - EXIT INT TERM
    for pid in /proc/[0-9]*; do
        [[ $(readlink "$pid/root" 2>/dev/null) == "$root" ]] && kill -KILL "${pid#/proc/}" 2>/dev/null
    done
    for ((index = ${#mounted[@]} - 1; index >= 0; index--)); do
        umount "${mounted[index]}" || umount --lazy "${mounted[index]}" || status=1
    done
    if awk -v root="$root/" 'index($2, root) == 1 { found = 1 } END { exit !found }' /proc/self/mounts; then
        echo "debian-chroot.sh: still mounted below $root; left in place" >&2
        exit 1
    fi
    rm -rf --one-file-system "$root"
    rm -f "$root.debootstrap.log"
    exit "$status"
}
trap clean_up EXIT
trap 'exit 130' INT TERM

step_failed=()
# step NAME COMMAND...: runs and times one step, and records a failure without stopping.
step() {
    local name=$1 start=$SECONDS status=0
    shift
    echo "=== $release: $name"
    "$@" || status=$?
    echo "=== $release: $name: $([[ $status -eq 0 ]] && echo passed || echo "FAILED ($status)")" \
        "in $((SECONDS - start)) s"
    [[ $status -eq 0 ]] || step_failed+=("$name")
}

# in_chroot SHELL-COMMAND: runs in the export as root with a bare login's environment.
in_chroot() {
    chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        bash -euo pipefail -c "cd /root/tavrino && $1"
}

start=$SECONDS
echo "=== $release: debootstrap --variant=minbase into $root"
if ! debootstrap --variant=minbase "$release" "$root" >"$root.debootstrap.log" 2>&1; then
    tail -n 30 "$root.debootstrap.log"
    exit 1
fi
echo "=== $release: debootstrap took $((SECONDS - start)) s"

# What the tests need: processes, devices, pseudo-terminals and shared memory (Xvfb, weston
# and Python use /dev/shm). A mount that fails fails the run.
for target in proc sys dev dev/pts dev/shm; do
    mount --bind "/$target" "$root/$target"
    mounted+=("$root/$target")
done
cp -L /etc/resolv.conf "$root/etc/resolv.conf"
mkdir "$root/root/tavrino"
git archive HEAD | tar -x -C "$root/root/tavrino"

step "run command" in_chroot \
    './scripts/run.sh --version | tee /tmp/run.out; tail -n 1 /tmp/run.out | grep -qx "Tavrino [0-9.]*"'
step "test command" in_chroot ./scripts/test.sh
step "fuzzers" in_chroot "./scripts/fuzz.sh $fuzz_seconds"
step "package" in_chroot ./scripts/package.sh
step "lintian" in_chroot "
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends lintian >/dev/null
    lintian --version
    lintian --fail-on error,warning build-deb/tavrino_*.deb build-deb/tavrino_*.changes"
step "install" in_chroot "
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq ./build-deb/tavrino_*.deb >/dev/null
    /usr/bin/tavrino --version
    /usr/bin/tavrino-capture --help >/dev/null"

echo "=== $release: $((SECONDS - start)) s in all"
if [[ ${#step_failed[@]} -gt 0 ]]; then
    echo "=== $release: failed: ${step_failed[*]}"
    exit 1
fi
echo "=== $release: every step passed"
