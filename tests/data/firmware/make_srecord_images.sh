#!/bin/sh
# Regenerates the srecord cross-check images. The bytes come from a hash chain (deterministic,
# no pattern a reader could get right by accident); srec_cat alone writes the TI-TXT, so the
# reader is checked against a writer that is not ours. Needs python3 and srecord.
set -eu
cd "$(dirname "$0")"

bytes() {  # COUNT SEED FILE
    python3 - "$1" "$2" "$3" <<'PY'
import hashlib, sys
count, seed, path = int(sys.argv[1]), sys.argv[2].encode(), sys.argv[3]
out, i = b"", 0
while len(out) < count:
    out += hashlib.sha256(seed + str(i).encode()).digest()
    i += 1
open(path, "wb").write(out[:count])
PY
}

bytes 20000 main srec_main.bin
srec_cat srec_main.bin -binary -offset 0x4400 -o srec_single.txt -TI-TXT

# Odd start and length, the vector table meeting the upper flash, information memory, given
# out of address order.
bytes 51 part-a srec_part_a.bin
bytes 32 part-b srec_part_b.bin
bytes 259 part-c srec_part_c.bin
bytes 7 part-d srec_part_d.bin
srec_cat srec_part_a.bin -binary -offset 0x4401 \
         srec_part_b.bin -binary -offset 0xFFE0 \
         srec_part_c.bin -binary -offset 0x10000 \
         srec_part_d.bin -binary -offset 0x1800 \
         -o srec_multi.txt -TI-TXT
cat > srec_multi.parts <<'PARTS'
4401 srec_part_a.bin
FFE0 srec_part_b.bin
10000 srec_part_c.bin
1800 srec_part_d.bin
PARTS
