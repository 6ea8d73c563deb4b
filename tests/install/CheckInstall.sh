#!/usr/bin/env bash
# The installation and the Debian package, checked the way a user meets them:
#   CheckInstall.sh BUILD-DIR VERSION HARDENED
# Installs BUILD-DIR into a scratch DESTDIR and checks that exactly the expected files are there, that
# every program answers --version (and tervis --help) without a display, and that the desktop entry and
# the AppStream file validate where the validators are installed. Then, where dpkg-deb and
# dpkg-shlibdeps are installed, builds the .deb with cpack, checks its fields and does the same checks on
# its unpacked files, and has lintian check it: any error or warning fails, and so do its hardening notes
# when HARDENED is ON (a Release or RelWithDebInfo build outside the sanitizers and the fuzzer). Everything is written under
# BUILD-DIR/install-check.
set -euo pipefail

build=$(cd "$1" && pwd)
version=$2
hardened=$3
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
    usr/share/doc/tervis/changelog.gz
    usr/share/doc/tervis/copyright
    usr/share/doc/tervis/examples/tervis-exporter.service
    usr/share/man/man1/tervis-cli.1.gz
    usr/share/man/man1/tervis-exporter.1.gz
    usr/share/man/man1/tervis-host.1.gz
    usr/share/man/man1/tervis-muxsim.1.gz
    usr/share/man/man1/tervis.1.gz
    usr/share/metainfo/org.tervis.Tervis.metainfo.xml
    usr/share/tervis/alarm.wav
    usr/share/tervis/config.schema.json
    usr/share/tervis/prometheus/tervis-alerts.yml
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
    grep -q '<project_license>GPL-3.0-or-later</project_license>' "$metainfo" ||
        fail "$what: the metainfo file names no project licence GPL-3.0-or-later"
    local entry
    entry=$(gzip -dc "$root/usr/share/doc/tervis/changelog.gz" | head -n 1)
    [[ "$entry" == "tervis ($version) "* ]] || fail "$what: the changelog's newest entry is '$entry', not $version"
}

DESTDIR=$scratch/destdir cmake --install "$build" --prefix /usr >"$scratch/install.log"
check_tree "$scratch/destdir" "cmake --install"
if command -v groff >/dev/null; then
    for page in "$scratch"/destdir/usr/share/man/man1/*.1.gz; do
        warnings=$(gzip -dc "$page" | groff -man -ww -z -K utf8 -Tutf8 2>&1)
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
    if command -v lintian >/dev/null; then
        # Errors and warnings fail; the hardening notes (lintian's info level) fail a hardened build.
        lintian --fail-on error,warning --display-info "$deb" >"$scratch/lintian.log" 2>&1 ||
            fail "lintian: $(cat "$scratch/lintian.log")"
        # A program may have no call that the compiler can check (tervis-muxsim has none), so the
        # fortify note counts only when every program has it.
        if [ "$hardened" = ON ]; then
            notes=$(grep 'hardening-' "$scratch/lintian.log" | grep -v 'hardening-no-fortify-functions' || true)
            unfortified=$(grep -c 'hardening-no-fortify-functions' "$scratch/lintian.log" || true)
            if [ -n "$notes" ] || [ "$unfortified" -ge ${#programs[@]} ]; then
                fail "lintian: a hardened build is not hardened: $(grep 'hardening-' "$scratch/lintian.log")"
            fi
        fi
    else
        echo "lintian is not installed; the .deb is not checked by it"
    fi
else
    echo "dpkg-deb or dpkg-shlibdeps is not installed (Debian package dpkg-dev); the .deb is not built"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)" >&2
    exit 1
fi
echo "install check passed"
