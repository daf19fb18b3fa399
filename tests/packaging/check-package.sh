#!/usr/bin/env bash
# The Debian package as an operator gets it: unpacked with dpkg-deb into a temporary root, its
# files, control data and documents are checked, and its programs are started from there as an
# unprivileged user (nobody when this runs as root, which the program folder then cannot be
# written by; otherwise the folder is made read-only). Usage: check-package.sh BUILD SOURCE
set -uo pipefail
build=$(cd "$1" && pwd) source=$(cd "$2" && pwd)
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

deb=$(ls -t "$build"/orvane_*.deb 2>/dev/null | head -n 1) # the newest
[ -f "$deb" ] || { echo "FAIL: no package in $build" >&2; exit 1; }
work=$(mktemp -d)
pids=() # the simulator and the window, stopped at the end whatever happened
cleanup() {
    for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null; done
    chmod -R u+w "$work"
    rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work"
root=$work/root app=$work/root/usr/lib/orvane home=$work/home
dpkg-deb -x "$deb" "$root"

# --- The name, the control data and the file list.
version=$(dpkg-deb -f "$deb" Version) arch=$(dpkg-deb -f "$deb" Architecture)
[ "$(basename "$deb")" = "orvane_${version}_${arch}.deb" ] || fail "package name $(basename "$deb")"
dpkg-deb -f "$deb" Depends | grep -qF 'fonts-wqy-microhei | fonts-noto-cjk' || fail "no CJK font in Depends"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "Depends lacks the shared libraries"
[ "$(dpkg-deb -f "$deb" Recommends)" = xdg-utils ] || fail "Recommends is not xdg-utils"
[ "$(dpkg-deb --ctrl-tarfile "$deb" | tar -xOf - ./conffiles)" = /etc/orvane/Udate_VX.ini ] ||
    fail "the seed is not the conffile"

expected=(etc/orvane/Udate_VX.ini usr/share/applications/orvane.desktop
    usr/share/metainfo/org.orvane.Orvane.metainfo.xml usr/lib/udev/rules.d/60-orvane-writer.rules
    usr/share/bash-completion/completions/orvane-cli)
for exe in orvane orvane-cli orvane-writer-sim; do
    expected+=("usr/lib/orvane/$exe" "usr/share/man/man1/$exe.1.gz")
    [ "$(readlink "$root/usr/bin/$exe")" = "../lib/orvane/$exe" ] || fail "usr/bin/$exe is no relative link"
done
for file in device.name About.txt installed Tovik_Usermenu.pdf Tovik_Usermenu_en.pdf help/index.html \
    help/en/index.html; do
    expected+=("usr/lib/orvane/$file")
done
while read -r model; do expected+=("usr/lib/orvane/${model}_20.S19"); done < <(tr -d '\r' <"$app/device.name")
# Every picture stem of the slot table, and the default picture.
stems=$(grep -oE '^\s*\{[0-9]+, -?[0-9]+, "[^"]+"' "$source/catalogue/SlotTable.cpp" | cut -d'"' -f2)
for stem in pp $stems; do
    expected+=("usr/lib/orvane/image/$stem.bmp")
done
for size in 16 32 48 64 128 256; do expected+=("usr/share/icons/hicolor/${size}x$size/apps/orvane.png"); done
for file in "${expected[@]}"; do [ -f "$root/$file" ] || fail "missing $file"; done
[ "${#expected[@]}" -ge 74 ] || fail "the expected list is short: ${#expected[@]}"

# --- Desktop entry, metadata, man pages, completion, udev rule.
desktop-file-validate "$root/usr/share/applications/orvane.desktop" || fail "desktop-file-validate"
grep -q '^Name\[zh_CN\]=' "$root/usr/share/applications/orvane.desktop" || fail "no Chinese name"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.orvane.Orvane.metainfo.xml" >/dev/null ||
    fail "appstreamcli validate"
grep -qF "<release version=\"$version\"" "$root/usr/share/metainfo/org.orvane.Orvane.metainfo.xml" ||
    fail "the metainfo's release is not $version"
for exe in orvane orvane-cli orvane-writer-sim; do
    page=$root/usr/share/man/man1/$exe.1.gz
    warnings=$(LC_ALL=C.UTF-8 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man $exe: $warnings"
done
completion=$root/usr/share/bash-completion/completions/orvane-cli
bash -n "$completion" || fail "bash -n on the completion"
# Every option that --help prints is in the man page (and, for orvane-cli, in the completion).
for exe in orvane-cli orvane-writer-sim; do
    source_text=$(zcat "$root/usr/share/man/man1/$exe.1.gz" | sed 's/\\-/-/g')
    for option in $("$app/$exe" --help | grep -oE -- '--[a-z][a-z-]+' | sort -u); do
        grep -qF -- "$option" <<<"$source_text" || fail "man $exe lacks $option"
        [ "$exe" = orvane-writer-sim ] || grep -qwF -- "$option" "$completion" ||
            fail "completion lacks $option"
    done
done
commands=$("$app/orvane-cli" --help | sed -n '/^Files:/,/^Options:/p' | grep -oE '^  [a-z-]+')
cli_page=$(zcat "$root/usr/share/man/man1/orvane-cli.1.gz" | sed 's/\\-/-/g')
for command in $commands; do
    grep -qw -- "$command" "$completion" || fail "completion lacks the command $command"
    grep -qE "^\.BI? $command( |$)" <<<"$cli_page" || fail "man orvane-cli lacks the command $command"
done
for status in $(seq 0 13); do
    grep -qx "\.B $status" <<<"$cli_page" || fail "man orvane-cli lacks the exit status $status"
done
rules=$root/usr/lib/udev/rules.d/60-orvane-writer.rules
if udevadm verify --help >/dev/null 2>&1; then
    udevadm verify --resolve-names=never "$rules" >/dev/null || fail "udevadm verify"
else # every rule line: comma-separated KEY[{attr}]OP"value"
    pair='[A-Z_]+(\{[A-Za-z_]+\})?(==|!=|=|\+=|-=|:=)"[^"]*"'
    grep -vE '^\s*(#|$)' "$rules" | grep -vxE "$pair(, $pair)*" | sed 's/^/bad udev line: /' >&2 &&
        fail "udev rule syntax"
fi
for id in 1a86:7523 1a86:5523 10c4:ea60 0403:6001 0403:6010 0403:6014 0403:6015 067b:2303; do
    grep -E "^SUBSYSTEM==\"tty\", ATTRS\{idVendor\}==\"${id%:*}\", ATTRS\{idProduct\}==\"${id#*:}\", " "$rules" |
        grep -F 'GROUP="dialout", MODE="0660", TAG+="uaccess", ENV{ID_MM_DEVICE_IGNORE}="1"' >/dev/null ||
        fail "no udev rule for $id"
done

# --- The manuals, Chinese and English: pages, pictures, every chapter starting a page with its title
# (ligatures spelled out), the HTML help's pictures; a CJK font embedded in the Chinese one.
manual_text() { pdftotext "$1" - | sed 's/ﬁ/fi/g; s/ﬂ/fl/g; s/ﬀ/ff/g; s/ﬃ/ffi/g; s/ﬄ/ffl/g'; }
check_manual() { # PDF HELP_DIR MARKDOWN_DIR
    local pdf=$1 help=$2 chapters=("$3"/*.md) lines pages pictures text title src
    lines=$(cat "${chapters[@]}" | wc -l)
    pages=$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')
    [ "$pages" -ge $((lines / 50)) ] || fail "$pdf: $pages pages for $lines lines of Markdown"
    pictures=$(cat "${chapters[@]}" | grep -o '!\[' | wc -l)
    [ "$(pdfimages -list "$pdf" | tail -n +3 | wc -l)" -ge "$pictures" ] ||
        fail "fewer than $pictures pictures in $pdf"
    text=$'\f'$(manual_text "$pdf" | tr '\n' ' ') # a form feed starts every page
    while read -r title; do
        grep -qF $'\f'"$title" <<<"$text" || fail "$pdf has no page starting with the chapter $title"
    done < <(awk 'FNR == 1 && sub(/^# /, "")' "${chapters[@]}") # a chapter's title is its first line
    for src in $(grep -oE 'src="[^"]+"' "$help/index.html" | cut -d'"' -f2); do
        [ -f "$help/$src" ] || fail "the HTML help $help lacks $src"
    done
}
check_manual "$app/Tovik_Usermenu.pdf" "$app/help" "$source/docs/manual"
check_manual "$app/Tovik_Usermenu_en.pdf" "$app/help/en" "$source/docs/manual/en"
pdffonts "$app/Tovik_Usermenu.pdf" | grep -E 'WenQuanYi|Noto.*CJK' | grep -qE ' yes +(yes|no) +yes ' ||
    fail "no embedded CJK font"
text=$(manual_text "$app/Tovik_Usermenu.pdf")
for words in 选择芯片 配置芯片 下载+编程 查空 读取 十六进制编辑器 滚动码 找不到帮助文件 故障排除; do
    grep -qF "$words" <<<"$text" || fail "the PDF's text lacks $words"
done

# --- The unpacked programs as an unprivileged user: data from the program folder, settings per
# user in XDG_CONFIG_HOME, read from the seed until the window's first save.
mkdir -p "$home"
xdg=$home/config
user_file=$xdg/orvane/Udate_VX.ini
as_user=(env HOME="$home" XDG_CONFIG_HOME="$xdg" QT_QPA_PLATFORM=offscreen)
if [ "$(id -u)" = 0 ]; then
    chown nobody "$home"
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups -- "${as_user[@]}")
else
    chmod -R a-w "$root"
fi
chmod u+w "$root/etc/orvane" "$root/etc/orvane/Udate_VX.ini"
{
    printf '; site-wide\r\n[CHIP]\r\nCHIP_NAME=QK110\r\n[JOURNAL]\r\nFOLDER=/srv/lots\r\n[PORTS]\r\nCOM1=%s\r\n' "$home/com1"
    for n in $(seq 2 20); do printf 'COM%s=%s\r\n' "$n" "$home/none"; done
} >"$root/etc/orvane/Udate_VX.ini"
before=$(cd "$app" && find . -printf '%p %s %T@\n' | sort)

info=$("${as_user[@]}" "$root/usr/bin/orvane-cli" info "$app/QK128_20.S19") || fail "orvane-cli info failed"
grep -qx 'model: QK110 (package 20)' <<<"$info" || fail "info did not read the seed: $info"
grep -qxF "settings file: $user_file (not written yet: read from $root/etc/orvane/Udate_VX.ini)" <<<"$info" ||
    fail "info's settings line: $(tail -n 1 <<<"$info")"

"${as_user[@]}" "$root/usr/bin/orvane-writer-sim" --link "$home/com1" >/dev/null 2>&1 &
pids+=($!)
disown
for _ in $(seq 100); do [ -e "$home/com1" ] && break; sleep 0.1; done
"${as_user[@]}" "$root/usr/bin/orvane" >"$work/window.log" 2>&1 &
window=$!
pids+=("$window")
# SIGTERM once the window handles it (SigCgt bit 14): it closes after its start-up, as Exit does.
for _ in $(seq 100); do
    mask=$(awk '/^SigCgt:/ {print $2}' "/proc/$window/status" 2>/dev/null) || break
    [ $((0x${mask:-0} >> 14 & 1)) = 1 ] && break
    sleep 0.1
done
kill -TERM "$window"
for _ in $(seq 300); do kill -0 "$window" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$window" 2>/dev/null; then
    kill -KILL "$window"
    fail "the window did not close on SIGTERM: $(cat "$work/window.log")"
fi
wait "$window" || fail "the window ended with $?: $(cat "$work/window.log")"
saved=$(cat "$user_file" 2>/dev/null) || fail "the window wrote no $user_file"
for line in 'CHIP_NAME=QK110' 'FOLDER=/srv/lots' "COM1=$home/com1" '[OPTION]' '[ID]'; do
    grep -qF "$line" <<<"$saved" || fail "the user's settings lack $line"
done
[ "$(stat -c %a "$xdg/orvane")" = 700 ] || fail "the settings folder's mode is $(stat -c %a "$xdg/orvane")"
[ "$before" = "$(cd "$app" && find . -printf '%p %s %T@\n' | sort)" ] || fail "the program folder changed"

# From now on the user's own file is read, not the seed.
sed -i 's/QK110/QK101/' "$root/etc/orvane/Udate_VX.ini"
info=$("${as_user[@]}" "$root/usr/bin/orvane-cli" info "$app/QK128_20.S19")
grep -qx 'model: QK110 (package 20)' <<<"$info" || fail "the user's file was not read"
grep -qxF "settings file: $user_file" <<<"$info" || fail "settings line once written: $(tail -n 1 <<<"$info")"

# A build-tree copy keeps its settings beside the executable.
info=$(env XDG_CONFIG_HOME="$xdg" "$build/bin/orvane-cli" info "$app/QK128_20.S19")
grep -qxF "settings file: $build/bin/Udate_VX.ini" <<<"$info" ||
    fail "build copy's settings: $(tail -n 1 <<<"$info")"

[ "$failures" = 0 ] && echo "package $(basename "$deb"): all checks passed"
exit $((failures > 0))
