#!/usr/bin/env bash
# The installation and the Debian package, checked the way a user meets them:
#   CheckInstall.sh BUILD-DIR VERSION
# Installs BUILD-DIR into a scratch DESTDIR and checks that exactly the expected files are there, that
# every program answers --version (and tervis --help) without a display, and that the desktop entry and
# the AppStream file validate where the validators are installed. Then, where dpkg-deb and
# dpkg-shlibdeps are installed, builds the .deb with cpack, checks its fields and does the same checks on
# its unpacked files. Everything is written under BUILD-DIR/install-check.
set -euo pipefail

build=$(cd "$1" && pwd)
version=$2
scratch=$build/install-check
rm -rf "$scratch"
mkdir -p "$scratch"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

programs=(tervis tervis-cli tervis-host tervis-muxsim tervis-exporter)
expected=(
    usr/bin/tervis
    usr/bin/tervis-cli
    usr/bin/tervis-exporter
    usr/bin/tervis-host
    usr/bin/tervis-muxsim
    usr/share/applications/org.tervis.Tervis.desktop
    usr/share/icons/hicolor/scalable/apps/tervis.svg
    usr/share/man/man1/tervis-cli.1
    usr/share/man/man1/tervis-exporter.1
    usr/share/doc/tervis/examples/tervis-exporter.service
    usr/share/tervis/prometheus/tervis-alerts.yml
    usr/share/man/man1/tervis-host.1
    usr/share/man/man1/tervis-muxsim.1
    usr/share/man/man1/tervis.1
    usr/share/metainfo/org.tervis.Tervis.metainfo.xml
    usr/share/tervis/alarm.wav
    usr/share/tervis/config.schema.json
)

# Checks an installed tree under root ($1), named $2 in the messages.
check_tree() {
    local root=$1 what=$2
    local listed
    listed=$(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
    if [ "$listed" != "$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)" ]; then
        fail "$what: installed files differ from the expected ones:"
        diff <(printf '%s\n' "${expected[@]}" | LC_ALL=C sort) <(echo "$listed") >&2 || true
    fi
    for p in "${programs[@]}"; do
        local out status=0
        out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/$p" --version 2>&1) || status=$?
        if [ "$status" -ne 0 ] || [ "$out" != "$p $version" ]; then
            fail "$what: '$p --version' gave status $status and '$out', not '$p $version'"
        fi
    done
    local help status=0
    help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/tervis" --help 2>&1) || status=$?
    if [ "$status" -ne 0 ] || ! grep -q -- '-id N' <<<"$help"; then
        fail "$what: 'tervis --help' gave status $status and: $help"
    fi
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$root/usr/share/applications/org.tervis.Tervis.desktop" ||
            fail "$what: desktop-file-validate"
    else
        echo "$what: desktop-file-validate is not installed; the desktop entry is not validated"
    fi
    local metainfo=$root/usr/share/metainfo/org.tervis.Tervis.metainfo.xml
    if command -v appstreamcli >/dev/null; then
        appstreamcli validate --no-net "$metainfo" >"$scratch/appstream.log" 2>&1 ||
            fail "$what: appstreamcli validate: $(cat "$scratch/appstream.log")"
    else
        echo "$what: appstreamcli is not installed; the metainfo file is not validated"
    fi
    # Releases are listed newest first; the newest is this version.
    local newest
    newest=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n 1 | cut -d'"' -f2)
    [ "$newest" = "$version" ] || fail "$what: the newest release in the metainfo file is '$newest', not $version"
}

DESTDIR=$scratch/destdir cmake --install "$build" --prefix /usr >"$scratch/install.log"
check_tree "$scratch/destdir" "cmake --install"
if command -v groff >/dev/null; then
    for page in "$scratch"/destdir/usr/share/man/man1/*.1; do
        warnings=$(groff -man -ww -z -K utf8 -Tutf8 "$page" 2>&1)
        [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
    done
fi

if command -v dpkg-deb >/dev/null && command -v dpkg-shlibdeps >/dev/null; then
    (cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/package" >"$scratch/cpack.log" 2>&1) ||
        { cat "$scratch/cpack.log" >&2; fail "cpack -G DEB"; exit 1; }
    deb=$(ls "$scratch"/package/tervis_*.deb)
    [ "$(dpkg-deb -f "$deb" Package)" = tervis ] || fail "package name: $(dpkg-deb -f "$deb" Package)"
    [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version: $(dpkg-deb -f "$deb" Version)"
    [ "$(dpkg-deb -f "$deb" Section)" = comm ] || fail "section: $(dpkg-deb -f "$deb" Section)"
    [ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no maintainer"
    description=$(dpkg-deb -f "$deb" Description)
    if [ "$(wc -l <<<"$description")" -lt 3 ] || grep -q ';' <<<"$description"; then
        fail "the description is not a summary and wrapped lines: $description"
    fi
    depends=$(dpkg-deb -f "$deb" Depends)
    # Worked out by dpkg-shlibdeps, besides the plugin named by hand.
    for package in libqt6core6 libqt6widgets6 libqt6serialport6 libqt6multimedia6 libstdc++6 libqt6svg6; do
        grep -q "\b$package\b" <<<"$depends" || fail "Depends lacks $package: $depends"
    done
    dpkg-deb -x "$deb" "$scratch/root"
    check_tree "$scratch/root" "the .deb"
else
    echo "dpkg-deb or dpkg-shlibdeps is not installed (Debian package dpkg-dev); the .deb is not built"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)" >&2
    exit 1
fi
echo "install check passed"
