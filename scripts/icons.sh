#!/usr/bin/env bash
# Makes the configuration manager's pictures, manager/app/Icons/*.ico, each holding a
# 16 and a 32 pixel picture: most from the Tango icon theme (public domain, Debian
# package tango-icon-theme), a few drawn here. The files are committed; run this only
# to change them. Needs tango-icon-theme, imagemagick and librsvg2-bin.
# Usage: bash scripts/icons.sh
set -euo pipefail
cd "$(dirname "$0")/.."
TANGO=/usr/share/icons/Tango
OUT=manager/app/Icons
[ -d "$TANGO/32x32" ] || { echo "tango-icon-theme is not installed" >&2; exit 1; }
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
rm -f "$OUT"/*.ico
mkdir -p "$OUT"

# <file> <16 px png> <32 px png>: one .ico, the large picture first for "il_"/"icl_".
pack() {
  case $1 in
    il_* | icl_*) convert "$3" "$2" "$OUT/$1" ;;
    *) convert "$2" "$3" "$OUT/$1" ;;
  esac
}
# <file...> <tango name>: the theme's own 16 and 32 pixel pictures.
tango() {
  local name=${*: -1}
  for f in "${@:1:$#-1}"; do pack "$f" "$TANGO/16x16/$name.png" "$TANGO/32x32/$name.png"; done
}
# <file...> <tango base> <tango badge>: the base with the badge in its lower right corner.
badged() {
  local base=${*: -2:1} badge=${*: -1}
  convert "$TANGO/32x32/$base.png" \( "$TANGO/16x16/$badge.png" \) -gravity southeast \
    -composite "$WORK/b32.png"
  convert "$TANGO/16x16/$base.png" \( "$TANGO/16x16/$badge.png" -resize 10x10 \) \
    -gravity southeast -composite "$WORK/b16.png"
  for f in "${@:1:$#-2}"; do pack "$f" "$WORK/b16.png" "$WORK/b32.png"; done
}
# <file...> <drawing on a 128 x 128 canvas, in ImageMagick's vector language>: drawn
# large, scaled down.
drawn() {
  convert -size 128x128 xc:none -draw "${*: -1}" "$WORK/d.png"
  convert "$WORK/d.png" -resize 32x32 "$WORK/d32.png"
  convert "$WORK/d.png" -resize 16x16 "$WORK/d16.png"
  for f in "${@:1:$#-1}"; do pack "$f" "$WORK/d16.png" "$WORK/d32.png"; done
}

# Plug-in modules and their categories (the names each plug-in reports).
tango il_assignvalue.ico is_assignvalue.ico apps/accessories-calculator
tango il_relocate.ico is_relocate.ico actions/go-jump
tango il_duplicate.ico is_duplicate.ico actions/edit-copy
badged il_dropfolder.ico is_dropfolder.ico places/folder status/dialog-error
tango il_scour.ico is_scour.ico actions/edit-clear
tango il_erase.ico is_erase.ico places/user-trash
tango il_makefolder.ico is_makefolder.ico actions/folder-new
tango il_sleep.ico is_sleep.ico actions/appointment
tango il_browselink.ico is_browselink.ico apps/internet-web-browser
tango il_JournalNote.ico is_JournalNote.ico apps/accessories-text-editor
badged il_reboothost.ico is_reboothost.ico devices/computer actions/view-refresh
tango il_signouthost.ico is_signouthost.ico actions/system-log-out
tango il_hostfacts.ico is_hostfacts.ico apps/utilities-system-monitor
tango il_poweroffhost.ico is_poweroffhost.ico actions/system-shutdown
tango icl_file.ico ics_file.ico apps/system-file-manager
tango icl_tools.ico ics_tools.ico categories/preferences-system
tango icl_network.ico ics_network.ico places/network-workgroup
tango icl_windows.ico ics_windows.ico devices/computer

# The palette's root and Workflow, the built-in commands, the script's other lines.
tango il_plugins.ico is_plugins.ico categories/package_system
drawn icl_workflow.ico ics_workflow.ico \
  "fill #3465a4 roundrectangle 8,10 64,48 8,8 roundrectangle 64,80 120,118 8,8
   stroke #204a87 stroke-width 10 fill none polyline 36,48 36,99 52,99
   stroke none fill #204a87 polygon 48,84 66,99 48,114"
tango il_erroraction.ico is_erroraction.ico status/dialog-warning
tango il_enddaemon.ico is_enddaemon.ico actions/process-stop
drawn il_stopdaemon.ico is_stopdaemon.ico \
  "fill #f57900 stroke #ce5c00 stroke-width 6 circle 64,64 64,6
   stroke none fill white rectangle 42,36 56,92 rectangle 72,36 86,92"
tango il_comment.ico is_comment.ico apps/internet-group-chat
tango il_loadconfig.ico is_loadconfig.ico actions/document-open
tango il_reschedule.ico is_reschedule.ico apps/office-calendar
tango il_unknown.ico is_unknown.ico status/image-missing
tango il_parameter.ico is_parameter.ico mimetypes/text-x-generic
tango il_default.ico is_default.ico mimetypes/application-x-executable
tango inifile.ico mimetypes/x-office-document

# Menus, toolbars and the side bar.
tango open.ico actions/document-open
tango opendefault.ico actions/go-home
tango save.ico actions/document-save
tango saveas.ico actions/document-save-as
tango save2default.ico devices/drive-harddisk
tango exit.ico actions/system-log-out
drawn startdaemon.ico \
  "fill #73d216 stroke #4e9a06 stroke-width 6 circle 64,64 64,6
   stroke none fill white polygon 48,34 98,64 48,94"
tango service.ico apps/system-installer
drawn organize.ico \
  "fill #3465a4 polygon 36,8 64,44 46,44 46,120 26,120 26,44 8,44
   fill #4e9a06 polygon 92,120 120,84 102,84 102,8 82,8 82,84 64,84"
drawn sort.ico \
  "fill #3465a4 rectangle 8,14 120,34 rectangle 8,54 92,74
   rectangle 8,94 60,114"
tango deleteall.ico actions/edit-delete
tango testre.ico actions/edit-find-replace
tango webupdate.ico apps/system-software-update
tango help.ico apps/help-browser
tango about.ico status/dialog-information
tango reload.ico actions/view-refresh
tango script.ico mimetypes/text-x-script
tango roziroruners.ico places/folder-saved-search
tango preferences.ico categories/preferences-desktop
tango localconstants.ico actions/document-properties
tango globalconstants.ico categories/applications-internet
tango web.ico apps/internet-web-browser
tango configuration.ico categories/preferences-system
tango options.ico categories/applications-system
tango close.ico actions/system-log-out
drawn smallicons.ico \
  "fill #555753 rectangle 10,10 38,38 rectangle 50,10 78,38
   rectangle 90,10 118,38 rectangle 10,50 38,78 rectangle 50,50 78,78
   rectangle 90,50 118,78 rectangle 10,90 38,118 rectangle 50,90 78,118
   rectangle 90,90 118,118"
drawn largeicons.ico \
  "fill #555753 rectangle 8,8 58,58 rectangle 70,8 120,58
   rectangle 8,70 58,120 rectangle 70,70 120,120"
tango up.ico actions/go-up
tango down.ico actions/go-down
tango top.ico actions/go-top
tango bottom.ico actions/go-bottom
tango clearall.ico actions/edit-clear
tango menu.ico actions/go-down
tango download.ico actions/go-bottom
# The product picture of the splash and the about box: 16 to 64 pixels.
for s in 16 32 48 64; do
  rsvg-convert -w $s -h $s "$TANGO/scalable/places/folder-saved-search.svg" -o "$WORK/p$s.png"
done
convert "$WORK/p64.png" "$WORK/p48.png" "$WORK/p32.png" "$WORK/p16.png" "$OUT/product.ico"
echo "Wrote $(ls "$OUT"/*.ico | wc -l) pictures to $OUT"
