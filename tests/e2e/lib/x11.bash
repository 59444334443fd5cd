# shellcheck shell=bash
# Finding, waiting for and driving apconfig's windows with xdotool.
#
# Under a bare X server there is no window manager: nothing gives a new window
# the keyboard focus, so every key press first focuses its window. Windows are
# told apart by title and by the type GTK gives them (NORMAL for the main
# window, DIALOG for dialogs and message boxes, POPUP_MENU for menus), since
# the main window and the start-up message box share the title "apconfig".
#
# Every wait is bounded by X11_WAIT_SECONDS; no helper waits for a fixed time
# but X11_SETTLE_SECONDS after a window first shows, for a toolkit that takes
# keys only once its window has been up for a while (Wine's).

: "${X11_WAIT_SECONDS:=30}"
: "${X11_SETTLE_SECONDS:=0}"
# When set, waits give up early (status 2) once this process has ended.
X11_WATCH_PID=${X11_WATCH_PID:-}

x11_require_tools() {
    local tool
    for tool in xdotool xprop xwininfo import compare timeout; do
        command -v "$tool" >/dev/null || { echo "missing tool: $tool (scripts/install-deps installs it)" >&2; return 1; }
    done
}

# xdotool with a bound: a --sync that never completes must not hang the caller.
xdo() {
    timeout 20 xdotool "$@"
}

x11_watched_alive() {
    [ -z "$X11_WATCH_PID" ] && return 0
    kill -0 "$X11_WATCH_PID" 2>/dev/null
}

# window_type ID: NORMAL, DIALOG, POPUP_MENU... or nothing.
window_type() {
    local line
    line=$(xprop -id "$1" _NET_WM_WINDOW_TYPE 2>/dev/null) || return 0
    case $line in
    *_NET_WM_WINDOW_TYPE_*)
        line=${line##*_NET_WM_WINDOW_TYPE_}
        echo "${line%%,*}"
        ;;
    esac
}

# window_types TYPE: the window types a window of that type shows as, as a
# regex.
window_types() {
    echo "$1"
}

# find_windows TYPE NAME_REGEX: the visible windows of that type whose title
# matches, one id a line.
find_windows() {
    local id
    # Matched against the UTF-8 title (_NET_WM_NAME): xdotool's own search
    # reads WM_NAME, where Wine spells a translated title in Latin-1 or not
    # at all.
    for id in $(xdotool search --onlyvisible --name '' 2>/dev/null || true); do
        [[ $(window_type "$id") =~ ^($(window_types "$1"))$ ]] || continue
        [[ $(LC_ALL=C.UTF-8 xdotool getwindowname "$id" 2>/dev/null) =~ $2 ]] && echo "$id"
    done
    return 0
}

# wait_window TYPE NAME_REGEX [SECONDS]: prints the id of the first such window
# once it shows. Status 1 when none showed in time, 2 when the watched process
# ended first.
wait_window() {
    local deadline=$((SECONDS + ${3:-$X11_WAIT_SECONDS})) ids
    while :; do
        ids=$(find_windows "$1" "$2")
        if [ -n "$ids" ]; then
            [ "$X11_SETTLE_SECONDS" = 0 ] || sleep "$X11_SETTLE_SECONDS"
            echo "${ids%%$'\n'*}"
            return 0
        fi
        x11_watched_alive || return 2
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

window_viewable() {
    xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'
}

# wait_gone ID [SECONDS]: until the window is unmapped or destroyed.
wait_gone() {
    local deadline=$((SECONDS + ${2:-$X11_WAIT_SECONDS}))
    while window_viewable "$1"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

# window_box ID: "X Y WIDTH HEIGHT" of the window on the screen.
window_box() {
    # shellcheck disable=SC2034  # set by the eval, like X and Y
    local WINDOW X Y WIDTH HEIGHT SCREEN
    eval "$(xdo getwindowgeometry --shell "$1")" || return 1
    echo "$X $Y $WIDTH $HEIGHT"
}

# window_point ID DX DY: the screen point at DX, DY inside the window; a
# negative offset counts from the right or bottom edge.
window_point() {
    local x y w h
    read -r x y w h < <(window_box "$1") || return 1
    local dx=$2 dy=$3
    [ "$dx" -lt 0 ] && dx=$((w + dx))
    [ "$dy" -lt 0 ] && dy=$((h + dy))
    echo "$((x + dx)) $((y + dy))"
}

# pointer_to X Y: moves the pointer there and waits until it is. (A --sync
# move to where the pointer already is would wait for a motion that never
# comes.)
pointer_to() {
    # shellcheck disable=SC2034  # set by the eval, like X and Y
    local X Y SCREEN WINDOW
    eval "$(xdo getmouselocation --shell)" || return 1
    [ "$X" = "$1" ] && [ "$Y" = "$2" ] && return 0
    xdo mousemove --sync "$1" "$2"
}

# click_in ID DX DY [BUTTON]: move the pointer there and click.
click_in() {
    local x y
    read -r x y < <(window_point "$1" "$2" "$3") || return 1
    pointer_to "$x" "$y" && xdo click "${4:-1}"
}

# ctrl_click_in ID DX DY: the same with Ctrl held.
ctrl_click_in() {
    xdo keydown ctrl && click_in "$@"
    local status=$?
    xdo keyup ctrl
    return $status
}

focus_window() {
    xdo windowfocus --sync "$1"
}

# press ID KEY...: focus the window, then press the keys in turn.
press() {
    local id=$1
    shift
    focus_window "$id" && xdo key "$@"
}

# type_into ID TEXT: focus the window, then type the text.
type_into() {
    focus_window "$1" && xdo type -- "$2"
}

# shoot FILE X Y WIDTH HEIGHT: that part of the screen as it is shown, menus
# and other windows on top included.
shoot() {
    import -silent -window root -crop "${4}x${5}+${2}+${3}" +repage "$1"
}

# shoot_settled FILE X Y WIDTH HEIGHT: waits until two captures in a row agree
# (a blinking text cursor aside), so that a repaint in progress is not kept.
shoot_settled() {
    local file=$1 previous deadline=$((SECONDS + 10)) differing
    shift
    previous=$(mktemp --suffix=.png)
    shoot "$previous" "$@" || { rm -f "$previous"; return 1; }
    while :; do
        sleep 0.2
        shoot "$file" "$@" || break
        differing=$(compare -metric AE "$previous" "$file" null: 2>&1 >/dev/null || true)
        differing=${differing%% *}
        [ "${differing%.*}" -lt 100 ] 2>/dev/null && break
        [ "$SECONDS" -lt "$deadline" ] || break
        cp "$file" "$previous"
    done
    rm -f "$previous"
    [ -s "$file" ]
}

# shoot_window FILE ID: the window as it is shown, once it has settled.
shoot_window() {
    local x y w h
    read -r x y w h < <(window_box "$2") || return 1
    shoot_settled "$1" "$x" "$y" "$w" "$h"
}
