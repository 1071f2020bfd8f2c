#!/usr/bin/env bash
# Makes the README's pictures in docs/ from the screenshots the GUI tests save in
# build/windows/artifacts/ (run ./vantrel.sh test first). A screenshot of the
# whole screen is cut to the window on it (the screen around it is black); each
# picture is written without metadata and kept under 150 KB (fewer colours if
# need be). Needs ImageMagick (Debian's imagemagick, which scripts/setup.sh installs).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
artifacts="$root/build/windows/artifacts"
docs="$root/docs"
max_bytes=153600

convert=$(command -v convert-im6.q16 || command -v convert || true)
if [ -z "$convert" ]; then
    echo "docs-pictures: ImageMagick's convert is missing (bash scripts/setup.sh installs it)" >&2
    exit 1
fi

# picture  screenshot  whole-screen|window
pictures=(
    "main-window.png      vantrelsim-main.png              whole-screen"
    "properties.png       vantrelsim-properties.png        window"
    "wizard.png           wizard-create-2-information.png  window"
    "error-list.png       operations_error_list.png        window"
)

mkdir -p "$docs"
for line in "${pictures[@]}"; do
    read -r picture shot kind <<<"$line"
    source="$artifacts/$shot"
    if [ ! -f "$source" ]; then
        echo "docs-pictures: $source is missing; run ./vantrel.sh test first" >&2
        exit 1
    fi
    crop=()
    [ "$kind" = whole-screen ] && crop=(-trim +repage)
    target="$docs/$picture"
    "$convert" "$source" "${crop[@]}" -strip -define png:compression-level=9 "PNG24:$target"
    if [ "$(stat -c %s "$target")" -gt "$max_bytes" ]; then
        "$convert" "$source" "${crop[@]}" -strip -colors 256 -define png:compression-level=9 \
            "PNG8:$target"
    fi
    size=$(stat -c %s "$target")
    if [ "$size" -gt "$max_bytes" ]; then
        echo "docs-pictures: $target is $size bytes, over $max_bytes" >&2
        exit 1
    fi
    echo "docs/$picture: $("$convert" "$target" -format '%wx%h' info:), $size bytes"
done
