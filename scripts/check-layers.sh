#!/usr/bin/env bash
# Checks the layers of src/: each folder includes only from itself and the folders below it, and no widget or
# GUI header (in any spelling: <QWidget>, <QColor>, <QtGui/QPainter>, <QtWidgets>, …) appears in Platform,
# Core or Scanners, nor in a view-model file of the upper folders, which are tested without drawing. The
# services (the exclusions, the preferences, the journal) are members of the composition root and of the
# command line's set, handed down from there: nothing keeps one in a function-level or file-level static, defines
# or reaches a `shared()` of one, or names a `SharedInstance`. Only the composition root (src/Main) reaches any
# other process-wide object through `X::shared()`; the files of X itself may define it, and a private pool of
# one folder may be reached in that folder. No function of src/ is a test setter (a name ending in `ForTests` or
# `Override`, such as `setFaultForTests(` or `setUserCanWriteOverride(`): tests hand their fakes in through seams.
# Each failure names the file, the line and what it uses.
#
# Usage: scripts/check-layers.sh [ROOT]   (ROOT holds src/; the repository by default)
set -euo pipefail
root="${1:-$(dirname "$0")/..}"
src="$root/src"
[[ -d "$src" ]] || { echo "check-layers: no src folder under $root" >&2; exit 2; }

# The folders in layer order; those on one line are siblings and may not use each other.
declare -A allowed=(
    [Platform]="Platform"
    [Core]="Platform Core"
    [Scanners]="Platform Core Scanners"
    [Look]="Platform Core Scanners Look"
    [Scan]="Platform Core Scanners Look Scan"
    [Performance]="Platform Core Scanners Look Scan Performance"
    [Tools]="Platform Core Scanners Look Scan Tools"
    [Developer]="Platform Core Scanners Look Scan Developer"
    [App]="Platform Core Scanners Look Scan Performance Tools Developer App"
    [Main]="Platform Core Scanners Look Scan Performance Tools Developer App Main"
)
headless=" Platform Core Scanners "

# Process-wide pools private to one folder, which no other layer sees: reached there by `X::shared()`.
declare -A private_pool=(
    [WalkPool]=Platform
)

# The services the composition root owns as members.
services="Exclusions|Preferences|History"

# Files of the upper folders that hold view models (or the state behind them): no widget header.
is_model_file() {
    local name
    name="${1##*/}"
    name="${name%.*}"
    [[ "$name" == *ViewModel || "$name" == AppState ]]
}

# The header names of Qt's drawing modules, from the installed headers, less any that Qt Core also has.
qt_headers=$(qtpaths6 --query QT_INSTALL_HEADERS 2>/dev/null || qmake6 -query QT_INSTALL_HEADERS 2>/dev/null ||
    echo /usr/include/x86_64-linux-gnu/qt6)
gui_modules="QtGui QtWidgets QtOpenGL QtOpenGLWidgets QtPrintSupport QtSvg QtSvgWidgets"
declare -A gui_name=()
for module in $gui_modules; do
    [[ -d "$qt_headers/$module" ]] || continue
    for header in "$qt_headers/$module"/*; do
        gui_name[${header##*/}]=1
    done
done
if [[ ${#gui_name[@]} -eq 0 ]]; then
    echo "check-layers: no QtGui or QtWidgets headers under $qt_headers" >&2
    exit 2
fi
for header in "$qt_headers/QtCore"/*; do
    unset "gui_name[${header##*/}]"
done

is_gui_include() {
    local target="$1" first="${1%%/*}"
    case " $gui_modules " in *" $first "*) return 0 ;; esac
    [[ "$target" != */* && -n "${gui_name[$target]:-}" ]]
}

failures=0
fail() {
    echo "$1" >&2
    failures=$((failures + 1))
}

while IFS= read -r -d '' file; do
    relative="${file#"$src"/}"
    folder="${relative%%/*}"
    if [[ -z "${allowed[$folder]:-}" ]]; then
        fail "src/$relative: the folder $folder is not in the layer order (scripts/check-layers.sh)"
        continue
    fi
    # One read of the file for the checks below: its includes, its statics, its test setters and its shared() calls.
    found=$(grep -nE '^[[:space:]]*#[[:space:]]*include|SharedInstance|static|ForTests|Override|::[[:space:]]*shared[[:space:]]*\(' \
        "$file" || true)
    [[ -n "$found" ]] || continue
    no_gui=0
    if [[ "$headless" == *" $folder "* ]] || is_model_file "$file"; then
        no_gui=1
    fi
    while IFS= read -r hit; do
        line="${hit%%:*}"
        text="${hit#*:}"
        [[ "$text" =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*([\"\<])([^\"\>]+)[\"\>] ]] || continue
        quote="${BASH_REMATCH[1]}"
        target="${BASH_REMATCH[2]}"
        shown="$target"
        [[ "$quote" == "<" ]] && shown="<$target>" || shown="\"$target\""
        if [[ "$target" == */* ]]; then
            first="${target%%/*}"
            if [[ -n "${allowed[$first]:-}" && " ${allowed[$folder]} " != *" $first "* ]]; then
                fail "src/$relative:$line: includes $shown; $folder may include only from ${allowed[$folder]// /, }"
            fi
            if [[ "$target" == ../* || "$target" == */../* ]]; then
                fail "src/$relative:$line: includes $shown; name another folder by its layer, not by ../"
            fi
        fi
        if [[ $no_gui -eq 1 ]] && is_gui_include "$target"; then
            what="$folder"
            is_model_file "$file" && [[ "$headless" != *" $folder "* ]] && what="a view-model file"
            fail "src/$relative:$line: includes $shown, a widget or GUI header, in $what (Qt Core only)"
        fi
    done <<< "$found"
    # A service kept for the whole process, whatever its spelling: a static of its type (a pointer, a reference,
    # a holder of one), a `shared()` of it, or the one-object holder that made them so.
    while IFS= read -r hit; do
        line="${hit%%:*}"
        text="${hit#*:}"
        [[ "$text" =~ ^[[:space:]]*(//|#[[:space:]]*include) ]] && continue
        if [[ "$text" =~ SharedInstance ]]; then
            fail "src/$relative:$line: names SharedInstance; a service is a member of the composition root, handed down"
        elif [[ "$text" =~ (^|[^A-Za-z0-9_])($services)[[:space:]]*[\&*][[:space:]]*($services)[[:space:]]*::[[:space:]]*shared[[:space:]]*\( ]]; then
            fail "src/$relative:$line: defines ${BASH_REMATCH[3]}::shared(); a service is a member of the composition root, handed down"
        elif [[ "$text" =~ (^|[^A-Za-z0-9_])($services)[[:space:]]*::[[:space:]]*shared[[:space:]]*\( ]]; then
            fail "src/$relative:$line: reaches ${BASH_REMATCH[2]}::shared(); a service is a member of the composition root, handed down"
        elif [[ "$text" =~ (^|[^A-Za-z0-9_])static[[:space:]]+([^;=\(]*[^A-Za-z0-9_:])?($services)([^A-Za-z0-9_:]|$) ]]; then
            fail "src/$relative:$line: keeps ${BASH_REMATCH[3]} in a static; a service is a member of the composition root, handed down"
        fi
    done <<< "$found"
    # A setter by which a test changes what the whole process does, declared, defined or called: comments aside.
    [[ "$found" == *ForTests* || "$found" == *Override* ]] && while IFS= read -r hit; do
        line="${hit%%:*}"
        text="${hit#*:}"
        [[ "$text" =~ ^[[:space:]]*(/\*|\*) ]] && continue
        text="${text%%//*}"
        [[ "$text" =~ (^|[^A-Za-z0-9_])([A-Za-z_][A-Za-z0-9_]*(ForTests|Override))[[:space:]]*\( ]] || continue
        fail "src/$relative:$line: names ${BASH_REMATCH[2]}(), a test setter in production code; a test hands its fake in through a seam where it is used"
    done <<< "$found"
    [[ "$folder" == Main ]] && continue
    own="${file##*/}"
    own="${own%.*}"
    while IFS= read -r hit; do
        line="${hit%%:*}"
        rest="${hit#*:}"
        [[ "$rest" =~ ^[[:space:]]*// ]] && continue
        [[ "$rest" =~ ::[[:space:]]*shared[[:space:]]*\( ]] || continue
        while [[ "$rest" =~ ([A-Za-z_][A-Za-z0-9_]*)[[:space:]]*::[[:space:]]*shared[[:space:]]*\( ]]; do
            class="${BASH_REMATCH[1]}"
            rest="${rest#*"${BASH_REMATCH[0]}"}"
            [[ "$class" =~ ^($services)$ || "$class" == "$own" || "${private_pool[$class]:-}" == "$folder" ]] && continue
            fail "src/$relative:$line: reaches $class::shared(); only the composition root (src/Main) reaches it and hands it down"
        done
    done <<< "$found"
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.hpp' -o -name '*.mm' \) -print0 | sort -z)

if [[ $failures -gt 0 ]]; then
    echo "check-layers: $failures line(s) break the layers" >&2
    exit 1
fi
echo "check-layers: every include keeps to its layer, no service is a process-wide object, only the composition root reaches shared(), and no test setter is left in src"
