#!/usr/bin/env bash
# The Debian package: built by CPack from the build folder into a temporary
# folder, its control fields and its files checked, then unpacked into a
# temporary root (nothing is installed into the machine) and the game
# started from there: it answers --version and --help, shows its window on a
# virtual X display, plays the packaged sounds and keeps its records in the
# player's data folder. desktop-file-validate, appstreamcli and lintian
# check the package when they are installed.
#   package.sh BUILD_DIR VERSION
set -euo pipefail
# shellcheck source=../../scripts/xvfb.sh
source "$(dirname "$0")/../../scripts/xvfb.sh"
build=$(readlink -f "$1")
version=$2
work=$(mktemp -d)
xvfb_at_exit 'rm -rf "$work"'
fail() { echo "FAIL: $*" >&2; exit 1; }

# --- the package
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/cpack" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack did not build the package"; }
arch=$(dpkg --print-architecture)
deb="$work/cpack/tessarin_${version}_${arch}.deb"
[ -s "$deb" ] || fail "no $(basename "$deb"); cpack made: $(ls "$work/cpack")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tessarin ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version $(field Version), not the project's $version"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
[ "$(field Section)" = games ] || fail "Section: $(field Section)"
[ -n "$(field Maintainer)" ] && [ -n "$(field Description)" ] || fail "no Maintainer or Description"
# Versioned library dependencies come only from dpkg-shlibdeps.
depends=$(field Depends)
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6multimedia6 libsdl2-2.0-0 \
    libminiupnpc17 libnatpmp1; do
    [[ ", $depends," =~ ", $lib (>= "[^\)]+")," ]] || fail "Depends lacks $lib (>= ...): $depends"
done
[[ ", $depends," == *", qt6-qpa-plugins,"* ]] || fail "Depends lacks the window system plug-in"

# Every file in its place, nothing else; owned by root, with plain modes.
{
    echo "-rwxr-xr-x ./usr/games/tessarin"
    echo "-rw-r--r-- ./usr/lib/games/tessarin/libtessarin-pads.so"
    for s in about appear add take speed move rotate chord message Ding; do
        echo "-rw-r--r-- ./usr/share/games/tessarin/sounds/$s.wav"
    done
    for size in 16 24 32 48 64 128 256; do
        echo "-rw-r--r-- ./usr/share/icons/hicolor/${size}x$size/apps/tessarin.png"
    done
    for f in applications/org.tessarin.tessarin.desktop \
        metainfo/org.tessarin.tessarin.metainfo.xml man/man6/tessarin.6.gz \
        doc/tessarin/copyright doc/tessarin/changelog.gz; do
        echo "-rw-r--r-- ./usr/share/$f"
    done
} | sort >"$work/expected"
dpkg-deb -c "$deb" >"$work/contents"
awk '$1 !~ /^d/ { print $1, $6 }' "$work/contents" | sort >"$work/files"
diff -u "$work/expected" "$work/files" >&2 || fail "the package's files differ from the list above"
awk '$2 != "root/root" { bad = 1 } END { exit bad }' "$work/contents" || fail "files not owned by root"
awk '$1 ~ /^d/ && $1 != "drwxr-xr-x" { bad = 1 } END { exit bad }' "$work/contents" ||
    fail "a folder without mode 755"

# --- unpacked into a root of its own
root="$work/root"
dpkg-deb -x "$deb" "$root"
game="$root/usr/games/tessarin"
for gz in man/man6/tessarin.6.gz doc/tessarin/changelog.gz; do
    # gzip -9n: best compression (XFL 2), no time stamp.
    [ "$(od -An -tx1 -j4 -N5 "$root/usr/share/$gz" | tr -d ' ')" = 0000000002 ] ||
        fail "$gz is not compressed with gzip -9n"
done
[ "$("$game" --version)" = "Tessarin $version" ] || fail "--version says '$("$game" --version)'"
help=$("$game" --help) || fail "--help failed"
# The manual page, its hyphens plain, explains every option --help lists.
page=$(zcat "$root/usr/share/man/man6/tessarin.6.gz" | sed 's/\\-/-/g')
grep -q "^\.TH TESSARIN 6 .*\"Tessarin $version\"" <<<"$page" ||
    fail "the manual page does not name version $version"
options=$(grep -oE -- '--[a-z][a-z-]*' <<<"$help" | sort -u)
for option in --help --version --scale --user-data; do
    grep -qx -- "$option" <<<"$options" || fail "--help does not list $option"
done
for option in $options; do
    grep -qE -- "(^|[^a-z-])$option([^a-z-]|\$)" <<<"$page" ||
        fail "the manual page does not explain $option"
done
changes=$(zcat "$root/usr/share/doc/tessarin/changelog.gz")
[[ "$changes" == "tessarin ($version) "* ]] || fail "the changelog's latest entry is not $version"
metainfo="$root/usr/share/metainfo/org.tessarin.tessarin.metainfo.xml"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo's release is not $version"
desktop="$root/usr/share/applications/org.tessarin.tessarin.desktop"
grep -qx 'Exec=/usr/games/tessarin --user-data %u' "$desktop" ||
    fail "the desktop entry does not start the packaged game with its data folder and a link"
grep -qx 'MimeType=x-scheme-handler/tessarin;' "$desktop" ||
    fail "the desktop entry does not take tessarin: links"
grep -q 'LINK' <<<"$help" || fail "--help does not name the LINK argument"
grep -q '^\.I LINK' <<<"$page" || fail "the manual page does not explain LINK"

# --- validators, when installed
if command -v desktop-file-validate >/dev/null; then
    out=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$out" ] ||
        fail "desktop-file-validate: $out"
else
    echo "desktop-file-validate is not installed: skipped"
fi
if command -v appstreamcli >/dev/null; then
    # The whole tree: the metainfo, and the desktop entry it names.
    out=$(appstreamcli validate-tree --pedantic --no-net --no-color "$root" 2>&1) || true
    grep -q '^✔ Validation was successful\.$' <<<"$out" || fail "appstreamcli validate-tree: $out"
else
    echo "appstreamcli is not installed: skipped"
fi
if command -v lintian >/dev/null; then
    lintian --fail-on error --info --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 ||
        { cat "$work/lintian.log" >&2; fail "lintian found errors"; }
    grep -v 'running with root privileges' "$work/lintian.log" || true
else
    echo "lintian is not installed: skipped"
fi

# --- the unpacked game on a virtual X display
xvfb_start || fail "Xvfb did not start"
export HOME="$work/home"
unset XDG_DATA_HOME
mkdir -p "$HOME" "$work/elsewhere"
stopped() { ! kill -0 "$1"; }

# As the desktop entry starts it, the files it opens traced.
(cd "$work/elsewhere" &&
    exec strace -f -qq -e trace=open,openat -e signal=none -o "$work/opened" \
        "$game" --user-data >"$work/game.log" 2>&1) &
pid=$!
xvfb_track "$pid"
main=$(xvfb_wait_window '^Tessarin$' 20) || fail "the packaged game did not show its window"
xvfb_track "$(xdotool getwindowpid "$main")"
# Help > About plays "about.wav" and opens the About box.
xdotool windowfocus --sync "$main"
xdotool key --clearmodifiers alt+h a
about=$(xvfb_wait_window "^About Tessarin $version\$" 10) || fail "no About box named for version $version"
grep -Eq "\"$root/usr/(games/\.\./)?share/games/tessarin/sounds/about\.wav\".* = [0-9]+$" \
    "$work/opened" ||
    fail "the game did not take about.wav from the package"
xdotool windowfocus --sync "$about"
xdotool key --clearmodifiers Return
xdotool windowfocus --sync "$main"
xdotool key --clearmodifiers ctrl+x
xvfb_until 10 stopped "$pid" || fail "Exit did not end the packaged game"
[ -s "$HOME/.local/share/Tessarin/Tessarin.ini" ] || fail "no records in the player's data folder"
[ -z "$(ls -A "$work/elsewhere")" ] || fail "the game wrote into the folder it was started in"
echo "Debian package: 1 passed, 0 failed"
