#!/bin/sh
# Installs what the build and the tests need on Debian 12. Idempotent: when
# everything is already there it checks and returns in a second or two.
set -eu

need="cmake make g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386 \
xvfb x11-utils fonts-ipafont-gothic googletest imagemagick locales python3"

missing=""
for p in $need; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed' \
        || missing="$missing $p"
done

locale_ok() { locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; }

if [ -z "$missing" ] && locale_ok; then
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
