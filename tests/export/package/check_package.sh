#!/usr/bin/env bash
# The installed tree and the Debian package:
#   check_package.sh BUILD_DIR SOURCE_DIR VERSION
# installs the build into a temporary root and checks the exact file list, the
# binaries' run paths, the installed metadata (desktop entry, AppStream,
# manual page, icons) and the web page; then builds the .deb with CPack, checks its contents and
# the dependencies dpkg-shlibdeps found, and runs the two programs extracted
# from it. Nothing outside the temporary folder is touched. Exits 77 (skipped)
# when a checking tool is missing, after running every check it could.
set -euo pipefail

build=$(realpath "$1")
source=$(realpath "$2")
version=$3
appid=org.antenne_cours.antenne

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The programs run below keep their runtime files in the temporary folder too.
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
missing=()
have() { command -v "$1" >/dev/null 2>&1 || { missing+=("$1"); return 1; }; }

# Every file a package ships, below the prefix. Anything more (a test program,
# the resource generator, a static library) or less is a fault.
expected="bin/antenne
bin/antenne-export
share/antenne/antenne.html
share/applications/antenne.desktop
share/doc/antenne/copyright.fonts-liberation
share/icons/hicolor/128x128/apps/antenne.png
share/icons/hicolor/32x32/apps/antenne.png
share/man/man1/antenne-export.1.gz
share/metainfo/$appid.metainfo.xml"

# Files are compared sorted with the C collation, whatever the caller's locale.
sorted() { LC_ALL=C sort; }

# Prints the ELF run paths of a binary, if any.
run_paths() { readelf -d "$1" | grep -E '\((RPATH|RUNPATH)\)' || true; }

# Checks an installed tree at ROOT/PREFIX, the way a user's machine gets it.
check_tree() {
    local root=$1 prefix=$2 what=$3
    local top=$root$prefix

    local listed
    listed=$(cd "$top" && find . -type f -o -type l | sed 's|^\./||' | sorted)
    if [ "$listed" != "$(sorted <<<"$expected")" ]; then
        fail "$what: installed files differ from the expected list"
        diff <(sorted <<<"$expected") <(echo "$listed") >&2 || true
    fi

    for program in antenne antenne-export; do
        [ -x "$top/bin/$program" ] || fail "$what: bin/$program is not executable"
        # The build tree's run path must not survive installation: the
        # installed program would load libraries from wherever it was built.
        if have readelf; then
            local paths
            paths=$(run_paths "$top/bin/$program")
            [ -z "$paths" ] || fail "$what: bin/$program keeps a run path: $paths"
        fi
    done

    # The manual page is the committed one, compressed.
    if ! gzip -t "$top/share/man/man1/antenne-export.1.gz" 2>/dev/null \
        || ! gzip -dc "$top/share/man/man1/antenne-export.1.gz" | cmp -s - "$source/docs/antenne-export.1"; then
        fail "$what: the manual page is not docs/antenne-export.1 compressed with gzip"
    fi

    # The web page is the one the installed antenne-export writes, byte for
    # byte (it writes the same bytes every time).
    local page=$top/share/antenne/antenne.html
    grep -q '<html lang="fr">' "$page" || fail "$what: share/antenne/antenne.html is not the French web page"
    if QT_QPA_PLATFORM=offscreen "$top/bin/antenne-export" page "$work/page.html"; then
        cmp -s "$page" "$work/page.html" || fail "$what: the installed page is not the one antenne-export writes"
    else
        fail "$what: the installed antenne-export cannot write the page"
    fi

    for size in 32x32 128x128; do
        cmp -s "$top/share/icons/hicolor/$size/apps/antenne.png" "$source/resources/icons/$size/antenne.png" \
            || fail "$what: the $size icon is not resources/icons/$size/antenne.png"
    done

    # The menu entry runs the installed program and shows the installed icon;
    # the metainfo launches that entry and describes this version.
    local desktop=$top/share/applications/antenne.desktop
    local metainfo=$top/share/metainfo/$appid.metainfo.xml
    grep -qx 'Exec=antenne' "$desktop" || fail "$what: the desktop entry does not run antenne"
    grep -qx 'Icon=antenne' "$desktop" || fail "$what: the desktop entry's icon is not antenne"
    # Its action opens the page installed with it on the laboratory.
    grep -qxF "Exec=sensible-browser \"file://$prefix/share/antenne/antenne.html#labo\"" "$desktop" \
        || fail "$what: the desktop entry's laboratory does not open $prefix/share/antenne/antenne.html#labo"
    grep -q "<id>$appid</id>" "$metainfo" || fail "$what: the metainfo's id is not $appid"
    grep -q '<launchable type="desktop-id">antenne.desktop</launchable>' "$metainfo" \
        || fail "$what: the metainfo does not launch antenne.desktop"
    grep -q "<release version=\"$version\"" "$metainfo" \
        || fail "$what: the metainfo has no release $version"
    # Each screenshot is a picture of the repository's docs/ folder.
    local images
    images=$(sed -n 's|.*<image>\(.*\)</image>.*|\1|p' "$metainfo")
    [ -n "$images" ] || fail "$what: the metainfo has no screenshot"
    for image in $images; do
        [[ "$image" == */docs/* && -f "$source/docs/${image##*/docs/}" ]] \
            || fail "$what: the screenshot $image is not a file of docs/"
    done

    if have desktop-file-validate; then
        desktop-file-validate "$desktop" || fail "$what: desktop-file-validate rejects the desktop entry"
    fi
    if have appstreamcli; then
        # Warnings count as failures too: a software centre may drop the entry.
        local report
        report=$(appstreamcli validate --no-net --no-color "$metainfo" 2>&1) \
            || fail "$what: appstreamcli rejects the metainfo"
        if grep -q '^[EW]:' <<<"$report"; then
            fail "$what: appstreamcli reports errors or warnings"
        fi
        echo "$report"
    fi
}

# 1. A plain install into a staging root, as a distribution's build does.
DESTDIR="$work/root" cmake --install "$build" --prefix /usr >"$work/install.log" \
    || { cat "$work/install.log" >&2; fail "cmake --install failed"; exit 1; }
check_tree "$work/root" /usr "cmake --install"

# 2. The Debian package.
if have dpkg-deb && have dpkg-shlibdeps; then
    cpack --config "$build/CPackConfig.cmake" -B "$work/cpack" >"$work/cpack.log" 2>&1 \
        || { cat "$work/cpack.log" >&2; fail "cpack failed"; exit 1; }
    deb=$work/cpack/antenne_${version}_$(dpkg --print-architecture).deb
    if [ ! -f "$deb" ]; then
        fail "cpack wrote no $(basename "$deb")"
        ls "$work/cpack" >&2
        exit 1
    fi

    # Its contents: exactly the expected files below /usr.
    listed=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./usr/||' | sorted)
    if [ "$listed" != "$(sorted <<<"$expected")" ]; then
        fail "the package's files differ from the expected list"
        diff <(sorted <<<"$expected") <(echo "$listed") >&2 || true
    fi

    field() { dpkg-deb -f "$deb" "$1"; }
    [ "$(field Package)" = antenne ] || fail "package name: $(field Package)"
    [ "$(field Version)" = "$version" ] || fail "package version: $(field Version), not $version"
    [ "$(field Section)" = education ] || fail "package section: $(field Section)"
    [[ "$(field Maintainer)" == *'<'*'@'*'>' ]] || fail "maintainer without an address: $(field Maintainer)"
    [ -n "$(field Description)" ] || fail "the package has no description"

    # Dependencies as dpkg-shlibdeps found them in the binaries.
    depends=$(field Depends)
    echo "Depends: $depends"
    depended=$(tr ',|' '\n\n' <<<"$depends" | sed 's/^ *//; s/[ (].*//')
    for library in libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 libgif7 libzip4 libc6 libstdc++6; do
        grep -qxF "$library" <<<"$depended" || fail "Depends lacks $library"
    done

    # The binaries as shipped: stripped, without run path, and working.
    dpkg-deb -x "$deb" "$work/extracted"
    check_tree "$work/extracted" /usr ".deb"
    if have file; then
        for program in antenne antenne-export; do
            file -L "$work/extracted/usr/bin/$program" | grep -q ', stripped' \
                || fail "the package's $program is not stripped"
        done
    fi
    # The program keeps running until it is closed: still running after a
    # few seconds means it started (timeout's status 124).
    status=0
    QT_QPA_PLATFORM=offscreen timeout 3 "$work/extracted/usr/bin/antenne" || status=$?
    [ "$status" -eq 124 ] || fail "the packaged antenne stopped at start-up with status $status"
    if QT_QPA_PLATFORM=offscreen "$work/extracted/usr/bin/antenne-export" presentation "$work/presentation.png"; then
        signature=$(head -c 8 "$work/presentation.png" | od -An -tx1 | tr -d ' \n')
        [ "$signature" = 89504e470d0a1a0a ] || fail "the packaged antenne-export wrote no PNG"
    else
        fail "the packaged antenne-export failed to run"
    fi
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
if [ ${#missing[@]} -gt 0 ]; then
    echo "skipped the checks needing: $(printf '%s\n' "${missing[@]}" | sort -u | tr '\n' ' ')" >&2
    exit 77
fi
echo "package: all checks passed"
