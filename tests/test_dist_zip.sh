#!/usr/bin/env bash
# The download for users, unpacked as a user's archiver would: exactly Morvek.exe, はじめに.txt
# and SHA256SUMS.txt; the program is the one the build made and carries the version the zip
# is named after; the text is Shift-JIS with CRLF and says what its source says; the
# checksums hold; Explorer on Japanese Windows finds the text's name in Shift-JIS.
#   test_dist_zip.sh CMAKE ZIP MORVEK_EXE TEXT_SOURCE VERSION
set -uo pipefail
export LC_ALL=C.UTF-8
cmake=$1 zip=$(realpath "$2") exe=$3 source=$4 version=$5
text_name=はじめに.txt

failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }

[ -f "$zip" ] || { echo "FAILED: no $zip" >&2; exit 1; }
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
(cd "$unpacked" && "$cmake" -E tar xf "$zip") || { echo "FAILED: $zip does not unpack" >&2; exit 1; }

listed=$(cd "$unpacked" && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort | tr '\n' ' ')
expected=$(printf '%s\n' Morvek.exe SHA256SUMS.txt "$text_name" | LC_ALL=C sort | tr '\n' ' ')
[ "$listed" = "$expected" ] || fail "the zip holds [$listed], not [$expected]"

cmp -s "$exe" "$unpacked/Morvek.exe" || fail "Morvek.exe in the zip is not $exe"

# The fixed version block of the program: after its signature and structure version come the
# file version's minor and major numbers, then the fourth and third.
offset=$(LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe' "$unpacked/Morvek.exe" | head -n 1 | cut -d: -f1)
if [ -z "$offset" ]; then
  fail "Morvek.exe in the zip has no version block"
else
  read -r minor major fourth third < <(od -An -tu2 -j $((offset + 8)) -N 8 "$unpacked/Morvek.exe")
  [ "$major.$minor.$third.$fourth" = "$version" ] ||
    fail "Morvek.exe has version $major.$minor.$third.$fourth, the zip is named for $version"
fi

text="$unpacked/$text_name"
if [ -f "$text" ]; then
  lines=$(LC_ALL=C grep -c '' "$text")
  crlf_lines=$(LC_ALL=C grep -c $'\r$' "$text")
  [ "$lines" = "$crlf_lines" ] && [ "$(tail -c 2 "$text" | od -An -tx1 | tr -d ' ')" = 0d0a ] ||
    fail "$text_name has lines that do not end in CRLF"
  if decoded=$(iconv -f CP932 -t UTF-8 "$text" | tr -d '\r'); then
    [ "$decoded" = "$(sed "s/@VERSION@/$version/g" "$source")" ] ||
      fail "$text_name does not read as its source with the version $version"
  else
    fail "$text_name is not Shift-JIS"
  fi
fi

sums="$unpacked/SHA256SUMS.txt"
if [ -f "$sums" ]; then
  [ "$(LC_ALL=C grep -c $'\r$' "$sums")" = 2 ] || fail "SHA256SUMS.txt does not have two CRLF lines"
  (cd "$unpacked" && iconv -f CP932 -t UTF-8 SHA256SUMS.txt | tr -d '\r' | sha256sum --check --strict --quiet) ||
    fail "SHA256SUMS.txt does not match the files"
fi

# Explorer on Japanese Windows reads names in code page 932.
oem_name=$(printf '%s' "$text_name" | iconv -f UTF-8 -t CP932)
LC_ALL=C grep -qaF -- "$oem_name" "$zip" || fail "the zip does not name $text_name in Shift-JIS"

exit $((failures > 0))
