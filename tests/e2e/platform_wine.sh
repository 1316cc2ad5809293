# The Windows platforms of the test scripts: the Windows programs under Wine.
# Sourced; all its state is set by wine_setup from its arguments and kept in
# wine_* variables here.
#
#   wine_setup BIN LAUNCHER   BIN: the Windows build's bin folder; LAUNCHER:
#                             /usr/lib/wine/wine64 (win64) or scripts/wine32
#                             (win32, the PE32 programs users get)
#
# Wine: one private WINEPREFIX per run, copied from a template kept beside
# the build (BIN/../e2e-wine-template, made again when Wine changes), and
# one wineserver kept alive (-p) from the first program to the last, so that
# each program start costs a fraction of a second. The server is stopped
# (-k) and the prefix removed when the script exits.
#
# The registry: before each tessaran case the watched keys are deleted and
# the case's registry.reg is imported with Wine's own `reg import`, as it
# stands; afterwards `reg export` writes the watched keys (UTF-16 text) for
# registry_listing.sh. Under wine32 that `reg` is the 32-bit one, which sees
# the registry as the 32-bit programs do (HKLM\SOFTWARE is its 32-bit view).
# For registry-unavailable, the platform-type key's grandparent Targets
# becomes a symbolic link key to a key that cannot be made (its parent is
# missing too): Wine then fails every create beneath it.

wine_watched_keys=(
    'HKEY_LOCAL_MACHINE\SOFTWARE\Analog Devices'
    'HKEY_CLASSES_ROOT\VisualDSP.Kulvaspe'
    'HKEY_CLASSES_ROOT\CLSID\{5E2B07A4-91C3-4F6D-A8E0-3B7D19C64F52}'
)
wine_link_key='SOFTWARE\Analog Devices\VisualDSP++ 4.0\Targets'
wine_link_target='\Registry\Machine\SOFTWARE\Analog Devices\No Such Key\No Such Subkey'
wine_link_made=0

wine_setup() { # bin launcher
    wine_bin=$(cd "$1" && pwd)
    wine_launcher=$2
    wine_link_helper=$wine_bin/../tests/windows/registry_link_key.exe
    [ -x "$wine_launcher" ] || { echo "wine: $wine_launcher is not a Wine launcher" >&2; exit 2; }
    # wine32 serves its own wineserver; wine64's lies beside it.
    case "$wine_launcher" in
        */wine32) wine_server=("$wine_launcher" wineserver) ;;
        *) wine_server=("$(dirname "$wine_launcher")/wineserver") ;;
    esac
    # No fixme chatter on stderr, no windows, no offers to fetch add-ons.
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    unset DISPLAY WAYLAND_DISPLAY

    local template=$wine_bin/../e2e-wine-template stamp
    stamp="$("$wine_launcher" --version) $(stat -c %Y /usr/share/wine/wine.inf 2> /dev/null)"
    # Suites that run side by side share the template: one makes it, the
    # others wait for it.
    (
        flock 9
        if [ "$(cat "$template.stamp" 2> /dev/null)" != "$stamp" ]; then
            echo "making the Wine prefix template (once per Wine version)"
            # A first start on a cold machine once left the prefix half made
            # (no 32-bit programs): such a template is made once more, and never
            # stamped as whole.
            local attempt whole=$template/drive_c/windows/syswow64/reg.exe
            for attempt in 1 2; do
                rm -rf "$template" "$template.stamp"
                WINEPREFIX=$template "$wine_launcher" wineboot --init > "$template.log" 2>&1
                # The registry reaches its files when the server exits.
                WINEPREFIX=$template "${wine_server[@]}" --wait
                [ -f "$template/system.reg" ] && [ -f "$whole" ] && break
            done
            [ -f "$whole" ] || { echo "wine: no whole Wine prefix made in $template (see $template.log)" >&2; exit 2; }
            echo "$stamp" > "$template.stamp"
        fi
    ) 9> "$template.lock" || exit 2
    wine_template=$template

    WINEPREFIX=$(wine_new_prefix)
    export WINEPREFIX
    trap wine_teardown EXIT
    trap 'exit 1' INT TERM
    wine_start_server
}

# A fresh prefix from the template, printed. The system DLLs (most of the
# 700 MB) are only ever read: hard links make the copy instant. The registry
# files are rewritten: real copies.
wine_new_prefix() {
    local prefix f
    prefix=$(mktemp -d "$wine_template.run-XXXXXX")
    cp -al "$wine_template/." "$prefix/" 2> /dev/null || cp -a "$wine_template/." "$prefix/"
    for f in "$wine_template"/*.reg "$wine_template/.update-timestamp"; do
        cp --remove-destination "$f" "$prefix/"
    done
    echo "$prefix"
}

# Wine's own services start with the first program and live as long as the
# server: start them here, holding nothing of the caller's output, or
# whoever reads that output would wait for them.
wine_start_server() {
    "${wine_server[@]}" -p > /dev/null 2>&1 < /dev/null
    "$wine_launcher" cmd /c exit > /dev/null 2>&1 < /dev/null
}

# Puts the template's registry back into WINEPREFIX. The server holds the
# registry and saves it on exit: the files go back after it stopped. (Not
# -k9: that kills the server alone and leaves Wine's services running.)
wine_reset_registry() {
    "${wine_server[@]}" -k 2> /dev/null
    "${wine_server[@]}" -w
    cp --remove-destination "$wine_template"/*.reg "$WINEPREFIX/"
    wine_start_server
}

wine_teardown() { # stops the server of WINEPREFIX and removes the prefix
    "${wine_server[@]}" -k 2> /dev/null
    "${wine_server[@]}" -w 2> /dev/null
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

# Runs a Windows program in the folder given; its output shows only on
# failure, on standard output, and the status is then 1. (Into a file, not a
# pipe: a pipe's reader could wait on Wine's services.)
wine_run() { # folder program args...
    local folder=$1 try
    shift
    for try in 1 2; do
        (cd "$folder" && "$wine_launcher" "$@" > wine.log 2>&1 < /dev/null) && return 0
        # Now and then Wine fails to start a program at all: nothing ran, so
        # starting it once more is safe.
        grep -q 'Application could not be started' "$folder/wine.log" || break
        echo "note: $(basename "$wine_launcher") $1 did not start, starting it again" >&2
    done
    echo "$(basename "$wine_launcher") $*: $(cat "$folder/wine.log")"
    return 1
}

wine_registry_seed() { # case_dir work
    local dir=$2/.e2e key
    if [ $wine_link_made = 1 ]; then
        # A link key stops the deletion of the keys around it: it goes first.
        wine_run "$dir" "$wine_link_helper" remove "$wine_link_key" || return
        wine_link_made=0
    fi
    {
        printf 'REGEDIT4\r\n'
        for key in "${wine_watched_keys[@]}"; do printf '\r\n[-%s]\r\n' "$key"; done
    } > "$dir/registry-clear.reg"
    wine_run "$dir" reg import registry-clear.reg || return
    if [ -f "$1/registry.reg" ]; then
        cp "$1/registry.reg" "$dir/registry.reg"
        wine_run "$dir" reg import registry.reg || return
    fi
    if [ -f "$1/registry-unavailable" ]; then
        wine_run "$dir" "$wine_link_helper" make "$wine_link_key" "$wine_link_target" || return
        wine_link_made=1
    fi
    return 0
}

wine_registry_listing() { # work
    local dir=$1/.e2e key n=0
    for key in "${wine_watched_keys[@]}"; do
        n=$((n + 1))
        # A key that is not there has nothing to list; any other failure is
        # told, so that a listing short of a key explains itself.
        if (cd "$dir" && "$wine_launcher" reg export "$key" "export-$n.reg" /y > "export-$n.log" 2>&1); then
            iconv -f UTF-16LE -t UTF-8 "$dir/export-$n.reg"
        elif ! grep -q 'Unable to find the specified registry key' "$dir/export-$n.log"; then
            echo "wine: reg export $key: $(tr -d '\r' < "$dir/export-$n.log")" >&2
        fi
    done | "$(dirname "${BASH_SOURCE[0]}")/registry_listing.sh"
}

# The Windows C library writes standard output and standard error in text
# mode: every \n goes out as \r\n (see the head of run_cases.sh).
wine_expected_stream() { # expected-file
    sed -z 's/\n/\r\n/g' "$1"
}

# The trace's last line "close" is the stand-in's release on Linux; on
# Windows the handle goes back through the system's CloseHandle, which the
# library never sees.
wine_expected_file() { # relative-path expected-file trace-path
    if [ -n "$3" ] && [ "$1" = "$3" ]; then
        sed '${/^close$/d}' "$2"
    else
        cat "$2"
    fi
}
