# Sourced: imagemagick_convert prints the command of a real ImageMagick
# converter ("magick" of version 7, or a "convert" whose -version names
# ImageMagick), or fails.  A command merely called convert (GraphicsMagick's,
# or a stand-in) does not count.
imagemagick_convert() {
  local c
  for c in magick /usr/bin/convert convert; do
    command -v "$c" >/dev/null 2>&1 || continue
    if "$c" -version 2>/dev/null | grep -q '^Version: ImageMagick'; then
      echo "$c"
      return 0
    fi
  done
  return 1
}
