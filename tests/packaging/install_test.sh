#!/bin/bash
# The staged install (cmake --install into a DESTDIR) as a user's system receives it:
# exactly the expected files, entries that point at one another, and a binary that starts
# from there and shows its window with the feather, or without a display ends with one line.
# Then the installer, who may write the program's folder, and a user who cannot each play a
# game, and the score must land in that user's data folder, never beside the program.
#
# usage: install_test.sh STAGE PREFIX BINDIR DATADIR MANDIR APP_ID VERSION
set -u
stage=$1 prefix=$2 bindir=$3 datadir=$4 mandir=$5 id=$6 version=$7
root=$stage$prefix
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# --- The file list: nothing missing, nothing extra.
expected=$(
    echo "$bindir/kelvane"
    echo "$datadir/applications/$id.desktop"
    echo "$datadir/metainfo/$id.metainfo.xml"
    for size in 16 32 48 64 128 256; do
        echo "$datadir/icons/hicolor/${size}x$size/apps/$id.png"
    done
    echo "$datadir/icons/hicolor/scalable/apps/$id.svg"
    echo "$mandir/man1/kelvane.1.gz"
    echo "$datadir/doc/kelvane/changelog.gz"
    echo "$datadir/doc/kelvane/copyright"
)
actual=$(cd "$stage" && find . -type f -o -type l | sed "s|^\.$prefix/||")
if [ "$(sort <<<"$expected")" != "$(sort <<<"$actual")" ]; then
    fail "installed files differ from the expected list"
    diff <(sort <<<"$expected") <(sort <<<"$actual")
fi
[ -x "$root/$bindir/kelvane" ] || fail "$bindir/kelvane is not executable"

# --- Icons: each hicolor size folder holds a PNG of that size.
for size in 16 32 48 64 128 256; do
    png=$root/$datadir/icons/hicolor/${size}x$size/apps/$id.png
    file -b "$png" | grep -q "^PNG image data, $size x $size," ||
        fail "$png is not a ${size}x$size PNG: $(file -b "$png")"
done
file -b "$root/$datadir/icons/hicolor/scalable/apps/$id.svg" | grep -q "SVG" ||
    fail "the scalable icon is not an SVG"

# --- The desktop entry launches the installed binary and names the installed icon.
desktop=$root/$datadir/applications/$id.desktop
for line in "Type=Application" "Exec=kelvane" "TryExec=kelvane" "Icon=$id" \
            "Categories=Education;Qt;" "StartupWMClass=Kelvane"; do
    grep -qxF "$line" "$desktop" || fail "$id.desktop lacks the line '$line'"
done
for key in "Name" "Name\[zh_CN\]" "Comment" "Comment\[zh_CN\]"; do
    grep -qE "^$key=.+" "$desktop" || fail "$id.desktop has no $key"
done

# --- The metainfo: its id, its launchable and its newest release match this build.
metainfo=$root/$datadir/metainfo/$id.metainfo.xml
python3 - "$metainfo" "$id" "$version" <<'EOF' || fail "metainfo does not match this build"
import sys
import xml.etree.ElementTree as ET
path, app_id, version = sys.argv[1:]
lang = '{http://www.w3.org/XML/1998/namespace}lang'
root = ET.parse(path).getroot()
problems = []
if root.get('type') != 'desktop-application':
    problems.append('component type is %r' % root.get('type'))
if root.findtext('id') != app_id:
    problems.append('id is %r' % root.findtext('id'))
if root.findtext('launchable') != app_id + '.desktop':
    problems.append('launchable is %r' % root.findtext('launchable'))
for tag in ('name', 'summary'):
    if not any(e.get(lang, '').startswith('zh') for e in root.findall(tag)):
        problems.append('no Chinese %s' % tag)
if root.find('content_rating') is None:
    problems.append('no content rating')
releases = root.findall('releases/release')
if not releases or releases[0].get('version') != version:
    problems.append('newest release is %r, the project is %s'
                    % (releases[0].get('version') if releases else None, version))
for p in problems:
    print('metainfo:', p)
sys.exit(1 if problems else 0)
EOF

# --- The man page renders, and says where the score file lives.
manpage=$(MANWIDTH=200 man -l "$root/$mandir/man1/kelvane.1.gz" 2>&1)
grep -q "^NAME" <<<"$manpage" || fail "the man page does not render"
grep -q "\.local/share/kelvane/config\.ini" <<<"$manpage" ||
    fail "the man page does not name the per-user score file"

work=$(mktemp -d)

# --- With no display to connect to: one line, in Chinese and English, and status 1 rather
# than Qt's abort.
env -i PATH=/usr/bin:/bin HOME="$work" LC_ALL=C.UTF-8 "$root/$bindir/kelvane" >"$work/nodisplay.log" 2>&1
status=$?
if [ "$status" -ne 1 ] || [ "$(wc -l <"$work/nodisplay.log")" -ne 1 ] ||
   ! grep -q "无法连接到图形显示" "$work/nodisplay.log" ||
   ! grep -q "Cannot connect to a display" "$work/nodisplay.log"; then
    fail "without a display: status $status and this output:"; cat "$work/nodisplay.log"
fi

# --- Start the installed binary on a private X server.
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
if [ ! -s "$work/display" ]; then
    fail "Xvfb did not start"; cat "$work/xvfb.log"; exit 1
fi
export DISPLAY=:$(cat "$work/display")

# Starts the installed program as USER with a fresh HOME and waits for its main window.
# Sets pid and window; returns 1 when no window appears.
start_installed() {
    local user=$1 home=$2 log=$3 runner=()
    mkdir -p "$home"
    if [ "$user" != "$(id -un)" ]; then
        chown "$user" "$home"
        runner=(setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups)
    fi
    env -i PATH=/usr/bin:/bin DISPLAY="$DISPLAY" HOME="$home" LC_ALL=C.UTF-8 \
        "${runner[@]}" "$root/$bindir/kelvane" >"$log" 2>&1 &
    pid=$!
    pids+=("$pid")
    window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$pid" 2>/dev/null | head -1)
    if [ -z "$window" ]; then
        fail "as $user: no window appeared"; cat "$log"; return 1
    fi
}

# The main window carries the feather (the window list and task bar show _NET_WM_ICON),
# matches the desktop entry's StartupWMClass, and the program is still running 2 s on.
check_started() {
    local user=$1 log=$2
    xprop -id "$window" _NET_WM_ICON | grep -q "Icon (16 x 16)" ||
        fail "as $user: the main window has no 16x16 icon"
    xprop -id "$window" WM_CLASS | grep -q '"kelvane", "Kelvane"' ||
        fail "as $user: WM_CLASS does not match StartupWMClass: $(xprop -id "$window" WM_CLASS)"
    sleep 2
    if ! kill -0 "$pid" 2>/dev/null; then
        fail "as $user: the program ended on its own"; cat "$log"; return 1
    fi
}

# Clicks at a point given in twips (15 to a pixel) inside a window's client area.
click_twips() {
    xdotool mousemove --sync --window "$1" $(($2 / 15)) $(($3 / 15)) click 1
}

# What a window manager does for the title-bar close button: WM_DELETE_WINDOW.
ask_to_close() {
    python3 "$(dirname "${BASH_SOURCE[0]}")/../e2e/xwindow.py" close "$1"
}

# USER, whose home is HOME, plays the game in the program started last (start, then close the
# game window): the score must land in the per-user data folder, which does not exist yet,
# and nothing beside the program.
play_game() {
    local user=$1 home=$2 log=$3 game leftovers
    local score_file=$home/.local/share/kelvane/config.ini
    click_twips "$window" $((5280 + 1695 / 2)) $((495 / 2))     # 打字游戏
    game=$(timeout 20 xdotool search --sync --all --onlyvisible --pid "$pid" --name "^打字游戏" |
           head -1)
    if [ -z "$game" ]; then
        fail "as $user: the game window did not open"; return
    fi
    click_twips "$game" $((2400 + 1575 / 2)) $((2040 + 975 / 2))  # 开始
    ask_to_close "$game"
    for _ in $(seq 100); do [ -s "$score_file" ] && break; sleep 0.1; done
    if [ ! -s "$score_file" ]; then
        fail "as $user: closing the game wrote no $score_file"
        find "$home" "$root/$bindir" -name config.ini
        cat "$log"
    else
        python3 - "$score_file" <<'EOF' || fail "as $user: the score file holds the wrong bytes"
import re, sys
data = open(sys.argv[1], 'rb').read()
if not re.fullmatch(rb'\[config\]\r\nlabel1=' + '分数'.encode('gbk') + rb'\d+\r\n', data):
    sys.exit('score file: %r' % data)
EOF
    fi
    kill -0 "$pid" 2>/dev/null || fail "as $user: the program ended when the game closed"
    leftovers=$(find "$root/$bindir" -mindepth 1 ! -name kelvane)
    [ -z "$leftovers" ] || fail "as $user: the program left files beside itself: $leftovers"
}

# The installer (root, in CI) may write the folder the program is installed in, but an
# installed program keeps its score in the user's data folder all the same.
if start_installed "$(id -un)" "$work/home-installer" "$work/run.log" &&
   check_started "$(id -un)" "$work/run.log"; then
    play_game "$(id -un)" "$work/home-installer" "$work/run.log"
    kill "$pid"
fi

# A user who cannot write the program's folder, as for an install in /usr/bin: a copy of the
# install with its bin folder read-only. Root writes anywhere, so as root the program runs
# as an unprivileged user.
readonly_root=$work/ro
mkdir -p "$readonly_root"
cp -a "$stage/." "$readonly_root/"
root=$readonly_root$prefix
chmod -R a+rX,go-w "$work"
chmod a-w "$root/$bindir"
user=$(id -un)
if [ "$(id -u)" -eq 0 ]; then
    user=nobody
fi
if start_installed "$user" "$work/home-user" "$work/run-user.log" &&
   check_started "$user" "$work/run-user.log"; then
    play_game "$user" "$work/home-user" "$work/run-user.log"
    kill "$pid" 2>/dev/null
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "install test passed"
