#!/usr/bin/env bash
# The portable zip holds one folder kestrival-<version>/ with the five programs and language.csv,
# each the file of the build's bin/, and nothing else.
# Usage: portable_zip_test.sh <zip> <bin folder> <version>
set -euo pipefail
source "$(dirname "$0")/wine_test_lib.sh"
zip=$1 bin=$2 version=$3
need_file "$zip" "the portable zip"
work_dir portable_zip

folder=kestrival-$version
files="kestrival-cli.exe kestrival-demo.exe kestrival-headless.exe kestrival-sim.exe kestrival.exe language.csv"
expected=$( (echo "$folder/"; for f in $files; do echo "$folder/$f"; done) | sort)
listing=$(cmake -E tar tf "$zip" | sort)
check "the zip holds $folder/ with the five programs and language.csv" same_text "$expected" "$listing"

(cd "$work" && cmake -E tar xf "$zip")
for f in $files; do
  check "$f is the build's" cmp "$bin/$f" "$work/$folder/$f"
done
exit $fail
