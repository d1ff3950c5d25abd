#!/usr/bin/env bash
# Writes a contact sheet of every full-size texture in a built pack, for looking the art over.
#   tools/contact_sheet.sh [pack] [sheet.png]
# Needs python3 and ImageMagick. The pack defaults to build/run/data/assets.ass.
set -euo pipefail
pack=${1:-build/run/data/assets.ass}
sheet=${2:-contact_sheet.png}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 - "$pack" "$work" <<'PY'
import gzip, struct, sys
data = gzip.open(sys.argv[1], 'rb').read()
pos = 4 + struct.unpack_from('<i', data, 0)[0]
count = struct.unpack_from('<i', data, pos)[0]
pos += 4
for i in range(count):
    n = struct.unpack_from('<i', data, pos)[0]
    name = data[pos + 4:pos + 4 + n].decode()
    offset, size = struct.unpack_from('<ii', data, pos + 4 + n)
    pos += 12 + n
    if name.startswith('textures\\') and not name.startswith('textures\\small\\'):
        with open('%s/%03d_%s' % (sys.argv[2], i, name[9:]), 'wb') as f:
            f.write(data[offset:offset + size])
PY
# Targa rows are stored bottom-up: -auto-orient shows them upright.
for f in "$work"/*.tga; do convert "$f" -auto-orient "${f%.tga}.png"; done
montage -background '#404048' -fill white -font DejaVu-Sans -pointsize 10 -label '%t' "$work"/*.png \
  -geometry 160x160+4+4 -tile 12x "$sheet"
echo "$sheet"
