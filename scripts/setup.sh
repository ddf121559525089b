#!/bin/sh
# Installs what the build and the tests need on Debian 12. Idempotent: when
# everything is already there it checks and returns in a second or two.
set -eu

# The Python packages at the end let a copy of universalmutator's source run
# on Debian's own Python for scripts/mutation.sh (the README's "Mutation
# testing").
need="cmake make g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386 \
xvfb x11-utils fonts-ipafont-gothic fonts-wine googletest locales python3 python3-venv \
python3-levenshtein python3-tabulate python3-pkg-resources python3-attr python3-loguru python3-requests"

missing=""
for p in $need; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed' \
        || missing="$missing $p"
done

locale_ok() { locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; }

runs_32bit() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

if [ -z "$missing" ] && locale_ok && runs_32bit; then
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if [ -n "$missing" ]; then
    echo "setup: installing$missing"
    case " $(dpkg --print-foreign-architectures) " in
        *" i386 "*) ;;
        *) $SUDO dpkg --add-architecture i386 ;;
    esac
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -q
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
fi

if ! locale_ok; then
    echo "setup: generating ja_JP.UTF-8"
    if ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
        echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    fi
    $SUDO locale-gen >/dev/null
fi

# Some virtual machines run 64-bit code only: the kernel refuses every 32-bit
# program, Wine's loader among them. There, 32-bit programs run under QEMU's
# user-mode emulator. Debian 12's own QEMU 7.2 hands Wine wrong addresses and
# fault records, so the emulator comes from bookworm-backports (QEMU 10).
refuses_32bit() { /usr/lib/wine/wine --version 2>&1 | grep -q 'Exec format error'; }

if ! runs_32bit && refuses_32bit; then
    if ! grep -qs '^VERSION_CODENAME=bookworm' /etc/os-release; then
        echo "setup: this machine refuses 32-bit programs; running them under QEMU is set up for Debian 12 only" >&2
        exit 1
    fi
    echo "setup: this machine does not run 32-bit programs; running them under QEMU"
    bpo=/etc/apt/sources.list.d/korvu-bookworm-backports.list
    if ! grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d; then
        echo 'deb http://deb.debian.org/debian bookworm-backports main' | $SUDO tee "$bpo" >/dev/null
        $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -q
    fi
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
        -t bookworm-backports qemu-user-static
    misc=/proc/sys/fs/binfmt_misc
    [ -e "$misc/register" ] || $SUDO mount -t binfmt_misc binfmt_misc "$misc"
    [ -e "$misc/qemu-i386" ] && echo -1 | $SUDO tee "$misc/qemu-i386" >/dev/null
    # ELF, 32-bit, little-endian, executable or shared object, machine i386.
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
        | $SUDO tee "$misc/register" >/dev/null
    if ! runs_32bit; then
        echo "setup: 32-bit programs still do not run; Wine cannot start here" >&2
        exit 1
    fi
fi
