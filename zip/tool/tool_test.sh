#!/usr/bin/env bash
# End-to-end check of veltrano_zip_tool: create (Deflate, stored, password),
# verify with Info-ZIP, list, test, extract, and print an options file.
# Output that is searched goes to a file first: under pipefail a reader that
# stops early (grep -q) would fail the writer with SIGPIPE now and then.
set -euo pipefail
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir -p src/sub
head -c 200000 /dev/urandom > src/sub/random.bin
for i in $(seq 1 3000); do echo "line $i of the scrolling settings"; done > src/text.txt

"$tool" create plain.zip src/text.txt src/sub/random.bin
"$tool" create stored.zip -stored src/text.txt
"$tool" create locked.zip -p s3cret src/text.txt src/sub/random.bin
unzip -tq plain.zip
unzip -tq -P s3cret locked.zip
unzip -v stored.zip > stored.txt
grep -q ' Stored ' stored.txt
"$tool" test locked.zip s3cret
if "$tool" test locked.zip wrong >/dev/null; then echo "wrong password accepted"; exit 1; fi
"$tool" list plain.zip > listed.txt
grep -q ' src/sub/random.bin$' listed.txt
"$tool" extract locked.zip out s3cret
cmp src/text.txt out/src/text.txt
cmp src/sub/random.bin out/src/sub/random.bin

# An options file: one entry named "1" under the fixed password.
printf 'bTrayIcon=1\0\r\niNumPars=4\0\r\n' > 1
"$tool" create Options.oqc -p QmoTrvHE52b18k 1
"$tool" options Options.oqc > shown.txt
grep -qx 'bTrayIcon=1' shown.txt
grep -qx 'iNumPars=4' shown.txt

# A damaged archive fails the test command.
cp plain.zip broken.zip
printf '\xff\xff\xff\xff' | dd of=broken.zip bs=1 seek=100 conv=notrunc status=none
if "$tool" test broken.zip >/dev/null 2>&1; then echo "damage not found"; exit 1; fi
echo "tool ok"
