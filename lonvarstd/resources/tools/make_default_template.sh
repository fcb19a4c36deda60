#!/bin/sh
# Remakes Default.xlt, the spreadsheet template the program ships, from Default.fods (one
# sheet, "Tabelle1", the default target sheet of a USB gauge) with the office itself.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
HOME=$work soffice --headless --norestore \
    --convert-to 'xlt:MS Excel 97 Vorlage/Template' --outdir "$work" "$here/Default.fods"
cp "$work/Default.xlt" "$here/Default.xlt"
