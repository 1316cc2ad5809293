# The win64 platform of run_cases.sh: the Windows programs under wine64.
# Sourced by run_cases.sh, whose $bin, $launcher (the wine64 loader), $here,
# fail and envs it uses.
#
# Wine: one private WINEPREFIX per run of the suite, copied from a template
# kept beside the build (BIN/../e2e-wine-template, made again when Wine
# changes), and one wineserver kept alive (-p) from the first case to the
# last, so that each program start costs a fraction of a second. The server
# is stopped (-k) and the prefix removed when the runner exits.
#
# The registry: before each tessaran case the watched keys are deleted and
# the case's registry.reg is imported with Wine's own `reg import`, as it
# stands; afterwards `reg export` writes the watched keys (UTF-16 text) for
# registry_listing.sh. For registry-unavailable, the platform-type key's
# grandparent Targets becomes a symbolic link key to a key that cannot be
# made (its parent is missing too): Wine then fails every create beneath it.

win64_watched_keys=(
    'HKEY_LOCAL_MACHINE\SOFTWARE\Analog Devices'
    'HKEY_CLASSES_ROOT\VisualDSP.Kulvaspe'
    'HKEY_CLASSES_ROOT\CLSID\{5E2B07A4-91C3-4F6D-A8E0-3B7D19C64F52}'
)
win64_link_key='SOFTWARE\Analog Devices\VisualDSP++ 4.0\Targets'
win64_link_target='\Registry\Machine\SOFTWARE\Analog Devices\No Such Key\No Such Subkey'
win64_link_helper=$bin/../tests/windows/registry_link_key.exe
win64_link_made=0

win64_setup() {
    [ -x "$launcher" ] || { echo "win64: --launcher must name the wine64 loader" >&2; exit 2; }
    win64_server=$(dirname "$launcher")/wineserver
    # No fixme chatter on stderr, no windows, no offers to fetch add-ons.
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    unset DISPLAY WAYLAND_DISPLAY

    local template=$bin/../e2e-wine-template stamp
    stamp="$("$launcher" --version) $(stat -c %Y /usr/share/wine/wine.inf 2> /dev/null)"
    if [ "$(cat "$template.stamp" 2> /dev/null)" != "$stamp" ]; then
        echo "making the Wine prefix template (once per Wine version)"
        rm -rf "$template" "$template.stamp"
        WINEPREFIX=$template "$launcher" wineboot --init > /dev/null 2>&1
        # The registry reaches its files when the server exits.
        WINEPREFIX=$template "$win64_server" --wait
        [ -f "$template/system.reg" ] || { echo "win64: no Wine prefix made in $template" >&2; exit 2; }
        echo "$stamp" > "$template.stamp"
    fi

    WINEPREFIX=$(mktemp -d "$template.run-XXXXXX")
    export WINEPREFIX
    trap win64_teardown EXIT
    trap 'exit 1' INT TERM
    # The system DLLs (most of the 700 MB) are only ever read: hard links
    # make the copy instant. The registry files are rewritten: real copies.
    cp -al "$template/." "$WINEPREFIX/" 2> /dev/null || cp -a "$template/." "$WINEPREFIX/"
    local f
    for f in "$template"/*.reg "$template/.update-timestamp"; do
        cp --remove-destination "$f" "$WINEPREFIX/"
    done
    # Wine's own services start with the first program and live as long as
    # the server: start them here, holding nothing of the runner's output,
    # or whoever reads that output would wait for them.
    "$win64_server" -p > /dev/null 2>&1 < /dev/null
    "$launcher" cmd /c exit > /dev/null 2>&1 < /dev/null
}

win64_teardown() {
    "$win64_server" -k 2> /dev/null
    "$win64_server" -w 2> /dev/null
    # The server's lock folder, named after the prefix's device and inode,
    # lies in /tmp/.wine-UID or, with Debian's Wine, in the /tmp folder the
    # prefix's file "wineserver" names.
    local name folder
    name=$(printf 'server-%s-%x' "$(stat -c %D "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
    for folder in "/tmp/.wine-$(id -u)" "/tmp/$(cat "$WINEPREFIX/wineserver" 2> /dev/null)"; do
        [ "$folder" != /tmp/ ] && rm -rf "${folder:?}/$name"
    done
    rm -rf "$WINEPREFIX"
}

# Runs a Windows program in the folder given; its output shows only on failure.
# (Into a file, not a pipe: a pipe's reader could wait on Wine's services.)
win64_run() { # folder program args...
    local folder=$1 try
    shift
    for try in 1 2; do
        (cd "$folder" && "$launcher" "$@" > wine.log 2>&1 < /dev/null) && return 0
        # Now and then Wine fails to start a program at all: nothing ran, so
        # starting it once more is safe.
        grep -q 'Application could not be started' "$folder/wine.log" || break
        echo "note: wine64 $1 did not start, starting it again" >&2
    done
    fail "wine64 $*: $(cat "$folder/wine.log")"
    return 1
}

win64_registry_seed() { # case_dir work
    local dir=$2/.e2e key
    if [ $win64_link_made = 1 ]; then
        # A link key stops the deletion of the keys around it: it goes first.
        win64_run "$dir" "$win64_link_helper" remove "$win64_link_key" || return
        win64_link_made=0
    fi
    {
        printf 'REGEDIT4\r\n'
        for key in "${win64_watched_keys[@]}"; do printf '\r\n[-%s]\r\n' "$key"; done
    } > "$dir/registry-clear.reg"
    win64_run "$dir" reg import registry-clear.reg || return
    if [ -f "$1/registry.reg" ]; then
        cp "$1/registry.reg" "$dir/registry.reg"
        win64_run "$dir" reg import registry.reg || return
    fi
    if [ -f "$1/registry-unavailable" ]; then
        win64_run "$dir" "$win64_link_helper" make "$win64_link_key" "$win64_link_target" || return
        win64_link_made=1
    fi
    return 0
}

win64_registry_listing() { # work
    local dir=$1/.e2e key n=0
    for key in "${win64_watched_keys[@]}"; do
        n=$((n + 1))
        # A key that is not there has nothing to list; any other failure is
        # told, so that a listing short of a key explains itself.
        if (cd "$dir" && "$launcher" reg export "$key" "export-$n.reg" /y > "export-$n.log" 2>&1); then
            iconv -f UTF-16LE -t UTF-8 "$dir/export-$n.reg"
        elif ! grep -q 'Unable to find the specified registry key' "$dir/export-$n.log"; then
            echo "win64: reg export $key: $(tr -d '\r' < "$dir/export-$n.log")" >&2
        fi
    done | "$here/registry_listing.sh"
}

# The Windows C library writes standard output and standard error in text
# mode: every \n goes out as \r\n (see the head of run_cases.sh).
win64_expected_stream() { # expected-file
    sed -z 's/\n/\r\n/g' "$1"
}

# The trace's last line "close" is the stand-in's release on Linux; on
# Windows the handle goes back through the system's CloseHandle, which the
# library never sees.
win64_expected_file() { # relative-path expected-file
    local setting trace=
    for setting in "${envs[@]}"; do
        case "$setting" in ONDREL_TRACE=*) trace=${setting#ONDREL_TRACE=} ;; esac
    done
    if [ -n "$trace" ] && [ "$1" = "$trace" ]; then
        sed '${/^close$/d}' "$2"
    else
        cat "$2"
    fi
}
